// The basis builder on the worked examples (unit corner tetrahedron, two tetrahedra), against
// closed forms (volumes, areas, contrasts), the flux property of the edge vectors, normal
// continuity across interior faces, and malformed input.
#include "basis_core.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "errors.hpp"
#include "mesh_fixtures.hpp"

namespace {

using fixtures::TetMesh;
using mom::basis::build_basis;
using mom::basis::VolumeBasis;

TetMesh unit_corner() {
  TetMesh m;
  m.P = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  m.tets = {{0, 1, 2, 3}};
  fixtures::derive_tables(m);
  // Only the face (2, 3, 4), with the tetrahedron on one side.
  m.Faces = {2, 3, 4};
  m.TET = {1, 0};
  m.nf = 1;
  return m;
}

TetMesh two_tets() {
  TetMesh m;
  m.P = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
  m.tets = {{0, 1, 2, 3}, {1, 2, 3, 4}};
  fixtures::derive_tables(m);  // edges ascending: (1,2) (1,3) (1,4) (2,3) (2,4) (2,5) ...
  m.Faces = {2, 3, 4};
  m.TET = {1, 2};
  m.nf = 1;
  return m;
}

std::string error_of(const TetMesh& m, const mom::basis::Materials& mat) {
  try {
    build_basis(m.view(), mat);
  } catch (const mom::Error& e) {
    return e.mnemonic() + ": " + e.what();
  }
  return "no error";
}

TEST(BasisBuilder, UnitCornerTetrahedron) {
  const TetMesh m = unit_corner();
  const fixtures::UniformMaterial mat(1);
  const VolumeBasis b = build_basis(m.view(), mat.view());
  EXPECT_DOUBLE_EQ(b.volume_t[0], 1.0 / 6);
  EXPECT_EQ(b.center_t, std::vector<double>({0.25, 0.25, 0.25}));
  EXPECT_DOUBLE_EQ(b.area_f[0], std::sqrt(3.0) / 2);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(b.center_f[i], 1.0 / 3);
  // Edges 3, 5 and 6 dependent; the three kept vectors in slot order.
  EXPECT_EQ(b.num_retained, 3u);
  EXPECT_EQ(b.edge, std::vector<double>({1, 2, 1, 3, 2, 3}));
  EXPECT_EQ(b.edges_tn, std::vector<double>({1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(b.edges_tni, std::vector<double>({3}));
  std::vector<double> tc(18, 0.0);
  const double kept[9] = {0, -2, 2, 2, 0, -2, 0, 0, 2};
  std::copy(kept, kept + 9, tc.begin());
  EXPECT_EQ(b.basis_tc, tc);
  // Face (2, 3, 4): only its local edge (2, 3) is kept; the tetrahedron is on the minus side
  // of that edge's normal, so the jump is +κ.
  EXPECT_EQ(b.edges_fn, std::vector<double>({3, 0, 0}));
  EXPECT_EQ(b.edges_fni, std::vector<double>({1}));
  EXPECT_EQ(b.diff_contrast_re, std::vector<double>({0.75, 0, 0}));
  EXPECT_EQ(b.diff_contrast_im, std::vector<double>({0, 0, 0}));
}

TEST(BasisBuilder, LocalEdgeVectorsOfTheUnitCorner) {
  const double p[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double b[18];
  ASSERT_TRUE(mom::basis::local_edge_vectors(p[0], p[1], p[2], p[3], b));
  const double expected[18] = {0, -2, 2, 2, 0, -2, -2, 2, 0, 0, 0, 2, 0, -2, 0, 2, 0, 0};
  for (int i = 0; i < 18; ++i) EXPECT_DOUBLE_EQ(b[i], expected[i]) << i;
}

TEST(BasisBuilder, TwoTetrahedraAndTheirSharedFace) {
  TetMesh m = two_tets();
  std::vector<double> eps_r = {4, 2}, tan_d = {0, 1};
  const VolumeBasis b = build_basis(m.view(), {1.0, eps_r.data(), tan_d.data()});
  // Edges 3, 6, 8 and 9 dependent.
  EXPECT_EQ(b.edge, std::vector<double>({1, 2, 1, 3, 2, 3, 2, 4, 3, 4}));
  EXPECT_EQ(b.volume_t[1], 1.0 / 3);
  // κ1 = 0.75, κ2 = 0.75 − 0.25j; jumps (κ1 − κ2, κ2 − κ1, κ1 − κ2) in the slots (5, 4, 3).
  EXPECT_EQ(b.edges_fn, std::vector<double>({5, 4, 3}));
  EXPECT_EQ(b.diff_contrast_re, std::vector<double>({0, 0, 0}));
  EXPECT_EQ(b.diff_contrast_im, std::vector<double>({0.25, -0.25, 0.25}));
  // The sides are decided by geometry: the rows of TET may be swapped.
  m.TET = {2, 1};
  const VolumeBasis s = build_basis(m.view(), {1.0, eps_r.data(), tan_d.data()});
  EXPECT_EQ(s.diff_contrast_re, b.diff_contrast_re);
  EXPECT_EQ(s.diff_contrast_im, b.diff_contrast_im);
}

TEST(BasisBuilder, ContrastOfLossyAndLosslessMaterial) {
  const TetMesh m = two_tets();
  struct Case {
    double eps_b, r, d;
  };
  for (const Case c :
       {Case{1, 4, 0}, Case{1, 2, 1}, Case{8.854e-12, 3.3 * 8.854e-12, 0.02}, Case{2, 2, 0}}) {
    std::vector<double> eps_r(2, c.r), tan_d(2, c.d);
    const VolumeBasis b = build_basis(m.view(), {c.eps_b, eps_r.data(), tan_d.data()});
    const std::complex<double> kappa = 1.0 - c.eps_b / (c.r * std::complex<double>(1.0, -c.d));
    EXPECT_NEAR(b.contrast_re[0], kappa.real(), 1e-14);
    EXPECT_NEAR(b.contrast_im[0], kappa.imag(), 1e-14);
    // Equal materials on both sides: no jump.
    for (double j : b.diff_contrast_re) EXPECT_NEAR(j, 0, 1e-15);
  }
}

// Over a jittered grid with every face: each kept vector has flux +1 through both faces of its
// tetrahedron that contain its edge (normal oriented by the edge), and the normal component of
// each function agrees on the two sides of every interior face.
TEST(BasisBuilder, FluxAndNormalContinuity) {
  auto m = fixtures::box_grid(fixtures::uniform_nodes(3), fixtures::uniform_nodes(3),
                              fixtures::uniform_nodes(2));
  fixtures::jitter(m, 0.1, 4);
  const fixtures::UniformMaterial mat(m.nt);
  const VolumeBasis b = build_basis(m.view(), mat.view());
  const auto point = [&](double v) { return &m.P[3 * (std::size_t(v) - 1)]; };
  std::size_t checked = 0;
  double worst_flux = 0, worst_jump = 0;
  for (std::size_t f = 0; f < m.nf; ++f) {
    const double* q[3] = {point(m.Faces[3 * f]), point(m.Faces[3 * f + 1]),
                          point(m.Faces[3 * f + 2])};
    for (int e = 0; e < 3; ++e) {
      // Face edge (a, b) opposite o, normal area vector ½ (a − o) × (b − o).
      const int ia = e == 0 ? 1 : 0, ib = e == 2 ? 1 : 2;
      const double *a = q[ia], *bq = q[ib], *o = q[e];
      const double u[3] = {a[0] - o[0], a[1] - o[1], a[2] - o[2]};
      const double w[3] = {bq[0] - o[0], bq[1] - o[1], bq[2] - o[2]};
      const double n[3] = {0.5 * (u[1] * w[2] - u[2] * w[1]), 0.5 * (u[2] * w[0] - u[0] * w[2]),
                           0.5 * (u[0] * w[1] - u[1] * w[0])};
      const double edge_a = m.Faces[3 * f + ia], edge_b = m.Faces[3 * f + ib];
      // The basis number of this edge, if kept.
      double number = 0;
      for (std::size_t k = 0; k < b.num_retained; ++k)
        if (b.edge[2 * k] == edge_a && b.edge[2 * k + 1] == edge_b) number = double(k + 1);
      if (number == 0) continue;
      double flux[2];
      int sides = 0;
      for (int s = 0; s < 2; ++s) {
        const std::size_t t = std::size_t(m.TET[2 * f + s]);
        if (t == 0) continue;
        for (int slot = 0; slot < b.edges_tni[t - 1]; ++slot)
          if (b.edges_tn[6 * (t - 1) + slot] == number) {
            const double* v = &b.basis_tc[18 * (t - 1) + 3 * slot];
            flux[sides++] = v[0] * n[0] + v[1] * n[1] + v[2] * n[2];
          }
      }
      ASSERT_GE(sides, 1);
      for (int s = 0; s < sides; ++s) worst_flux = std::max(worst_flux, std::fabs(flux[s] - 1));
      if (sides == 2) worst_jump = std::max(worst_jump, std::fabs(flux[0] - flux[1]));
      ++checked;
    }
  }
  EXPECT_GT(checked, 2 * m.nf);
  EXPECT_LT(worst_flux, 1e-12);
  EXPECT_LT(worst_jump, 1e-12);
}

TEST(BasisBuilder, NoTetrahedraNoFaces) {
  TetMesh m;
  m.P = {0, 0, 0, 1, 0, 0};
  m.np = 2;
  m.Edges = {1, 2};
  m.ne = 1;
  const VolumeBasis b = build_basis(m.view(), {1.0, nullptr, nullptr});
  EXPECT_EQ(b.num_retained, 0u);  // the function of an edge in no tetrahedron is zero
  EXPECT_TRUE(b.edge.empty() && b.volume_t.empty() && b.area_f.empty());
}

TEST(BasisBuilder, MalformedInputNamesTheColumn) {
  const fixtures::UniformMaterial mat(2);
  auto expect = [&](const TetMesh& m, const std::string& text) {
    const std::string e = error_of(m, mat.view());
    EXPECT_NE(e.find(text), std::string::npos) << e;
  };
  TetMesh m = two_tets();
  m.T[6] = 6;  // vertex 6 of 5
  expect(m, "badIndex: argument 'T': vertex number 6 in column 2 is outside 1..5");
  m = two_tets();
  m.Edges[5] = 0;
  expect(m, "badIndex: argument 'Edges': vertex number 0 in column 3 is outside 1..5");
  m = two_tets();
  m.Faces[1] = NAN;
  expect(m, "argument 'Faces': vertex number nan in column 1");
  m = two_tets();
  m.TET[1] = 3;
  expect(m, "badIndex: argument 'TET': tetrahedron number 3 in column 1 is outside 0..2");
  m.TET = {0, 0};
  expect(m, "noTetrahedron: argument 'TET': column 1 names no tetrahedron");
  m = two_tets();
  m.Edges = {1, 2, 1, 3, 1, 4, 2, 3, 2, 4, 2, 5, 4, 3, 3, 5, 4, 5};  // (3, 4) reversed
  expect(m, "missingEdge: argument 'T': edge (3, 4) of the tetrahedron in column 1");
  m = two_tets();
  m.P[12] = 0.25, m.P[13] = 0.25, m.P[14] = 0.5;  // vertex 5 on the plane of vertices 2, 3, 4
  expect(m, "degenerate: argument 'T': the tetrahedron in column 2 has zero volume");
  m = two_tets();
  m.P[4] = INFINITY;
  expect(m, "badValue: argument 'P': column 2 holds a coordinate that is not finite");
  m = two_tets();
  std::vector<double> eps_r = {4, 0}, tan_d = {0, 0};
  EXPECT_NE(error_of(m, {1.0, eps_r.data(), tan_d.data()}).find("badMaterial"), std::string::npos);
}

}  // namespace
