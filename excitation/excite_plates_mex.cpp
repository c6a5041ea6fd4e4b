// excite_plates(geom, EfieldM): the surface part of the right-hand side, one complex value per
// edge-based surface basis function, from an incident field given as one complex vector per
// metal triangle.
#include "excite_core.hpp"
#include "host_arrays.hpp"

namespace {

constexpr const char* kUsage = "this function requires 2 inputs: geom,EfieldM";
constexpr const char* kRecord = "geom";

void excite_plates(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 2) host::usage(kUsage);
  const mxArray* geom = prhs[0];
  const host::Matrix efield = host::matrix(prhs[1], "argument 'EfieldM'");
  if (host::is_empty(geom)) {  // no metal part: no surface functions
    host::set_result(plhs, 0, host::make_complex(0, 1).array);
    return;
  }

  mom::excite::PlateRecord plates;
  plates.functions = host::field_count(geom, kRecord, "EdgesTotal");
  // All must be real; check_plates range-checks the indices, check_plate_values the
  // finiteness of the values that are read.
  auto table = [&](const char* name) {
    const host::Matrix m = host::field_real(geom, kRecord, name);
    host::require_values(m, plates.functions, host::field_label(kRecord, name));
    return m.re;
  };
  plates.tri_plus = table("TriP");
  plates.tri_minus = table("TriM");
  plates.vertex_plus = table("VerP");
  plates.vertex_minus = table("VerM");
  plates.edge_length = table("EdgeLength");
  const host::Matrix rho = host::field_real(geom, kRecord, "PointsFCRho");
  if (plates.functions > 0) {
    host::require_shape(rho, 3, 3, host::field_label(kRecord, "PointsFCRho"));
    host::require_shape(efield, 3, 1, "argument 'EfieldM'");
  }
  plates.rho = rho.re;
  plates.rho_stride = rho.rows;
  plates.rho_triangles = rho.cols / 3;

  const mom::excite::ElementField field{efield.re, efield.im, efield.rows, efield.cols,
                                        "argument 'EfieldM'"};
  mom::excite::check_plates(plates, field);
  mom::excite::check_plate_values(plates, field);
  host::ComplexResult v = host::make_complex(
      plates.functions, 1, "the excitation vector (one value per 'EdgesTotal' of 'geom')");
  mom::excite::plate_excitation(plates, field, v.re, v.im);
  host::set_result(plhs, 0, std::move(v.array));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("excite_plates", [&] { excite_plates(plhs, nrhs, prhs); });
}
