#include "kernel_sums.hpp"

#include <cmath>

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

// w·g(R): the smoothed kernel weighted by w. The real part is grouped as
// ((C − 1)·(1 + E) + E)·W, which equals ((1 + E)·C − 1)·W without its cancellation at small R.
inline void smoothed(double R, double w, double k_r, double k_i, double& re, double& im) {
  const double x = k_i * R;
  const double E = x + x * x * (x / 6.0 + 0.5);
  const double C = std::cos(k_r * R);
  const double Sn = std::sin(k_r * R);
  const double W = w / R;
  re = ((C - 1.0) * (1.0 + E) + E) * W;
  im = -(Sn * W * (1.0 + E));
}

// Fills the point-pair scratch with w1_a·w2_b·g(R_ab + guard) and returns their sum in S.
void smoothed_grid(const double* p1, std::size_t n1, const double* w1, const double* p2,
                   std::size_t n2, const double* w2, double k_r, double k_i, double guard,
                   double* s_re, double* s_im, double* scratch_re, double* scratch_im) {
  double sr = 0.0;
  double si = 0.0;
  for (std::size_t a = 0; a < n1; ++a) {
    for (std::size_t b = 0; b < n2; ++b) {
      double re, im;
      smoothed(distance(p1 + 3 * a, p2 + 3 * b) + guard, w1[a] * w2[b], k_r, k_i, re, im);
      sr += re;
      si += im;
      scratch_re[a + n1 * b] = re;
      scratch_im[a + n1 * b] = im;
    }
  }
  *s_re = sr;
  *s_im = si;
}

}  // namespace

void smoothScalarSum(const double* p1, std::size_t n1, const double* w1, const double* p2,
                     std::size_t n2, const double* w2, double k_r, double k_i, double* s_re,
                     double* s_im) {
  double sr = 0.0;
  double si = 0.0;
  for (std::size_t a = 0; a < n1; ++a) {
    for (std::size_t b = 0; b < n2; ++b) {
      double re, im;
      smoothed(distance(p1 + 3 * a, p2 + 3 * b) + kGuard, w1[a] * w2[b], k_r, k_i, re, im);
      sr += re;
      si += im;
    }
  }
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
  const double gr = std::cos(k_r * R) * F;
  const double gi = -std::sin(k_r * R) * F;
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
