// The triangle pair tables against brute-force means over pairs of triangles, their symmetries,
// the labelled self terms, and malformed input.
#include "pair_tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "reference.hpp"

namespace {

using mom::tables::NearPair;
using mom::tables::PlateInput;
using mom::tables::SeamInput;
using mom::tables::Table;
using mom::tables::Vec3;

struct Tri {
  Vec3 v[3];
  double area() const { return 0.5 * norm(cross(v[1] - v[0], v[2] - v[0])); }
};

// A mesh in the host layout: P (3 × Np), t (4 × Nt, row 4 the label).
struct Mesh {
  std::vector<double> P, t;
  std::size_t points() const { return P.size() / 3; }
  std::size_t triangles() const { return t.size() / 4; }
  void add(const Tri& tri, double label = 0.0) {
    const double base = static_cast<double>(points());
    for (const Vec3& v : tri.v) P.insert(P.end(), {v.x, v.y, v.z});
    t.insert(t.end(), {base + 1, base + 2, base + 3, label});
  }
  Tri tri(std::size_t k) const {
    Tri r;
    for (int a = 0; a < 3; ++a) {
      const std::size_t p = static_cast<std::size_t>(t[4 * k + a]) - 1;
      r.v[a] = {P[3 * p], P[3 * p + 1], P[3 * p + 2]};
    }
    return r;
  }
  PlateInput plate(const reference::Rule& rule, double k) const {
    PlateInput in;
    in.points = {P.data(), 3, points()};
    in.triangles = {t.data(), 4, triangles()};
    in.coeff = {rule.coeff.data(), 3, rule.size()};
    in.weights = rule.weights.data();
    in.weight_count = rule.size();
    in.k = k;
    return in;
  }
  // The same triangles as faces (rows 1-3 of t).
  SeamInput seam(const reference::Rule& rule, double k, std::vector<double>& faces) const {
    faces.clear();
    for (std::size_t e = 0; e < triangles(); ++e)
      faces.insert(faces.end(), &t[4 * e], &t[4 * e + 3]);
    SeamInput in;
    in.points = {P.data(), 3, points()};
    in.faces = {faces.data(), 3, triangles()};
    in.coeff = {rule.coeff.data(), 3, rule.size()};
    in.weights = {rule.weights.data(), 1, rule.size()};
    in.k = k;
    return in;
  }
};

// Mean over triangle b of f, by a collapsed Gauss rule on each of the 4^level triangles of its
// midpoint subdivision.
template <class F>
void mean_over(const Tri& b, int level, int n, F&& f) {
  std::vector<Tri> parts{b};
  for (int l = 0; l < level; ++l) {
    std::vector<Tri> next;
    for (const Tri& p : parts) {
      const Vec3 m01 = 0.5 * (p.v[0] + p.v[1]), m12 = 0.5 * (p.v[1] + p.v[2]),
                 m02 = 0.5 * (p.v[0] + p.v[2]);
      next.push_back({{p.v[0], m01, m02}});
      next.push_back({{m01, p.v[1], m12}});
      next.push_back({{m02, m12, p.v[2]}});
      next.push_back({{m12, m02, m01}});
    }
    parts.swap(next);
  }
  const reference::Rule rule = reference::duffy_rule(n);
  const double share = 1.0 / static_cast<double>(parts.size());
  for (const Tri& p : parts) {
    for (std::size_t q = 0; q < rule.size(); ++q) {
      const double* c = &rule.coeff[3 * q];
      f(c[0] * p.v[0] + c[1] * p.v[1] + c[2] * p.v[2], share * rule.weights[q]);
    }
  }
}

// Brute-force means over the pair (a, b): mean of 1/R and, at 3x + y, of
// (r − b_y)·(r′ − a_x)/R, r on b and r′ on a; the inner integral over a by polar integration.
// Like the table, it takes every r on b moved by the probe shift (which changes the means by about
// 1e-8 relative for triangles of unit size).
struct PairMeans {
  double ss;
  double rs[9];
};
PairMeans brute_force(const Tri& a, const Tri& b, int level, int n) {
  PairMeans out{};
  const Vec3 normal = unit(cross(a.v[1] - a.v[0], a.v[2] - a.v[0]));
  const double area = a.area();
  mean_over(b, level, n, [&](Vec3 r, double w) {
    mom::tables::apply_probe_shift(r);
    const reference::Potential p = reference::potential(a.v[0], a.v[1], a.v[2], r);
    out.ss += w * p.scalar / area;
    const Vec3 rho = r - dot(normal, r - a.v[0]) * normal;
    for (int x = 0; x < 3; ++x) {
      const Vec3 g = p.vector + p.scalar * (rho - a.v[x]);  // ∫_a (r′ − a_x)/R
      for (int y = 0; y < 3; ++y) out.rs[3 * x + y] += w * dot(g, r - b.v[y]) / area;
    }
  });
  return out;
}

// Three triangles of different areas: a bent pair sharing an edge and a distant one.
Mesh three_triangles() {
  Mesh m;
  m.add({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}});
  m.add({{{1, 0, 0}, {0, 1, 0}, {0.9, 0.8, 0.7}}});
  m.add({{{0.5, -2, 0.3}, {1.2, -1.8, 0.1}, {0.6, -1.3, 0.9}}});
  return m;
}

