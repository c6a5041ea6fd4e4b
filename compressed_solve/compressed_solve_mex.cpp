// [X, info] = compressed_solve(geom, GEOM, const, omega_re, omega_im, V[, opts]): the solutions
// of the hybrid_matrix system for the columns of V through a hierarchical-matrix (hmat-oss)
// factorisation, without forming the dense matrix.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "block_fill.hpp"
#include "compressed_core.hpp"
#include "host_arrays.hpp"
#include "hybrid_core.hpp"
#include "record_reader.hpp"
#include "unknown_centres.hpp"

namespace {

constexpr const char* kUsage =
    "this function requires at least six inputs: geom, GEOM, const, omega_re, omega_im, V, and "
    "(optional) opts";

using namespace mom::hybrid;
using mom::compressed::cplx;

// The system matrix entries from the block fill, in the numbering of the H-matrix library
// (32-bit unknown numbers). The index copies live in per-thread buffers that grow to the
// largest block once and are reused.
class BlockFillSource : public mom::compressed::EntrySource {
 public:
  explicit BlockFillSource(const BlockFill& z) : z_(z) {}
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    thread_local std::vector<std::int64_t> r, c;
    r.assign(rows, rows + nr);
    c.assign(cols, cols + nc);
    z_.fill(r.data(), nr, c.data(), nc, out, nr);
  }
  void diagonal(std::size_t /*n*/, cplx* out) const override { z_.diagonal(out); }

 private:
  const BlockFill& z_;
};

constexpr const char* kOptionNames[] = {"tol",        "factor_tol",     "leaf_size",
                                        "eta",        "refine",         "refine_tol",
                                        "max_iterations", "exact_residual", "lu", "in_place"};

mom::compressed::Options read_options(const mxArray* opts) {
  mom::compressed::Options o;
  if (host::is_empty(opts)) return o;
  if (!host::is_struct(opts)) mom::fail("badOption", "argument 'opts' must be a struct");
  std::string known;
  for (const char* name : kOptionNames) known += (known.empty() ? "" : ", ") + std::string(name);
  for (const std::string& f : host::field_names(opts)) {
    bool found = false;
    for (const char* name : kOptionNames) found = found || f == name;
    if (!found) {
      mom::fail("badOption", "argument 'opts' has an unknown field '" + f + "' (known: " + known + ")");
    }
  }
  const auto real = [opts](const char* name, double& value) {
    if (host::has_field(opts, name)) value = host::field_scalar(opts, "opts", name);
  };
  const auto integer = [opts](const char* name, int& value) {
    if (!host::has_field(opts, name)) return;
    const std::int64_t v = host::integer(host::field(opts, "opts", name),
                                         host::field_label("opts", name));
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
      mom::fail("badOption", "option '" + std::string(name) + "' is out of range");
    }
    value = static_cast<int>(v);
  };
  const auto logical = [opts](const char* name, bool& value) {
    if (host::has_field(opts, name)) value = host::field_scalar(opts, "opts", name) != 0.0;
  };
  real("tol", o.tol);
  real("factor_tol", o.factor_tol);
  integer("leaf_size", o.leaf_size);
  real("eta", o.eta);
  if (host::has_field(opts, "refine")) {
    o.refine = host::field_scalar(opts, "opts", "refine") != 0.0 ? 1 : 0;
  }
  real("refine_tol", o.refine_tol);
  integer("max_iterations", o.max_iterations);
  logical("exact_residual", o.exact_residual);
  logical("lu", o.lu);
  logical("in_place", o.in_place);
  mom::compressed::check_options(o);
  return o;
}

