// The tetrahedron pair tables: the static (1/R) integrals between near tetrahedra, and between
// near metal triangles and tetrahedra, with the integral over the tetrahedron in closed form
// (tetraPotential) and the other by the caller's quadrature rule.
//
// Tetrahedron table (cell table), for each near pair (i, j), j ≤ i, the closed-form side always
// tetrahedron i (the outer index), whatever the sizes, and the rule's points r_q in j:
//   SS = (1/Vol_i) Σ_q w_q I_T,i(r_q)       ≈ mean of 1/R over the two tetrahedra.
// For two different tetrahedra the value therefore depends on which one has the higher index.
//
// Triangle–tetrahedron table (cell–plate table), for each near pair (triangle i, tetrahedron j),
// with the rule's points r_q on triangle i (vertices W_b):
//   RS[3b + x] = (1/Vol_j) Σ_q w_q I_T,j(r_q) (r_q − W_b)_x
//              ≈ mean over the pair of (r − W_b)/R (b = 0 … 2 triangle vertex, x = 0 … 2
//              coordinate),
// where r_q is the point after the four probe shifts of tetraPotential.
//
// Pairs are found by the near-pair search (|c_i − c_j|² < k ρ_i ρ_j), in the order of the plain
// double loops: i ascending, j ascending.
#pragma once

#include <cstddef>
#include <vector>

#include "elements.hpp"
#include "near_pairs.hpp"
#include "pair_tables.hpp"
#include "tetra_potential.hpp"

namespace mom::tables {

// --- Tetrahedron table ------------------------------------------------------------------------

// P (3 × Np), T (4 × NT or taller: vertex numbers), coeffT (4 × at least Nq), weightsT (a row or
// column of Nq weights: Nq is its number of values), the near-pair factor k.
struct CellInput {
  Table points, tetrahedra, coeff, weights;
  double k = 0.0;
};

struct CellSetup {
  TetraSet tetrahedra;
  TetraRule rule;
  std::vector<NearPair> pairs;
};

// Checks the input (each failure ends the call with a message naming the argument: shapes, the
// weights as a vector, coeffT with at least 4 rows and Nq columns, vertex numbers, flat
// tetrahedra), computes the tetrahedron data and finds the near pairs.
CellSetup prepare_cell_table(const CellInput& in);
// SS of every near pair, in pair order; the caller provides pairs.size() doubles.
void fill_cell_table(const CellSetup& setup, double* ss);
ScalarTable cell_table(const CellInput& in);

// --- Triangle–tetrahedron table ---------------------------------------------------------------

// Pt (3 × Npt), PT (3 × NPT), t (3 × Nt or taller: rows 1–3 vertex numbers into Pt), T (4 × NT or
// taller: vertex numbers into PT), coeff (3 × Nq), weights (at least Nq values), k.
struct CellPlateInput {
  Table plate_points, cell_points, triangles, tetrahedra, coeff;
  const double* weights = nullptr;
  std::size_t weight_count = 0;
  double k = 0.0;
};

struct CellPlateSetup {
  TriangleSet triangles;
  TetraSet tetrahedra;
  TriangleRule rule;
  std::vector<NearPair> pairs;  // i: triangle, j: tetrahedron
};

CellPlateSetup prepare_cell_plate_table(const CellPlateInput& in);
// RS of every near pair, nine values per pair in pair order; the caller provides
// 9·pairs.size() doubles.
void fill_cell_plate_table(const CellPlateSetup& setup, double* rs);

struct CellPlateTable {
  std::vector<NearPair> pairs;
  std::vector<double> rs;
};
CellPlateTable cell_plate_table(const CellPlateInput& in);

}  // namespace mom::tables
