// The H-matrix wrapper against dense products and solves of a synthetic kernel matrix.
#include "hmat_matrix.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "errors.hpp"

namespace {

using mom::compressed::ClusterSettings;
using mom::compressed::cplx;
using mom::compressed::EntrySource;
using mom::compressed::Factorisation;
using mom::compressed::HMatrix;

// Points on a sphere (golden spiral) and a complex symmetric Helmholtz-type matrix:
// A(r, c) = e^(−jk|p_r − p_c|)/|p_r − p_c| off the diagonal, a complex diagonal that makes it
// well conditioned. The unknowns are numbered in scrambled order, as mesh unknowns are.
class KernelMatrix : public EntrySource {
 public:
  KernelMatrix(std::size_t n, double k) : n_(n), k_(k), points_(3 * n) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t s = (i * 7919) % n;  // scrambled numbering
      const double z = 1.0 - 2.0 * (s + 0.5) / n;
      const double r = std::sqrt(1.0 - z * z);
      const double phi = 2.399963229728653 * s;
      points_[3 * i] = r * std::cos(phi);
      points_[3 * i + 1] = r * std::sin(phi);
      points_[3 * i + 2] = z;
    }
  }
  const double* points() const { return points_.data(); }
  std::size_t order() const { return n_; }
  cplx entry(std::size_t r, std::size_t c) const {
    if (r == c) return cplx(0.2 * std::sqrt(double(n_)), 0.1 * std::sqrt(double(n_)));
    const double* p = &points_[3 * r];
    const double* q = &points_[3 * c];
    const double d = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                               (p[2] - q[2]) * (p[2] - q[2]));
    return std::exp(cplx(0.0, -k_ * d)) / d;
  }
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    ++calls;
    for (std::size_t j = 0; j < nc; ++j) {
      for (std::size_t i = 0; i < nr; ++i) out[i + nr * j] = entry(rows[i], cols[j]);
    }
  }
  std::vector<cplx> product(const std::vector<cplx>& x) const {
    std::vector<cplx> y(n_);
    for (std::size_t i = 0; i < n_; ++i) {
      for (std::size_t j = 0; j < n_; ++j) y[i] += entry(i, j) * x[j];
    }
    return y;
  }
  mutable std::size_t calls = 0;

 private:
  std::size_t n_;
  double k_;
  std::vector<double> points_;
};

std::vector<cplx> test_vector(std::size_t n, double a) {
  std::vector<cplx> x(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = cplx(std::cos(a * i), std::sin(1.3 * a * i + 0.2));
  return x;
}

double relative_difference(const std::vector<cplx>& a, const std::vector<cplx>& b) {
  double d = 0.0, s = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    d += std::norm(a[i] - b[i]);
    s += std::norm(b[i]);
  }
  return std::sqrt(d / s);
}

TEST(HMatrix, LibraryLdltIsTheComplexSymmetricFactorisation) {
  EXPECT_TRUE(mom::compressed::ldlt_is_complex_symmetric());
}

// Product and solve errors follow the tolerance, for symmetric and general storage, and the
// matrix is actually compressed.
TEST(HMatrix, ProductAndSolveErrorsFallWithTheTolerance) {
  KernelMatrix a(700, 5.0);
  const std::vector<cplx> x = test_vector(a.order(), 0.1);
  const std::vector<cplx> ax = a.product(x);
  ClusterSettings clusters;
  clusters.leaf_size = 32;
  for (bool symmetric : {true, false}) {
    double previous = 1.0;
    for (double tol : {1e-2, 1e-4, 1e-6}) {
      HMatrix h(a.points(), a.order(), clusters, tol, symmetric, a);
      std::vector<cplx> y(a.order());
      h.apply(x.data(), y.data(), 1);
      const double product_error = relative_difference(y, ax);
      EXPECT_LT(product_error, 10 * tol) << "symmetric " << symmetric << " tol " << tol;
      EXPECT_LT(product_error, previous);
      previous = product_error;
      const mom::compressed::Storage s = h.storage();
      EXPECT_GT(s.low_rank_blocks, 0u);
      if (tol >= 1e-4) {  // at 1e-6 this small matrix costs more than dense
        EXPECT_LT(s.entries, s.dense_entries);
      }

      h.factorise(symmetric ? Factorisation::ldlt : Factorisation::lu, tol);
      std::vector<cplx> z = ax;
      h.solve(z.data(), 1);
      EXPECT_LT(relative_difference(z, x), 100 * tol) << "symmetric " << symmetric;
    }
  }
}

