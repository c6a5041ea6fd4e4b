#include "compressed_core.hpp"

#include <algorithm>
#include <chrono>
#include <optional>
#include <cmath>
#include <string>

#include "errors.hpp"
#include "gmres.hpp"
#include "interrupt.hpp"
#include "memory.hpp"

namespace mom::compressed {

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Entries of S·Z·S.
class ScaledSource : public EntrySource {
 public:
  ScaledSource(const EntrySource& z, const std::vector<double>& s) : z_(z), s_(s) {}
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    z_.block(rows, nr, cols, nc, out);
    for (std::size_t j = 0; j < nc; ++j) {
      const double sc = s_[static_cast<std::size_t>(cols[j])];
      for (std::size_t i = 0; i < nr; ++i) out[i + nr * j] *= s_[static_cast<std::size_t>(rows[i])] * sc;
    }
  }

 private:
  const EntrySource& z_;
  const std::vector<double>& s_;
};

void require(bool ok, const char* option, const std::string& rule) {
  if (!ok) fail("badOption", "option '" + std::string(option) + "' " + rule);
}

// ‖Z·X − V‖_F with the exact Z, read in row blocks of at most ~32 MiB.
double exact_residual_norm(const EntrySource& z, std::size_t n, const std::vector<cplx>& x,
                           std::size_t m, const double* v_re, const double* v_im) {
  const std::size_t rows = std::max<std::size_t>(1, std::min<std::size_t>(n, (std::size_t(1) << 21) / n));
  const char* what = "the exact residual";
  std::vector<cplx> block = make_buffer<cplx>(checked_mul(rows, n, what), what);
  std::vector<int> all(n), rs(rows);
  for (std::size_t j = 0; j < n; ++j) all[j] = static_cast<int>(j);
  double r2 = 0.0;
  for (std::size_t r0 = 0; r0 < n; r0 += rows) {
    const std::size_t nr = std::min(rows, n - r0);
    for (std::size_t i = 0; i < nr; ++i) rs[i] = static_cast<int>(r0 + i);
    z.block(rs.data(), nr, all.data(), n, block.data());
    for (std::size_t q = 0; q < m; ++q) {
      for (std::size_t i = 0; i < nr; ++i) {
        cplx s(0.0, 0.0);
        for (std::size_t j = 0; j < n; ++j) s += block[i + nr * j] * x[j + n * q];
        const std::size_t k = r0 + i + n * q;
        r2 += std::norm(s - cplx(v_re[k], v_im ? v_im[k] : 0.0));
      }
    }
    poll_interrupt();
  }
  return std::sqrt(r2);
}

}  // namespace

void check_options(const Options& o) {
  require(o.tol > 0.0 && o.tol < 1.0, "tol", "must lie between 0 and 1");
  require(o.factor_tol == 0.0 || (o.factor_tol > 0.0 && o.factor_tol < 1.0), "factor_tol",
          "must lie between 0 and 1");
  require(o.leaf_size >= 2 && o.leaf_size <= 100000, "leaf_size", "must be an integer from 2 to 100000");
  require(o.eta > 0.0 && std::isfinite(o.eta), "eta", "must be positive and finite");
  require(o.refine_tol == 0.0 || (o.refine_tol > 0.0 && o.refine_tol < 1.0), "refine_tol",
          "must lie between 0 and 1");
  require(o.max_iterations >= 0 && o.max_iterations <= 100000, "max_iterations",
          "must be an integer from 0 to 100000");
}

