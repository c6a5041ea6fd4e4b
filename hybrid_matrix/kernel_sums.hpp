// Quadrature sums of the free-space kernel at a complex wavenumber k = k_r + j·k_i.
//
// Full kernel        G(R) = e^(−jkR) / R
// Smoothed kernel    g(R) = (e^(−jkR) − 1) / R    (the static 1/R part removed; it comes from
//                                                  the precomputed near-pair tables)
// The damping factor e^(k_i·R) is replaced everywhere by its third-order Taylor polynomial
// 1 + E, E = x + x²·(x/6 + 1/2), x = k_i·R (exact for real frequencies, where E = 0).
//
// Point sets are n points of three consecutive doubles (x, y, z) with n weights. Per-point
// function vectors of a set with nf functions: function i at point a is the three doubles at
// 3·(i·n + a). Constant function vectors: function i at 3i. Result tables V of nf₁·nf₂ complex
// entries: V[nf₁·j + i] belongs to function i of the first set and j of the second. The guarded
// sums add 1e-32 to R, so that coinciding points give the limit g(0) = k_i − j·k_r.
//
// Point-pair scratch (caller-owned, n₁·n₂ doubles per plane): the weighted kernel value of
// point a of the first set with point b of the second at a + n₁·b. Nothing here allocates.
#pragma once

#include <cmath>
#include <cstddef>

namespace mom::hybrid {

// S = Σ_a Σ_b w1_a·w2_b·g(R_ab), a outer, b inner, guarded.
void smoothScalarSum(const double* p1, std::size_t n1, const double* w1, const double* p2,
                     std::size_t n2, const double* w2, double k_r, double k_i, double* s_re,
                     double* s_im);

// S as above and V[3j + i] = Σ_a Σ_b w1_a·w2_b·(u1_i(a) · u2_j(b))·g(R_ab), three per-point
// functions on each side, guarded. The point-pair values are left in the scratch.
void smoothPairSums(const double* p1, std::size_t n1, const double* w1, const double* u1,
                    const double* p2, std::size_t n2, const double* w2, const double* u2,
                    double k_r, double k_i, double* s_re, double* s_im, double* v_re, double* v_im,
                    double* scratch_re, double* scratch_im);

// As smoothPairSums without the guard, nf1 per-point functions u1 on the first set and nf2
// constant vectors c2 on the second: V[nf1·j + i] = Σ_a Σ_b w1_a·w2_b·(u1_i(a) · c2_j)·g(R_ab).
void smoothMixedSums(const double* p1, std::size_t n1, const double* w1, std::size_t nf1,
                     const double* u1, const double* p2, std::size_t n2, const double* w2,
                     std::size_t nf2, const double* c2, double k_r, double k_i, double* s_re,
                     double* s_im, double* v_re, double* v_im, double* scratch_re,
                     double* scratch_im);

// Sine and cosine of n arguments, s[e] = sin(x[e]) and c[e] = cos(x[e]), within one unit in
// the last place, in a loop that vectorises. Every argument gives the same two numbers
// wherever it stands in the array and whatever n is, so that a single pair evaluated on its own
// reproduces a sweep's value to the bit. Arguments beyond about 8·10⁵ in magnitude (and Inf,
// NaN) are handed to the library functions.
void sinCos(const double* x, std::size_t n, double* s, double* c);

// (1 + E)/R: the damped amplitude of the full kernel G(R) = (1 + E)/R·e^(−jk_r·R). Shared by
// pointKernel and the batched centroid sweep, so that both produce the same numbers.
inline double fullKernelAmplitude(double R, double k_i) {
  const double x = k_i * R;
  const double E = x + x * x * (x / 6.0 + 0.5);
  return (1.0 + E) / R;
}

// The centre kernel of the volume and coupling blocks: the full kernel G between two element
// centroids at squared distance d2, with the rule that centroids closer than 1e-8 (d2 < 1e-16,
// compared before the square root) contribute nothing: g = 0. Otherwise, with R = √d2,
// g = (1 + E)/R·(cos(k_r·R) − j·sin(k_r·R)), the same numbers as pointKernel at distance R.
constexpr double kCoinciding = 1e-16;
inline void centreKernel(double d2, double k_r, double k_i, double* g_re, double* g_im) {
  if (d2 < kCoinciding) {
    *g_re = 0.0;
    *g_im = 0.0;
    return;
  }
  const double R = std::sqrt(d2);
  const double F = fullKernelAmplitude(R, k_i);
  const double arg = k_r * R;
  double sn, cs;
  sinCos(&arg, 1, &sn, &cs);
  *g_re = cs * F;
  *g_im = -sn * F;
}

// The full kernel between two single points (no guard: the points must differ), G = G(R), and
// V[nf1·j + i] = (u2_j · u1_i)·G, assigned.
void pointKernel(const double* p1, std::size_t nf1, const double* u1, const double* p2,
                 std::size_t nf2, const double* u2, double k_r, double k_i, double* g_re,
                 double* g_im, double* v_re, double* v_im);

}  // namespace mom::hybrid
