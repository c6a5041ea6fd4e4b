// The kernel sums against a direct evaluation with std::complex: the exact exponential
// e^(−jkR) of a complex wavenumber (damped as e^(+k_i·R)), summed point pair by point pair.
#include "kernel_sums.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

namespace {

using cd = std::complex<double>;
using namespace mom::hybrid;

std::vector<double> random_values(std::size_t n, double lo, double hi, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(lo, hi);
  std::vector<double> v(n);
  for (double& x : v) x = u(gen);
  return v;
}

double dist(const double* p, const double* q) {
  return std::hypot(p[0] - q[0], std::hypot(p[1] - q[1], p[2] - q[2]));
}
double dot(const double* u, const double* v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; }

// e^(−jkR), k = k_r + j·k_i, evaluated with the library exponential.
cd wave(double R, double k_r, double k_i) { return std::exp(cd(0, -1) * cd(k_r, k_i) * R); }

// Relative error of the third-order Taylor damping factor at the largest k_i·R of a test.
double taylor_tolerance(double x_max) { return std::pow(x_max, 4) / 24.0 * 1.5 + 1e-13; }

struct Sets {
  std::size_t n1 = 4, n2 = 3;
  std::vector<double> p1 = random_values(3 * n1, -1, 1, 1), p2 = random_values(3 * n2, 0.5, 2, 2);
  std::vector<double> w1 = random_values(n1, 0.1, 1, 3), w2 = random_values(n2, 0.1, 1, 4);
  std::vector<double> u1 = random_values(9 * n1, -1, 1, 5), u2 = random_values(9 * n2, -1, 1, 6);
};

// Smoothed sums: S, the nine vector sums and the scratch layout, for real and complex k.
TEST(KernelSums, SmoothPairSumsMatchDirectSummation) {
  Sets s;
  for (const double k_i : {0.0, 0.05, -0.08}) {
    const double k_r = 1.7;
    double sr, si, vr[9], vi[9];
    std::vector<double> scr(s.n1 * s.n2), sci(s.n1 * s.n2);
    smoothPairSums(s.p1.data(), s.n1, s.w1.data(), s.u1.data(), s.p2.data(), s.n2, s.w2.data(),
                   s.u2.data(), k_r, k_i, &sr, &si, vr, vi, scr.data(), sci.data());
    cd S = 0, V[9] = {};
    double x_max = 0;
    for (std::size_t a = 0; a < s.n1; ++a) {
      for (std::size_t b = 0; b < s.n2; ++b) {
        const double R = dist(&s.p1[3 * a], &s.p2[3 * b]);
        x_max = std::max(x_max, std::abs(k_i * R));
        const cd g = s.w1[a] * s.w2[b] * (wave(R, k_r, k_i) - 1.0) / R;
        S += g;
        EXPECT_NEAR(scr[a + s.n1 * b], g.real(), 1e-12 + taylor_tolerance(x_max) * std::abs(g));
        EXPECT_NEAR(sci[a + s.n1 * b], g.imag(), 1e-12 + taylor_tolerance(x_max) * std::abs(g));
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j)
            V[3 * j + i] += dot(&s.u1[3 * (i * s.n1 + a)], &s.u2[3 * (j * s.n2 + b)]) * g;
      }
    }
    const double tol = taylor_tolerance(x_max) + 1e-13;
    EXPECT_LT(std::abs(cd(sr, si) - S), tol * std::abs(S)) << "k_i = " << k_i;
    for (int q = 0; q < 9; ++q)
      EXPECT_LT(std::abs(cd(vr[q], vi[q]) - V[q]), tol * (std::abs(V[q]) + std::abs(S)))
          << "entry " << q << ", k_i = " << k_i;

    double tr, ti;
    smoothScalarSum(s.p1.data(), s.n1, s.w1.data(), s.p2.data(), s.n2, s.w2.data(), k_r, k_i, &tr,
                    &ti);
    EXPECT_EQ(tr, sr);  // the same sum, a outer and b inner
    EXPECT_EQ(ti, si);
  }
}

