// The complex symmetric solve against independent references: a dense Gaussian elimination
// written here with full complex arithmetic, and the exact one-norm condition number.
#include "symmetric_solve.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using mom::cplx;

// Full symmetric matrix with random entries and a diagonal of widely varying magnitude, so
// that the equilibration matters.
std::vector<cplx> random_symmetric(std::size_t n, unsigned seed, double dominance) {
  std::mt19937 gen(seed);
  std::normal_distribution<double> g;
  std::vector<cplx> a(n * n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = c; r < n; ++r) a[r + n * c] = a[c + n * r] = cplx(g(gen), g(gen));
  for (std::size_t i = 0; i < n; ++i) a[i + n * i] += dominance * cplx(1.0, 0.5);
  // Scale row/column i by 10^(i mod 5): a badly scaled but well-conditioned-after-scaling A.
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r)
      a[r + n * c] *= std::pow(10.0, double(r % 5)) * std::pow(10.0, double(c % 5));
  return a;
}

// Inverse by Gauss–Jordan with partial pivoting on the full matrix.
std::vector<cplx> inverse(std::vector<cplx> a, std::size_t n) {
  std::vector<cplx> inv(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) inv[i + n * i] = 1.0;
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t p = k;
    for (std::size_t r = k + 1; r < n; ++r)
      if (std::abs(a[r + n * k]) > std::abs(a[p + n * k])) p = r;
    for (std::size_t c = 0; c < n; ++c) {
      std::swap(a[k + n * c], a[p + n * c]);
      std::swap(inv[k + n * c], inv[p + n * c]);
    }
    const cplx d = a[k + n * k];
    for (std::size_t c = 0; c < n; ++c) {
      a[k + n * c] /= d;
      inv[k + n * c] /= d;
    }
    for (std::size_t r = 0; r < n; ++r) {
      if (r == k) continue;
      const cplx f = a[r + n * k];
      for (std::size_t c = 0; c < n; ++c) {
        a[r + n * c] -= f * a[k + n * c];
        inv[r + n * c] -= f * inv[k + n * c];
      }
    }
  }
  return inv;
}

double one_norm(const std::vector<cplx>& a, std::size_t n) {
  double best = 0.0;
  for (std::size_t c = 0; c < n; ++c) {
    double s = 0.0;
    for (std::size_t r = 0; r < n; ++r) s += std::abs(a[r + n * c]);
    best = std::max(best, s);
  }
  return best;
}

TEST(SymmetricSolve, MatchesDenseEliminationAndReadsOnlyTheLowerTriangle) {
  for (std::size_t n : {1u, 2u, 5u, 33u, 80u}) {
    const std::vector<cplx> full = random_symmetric(n, 7 + unsigned(n), 3.0 * double(n));
    std::vector<cplx> a = full;
    // Garbage above the diagonal must not matter.
    for (std::size_t c = 1; c < n; ++c)
      for (std::size_t r = 0; r < c; ++r) a[r + n * c] = cplx(NAN, 1e300);
    const std::size_t m = 2;
    std::vector<cplx> b(n * m);
    for (std::size_t i = 0; i < n * m; ++i) b[i] = cplx(std::cos(double(i)), std::sin(3.0 * i));
    std::vector<cplx> x = b;
    std::vector<double> s(n);
    ASSERT_EQ(mom::equilibrated_solve(a.data(), n, m, x.data(), s.data()), 0);
    const std::vector<cplx> inv = inverse(full, n);
    for (std::size_t j = 0; j < m; ++j) {
      double err = 0.0, ref = 0.0;
      for (std::size_t r = 0; r < n; ++r) {
        cplx y = 0.0;
        for (std::size_t c = 0; c < n; ++c) y += inv[r + n * c] * b[c + n * j];
        err += std::norm(x[r + n * j] - y);
        ref += std::norm(y);
      }
      EXPECT_LE(std::sqrt(err / ref), 1e-11) << "n = " << n << ", rhs " << j;
    }
  }
}

TEST(SymmetricSolve, ScalingGivesAUnitModulusDiagonal) {
  const std::size_t n = 6;
  std::vector<cplx> a = random_symmetric(n, 3, 10.0);
  std::vector<double> s(n);
  mom::equilibration_factors(a.data(), n, s.data());
  mom::scale_lower(a.data(), n, s.data());
  for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(std::abs(a[i + n * i]), 1.0, 1e-14);
  // A diagonal already of modulus 1 is left unchanged.
  std::vector<cplx> u(n * n, cplx(0.25, -0.5));
  for (std::size_t i = 0; i < n; ++i) u[i + n * i] = std::polar(1.0, 0.3 * i);
  const std::vector<cplx> before = u;
  mom::equilibration_factors(u.data(), n, s.data());
  mom::scale_lower(u.data(), n, s.data());
  for (std::size_t i = 0; i < n * n; ++i) EXPECT_NEAR(std::abs(u[i] - before[i]), 0.0, 1e-15);
}

TEST(SymmetricSolve, ZeroDiagonalOfARegularSystemIsSolvedExactly) {
  // [[0, 2], [2, 1i]]·x = [4, 2 + 2i]: 2·x2 = 4 → x2 = 2; 2·x1 + 1i·x2 = 2 + 2i → x1 = 1.
  std::vector<cplx> a = {0.0, 2.0, 0.0, cplx(0, 1)};
  std::vector<cplx> b = {4.0, cplx(2, 2)};
  std::vector<double> s(2);
  ASSERT_EQ(mom::equilibrated_solve(a.data(), 2, 1, b.data(), s.data()), 0);
  EXPECT_NEAR(std::abs(b[0] - cplx(1, 0)), 0.0, 1e-15);
  EXPECT_NEAR(std::abs(b[1] - cplx(2, 0)), 0.0, 1e-15);
  EXPECT_EQ(s[0], 1.0);
}

TEST(SymmetricSolve, ConditionEstimateBracketsTheExactValue) {
  for (std::size_t n : {4u, 17u, 60u}) {
    std::vector<cplx> a = random_symmetric(n, 11 + unsigned(n), 0.5 * std::sqrt(double(n)));
    std::vector<double> s(n);
    mom::equilibration_factors(a.data(), n, s.data());
    std::vector<cplx> scaled = a;
    for (std::size_t c = 0; c < n; ++c)
      for (std::size_t r = 0; r < n; ++r) scaled[r + n * c] *= s[r] * s[c];
    const double exact = 1.0 / (one_norm(scaled, n) * one_norm(inverse(scaled, n), n));
    const mom::ConditionEstimate e = mom::equilibrated_condition(a.data(), n, s.data());
    EXPECT_EQ(e.info, 0);
    // Hager–Higham underestimates ‖A⁻¹‖₁, rarely by more than a small factor.
    EXPECT_GE(e.rcond, exact * (1 - 1e-12)) << "n = " << n;
    EXPECT_LE(e.rcond, 3.0 * exact) << "n = " << n;
  }
}

TEST(SymmetricSolve, SingularAndEmptyMatrices) {
  std::vector<cplx> z(9, 0.0);
  z[0] = 1.0;
  std::vector<double> s(3);
  const mom::ConditionEstimate e = mom::equilibrated_condition(z.data(), 3, s.data());
  EXPECT_GT(e.info, 0);
  EXPECT_EQ(e.rcond, 0.0);
  EXPECT_EQ(mom::reciprocal_condition(nullptr, 0).rcond, 1.0);
  EXPECT_EQ(mom::equilibrated_solve(nullptr, 0, 1, nullptr, nullptr), 0);
}

}  // namespace
