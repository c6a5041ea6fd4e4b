// tetraPotential against the cones from the point to the faces (polar integration of each face),
// the potential of a uniform box split into tetrahedra (a closed form of its own), the far field,
// and the probe shifts it applies.
#include "tetra_potential.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "reference.hpp"

namespace {

using mom::tables::tetraPotential;
using mom::tables::Vec3;
using reference::Tet;

double evaluate(const Tet& t, Vec3& r) {
  return tetraPotential(mom::tables::make_tetra_frame(t.v[0], t.v[1], t.v[2], t.v[3]), r);
}

const Tet kGeneric{{{0.1, -0.2, 0.3}, {1.3, 0.1, -0.2}, {0.4, 1.1, 0.5}, {0.5, 0.3, 1.4}}};

TEST(TetraPotential, MatchesTheConesInEveryVertexOrder) {
  const Tet& t = kGeneric;
  const Vec3 c = t.centroid();
  const Vec3 face_c = (1.0 / 3.0) * (t.v[0] + t.v[1] + t.v[2]);
  Vec3 out = unit(cross(t.v[1] - t.v[0], t.v[2] - t.v[0]));
  if (dot(out, t.v[3] - t.v[0]) > 0.0) out = -out;  // away from v[3]
  const Vec3 mid = 0.5 * (t.v[1] + t.v[2]);
  const struct {
    Vec3 r;
    const char* what;
  } cases[] = {
      {c + 40.0 * Vec3{0.3, -0.5, 0.8}, "far away"},
      {face_c + 1e-3 * out, "near a face, outside"},
      {face_c - 1e-3 * out, "near a face, inside"},
      {0.4 * t.v[0] + 0.3 * t.v[1] + 0.2 * t.v[2] + 0.1 * t.v[3], "inside"},
      {c, "at the centroid"},
      {t.v[0], "at a vertex"},
      {t.v[1] + 1e-3 * (t.v[1] - c), "near a vertex, outside"},
      {mid, "at an edge midpoint"},
      {mid + 1e-4 * (mid - c), "near an edge, outside"},
      {t.v[2] + 0.5 * (t.v[2] - t.v[3]), "on an edge line, beyond the edge"},
  };
  for (const auto& k : cases) {
    double lo = INFINITY, hi = 0.0;
    int order[4] = {0, 1, 2, 3};
    do {
      const Tet p{{t.v[order[0]], t.v[order[1]], t.v[order[2]], t.v[order[3]]}};
      Vec3 r = k.r, at[4];
      reference::face_points(k.r, at);
      const double got = evaluate(p, r);
      const double want = reference::tetra_cones(p, at);
      ASSERT_TRUE(std::isfinite(got)) << k.what;
      EXPECT_NEAR(got, want, 1e-10 * want) << k.what;
      lo = std::fmin(lo, got);
      hi = std::fmax(hi, got);
    } while (std::next_permutation(order, order + 4));
    // Different vertex orders see each face from a differently shifted point.
    EXPECT_LE(hi - lo, 5e-7 * hi) << k.what;
  }
}

TEST(TetraPotential, FarFieldTendsToVolumeOverDistance) {
  const Tet& t = kGeneric;
  for (double dist : {10.0, 1e2, 1e3}) {
    Vec3 r = t.centroid() + dist * unit(Vec3{0.2, 0.9, -0.4});
    const double got = evaluate(t, r);
    // Relative corrections are of order (size/distance)²; the size here is about 1. The faces'
    // different shifts add about 1.5e-7 relative at any distance.
    EXPECT_NEAR(got / (t.volume() / norm(r - t.centroid())), 1.0, 1.0 / (dist * dist) + 3e-7);
  }
}

TEST(TetraPotential, ShiftsTheCallersPointOncePerFace) {
  double tet[12];
  for (int m = 0; m < 4; ++m) {
    tet[3 * m] = kGeneric.v[m].x;
    tet[3 * m + 1] = kGeneric.v[m].y;
    tet[3 * m + 2] = kGeneric.v[m].z;
  }
  const double r0[3] = {0.35, 0.25, -7.5};
  double r[3] = {r0[0], r0[1], r0[2]}, it = -1.0;
  tetraPotential(tet, r, it);
  double want[3] = {r0[0], r0[1], r0[2]};
  for (int k = 0; k < 4; ++k) {
    want[0] += 1e-8;
    want[1] += 2e-8;
    want[2] += 3.0000000000000004e-8;
  }
  for (int a = 0; a < 3; ++a) EXPECT_EQ(r[a], want[a]);
  EXPECT_NEAR(r[2] - r0[2], 1.2e-7, 1e-20 + 4 * std::ldexp(1.0, -50));
  // The flat form is the prepared-frame form.
  Vec3 p{r0[0], r0[1], r0[2]};
  EXPECT_EQ(evaluate(kGeneric, p), it);
  EXPECT_GT(it, 0.0);
}

// Potential of the uniform box [0, a] × [0, b] × [0, c] at its corner, extended oddly in each
// argument, so that the box [lo, hi] seen from p is the sum of eight corner terms.
double corner(double a, double b, double c) {
  if (a == 0 || b == 0 || c == 0) return 0.0;
  if (a < 0) return -corner(-a, b, c);
  if (b < 0) return -corner(a, -b, c);
  if (c < 0) return -corner(a, b, -c);
  const double d = std::sqrt(a * a + b * b + c * c);
  return b * c * std::asinh(a / std::hypot(b, c)) + a * c * std::asinh(b / std::hypot(a, c)) +
         a * b * std::asinh(c / std::hypot(a, b)) -
         0.5 * (a * a * std::atan(b * c / (a * d)) + b * b * std::atan(a * c / (b * d)) +
                c * c * std::atan(a * b / (c * d)));
}
double box_potential(const Vec3& p, const Vec3& hi) {
  double sum = 0.0;
  for (int s = 0; s < 8; ++s) {
    sum += corner(s & 1 ? hi.x - p.x : p.x, s & 2 ? hi.y - p.y : p.y, s & 4 ? hi.z - p.z : p.z);
  }
  return sum;
}

TEST(TetraPotential, SumsToTheBoxPotentialOnAGridSplit) {
  // Boxes split into six tetrahedra around the diagonal from (0,0,0) to the far corner; on this
  // split (1, 2, 3) = 2·(1, 1, 1) + (−1, 0, 1) lies in the span of the diagonal and the normal of
  // the faces through it, so the shifted lattice points stay on edge lines. Each face sees its
  // own shift, which limits the agreement to |∇I|·1.5e-7.
  for (const Vec3 hi : {Vec3{1, 1, 1}, Vec3{2, 1, 0.5}}) {
    const Vec3 axis[3] = {{hi.x, 0, 0}, {0, hi.y, 0}, {0, 0, hi.z}};
    const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    Tet tets[6];
    for (int k = 0; k < 6; ++k) {
      const Vec3 a = axis[perm[k][0]], b = a + axis[perm[k][1]];
      tets[k] = {{{0, 0, 0}, a, b, hi}};
    }
    double worst = 0.0;
    for (int i = -2; i <= 6; ++i) {
      for (int j = -2; j <= 6; ++j) {
        for (int k = -2; k <= 6; ++k) {
          const Vec3 p{0.25 * i * hi.x, 0.25 * j * hi.y, 0.25 * k * hi.z};
          double sum = 0.0;
          for (const Tet& t : tets) {
            Vec3 r = p;
            const double v = evaluate(t, r);
            ASSERT_TRUE(std::isfinite(v)) << p.x << " " << p.y << " " << p.z;
            sum += v;
          }
          const double want = box_potential(p, hi);
          worst = std::fmax(worst, std::fabs(sum - want) / want);
        }
      }
    }
    EXPECT_LT(worst, 5e-7);
  }
}

}  // namespace
