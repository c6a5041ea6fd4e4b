#include "dense_core.hpp"

#include <cmath>
#include <string>

#include "finite.hpp"
#include "memory.hpp"
#include "symmetric_solve.hpp"

namespace mom::dense {

std::size_t order_from_length(std::size_t m) {
  const auto fits = [m](std::size_t k) {
    return 2 * static_cast<unsigned __int128>(k) * k <= static_cast<unsigned __int128>(m);
  };
  std::size_t n = static_cast<std::size_t>(std::sqrt(0.5 * static_cast<double>(m)));
  // Correct the floating-point estimate in both directions.
  while (n > 0 && !fits(n)) --n;
  while (fits(n + 1)) ++n;
  return n;
}

std::vector<cplx> copy_lower(const double* z, std::size_t n) {
  const char* what = "the matrix (order n from the length of argument 'Z')";
  std::vector<cplx> a = make_buffer<cplx>(checked_mul(n, n, what), what);
  for (std::size_t c = 0; c < n; ++c) {
    const double* src = z + 2 * n * c;
    cplx* dst = a.data() + n * c;
    // x − x is 0 for a finite x and NaN for NaN or ±Inf: one sum per column finds them.
    double finite = 0.0;
    for (std::size_t r = c; r < n; ++r) {
      dst[r] = cplx(src[2 * r], src[2 * r + 1]);
      finite += (src[2 * r] - src[2 * r]) + (src[2 * r + 1] - src[2 * r + 1]);
    }
    if (!(finite == 0.0)) {
      const std::size_t i = 2 * c + first_non_finite(src + 2 * c, 2 * (n - c));
      fail_non_finite("argument 'Z'", src[i],
                      "position " + std::to_string(2 * n * c + i + 1) + " (matrix entry (" +
                          std::to_string(i / 2 + 1) + ", " + std::to_string(c + 1) + "))");
    }
  }
  return a;
}

ConditionResult condition(const double* z, std::size_t n) {
  std::vector<cplx> a = copy_lower(z, n);
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  const ConditionEstimate e = equilibrated_condition(a.data(), n, s.data());
  return {e.rcond, e.info};
}

SolveResult solve(const double* z, std::size_t n, const double* v_re, const double* v_im) {
  std::vector<cplx> a = copy_lower(z, n);
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  SolveResult result{make_buffer<cplx>(n, "the right-hand side"), 0};
  for (std::size_t i = 0; i < n; ++i) result.x[i] = cplx(v_re[i], v_im ? v_im[i] : 0.0);
  result.info = equilibrated_solve(a.data(), n, 1, result.x.data(), s.data());
  return result;
}

}  // namespace mom::dense
