// Host-free core of hybrid_matrix: one call at one complex frequency.
//
//   prepare  → SystemProblem (checked, converted tables; nothing large allocated yet)
//   assemble → the zeroed N × N complex matrix, each block filler adding its lower-triangle
//              entries (surface unknowns first, rows/columns 0 … Ns−1)
//   condition / solve → equilibration S·A·S, S = diag(|A_ii|^(−1/2)), then the LAPACK complex
//              symmetric factorisation of the lower triangle, in place
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "coefficients.hpp"
#include "lapack.hpp"
#include "records.hpp"
#include "surface_mesh.hpp"
#include "symmetric_solve.hpp"

namespace mom::hybrid {

struct SystemProblem {
  Coefficients coefficients;
  std::optional<SurfaceMesh> surface;  // absent: no metal unknowns

  std::size_t surface_unknowns() const { return surface ? surface->Ns : 0; }
  std::size_t order() const { return surface_unknowns(); }
};

// Coefficients from the frequency and constants, and the surface mesh when a record is given.
// A metal surface needs ω ≠ 0 (its scalar-potential coefficient is 1/(jω·ε)).
SystemProblem prepare(double omega_re, double omega_im, const ConstantsRecord& constants,
                      const SurfaceRecord* surface);

// The system matrix, n × n with n = problem.order(), column-major, lower triangle filled, upper
// triangle zero. The 16·n² bytes are checked against the available memory first.
std::vector<cplx> assemble(const SystemProblem& problem);

// Reciprocal one-norm condition estimate of the equilibrated matrix; `a` is overwritten by the
// factors. info > 0: an exactly singular factor (rcond is then 0).
ConditionEstimate condition(std::vector<cplx>& a, std::size_t n);

// Solutions of A·X = V for m right-hand sides; V(r, j) at v_re/v_im[r + n·j], v_im may be null
// (a real V). `a` is overwritten by the factors. info > 0: singular factor, x is what the solver
// left (not a valid solution).
struct Solution {
  std::vector<cplx> x;  // n × m, column j at x[n·j]
  lapack_int info = 0;
};
Solution solve(std::vector<cplx>& a, std::size_t n, std::size_t m, const double* v_re,
               const double* v_im);

// Equilibration only (the mode that returns nothing): A ← S·A·S on the lower triangle.
void equilibrate(std::vector<cplx>& a, std::size_t n);

}  // namespace mom::hybrid
