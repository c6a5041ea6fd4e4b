// The tetrahedron pair tables against brute-force means (fine rules on refined elements, the
// inner integral as cones of polar integrals), the roles of the two indices, the rule's shape,
// and points that the probe shifts leave on edge lines.
#include "cell_tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "reference.hpp"

namespace {

using mom::tables::CellInput;
using mom::tables::CellPlateInput;
using mom::tables::NearPair;
using mom::tables::Vec3;
using reference::Tet;

// Points and tetrahedra in the host layout: P (3 × Np), T (4 × NT).
struct Cells {
  std::vector<double> P, T;
  void add(const Tet& t) {
    const double base = static_cast<double>(P.size() / 3);
    for (const Vec3& v : t.v) P.insert(P.end(), {v.x, v.y, v.z});
    T.insert(T.end(), {base + 1, base + 2, base + 3, base + 4});
  }
  Tet tet(std::size_t k) const {
    Tet t;
    for (int m = 0; m < 4; ++m) {
      const auto p = static_cast<std::size_t>(T[4 * k + m]) - 1;
      t.v[m] = {P[3 * p], P[3 * p + 1], P[3 * p + 2]};
    }
    return t;
  }
  CellInput input(const reference::Rule& rule, double k, bool column_weights = false) const {
    CellInput in;
    in.points = {P.data(), 3, P.size() / 3};
    in.tetrahedra = {T.data(), 4, T.size() / 4};
    in.coeff = {rule.coeff.data(), 4, rule.size()};
    in.weights = {rule.weights.data(), column_weights ? rule.size() : 1,
                  column_weights ? 1 : rule.size()};
    in.k = k;
    return in;
  }
};

// I_T of t seen from r, r taking the four shifts as in the closed form.
double cones(const Tet& t, Vec3& r) {
  Vec3 at[4];
  reference::face_points(r, at);
  r = at[3];
  return reference::tetra_cones(t, at);
}

// A tetrahedron, a smaller one sharing a face with it, and a distant one.
Cells three_tetrahedra() {
  Cells c;
  c.add({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.1, 0.2, 1}}});
  c.add({{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0.4, 0.3, -0.6}}});
  c.add({{{2.5, 0.3, 0.2}, {3.1, 0.2, 0.4}, {2.7, 1.0, 0.3}, {2.8, 0.5, 1.1}}});
  return c;
}

TEST(CellTable, ApproachesTheBruteForceMeanAsTheRuleIsRefined) {
  const Cells cells = three_tetrahedra();
  const auto coarse = mom::tables::cell_table(cells.input(reference::duffy_tetra_rule(2), 100));
  const auto fine = mom::tables::cell_table(cells.input(reference::duffy_tetra_rule(7), 100));
  ASSERT_EQ(fine.pairs.size(), 6u);
  for (std::size_t p = 0; p < fine.pairs.size(); ++p) {
    const NearPair pr = fine.pairs[p];
    const Tet closed = cells.tet(pr.i), other = cells.tet(pr.j);
    const bool apart = (pr.i == 2) != (pr.j == 2);
    double ref = 0.0;
    reference::tetra_mean(other, apart ? 0 : 1, apart ? 8 : 6,
                          [&](Vec3 r, double w) { ref += w * cones(closed, r) / closed.volume(); });
    // Touching tetrahedra: the inner integral has logarithmic second derivatives at the shared
    // faces and edges, which the product rules resolve slowly (the reference to about 1e-6).
    const double tol = apart ? 1e-11 : 2e-5;
    const double err_fine = std::fabs(fine.ss[p] - ref) / ref;
    EXPECT_LT(err_fine, tol) << pr.i << "," << pr.j;
    EXPECT_LT(err_fine, 0.1 * std::fabs(coarse.ss[p] - ref) / ref) << pr.i << "," << pr.j;
  }
}

TEST(CellTable, TheOuterIndexIsTheClosedFormSide) {
  // Centroid rule: SS of (1, 0) is I_T of tetrahedron 1 at the centroid of 0, over Vol_1, whatever
  // the sizes; exchanging the two tetrahedra exchanges the roles.
  const Cells cells = three_tetrahedra();
  Cells swapped;
  swapped.add(cells.tet(1));
  swapped.add(cells.tet(0));
  const reference::Rule centroid{{0.25, 0.25, 0.25, 0.25}, {1.0}};
  const auto a = mom::tables::cell_table(cells.input(centroid, 100));
  const auto b = mom::tables::cell_table(swapped.input(centroid, 100));
  ASSERT_TRUE(a.pairs[1].i == 1 && a.pairs[1].j == 0 && b.pairs[1].i == 1 && b.pairs[1].j == 0);
  for (const auto* table : {&a, &b}) {
    const Cells& c = table == &a ? cells : swapped;
    Vec3 r = c.tet(0).centroid();
    const double want = cones(c.tet(1), r) / c.tet(1).volume();
    EXPECT_NEAR(table->ss[1], want, 1e-10 * want);
  }
  EXPECT_GT(std::fabs(a.ss[1] - b.ss[1]), 1e-2 * a.ss[1]);
  EXPECT_EQ(a.ss[0], b.ss[2]);  // self pairs moved with their tetrahedra
}