// Coinciding points give the limit w1·w2·(k_i − j·k_r) of the smoothed kernel, not 0/0.
TEST(KernelSums, CoincidentPointsGiveTheAnalyticLimit) {
  const double p[3] = {0.3, -1.2, 2.0};
  const double w1 = 0.4, w2 = 0.7, k_r = 2.5, k_i = -0.3;
  double sr, si;
  smoothScalarSum(p, 1, &w1, p, 1, &w2, k_r, k_i, &sr, &si);
  EXPECT_NEAR(sr, w1 * w2 * k_i, 1e-15);
  EXPECT_NEAR(si, -w1 * w2 * k_r, 1e-15);

  const double u[9] = {1, 0, 0, 0, 2, 0, 1, 1, 1};
  double vr[9], vi[9], scr, sci;
  smoothPairSums(p, 1, &w1, u, p, 1, &w2, u, k_r, k_i, &sr, &si, vr, vi, &scr, &sci);
  EXPECT_NEAR(si, -w1 * w2 * k_r, 1e-15);
  EXPECT_NEAR(vr[3 * 2 + 1], 2.0 * w1 * w2 * k_i, 1e-14);  // (0,2,0)·(1,1,1) = 2
  EXPECT_NEAR(vi[3 * 1 + 1], -4.0 * w1 * w2 * k_r, 1e-14);
}

// The small-R grouping of the real part keeps the damping term E ≈ k_i·R intact where the plain
// form (1 + E)·cos(k_r·R) − 1 would cancel it to an absolute error of ε/R ≈ 2e-6 here:
// Re g = k_i + (k_i² − k_r²)·R/2 + O(R²), Im g = −k_r·(1 + k_i·R) + O(R²). What remains is
// cos(k_r·R) − 1 rounding to 0, an error of k_r²·R/2 = 4.5e-10.
TEST(KernelSums, SmallDistanceKeepsRelativeAccuracy) {
  const double R = 1e-10;
  const double p1[3] = {0, 0, 0}, p2[3] = {R, 0, 0}, w = 1.0;
  const double k_r = 3.0, k_i = 0.5;
  double sr, si;
  smoothScalarSum(p1, 1, &w, p2, 1, &w, k_r, k_i, &sr, &si);
  EXPECT_NEAR(sr, k_i + (k_i * k_i - k_r * k_r) * R / 2, 1e-9);
  EXPECT_NEAR(si, -k_r * (1 + k_i * R), 1e-14);
}

TEST(KernelSums, EmptyPointSetsGiveZero) {
  Sets s;
  double sr = 1, si = 1, vr[12], vi[12], sc[1];
  std::fill(vr, vr + 12, 5.0);
  std::fill(vi, vi + 12, 5.0);
  smoothPairSums(s.p1.data(), 0, s.w1.data(), s.u1.data(), s.p2.data(), s.n2, s.w2.data(),
                 s.u2.data(), 1, 0.1, &sr, &si, vr, vi, sc, sc);
  EXPECT_EQ(sr, 0.0);
  EXPECT_EQ(si, 0.0);
  for (int q = 0; q < 9; ++q) EXPECT_EQ(vr[q], 0.0);
  smoothMixedSums(s.p1.data(), s.n1, s.w1.data(), 3, s.u1.data(), s.p2.data(), 0, s.w2.data(), 4,
                  s.u2.data(), 1, 0.1, &sr, &si, vr, vi, sc, sc);
  EXPECT_EQ(sr, 0.0);
  for (int q = 0; q < 12; ++q) EXPECT_EQ(vi[q], 0.0);
  smoothScalarSum(s.p1.data(), s.n1, s.w1.data(), s.p2.data(), 0, s.w2.data(), 1, 0.1, &sr, &si);
  EXPECT_EQ(sr, 0.0);
}

// Mixed sums with unequal function counts: the table is first-set-function minor.
TEST(KernelSums, SmoothMixedSumsLayout) {
  Sets s;
  const std::size_t nf1 = 2, nf2 = 5;
  const std::vector<double> c2 = random_values(3 * nf2, -1, 1, 9);
  const double k_r = 0.9, k_i = 0.0;
  double sr, si, vr[10], vi[10];
  std::vector<double> scr(s.n1 * s.n2), sci(s.n1 * s.n2);
  smoothMixedSums(s.p1.data(), s.n1, s.w1.data(), nf1, s.u1.data(), s.p2.data(), s.n2, s.w2.data(),
                  nf2, c2.data(), k_r, k_i, &sr, &si, vr, vi, scr.data(), sci.data());
  for (std::size_t j = 0; j < nf2; ++j) {
    for (std::size_t i = 0; i < nf1; ++i) {
      cd ref = 0;
      for (std::size_t a = 0; a < s.n1; ++a)
        for (std::size_t b = 0; b < s.n2; ++b) {
          const double R = dist(&s.p1[3 * a], &s.p2[3 * b]);
          ref += s.w1[a] * s.w2[b] * dot(&s.u1[3 * (i * s.n1 + a)], &c2[3 * j]) *
                 (wave(R, k_r, k_i) - 1.0) / R;
        }
      EXPECT_LT(std::abs(cd(vr[nf1 * j + i], vi[nf1 * j + i]) - ref),
                1e-13 * std::abs(ref) + 1e-15);
    }
  }
}

