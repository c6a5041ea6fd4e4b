// trianglePotential against polar integration around the foot point, its limits and
// symmetries, and its behaviour on the edge lines of structured meshes.
#include "triangle_potential.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "reference.hpp"

namespace {

using mom::tables::trianglePotential;
using mom::tables::Vec3;

struct Tri {
  Vec3 v[3];
  double area() const { return 0.5 * norm(cross(v[1] - v[0], v[2] - v[0])); }
  Vec3 centroid() const { return (1.0 / 3.0) * (v[0] + v[1] + v[2]); }
  Vec3 normal() const { return unit(cross(v[1] - v[0], v[2] - v[0])); }
};

struct Eval {
  double is;
  Vec3 iv;
  Vec3 shifted;
};

Eval evaluate(const Tri& t, Vec3 r) {
  const auto frame = mom::tables::make_triangle_frame(t.v[0], t.v[1], t.v[2]);
  Eval e;
  e.is = trianglePotential(frame, r, &e.iv);
  e.shifted = r;
  return e;
}

// Relative errors of I_S and I_V against the polar reference at the shifted point. The vector
// error is taken relative to max(|I_V|, area · 1e-3), as I_V vanishes by symmetry at some points.
void expect_matches_reference(const Tri& t, const Vec3& r, double tol, const char* what) {
  const Eval e = evaluate(t, r);
  const reference::Potential ref = reference::potential(t.v[0], t.v[1], t.v[2], e.shifted);
  ASSERT_TRUE(std::isfinite(e.is) && std::isfinite(e.iv.x) && std::isfinite(e.iv.y) &&
              std::isfinite(e.iv.z))
      << what;
  EXPECT_LE(std::fabs(e.is - ref.scalar), tol * std::fabs(ref.scalar))
      << what << ": I_S " << e.is << " vs " << ref.scalar;
  const double vref = std::fmax(norm(ref.vector), 1e-3 * t.area());
  EXPECT_LE(norm(e.iv - ref.vector), tol * vref) << what << ": I_V";
}

// The edge sum transcribed term by term with the direct sums R ± l and σ as the ratio
// m·(b − l⁻s)/P⁰: the form whose finite values the evaluation under test must reproduce.
double direct_edge_sum(const Tri& t, Vec3 r) {
  const Vec3 n = t.normal();
  const Vec3 B[3] = {t.v[0], t.v[0], t.v[1]}, A[3] = {t.v[1], t.v[2], t.v[2]};
  Vec3 s[3], m[3];
  for (int i = 0; i < 3; ++i) {
    s[i] = unit(A[i] - B[i]);
    m[i] = i == 1 ? -cross(s[i], n) : cross(s[i], n);
  }
  r = r + Vec3{1e-8, 2e-8, 3 * 1e-8};
  const Vec3 rho = r - dot(n, r) * n;
  const bool inside = dot(m[0], 0.5 * (t.v[0] + t.v[1]) - rho) > 0 &&
                      dot(m[1], 0.5 * (t.v[0] + t.v[2]) - rho) > 0 &&
                      dot(m[2], 0.5 * (t.v[1] + t.v[2]) - rho) > 0;
  double sum = 0.0, d = 0.0;
  for (int i = 0; i < 3; ++i) {
    d = std::fabs(dot(n, r - B[i]));
    const Vec3 b = (B[i] - dot(n, B[i]) * n) - rho;
    const double lp = dot(s[i], (A[i] - dot(n, A[i]) * n) - rho), lm = dot(s[i], b);
    const double p0 = std::fabs(dot(m[i], b));
    const double rp = std::sqrt(lp * lp + p0 * p0 + d * d),
                 rm = std::sqrt(lm * lm + p0 * p0 + d * d);
    const double L = std::log((rp + lp) / (rm + lm));
    const double sigma = dot(m[i], b - lm * s[i]) / p0;
    sum += sigma * (p0 * L + d * std::atan(lp * d / (rp * p0)) - d * std::atan(lm * d / (rm * p0)));
  }
  return sum - (inside ? 6.2831853071796 : 0.0) * d;
}

const Tri kGeneric{{{0.1, -0.2, 0.3}, {1.3, 0.1, -0.2}, {0.4, 1.1, 0.5}}};

TEST(TrianglePotential, MatchesPolarIntegrationAwayFromEdges) {
  const Tri& t = kGeneric;
  const Vec3 c = t.centroid(), n = t.normal();
  const Vec3 e01 = t.v[1] - t.v[0];
  struct Case {
    Vec3 r;
    const char* what;
  } cases[] = {
      {c + 40.0 * Vec3{0.3, -0.5, 0.8}, "far away"},
      {c + 3.0 * n, "above the centroid"},
      {c + 1e-3 * n, "close above the centroid"},
      {c - 0.05 * n + 0.2 * e01, "close below, off centre"},
      {c, "in the plane at the centroid"},
      {0.6 * t.v[0] + 0.3 * t.v[1] + 0.1 * t.v[2], "in the plane inside"},
      {-0.4 * t.v[0] + 0.9 * t.v[1] + 0.5 * t.v[2], "in the plane outside"},
      {t.v[0] + 0.7 * (t.v[2] - t.v[1]) + 0.3 * n, "above the plane outside"},
      {t.v[1] + 0.01 * (t.v[1] - c), "in the plane near a vertex, outside"},
      {t.v[2] + 0.01 * (c - t.v[2]) + 0.02 * n, "near a vertex, above"},
  };
  for (const Case& k : cases) expect_matches_reference(t, k.r, 1e-10, k.what);
}

TEST(TrianglePotential, MatchesPolarIntegrationOnAndNearEdgeLines) {
  const Tri& t = kGeneric;
  const Vec3 n = t.normal();
  for (int a = 0; a < 3; ++a) {
    const Vec3 p = t.v[a], q = t.v[(a + 1) % 3];
    const Vec3 m = unit(cross(q - p, n));
    for (double s : {-2.0, -0.3, 0.5, 1.7}) {        // along the edge line, beyond and on it
      for (double off : {0.0, 1e-9, -1e-6, 1e-3}) {  // distance from the line, in the plane
        for (double h : {0.0, 1e-7, 0.2}) {          // height over the plane
          expect_matches_reference(t, p + s * (q - p) + off * m + h * n, 1e-9, "edge line");
        }
      }
    }
  }
}

TEST(TrianglePotential, FarFieldTendsToAreaOverDistance) {
  const Tri& t = kGeneric;
  const Vec3 c = t.centroid(), n = t.normal();
  for (double dist : {1e2, 1e3, 1e4}) {
    const Vec3 r = c + dist * unit(Vec3{0.2, 0.9, -0.4});
    const Eval e = evaluate(t, r);
    const double rc = norm(e.shifted - c);
    // Relative corrections are of order (size/distance)²; the size here is about 1.
    EXPECT_NEAR(e.is / (t.area() / rc), 1.0, 2.0 / (dist * dist));
    const Vec3 rho = e.shifted - dot(n, e.shifted) * n;
    const Vec3 c_plane = c - dot(n, c) * n;
    const Vec3 want = (t.area() / rc) * (c_plane - rho);
    EXPECT_LE(norm(e.iv - want), 2.0 / dist * norm(want));
  }
}

TEST(TrianglePotential, InsideFlagUsesItsDecimalValue) {
  // Far above the triangle, inside its normal shadow, I_S ≈ A/d is the small difference of
  // terms of size d; the inside flag's decimal value, 1.35e-14 above 2π, then shows as an offset
  // of (β − 2π)·d against the integral: 2.7e-6 relative at d = 10 for a triangle of area 5e-7.
  const Tri small{{{10, 0, 0}, {10, 1e-3, 0}, {10, 0, 1e-3}}};
  const Eval e = evaluate(small, {0.0, 3e-4, 3e-4});
  const auto ref = reference::potential(small.v[0], small.v[1], small.v[2], e.shifted);
  const double d = 10.0 - e.shifted.x;
  const double offset = -(mom::tables::kInsideAngle - 2.0 * M_PI) * d;
  EXPECT_GT(std::fabs(e.is - ref.scalar), 1e-6 * ref.scalar);
  // What remains is the rounding of the terms of size d (about 1e-14).
  EXPECT_NEAR(e.is - ref.scalar, offset, 0.15 * std::fabs(offset));
}

TEST(TrianglePotential, ReversedVertexOrderGivesTheSameIntegrals) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  const Tri& t = kGeneric;
  const Tri flipped{{t.v[0], t.v[2], t.v[1]}};
  for (int k = 0; k < 200; ++k) {
    const Vec3 r{u(gen), u(gen), k % 4 == 0 ? 0.0 : u(gen)};
    const Eval a = evaluate(t, r), b = evaluate(flipped, r);
    EXPECT_NEAR(a.is, b.is, 1e-12 * std::fabs(a.is));
    EXPECT_LE(norm(a.iv - b.iv), 1e-11 * std::fmax(norm(a.iv), t.area()));
  }
}

