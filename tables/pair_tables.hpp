// The triangle pair tables: for every near pair of triangles, the static (1/R) integrals with
// the inner integral over the larger triangle in closed form (trianglePotential) and the outer
// one by the caller's quadrature rule on the other triangle.
//
// Metal triangle table (plate table), for each near pair (i, j), j ≤ i, with source S the
// triangle of larger area (S = i on equal areas and for self pairs) and observer O the other:
//   SS = (1/A_S) Σ_q w_q I_S(r_q)                          ≈ mean of 1/R over the two triangles
//   RS[3x + y] = (1/A_S) Σ_q w_q g_a(r_q) · (r_q − W_b)     (x: vertex of i, y: vertex of j)
// where r_q are the rule's points on O (vertices W_b), U_a the vertices of S and
// g_a(r) = ∫_S (r′ − U_a)/R dS′ = I_V + I_S · (in-plane part of r − U_a). r_q is used after the
// probe shift that trianglePotential applies. When the weights sum to 1, RS is the mean over the
// two triangles of (r − V_y of j)·(r′ − V_x of i)/R, whichever triangle is the source.
//
// Triangles labelled 3 (row 4 of the triangle table, truncated) have their self pair altered
// after the scan: its nine moments are set to 0 and its SS is replaced by that of the self pair
// of a substitute triangle, the nearest unlabelled one (see substitute_triangles).
//
// Face table (seam table): the scalar part alone, for the faces of a tetrahedral mesh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "elements.hpp"
#include "memory.hpp"
#include "near_pairs.hpp"
#include "triangle_potential.hpp"

namespace mom::tables {

// A quadrature rule on simplices of N vertices (triangles, tetrahedra): column q of `coeff`
// holds (c1, …, cN), the point c1 V1 + … + cN VN, with weight weights[q]; q = 0 … count−1.
template <int N>
struct SimplexRule {
  Table coeff;
  const double* weights = nullptr;
  std::size_t count = 0;
  Vec3 point(std::size_t q, const Vec3 v[N]) const {
    const double* c = coeff.data + coeff.rows * q;
    Vec3 p = c[0] * v[0];
    for (int a = 1; a < N; ++a) p += c[a] * v[a];
    return p;
  }
};
using TriangleRule = SimplexRule<3>;
using TetraRule = SimplexRule<4>;

// The pairs and values of a table with one value per pair (SS), for host-free callers.
struct ScalarTable {
  std::vector<NearPair> pairs;
  std::vector<double> ss;
};

// --- Metal triangle table -------------------------------------------------------------------

// The arguments as the host passes them: P (3 × Np), t (4 × Nt: vertex numbers, label),
// coeff (3 × Nq), weights (at least Nq values), the near-pair factor k.
struct PlateInput {
  Table points, triangles, coeff;
  const double* weights = nullptr;
  std::size_t weight_count = 0;
  double k = 0.0;
};

// Everything but the pair values: checked input, triangle data, near pairs, substitutes.
struct PlateSetup {
  TriangleSet triangles;
  TriangleRule rule;
  std::vector<NearPair> pairs;
  std::vector<std::uint8_t> labelled;
  std::vector<std::int64_t> substitute;  // s(i), or −1 for none
};

// Checks the input (shapes, vertex numbers, weights, triangle areas; each failure ends the call
// with a message naming the argument), computes the triangle data, finds the near pairs and the
// substitutes of labelled triangles.
PlateSetup prepare_plate_table(const PlateInput& in);

// The values of every near pair, in pair order: ss[m] and rs[9m … 9m+8], with the labelled self
// terms applied. The caller provides pairs.size() and 9·pairs.size() doubles.
void fill_plate_table(const PlateSetup& setup, double* ss, double* rs);

// For each triangle i labelled 3 (and Nt ≥ 3): the first unlabelled triangle in the order of
// ascending centroid distance from i (equal distances in index order, as a stable sort leaves
// them), where the first and the last entry of that order are never examined (the first is
// normally i itself, the last the farthest triangle). −1 where there is none, and for every
// unlabelled triangle. O(Nt) work per labelled triangle.
std::vector<std::int64_t> substitute_triangles(const TriangleSet& triangles,
                                               const std::vector<std::uint8_t>& labelled);

// The whole table, for host-free callers.
struct PlateTable {
  std::vector<NearPair> pairs;
  std::vector<double> ss, rs, area, centroid;
};
PlateTable plate_table(const PlateInput& in);

// --- Face table -----------------------------------------------------------------------------

// P (exactly 3 × Np), Faces (exactly 3 × Nf), coeff (3 × Nq), weights (1 × Nq), k.
struct SeamInput {
  Table points, faces, coeff, weights;
  double k = 0.0;
};

struct SeamSetup {
  TriangleSet faces;
  TriangleRule rule;
  std::vector<NearPair> pairs;
};

// The checks of the face table, in this order, with their fixed messages: P with exactly 3 rows,
// Faces with exactly 3 rows, as many weight columns as coeff columns; then the checks of vertex
// numbers, coeff rows and face areas.
SeamSetup prepare_seam_table(const SeamInput& in);
void fill_seam_table(const SeamSetup& setup, double* ss);
ScalarTable seam_table(const SeamInput& in);

// --- Pieces shared by the table fills --------------------------------------------------------

// Checks a rule's shape: coeff with at least 3 rows (when it has columns) and at least `count`
// weights; `count` is the column count of coeff.
TriangleRule make_triangle_rule(const Table& coeff, const double* weights,
                                std::size_t weight_count);

// The whole table of a prepared setup whose `fill` writes one value per pair.
template <class Setup>
ScalarTable scalar_table(const Setup& setup, void (*fill)(const Setup&, double*)) {
  ScalarTable out;
  out.ss = make_buffer<double>(setup.pairs.size(), "the pair table");
  fill(setup, out.ss.data());
  out.pairs = setup.pairs;
  return out;
}

// SS of one triangle pair (source s by the area rule), scalar form only.
double triangle_pair_scalar(const TriangleSet& triangles, const TriangleRule& rule, std::uint32_t i,
                            std::uint32_t j);

}  // namespace mom::tables
