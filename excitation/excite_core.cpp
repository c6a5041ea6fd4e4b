#include "excite_core.hpp"

#include <algorithm>
#include <string>

#include "errors.hpp"
#include "finite.hpp"
#include "indices.hpp"

namespace mom::excite {

namespace {

// trunc(v) when v is finite and trunc(v) lies in lo…hi; otherwise throws "badIndex" with the
// message `describe(text of v)`. The message is built only on failure.
template <class Describe>
std::int64_t index_in(double v, std::int64_t lo, std::int64_t hi, Describe&& describe) {
  std::int64_t t = 0;
  if (!truncate_to_int64(v, t) || t < lo || t > hi)
    fail("badIndex", describe(format_index_value(v)));
  return t;
}

// Checks `count` values at `v`, element `first` (0-based) of a table with `rows` x `cols`
// values named `what`.
void finite_run(const double* v, std::size_t count, std::size_t first, std::size_t rows,
                std::size_t cols, const std::string& what) {
  const std::size_t i = first_non_finite(v, count);
  if (i < count) fail_non_finite(what, v[i], table_position(first + i, rows, cols));
}

// The first three values of column j of the field (both planes).
void finite_field_column(const ElementField& field, std::size_t j) {
  const std::size_t first = field.stride * j;
  finite_run(field.re + first, 3, first, field.stride, field.columns, field.name);
  if (field.im != nullptr) {
    finite_run(field.im + first, 3, first, field.stride, field.columns,
               std::string(field.name) + " (imaginary part)");
  }
}

// A table value that check_* has already accepted, as an unsigned position.
std::size_t position(double v) { return static_cast<std::size_t>(static_cast<std::int64_t>(v)); }

std::string range(std::int64_t lo, std::int64_t hi) {
  return std::to_string(lo) + ".." + std::to_string(hi);
}

}  // namespace

// --- Volume functions -------------------------------------------------------------------------

void check_cells(const CellRecord& cells) {
  const auto n = static_cast<std::int64_t>(cells.functions);
  for (std::size_t t = 0; t < cells.tetrahedra; ++t) {
    const std::int64_t m = index_in(cells.slot_count[t], 0, 6, [&](const std::string& v) {
      return "field 'EdgesTNI' of 'GEOM': value " + v + " for tetrahedron " +
             std::to_string(t + 1) + " is outside 0..6";
    });
    for (std::int64_t k = 0; k < m; ++k) {
      index_in(cells.basis_number[6 * t + k], 1, n, [&](const std::string& v) {
        return "field 'EdgesTN' of 'GEOM': value " + v + " in slot " + std::to_string(k + 1) +
               " of tetrahedron " + std::to_string(t + 1) + " is outside " + range(1, n) +
               " (basis numbers run from 1 to 'EdgesTotal')";
      });
    }
  }
}

void check_cell_values(const CellRecord& cells, const ElementField& field) {
  const std::size_t nt = cells.tetrahedra;
  for (std::size_t t = 0; t < nt; ++t) {
    const std::size_t m = position(cells.slot_count[t]);
    if (m == 0) continue;
    finite_run(cells.volume + t, 1, t, 1, nt, "field 'VolumeT' of 'GEOM'");
    finite_run(cells.contrast_re + t, 1, t, 1, nt, "field 'Contrast_real' of 'GEOM'");
    finite_run(cells.contrast_im + t, 1, t, 1, nt, "field 'Contrast_imag' of 'GEOM'");
    finite_run(cells.slot_vector + 18 * t, 3 * m, 18 * t, 18, nt, "field 'BasisTC' of 'GEOM'");
    finite_field_column(field, t);
  }
}

void add_cell_excitation(const CellRecord& cells, const ElementField& field, double* v_re,
                         double* v_im) {
  for (std::size_t t = 0; t < cells.tetrahedra; ++t) {
    const std::size_t m = position(cells.slot_count[t]);
    if (m == 0) continue;
    // κ_t · v_t: the complex contrast multiplies the complex field (a lossy material turns a
    // real field into a complex excitation).
    const cplx scale = cplx(cells.contrast_re[t], cells.contrast_im[t]) * cells.volume[t];
    const double* b = cells.slot_vector + 18 * t;
    const double* number = cells.basis_number + 6 * t;
    for (std::size_t k = 0; k < m; ++k) {
      const cplx value = scale * field.dot(b + 3 * k, t);
      const std::size_t n = position(number[k]) - 1;
      v_re[n] += value.real();
      v_im[n] += value.imag();
    }
  }
}

// --- Surface functions ------------------------------------------------------------------------

void check_plates(const PlateRecord& plates, const ElementField& field) {
  const std::size_t limit = std::min(plates.rho_triangles, field.columns);
  const auto hi = static_cast<std::int64_t>(limit);
  // Which table runs out first, for the message.
  const std::string bound =
      field.columns < plates.rho_triangles
          ? std::string(field.name) + " has " + std::to_string(field.columns) + " columns"
          : "field 'PointsFCRho' of 'geom' holds rho vectors for " +
                std::to_string(plates.rho_triangles) + " triangles";

  auto triangle = [&](const double* table, const char* name, std::size_t e) {
    index_in(table[e], 1, hi, [&](const std::string& v) {
      return "field '" + std::string(name) + "' of 'geom': value " + v + " for basis function " +
             std::to_string(e + 1) + " is outside " + range(1, hi) + " (" + bound + ")";
    });
  };
  auto vertex = [&](const double* table, const char* name, std::size_t e) {
    index_in(table[e], 1, 3, [&](const std::string& v) {
      return "field '" + std::string(name) + "' of 'geom': value " + v + " for basis function " +
             std::to_string(e + 1) + " is outside 1..3 (local vertex slots of a triangle)";
    });
  };
  for (std::size_t e = 0; e < plates.functions; ++e) {
    triangle(plates.tri_plus, "TriP", e);
    triangle(plates.tri_minus, "TriM", e);
    vertex(plates.vertex_plus, "VerP", e);
    vertex(plates.vertex_minus, "VerM", e);
  }
}

void check_plate_values(const PlateRecord& plates, const ElementField& field) {
  const std::size_t n = plates.functions;
  const std::size_t rho_columns = 3 * plates.rho_triangles;
  for (std::size_t e = 0; e < n; ++e) {
    finite_run(plates.edge_length + e, 1, e, 1, n, "field 'EdgeLength' of 'geom'");
    const std::size_t tp = position(plates.tri_plus[e]) - 1;
    const std::size_t tm = position(plates.tri_minus[e]) - 1;
    const std::size_t cp = plates.rho_stride * (3 * tp + position(plates.vertex_plus[e]) - 1);
    const std::size_t cm = plates.rho_stride * (3 * tm + position(plates.vertex_minus[e]) - 1);
    finite_run(plates.rho + cp, 3, cp, plates.rho_stride, rho_columns,
               "field 'PointsFCRho' of 'geom'");
    finite_run(plates.rho + cm, 3, cm, plates.rho_stride, rho_columns,
               "field 'PointsFCRho' of 'geom'");
    finite_field_column(field, tp);
    finite_field_column(field, tm);
  }
}

void plate_excitation(const PlateRecord& plates, const ElementField& field, double* v_re,
                      double* v_im) {
  for (std::size_t e = 0; e < plates.functions; ++e) {
    const std::size_t tp = position(plates.tri_plus[e]) - 1;
    const std::size_t tm = position(plates.tri_minus[e]) - 1;
    const std::size_t sp = position(plates.vertex_plus[e]) - 1;
    const std::size_t sm = position(plates.vertex_minus[e]) - 1;
    const double* rho_plus = plates.rho + plates.rho_stride * (3 * tp + sp);
    const double* rho_minus = plates.rho + plates.rho_stride * (3 * tm + sm);
    const cplx value =
        (0.5 * plates.edge_length[e]) * (field.dot(rho_plus, tp) - field.dot(rho_minus, tm));
    v_re[e] = value.real();
    v_im[e] = value.imag();
  }
}

}  // namespace mom::excite
