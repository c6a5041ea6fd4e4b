// radiation_vector(points, moments, rhat, k): N = Σ_q moments(:, q)·e^(j·k·rhat(:, d)·points(:, q))
// for every direction d, the sum behind the toolkit's far fields.
#include <cmath>
#include <string>

#include "host_arrays.hpp"
#include "radiation_core.hpp"

namespace {

constexpr const char* kUsage =
    "usage: N = radiation_vector(points (3 x M), moments (3 x M), "
    "rhat (3 x D), k)";

void radiation_vector(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 4) host::usage(kUsage);
  const host::Matrix points = host::matrix(prhs[0], "argument 'points'");
  const host::Matrix moments = host::matrix(prhs[1], "argument 'moments'");
  const host::Matrix rhat = host::matrix(prhs[2], "argument 'rhat'");
  const double k = host::scalar(prhs[3], "argument 'k'");
  if (!std::isfinite(k)) mom::fail("badScalar", "argument 'k' must be a finite real number");
  if (points.is_complex() || rhat.is_complex()) {
    mom::fail("badType", "arguments 'points' and 'rhat' must be real");
  }
  const std::size_t m = points.cols;
  if ((m > 0 && points.rows != 3) || (rhat.cols > 0 && rhat.rows != 3)) {
    mom::fail("badSize", "arguments 'points' and 'rhat' must have 3 rows");
  }
  if (moments.cols != m || (m > 0 && moments.rows != 3)) {
    mom::fail("badSize",
              "argument 'moments' must be 3 x " + std::to_string(m) + " (one moment per point)");
  }
  host::ComplexResult n = host::make_complex(3, rhat.cols);
  const mom::radiation::Elements e{points.re, moments.re, moments.im, m};
  mom::radiation::radiation_vector(e, rhat.re, rhat.cols, k, n.re, n.im);
  host::set_result(plhs, 0, std::move(n.array));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("radiation_vector", [&] { radiation_vector(plhs, nrhs, prhs); });
}