// The full kernel at two points, including the e^(+k_i·R) damping sign.
TEST(KernelSums, PointKernelMatchesFullKernel) {
  const double p1[3] = {0, 0, 0}, p2[3] = {0.3, 0.4, 1.2};  // R = 1.3
  const double u1[6] = {1, 2, 3, -1, 0, 1};
  const double u2[9] = {0, 1, 0, 2, 2, 2, 1, -1, 0.5};
  for (const double k_i : {0.0, 0.1}) {
    double gr, gi, vr[6], vi[6];
    pointKernel(p1, 2, u1, p2, 3, u2, 2.2, k_i, &gr, &gi, vr, vi);
    const cd G = wave(1.3, 2.2, k_i) / 1.3;
    const double tol = taylor_tolerance(std::abs(k_i) * 1.3);
    EXPECT_LT(std::abs(cd(gr, gi) - G), tol * std::abs(G));
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 2; ++i) {
        const cd ref = dot(u2 + 3 * j, u1 + 3 * i) * cd(gr, gi);
        EXPECT_DOUBLE_EQ(vr[2 * j + i], ref.real());
        EXPECT_DOUBLE_EQ(vi[2 * j + i], ref.imag());
      }
  }
}

// The vector sine/cosine against the long-double library functions: within one unit in the
// last place over small, medium and large arguments, exact multiples of π/2 neighbours, and the
// hand-over to the library beyond the reduction range (Inf and NaN included). Each argument
// gives the same bits alone as inside a long array (the near-pair corrections rely on it).
TEST(KernelSums, SinCosWithinOneUlpAndIndependentOfPosition) {
  std::vector<double> x = random_values(4000, -2e5, 2e5, 11);
  for (const double v : random_values(4000, -4, 4, 12)) x.push_back(v);
  for (const double v : random_values(1000, -1e-6, 1e-6, 13)) x.push_back(v);
  for (int k = -2000; k <= 2000; ++k) {  // next to multiples of π/2, where reduction cancels
    const double m = k * 1.5707963267948966;
    x.push_back(std::nextafter(m, 1e9));
    x.push_back(std::nextafter(m, -1e9));
  }
  for (const double v : {0.0, -0.0, 0.3, 0.78125, 823549.9, 823550.5, -1e7, 3e300, 1e-310})
    x.push_back(v);
  x.push_back(INFINITY);
  x.push_back(NAN);
  std::vector<double> s(x.size()), c(x.size());
  sinCos(x.data(), x.size(), s.data(), c.data());
  auto ulps = [](double got, long double ref) {
    const double r = static_cast<double>(ref);
    const double unit = std::max(std::abs(std::nextafter(r, INFINITY) - r), 4.9e-324);
    return static_cast<double>(std::fabs(static_cast<long double>(got) - ref) / unit);
  };
  for (std::size_t e = 0; e < x.size(); ++e) {
    double s1, c1;
    sinCos(&x[e], 1, &s1, &c1);
    if (std::isnan(x[e]) || std::isinf(x[e])) {
      EXPECT_TRUE(std::isnan(s[e]) && std::isnan(c[e]) && std::isnan(s1)) << x[e];
      continue;
    }
    EXPECT_EQ(std::memcmp(&s1, &s[e], sizeof s1), 0) << x[e];
    EXPECT_EQ(std::memcmp(&c1, &c[e], sizeof c1), 0) << x[e];
    const long double xl = x[e];
    EXPECT_LE(ulps(s[e], std::sin(xl)), 1.0) << "sin " << x[e];
    EXPECT_LE(ulps(c[e], std::cos(xl)), 1.0) << "cos " << x[e];
  }
}

}  // namespace
