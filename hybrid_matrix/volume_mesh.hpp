// The volume mesh prepared for assembly: checked sizes and 0-based index tables of the
// tetrahedra, the nontrivial faces, their near-pair lists and the triangle–volume near-pair lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records.hpp"

namespace mom::hybrid {

// Slots per tetrahedron and per face: a tetrahedron carries at most six volume functions (one
// per edge), a face at most six charge terms.
constexpr std::size_t kSlots = 6;

struct VolumeMesh {
  std::size_t Nt = 0;  // tetrahedra
  std::size_t Nv = 0;  // volume unknowns, matrix rows and columns Ns … Ns+Nv−1
  std::size_t F = 0;   // nontrivial faces
  std::size_t QT = 0;  // quadrature points per tetrahedron
  std::size_t QF = 0;  // quadrature points per face

  // Per tetrahedron t: tet_count[t] functions (0…6); function k has the 0-based volume number
  // tet_unknown[6t + k], the current vector basis[18t + 3k …] and the companion vector
  // basis_n[18t + 3k …]. Slots past the count hold 0 and are never read.
  std::vector<std::int64_t> tet_unknown;
  std::vector<int> tet_count;
  const double* basis = nullptr;
  const double* basis_n = nullptr;
  const double* volume = nullptr;       // Nt
  const double* center_t = nullptr;     // 3 per tetrahedron
  const double* contrast_re = nullptr;  // Nt: κ_t
  const double* contrast_im = nullptr;
  const double* points_t = nullptr;   // 3·QT per tetrahedron
  const double* weights_t = nullptr;  // QT
  const double* epsilon_r = nullptr;  // Nt, from the constants record
  const double* tan_delta = nullptr;  // Nt

  // Per face f: face_count[f] charge terms (0…6); term k belongs to volume number
  // face_unknown[6f + k] with the complex coefficient diff_re/diff_im[6f + k].
  std::vector<std::int64_t> face_unknown;
  std::vector<int> face_count;
  const double* diff_re = nullptr;
  const double* diff_im = nullptr;
  const double* center_f = nullptr;   // 3 per face
  const double* points_f = nullptr;   // 3·QF per face
  const double* weights_f = nullptr;  // QF

  // Near pairs, 0-based element numbers, one static value each.
  std::size_t K_tt = 0;
  std::vector<std::int64_t> tt_i, tt_j;  // tetrahedra
  const double* tt_ss = nullptr;
  std::size_t K_ff = 0;
  std::vector<std::int64_t> ff_i, ff_j;  // faces
  const double* ff_ss = nullptr;

  // Triangle–volume near pairs, present only when the problem has metal triangles as well.
  std::size_t K_Tt = 0;
  std::vector<std::int64_t> Tt_tri, Tt_tet;  // (metal triangle, tetrahedron)
  const double* Tt_rs = nullptr;             // 9 per pair: slot m of the triangle at 3m
  std::size_t K_tF = 0;
  std::vector<std::int64_t> tF_tri, tF_face;  // (metal triangle, face)
  const double* tF_ss = nullptr;
};

// Checks that every field of the volume record and the per-tetrahedron fields of the constants
// record cover their counts, that the packed tables have six rows, the counts EdgesTNI and
// EdgesFNI lie in 0…6, the volume numbers of the valid slots in 1…Nv, the near-pair element
// numbers in range (TTIS/TTJS 0…Nt−1, FFIS/FFJS 0…F−1) with companion rows long enough and
// Epsilon_r nonzero and finite, then converts the tables. When the record carries the
// triangle–volume tables and `triangles` (the surface record's TrianglesTotal) is not 0, those
// are checked and converted too (TtIS/tFIS 0…triangles−1, TtJS 0…Nt−1, tFJS 0…F−1); otherwise
// they are not used and not looked at. Messages name the field and its record. A near-pair count
// is the length of its first row (a row or a column vector).
VolumeMesh prepare_volume(const VolumeRecord& rec, const ConstantsRecord& constants,
                          std::size_t triangles);

}  // namespace mom::hybrid