TEST(PlateTable, ApproachesTheBruteForceMeansAsTheRuleIsRefined) {
  const Mesh mesh = three_triangles();
  const auto coarse = mom::tables::plate_table(mesh.plate(reference::duffy_rule(2), 100.0));
  const auto fine = mom::tables::plate_table(mesh.plate(reference::duffy_rule(10), 100.0));
  ASSERT_EQ(fine.pairs.size(), 6u);
  for (std::size_t p = 0; p < fine.pairs.size(); ++p) {
    const NearPair pr = fine.pairs[p];
    // The shift moves the points of the quadrature side, the smaller triangle.
    const bool j_larger = mesh.tri(pr.j).area() > mesh.tri(pr.i).area();
    const Tri source = mesh.tri(j_larger ? pr.j : pr.i),
              observer = mesh.tri(j_larger ? pr.i : pr.j);
    const PairMeans ref = brute_force(source, observer, 3, 8);
    const PairMeans check = brute_force(source, observer, 2, 8);
    const bool apart = pr.i == 2 && pr.j != 2;
    // The reference itself has converged well past the tolerances below (for touching triangles
    // the outer integrand has logarithmic derivatives at the shared edges and converges slowly).
    EXPECT_NEAR(check.ss, ref.ss, (apart ? 1e-12 : 1e-4) * ref.ss);
    const double tol = apart ? 1e-11 : 2e-4;
    const double err_fine = std::fabs(fine.ss[p] - ref.ss) / ref.ss;
    const double err_coarse = std::fabs(coarse.ss[p] - ref.ss) / ref.ss;
    EXPECT_LT(err_fine, tol) << pr.i << "," << pr.j;
    EXPECT_LT(err_fine, 0.1 * err_coarse) << pr.i << "," << pr.j;
    double rs_scale = 0.0;
    for (double v : ref.rs) rs_scale = std::fmax(rs_scale, std::fabs(v));
    for (int v = 0; v < 9; ++v) {
      const int w = j_larger ? 3 * (v % 3) + v / 3 : v;  // (IS vertex, JS vertex) order
      EXPECT_NEAR(fine.rs[9 * p + v], ref.rs[w], 5 * tol * rs_scale)
          << "pair " << pr.i << "," << pr.j << " entry " << v;
    }
  }
}

