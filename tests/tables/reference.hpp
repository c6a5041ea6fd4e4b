// Independent references for the table tests: Gauss rules, and ∫ 1/R and ∫ (ρ′ − ρ)/R over a
// triangle by polar integration around the foot point of the observation point.
//
// In polar coordinates (t, φ) centred at the foot ρ of r (height d over the plane), the triangle
// is the signed sum of the three fans (ρ, V_a, V_b); along the ray of angle φ the fan ends at
// t_e(φ) on the edge line, and the radial integrals are elementary:
//   ∫_0^t s ds/√(s² + d²) = √(t² + d²) − d,
//   ∫_0^t s² ds/√(s² + d²) = ½ (t √(t² + d²) − d² asinh(t/d)),
// leaving a smooth integral in φ that adaptive Gauss–Kronrod quadrature takes to rounding
// accuracy. Nothing here shares code or formulas with the edge-sum closed form.
#pragma once

#include <cmath>
#include <vector>

#include "vec3.hpp"

namespace reference {

using mom::tables::Vec3;

// Gauss–Legendre nodes and weights on [0, 1] (weights sum to 1).
inline void gauss_legendre(int n, std::vector<double>& x, std::vector<double>& w) {
  x.assign(n, 0.0);
  w.assign(n, 0.0);
  for (int i = 0; i < n; ++i) {
    double z = std::cos(M_PI * (i + 0.75) / (n + 0.5));
    double dp = 0.0;
    for (int it = 0; it < 100; ++it) {
      double p0 = 1.0, p1 = z;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2.0 * k - 1.0) * z * p1 - (k - 1.0) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      dp = n * (z * p1 - p0) / (z * z - 1.0);
      const double dz = p1 / dp;
      z -= dz;
      if (std::fabs(dz) < 1e-16) break;
    }
    x[i] = 0.5 * (1.0 - z);
    w[i] = 1.0 / ((1.0 - z * z) * dp * dp);
  }
}

// A rule on triangles in the host layout: coeff 3 × Nq (barycentric), weights summing to 1.
struct Rule {
  std::vector<double> coeff, weights;
  std::size_t size() const { return weights.size(); }
};

// Collapsed (Duffy) product of n-point Gauss rules: exact for polynomials of degree 2n − 2.
inline Rule duffy_rule(int n) {
  std::vector<double> x, w;
  gauss_legendre(n, x, w);
  Rule r;
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      const double u = x[a], v = x[b];
      r.coeff.insert(r.coeff.end(), {1.0 - u, u * (1.0 - v), u * v});
      r.weights.push_back(2.0 * w[a] * w[b] * u);
    }
  }
  return r;
}

// The common 7-point rule of degree 5.
inline Rule seven_point_rule() {
  const double a1 = 0.797426985353087, b1 = 0.101286507323456;
  const double a2 = 0.059715871789770, b2 = 0.470142064105115;
  const double w1 = 0.125939180544827, w2 = 0.132394152788506;
  Rule r;
  r.coeff = {1.0 / 3, 1.0 / 3, 1.0 / 3, a1, b1, b1, b1, a1, b1, b1, b1,
             a1,      a2,      b2,      b2, b2, a2, b2, b2, b2, a2};
  r.weights = {0.225, w1, w1, w1, w2, w2, w2};
  return r;
}

inline Rule centroid_rule() { return {{1.0 / 3, 1.0 / 3, 1.0 / 3}, {1.0}}; }

struct Potential {
  double scalar;  // ∫ 1/R
  Vec3 vector;    // ∫ (ρ′ − ρ)/R
};

