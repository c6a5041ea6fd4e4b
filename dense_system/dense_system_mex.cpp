// dense_system(Z, option[, V]): condition estimate (option 0) or solution (option 1) of a
// complex symmetric matrix given as 2·n² interleaved (real, imaginary) doubles.
#include <string>

#include "dense_core.hpp"
#include "host_arrays.hpp"

namespace {

constexpr const char* kUsage =
    "this function requires at least 2 first inputs out of three: Z, option, and V";

void dense_system(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 2) host::usage(kUsage);

  const host::Matrix z = host::matrix(prhs[0], "argument 'Z'");
  if (z.is_complex()) {
    mom::fail("badType",
              "argument 'Z' must be real: the n x n complex matrix is passed as a column of "
              "2*n^2 doubles, real and imaginary parts interleaved, column by column");
  }
  // The number of values carries the order, whatever the shape: an empty Z is n = 0.
  const std::size_t n = mom::dense::order_from_length(z.size());
  const std::int64_t option = host::integer(prhs[1], "argument 'option'");

  if (option == 0) {
    const mom::dense::ConditionResult r = mom::dense::condition(z.re, n);
    if (r.info > 0) {
      host::warning("singular", "matrix is singular to working precision (zero pivot block at " +
                                    std::to_string(r.info) + ")");
    }
    host::set_result(plhs, 0, host::make_scalar(r.rcond));
  } else if (option == 1) {
    if (nrhs < 3) host::usage(kUsage);
    const host::Matrix v = host::matrix(prhs[2], "argument 'V'");
    host::require_values(v, n, "argument 'V'");
    host::require_finite({v.re, v.im, n, 1}, "argument 'V'");  // the n values that are read
    host::ComplexResult out =
        host::make_complex(n, 1, "the solution (order n from the length of argument 'Z')");
    const mom::dense::SolveResult r = mom::dense::solve(z.re, n, v.re, v.im);
    if (r.info > 0) {
      host::warning("singular", "matrix is singular to working precision (zero pivot block at " +
                                    std::to_string(r.info) + "); the solution is not valid");
    }
    for (std::size_t i = 0; i < n; ++i) {
      out.re[i] = r.x[i].real();
      out.im[i] = r.x[i].imag();
    }
    host::set_result(plhs, 0, std::move(out.array));
  }
  // Any other option: nothing to compute and no result, as documented.
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("dense_system", [&] { dense_system(nlhs, plhs, nrhs, prhs); });
}
