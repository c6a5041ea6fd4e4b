// basis(P, T, Faces, Edges, TET, const): the volume basis record of a tetrahedral mesh.
#include <algorithm>
#include <string>
#include <vector>

#include "basis_core.hpp"
#include "host_arrays.hpp"

namespace {

constexpr const char* kUsage =
    "VBAS.DLL requires 6 inputs: P, T , Faces, Edges, TET, const_inpstruct";

// A table argument with `rows` rows, one item per column. An empty array is a table of no
// columns whatever its shape; any other row count would misplace every number.
host::Matrix table(const mxArray* a, const char* name, std::size_t rows, const char* item) {
  const std::string what = std::string("argument '") + name + "'";
  const host::Matrix m = host::real_matrix(a, what);
  if (!m.empty() && m.rows != rows) {
    mom::fail("badSize", what + " must have " + std::to_string(rows) + " rows (one " + item +
                             " per column), not " + std::to_string(m.rows));
  }
  return m;
}

// Copies a working table into a new host matrix and releases the table, so that the working
// tables and the host's copies never all exist at once.
// `sized_by` names the argument whose column count gives `cols`, for an out-of-memory message.
host::Array real_field(std::vector<double>& values, std::size_t rows, std::size_t cols,
                       const char* field, const char* sized_by) {
  host::RealResult r = host::make_real(
      rows, cols,
      std::string("field '") + field + "' of the basis record (one column per " + sized_by + ")");
  std::copy(values.begin(), values.end(), r.re);
  std::vector<double>().swap(values);
  return std::move(r.array);
}

void basis(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 6) host::usage(kUsage);

  const host::Matrix p = table(prhs[0], "P", 3, "vertex");
  const host::Matrix t = table(prhs[1], "T", 4, "tetrahedron");
  const host::Matrix faces = table(prhs[2], "Faces", 3, "face");
  const host::Matrix edges = table(prhs[3], "Edges", 2, "edge");
  const host::Matrix tet = table(prhs[4], "TET", 2, "face");
  const std::size_t np = p.empty() ? 0 : p.cols;
  const std::size_t nt = t.empty() ? 0 : t.cols;
  const std::size_t nf = faces.empty() ? 0 : faces.cols;
  const std::size_t ne = edges.empty() ? 0 : edges.cols;
  if (nf > 0) host::require_shape(tet, 2, nf, "argument 'TET'");

  const mxArray* record = prhs[5];
  mom::basis::Materials materials;
  materials.epsilon = host::field_scalar(record, "const", "epsilon");
  const host::Matrix eps_r = host::field_real(record, "const", "Epsilon_r");
  const host::Matrix tan_d = host::field_real(record, "const", "tan_delta");
  host::require_values(eps_r, nt, host::field_label("const", "Epsilon_r"));
  host::require_values(tan_d, nt, host::field_label("const", "tan_delta"));
  materials.epsilon_r = eps_r.re;
  materials.tan_delta = tan_d.re;

  const mom::basis::Mesh mesh{p.re, np, t.re, nt, faces.re, nf, edges.re, ne, tet.re};
  mom::basis::VolumeBasis b = mom::basis::build_basis(mesh, materials);

  host::StructResult record_out(
      {"Edge", "AreaF", "CenterF", "EdgesFN", "EdgesFNI", "DiffContrast_real", "DiffContrast_imag",
       "VolumeT", "Contrast_real", "Contrast_imag", "CenterT", "EdgesTN", "EdgesTNI", "BasisTC"});
  record_out.set(
      "Edge", real_field(b.edge, 2, b.num_retained, "Edge", "retained edge of argument 'Edges'"));
  record_out.set("AreaF", real_field(b.area_f, 1, nf, "AreaF", "column of argument 'Faces'"));
  record_out.set("CenterF", real_field(b.center_f, 3, nf, "CenterF", "column of argument 'Faces'"));
  record_out.set("EdgesFN", real_field(b.edges_fn, 3, nf, "EdgesFN", "column of argument 'Faces'"));
  record_out.set("EdgesFNI",
                 real_field(b.edges_fni, 1, nf, "EdgesFNI", "column of argument 'Faces'"));
  record_out.set("DiffContrast_real", real_field(b.diff_contrast_re, 3, nf, "DiffContrast_real",
                                                 "column of argument 'Faces'"));
  record_out.set("DiffContrast_imag", real_field(b.diff_contrast_im, 3, nf, "DiffContrast_imag",
                                                 "column of argument 'Faces'"));
  record_out.set("VolumeT", real_field(b.volume_t, 1, nt, "VolumeT", "column of argument 'T'"));
  record_out.set("Contrast_real",
                 real_field(b.contrast_re, 1, nt, "Contrast_real", "column of argument 'T'"));
  record_out.set("Contrast_imag",
                 real_field(b.contrast_im, 1, nt, "Contrast_imag", "column of argument 'T'"));
  record_out.set("CenterT", real_field(b.center_t, 3, nt, "CenterT", "column of argument 'T'"));
  record_out.set("EdgesTN", real_field(b.edges_tn, 6, nt, "EdgesTN", "column of argument 'T'"));
  record_out.set("EdgesTNI", real_field(b.edges_tni, 1, nt, "EdgesTNI", "column of argument 'T'"));
  record_out.set("BasisTC", real_field(b.basis_tc, 18, nt, "BasisTC", "column of argument 'T'"));
  host::set_result(plhs, 0, record_out.release());
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("basis", [&] { basis(plhs, nrhs, prhs); });
}
