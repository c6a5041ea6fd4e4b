#include "dense_core.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(DenseOrder, LargestOrderWhoseInterleavedMatrixFits) {
  // Brute force for small lengths.
  for (std::size_t m = 0; m < 5000; ++m) {
    std::size_t n = 0;
    while (2 * (n + 1) * (n + 1) <= m) ++n;
    ASSERT_EQ(mom::dense::order_from_length(m), n) << "m = " << m;
  }
  // Exact at and next to 2·n² for orders where the double square root is inexact.
  for (std::size_t n : {94906265ul, 3037000499ul, 1000000007ul}) {
    const std::size_t m = 2 * n * n;
    EXPECT_EQ(mom::dense::order_from_length(m), n);
    EXPECT_EQ(mom::dense::order_from_length(m - 1), n - 1);
    EXPECT_EQ(mom::dense::order_from_length(m + 1), n);
  }
  EXPECT_EQ(mom::dense::order_from_length(std::numeric_limits<std::size_t>::max()), 3037000499ul);
}

TEST(DenseCopy, DeinterleavesTheLowerTriangleOnly) {
  const std::size_t n = 3;
  double z[18];
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      const bool lower = r >= c;
      z[2 * (r + n * c)] = lower ? 10.0 * r + c : NAN;
      z[2 * (r + n * c) + 1] = lower ? -(10.0 * r + c) : NAN;
    }
  const std::vector<mom::cplx> a = mom::dense::copy_lower(z, n);
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      const mom::cplx want = r >= c ? mom::cplx(10.0 * r + c, -(10.0 * r + c)) : 0.0;
      EXPECT_EQ(a[r + n * c], want) << r << "," << c;
    }
}

TEST(DenseSolve, OneByOneAndDiagonalSystems) {
  const double z1[2] = {2.0, 3.0};
  const double v_re[3] = {1.0, -2.0, 0.5};
  const double v_im[3] = {1.0, 4.0, 0.0};
  auto one = mom::dense::solve(z1, 1, v_re, v_im);
  EXPECT_LT(std::abs(one.x[0] - mom::cplx(1, 1) / mom::cplx(2, 3)), 1e-16);
  EXPECT_DOUBLE_EQ(mom::dense::condition(z1, 1).rcond, 1.0);

  // diag(1e-8, 5i, −3 + 4i): the solution is v/d and the scaled matrix is unitary-diagonal.
  double z[18] = {};
  const mom::cplx d[3] = {1e-8, mom::cplx(0, 5), mom::cplx(-3, 4)};
  for (int i = 0; i < 3; ++i) {
    z[2 * (i + 3 * i)] = d[i].real();
    z[2 * (i + 3 * i) + 1] = d[i].imag();
  }
  auto x = mom::dense::solve(z, 3, v_re, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_LT(std::abs(x.x[i] - v_re[i] / d[i]), 1e-12 * std::abs(x.x[i]));
  EXPECT_NEAR(mom::dense::condition(z, 3).rcond, 1.0, 1e-15);
}

}  // namespace
