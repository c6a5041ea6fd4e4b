// The selection of independent edges against three independent references:
//  - the counting law: used edges − used vertices + components − independent loops functions
//    remain (Euler's relation for the curl of edge functions);
//  - the greedy definition, evaluated densely from the geometric vectors themselves: each
//    tetrahedron's 3 × 6 block of local vectors is replaced by an orthonormal basis of its row
//    space (an invertible 3 × 3 change per tetrahedron, which keeps every span relation), and
//    the columns are tested in order by Gram–Schmidt;
//  - the LU rule on the single-precision Gram matrix, on well-shaped meshes, where it is
//    reliable.
#include "edge_selection.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "basis_core.hpp"
#include "lapack.hpp"
#include "mesh_fixtures.hpp"
#include "reference_rules.hpp"

namespace {

using fixtures::edge_vertices;
using fixtures::Flags;
using fixtures::Local;
using fixtures::local_tables;
using fixtures::lu_rule;
using fixtures::TetMesh;

Flags select(const TetMesh& m, mom::basis::SelectionStats* stats = nullptr) {
  const Local l = local_tables(m);
  const auto ev = edge_vertices(m);
  return mom::basis::select_independent_edges(ev.data(), m.ne, m.np, l.cols.data(), m.nt, stats);
}

// Greedy in column order on the block-orthonormalised curl matrix.
Flags dense_greedy(const TetMesh& m) {
  const Local l = local_tables(m);
  const std::size_t rows = 3 * m.nt;
  std::vector<double> a(rows * m.ne, 0.0);
  for (std::size_t t = 0; t < m.nt; ++t) {
    // Rows of the block: x, y and z components of the six local vectors; orthonormalise them.
    double q[3][6];
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 6; ++k) q[i][k] = l.b[18 * t + 3 * k + i];
    for (int i = 0; i < 3; ++i)
      for (int pass = 0; pass < 2; ++pass) {
        for (int j = 0; j < i; ++j) {
          double d = 0;
          for (int k = 0; k < 6; ++k) d += q[i][k] * q[j][k];
          for (int k = 0; k < 6; ++k) q[i][k] -= d * q[j][k];
        }
        double n = 0;
        for (int k = 0; k < 6; ++k) n += q[i][k] * q[i][k];
        for (int k = 0; k < 6; ++k) q[i][k] /= std::sqrt(n);
      }
    for (int k = 0; k < 6; ++k)
      for (int i = 0; i < 3; ++i) a[3 * t + i + rows * l.cols[6 * t + k]] += q[i][k];
  }
  Flags kept(m.ne, 0);
  std::vector<std::vector<double>> basis;
  for (std::size_t c = 0; c < m.ne; ++c) {
    std::vector<double> v(a.begin() + rows * c, a.begin() + rows * (c + 1));
    const double n0 = std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0));
    if (n0 == 0) continue;
    for (int pass = 0; pass < 2; ++pass)
      for (const auto& u : basis) {
        const double d = std::inner_product(v.begin(), v.end(), u.begin(), 0.0);
        for (std::size_t i = 0; i < rows; ++i) v[i] -= d * u[i];
      }
    const double n = std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0));
    if (n <= 1e-8 * n0) continue;
    for (double& x : v) x /= n;
    basis.push_back(std::move(v));
    kept[c] = 1;
  }
  return kept;
}

std::size_t count(const Flags& f) { return std::size_t(std::count(f.begin(), f.end(), 1)); }

// Vertices of at least one tetrahedron.
std::size_t used_vertices(const TetMesh& m) {
  std::vector<char> touched(m.np, 0);
  for (const auto& v : m.tets)
    for (int i : v) touched[std::size_t(i)] = 1;
  return std::size_t(std::count(touched.begin(), touched.end(), 1));
}

// Expected count from the counting law, with b₁ given by construction.
void expect_counting_law(const TetMesh& m, std::size_t components, std::size_t loops,
                         const char* what) {
  mom::basis::SelectionStats s;
  const Flags kept = select(m, &s);
  EXPECT_EQ(s.used_edges, m.ne) << what;
  EXPECT_EQ(s.used_vertices, m.np) << what;
  EXPECT_EQ(s.components, components) << what;
  EXPECT_EQ(s.loops, loops) << what;
  EXPECT_EQ(count(kept), m.ne - m.np + components - loops) << what;
  EXPECT_EQ(s.retained, count(kept)) << what;
}