TEST(PlateTable, EqualAreasMakeTheOuterTriangleTheSource) {
  // Two congruent triangles (one a rotated, translated copy): with the centroid rule, SS of the
  // pair is ∫ 1/R over triangle i (the outer index) at the shifted centroid of j, over A_i.
  Mesh m;
  m.add({{{0, 0, 0}, {1, 0, 0}, {0.2, 0.8, 0}}});
  m.add({{{1.5, 0.3, 0.2}, {1.5, 1.3, 0.2}, {0.7, 0.5, 0.2}}});
  const Tri a = m.tri(0), b = m.tri(1);
  ASSERT_NEAR(a.area(), b.area(), 1e-15);
  const auto table = mom::tables::plate_table(m.plate(reference::centroid_rule(), 50.0));
  ASSERT_EQ(table.pairs.size(), 3u);
  ASSERT_TRUE(table.pairs[1].i == 1 && table.pairs[1].j == 0);
  // The centroid of triangle 0 (the quadrature side), moved by the probe shift.
  Vec3 cj = (1.0 / 3.0) * (a.v[0] + a.v[1] + a.v[2]);
  mom::tables::apply_probe_shift(cj);
  const double want = reference::potential(b.v[0], b.v[1], b.v[2], cj).scalar / b.area();
  EXPECT_NEAR(table.ss[1], want, 1e-9 * want);
  // Had triangle 0 been the source, the value would differ visibly.
  Vec3 ci = (1.0 / 3.0) * (b.v[0] + b.v[1] + b.v[2]);
  mom::tables::apply_probe_shift(ci);
  const double other = reference::potential(a.v[0], a.v[1], a.v[2], ci).scalar / a.area();
  EXPECT_GT(std::fabs(other - want), 1e-4 * want);
}

TEST(PlateTable, ExchangingTwoUnequalTrianglesKeepsSSAndTransposesRS) {
  const Mesh mesh = three_triangles();
  Mesh swapped;
  swapped.add(mesh.tri(1));
  swapped.add(mesh.tri(0));
  swapped.add(mesh.tri(2));
  const auto rule = reference::seven_point_rule();
  const auto a = mom::tables::plate_table(mesh.plate(rule, 100.0));
  const auto b = mom::tables::plate_table(swapped.plate(rule, 100.0));
  // Pair (1, 0) in both; the triangles changed places.
  ASSERT_TRUE(a.pairs[1].i == 1 && a.pairs[1].j == 0 && b.pairs[1].i == 1 && b.pairs[1].j == 0);
  EXPECT_EQ(a.ss[1], b.ss[1]);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(a.rs[9 + 3 * x + y], b.rs[9 + 3 * y + x]);
  // Self pairs moved with their triangles.
  EXPECT_EQ(a.ss[0], b.ss[2]);
  EXPECT_EQ(a.ss[2], b.ss[0]);
}

// A planar grid of nx × ny unit squares, each split along a diagonal, in the plane z = 0.
Mesh planar_grid(int nx, int ny) {
  Mesh m;
  for (int x = 0; x < nx; ++x) {
    for (int y = 0; y < ny; ++y) {
      const Vec3 p00{double(x), double(y), 0}, p10{x + 1.0, double(y), 0}, p11{x + 1.0, y + 1.0, 0},
          p01{double(x), y + 1.0, 0};
      m.add({{p00, p10, p11}});
      m.add({{p00, p11, p01}});
    }
  }
  return m;
}