TEST(TrianglePotential, ShiftsTheCallersPointAndScalarFormMatchesFullForm) {
  double tri[9];
  for (int a = 0; a < 3; ++a) {
    tri[3 * a] = kGeneric.v[a].x;
    tri[3 * a + 1] = kGeneric.v[a].y;
    tri[3 * a + 2] = kGeneric.v[a].z;
  }
  const double r0[3] = {0.35, 0.25, -7.5};
  double r1[3] = {r0[0], r0[1], r0[2]}, r2[3] = {r0[0], r0[1], r0[2]};
  double is_full, iv[3], is_scalar;
  trianglePotential(is_full, iv, tri, r1);
  trianglePotential(is_scalar, tri, r2);
  EXPECT_EQ(is_full, is_scalar);
  EXPECT_EQ(r1[0], r0[0] + 1e-8);
  EXPECT_EQ(r1[1], r0[1] + 2e-8);
  EXPECT_EQ(r1[2], r0[2] + 3.0000000000000004e-8);
  for (int a = 0; a < 3; ++a) EXPECT_EQ(r1[a], r2[a]);
  // The flat form is the prepared-frame form.
  const Eval e = evaluate(kGeneric, {r0[0], r0[1], r0[2]});
  EXPECT_EQ(e.is, is_full);
  EXPECT_EQ(e.iv.x, iv[0]);
  EXPECT_EQ(e.iv.z, iv[2]);
  // In the plane at the centroid the height is the shift's component along the normal.
  const Vec3 c = kGeneric.centroid();
  const Eval at_c = evaluate(kGeneric, c);
  EXPECT_GT(at_c.is, 0.0);
  EXPECT_NEAR(std::fabs(dot(kGeneric.normal(), at_c.shifted - c)),
              std::fabs(dot(kGeneric.normal(), Vec3{1e-8, 2e-8, 3e-8})), 1e-15);
}