std::vector<double> graded_nodes(int cells, double ratio) {
  // Geometric spacing: the last cell is `ratio` times the first.
  std::vector<double> x(1, 0.0);
  const double q = std::pow(ratio, 1.0 / std::max(cells - 1, 1));
  double h = 1.0;
  for (int i = 0; i < cells; ++i, h *= q) x.push_back(x.back() + h);
  return x;
}

TEST(EdgeSelection, CountingLawOnStructuredGradedAndFlatMeshes) {
  using fixtures::box_grid;
  using fixtures::uniform_nodes;
  expect_counting_law(box_grid(uniform_nodes(1), uniform_nodes(1), uniform_nodes(1)), 1, 0,
                      "one cube");
  expect_counting_law(box_grid(uniform_nodes(5), uniform_nodes(4), uniform_nodes(3)), 1, 0,
                      "5x4x3 grid");
  const auto g = graded_nodes(6, 1e3);
  expect_counting_law(box_grid(g, g, g), 1, 0, "graded 1e3 per axis (volumes 1e9 apart)");
  // A layer a millionth as thick as the others: flattened tetrahedra beside normal ones.
  expect_counting_law(box_grid(uniform_nodes(3), uniform_nodes(3), {0, 1, 1 + 1e-6, 2}), 1, 0,
                      "flat layer");
  auto jittered = box_grid(uniform_nodes(4), uniform_nodes(4), uniform_nodes(4));
  fixtures::jitter(jittered, 0.08, 7);
  fixtures::shuffle_edges(jittered, 3);
  expect_counting_law(jittered, 1, 0, "jittered, shuffled edge columns");
}

TEST(EdgeSelection, CountingLawWithComponentsAndLoops) {
  using fixtures::box_grid;
  using fixtures::uniform_nodes;
  const auto cube = box_grid(uniform_nodes(2), uniform_nodes(2), uniform_nodes(2));
  const auto ring = fixtures::solid_ring(9);
  expect_counting_law(ring, 1, 1, "solid ring");
  expect_counting_law(fixtures::disjoint_union(cube, cube, 5), 2, 0, "two cubes");
  auto two_rings = fixtures::disjoint_union(ring, ring, 10);
  fixtures::shuffle_edges(two_rings, 11);
  expect_counting_law(two_rings, 2, 2, "two rings, shuffled edges");
  expect_counting_law(fixtures::disjoint_union(ring, cube, 10), 2, 1, "ring and cube");
}

TEST(EdgeSelection, CountingLawWithHolesCavitiesAndEdgeContacts) {
  using fixtures::box_grid;
  using fixtures::uniform_nodes;
  const auto x5 = uniform_nodes(5), x3 = uniform_nodes(3), x1 = uniform_nodes(1);
  // A slab with two through holes: two independent loops.
  const auto two_holes =
      box_grid(x5, x3, x1, [](int i, int j, int) { return !(j == 1 && (i == 1 || i == 3)); });
  // A hollow cube (a closed cavity inside): no loop, but a 2-cycle that no collapse removes.
  const auto hollow =
      box_grid(x3, x3, x3, [](int i, int j, int k) { return !(i == 1 && j == 1 && k == 1); });
  // Four cells round an empty centre, each touching the next along one edge only: a loop
  // through non-manifold edges.
  const auto edge_ring = box_grid(x3, x3, x1, [](int i, int j, int) { return (i + j) % 2 == 1; });
  struct Case {
    const char* what;
    const fixtures::TetMesh& m;
    std::size_t loops;
  };
  for (const Case& c : {Case{"two holes", two_holes, 2}, Case{"hollow cube", hollow, 0},
                        Case{"edge ring", edge_ring, 1}}) {
    mom::basis::SelectionStats s;
    const Flags kept = select(c.m, &s);
    const std::size_t nv = used_vertices(c.m);
    EXPECT_EQ(s.loops, c.loops) << c.what;
    EXPECT_EQ(s.components, 1u) << c.what;
    EXPECT_EQ(count(kept), c.m.ne - nv + 1 - c.loops) << c.what;
    EXPECT_EQ(kept, dense_greedy(c.m)) << c.what;
  }
}

