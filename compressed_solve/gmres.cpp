#include "gmres.hpp"

#include <cmath>
#include <vector>

#include "memory.hpp"

namespace mom::compressed {

namespace {

using cplx = std::complex<double>;

double norm2(const cplx* v, std::size_t n) {
  double s = 0.0;
  for (std::size_t i = 0; i < n; ++i) s += std::norm(v[i]);
  return std::sqrt(s);
}

cplx dot(const cplx* u, const cplx* v, std::size_t n) {  // uᴴ·v
  cplx s(0.0, 0.0);
  for (std::size_t i = 0; i < n; ++i) s += std::conj(u[i]) * v[i];
  return s;
}

}  // namespace

GmresResult gmres(const Apply& a, const Apply& m_inverse, const cplx* b, cplx* x, std::size_t n,
                  double tolerance, int max_iterations, int restart, double stall_factor) {
  GmresResult out;
  const double bnorm = norm2(b, n);
  if (bnorm == 0.0) {
    for (std::size_t i = 0; i < n; ++i) x[i] = 0.0;
    out.converged = true;
    return out;
  }
  const std::size_t k_max = static_cast<std::size_t>(restart < 1 ? 1 : restart);
  const char* what = "the GMRES basis";
  std::vector<cplx> v = make_buffer<cplx>(checked_mul(n, k_max + 1, what), what);  // Krylov basis
  std::vector<cplx> z = make_buffer<cplx>(n, what);
  std::vector<cplx> w = make_buffer<cplx>(n, what);
  std::vector<cplx> h((k_max + 1) * k_max), g(k_max + 1), sn(k_max), y(k_max);
  std::vector<double> cs(k_max);

  const auto residual = [&](cplx* r) {  // r ← b − A·x
    a(x, r);
    for (std::size_t i = 0; i < n; ++i) r[i] = b[i] - r[i];
    return norm2(r, n);
  };

  double beta = residual(v.data());
  out.residual = beta / bnorm;
  while (out.residual > tolerance && out.iterations < max_iterations) {
    const double cycle_start = out.residual;
    for (std::size_t i = 0; i < n; ++i) v[i] /= beta;
    std::fill(g.begin(), g.end(), cplx(0.0, 0.0));
    g[0] = beta;
    std::size_t k = 0;
    for (; k < k_max && out.iterations < max_iterations; ++k) {
      cplx* vk = v.data() + n * k;
      m_inverse(vk, z.data());
      a(z.data(), w.data());
      ++out.iterations;
      // Modified Gram–Schmidt against the basis so far.
      for (std::size_t j = 0; j <= k; ++j) {
        const cplx hj = dot(v.data() + n * j, w.data(), n);
        h[j + (k_max + 1) * k] = hj;
        for (std::size_t i = 0; i < n; ++i) w[i] -= hj * v[n * j + i];
      }
      const double hnext = norm2(w.data(), n);
      h[k + 1 + (k_max + 1) * k] = hnext;
      if (hnext > 0.0) {
        for (std::size_t i = 0; i < n; ++i) v[n * (k + 1) + i] = w[i] / hnext;
      }
      // Earlier Givens rotations, then a new one that zeroes h(k+1, k).
      for (std::size_t j = 0; j < k; ++j) {
        cplx& a0 = h[j + (k_max + 1) * k];
        cplx& a1 = h[j + 1 + (k_max + 1) * k];
        const cplx t = cs[j] * a0 + sn[j] * a1;
        a1 = -std::conj(sn[j]) * a0 + cs[j] * a1;
        a0 = t;
      }
      cplx& hk = h[k + (k_max + 1) * k];
      const double r = std::sqrt(std::norm(hk) + hnext * hnext);
      if (r == 0.0) {
        cs[k] = 1.0;
        sn[k] = 0.0;
      } else {
        const double mod = std::abs(hk);
        const cplx phase = mod == 0.0 ? cplx(1.0, 0.0) : hk / mod;
        cs[k] = mod / r;
        sn[k] = phase * hnext / r;
        hk = phase * r;
      }
      h[k + 1 + (k_max + 1) * k] = 0.0;
      g[k + 1] = -std::conj(sn[k]) * g[k];
      g[k] = cs[k] * g[k];
      if (std::abs(g[k + 1]) / bnorm <= tolerance || hnext == 0.0) {
        ++k;
        break;
      }
    }
    // y = H⁻¹·g (upper triangular k × k), x ← x + M⁻¹·(V·y).
    for (std::size_t i = k; i-- > 0;) {
      cplx s = g[i];
      for (std::size_t j = i + 1; j < k; ++j) s -= h[i + (k_max + 1) * j] * y[j];
      y[i] = s / h[i + (k_max + 1) * i];
    }
    std::fill(w.begin(), w.end(), cplx(0.0, 0.0));
    for (std::size_t j = 0; j < k; ++j) {
      for (std::size_t i = 0; i < n; ++i) w[i] += y[j] * v[n * j + i];
    }
    m_inverse(w.data(), z.data());
    for (std::size_t i = 0; i < n; ++i) x[i] += z[i];
    beta = residual(v.data());
    out.residual = beta / bnorm;
    if (beta == 0.0) break;
    if (stall_factor > 1.0 && k == k_max && out.residual > tolerance &&
        out.residual * stall_factor > cycle_start) {
      out.stalled = true;
      break;
    }
  }
  out.converged = out.residual <= tolerance;
  return out;
}

}  // namespace mom::compressed
