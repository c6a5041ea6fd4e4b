#include "kernel_sums.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace mom::hybrid {

namespace {

constexpr double kGuard = 1e-32;

inline double distance(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  const double dz = q[2] - p[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

inline double dot3(const double* u, const double* v) {
  return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

// w·g(R): the smoothed kernel weighted by w, with C = cos(k_r·R) and Sn = sin(k_r·R). The
// real part is grouped as ((C − 1)·(1 + E) + E)·W, which equals ((1 + E)·C − 1)·W without its
// cancellation at small R.
inline void smoothed(double R, double w, double k_i, double C, double Sn, double& re, double& im) {
  const double x = k_i * R;
  const double E = x + x * x * (x / 6.0 + 0.5);
  const double W = w / R;
  re = ((C - 1.0) * (1.0 + E) + E) * W;
  im = -(Sn * W * (1.0 + E));
}

// Calls use(a, b, re, im) with w1_a·w2_b·g(R_ab + guard) for every point pair, a outer and b
// inner. The pairs are taken in chunks whose distances, sines and cosines are computed in
// loops of their own (on the stack: nothing is allocated).
template <class Use>
void smoothed_pairs(const double* p1, std::size_t n1, const double* w1, const double* p2,
                    std::size_t n2, const double* w2, double k_r, double k_i, double guard,
                    const Use& use) {
  constexpr std::size_t kChunk = 64;
  double R[kChunk], arg[kChunk], sn[kChunk], cs[kChunk];
  std::size_t a = 0, b = 0;  // the first pair of the chunk
  for (std::size_t done = 0, total = n1 * n2; done < total;) {
    const std::size_t m = total - done < kChunk ? total - done : kChunk;
    for (std::size_t j = 0, x = a, y = b; j < m; ++j) {
      R[j] = distance(p1 + 3 * x, p2 + 3 * y) + guard;
      arg[j] = k_r * R[j];
      if (++y == n2) {
        y = 0;
        ++x;
      }
    }
    sinCos(arg, m, sn, cs);
    for (std::size_t j = 0; j < m; ++j) {
      double re, im;
      smoothed(R[j], w1[a] * w2[b], k_i, cs[j], sn[j], re, im);
      use(a, b, re, im);
      if (++b == n2) {
        b = 0;
        ++a;
      }
    }
    done += m;
  }
}

// Fills the point-pair scratch with w1_a·w2_b·g(R_ab + guard) and returns their sum in S.
void smoothed_grid(const double* p1, std::size_t n1, const double* w1, const double* p2,
                   std::size_t n2, const double* w2, double k_r, double k_i, double guard,
                   double* s_re, double* s_im, double* scratch_re, double* scratch_im) {
  double sr = 0.0;
  double si = 0.0;
  smoothed_pairs(p1, n1, w1, p2, n2, w2, k_r, k_i, guard,
                 [&](std::size_t a, std::size_t b, double re, double im) {
                   sr += re;
                   si += im;
                   scratch_re[a + n1 * b] = re;
                   scratch_im[a + n1 * b] = im;
                 });
  *s_re = sr;
  *s_im = si;
}

// Arguments up to this magnitude are reduced by k·π/2 in four parts, the first three of which
// give exact products with k (k < 2^20); beyond it the library functions take over.
constexpr double kReducible = 823550.0;

inline std::uint64_t bits_of(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
inline double from_bits(std::uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// sin(r + y) and cos(r + y) for |r| ≤ π/4 and a tail |y| below half an ulp of r, by the
// classical minimax polynomials with the tail's first-order terms (error below one ulp); the
// cosine subtracts an exactly representable quarter of r² first where 1 − r²/2 would lose a bit.
inline void sin_cos_kernel(double r, double y, double& s, double& c) {
  const double z = r * r;
  const double v = z * r;
  const double sr = 8.33333333332248946124e-03 +
                    z * (-1.98412698298579493134e-04 +
                         z * (2.75573137070700676789e-06 +
                              z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
  s = r - ((z * (0.5 * y - v * sr) - y) - v * -1.66666666666666324348e-01);
  const double cr =
      z * (4.16666666666666019037e-02 +
           z * (-1.38888888888741095749e-03 +
                z * (2.48015872894767294178e-05 +
                     z * (-2.75573143513906633035e-07 +
                          z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
  // |r| with the low word cleared, compared as a double: the bounds 0.3 and 0.78125 on the
  // high word.
  const double h = from_bits(bits_of(r) & 0x7fffffff00000000ULL);
  double quarter = h > 0.78125 ? 0.28125 : 0.25 * h;
  quarter = h < 0.29999995231628418 ? 0.0 : quarter;
  c = (1.0 - quarter) - ((0.5 * z - quarter) - (z * cr - r * y));
}

}  // namespace

// On x86-64 the loop below is also built for AVX2 (four arguments per instruction instead of
// two) and the processor picks once, on first use, which one runs; AVX2 brings no fused
// multiply-add, so both give the same numbers.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target_clones("avx2", "default")))
#endif
void sinCos(const double* x, std::size_t n, double* s, double* c) {
  constexpr double two_over_pi = 6.36619772367581382433e-01;
  constexpr double pio2_1 = 1.57079632673412561417e+00;  // first 33 bits of π/2
  constexpr double pio2_2 = 6.07710050630396597660e-11;  // next 33 bits
  constexpr double pio2_3 = 2.02226624871116645580e-21;  // next 33 bits
  constexpr double pio2_4 = 8.47842766036889956997e-32;  // the rest
  constexpr double round = 6755399441055744.0;           // 1.5·2^52: rounds to an integer
  std::uint64_t far = 0;
  for (std::size_t e = 0; e < n; ++e) {
    const double v = x[e];
    far |= bits_of(std::fabs(v) <= kReducible ? 0.0 : 1.0);  // NaN too
    const double shifted = v * two_over_pi + round;
    const double k = shifted - round;
    // v − k·π/2 as r + y: t − w exactly as a sum of two doubles (k·pio2_1 and k·pio2_2 are
    // exact), then the small remainder of π/2 folded into the tail.
    const double t = v - k * pio2_1;
    const double w = k * pio2_2;
    const double d = t - w;
    const double back = d - t;
    const double low = ((t - (d - back)) - (w + back)) - (k * pio2_3 + k * pio2_4);
    const double r = d + low;
    const double y = low - (r - d);
    // The quadrant k mod 4 sits in the lowest bits of `shifted`: odd k swaps sine and cosine,
    // bit 1 of k (of k + 1) flips the sign of the sine (cosine).
    const std::uint64_t quadrant = bits_of(shifted);
    double sr, cr;
    sin_cos_kernel(r, y, sr, cr);
    const std::uint64_t swap = 0 - (quadrant & 1);
    const std::uint64_t bs = bits_of(sr), bc = bits_of(cr);
    s[e] = from_bits(((bs & ~swap) | (bc & swap)) ^ ((quadrant & 2) << 62));
    c[e] = from_bits(((bc & ~swap) | (bs & swap)) ^ (((quadrant + 1) & 2) << 62));
  }
  if (far == 0) return;
  for (std::size_t e = 0; e < n; ++e) {
    if (!(std::fabs(x[e]) <= kReducible)) {
      s[e] = std::sin(x[e]);
      c[e] = std::cos(x[e]);
    }
  }
}

void smoothScalarSum(const double* p1, std::size_t n1, const double* w1, const double* p2,
                     std::size_t n2, const double* w2, double k_r, double k_i, double* s_re,
                     double* s_im) {
  double sr = 0.0;
  double si = 0.0;
  smoothed_pairs(p1, n1, w1, p2, n2, w2, k_r, k_i, kGuard,
                 [&](std::size_t, std::size_t, double re, double im) {
                   sr += re;
                   si += im;
                 });
  *s_re = sr;
  *s_im = si;
}

void smoothPairSums(const double* p1, std::size_t n1, const double* w1, const double* u1,
                    const double* p2, std::size_t n2, const double* w2, const double* u2,
                    double k_r, double k_i, double* s_re, double* s_im, double* v_re, double* v_im,
                    double* scratch_re, double* scratch_im) {
  smoothed_grid(p1, n1, w1, p2, n2, w2, k_r, k_i, kGuard, s_re, s_im, scratch_re, scratch_im);
  for (std::size_t j = 0; j < 3; ++j) {
    for (std::size_t i = 0; i < 3; ++i) {
      double vr = 0.0;
      double vi = 0.0;
      for (std::size_t a = 0; a < n1; ++a) {
        const double* ua = u1 + 3 * (i * n1 + a);
        for (std::size_t b = 0; b < n2; ++b) {
          const double d = dot3(ua, u2 + 3 * (j * n2 + b));
          vr += d * scratch_re[a + n1 * b];
          vi += d * scratch_im[a + n1 * b];
        }
      }
      v_re[3 * j + i] = vr;
      v_im[3 * j + i] = vi;
    }
  }
}

void smoothMixedSums(const double* p1, std::size_t n1, const double* w1, std::size_t nf1,
                     const double* u1, const double* p2, std::size_t n2, const double* w2,
                     std::size_t nf2, const double* c2, double k_r, double k_i, double* s_re,
                     double* s_im, double* v_re, double* v_im, double* scratch_re,
                     double* scratch_im) {
  smoothed_grid(p1, n1, w1, p2, n2, w2, k_r, k_i, 0.0, s_re, s_im, scratch_re, scratch_im);
  for (std::size_t j = 0; j < nf2; ++j) {
    for (std::size_t i = 0; i < nf1; ++i) {
      double vr = 0.0;
      double vi = 0.0;
      for (std::size_t a = 0; a < n1; ++a) {
        const double d = dot3(u1 + 3 * (i * n1 + a), c2 + 3 * j);
        for (std::size_t b = 0; b < n2; ++b) {
          vr += d * scratch_re[a + n1 * b];
          vi += d * scratch_im[a + n1 * b];
        }
      }
      v_re[nf1 * j + i] = vr;
      v_im[nf1 * j + i] = vi;
    }
  }
}

void pointKernel(const double* p1, std::size_t nf1, const double* u1, const double* p2,
                 std::size_t nf2, const double* u2, double k_r, double k_i, double* g_re,
                 double* g_im, double* v_re, double* v_im) {
  const double R = distance(p1, p2);
  const double F = fullKernelAmplitude(R, k_i);
  const double arg = k_r * R;
  double sn, cs;
  sinCos(&arg, 1, &sn, &cs);
  const double gr = cs * F;
  const double gi = -sn * F;
  *g_re = gr;
  *g_im = gi;
  for (std::size_t j = 0; j < nf2; ++j) {
    for (std::size_t i = 0; i < nf1; ++i) {
      const double d = dot3(u2 + 3 * j, u1 + 3 * i);
      v_re[nf1 * j + i] = d * gr;
      v_im[nf1 * j + i] = d * gi;
    }
  }
}

}  // namespace mom::hybrid
