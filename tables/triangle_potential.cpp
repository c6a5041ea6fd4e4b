#include "triangle_potential.hpp"

#include <cfloat>
#include <cmath>

namespace mom::tables {

namespace {

Vec3 in_plane(const Vec3& p, const Vec3& n) { return p - dot(n, p) * n; }

EdgeFrame make_edge(const Vec3& B, const Vec3& A, const Vec3& n, bool flip) {
  EdgeFrame e;
  e.B = B;
  e.A = A;
  e.B_plane = in_plane(B, n);
  e.A_plane = in_plane(A, n);
  e.s = unit(A - B);
  e.m = flip ? -cross(e.s, n) : cross(e.s, n);
  return e;
}

// R + l without cancellation: R⁰²/(R − l) when l < 0, where R² − l² = R⁰².
inline double r_plus_l(double R, double l, double r0_sq) {
  return l >= 0.0 ? R + l : r0_sq / (R - l);
}

}  // namespace

FaceFrame make_face_frame(const Vec3& a, const Vec3& b, const Vec3& c) {
  FaceFrame f;
  f.n = unit(cross(b - a, c - a));
  f.edge[0] = make_edge(a, b, f.n, false);
  f.edge[1] = make_edge(a, c, f.n, true);
  f.edge[2] = make_edge(b, c, f.n, false);
  f.scale = std::fmax(max_abs(a), std::fmax(max_abs(b), max_abs(c)));
  return f;
}

EdgeTerms edge_terms(const FaceFrame& face, const EdgeFrame& edge, const Vec3& r, const Vec3& rho) {
  EdgeTerms g;
  g.h = dot(face.n, r - edge.B);
  g.d = std::fabs(g.h);
  const Vec3 b = edge.B_plane - rho;
  g.l_plus = dot(edge.s, edge.A_plane - rho);
  g.l_minus = dot(edge.s, b);
  const double mb = dot(edge.m, b);
  g.p0 = std::fabs(mb);
  const double p_plus = std::sqrt(g.l_plus * g.l_plus + g.p0 * g.p0);
  const double p_minus = std::sqrt(g.l_minus * g.l_minus + g.p0 * g.p0);
  g.r_plus = std::sqrt(p_plus * p_plus + g.d * g.d);
  g.r_minus = std::sqrt(p_minus * p_minus + g.d * g.d);
  g.r0_sq = g.d * g.d + g.p0 * g.p0;
  g.sigma = std::copysign(1.0, mb);
  const double ratio =
      r_plus_l(g.r_plus, g.l_plus, g.r0_sq) / r_plus_l(g.r_minus, g.l_minus, g.r0_sq);
  // The ratio is 0, infinite or NaN only when R⁰² vanishes (or underflows): then P⁰ L and R⁰² L
  // tend to 0, and so does every term L enters.
  g.log_ratio = (ratio > 0.0 && ratio <= DBL_MAX) ? std::log(ratio) : 0.0;
  return g;
}

double edge_continuous_term(const EdgeTerms& g) {
  if (g.p0 == 0.0) return 0.0;
  const double a_plus = std::atan(g.p0 * g.l_plus / (g.r0_sq + g.d * g.r_plus));
  const double a_minus = std::atan(g.p0 * g.l_minus / (g.r0_sq + g.d * g.r_minus));
  return g.sigma * (g.p0 * g.log_ratio - g.d * (a_plus - a_minus));
}

TriangleFrame make_triangle_frame(const Vec3& v1, const Vec3& v2, const Vec3& v3) {
  TriangleFrame t;
  t.face = make_face_frame(v1, v2, v3);
  t.mid[0] = 0.5 * (v1 + v2);
  t.mid[1] = 0.5 * (v1 + v3);
  t.mid[2] = 0.5 * (v2 + v3);
  return t;
}

double trianglePotential(const TriangleFrame& triangle, Vec3& r, Vec3* iv) {
  const FaceFrame& f = triangle.face;
  apply_probe_shift(r);
  const Vec3 rho = r - dot(f.n, r) * f.n;

  const bool inside = dot(f.edge[0].m, triangle.mid[0] - rho) > 0.0 &&
                      dot(f.edge[1].m, triangle.mid[1] - rho) > 0.0 &&
                      dot(f.edge[2].m, triangle.mid[2] - rho) > 0.0;
  const double beta = inside ? kInsideAngle : 0.0;

  const double scale = std::fmax(f.scale, max_abs(r));
  EdgeTerms g[3];
  bool on_line = false;
  for (int i = 0; i < 3; ++i) {
    g[i] = edge_terms(f, f.edge[i], r, rho);
    on_line = on_line || on_edge_line(g[i], scale);
  }

  double is = 0.0;
  if (!on_line) {
    for (const EdgeTerms& e : g) {
      is += e.sigma * (e.p0 * e.log_ratio + e.d * std::atan(e.l_plus * e.d / (e.r_plus * e.p0)) -
                       e.d * std::atan(e.l_minus * e.d / (e.r_minus * e.p0)));
    }
    is -= beta * g[2].d;
  } else {
    for (const EdgeTerms& e : g) is += edge_continuous_term(e);
  }

  if (iv != nullptr) {
    double fe[3];
    for (int i = 0; i < 3; ++i) {
      fe[i] = g[i].r_plus * g[i].l_plus - g[i].r_minus * g[i].l_minus + g[i].r0_sq * g[i].log_ratio;
    }
    *iv = 0.5 * (fe[0] * f.edge[0].m + fe[1] * f.edge[1].m + fe[2] * f.edge[2].m);
  }
  return is;
}

namespace {
TriangleFrame frame_of(const double* t) {
  return make_triangle_frame({t[0], t[1], t[2]}, {t[3], t[4], t[5]}, {t[6], t[7], t[8]});
}
}  // namespace

void trianglePotential(double& is, double iv[3], const double triangle[9], double r[3]) {
  Vec3 p{r[0], r[1], r[2]};
  Vec3 v;
  is = trianglePotential(frame_of(triangle), p, &v);
  iv[0] = v.x;
  iv[1] = v.y;
  iv[2] = v.z;
  r[0] = p.x;
  r[1] = p.y;
  r[2] = p.z;
}

void trianglePotential(double& is, const double triangle[9], double r[3]) {
  Vec3 p{r[0], r[1], r[2]};
  is = trianglePotential(frame_of(triangle), p, nullptr);
  r[0] = p.x;
  r[1] = p.y;
  r[2] = p.z;
}

}  // namespace mom::tables
