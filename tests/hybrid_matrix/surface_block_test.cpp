// The surface block against an independent edge-pair assembly, the closed form of two
// triangles sharing one edge, the triangle-to-edge lists and the checks on the surface record.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "errors.hpp"
#include "hybrid_core.hpp"
#include "surface_mesh.hpp"
#include "test_mesh.hpp"

namespace {

using namespace mom::hybrid;
using testmesh::cd;

const testmesh::Frequency kFreq{2.1e9, 3.0e7, 8.854e-12, 1.2566e-6, 2.998e8};

SystemProblem problem_of(const testmesh::Surface& s, const testmesh::Frequency& f,
                         SurfaceRecord& rec) {
  rec = s.record();
  return prepare(f.omega_re, f.omega_im, ConstantsRecord{f.epsilon, f.mu, f.c, {}, {}}, &rec);
}

// Largest |module − reference| over the lower triangle, relative to the largest entry; the
// upper triangle must be exactly zero.
double lower_triangle_error(const SystemMatrix& m, const std::vector<cd>& ref, std::size_t n) {
  const mom::cplx* a = m.data();
  double err = 0, scale = 0;
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      if (r < c) {
        EXPECT_EQ(a[r + n * c], mom::cplx(0.0)) << "upper entry (" << r << ", " << c << ")";
        continue;
      }
      err = std::max(err, std::abs(a[r + n * c] - ref[r + n * c]));
      scale = std::max(scale, std::abs(ref[r + n * c]));
    }
  return err / scale;
}

// Two triangles P (plus) and Q (minus) sharing their one edge, both self pairs and the pair
// listed: A = jω·l²·(Z_P + Z_Q − 2·Z_PQ), the cross term arriving once per orientation.
TEST(SurfaceBlock, TwoTrianglesSharingOneEdge) {
  testmesh::Surface s;
  s.nodes = {0, 0, 0, 1, 0, 0, 0.2, 0.9, 0, 0.9, -0.8, 0.1};
  s.triangles = {{0, 1, 2}, {1, 0, 3}};
  testmesh::finish(s);
  ASSERT_EQ(s.ns, 1u);
  std::mt19937 gen(7);
  s.add_pair(0, 0, gen);
  s.add_pair(1, 1, gen);
  s.add_pair(1, 0, gen);  // first triangle ≥ second: Q first, its slot is the static major index
  for (const double omega_im : {0.0, 4e7}) {
    testmesh::Frequency f = kFreq;
    f.omega_im = omega_im;
    const std::size_t P = s.tri_p[0] - 1, Q = s.tri_m[0] - 1;
    const int i = s.ver_p[0] - 1, j = s.ver_m[0] - 1;
    const cd expected =
        cd(0, 1) * f.omega() * s.length[0] * s.length[0] *
        (testmesh::half_pair(s, f, P, i, P, i) + testmesh::half_pair(s, f, Q, j, Q, j) -
         2.0 * testmesh::half_pair(s, f, Q, j, P, i));
    SurfaceRecord rec;
    const SystemMatrix a = assemble(problem_of(s, f, rec));
    ASSERT_EQ(a.order(), 1u);
    EXPECT_LT(std::abs(a.data()[0] - expected), 1e-12 * std::abs(expected))
        << "omega_im " << omega_im;
  }
}

// A curved plate of 18 triangles plus one triangle far away that no edge refers to; the near
// list holds self pairs (one missing), neighbours in both orders and one pair listed twice.
testmesh::Surface listed_plate(bool with_list) {
  testmesh::Surface s = testmesh::plate(3, 3, 11);
  const int base = static_cast<int>(s.nodes.size() / 3);
  s.nodes.insert(s.nodes.end(), {2, 2, 1, 2.1, 2, 1, 2, 2.1, 1.05});
  s.triangles.push_back({base, base + 1, base + 2});
  testmesh::finish(s);
  if (!with_list) return s;
  std::mt19937 gen(3);
  for (std::size_t t = 0; t < s.tr; ++t)
    for (std::size_t u = 0; u <= t; ++u) {
      const double d = testmesh::dist(&s.centroid[3 * t], &s.centroid[3 * u]);
      if ((t == u && t != 4) || (t != u && d < 0.09)) {
        if (t % 3 == 0)
          s.add_pair(u, t, gen);  // reversed order is allowed
        else
          s.add_pair(t, u, gen);
      }
    }
  s.add_pair(7, 6, gen);  // listed twice: corrected twice
  return s;
}

