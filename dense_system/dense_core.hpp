// Host-free core of dense_system: a complex symmetric matrix handed over as 2·n² interleaved
// (real, imaginary) doubles, column by column, is equilibrated and either its reciprocal
// condition number estimated or one system solved.
#pragma once

#include <cstddef>
#include <vector>

#include "lapack.hpp"

namespace mom::dense {

// The largest n with 2·n² ≤ m (exact, not subject to the rounding of a square root).
std::size_t order_from_length(std::size_t m);

// A private copy of the lower triangle of the n × n matrix stored interleaved in `z`
// (real part of (r, c) at z[2(r + n·c)], imaginary part after it). The upper triangle of the
// copy is zero. The caller's data are never written. A NaN or ±Inf in the lower triangle ends
// the call (mom::Error "badValue" naming its position in 'Z').
std::vector<cplx> copy_lower(const double* z, std::size_t n);

struct ConditionResult {
  double rcond;
  lapack_int info;  // > 0: exactly singular factor
};

// Reciprocal one-norm condition estimate of D·Z·D, D = diag(|Z_ii|^(-1/2)).
ConditionResult condition(const double* z, std::size_t n);

struct SolveResult {
  std::vector<cplx> x;
  lapack_int info;  // > 0: exactly singular factor, x is what the solver left
};

// Solution of Z·x = v for the first n values of v (v_im may be null: zero imaginary part).
SolveResult solve(const double* z, std::size_t n, const double* v_re, const double* v_im);

}  // namespace mom::dense
