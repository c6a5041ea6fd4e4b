// hybrid_matrix(geom, GEOM, const, omega_re, omega_im, flag[, V[, Termination[, options]]]): fills
// the complex symmetric system matrix of the surface/volume problem at one complex frequency and
// returns its reciprocal condition estimate (flag 0) or the solutions for the flag columns of V.
#include <limits>
#include <string>

#include "host_arrays.hpp"
#include "hybrid_core.hpp"
#include "record_reader.hpp"

namespace {

constexpr const char* kUsage =
    "this function requires at least six inputs: geom, GEOM, const, omega_re, omega_im, flag, "
    "and (optional) V, Termination";

using namespace mom::hybrid;

// The right-hand sides for `m` columns: at least n·m values (real, or complex).
host::Matrix right_hand_sides(int nrhs, const mxArray* prhs[], std::size_t n, std::size_t m) {
  if (nrhs < 7) {
    mom::fail("missingArgument", "argument 'V' is missing: flag " + std::to_string(m) + " needs " +
                                     std::to_string(m) + " right-hand side column(s) of " +
                                     std::to_string(n) + " values");
  }
  const host::Matrix v = host::matrix(prhs[6], "argument 'V'");
  if (n != 0 && m > std::numeric_limits<std::size_t>::max() / n) {
    mom::fail("badSize", "argument 'V' cannot hold " + std::to_string(m) + " columns of " +
                             std::to_string(n) + " values");
  }
  host::require_values(v, n * m, "argument 'V'");
  host::require_finite({v.re, v.im, n * m, 1}, "argument 'V'");  // the values that are read
  return v;
}

void warn_singular(mom::lapack_int info, const char* consequence) {
  host::warning("singular",
                "the system matrix is singular to working precision (zero pivot "
                "block at " +
                    std::to_string(info) + ")" + consequence);
}

// The optional ninth argument: [] or a struct; its field "FarFactor" (a non-negative scalar,
// Inf allowed) turns on the far-pair quadrature of the surface block, "FarPoints" (0: the
// record's rule, the default; 3: the three-point rule) picks its rule, and "VolumeFarFactor"
// does the same for the tetrahedron and face pairs of the volume block.
double read_factor(const mxArray* options, const char* name) {
  const double v = host::field_scalar(options, "options", name);
  if (!(v >= 0.0)) {
    mom::fail("badOption",
              "field '" + std::string(name) + "' of 'options' must be a non-negative number");
  }
  return v;
}

FillOptions read_options(int nrhs, const mxArray* prhs[]) {
  FillOptions o;
  if (nrhs < 9 || host::is_empty(prhs[8])) return o;
  const bool surface = host::has_field(prhs[8], "FarFactor");
  const bool volume = host::has_field(prhs[8], "VolumeFarFactor");
  if (!surface && !volume) {
    host::field(prhs[8], "options", "FarFactor");  // not a struct, or no known field
  }
  if (surface) o.far_factor = read_factor(prhs[8], "FarFactor");
  if (volume) o.volume_far_factor = read_factor(prhs[8], "VolumeFarFactor");
  if (host::has_field(prhs[8], "FarPoints")) {
    const double q = host::field_scalar(prhs[8], "options", "FarPoints");
    if (q != 0.0 && q != 3.0) {
      mom::fail("badOption", "field 'FarPoints' of 'options' must be 0 (the record's rule) or 3");
    }
    o.far_points = static_cast<std::size_t>(q);
  }
  return o;
}

void hybrid_matrix(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 6) host::usage(kUsage);

  const double omega_re = host::scalar(prhs[3], "argument 'omega_re'");
  const double omega_im = host::scalar(prhs[4], "argument 'omega_im'");
  const std::int64_t flag = host::integer(prhs[5], "argument 'flag'");
  const bool metal = !host::is_empty(prhs[0]);
  const bool dielectric = !host::is_empty(prhs[1]);
  const ConstantsRecord constants = read_constants_record(prhs[2], dielectric);
  VolumeRecord volume;
  if (dielectric) volume = read_volume_record(prhs[1], metal);
  SurfaceRecord surface;
  if (metal) surface = read_surface_record(prhs[0]);

  SystemProblem problem = prepare(omega_re, omega_im, constants, metal ? &surface : nullptr,
                                  dielectric ? &volume : nullptr);
  problem.options = read_options(nrhs, prhs);
  const std::size_t n = problem.order();
  host::Matrix v;
  if (flag >= 1) v = right_hand_sides(nrhs, prhs, n, static_cast<std::size_t>(flag));

  SystemMatrix a = assemble(problem);

  if (flag == 0) {
    host::RealResult out = host::make_real(1, 1);
    const mom::ConditionEstimate e = condition(a);
    if (e.info > 0) warn_singular(e.info, "");
    out.re[0] = e.rcond;
    host::set_result(plhs, 0, std::move(out.array));
  } else if (flag >= 1) {
    const std::size_t m = static_cast<std::size_t>(flag);
    host::ComplexResult out = host::make_complex(
        n * m, 1,
        "the solutions ('flag' columns of 'EdgesTotal' of 'geom' plus 'EdgesTotal' of 'GEOM' "
        "values)");
    const Solution s = solve(a, m, v.re, v.im);
    if (s.info > 0) warn_singular(s.info, "; the solution is not valid");
    for (std::size_t q = 0; q < n * m; ++q) {
      out.re[q] = s.x[q].real();
      out.im[q] = s.x[q].imag();
    }
    host::set_result(plhs, 0, std::move(out.array));
  }
  // A negative flag: the matrix is filled (and the records checked) but nothing is returned.
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("hybrid_matrix", [&] { hybrid_matrix(plhs, nrhs, prhs); });
}