TEST(SurfaceBlock, PlateMatchesEdgePairAssembly) {
  for (const bool with_list : {true, false}) {
    const testmesh::Surface s = listed_plate(with_list);
    ASSERT_GT(s.ns, 15u);
    SurfaceRecord rec;
    const SystemProblem p = problem_of(s, kFreq, rec);
    ASSERT_EQ(p.order(), s.ns);
    const SystemMatrix a = assemble(p);
    EXPECT_LT(lower_triangle_error(a, testmesh::reference_matrix(s, kFreq), s.ns), 1e-12)
        << (with_list ? "with" : "without") << " near list";
  }
}

// A plate large enough that the centroid sweep and the near list run on two threads split by
// columns. Every entry receives the same terms in the same order whichever thread owns its
// column and whichever scatter takes them, so numbering the edges backwards (which moves the
// split and turns most pairs from the direct scatter to the fold) only permutes the matrix, to
// the bit; and no entry depends on which thread ran first. (Self pairs are left out of the list:
// their slot table is symmetric only to rounding, and which half the fold keeps depends on the
// numbering.)
TEST(SurfaceBlock, TwoThreadFillIsExactUnderEdgeRenumbering) {
  testmesh::Surface s = testmesh::plate(20, 17, 5);
  testmesh::finish(s);
  std::mt19937 gen(9);
  for (std::size_t t = 0; t < s.tr; ++t)
    for (std::size_t u = 0; u < t; ++u)
      if (testmesh::dist(&s.centroid[3 * t], &s.centroid[3 * u]) < 0.19) s.add_pair(t, u, gen);
  ASSERT_GT(s.tr * s.tr / 2, 200000u);
  ASSERT_GT(s.is.size(), 2000u);
  testmesh::Surface r = s;
  for (std::vector<double>* v : {&r.tri_p, &r.tri_m, &r.ver_p, &r.ver_m, &r.length})
    std::reverse(v->begin(), v->end());
  SurfaceRecord rec_s, rec_r;
  const SystemMatrix a = assemble(problem_of(s, kFreq, rec_s));
  const SystemMatrix b = assemble(problem_of(r, kFreq, rec_r));
  const SystemMatrix again = assemble(problem_of(s, kFreq, rec_s));
  const std::size_t n = s.ns;
  std::size_t differ = 0;
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t x = c; x < n; ++x) {
      // Edge e is edge n−1−e of r: the entry (x, c) is r's entry (n−1−c, n−1−x).
      differ += a.data()[x + n * c] != b.data()[(n - 1 - c) + n * (n - 1 - x)];
      differ += a.data()[x + n * c] != again.data()[x + n * c];
    }
  EXPECT_EQ(differ, 0u);
}

TEST(SurfaceBlock, EmptyProblem) {
  const SystemProblem p = prepare(1.0, 0.0, ConstantsRecord{1, 1, 1, {}, {}}, nullptr);
  SystemMatrix a = assemble(p);
  EXPECT_EQ(p.order(), 0u);
  EXPECT_EQ(condition(a).rcond, 1.0);
  SystemMatrix b = assemble(p);
  EXPECT_TRUE(solve(b, 2, nullptr, nullptr).x.empty());
}

// Lists in ascending edge order, plus and minus apart, no capacity limit, empty for a triangle
// that no edge refers to.
TEST(TriangleEdges, AscendingListsWithoutCapacity) {
  const std::size_t ns = 40, tr = 4;
  std::vector<std::int64_t> tp(ns), tm(ns);
  for (std::size_t e = 0; e < ns; ++e) {
    tp[e] = e < 30 ? 0 : 1;  // 30 edges with plus triangle 0
    tm[e] = e % 2 ? 3 : 1;   // triangle 2: no edge
  }
  const TriangleEdges l = triangle_edges(tp.data(), tm.data(), ns, tr);
  ASSERT_EQ(l.plus_start, (std::vector<std::size_t>{0, 30, 40, 40, 40}));
  ASSERT_EQ(l.minus_start, (std::vector<std::size_t>{0, 0, 20, 20, 40}));
  for (std::size_t q = 0; q < ns; ++q) EXPECT_EQ(l.plus_edges[q], q);
  for (std::size_t q = 0; q < 20; ++q) {
    EXPECT_EQ(l.minus_edges[q], 2 * q);
    EXPECT_EQ(l.minus_edges[20 + q], 2 * q + 1);
  }
}

