// Host-free core of `basis`: from a tetrahedral mesh and its materials to the volume basis.
//
// Volume functions live on mesh edges. Inside every tetrahedron that contains edge (A, B) the
// function is the constant vector b = 2 ∇λ_A × ∇λ_B (λ the barycentric coordinates), whose
// flux through each of the two faces of the tetrahedron containing the edge is exactly 1. Of
// the columns of the edge table, those whose function is a combination of the functions of
// earlier columns are dropped (edge_selection.hpp); the others are numbered 1…Nk in column
// order and packed into per-tetrahedron and per-face slot tables. Each tetrahedron also gets
// its contrast κ = 1 − ε_b/ε, and each face, for each of its three local edges, the jump of κ
// across it as seen from the side the edge-oriented normal points to.
//
// Input tables are the host's column-major doubles holding 1-based numbers, borrowed for the
// call. Every number is truncated toward zero and range-checked; malformed input throws
// mom::Error naming the argument, the field or the column.
#pragma once

#include <cstddef>
#include <vector>

#include "edge_selection.hpp"

namespace mom::basis {

struct Mesh {
  const double* points = nullptr;  // P: 3 × num_points coordinates
  std::size_t num_points = 0;
  const double* tetrahedra = nullptr;  // T: 4 × num_tets vertex numbers
  std::size_t num_tets = 0;
  const double* faces = nullptr;  // Faces: 3 × num_faces vertex numbers
  std::size_t num_faces = 0;
  const double* edges = nullptr;  // Edges: 2 × num_edges ordered vertex-number pairs
  std::size_t num_edges = 0;
  const double* face_tets = nullptr;  // TET: 2 × num_faces tetrahedron numbers, 0 for none
};

struct Materials {
  double epsilon = 1;                 // background permittivity ε_b
  const double* epsilon_r = nullptr;  // num_tets relative permittivities r_t
  const double* tan_delta = nullptr;  // num_tets loss tangents d_t; ε_t = r_t (1 − j d_t)
};

// The record's tables, column-major, numbers 1-based, unfilled slots 0.
struct VolumeBasis {
  std::size_t num_retained = 0;   // Nk
  std::vector<double> edge;       // 2 × Nk: vertex pairs of the kept columns
  std::vector<double> area_f;     // Nf
  std::vector<double> center_f;   // 3 × Nf
  std::vector<double> edges_fn;   // 3 × Nf basis numbers, packed
  std::vector<double> edges_fni;  // Nf counts
  std::vector<double> diff_contrast_re, diff_contrast_im;  // 3 × Nf, packed like edges_fn
  std::vector<double> volume_t;                            // Nt
  std::vector<double> contrast_re, contrast_im;            // Nt
  std::vector<double> center_t;                            // 3 × Nt
  std::vector<double> edges_tn;                            // 6 × Nt basis numbers, packed
  std::vector<double> edges_tni;                           // Nt counts
  std::vector<double> basis_tc;  // 18 × Nt: the vector of each packed function, 3 rows each
  SelectionStats selection;
};

VolumeBasis build_basis(const Mesh& mesh, const Materials& materials);

// The six local edge vectors of the tetrahedron p0 p1 p2 p3 (3 doubles each, local edge order
// p0p1, p0p2, p0p3, p1p2, p1p3, p2p3), oriented from the first vertex to the second. Returns
// false when the tetrahedron is flat (zero volume) and the vectors would not be finite.
bool local_edge_vectors(const double* p0, const double* p1, const double* p2, const double* p3,
                        double* b);

}  // namespace mom::basis
