#include "hybrid_core.hpp"

#include "errors.hpp"
#include "memory.hpp"
#include "surface_block.hpp"
#include "symmetric_solve.hpp"

namespace mom::hybrid {

SystemProblem prepare(double omega_re, double omega_im, const ConstantsRecord& constants,
                      const SurfaceRecord* surface) {
  SystemProblem p;
  p.coefficients = frequency_coefficients(omega_re, omega_im, constants);
  if (surface != nullptr) {
    p.surface = prepare_surface(*surface);
    if (p.surface->Tr != 0 && omega_re == 0.0 && omega_im == 0.0) {
      fail("badFrequency",
           "arguments 'omega_re' and 'omega_im' are both zero: the metal surface needs a "
           "nonzero frequency");
    }
  }
  return p;
}

std::vector<cplx> assemble(const SystemProblem& problem) {
  const std::size_t n = problem.order();
  std::vector<cplx> a =
      make_buffer<cplx>(checked_mul(n, n, "the system matrix"), "the system matrix");
  if (problem.surface && problem.surface->Tr != 0) {
    fill_surface_block(a.data(), n, *problem.surface, problem.coefficients);
  }
  return a;
}

ConditionEstimate condition(std::vector<cplx>& a, std::size_t n) {
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  return equilibrated_condition(a.data(), n, s.data());
}

Solution solve(std::vector<cplx>& a, std::size_t n, std::size_t m, const double* v_re,
               const double* v_im) {
  Solution out;
  const std::size_t values = checked_mul(n, m, "the right-hand sides");
  out.x = make_buffer<cplx>(values, "the right-hand sides");
  for (std::size_t q = 0; q < values; ++q) out.x[q] = cplx(v_re[q], v_im ? v_im[q] : 0.0);
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  out.info = equilibrated_solve(a.data(), n, m, out.x.data(), s.data());
  return out;
}

void equilibrate(std::vector<cplx>& a, std::size_t n) {
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  equilibration_factors(a.data(), n, s.data());
  scale_lower(a.data(), n, s.data());
}

}  // namespace mom::hybrid