host::Array info_struct(const mom::compressed::Info& i, std::size_t n, const mom::compressed::Options& o) {
  host::StructResult t({"diagonal", "assembly", "factorisation", "solve", "refinement", "residual",
                        "total"});
  t.set("diagonal", host::make_scalar(i.time_diagonal));
  t.set("assembly", host::make_scalar(i.time_assembly));
  t.set("factorisation", host::make_scalar(i.time_factorisation));
  t.set("solve", host::make_scalar(i.time_solve));
  t.set("refinement", host::make_scalar(i.time_refinement));
  t.set("residual", host::make_scalar(i.time_residual));
  t.set("total", host::make_scalar(i.time_diagonal + i.time_assembly + i.time_factorisation +
                                   i.time_solve + i.time_refinement + i.time_residual));
  host::StructResult s({"unknowns", "residual", "scaled_residual", "exact_residual", "matrix_bytes", "factor_bytes",
                        "compression_ratio", "largest_rank", "full_blocks", "low_rank_blocks",
                        "ldlt", "in_place", "iterations", "refactorisations", "tol",
                        "factor_tol", "time"});
  s.set("unknowns", host::make_scalar(static_cast<double>(n)));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  s.set("residual", host::make_scalar(i.residual < 0.0 ? nan : i.residual));
  s.set("scaled_residual", host::make_scalar(i.scaled_residual < 0.0 ? nan : i.scaled_residual));
  s.set("exact_residual", host::make_scalar(i.exact_residual < 0.0
                                                ? std::numeric_limits<double>::quiet_NaN()
                                                : i.exact_residual));
  s.set("matrix_bytes", host::make_scalar(static_cast<double>(i.matrix_bytes)));
  s.set("factor_bytes", host::make_scalar(static_cast<double>(i.factor_bytes)));
  s.set("compression_ratio", host::make_scalar(i.compression_ratio));
  s.set("largest_rank", host::make_scalar(i.largest_rank));
  s.set("full_blocks", host::make_scalar(static_cast<double>(i.full_blocks)));
  s.set("low_rank_blocks", host::make_scalar(static_cast<double>(i.low_rank_blocks)));
  s.set("ldlt", host::make_scalar(i.ldlt ? 1.0 : 0.0));
  s.set("in_place", host::make_scalar(i.in_place ? 1.0 : 0.0));
  s.set("iterations", host::make_scalar(i.iterations));
  s.set("tol", host::make_scalar(o.tol));
  s.set("refactorisations", host::make_scalar(i.refactorisations));
  s.set("factor_tol", host::make_scalar(i.factor_tol));
  s.set("time", t.release());
  return s.release();
}

void compressed_solve(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 6) host::usage(kUsage);

  const double omega_re = host::scalar(prhs[3], "argument 'omega_re'");
  const double omega_im = host::scalar(prhs[4], "argument 'omega_im'");
  const bool metal = !host::is_empty(prhs[0]);
  const bool dielectric = !host::is_empty(prhs[1]);
  const ConstantsRecord constants = read_constants_record(prhs[2], dielectric);
  VolumeRecord volume;
  if (dielectric) volume = read_volume_record(prhs[1], metal);
  SurfaceRecord surface;
  if (metal) surface = read_surface_record(prhs[0]);
  const BlockFill z(prepare(omega_re, omega_im, constants, metal ? &surface : nullptr,
                            dielectric ? &volume : nullptr));
  const std::size_t n = z.order();

  const host::Matrix v = host::matrix(prhs[5], "argument 'V'");
  if (v.rows != n && !(n == 0 && v.empty())) {
    mom::fail("badSize", "argument 'V' must have " + std::to_string(n) +
                             " rows (one per unknown), not " + std::to_string(v.rows));
  }
  const std::size_t m = n == 0 ? 0 : v.cols;
  const mom::compressed::Options options = read_options(nrhs >= 7 ? prhs[6] : nullptr);

  const SystemProblem& p = z.problem();
  const std::vector<double> centres = mom::compressed::unknown_centres(
      p.surface ? &*p.surface : nullptr, p.volume ? &*p.volume : nullptr);
  const BlockFillSource source(z);
  const mom::compressed::Result r =
      mom::compressed::solve(source, centres.data(), n, v.re, v.im, m, options);

  if (!r.info.converged) {
    char message[200];
    std::snprintf(message, sizeof message,
                  "the refinement did not reach its residual target within max_iterations "
                  "(%d) GMRES steps per right-hand side; info.residual gives the residual "
                  "reached",
                  options.max_iterations);
    host::warning("notConverged", message);
  }
  host::ComplexResult out = host::make_complex(n * m, 1);
  for (std::size_t q = 0; q < n * m; ++q) {
    out.re[q] = r.x[q].real();
    out.im[q] = r.x[q].imag();
  }
  host::set_result(plhs, 0, std::move(out.array));
  if (nlhs >= 2) host::set_result(plhs, 1, info_struct(r.info, n, options));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("compressed_solve", [&] { compressed_solve(nlhs, plhs, nrhs, prhs); });
}
