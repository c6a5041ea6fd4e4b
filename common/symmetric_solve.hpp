// Equilibration, condition estimate and solution of complex symmetric (A = Aᵀ, not Hermitian)
// systems, lower triangle only, shared by hybrid_matrix and dense_system.
//
// The matrix is column-major with leading dimension n; entry (r, c) is a[r + n·c] and only
// r ≥ c is read or written. All routines work in place on caller-owned memory.
#pragma once

#include <cstddef>

#include "lapack.hpp"

namespace mom {

// Symmetric diagonal scale factors s_i = |A_ii|^(-1/2), so that S·A·S has a unit-modulus
// diagonal. A zero or non-finite diagonal entry gets s_i = 1: such a row is left unscaled
// instead of turning the whole system into Inf/NaN (a zero diagonal is common in perfectly
// regular indefinite systems).
void equilibration_factors(const cplx* a, std::size_t n, double* s);

// A ← S·A·S on the lower triangle.
void scale_lower(cplx* a, std::size_t n, const double* s);

struct ConditionEstimate {
  double rcond;     // LAPACK's one-norm reciprocal condition estimate (0 for a singular D)
  lapack_int info;  // zsytrf status: > 0 means D(info, info) is exactly zero
};

// Factors A = L·D·Lᵀ in place (Bunch–Kaufman) and estimates 1/κ₁(A).
ConditionEstimate reciprocal_condition(cplx* a, std::size_t n);

// Solves A·X = B for m right-hand sides (B is n × m, leading dimension n, overwritten by X);
// A is overwritten by its factors. Returns zsysv's status (> 0: singular D, X not valid).
lapack_int solve_symmetric(cplx* a, std::size_t n, std::size_t m, cplx* b);

// The whole equilibrated solve: s from A's diagonal, A ← S·A·S, B ← S·B, solve, X ← S·Y.
// `s` receives the n scale factors. Returns the solver's status.
lapack_int equilibrated_solve(cplx* a, std::size_t n, std::size_t m, cplx* b, double* s);

// Equilibrates and estimates the reciprocal condition number of S·A·S.
ConditionEstimate equilibrated_condition(cplx* a, std::size_t n, double* s);

}  // namespace mom