TEST(EdgeSelection, EqualsTheGreedyDefinition) {
  using fixtures::box_grid;
  using fixtures::uniform_nodes;
  std::vector<std::pair<const char*, TetMesh>> meshes;
  meshes.emplace_back("3x2x2 grid", box_grid(uniform_nodes(3), uniform_nodes(2), uniform_nodes(2)));
  const auto g = graded_nodes(4, 1e3);
  meshes.emplace_back("graded", box_grid(g, uniform_nodes(2), g));
  meshes.emplace_back("flat layer",
                      box_grid(uniform_nodes(2), uniform_nodes(2), {0, 1, 1 + 1e-6, 2}));
  meshes.emplace_back("ring", fixtures::solid_ring(7));
  for (unsigned seed = 1; seed <= 4; ++seed) {
    auto m = box_grid(uniform_nodes(3), uniform_nodes(2), uniform_nodes(2));
    fixtures::jitter(m, 0.1, seed);
    fixtures::shuffle_edges(m, seed);
    meshes.emplace_back("jittered, shuffled", m);
    auto r = fixtures::solid_ring(6 + seed);
    fixtures::shuffle_edges(r, seed);
    meshes.emplace_back("ring, shuffled", r);
  }
  for (const auto& [what, m] : meshes) EXPECT_EQ(select(m), dense_greedy(m)) << what;
}

TEST(EdgeSelection, EqualsTheGreedyDefinitionOnRandomComplexes) {
  // Tetrahedra on random quadruples of a few random points: overlapping, non-manifold
  // complexes with loops, enclosed voids and patches that do not collapse, which drive every
  // branch of the topological computation. Each tetrahedron still has its own geometric
  // vectors, so the dense reference applies unchanged.
  std::mt19937 gen(17);
  std::size_t with_loops = 0, with_set_aside = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    TetMesh m;
    const int nv = 6 + trial % 5;
    std::uniform_real_distribution<double> u(0, 1);
    for (int i = 0; i < 3 * nv; ++i) m.P.push_back(u(gen));
    std::set<std::array<int, 4>> tets;
    const int quadruples = nv * (nv - 1) * (nv - 2) * (nv - 3) / 24;
    const int nt = std::min(3 + trial % 23, quadruples);
    std::uniform_int_distribution<int> pick(0, nv - 1);
    while (int(tets.size()) < nt) {
      std::array<int, 4> v;
      for (int& x : v) x = pick(gen);
      std::sort(v.begin(), v.end());
      if (std::adjacent_find(v.begin(), v.end()) == v.end()) tets.insert(v);
    }
    m.tets.assign(tets.begin(), tets.end());
    fixtures::derive_tables(m);
    fixtures::shuffle_edges(m, unsigned(trial));
    mom::basis::SelectionStats s;
    EXPECT_EQ(select(m, &s), dense_greedy(m)) << "trial " << trial;
    with_loops += s.loops > 0;
    with_set_aside += s.suspended_triangles > 0;
  }
  EXPECT_GT(with_loops, 10u);
  EXPECT_GT(with_set_aside, 10u);
}

TEST(EdgeSelection, UnusedDuplicateAndReversedColumns) {
  auto m = fixtures::box_grid(fixtures::uniform_nodes(2), fixtures::uniform_nodes(1),
                              fixtures::uniform_nodes(1));
  // Prepend a copy of every column (unused: the later copy is the one found), an unused
  // reversed pair and a pair joining two vertices with no edge between them.
  const std::size_t ne = m.ne;
  std::vector<double> e = m.Edges;
  e.insert(e.end(), {2, 1, 1, 12});
  e.insert(e.end(), m.Edges.begin(), m.Edges.end());
  m.Edges = e;
  m.ne = 2 * ne + 2;
  const Flags kept = select(m);
  EXPECT_EQ(kept, dense_greedy(m));
  for (std::size_t c = 0; c < ne + 2; ++c) EXPECT_EQ(kept[c], 0) << "unused column " << c;
  EXPECT_EQ(count(kept), ne - m.np + 1);
}

TEST(EdgeSelection, TetrahedraListedInAnyVertexOrder) {
  // Each tetrahedron lists its vertices in a random order and the edge table holds the pairs
  // as the tetrahedra list them, so one mesh edge may appear as (a, b) for some tetrahedra and
  // (b, a) for others: two separate functions, each on part of the edge's tetrahedra.
  std::mt19937 gen(5);
  for (int trial = 0; trial < 6; ++trial) {
    auto m = fixtures::box_grid(fixtures::uniform_nodes(2), fixtures::uniform_nodes(2),
                                fixtures::uniform_nodes(1 + trial % 2));
    for (auto& v : m.tets) std::shuffle(v.begin(), v.end(), gen);
    fixtures::derive_tables(m);
    fixtures::shuffle_edges(m, trial);
    EXPECT_EQ(select(m), dense_greedy(m)) << "trial " << trial;
  }
}

