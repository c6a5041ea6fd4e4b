// Host-free core of the two excitation modules: an incident electric field, sampled as one
// complex 3-vector per mesh element, projected onto the basis functions of that mesh.
//
//   volume functions (tetrahedra):  V(n) = Σ_t Σ_{k < m_t, slot k of t holds n} κ_t · v_t · (b_tk ·
//   E_t) surface functions (triangles):  V(e) = l_e/2 · (ρ⁺_e · E(t⁺_e) − ρ⁻_e · E(t⁻_e))
//
// In both the field is taken constant over each element, so the integral of a basis function
// against it is one dot product per element. The basis vectors (b, ρ) are real; the field, the
// contrast κ and the result are complex.
//
// All tables are views into caller-owned arrays of doubles, read only. Element, basis and slot
// numbers are stored as doubles, 1-based, and truncated toward zero when read. The check_*
// functions validate every number that is used as an index and name the offending table
// entry; the excitation functions rely on a passed check and read nothing out of range.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>

namespace mom::excite {

using cplx = std::complex<double>;

// A 3-vector field sampled per element: column j (0-based) of a host matrix with `stride` rows
// (≥ 3; rows beyond the third are ignored) holds the field of element j.
struct ElementField {
  const double* re = nullptr;
  const double* im = nullptr;  // null: zero imaginary part
  std::size_t stride = 3;
  std::size_t columns = 0;
  const char* name = "";  // how messages name it, e.g. "argument 'EfieldD'"

  // b · E_j for a real 3-vector b.
  cplx dot(const double* b, std::size_t j) const {
    const double* r = re + stride * j;
    const double d_re = b[0] * r[0] + b[1] * r[1] + b[2] * r[2];
    if (im == nullptr) return {d_re, 0.0};
    const double* i = im + stride * j;
    return {d_re, b[0] * i[0] + b[1] * i[1] + b[2] * i[2]};
  }
};

// --- Volume functions -------------------------------------------------------------------------

// The volume mesh record as the volume excitation reads it. Every tetrahedron t (0-based) owns
// six packed slots; the first m_t = trunc(slot_count[t]) of them hold basis functions.
struct CellRecord {
  std::size_t tetrahedra = 0;            // Nt
  std::size_t functions = 0;             // N, the length of the result
  const double* slot_count = nullptr;    // Nt values, 0…6               ("EdgesTNI")
  const double* basis_number = nullptr;  // 6 per tetrahedron, 1…N       ("EdgesTN")
  const double* slot_vector = nullptr;   // 18 per tetrahedron: 3 per slot ("BasisTC")
  const double* volume = nullptr;        // Nt values                    ("VolumeT")
  const double* contrast_re = nullptr;   // Nt values, κ_t = re + j·im   ("Contrast_real")
  const double* contrast_im = nullptr;   // Nt values                    ("Contrast_imag")
};

// Throws mom::Error ("badIndex") for a slot count outside 0…6 or a basis number in a used slot
// outside 1…N, naming the field, the tetrahedron and the slot. The caller guarantees the table
// sizes (Nt, 6·Nt, 18·Nt values) and, for Nt > 0, a field with ≥ 3 rows and ≥ Nt columns.
void check_cells(const CellRecord& cells);

// Throws mom::Error ("badValue") for a NaN or ±Inf among the values that the excitation reads
// (volume, contrast, the vectors of the used slots, the first three rows of the field column of
// every tetrahedron that holds a function), naming the table and the position. Requires a
// passed check_cells.
void check_cell_values(const CellRecord& cells, const ElementField& field);

// Adds the projection of `field` onto the volume functions to the N values of (v_re, v_im),
// with the complex contrast: V(n) += κ_t · v_t · (b · E_t). Requires a passed check_cells.
void add_cell_excitation(const CellRecord& cells, const ElementField& field, double* v_re,
                         double* v_im);

// --- Surface functions ------------------------------------------------------------------------

// The surface mesh record as the surface excitation reads it. Function e (0-based) lives on
// plus triangle trunc(tri_plus[e]) and minus triangle trunc(tri_minus[e]) (1-based); its free
// vertex in each is local slot trunc(vertex_plus[e]) / trunc(vertex_minus[e]) (1…3), which
// selects the rho vector (vertex → centroid) of that slot. Both sides use the same rho
// convention, so the minus side is subtracted.
struct PlateRecord {
  std::size_t functions = 0;             // N, the length of the result
  const double* tri_plus = nullptr;      // N values ("TriP")
  const double* tri_minus = nullptr;     // N values ("TriM")
  const double* vertex_plus = nullptr;   // N values ("VerP")
  const double* vertex_minus = nullptr;  // N values ("VerM")
  const double* edge_length = nullptr;   // N values ("EdgeLength")
  const double* rho = nullptr;    // column 3t + s: rho of slot s of triangle t ("PointsFCRho")
  std::size_t rho_stride = 3;     // rows of the rho table (≥ 3)
  std::size_t rho_triangles = 0;  // triangles with all three rho columns present
};

// Throws mom::Error ("badIndex") for a triangle number outside 1…min(rho_triangles, field
// columns) or a vertex slot outside 1…3, naming the field, the basis function and the table
// that bounds it. The caller guarantees N values in each per-function table and, for N > 0, a
// field with ≥ 3 rows.
void check_plates(const PlateRecord& plates, const ElementField& field);

// Throws mom::Error ("badValue") for a NaN or ±Inf among the values that the excitation reads
// (edge length, the two rho vectors, the first three rows of the two field columns of every
// function), naming the table and the position. Requires a passed check_plates.
void check_plate_values(const PlateRecord& plates, const ElementField& field);

// Writes V(e) = l_e/2 · (ρ⁺ · E(t⁺) − ρ⁻ · E(t⁻)) into the N values of (v_re, v_im).
// Requires a passed check_plates.
void plate_excitation(const PlateRecord& plates, const ElementField& field, double* v_re,
                      double* v_im);

}  // namespace mom::excite
