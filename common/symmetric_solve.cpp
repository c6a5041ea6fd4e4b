#include "symmetric_solve.hpp"

#include <cmath>
#include <vector>

#include "memory.hpp"

namespace mom {

void equilibration_factors(const cplx* a, std::size_t n, double* s) {
  for (std::size_t i = 0; i < n; ++i) {
    const cplx d = a[i + n * i];
    const double m2 = d.real() * d.real() + d.imag() * d.imag();
    s[i] = (m2 > 0.0 && std::isfinite(m2)) ? std::pow(1.0 / m2, 0.25) : 1.0;
  }
}

void scale_lower(cplx* a, std::size_t n, const double* s) {
  for (std::size_t c = 0; c < n; ++c) {
    cplx* col = a + n * c;
    const double sc = s[c];
    for (std::size_t r = c; r < n; ++r) col[r] *= s[r] * sc;
  }
}

namespace {

// Optimal workspace length from a LAPACK query (the real part of work[0]), at least 1.
lapack_int queried_length(const cplx& w) {
  const double len = w.real();
  return len >= 1.0 ? static_cast<lapack_int>(len) : 1;
}

}  // namespace

ConditionEstimate reciprocal_condition(cplx* a, std::size_t n) {
  const lapack_int nn = to_lapack_int(n, "the matrix order");
  const lapack_int lda = nn > 0 ? nn : 1;
  if (n == 0) return {1.0, 0};  // the empty matrix is perfectly conditioned
  std::vector<lapack_int> ipiv = make_buffer<lapack_int>(n, "the pivot array");
  std::vector<double> norm_work = make_buffer<double>(n, "the norm workspace");
  const double anorm = zlansy_("1", "L", &nn, a, &lda, norm_work.data(), 1, 1);

  lapack_int info = 0;
  lapack_int query = -1;
  cplx wq = 0.0;
  zsytrf_("L", &nn, a, &lda, ipiv.data(), &wq, &query, &info, 1);
  const lapack_int lwork = queried_length(wq);
  std::vector<cplx> work =
      make_buffer<cplx>(std::max<std::size_t>(static_cast<std::size_t>(lwork), 2 * n),
                        "the factorisation workspace");
  zsytrf_("L", &nn, a, &lda, ipiv.data(), work.data(), &lwork, &info, 1);
  const lapack_int factor_info = info;

  double rcond = 0.0;
  zsycon_("L", &nn, a, &lda, ipiv.data(), &anorm, &rcond, work.data(), &info, 1);
  return {rcond, factor_info};
}

lapack_int solve_symmetric(cplx* a, std::size_t n, std::size_t m, cplx* b) {
  if (n == 0 || m == 0) return 0;
  const lapack_int nn = to_lapack_int(n, "the matrix order");
  const lapack_int nrhs = to_lapack_int(m, "the number of right-hand sides");
  std::vector<lapack_int> ipiv = make_buffer<lapack_int>(n, "the pivot array");
  lapack_int info = 0;
  lapack_int query = -1;
  cplx wq = 0.0;
  zsysv_("L", &nn, &nrhs, a, &nn, ipiv.data(), b, &nn, &wq, &query, &info, 1);
  const lapack_int lwork = queried_length(wq);
  std::vector<cplx> work = make_buffer<cplx>(static_cast<std::size_t>(lwork), "the solver workspace");
  zsysv_("L", &nn, &nrhs, a, &nn, ipiv.data(), b, &nn, work.data(), &lwork, &info, 1);
  return info;
}

lapack_int equilibrated_solve(cplx* a, std::size_t n, std::size_t m, cplx* b, double* s) {
  equilibration_factors(a, n, s);
  scale_lower(a, n, s);
  for (std::size_t j = 0; j < m; ++j)
    for (std::size_t r = 0; r < n; ++r) b[r + n * j] *= s[r];
  const lapack_int info = solve_symmetric(a, n, m, b);
  for (std::size_t j = 0; j < m; ++j)
    for (std::size_t r = 0; r < n; ++r) b[r + n * j] *= s[r];
  return info;
}

ConditionEstimate equilibrated_condition(cplx* a, std::size_t n, double* s) {
  equilibration_factors(a, n, s);
  scale_lower(a, n, s);
  return reciprocal_condition(a, n);
}

}  // namespace mom