TEST(EdgeSelection, AgreesWithTheLuRuleOnWellShapedMeshes) {
  using fixtures::box_grid;
  using fixtures::uniform_nodes;
  int meshes = 0;
  double worst_margin = INFINITY;
  for (int nx = 1; nx <= 4; ++nx)
    for (int ny = 1; ny <= 3; ++ny)
      for (int nz = 1; nz <= 2; ++nz)
        for (unsigned seed = 0; seed < 5; ++seed) {
          auto m = box_grid(uniform_nodes(nx), uniform_nodes(ny), uniform_nodes(nz));
          if (seed) {
            fixtures::jitter(m, 0.02 * seed, seed + 10 * nx + 100 * ny + 1000 * nz);
            fixtures::shuffle_edges(m, seed);
          }
          double margin = 0;
          EXPECT_EQ(select(m), lu_rule(m, &margin))
              << nx << "x" << ny << "x" << nz << " seed " << seed;
          worst_margin = std::min(worst_margin, margin);
          ++meshes;
        }
  EXPECT_EQ(meshes, 120);
  // Every pivot stays far from the threshold (measured: 99 times), so each decision of the
  // rule is clear-cut and the comparison meaningful.
  EXPECT_GT(worst_margin, 50.0);
}

TEST(EdgeSelection, LuRuleLosesFunctionsOnGradedMeshesWhereTheSelectionDoesNot) {
  // The corner cell a hundred times smaller than the rest in every direction: its Gram entries
  // are 10⁸ times larger and lift the global threshold above the pivots of ordinary cells.
  // The exact selection keeps what the counting law requires.
  const std::vector<double> x = {0, 0.01, 1, 2, 3};
  const auto m = fixtures::box_grid(x, x, x);
  const std::size_t expected = m.ne - m.np + 1;
  EXPECT_EQ(count(select(m)), expected);
  EXPECT_EQ(select(m), dense_greedy(m));
  EXPECT_LT(count(lu_rule(m)), expected);
}

TEST(EdgeSelection, NoTetrahedraDropsEveryColumn) {
  const std::int32_t ev[4] = {0, 1, 1, 2};
  mom::basis::SelectionStats s;
  const Flags kept = mom::basis::select_independent_edges(ev, 2, 3, nullptr, 0, &s);
  EXPECT_EQ(kept, Flags({0, 0}));
  EXPECT_EQ(s.used_edges, 0u);
}

TEST(EdgeSelection, CollapsesLeaveNoCoreOnBallsAndACircleOnARing) {
  mom::basis::SelectionStats s;
  auto m = fixtures::box_grid(fixtures::uniform_nodes(6), fixtures::uniform_nodes(5),
                              fixtures::uniform_nodes(4));
  fixtures::shuffle_edges(m, 2);
  select(m, &s);
  EXPECT_EQ(s.core_edges, 0u);
  EXPECT_EQ(s.core_triangles, 0u);
  select(fixtures::solid_ring(12), &s);
  EXPECT_EQ(s.core_edges, 1u);
  EXPECT_EQ(s.core_triangles, 0u);
  // A cavity leaves a closed surface that no free edge opens: one of its triangles is set
  // aside (its relation follows from the others), and the collapse finishes.
  const auto x = fixtures::uniform_nodes(6);
  const auto hollow = fixtures::box_grid(x, x, x, [](int i, int j, int k) {
    return !(i >= 2 && i <= 3 && j >= 2 && j <= 3 && k >= 2 && k <= 3);
  });
  const Flags kept = select(hollow, &s);
  EXPECT_EQ(s.suspended_triangles, 1u);
  EXPECT_EQ(s.core_triangles, 0u);
  EXPECT_EQ(s.loops, 0u);
  EXPECT_EQ(count(kept), hollow.ne - used_vertices(hollow) + 1);
}

TEST(EdgeSelection, RepeatedTetrahedronChangesNothing) {
  // A tetrahedron listed twice doubles its functions there; no span relation changes.
  auto m = fixtures::box_grid(fixtures::uniform_nodes(2), fixtures::uniform_nodes(2),
                              fixtures::uniform_nodes(1));
  const Flags once = select(m);
  m.tets.push_back(m.tets[5]);
  m.tets.push_back(m.tets[0]);
  fixtures::derive_tables(m);
  EXPECT_EQ(select(m), once);
  EXPECT_EQ(select(m), dense_greedy(m));
}

}  // namespace
