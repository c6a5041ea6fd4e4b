// Arbitrary blocks Z(R, C) of the hybrid_matrix system matrix without the whole matrix.
//
// The system matrix Z (order N = Ns + Nv, surface unknowns 0 … Ns−1 first, then the volume
// unknowns Ns … N−1) is a sum over ordered pairs of elements (E₁, E₂): every term of a function x
// of E₁ and y of E₂ adds to Z(x, y), and Z is symmetric, Z(x, y) = Z(y, x). A block fill visits
// only the pairs with E₁ carrying a row of R and E₂ a column of C: the centroid estimate of
// every such pair of distinct elements, the listed near pairs among them (quadrature of the
// smoothed kernel, static table values, centroid estimate taken back) and the material term of
// the tetrahedra on both sides. The kernels, near corrections and centroid terms are those of
// the full fill (assemble()), each pair evaluated in the orientation the full fill uses, so an
// entry differs from the full fill's only by the order in which its terms are summed (rounding).
//
// Cost of a block: one centroid kernel per pair of elements (E₁ reaching R, E₂ reaching C), the
// listed pairs among them, and the terms that land in the block; working memory O(|R| + |C| +
// elements reached), nothing of order N². The returned entries are the raw matrix: no
// equilibration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hybrid_core.hpp"

namespace mom::hybrid {

class BlockFill {
 public:
  // All per-problem precomputation, done once: unknown → element maps, the near-pair lists
  // indexed by element (both orientations), the per-element factors (contrast products,
  // material term, face charge coefficients, coupling factors) and the surface coefficients with
  // jω folded in. `problem` comes from prepare() (which checks the records); its tables point
  // into the record arrays, which must outlive this object.
  explicit BlockFill(SystemProblem problem);

  std::size_t order() const { return problem_.order(); }
  std::size_t surface_unknowns() const { return problem_.surface_unknowns(); }
  const SystemProblem& problem() const { return problem_; }

  // out[i + ld·j] = Z(rows[i], cols[j]) for i < nr, j < nc (assigned, not added), rows and
  // columns being 0-based unknown numbers in 0 … order()−1 in any order, repetitions allowed.
  // ld ≥ nr. Throws mom::Error ("badIndex") for an unknown out of range, ("badGeometry") for
  // two distinct triangles with the same centroid among the pairs visited, mom::OutOfMemory for
  // working memory that cannot be had. Const and without shared mutable state: any number of
  // threads may fill blocks of one object at the same time.
  void fill(const std::int64_t* rows, std::size_t nr, const std::int64_t* cols, std::size_t nc,
            cplx* out, std::size_t ld) const;

  // The diagonal Z(i, i), i = 0 … order()−1, into out[i] (the equilibration needs it).
  void diagonal(cplx* out) const;

  // An element's slots in the near-pair list of one kind: the other element, the list entry,
  // and whether this element is the list's first (IS) element of the entry.
  struct NearEntry {
    std::int64_t other;
    std::size_t entry;
    bool first;
  };
  // Lists indexed by element, compressed: element e's entries at list[start[e] … start[e+1]−1].
  struct NearLists {
    std::vector<std::size_t> start;
    std::vector<NearEntry> list;
  };

 private:
  SystemProblem problem_;
  Coefficients surface_coefficients_;  // C_As, C_phis times jω

  // Volume unknown a → (tetrahedron, slot) and (face, slot), compressed as the near lists.
  std::vector<std::size_t> tet_start_, face_start_;
  std::vector<std::int64_t> tet_of_, face_of_;
  std::vector<int> tet_slot_, face_slot_;

  NearLists tri_tri_, tet_tet_, face_face_;
  NearLists tri_tet_, tri_face_;  // coupling lists, indexed by the metal triangle

  std::vector<cplx> material_;     // per tetrahedron: (κ_t/ε_t)·V_t
  std::vector<cplx> face_scaled_;  // per face slot: C_phi·D_f,k
  std::vector<cplx> current_;      // per tetrahedron: h_t = C_A·½·V_t·κ_t

  friend class BlockFillRun;
};

}  // namespace mom::hybrid