// Points that the probe shift leaves on, or next to, edge lines: in the plane beyond an edge's
// end the direct sum R + l cancels to 0; when (1, 2, 3) lies in the span of an edge direction and
// the normal, the shifted point stays exactly on the edge line (P⁰ = 0).
TEST(TrianglePotential, FiniteAndAccurateWhereTheDirectSumCancels) {
  const Tri unit_tri{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  expect_matches_reference(unit_tri, {2, 0, 0}, 1e-10, "(2,0,0) beyond edge 1");
  expect_matches_reference(unit_tri, {0, 5, 0}, 1e-10, "(0,5,0) beyond edge 2");
  expect_matches_reference(unit_tri, {-3, 0, 0}, 1e-10, "(-3,0,0) before edge 1");

  // Edge along (1, 2, 0) in the plane z = 0.
  const Tri slanted{{{0, 0, 0}, {1, 2, 0}, {-1, 1.5, 0}}};
  for (double s : {-1.0, 0.0, 0.25, 0.5, 1.0, 2.0, 7.0}) {
    const Vec3 r{s, 2.0 * s, 0.0};
    Vec3 shifted = r;
    mom::tables::apply_probe_shift(shifted);
    // The shifted point still lies on the line of the edge (0,0,0)–(1,2,0).
    ASSERT_EQ(shifted.y, 2.0 * shifted.x) << s;
    expect_matches_reference(slanted, r, 1e-9, "on the edge line along (1,2,0)");
  }
}

TEST(TrianglePotential, NoNonFiniteValueOnAStructuredLattice) {
  // Triangles of a unit grid (both diagonals) against every lattice point and half point
  // nearby, in the plane and above it. The probe shift leaves these points within 1e-8 of
  // vertices and edge lines, where the arctangent terms of the inside-flag form are computed
  // from lengths of the size of the shift (relative rounding |r|·ε/1e-8 ≈ 1e-7): agreement there
  // is to about 1e-9, against 1e-13 elsewhere.
  const Tri tris[] = {{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
                      {{{0, 0, 0}, {1, 1, 0}, {0, 1, 0}}},
                      {{{1, 0, 0}, {2, 1, 0}, {1, 1, 0}}},
                      {{{0, 0, 0}, {1, 2, 0}, {0, 1, 0}}}};
  int checked = 0;
  double worst = 0.0;
  for (const Tri& t : tris) {
    for (int i = -4; i <= 8; ++i) {
      for (int j = -4; j <= 8; ++j) {
        for (double z : {0.0, 0.5}) {
          const Vec3 r{0.5 * i, 0.5 * j, z};
          const Eval e = evaluate(t, r);
          ASSERT_TRUE(std::isfinite(e.is) && std::isfinite(e.iv.x) && std::isfinite(e.iv.y) &&
                      std::isfinite(e.iv.z))
              << r.x << " " << r.y << " " << r.z;
          if ((i + j) % 3 == 0) {
            const auto ref = reference::potential(t.v[0], t.v[1], t.v[2], e.shifted);
            worst = std::fmax(worst, std::fabs(e.is - ref.scalar) / ref.scalar);
            EXPECT_LE(norm(e.iv - ref.vector), 1e-8 * std::fmax(norm(ref.vector), 1e-3));
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 200);
  EXPECT_LT(worst, 1e-8);
}

TEST(TrianglePotential, ReproducesTheDirectEdgeSumWhereverItIsFinite) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  double worst = 0.0;
  for (int k = 0; k < 2000; ++k) {
    const Vec3 r{u(gen), u(gen), k % 3 == 0 ? 0.0 : u(gen)};
    const double direct = direct_edge_sum(kGeneric, r);
    ASSERT_TRUE(std::isfinite(direct));
    worst = std::fmax(worst, std::fabs(evaluate(kGeneric, r).is - direct) / std::fabs(direct));
  }
  EXPECT_LT(worst, 1e-12);
  // Where the direct sums cancel, the direct form is not finite; the evaluation is, and agrees
  // with polar integration (FiniteAndAccurateWhereTheDirectSumCancels).
  const Tri unit_tri{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  EXPECT_TRUE(std::isinf(direct_edge_sum(unit_tri, {2, 0, 0})));
  EXPECT_TRUE(std::isnan(direct_edge_sum(unit_tri, {0, 5, 0})));
  EXPECT_TRUE(std::isfinite(evaluate(unit_tri, {2, 0, 0}).is));
  EXPECT_TRUE(std::isfinite(evaluate(unit_tri, {0, 5, 0}).is));
}

}  // namespace
