// excite_cells(GEOM, EfieldD): the volume part of the right-hand side, one complex value per
// volume basis function, from an incident field given as one complex vector per tetrahedron.
#include "excite_core.hpp"
#include "host_arrays.hpp"

namespace {

constexpr const char* kUsage = "this function requires 2 inputs: GEOM,EfieldD";
constexpr const char* kRecord = "GEOM";

void excite_cells(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 2) host::usage(kUsage);
  const mxArray* geom = prhs[0];
  const host::Matrix efield = host::matrix(prhs[1], "argument 'EfieldD'");
  if (host::is_empty(geom)) {  // no dielectric part: no volume functions
    host::set_result(plhs, 0, host::make_complex(0, 1).array);
    return;
  }

  mom::excite::CellRecord cells;
  cells.tetrahedra = host::field_count(geom, kRecord, "TetrahedraTotal");
  cells.functions = host::field_count(geom, kRecord, "EdgesTotal");
  // Per-tetrahedron tables with `per` values per tetrahedron. "EdgesTNI" is read first: once it
  // holds Nt values, 18·Nt cannot overflow. All must be real; check_cells range-checks the
  // indices, check_cell_values the finiteness of the values that are read.
  auto table = [&](const char* name, std::size_t per) {
    const host::Matrix m = host::field_real(geom, kRecord, name);
    host::require_values(m, per * cells.tetrahedra, host::field_label(kRecord, name));
    return m.re;
  };
  cells.slot_count = table("EdgesTNI", 1);
  cells.basis_number = table("EdgesTN", 6);
  cells.slot_vector = table("BasisTC", 18);
  cells.volume = table("VolumeT", 1);
  cells.contrast_re = table("Contrast_real", 1);
  cells.contrast_im = table("Contrast_imag", 1);
  if (cells.tetrahedra > 0) host::require_shape(efield, 3, cells.tetrahedra, "argument 'EfieldD'");
  mom::excite::check_cells(cells);

  const mom::excite::ElementField field{efield.re, efield.im, efield.rows, efield.cols,
                                        "argument 'EfieldD'"};
  mom::excite::check_cell_values(cells, field);
  host::ComplexResult v = host::make_complex(
      cells.functions, 1, "the excitation vector (one value per 'EdgesTotal' of 'GEOM')");
  mom::excite::add_cell_excitation(cells, field, v.re, v.im);
  host::set_result(plhs, 0, std::move(v.array));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("excite_cells", [&] { excite_cells(plhs, nrhs, prhs); });
}