TEST(PlateTable, GridMeshesGiveFiniteTablesAndEverySelfPair) {
  for (const Mesh& mesh : {planar_grid(2, 2), planar_grid(5, 3)}) {
    const auto table = mom::tables::plate_table(mesh.plate(reference::seven_point_rule(), 4.0));
    for (double v : table.ss) ASSERT_TRUE(std::isfinite(v) && v > 0.0);
    for (double v : table.rs) ASSERT_TRUE(std::isfinite(v));
    std::size_t selfs = 0;
    for (const NearPair& p : table.pairs) {
      EXPECT_LE(p.j, p.i);
      selfs += p.i == p.j;
    }
    EXPECT_EQ(selfs, mesh.triangles());
    std::vector<double> faces;
    const auto seam = mom::tables::seam_table(mesh.seam(reference::centroid_rule(), 6.0, faces));
    for (double v : seam.ss) ASSERT_TRUE(std::isfinite(v) && v > 0.0);
  }
  // Self pairs for any k > 0; nothing for k <= 0.
  const Mesh mesh = planar_grid(3, 3);
  EXPECT_EQ(mom::tables::plate_table(mesh.plate(reference::centroid_rule(), 1e-9)).pairs.size(),
            mesh.triangles());
  EXPECT_TRUE(mom::tables::plate_table(mesh.plate(reference::centroid_rule(), 0.0)).pairs.empty());
  EXPECT_TRUE(mom::tables::plate_table(mesh.plate(reference::centroid_rule(), -2.0)).pairs.empty());
  // The areas and centroids come back with the table.
  const auto t = mom::tables::plate_table(mesh.plate(reference::centroid_rule(), 4.0));
  for (double a : t.area) EXPECT_DOUBLE_EQ(a, 0.5);
  EXPECT_DOUBLE_EQ(t.centroid[0], 2.0 / 3.0);
  EXPECT_DOUBLE_EQ(t.centroid[1], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(t.centroid[2], 0.0);
}

TEST(SeamTable, EqualsTheScalarPartOfThePlateTableAndIgnoresIndexOrder) {
  const Mesh mesh = three_triangles();
  const auto rule = reference::seven_point_rule();
  std::vector<double> faces;
  const auto seam = mom::tables::seam_table(mesh.seam(rule, 100.0, faces));
  const auto plate = mom::tables::plate_table(mesh.plate(rule, 100.0));
  ASSERT_EQ(seam.ss.size(), plate.ss.size());
  for (std::size_t p = 0; p < seam.ss.size(); ++p) EXPECT_EQ(seam.ss[p], plate.ss[p]);

  Mesh swapped;
  swapped.add(mesh.tri(2));
  swapped.add(mesh.tri(1));
  swapped.add(mesh.tri(0));
  const auto other = mom::tables::seam_table(swapped.seam(rule, 100.0, faces));
  // Pairs (1,0), (2,0), (2,1) of one mesh are (2,1), (2,0), (1,0) of the other.
  EXPECT_EQ(seam.ss[1], other.ss[4]);
  EXPECT_EQ(seam.ss[0], other.ss[5]);
  EXPECT_EQ(seam.ss[3], other.ss[3]);
  EXPECT_EQ(seam.ss[4], other.ss[1]);
}

// --- Labelled triangles ------------------------------------------------------------------------

// The walk over a stable ascending sort of the centroid distances, positions 2 … Nt−1.
std::vector<std::int64_t> sorted_walk(const Mesh& mesh) {
  const std::size_t n = mesh.triangles();
  std::vector<Vec3> c(n);
  for (std::size_t k = 0; k < n; ++k) {
    const Tri t = mesh.tri(k);
    c[k] = {(t.v[0].x + t.v[1].x + t.v[2].x) / 3.0, (t.v[0].y + t.v[1].y + t.v[2].y) / 3.0,
            (t.v[0].z + t.v[1].z + t.v[2].z) / 3.0};
  }
  std::vector<std::int64_t> out(n, -1);
  for (std::size_t i = 0; i < n; ++i) {
    if (mesh.t[4 * i + 3] != 3.0) continue;
    std::vector<double> d(n);
    for (std::size_t j = 0; j < n; ++j) d[j] = mom::tables::distance2(c[i], c[j]);
    std::vector<std::size_t> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(),
                     [&](std::size_t a, std::size_t b) { return d[a] < d[b]; });
    for (std::size_t pos = 1; pos + 1 < n; ++pos) {
      if (mesh.t[4 * perm[pos] + 3] != 3.0) {
        out[i] = static_cast<std::int64_t>(perm[pos]);
        break;
      }
    }
  }
  return out;
}

std::vector<std::int64_t> substitutes(const Mesh& mesh) {
  const auto setup = mom::tables::prepare_plate_table(mesh.plate(reference::centroid_rule(), 1.0));
  return setup.substitute;
}

TEST(PlateTable, SubstituteIsTheTriangleTheSortedWalkPicks) {
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> coin(0, 2);
  for (int trial = 0; trial < 20; ++trial) {
    // Grids give many equal distances; duplicated triangles give equal centroids, so that a
    // triangle is not always first in its own order.
    Mesh mesh = planar_grid(4, 3 + trial % 3);
    for (int d = 0; d < 3; ++d) mesh.add(mesh.tri(static_cast<std::size_t>(5 * d + trial % 4)));
    for (std::size_t k = 0; k < mesh.triangles(); ++k)
      mesh.t[4 * k + 3] = coin(gen) == 0 ? 0.0 : 3.0;
    EXPECT_EQ(substitutes(mesh), sorted_walk(mesh)) << "trial " << trial;
  }
}