// Several right-hand sides at once give the same columns as one at a time.
TEST(HMatrix, SeveralRightHandSides) {
  KernelMatrix a(600, 3.0);
  ClusterSettings clusters;
  clusters.leaf_size = 24;
  HMatrix h(a.points(), a.order(), clusters, 1e-8, true, a);
  const std::size_t n = a.order();
  std::vector<cplx> x2 = test_vector(n, 0.2), x1 = test_vector(n, 0.05);
  x2.insert(x2.begin(), x1.begin(), x1.end());
  std::vector<cplx> y2(2 * n), y1(n);
  h.apply(x2.data(), y2.data(), 2);
  h.apply(x1.data(), y1.data(), 1);
  y2.resize(n);
  EXPECT_LT(relative_difference(y2, y1), 1e-14);
  y2.resize(2 * n);
  h.apply(x2.data(), y2.data(), 2);
  HMatrix f = h.copy();
  f.factorise(Factorisation::ldlt, 1e-8);
  std::vector<cplx> b = y2;
  f.solve(b.data(), 2);
  EXPECT_LT(relative_difference(b, x2), 1e-6);
  // The copy left the original untouched: it still applies.
  std::vector<cplx> again(2 * n);
  h.apply(x2.data(), again.data(), 2);
  EXPECT_EQ(again, y2);
}

// A tiny admissibility parameter leaves no block far enough: everything is stored in full and
// the product is exact to rounding.
TEST(HMatrix, EverythingNearIsStoredInFull) {
  KernelMatrix a(400, 2.0);
  ClusterSettings clusters;
  clusters.leaf_size = 16;
  clusters.eta = 1e-6;
  HMatrix h(a.points(), a.order(), clusters, 1e-2, false, a);
  EXPECT_EQ(h.storage().low_rank_blocks, 0u);
  const std::vector<cplx> x = test_vector(a.order(), 0.3);
  std::vector<cplx> y(a.order());
  h.apply(x.data(), y.data(), 1);
  EXPECT_LT(relative_difference(y, a.product(x)), 1e-13);
}

// An entry source that fails ends the assembly with its own error, not inside the library.
class FailingSource : public KernelMatrix {
 public:
  using KernelMatrix::KernelMatrix;
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    if (calls > 5) mom::fail("badGeometry", "entry source failed");
    KernelMatrix::block(rows, nr, cols, nc, out);
  }
};

TEST(HMatrix, FailingEntrySourceEndsTheAssembly) {
  FailingSource a(500, 2.0);
  ClusterSettings clusters;
  clusters.leaf_size = 16;
  try {
    HMatrix h(a.points(), a.order(), clusters, 1e-4, true, a);
    FAIL() << "no error";
  } catch (const mom::Error& e) {
    EXPECT_EQ(e.mnemonic(), "badGeometry");
  }
}

TEST(HMatrix, RejectsBadSettings) {
  KernelMatrix a(50, 1.0);
  ClusterSettings clusters;
  EXPECT_THROW(HMatrix(a.points(), a.order(), clusters, 0.0, true, a), mom::Error);
  EXPECT_THROW(HMatrix(a.points(), a.order(), clusters, 1.5, true, a), mom::Error);
  clusters.leaf_size = 1;
  EXPECT_THROW(HMatrix(a.points(), a.order(), clusters, 1e-4, true, a), mom::Error);
}

}  // namespace
