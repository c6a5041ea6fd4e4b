// How the distributed solver lays the system matrix out over a process grid (no MPI here).
//
// The matrix is stored 2D block-cyclic (ScaLAPACK): global row g lies in row block g / nb,
// which belongs to process row (g / nb) mod P_r. The solver stores Z' = Z(rp, cp), a symmetric
// renumbering of rows and columns by two permutations rp and cp, chosen so that every process
// row (column) holds a spatially compact set of unknowns: the unknowns are put in a spatial order
// (recursive coordinate bisection of their centres) and process row p receives the p-th
// contiguous run of that order, as many unknowns as the block-cyclic layout gives it. The
// elements that carry a process's rows and columns are then nearly disjoint from those of the
// other processes, so the fill is divided by the number of processes rather than repeated.
// (Z' y = b with b = v(rp) gives x(cp) = y; row and column exchanges do not change the
// solution, the condition number or, up to rounding, the partial-pivoting factorisation.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hybrid_core.hpp"

namespace mom::distributed {

struct Grid {
  int rows = 1;
  int cols = 1;
};

// The most nearly square grid rows × cols = ranks with rows ≤ cols (a prime count gives 1 × P).
Grid choose_grid(int ranks);

// A grid written "PxQ" (P, Q ≥ 1); throws mom::Error("badGrid") otherwise.
Grid parse_grid(const std::string& text);

// ScaLAPACK's NUMROC and INDXL2G with source process 0, 0-based: how many of n indices with
// block size nb process p of np owns, and the global index of its local index l.
std::size_t local_count(std::size_t n, std::size_t nb, int p, int np);
std::size_t global_index(std::size_t l, std::size_t nb, int p, int np);

// A centre per unknown (3 doubles each): a surface edge at the mean of its two triangle
// centroids, a volume unknown at the mean of the centroids of the tetrahedra (else faces)
// carrying it, one carried by no element at the origin.
std::vector<double> unknown_centres(const hybrid::SystemProblem& problem);

// The indices 0 … n−1 of n points in recursive coordinate bisection order: split at the median
// along the longest side of the bounding box, each half ordered the same way.
std::vector<std::int64_t> spatial_order(const double* points, std::size_t n);

// The permutation of one matrix dimension for np processes: perm[g] is the unknown stored at
// global (renumbered) index g, so that process p holds the p-th run of `order` in its local
// indices.
std::vector<std::int64_t> process_permutation(const std::vector<std::int64_t>& order,
                                              std::size_t nb, int np);

// The unknowns of the local indices of process p: perm[global_index(l, nb, p, np)] for every l.
std::vector<std::int64_t> local_unknowns(const std::vector<std::int64_t>& perm, std::size_t nb,
                                         int p, int np);

}  // namespace mom::distributed
