#include "hybrid_core.hpp"

#include <string>

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

SystemMatrix::SystemMatrix(std::size_t n) : n_(n) {
  const char* what = "the system matrix";
  const std::size_t count = checked_mul(n, n, what);
  const std::size_t bytes = checked_mul(count, sizeof(cplx), what);
  ensure_memory(bytes, what);
  a_.reset(static_cast<cplx*>(std::calloc(count > 0 ? count : 1, sizeof(cplx))));
  if (!a_) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " + format_bytes(bytes) +
                      " requested");
  }
}

SystemMatrix assemble(const SystemProblem& problem) {
  SystemMatrix a(problem.order());
  if (problem.surface && problem.surface->Tr != 0) {
    fill_surface_block(a.data(), a.order(), *problem.surface, problem.coefficients);
  }
  return a;
}

ConditionEstimate condition(SystemMatrix& a) {
  std::vector<double> s = make_buffer<double>(a.order(), "the scale factors");
  return equilibrated_condition(a.data(), a.order(), s.data());
}

Solution solve(SystemMatrix& a, std::size_t m, const double* v_re, const double* v_im) {
  const std::size_t n = a.order();
  Solution out;
  const std::size_t values = checked_mul(n, m, "the right-hand sides");
  out.x = make_buffer<cplx>(values, "the right-hand sides");
  for (std::size_t q = 0; q < values; ++q) out.x[q] = cplx(v_re[q], v_im ? v_im[q] : 0.0);
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  out.info = equilibrated_solve(a.data(), n, m, out.x.data(), s.data());
  return out;
}

void equilibrate(SystemMatrix& a) {
  std::vector<double> s = make_buffer<double>(a.order(), "the scale factors");
  equilibration_factors(a.data(), a.order(), s.data());
  scale_lower(a.data(), a.order(), s.data());
}

}  // namespace mom::hybrid
