// The compressed solve pipeline (equilibration, H-matrix, factorisation, GMRES refinement,
// residuals) against dense solves of a synthetic complex symmetric matrix, and GMRES alone.
#include "compressed_core.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "errors.hpp"
#include "gmres.hpp"
#include "symmetric_solve.hpp"

namespace {

using mom::compressed::cplx;

// A complex symmetric matrix on points of a cube lattice with rows of very different scales:
// Z = D·K·D with K(r, c) = 0.01·e^(−jk R)/R (R > 0), K(r, r) = 3 + 2j, and D = diag(d_r) spanning
// two orders of magnitude. Only the equilibration makes one relative tolerance fit all rows.
class ScaledKernel : public mom::compressed::EntrySource {
 public:
  explicit ScaledKernel(int side) {
    for (int a = 0; a < side; ++a)
      for (int b = 0; b < side; ++b)
        for (int c = 0; c < side; ++c) {
          p_.insert(p_.end(), {0.1 * a, 0.1 * b + 0.01 * (a % 3), 0.1 * c});
          d_.push_back(std::pow(10.0, std::sin(0.7 * d_.size())));
        }
  }
  std::size_t order() const { return d_.size(); }
  const double* points() const { return p_.data(); }
  cplx entry(std::size_t r, std::size_t c) const {
    if (r == c) return d_[r] * d_[r] * cplx(3.0, 2.0);
    const double* x = &p_[3 * r];
    const double* y = &p_[3 * c];
    const double R = std::sqrt((x[0] - y[0]) * (x[0] - y[0]) + (x[1] - y[1]) * (x[1] - y[1]) +
                               (x[2] - y[2]) * (x[2] - y[2]));
    return d_[r] * d_[c] * 0.01 * std::exp(cplx(0.0, -4.0 * R)) / R;
  }
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    for (std::size_t j = 0; j < nc; ++j)
      for (std::size_t i = 0; i < nr; ++i) out[i + nr * j] = entry(rows[i], cols[j]);
  }

 private:
  std::vector<double> p_, d_;
};

// Dense residual ‖Z·X − V‖_F/‖V‖_F of m columns.
double dense_residual(const ScaledKernel& z, const cplx* x, const double* v_re, const double* v_im,
                      std::size_t m) {
  const std::size_t n = z.order();
  double r2 = 0.0, v2 = 0.0;
  for (std::size_t q = 0; q < m; ++q) {
    for (std::size_t i = 0; i < n; ++i) {
      cplx s(0.0, 0.0);
      for (std::size_t j = 0; j < n; ++j) s += z.entry(i, j) * x[j + n * q];
      const cplx v(v_re[i + n * q], v_im[i + n * q]);
      r2 += std::norm(s - v);
      v2 += std::norm(v);
    }
  }
  return std::sqrt(r2 / v2);
}

// The dense solution by LAPACK's complex symmetric solver.
std::vector<cplx> dense_solution(const ScaledKernel& z, const double* v_re, const double* v_im,
                                 std::size_t m) {
  const std::size_t n = z.order();
  std::vector<cplx> a(n * n), x(n * m);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = j; i < n; ++i) a[i + n * j] = z.entry(i, j);
  for (std::size_t k = 0; k < n * m; ++k) x[k] = cplx(v_re[k], v_im[k]);
  EXPECT_EQ(mom::solve_symmetric(a.data(), n, m, x.data()), 0);
  return x;
}

double relative_error(const std::vector<cplx>& x, const std::vector<cplx>& ref) {
  double e = 0.0, s = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    e += std::norm(x[i] - ref[i]);
    s += std::norm(ref[i]);
  }
  return std::sqrt(e / s);
}

struct Rhs {
  std::vector<double> re, im;
  Rhs(std::size_t n, std::size_t m) : re(n * m), im(n * m) {
    for (std::size_t k = 0; k < n * m; ++k) {
      re[k] = std::cos(0.37 * k);
      im[k] = std::sin(0.11 * k * k);
    }
  }
};

TEST(CompressedSolve, ErrorsFallWithTheToleranceAndResidualsAgreeWithADenseProduct) {
  ScaledKernel z(9);  // 729 unknowns
  const std::size_t n = z.order();
  const Rhs v(n, 2);
  const std::vector<cplx> ref = dense_solution(z, v.re.data(), v.im.data(), 2);
  double previous = 1.0;
  for (double tol : {1e-2, 1e-4, 1e-6}) {
    mom::compressed::Options o;
    o.tol = tol;
    o.leaf_size = 32;
    o.factor_tol = tol;
    o.exact_residual = true;
    const mom::compressed::Result r = mom::compressed::solve(z, z.points(), n, v.re.data(), v.im.data(), 2, o);
    const double error = relative_error(r.x, ref);
    EXPECT_LT(error, 10 * tol) << tol;
    EXPECT_LT(error, previous);
    previous = error;
    const double dense = dense_residual(z, r.x.data(), v.re.data(), v.im.data(), 2);
    EXPECT_NEAR(r.info.exact_residual, dense, 1e-6 * dense);
    EXPECT_LT(r.info.residual, 10 * tol);
    EXPECT_TRUE(r.info.ldlt);
    EXPECT_GT(r.info.low_rank_blocks, 0u);
    EXPECT_GT(r.info.largest_rank, 0);
    EXPECT_LT(r.info.compression_ratio, 1.0);
    EXPECT_EQ(r.info.iterations, 0);
  }
}

