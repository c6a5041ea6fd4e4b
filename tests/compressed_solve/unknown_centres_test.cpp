// Centres of the unknowns for the cluster tree: the midpoint of each RWG edge from the record's
// centroid and rho vectors, the mean centroid of the tetrahedra of each volume unknown.
#include "unknown_centres.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(UnknownCentres, EdgeMidpointsAndTetrahedronCentres) {
  // Two triangles: t0 = (a, b, c), t1 = (b, a, d). Edge unknown 0 is the shared edge a–b (free
  // vertex c, slot 2, in its plus triangle t0); unknown 1 is the edge b–d of t1 (free vertex a,
  // slot 1 of t1).
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0}, c[3] = {0.5, 1.5, 0}, d[3] = {1, -2, 1};
  const double* tri[2][3] = {{a, b, c}, {b, a, d}};
  std::vector<double> centroid(6), rho(18);
  for (int t = 0; t < 2; ++t)
    for (int k = 0; k < 3; ++k) {
      centroid[3 * t + k] = (tri[t][0][k] + tri[t][1][k] + tri[t][2][k]) / 3.0;
      for (int m = 0; m < 3; ++m) rho[9 * t + 3 * m + k] = centroid[3 * t + k] - tri[t][m][k];
    }
  mom::hybrid::SurfaceMesh s;
  s.Tr = 2;
  s.Ns = 2;
  s.tri_p = {0, 1};
  s.slot_p = {2, 1};
  s.centroid = centroid.data();
  s.centroid_rho = rho.data();

  // Three tetrahedra; volume unknown 0 in tetrahedra 0 and 2, unknown 1 in tetrahedron 1 only,
  // unknown 2 in none (sits at the mean of all centroids).
  mom::hybrid::VolumeMesh v;
  v.Nt = 3;
  v.Nv = 3;
  v.tet_count = {1, 1, 1};
  v.tet_unknown = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<double> centre_t = {0, 0, 0, 3, 3, 3, 2, 4, 6};
  v.center_t = centre_t.data();

  const std::vector<double> x = mom::compressed::unknown_centres(&s, &v);
  ASSERT_EQ(x.size(), 3u * 5);
  const double expected[5][3] = {{1, 0, 0}, {1.5, -1, 0.5}, {1, 2, 3}, {3, 3, 3}, {5.0 / 3, 7.0 / 3, 3}};
  for (int j = 0; j < 5; ++j)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(x[3 * j + k], expected[j][k], 1e-14) << j << " " << k;

  EXPECT_EQ(mom::compressed::unknown_centres(nullptr, &v).size(), 9u);
  EXPECT_EQ(mom::compressed::unknown_centres(&s, nullptr).size(), 6u);
}

}  // namespace