// Malformed surface records end with an identified error naming the field of 'geom'.
TEST(SurfaceRecordChecks, BadFieldsAreNamed) {
  const testmesh::Surface good = listed_plate(true);
  const std::vector<double> zero(200, 0.0), big(1, 1e300), two_by_two{0, 0, 0, 0};
  struct Case {
    const char* field;
    const char* mnemonic;
    void (*spoil)(SurfaceRecord&, const std::vector<double>&);
    const std::vector<double>* data;
  };
  const Case cases[] = {
      {"'TriP'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.TriP = {d.data(), 1, 3};
       },
       &zero},
      {"'TriM'", "badIndex",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.TriM = {d.data(), 1, 200};
       },
       &zero},
      {"'VerP'", "badIndex",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.VerP = {d.data(), 1, 200};
       },
       &zero},
      {"'EdgeLength'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.EdgeLength = {d.data(), 0, 0};
       },
       &zero},
      {"'PointsFC'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>&) { r.PointsFC.cols -= 1; }, &zero},
      {"'PointsFCRho'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>&) {
         r.PointsFCRho.rows = 1;
         r.PointsFCRho.cols *= 3;
       },
       &zero},
      {"'PointsMRho'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>&) { r.PointsMRho.cols -= 1; }, &zero},
      {"'WM'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>&) {
         r.OrderM = 4;
         r.PointsM.cols *= 2;
         r.PointsMRho.cols *= 2;
       },
       &zero},
      {"'ttIS'", "badSize",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.ttIS = {d.data(), 2, 2};
       },
       &two_by_two},
      {"'ttIS'", "badIndex",
       [](SurfaceRecord& r, const std::vector<double>& d) {
         r.ttIS = {d.data(), 1, 1};
         r.ttJS.cols = 1;
       },
       &big},
      {"'ttJS'", "badSize", [](SurfaceRecord& r, const std::vector<double>&) { r.ttJS.cols -= 1; },
       &zero},
      {"'ttRS'", "badSize", [](SurfaceRecord& r, const std::vector<double>&) { r.ttRS.cols -= 1; },
       &zero},
  };
  for (const Case& c : cases) {
    SurfaceRecord rec = good.record();
    c.spoil(rec, *c.data);
    try {
      prepare_surface(rec);
      ADD_FAILURE() << c.field << ": no error";
    } catch (const mom::Error& e) {
      EXPECT_EQ(e.mnemonic(), c.mnemonic) << e.what();
      EXPECT_NE(std::string(e.what()).find(std::string("field ") + c.field + " of 'geom'"),
                std::string::npos)
          << e.what();
    }
  }
  // A triangle number past TrianglesTotal in the edge tables.
  SurfaceRecord rec = good.record();
  rec.TrianglesTotal -= 1;
  rec.PointsFC.cols -= 1;
  EXPECT_THROW(prepare_surface(rec), mom::Error);
}

// Two distinct triangles on the same nodes: an infinite centroid estimate, refused.
TEST(SurfaceRecordChecks, CoincidingCentroidsAreRefused) {
  testmesh::Surface s = testmesh::plate(2, 1, 4);
  s.triangles.push_back(s.triangles[1]);
  testmesh::finish(s);
  SurfaceRecord rec;
  try {
    assemble(problem_of(s, kFreq, rec));
    ADD_FAILURE() << "no error";
  } catch (const mom::Error& e) {
    EXPECT_EQ(e.mnemonic(), "badGeometry");
    EXPECT_NE(std::string(e.what()).find("triangles 2 and 5"), std::string::npos) << e.what();
  }
}

TEST(SurfaceRecordChecks, FrequencyAndConstants) {
  const testmesh::Surface s = listed_plate(false);
  const SurfaceRecord rec = s.record();
  const ConstantsRecord k{1, 1, 1, {}, {}};
  EXPECT_THROW(prepare(0.0, 0.0, k, &rec), mom::Error);  // 1/(jωε) at ω = 0
  EXPECT_NO_THROW(prepare(0.0, 0.0, k, nullptr));        // no metal: ω = 0 is harmless
  EXPECT_THROW(prepare(1.0, 0.0, ConstantsRecord{1, 1, 0, {}, {}}, &rec), mom::Error);
  EXPECT_THROW(prepare(NAN, 0.0, k, &rec), mom::Error);
}

}  // namespace
