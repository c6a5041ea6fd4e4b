// The radiation sum against a direct complex-exponential sum, across block boundaries.
#include "radiation_core.hpp"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <vector>

namespace {

TEST(RadiationVector, MatchesDirectSumAcrossBlocks) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const std::size_t M = 5000, D = 7;  // more than two blocks of points
  std::vector<double> p(3 * M), mr(3 * M), mi(3 * M), r(3 * D);
  for (auto* v : {&p, &mr, &mi, &r})
    for (double& x : *v) x = u(gen);
  const double k = 2.7;
  std::vector<double> nr(3 * D), ni(3 * D);
  mom::radiation::radiation_vector({p.data(), mr.data(), mi.data(), M}, r.data(), D, k, nr.data(),
                                   ni.data());
  for (std::size_t d = 0; d < D; ++d) {
    for (int c = 0; c < 3; ++c) {
      std::complex<double> s = 0.0;
      for (std::size_t q = 0; q < M; ++q) {
        const double phase =
            k * (r[3 * d] * p[3 * q] + r[3 * d + 1] * p[3 * q + 1] + r[3 * d + 2] * p[3 * q + 2]);
        s += std::complex<double>(mr[3 * q + c], mi[3 * q + c]) * std::polar(1.0, phase);
      }
      EXPECT_NEAR(nr[3 * d + c], s.real(), 1e-11);
      EXPECT_NEAR(ni[3 * d + c], s.imag(), 1e-11);
    }
  }
}

TEST(RadiationVector, RealMomentsAndNoElements) {
  const double p[3] = {0.0, 0.0, 1.0}, m[3] = {1.0, 0.0, 0.0}, r[3] = {0.0, 0.0, 1.0};
  double nr[3], ni[3];
  mom::radiation::radiation_vector({p, m, nullptr, 1}, r, 1, 0.5, nr, ni);
  EXPECT_NEAR(nr[0], std::cos(0.5), 1e-15);
  EXPECT_NEAR(ni[0], std::sin(0.5), 1e-15);
  mom::radiation::radiation_vector({p, m, nullptr, 0}, r, 1, 0.5, nr, ni);
  EXPECT_EQ(nr[0], 0.0);
  EXPECT_EQ(ni[2], 0.0);
}

}  // namespace