namespace detail {

// √(t² + d²) − d and ½ (t √(t² + d²) − d² asinh(t/d)) without cancellation.
inline void radial(double t, double d, double& fs, double& fv) {
  const double rt = std::sqrt(t * t + d * d);
  fs = t * t / (rt + d);
  if (t < 0.05 * d) {  // series in (t/d)²: ∫ s² (1 + s²/d²)^(-1/2) ds / d
    const double x = (t / d) * (t / d);
    double term = 1.0, sum = 0.0;
    for (int k = 0; k < 30; ++k) {
      sum += term / (2 * k + 3);
      term *= -(2.0 * k + 1.0) / (2.0 * k + 2.0) * x;
    }
    fv = t * t * t / d * sum;
  } else {
    fv = d > 0.0 ? 0.5 * (t * rt - d * d * std::asinh(t / d)) : 0.5 * t * t;
  }
}

struct Fan {
  double ax, ay, ex, ey, c;  // edge start (relative to the foot), direction, cross(a, e)
  double d;
};

inline void integrand(const Fan& f, double phi, double out[3]) {
  const double ux = std::cos(phi), uy = std::sin(phi);
  const double t = f.c / (ux * f.ey - uy * f.ex);
  double fs, fv;
  radial(t, f.d, fs, fv);
  out[0] = fs;
  out[1] = ux * fv;
  out[2] = uy * fv;
}

inline void kronrod(const Fan& f, double a, double b, double k15[3], double err[3]) {
  static const double xk[8] = {
      0.991455371120812639, 0.949107912342758525, 0.864864423359769073, 0.741531185599394440,
      0.586087235467691130, 0.405845151377397167, 0.207784955007898468, 0.0};
  static const double wk[8] = {0.022935322010529225, 0.063092092629978553, 0.104790010322250184,
                               0.140653259715525919, 0.169004726639267903, 0.190350578064785410,
                               0.204432940075298892, 0.209482141084727828};
  static const double wg[4] = {0.129484966168869693, 0.279705391489276668, 0.381830050505118945,
                               0.417959183673469388};
  const double c = 0.5 * (a + b), h = 0.5 * (b - a);
  double g7[3] = {0, 0, 0};
  for (int m = 0; m < 3; ++m) k15[m] = 0.0;
  for (int i = 0; i < 8; ++i) {
    double v1[3], v2[3];
    integrand(f, c - h * xk[i], v1);
    if (i < 7) integrand(f, c + h * xk[i], v2);
    for (int m = 0; m < 3; ++m) {
      const double s = i < 7 ? v1[m] + v2[m] : v1[m];
      k15[m] += wk[i] * s;
      if (i % 2 == 1) g7[m] += wg[i / 2] * s;
    }
  }
  for (int m = 0; m < 3; ++m) {
    k15[m] *= h;
    err[m] = std::fabs(k15[m] - h * g7[m]);
  }
}

inline void adaptive(const Fan& f, double a, double b, double tol, double scale_v, int depth,
                     double sum[3]) {
  double k[3], e[3];
  kronrod(f, a, b, k, e);
  // The Gauss–Kronrod difference overestimates the error of the 15-point value by far; accept it
  // at the tolerance or at the rounding level of the value itself.
  const double err = e[0] + (e[1] + e[2]) / scale_v;
  const double size = std::fabs(k[0]) + (std::fabs(k[1]) + std::fabs(k[2])) / scale_v;
  if (depth >= 50 || err <= tol || err <= 1e-15 * size) {
    for (int m = 0; m < 3; ++m) sum[m] += k[m];
    return;
  }
  const double mid = 0.5 * (a + b);
  adaptive(f, a, mid, tol, scale_v, depth + 1, sum);
  adaptive(f, mid, b, tol, scale_v, depth + 1, sum);
}

}  // namespace detail

// ∫_S 1/R dS′ and ∫_S (ρ′ − ρ)/R dS′ for the triangle (v1, v2, v3) seen from r.
inline Potential potential(const Vec3& v1, const Vec3& v2, const Vec3& v3, const Vec3& r) {
  using namespace mom::tables;
  const Vec3 n = unit(cross(v2 - v1, v3 - v1));
  const Vec3 e1 = unit(v2 - v1);
  const Vec3 e2 = cross(n, e1);
  const double h = dot(n, r - v1);
  const Vec3 foot = r - h * n;
  const Vec3 v[3] = {v1, v2, v3};
  double px[3], py[3];
  for (int a = 0; a < 3; ++a) {
    px[a] = dot(v[a] - foot, e1);
    py[a] = dot(v[a] - foot, e2);
  }
  const double size = std::fmax(norm(v2 - v1), std::fmax(norm(v3 - v1), norm(v3 - v2)));
  double sum[3] = {0, 0, 0};
  for (int a = 0; a < 3; ++a) {
    const int b = (a + 1) % 3;
    detail::Fan f{px[a], py[a], px[b] - px[a], py[b] - py[a], 0.0, std::fabs(h)};
    f.c = f.ax * f.ey - f.ay * f.ex;
    const double len = std::hypot(f.ex, f.ey);
    if (std::fabs(f.c) <= 1e-300 + 1e-17 * len * std::hypot(f.ax, f.ay)) continue;  // on the line
    const double phi_a = std::atan2(py[a], px[a]);
    double sweep = std::atan2(py[b], px[b]) - phi_a;
    if (sweep > M_PI) sweep -= 2 * M_PI;
    if (sweep < -M_PI) sweep += 2 * M_PI;
    detail::adaptive(f, phi_a, phi_a + sweep, 1e-15 * size, size, 0, sum);
  }
  return {sum[0], sum[1] * e1 + sum[2] * e2};
}

}  // namespace reference