Result solve(const EntrySource& z, const double* centres, std::size_t n, const double* v_re,
             const double* v_im, std::size_t m, const Options& o) {
  check_options(o);
  Result out;
  const std::size_t values = checked_mul(n, m, "the solutions");
  out.x = make_buffer<cplx>(values, "the solutions");
  if (n == 0) return out;
  const double factor_tol = o.factor_tol > 0.0 ? o.factor_tol : std::max(o.tol, 1e-2);
  const bool refine = o.refine < 0 ? factor_tol > o.tol : o.refine != 0;
  const double refine_tol = o.refine_tol > 0.0 ? o.refine_tol : o.tol;
  Info& info = out.info;

  // 1. Equilibration from the diagonal.
  auto t0 = std::chrono::steady_clock::now();
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  {
    std::vector<cplx> d = make_buffer<cplx>(n, "the diagonal");
    z.diagonal(n, d.data());
    for (std::size_t i = 0; i < n; ++i) {
      const double a2 = std::norm(d[i]);
      s[i] = (a2 > 0.0 && std::isfinite(a2)) ? std::pow(a2, -0.25) : 1.0;
    }
  }
  poll_interrupt();
  info.time_diagonal = seconds_since(t0);

  // 2. The compressed matrix of S·Z·S.
  t0 = std::chrono::steady_clock::now();
  info.ldlt = !o.lu && ldlt_is_complex_symmetric();
  ClusterSettings clusters;
  clusters.leaf_size = o.leaf_size;
  clusters.eta = o.eta;
  ScaledSource a(z, s);
  HMatrix h(centres, n, clusters, o.tol, info.ldlt, a);
  info.time_assembly = seconds_since(t0);
  const Storage st = h.storage();
  info.matrix_bytes = st.entries * sizeof(cplx);
  info.full_blocks = st.full_blocks;
  info.low_rank_blocks = st.low_rank_blocks;
  info.largest_rank = h.largest_rank();
  info.compression_ratio =
      static_cast<double>(info.matrix_bytes) / (16.0 * static_cast<double>(n) * static_cast<double>(n));

  // 3. The factors, in a copy: the compressed matrix stays for the residual and the refinement.
  // When the copy would not fit in the available memory (or when asked), the compressed matrix
  // itself is factorised, at tol: no refinement and no compressed residual then.
  info.in_place = o.in_place || info.matrix_bytes + info.matrix_bytes / 4 > available_memory_bytes();
  std::vector<cplx>& y = out.x;
  std::vector<cplx> b = make_buffer<cplx>(values, "the right-hand sides");
  for (std::size_t q = 0; q < m; ++q) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t k = i + n * q;
      b[k] = s[i] * cplx(v_re[k], v_im ? v_im[k] : 0.0);
    }
  }
  const Apply apply_a = [&h](const cplx* in, cplx* o2) {
    poll_interrupt();
    h.apply(in, o2, 1);
  };
  // A coarse factorisation is a good preconditioner as long as its error is small against the
  // matrix's smallest singular values; for the ill-conditioned systems of finely meshed metal
  // surfaces it may not be, and GMRES then stagnates. Factorise again, ten times finer, until
  // the refinement converges or the factors are as accurate as the matrix itself.
  double ft = info.in_place ? o.tol : factor_tol;
  for (;;) {
    auto t1 = std::chrono::steady_clock::now();
    std::optional<HMatrix> copy;
    if (!info.in_place) copy.emplace(h.copy());
    HMatrix& f = info.in_place ? h : *copy;
    f.factorise(info.ldlt ? Factorisation::ldlt : Factorisation::lu, ft);
    info.time_factorisation += seconds_since(t1);
    info.factor_bytes = f.storage().entries * sizeof(cplx);
    info.factor_tol = ft;

    // 4. Y = A⁻¹·S·V, refined when asked.
    t1 = std::chrono::steady_clock::now();
    y = b;
    f.solve(y.data(), m);
    info.time_solve += seconds_since(t1);
    if (!refine || info.in_place) break;

    t1 = std::chrono::steady_clock::now();
    const Apply apply_m = [&f, n](const cplx* in, cplx* o2) {
      std::copy(in, in + n, o2);
      f.solve(o2, 1);
    };
    info.converged = true;
    for (std::size_t q = 0; q < m; ++q) {
      // While finer factors are possible, a restart cycle that does not halve the residual
      // ends the refinement: the finer factors will do better than many more steps.
      const GmresResult g = gmres(apply_a, apply_m, b.data() + n * q, y.data() + n * q, n,
                                  refine_tol, o.max_iterations, 30, ft > o.tol ? 2.0 : 0.0);
      info.iterations += g.iterations;
      info.converged = info.converged && g.converged;
      poll_interrupt();
      if (!g.converged && ft > o.tol && o.max_iterations > 0) break;  // finer factors next
    }
    info.time_refinement += seconds_since(t1);
    if (info.converged || ft <= o.tol || o.max_iterations == 0) break;
    ft = std::max(o.tol, ft / 10.0);
    ++info.refactorisations;
  }

  // 5. Residuals on the original scale: Z·X − V = S⁻¹·(A·Y − S·V), with X = S·Y.
  t0 = std::chrono::steady_clock::now();
  double r2 = 0.0, v2 = 0.0, rs2 = 0.0, b2 = 0.0;
  std::vector<cplx> ay;
  if (!info.in_place) {
    ay = make_buffer<cplx>(values, "the residual");
    h.apply(y.data(), ay.data(), m);
  }
  for (std::size_t q = 0; q < m; ++q) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t k = i + n * q;
      v2 += std::norm(b[k] / s[i]);
      b2 += std::norm(b[k]);
      if (info.in_place) continue;
      r2 += std::norm((ay[k] - b[k]) / s[i]);
      rs2 += std::norm(ay[k] - b[k]);
    }
  }
  info.scaled_residual = info.in_place ? -1.0 : b2 > 0.0 ? std::sqrt(rs2 / b2) : 0.0;
  for (std::size_t q = 0; q < m; ++q) {
    for (std::size_t i = 0; i < n; ++i) y[i + n * q] *= s[i];
  }
  const double vnorm = std::sqrt(v2);
  info.residual = info.in_place ? -1.0 : vnorm > 0.0 ? std::sqrt(r2) / vnorm : 0.0;
  if (o.exact_residual) {
    const double r = exact_residual_norm(z, n, out.x, m, v_re, v_im);
    info.exact_residual = vnorm > 0.0 ? r / vnorm : 0.0;
  }
  info.time_residual = seconds_since(t0);
  return out;
}

}  // namespace mom::compressed