TEST(PlateTable, LabelledSelfTermsTakeTheSubstitutesValue) {
  Mesh mesh = planar_grid(3, 2);
  mesh.add({{{0.2, 0.1, 0.4}, {0.9, 0.3, 0.5}, {0.4, 0.8, 0.6}}});  // a different self term
  const std::size_t n = mesh.triangles();
  const auto rule = reference::seven_point_rule();
  const auto plain = mom::tables::plate_table(mesh.plate(rule, 4.0));
  auto self_pos = [](const mom::tables::PlateTable& t, std::uint32_t k) {
    for (std::size_t p = 0; p < t.pairs.size(); ++p)
      if (t.pairs[p].i == k && t.pairs[p].j == k) return p;
    return t.pairs.size();
  };

  mesh.t[4 * (n - 1) + 3] = 3.0;  // label the odd triangle; its nearest unlabelled is a grid one
  const auto labelled = mom::tables::plate_table(mesh.plate(rule, 4.0));
  const auto subs = substitutes(mesh);
  ASSERT_GE(subs[n - 1], 0);
  const std::size_t p = self_pos(labelled, n - 1);
  EXPECT_EQ(labelled.ss[p], plain.ss[self_pos(plain, static_cast<std::uint32_t>(subs[n - 1]))]);
  EXPECT_NE(labelled.ss[p], plain.ss[p]);
  for (int v = 0; v < 9; ++v) EXPECT_EQ(labelled.rs[9 * p + v], 0.0);
  // Every other value is untouched.
  for (std::size_t q = 0; q < plain.ss.size(); ++q) {
    if (q == p) continue;
    EXPECT_EQ(labelled.ss[q], plain.ss[q]);
    for (int v = 0; v < 9; ++v) EXPECT_EQ(labelled.rs[9 * q + v], plain.rs[9 * q + v]);
  }

  // All labelled: every self pair keeps its SS and has zero moments.
  for (std::size_t k = 0; k < n; ++k) mesh.t[4 * k + 3] = 3.7;  // truncated to 3
  const auto all = mom::tables::plate_table(mesh.plate(rule, 4.0));
  for (std::uint32_t k = 0; k < n; ++k) {
    const std::size_t q = self_pos(all, k);
    EXPECT_EQ(all.ss[q], plain.ss[q]);
    for (int v = 0; v < 9; ++v) EXPECT_EQ(all.rs[9 * q + v], 0.0);
  }
}

TEST(PlateTable, ALabelledTriangleWhoseOnlyUnlabelledNeighbourIsFarthestKeepsItsSS) {
  Mesh mesh;
  mesh.add({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 3.0);
  mesh.add({{{0, 0, 1}, {2, 0, 1}, {0, 1, 1}}}, 3.0);
  mesh.add({{{5, 0, 0}, {6, 0, 0}, {5, 1, 0}}}, 0.0);  // the farthest from triangle 0
  const auto subs = substitutes(mesh);
  EXPECT_EQ(subs[0], -1);
  EXPECT_EQ(subs[1], -1);  // also farthest from triangle 1
  const auto rule = reference::seven_point_rule();
  const auto table = mom::tables::plate_table(mesh.plate(rule, 1e3));
  Mesh plain = mesh;
  for (std::size_t k = 0; k < 3; ++k) plain.t[4 * k + 3] = 0.0;
  const auto ref = mom::tables::plate_table(plain.plate(rule, 1e3));
  EXPECT_EQ(table.ss[0], ref.ss[0]);
  for (int v = 0; v < 9; ++v) EXPECT_EQ(table.rs[v], 0.0);
  // Two triangles: never a substitute.
  Mesh two;
  two.add(mesh.tri(0), 3.0);
  two.add(mesh.tri(2), 0.0);
  EXPECT_EQ(substitutes(two), (std::vector<std::int64_t>{-1, -1}));
}

}  // namespace