// A coarse factorisation refined by GMRES reaches the accuracy of the finer compressed
// operator; LU and LDLᵀ give the same solution.
TEST(CompressedSolve, RefinementReachesTheOperatorsAccuracy) {
  ScaledKernel z(9);
  const std::size_t n = z.order();
  const Rhs v(n, 1);
  const std::vector<cplx> ref = dense_solution(z, v.re.data(), v.im.data(), 1);
  mom::compressed::Options o;
  o.tol = 1e-8;
  o.factor_tol = 1e-2;
  o.leaf_size = 32;
  const mom::compressed::Result r = mom::compressed::solve(z, z.points(), n, v.re.data(), v.im.data(), 1, o);
  EXPECT_GT(r.info.iterations, 0);
  EXPECT_LT(relative_error(r.x, ref), 1e-7);

  o.lu = true;
  const mom::compressed::Result u = mom::compressed::solve(z, z.points(), n, v.re.data(), v.im.data(), 1, o);
  EXPECT_FALSE(u.info.ldlt);
  EXPECT_LT(relative_error(u.x, ref), 1e-7);
}

// A refinement that stagnates within its step budget gets finer factors, ten times finer each
// time, until it converges; with no steps allowed nothing is factorised again.
TEST(CompressedSolve, StagnatingRefinementFactorisesAgainFiner) {
  ScaledKernel z(9);
  const std::size_t n = z.order();
  const Rhs v(n, 1);
  const std::vector<cplx> ref = dense_solution(z, v.re.data(), v.im.data(), 1);
  mom::compressed::Options o;
  o.tol = 1e-11;
  o.factor_tol = 1e-2;
  o.leaf_size = 32;
  o.max_iterations = 1;
  const mom::compressed::Result r = mom::compressed::solve(z, z.points(), n, v.re.data(), v.im.data(), 1, o);
  EXPECT_GT(r.info.refactorisations, 0);
  EXPECT_NEAR(r.info.factor_tol, 1e-2 * std::pow(10.0, -r.info.refactorisations), 1e-20);
  EXPECT_TRUE(r.info.converged);
  EXPECT_LT(relative_error(r.x, ref), 1e-9);

  o.max_iterations = 0;
  const mom::compressed::Result none = mom::compressed::solve(z, z.points(), n, v.re.data(), v.im.data(), 1, o);
  EXPECT_EQ(none.info.refactorisations, 0);
  EXPECT_EQ(none.info.factor_tol, 1e-2);
  EXPECT_FALSE(none.info.converged);
}

TEST(CompressedSolve, RejectsBadOptions) {
  mom::compressed::Options o;
  o.tol = 0.0;
  EXPECT_THROW(mom::compressed::check_options(o), mom::Error);
  o = {};
  o.eta = -1.0;
  EXPECT_THROW(mom::compressed::check_options(o), mom::Error);
  o = {};
  o.leaf_size = 1;
  EXPECT_THROW(mom::compressed::check_options(o), mom::Error);
}

// GMRES on a small nonsymmetric system with a diagonal preconditioner: converges in at most n
// steps without restart, and with restarts reaches the same solution.
TEST(Gmres, SolvesASmallSystem) {
  const std::size_t n = 40;
  std::vector<cplx> a(n * n), b(n), x(n), x_true(n);
  for (std::size_t i = 0; i < n; ++i) {
    x_true[i] = cplx(std::cos(1.0 * i), 0.5 * std::sin(2.0 * i));
    for (std::size_t j = 0; j < n; ++j)
      a[i + n * j] = i == j ? cplx(4.0 + i, 1.0) : cplx(std::sin(1.0 + i + 3.0 * j), 0.3 * std::cos(1.0 * i * j));
  }
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) b[i] += a[i + n * j] * x_true[j];
  const mom::compressed::Apply apply = [&](const cplx* in, cplx* out) {
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = 0.0;
      for (std::size_t j = 0; j < n; ++j) out[i] += a[i + n * j] * in[j];
    }
  };
  const mom::compressed::Apply jacobi = [&](const cplx* in, cplx* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i] / a[i + n * i];
  };
  for (int restart : {40, 7}) {
    std::fill(x.begin(), x.end(), cplx(0.0, 0.0));
    const mom::compressed::GmresResult g =
        mom::compressed::gmres(apply, jacobi, b.data(), x.data(), n, 1e-12, 400, restart);
    EXPECT_TRUE(g.converged) << restart;
    if (restart == 40) {
      EXPECT_LE(g.iterations, 40);
    }
    double e = 0.0, s = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      e += std::norm(x[i] - x_true[i]);
      s += std::norm(x_true[i]);
    }
    EXPECT_LT(std::sqrt(e / s), 1e-10) << restart;
    EXPECT_FALSE(g.stalled);
  }
  // A cycle must cut the residual a millionfold or GMRES gives up after it.
  std::fill(x.begin(), x.end(), cplx(0.0, 0.0));
  const mom::compressed::GmresResult g =
      mom::compressed::gmres(apply, jacobi, b.data(), x.data(), n, 1e-12, 400, 2, 1e6);
  EXPECT_TRUE(g.stalled);
  EXPECT_FALSE(g.converged);
  EXPECT_EQ(g.iterations, 2);
}

}  // namespace
