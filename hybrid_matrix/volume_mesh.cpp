#include "volume_mesh.hpp"

#include <cmath>
#include <string>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"
#include "record_checks.hpp"

namespace mom::hybrid {

namespace {

constexpr const char* kRecord = "GEOM";

// A table with one column of `rows` values per element (3-vectors, six packed slots): exactly
// that many rows, since a transposed table would be read as garbage, and enough columns.
void require_columns(const Table& t, std::size_t rows, std::size_t columns, const char* field) {
  if (columns > 0 && t.rows != rows) {
    fail("badSize", label(field, kRecord) + " must have " + std::to_string(rows) +
                        " rows (one column per element), not " + std::to_string(t.rows));
  }
  require_values(t, checked_mul(rows, columns, field), field, kRecord);
}

// The current vectors of a tetrahedron: 18 values per column, or 3 per column and six columns
// per tetrahedron; either way 18·Nt values in tetrahedron order.
void require_slot_vectors(const Table& t, std::size_t tetrahedra, const char* field) {
  if (tetrahedra > 0 && t.rows != 3 && t.rows != 18) {
    fail("badSize", label(field, kRecord) +
                        " must have 3 rows (six columns per tetrahedron) or 18 rows, "
                        "not " +
                        std::to_string(t.rows));
  }
  require_values(t, checked_mul(18, tetrahedra, field), field, kRecord);
}

// The packed slot tables of `elements` elements: counts from `count_field` (0…6), and for the
// valid slots the 1-based volume numbers of `number_field` (1…Nv) as 0-based numbers; the
// remaining slots are set to 0.
void packed_slots(const Table& numbers, const Table& counts, std::size_t elements, std::size_t nv,
                  const char* number_field, const char* count_field, const char* element,
                  std::vector<std::int64_t>& unknown, std::vector<int>& count) {
  const std::vector<std::int64_t> c = convert_indices<std::int64_t>(
      counts.data, elements, 0, 0, kSlots, label(count_field, kRecord));
  count = make_buffer<int>(elements, count_field);
  unknown = make_buffer<std::int64_t>(checked_mul(kSlots, elements, number_field), number_field);
  for (std::size_t e = 0; e < elements; ++e) {
    count[e] = static_cast<int>(c[e]);
    for (std::size_t k = 0; k < static_cast<std::size_t>(c[e]); ++k) {
      const double v = numbers.data[kSlots * e + k];
      std::int64_t n = 0;
      if (!truncate_to_int64(v, n) || n < 1 || static_cast<std::uint64_t>(n) > nv) {
        fail("badIndex", label(number_field, kRecord) + ": value " + format_index_value(v) +
                             " in slot " + std::to_string(k + 1) + " of " + element + " " +
                             std::to_string(e + 1) + " is outside 1.." + std::to_string(nv));
      }
      unknown[kSlots * e + k] = n - 1;
    }
  }
}

}  // namespace

VolumeMesh prepare_volume(const VolumeRecord& rec, const ConstantsRecord& constants,
                          std::size_t triangles) {
  VolumeMesh m;
  m.Nt = rec.TetrahedraTotal;
  m.Nv = rec.EdgesTotal;
  m.F = rec.FacesNontrivial;
  m.QT = rec.OrderT;
  m.QF = rec.OrderF;
  const bool coupling = rec.has_coupling && triangles != 0;

  // Sizes first: all of them are cheap and must hold before anything is converted.
  require_columns(rec.EdgesTN, kSlots, m.Nt, "EdgesTN");
  require_values(rec.EdgesTNI, m.Nt, "EdgesTNI", kRecord);
  require_slot_vectors(rec.BasisTC, m.Nt, "BasisTC");
  require_slot_vectors(rec.BasisTCn, m.Nt, "BasisTCn");
  require_values(rec.VolumeT, m.Nt, "VolumeT", kRecord);
  require_columns(rec.CenterT, 3, m.Nt, "CenterT");
  require_values(rec.Contrast_real, m.Nt, "Contrast_real", kRecord);
  require_values(rec.Contrast_imag, m.Nt, "Contrast_imag", kRecord);
  require_columns(rec.EdgesFN, kSlots, m.F, "EdgesFN");
  require_values(rec.EdgesFNI, m.F, "EdgesFNI", kRecord);
  require_columns(rec.DiffContrast_real, kSlots, m.F, "DiffContrast_real");
  require_columns(rec.DiffContrast_imag, kSlots, m.F, "DiffContrast_imag");
  require_columns(rec.CenterF, 3, m.F, "CenterF");
  require_columns(rec.PointsT, 3, checked_mul(m.QT, m.Nt, "PointsT"), "PointsT");
  require_values(rec.WT, m.QT, "WT", kRecord);
  require_columns(rec.PointsF, 3, checked_mul(m.QF, m.F, "PointsF"), "PointsF");
  require_values(rec.WF, m.QF, "WF", kRecord);
  m.K_tt = vector_length(rec.TTIS, "TTIS", kRecord);
  require_values(rec.TTJS, m.K_tt, "TTJS", kRecord);
  require_values(rec.TTSS, m.K_tt, "TTSS", kRecord);
  m.K_ff = vector_length(rec.FFIS, "FFIS", kRecord);
  require_values(rec.FFJS, m.K_ff, "FFJS", kRecord);
  require_values(rec.FFSS, m.K_ff, "FFSS", kRecord);
  if (coupling) {
    m.K_Tt = vector_length(rec.TtIS, "TtIS", kRecord);
    require_values(rec.TtJS, m.K_Tt, "TtJS", kRecord);
    require_values(rec.TtRS, checked_mul(9, m.K_Tt, "TtRS"), "TtRS", kRecord);
    m.K_tF = vector_length(rec.tFIS, "tFIS", kRecord);
    require_values(rec.tFJS, m.K_tF, "tFJS", kRecord);
    require_values(rec.tFSS, m.K_tF, "tFSS", kRecord);
  }
  require_values(constants.Epsilon_r, m.Nt, "Epsilon_r", "const");
  require_values(constants.tan_delta, m.Nt, "tan_delta", "const");

  // Values: a zero relative permittivity leaves the material term without a permittivity
  // (κ/ε divides by |ε|²), a non-finite one fills the matrix with NaN.
  for (std::size_t t = 0; t < m.Nt; ++t) {
    const double e = constants.Epsilon_r.data[t];
    const double d = constants.tan_delta.data[t];
    if (!std::isfinite(e) || e == 0.0 || !std::isfinite(d)) {
      fail("badConstants", label(!std::isfinite(d) ? "tan_delta" : "Epsilon_r", "const") +
                               ": value " + format_index_value(!std::isfinite(d) ? d : e) +
                               " for tetrahedron " + std::to_string(t + 1) +
                               " (a finite, nonzero permittivity is needed)");
    }
  }
  packed_slots(rec.EdgesTN, rec.EdgesTNI, m.Nt, m.Nv, "EdgesTN", "EdgesTNI", "tetrahedron",
               m.tet_unknown, m.tet_count);
  packed_slots(rec.EdgesFN, rec.EdgesFNI, m.F, m.Nv, "EdgesFN", "EdgesFNI", "face", m.face_unknown,
               m.face_count);
  m.tt_i = indices(rec.TTIS, m.K_tt, 0, m.Nt, "TTIS", kRecord);
  m.tt_j = indices(rec.TTJS, m.K_tt, 0, m.Nt, "TTJS", kRecord);
  m.ff_i = indices(rec.FFIS, m.K_ff, 0, m.F, "FFIS", kRecord);
  m.ff_j = indices(rec.FFJS, m.K_ff, 0, m.F, "FFJS", kRecord);
  if (coupling) {
    m.Tt_tri = indices(rec.TtIS, m.K_Tt, 0, triangles, "TtIS", kRecord);
    m.Tt_tet = indices(rec.TtJS, m.K_Tt, 0, m.Nt, "TtJS", kRecord);
    m.tF_tri = indices(rec.tFIS, m.K_tF, 0, triangles, "tFIS", kRecord);
    m.tF_face = indices(rec.tFJS, m.K_tF, 0, m.F, "tFJS", kRecord);
    m.Tt_rs = rec.TtRS.data;
    m.tF_ss = rec.tFSS.data;
  }

  m.basis = rec.BasisTC.data;
  m.basis_n = rec.BasisTCn.data;
  m.volume = rec.VolumeT.data;
  m.center_t = rec.CenterT.data;
  m.contrast_re = rec.Contrast_real.data;
  m.contrast_im = rec.Contrast_imag.data;
  m.points_t = rec.PointsT.data;
  m.weights_t = rec.WT.data;
  m.epsilon_r = constants.Epsilon_r.data;
  m.tan_delta = constants.tan_delta.data;
  m.diff_re = rec.DiffContrast_real.data;
  m.diff_im = rec.DiffContrast_imag.data;
  m.center_f = rec.CenterF.data;
  m.points_f = rec.PointsF.data;
  m.weights_f = rec.WF.data;
  m.tt_ss = rec.TTSS.data;
  m.ff_ss = rec.FFSS.data;
  return m;
}

}  // namespace mom::hybrid