TEST(CellTable, WeightsInEitherOrientationAndOnlyTheirCountOfRuleColumns) {
  const Cells cells = three_tetrahedra();
  const reference::Rule rule = reference::duffy_tetra_rule(3);
  const auto row = mom::tables::cell_table(cells.input(rule, 100));
  const auto col = mom::tables::cell_table(cells.input(rule, 100, true));
  EXPECT_EQ(row.ss, col.ss);
  // Columns of coeffT beyond the number of weights are never read.
  reference::Rule longer = rule;
  longer.coeff.insert(longer.coeff.end(), 8, std::numeric_limits<double>::quiet_NaN());
  CellInput in = cells.input(longer, 100);
  in.coeff.cols += 2;
  EXPECT_EQ(mom::tables::cell_table(in).ss, row.ss);
  // Self pairs for any k > 0; nothing for k ≤ 0.
  EXPECT_EQ(mom::tables::cell_table(cells.input(rule, 1e-9)).pairs.size(), 3u);
  EXPECT_TRUE(mom::tables::cell_table(cells.input(rule, 0.0)).pairs.empty());
}

// A box grid of nx × ny × nz unit cubes, each split into six tetrahedra around its diagonal.
Cells cube_grid(int nx, int ny, int nz) {
  Cells c;
  const Vec3 e[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int x = 0; x < nx; ++x)
    for (int y = 0; y < ny; ++y)
      for (int z = 0; z < nz; ++z) {
        const Vec3 o{double(x), double(y), double(z)};
        for (const auto& p : perm) {
          c.add({{o, o + e[p[0]], o + e[p[0]] + e[p[1]], o + Vec3{1, 1, 1}}});
        }
      }
  return c;
}

TEST(CellTable, FiniteOnGridMeshesWhereShiftedPointsStayOnEdgeLines) {
  const reference::Rule centroid{{0.25, 0.25, 0.25, 0.25}, {1.0}};
  for (const Cells& cells : {cube_grid(2, 2, 1), cube_grid(3, 2, 2)}) {
    for (const auto& rule : {centroid, reference::duffy_tetra_rule(3)}) {
      const auto table = mom::tables::cell_table(cells.input(rule, 9.0));
      EXPECT_GT(table.pairs.size(), 10 * cells.T.size() / 4);
      for (double v : table.ss) ASSERT_TRUE(std::isfinite(v) && v > 0.0);
    }
  }
}

// --- Triangle–tetrahedron table ----------------------------------------------------------------

struct Plates {
  std::vector<double> P, t;
  void add(const Vec3 (&w)[3]) {
    const double base = static_cast<double>(P.size() / 3);
    for (const Vec3& v : w) P.insert(P.end(), {v.x, v.y, v.z});
    t.insert(t.end(), {base + 1, base + 2, base + 3, 0});
  }
};

CellPlateInput plate_input(const Plates& plates, const Cells& cells, const reference::Rule& rule,
                           double k) {
  CellPlateInput in;
  in.plate_points = {plates.P.data(), 3, plates.P.size() / 3};
  in.cell_points = {cells.P.data(), 3, cells.P.size() / 3};
  in.triangles = {plates.t.data(), 4, plates.t.size() / 4};
  in.tetrahedra = {cells.T.data(), 4, cells.T.size() / 4};
  in.coeff = {rule.coeff.data(), 3, rule.size()};
  in.weights = rule.weights.data();
  in.weight_count = rule.size();
  in.k = k;
  return in;
}

