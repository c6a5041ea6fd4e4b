// tetraPotential against the cones from the point to the faces (polar integration of each face),
// against the potential of a uniform box split into tetrahedra (a closed form of its own), the far
// field, and the probe shifts.
#include "tetra_potential.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "reference.hpp"

namespace {

using mom::tables::Vec3;
using reference::Tet;

double evaluate(const Tet& t, Vec3& r) {
  return tetraPotential(mom::tables::make_tetra_frame(t.v[0], t.v[1], t.v[2], t.v[3]), r);
}

const Tet kGeneric{{{0.1, -0.2, 0.3}, {1.3, 0.1, -0.2}, {0.4, 1.1, 0.5}, {0.5, 0.3, 1.4}}};

TEST(TetraPotential, MatchesTheConesInEveryVertexOrder) {
  const Tet& t = kGeneric;
  const Vec3 c = t.centroid(), face_c = (1.0 / 3.0) * (t.v[0] + t.v[1] + t.v[2]);
  const Vec3 out = face_c - t.v[3], mid = 0.5 * (t.v[1] + t.v[2]);
  const Vec3 points[] = {
      c + 40.0 * Vec3{0.3, -0.5, 0.8},  // far away
      face_c + 1e-3 * out,
      face_c - 1e-3 * out,  // near a face, outside and inside
      0.4 * t.v[0] + 0.3 * t.v[1] + 0.2 * t.v[2] + 0.1 * t.v[3],
      c,
      t.v[0],
      t.v[1] + 1e-3 * (t.v[1] - c),  // at and near a vertex
      mid,
      mid + 1e-4 * (mid - c),            // at and near an edge
      t.v[2] + 0.5 * (t.v[2] - t.v[3]),  // on an edge line beyond the edge
  };
  for (const Vec3& point : points) {
    double lo = INFINITY, hi = 0.0;
    int order[4] = {0, 1, 2, 3};
    do {
      const Tet p{{t.v[order[0]], t.v[order[1]], t.v[order[2]], t.v[order[3]]}};
      Vec3 r = point, r_ref = point;
      const double got = evaluate(p, r), want = reference::tetra_cones(p, r_ref);
      ASSERT_TRUE(std::isfinite(got));
      EXPECT_NEAR(got, want, 1e-10 * want) << point.x << " " << point.y << " " << point.z;
      lo = std::fmin(lo, got);
      hi = std::fmax(hi, got);
    } while (std::next_permutation(order, order + 4));
    // Different vertex orders see each face from a differently shifted point.
    EXPECT_LE(hi - lo, 5e-7 * hi);
  }
}

TEST(TetraPotential, FarFieldAndTheShiftedPoint) {
  for (double dist : {10.0, 1e2, 1e3}) {
    Vec3 r = kGeneric.centroid() + dist * unit(Vec3{0.2, 0.9, -0.4});
    const double got = evaluate(kGeneric, r);
    // Corrections of order (size/distance)², and about 1.3e-7 from the faces' different shifts.
    const double want = kGeneric.volume() / norm(r - kGeneric.centroid());
    EXPECT_NEAR(got / want, 1.0, 1.0 / (dist * dist) + 3e-7);
  }
  // The flat form moves the caller's point by four additions of (1e-8, 2e-8, 3e-8).
  double tet[12], r[3] = {0.35, 0.25, -7.5}, it = -1.0;
  for (int m = 0; m < 4; ++m) {
    tet[3 * m] = kGeneric.v[m].x, tet[3 * m + 1] = kGeneric.v[m].y,
            tet[3 * m + 2] = kGeneric.v[m].z;
  }
  Vec3 p{r[0], r[1], r[2]};
  mom::tables::tetraPotential(tet, r, it);
  EXPECT_EQ(evaluate(kGeneric, p), it);
  Vec3 want{0.35, 0.25, -7.5};
  for (int k = 0; k < 4; ++k) want = want + Vec3{1e-8, 2e-8, 3.0000000000000004e-8};
  EXPECT_TRUE(r[0] == want.x && r[1] == want.y && r[2] == want.z && p.z == want.z);
}

// Potential of the uniform box [0, a] × [0, b] × [0, c] at its corner, extended oddly in each
// argument, so that the box [0, hi] seen from p is the sum of eight corner terms.
double corner(double a, double b, double c) {
  if (a == 0 || b == 0 || c == 0) return 0.0;
  if (a < 0 || b < 0 || c < 0) {
    return (a < 0 ? -1 : 1) * (b < 0 ? -1 : 1) * (c < 0 ? -1 : 1) *
           corner(std::fabs(a), std::fabs(b), std::fabs(c));
  }
  const double d = std::sqrt(a * a + b * b + c * c);
  return b * c * std::asinh(a / std::hypot(b, c)) + a * c * std::asinh(b / std::hypot(a, c)) +
         a * b * std::asinh(c / std::hypot(a, b)) -
         0.5 * (a * a * std::atan(b * c / (a * d)) + b * b * std::atan(a * c / (b * d)) +
                c * c * std::atan(a * b / (c * d)));
}

TEST(TetraPotential, SumsToTheBoxPotentialOnAGridSplit) {
  // Boxes split into six tetrahedra around the diagonal from the origin; (1, 2, 3) =
  // 2·(1, 1, 1) + (−1, 0, 1) lies in the span of the diagonal and the normal of faces through it,
  // so on the unit cube shifted lattice points stay on edge lines. The faces' different shifts
  // limit the agreement to about 2e-7 relative for elements of unit size.
  for (const Vec3 hi : {Vec3{1, 1, 1}, Vec3{2, 1, 0.5}}) {
    const Vec3 axis[3] = {{hi.x, 0, 0}, {0, hi.y, 0}, {0, 0, hi.z}};
    Tet tets[6];
    for (int k = 0; k < 6; ++k) {
      const Vec3 a = axis[k / 2], b = a + axis[(k / 2 + 1 + k % 2) % 3];
      tets[k] = {{{0, 0, 0}, a, b, hi}};
    }
    for (int i = 0; i < 729; ++i) {
      const Vec3 p{0.25 * (i % 9 - 2) * hi.x, 0.25 * (i / 9 % 9 - 2) * hi.y,
                   0.25 * (i / 81 - 2) * hi.z};
      double sum = 0.0, want = 0.0;
      for (const Tet& t : tets) {
        Vec3 r = p;
        sum += evaluate(t, r);
      }
      for (int s = 0; s < 8; ++s) {
        want +=
            corner(s & 1 ? hi.x - p.x : p.x, s & 2 ? hi.y - p.y : p.y, s & 4 ? hi.z - p.z : p.z);
      }
      ASSERT_TRUE(std::isfinite(sum)) << p.x << " " << p.y << " " << p.z;
      EXPECT_NEAR(sum, want, 5e-7 * want) << p.x << " " << p.y << " " << p.z;
    }
  }
}

}  // namespace
