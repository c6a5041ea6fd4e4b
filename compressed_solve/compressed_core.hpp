// Host-free core of compressed_solve: the solution of Z·X = V for a complex symmetric system
// matrix Z that is never formed, only read block by block from an EntrySource.
//
//   1. equilibration: s_i = |Z_ii|^(−1/2) (1 for a zero diagonal), A = S·Z·S, as the dense
//      solve does, so that the relative compression tolerance means the same for surface and
//      volume unknowns and the pivot-free hierarchical factorisation meets unit diagonals;
//   2. the H-matrix of A from the unknowns' centres (ACA+ at `tol`), lower half only when the
//      factorisation is LDLᵀ;
//   3. a copy factorised by H-LDLᵀ (H-LU when asked for, or when the library's LDLᵀ is not the
//      complex symmetric one) with low-rank truncation at `factor_tol`. By default that is a
//      coarse 1e-2: the truncations of the factorisation cost far more than those of the
//      assembly, and a few GMRES steps with the accurate compressed operator recover the
//      accuracy (each step a compressed product and a solve, both cheap);
//   4. Y = A⁻¹·S·V through the factors, then, when refinement is on (by default when
//      factor_tol > tol), restarted GMRES on A·Y = S·V with the compressed A as operator and
//      the factors as preconditioner, to the relative residual refine_tol of the equilibrated
//      system; X = S·Y;
//   5. the residual ‖Z·X − V‖/‖V‖ with the compressed operator and, on request, with the exact
//      Z read block by block.
#pragma once

#include <cstddef>
#include <vector>

#include "hmat_matrix.hpp"

namespace mom::compressed {

struct Options {
  double tol = 1e-4;         // ACA+ tolerance of the compressed matrix
  double factor_tol = 0.0;   // truncation tolerance of the factorisation; 0: max(tol, 1e-2)
  int leaf_size = 128;       // largest cluster of the tree
  double eta = 3.0;          // admissibility parameter (3: a quarter less memory than 2
                             // for volume problems at the same time, measured at 2e4 unknowns)
  int refine = -1;           // GMRES refinement: 1 on, 0 off, −1: on when factor_tol > tol
  double refine_tol = 0.0;   // residual target of the refinement; 0: tol
  int max_iterations = 100;  // GMRES operator applications per right-hand side
  bool exact_residual = false;  // also measure the residual with the exact matrix
  bool lu = false;              // H-LU instead of H-LDLᵀ
  bool in_place = false;        // factorise the compressed matrix itself (also chosen when a
                                // copy would not fit in memory): no refinement, no residual
};

struct Info {
  double residual = 0.0;        // ‖Z̃·X − V‖_F/‖V‖_F, Z̃ the compressed matrix; −1 in place
  double scaled_residual = 0.0;  // ‖Ã·Y − S·V‖_F/‖S·V‖_F, equilibrated system; −1 in place
  double exact_residual = -1.0; // the same with the exact Z; −1 when not measured
  std::size_t matrix_bytes = 0;  // compressed matrix
  std::size_t factor_bytes = 0;  // its factors
  double compression_ratio = 0.0;  // matrix_bytes / (16·N²)
  int largest_rank = 0;            // largest cross-approximation rank of a far block
  std::size_t full_blocks = 0, low_rank_blocks = 0;
  bool ldlt = false;               // LDLᵀ (true) or LU (false)
  bool in_place = false;           // the compressed matrix itself was factorised
  int iterations = 0;              // GMRES operator applications, all right-hand sides
  double factor_tol = 0.0;         // truncation tolerance of the factors finally used
  int refactorisations = 0;        // finer factorisations after a stagnating refinement
  bool converged = true;           // every refinement reached its residual target
  // Wall-clock seconds of each phase.
  double time_diagonal = 0.0, time_assembly = 0.0, time_factorisation = 0.0, time_solve = 0.0,
         time_refinement = 0.0, time_residual = 0.0;
};

struct Result {
  std::vector<cplx> x;  // n × m, column j at x[n·j]
  Info info;
};

// Checks the option values (mom::Error "badOption" naming the option).
void check_options(const Options& o);

// `centres`: 3 × n, the point of each unknown. V(r, j) at v_re/v_im[r + n·j]; v_im may be null.
Result solve(const EntrySource& z, const double* centres, std::size_t n, const double* v_re,
             const double* v_im, std::size_t m, const Options& options);

}  // namespace mom::compressed