// Mean over triangle w of (r − W_b)_x · I_T(r)/Vol, r after the four shifts, over the 4^level
// triangles of its midpoint subdivision.
void brute_force_moments(const Vec3 (&w)[3], const Tet& tet, int level, double rs[9]) {
  std::vector<std::array<Vec3, 3>> parts{{w[0], w[1], w[2]}};
  for (int l = 0; l < level; ++l) {
    std::vector<std::array<Vec3, 3>> next;
    for (const auto& p : parts) {
      const Vec3 a = 0.5 * (p[0] + p[1]), b = 0.5 * (p[1] + p[2]), c = 0.5 * (p[0] + p[2]);
      next.insert(next.end(), {{p[0], a, c}, {a, p[1], b}, {c, b, p[2]}, {b, c, a}});
    }
    parts.swap(next);
  }
  const reference::Rule rule = reference::duffy_rule(8);
  std::fill(rs, rs + 9, 0.0);
  for (const auto& p : parts) {
    for (std::size_t q = 0; q < rule.size(); ++q) {
      const double* c = &rule.coeff[3 * q];
      Vec3 r = c[0] * p[0] + c[1] * p[1] + c[2] * p[2];
      const double f = rule.weights[q] / parts.size() * cones(tet, r) / tet.volume();
      for (int b = 0; b < 3; ++b) {
        const Vec3 d = r - w[b];
        rs[3 * b] += f * d.x;
        rs[3 * b + 1] += f * d.y;
        rs[3 * b + 2] += f * d.z;
      }
    }
  }
}

TEST(CellPlateTable, MatchesBruteForceMomentsOnAFaceAndApart) {
  Cells cells;
  cells.add({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.2, 0.3, 0.9}}});
  cells.add({{{4, 0, 0}, {4.8, 0.1, 0}, {4.2, 0.9, 0.2}, {4.3, 0.4, 1.0}}});
  Plates plates;
  const Vec3 on_face[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};  // a face of tetrahedron 0
  const Vec3 apart[3] = {{3.5, -0.5, 0.3}, {4.5, -0.4, 0.1}, {3.9, -1.2, 0.6}};
  plates.add(on_face);
  plates.add(apart);
  const auto table =
      mom::tables::cell_plate_table(plate_input(plates, cells, reference::duffy_rule(10), 100.0));
  ASSERT_EQ(table.pairs.size(), 4u);
  for (std::size_t p = 0; p < 4; ++p) {
    const NearPair pr = table.pairs[p];
    EXPECT_TRUE(pr.i == p / 2 && pr.j == p % 2);
    double ref[9];
    brute_force_moments(pr.i == 0 ? on_face : apart, cells.tet(pr.j), pr.i == pr.j ? 3 : 0, ref);
    double scale = 0.0;
    for (double v : ref) scale = std::fmax(scale, std::fabs(v));
    // Apart, the moments resolve the four shifts of the point (4e-8 in r − W_b, ~1e-7 relative).
    const double tol = pr.i == pr.j ? 1e-5 : 1e-10;
    for (int v = 0; v < 9; ++v) {
      ASSERT_TRUE(std::isfinite(table.rs[9 * p + v]));
      EXPECT_NEAR(table.rs[9 * p + v], ref[v], tol * scale) << "pair " << p << " entry " << v;
    }
  }
}

TEST(CellPlateTable, CoplanarTriangleTouchingAtAVertexInEveryVertexOrder) {
  // The triangle lies in the plane of the face z = 0 and touches it at the origin; with the
  // 7-point rule the shifted points fall on edge lines of that face in some vertex orders.
  const Vec3 corner[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Plates plates;
  const Vec3 w[3] = {{0, 0, 0}, {-1, -1, 0}, {0, -1, 0}};
  plates.add(w);
  std::vector<double> first;
  int order[4] = {0, 1, 2, 3};
  do {
    Cells cells;
    cells.add({{corner[order[0]], corner[order[1]], corner[order[2]], corner[order[3]]}});
    const auto table = mom::tables::cell_plate_table(
        plate_input(plates, cells, reference::seven_point_rule(), 10.0));
    ASSERT_EQ(table.rs.size(), 9u);
    for (double v : table.rs) ASSERT_TRUE(std::isfinite(v));
    if (first.empty()) first = table.rs;
    for (int v = 0; v < 9; ++v) EXPECT_NEAR(table.rs[v], first[v], 1e-6 * std::fabs(first[v]));
  } while (std::next_permutation(order, order + 4));
}

TEST(CellPlateTable, EmptyInputsAndNonPositiveFactorsGiveNoPairs) {
  const Cells cells = three_tetrahedra();
  Plates plates;
  const Vec3 w[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  plates.add(w);
  const auto rule = reference::seven_point_rule();
  EXPECT_EQ(mom::tables::cell_plate_table(plate_input(plates, cells, rule, 1e-9)).pairs.size(), 0u);
  EXPECT_TRUE(mom::tables::cell_plate_table(plate_input(plates, cells, rule, 0)).pairs.empty());
  EXPECT_TRUE(mom::tables::cell_plate_table(plate_input(plates, Cells{}, rule, 4)).rs.empty());
  EXPECT_TRUE(mom::tables::cell_plate_table(plate_input(Plates{}, cells, rule, 4)).rs.empty());
  EXPECT_EQ(mom::tables::cell_plate_table(plate_input(plates, cells, rule, 4)).pairs.size(), 2u);
}

}  // namespace
