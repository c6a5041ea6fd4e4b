// Restarted GMRES with right preconditioning for one complex right-hand side:
// A·M⁻¹·u = b, x = M⁻¹·u, with the operator A and the preconditioner M⁻¹ supplied by the caller.
// Used to refine a solution from an approximate factorisation: M⁻¹ is the factorisation's
// solve, A the (more accurate) operator, and the start is the factorisation's solution.
#pragma once

#include <complex>
#include <cstddef>
#include <functional>

namespace mom::compressed {

using Apply = std::function<void(const std::complex<double>* in, std::complex<double>* out)>;

struct GmresResult {
  int iterations = 0;      // operator applications after the initial residual
  double residual = 0.0;   // ‖b − A·x‖/‖b‖ at the end (recomputed, not the recurrence's value)
  bool converged = false;  // residual ≤ tolerance
  bool stalled = false;    // stopped early: a whole restart cycle fell short of `stall_factor`
};

// x (n values) holds the start on entry and the solution on return. Stops when the relative
// residual reaches `tolerance` or after `max_iterations` operator applications; `restart` is
// the Krylov dimension between restarts. With `stall_factor` > 1 it also stops after a whole
// restart cycle that lowered the residual by less than that factor: a caller with a better
// preconditioner at hand would rather use it than go on.
GmresResult gmres(const Apply& a, const Apply& m_inverse, const std::complex<double>* b,
                  std::complex<double>* x, std::size_t n, double tolerance, int max_iterations,
                  int restart = 30, double stall_factor = 0.0);

}  // namespace mom::compressed
