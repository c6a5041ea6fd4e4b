// Test meshes for the surface block, built here from nodes and triangles (independently of the
// host-side record builder), and a reference assembly of the impedance matrix written from the
// edge-pair formula
//
//   A(m, n) = jω·l_m·l_n·Σ_halves s_m·s_n·[C_As·⟨ρ_m·ρ_n·G⟩ + C_phis·⟨G⟩],
//
// where ⟨·⟩ is the centroid rule for triangle pairs that are not listed and, for every listed
// near pair (each entry of the list counts), the quadrature of the smoothed kernel plus the
// static table values in place of the centroid rule.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "records.hpp"

namespace testmesh {

using cd = std::complex<double>;
using mom::hybrid::Table;

struct Surface {
  std::size_t tr = 0, ns = 0, qm = 3;
  std::vector<double> nodes;                                     // 3 per node
  std::vector<std::array<int, 3>> triangles;                     // 0-based nodes
  std::vector<double> tri_p, tri_m, ver_p, ver_m, length, area;  // 1-based as in the record
  std::vector<double> centroid, centroid_rho, points, point_rho, weights;
  std::vector<double> is, js, ss, rs;

  mom::hybrid::SurfaceRecord record() const {
    mom::hybrid::SurfaceRecord r;
    r.TrianglesTotal = tr;
    r.EdgesTotal = ns;
    r.OrderM = qm;
    r.TriP = row(tri_p);
    r.TriM = row(tri_m);
    r.VerP = row(ver_p);
    r.VerM = row(ver_m);
    r.EdgeLength = row(length);
    r.AreaF = row(area);
    r.PointsFC = vectors(centroid);
    r.PointsFCRho = vectors(centroid_rho);
    r.PointsM = vectors(points);
    r.PointsMRho = vectors(point_rho);
    r.WM = row(weights);
    r.ttIS = row(is);
    r.ttJS = row(js);
    r.ttSS = row(ss);
    r.ttRS = {rs.data(), 9, rs.size() / 9};
    return r;
  }
  static Table row(const std::vector<double>& v) { return {v.data(), 1, v.size()}; }
  static Table vectors(const std::vector<double>& v) { return {v.data(), 3, v.size() / 3}; }

  const double* node(int i) const { return &nodes[3 * i]; }
  void add_pair(std::size_t i, std::size_t j, std::mt19937& gen) {
    std::uniform_real_distribution<double> u(-1, 1);
    is.push_back(static_cast<double>(i));
    js.push_back(static_cast<double>(j));
    ss.push_back(2 + u(gen));
    double t[9];
    for (double& x : t) x = u(gen);
    if (i == j)  // a triangle with itself: the static ⟨ρ_a·ρ'_b/R⟩ is symmetric
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < a; ++b) t[3 * a + b] = t[3 * b + a];
    rs.insert(rs.end(), t, t + 9);
  }
};

// Geometry of the triangles: centroids, areas, rho vectors, the 3-point rule (weights 1/3).
// Edges: every pair of triangles sharing two nodes; the plus side alternates with the edge
// number so that triangles carry mixed plus and minus lists.
inline void finish(Surface& s) {
  s.tr = s.triangles.size();
  std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> owners;
  for (std::size_t t = 0; t < s.tr; ++t)
    for (int m = 0; m < 3; ++m) {
      int a = s.triangles[t][(m + 1) % 3], b = s.triangles[t][(m + 2) % 3];
      owners[{std::min(a, b), std::max(a, b)}].push_back({static_cast<int>(t), m});
    }
  for (const auto& [key, own] : owners) {
    if (own.size() != 2) continue;
    const int first = (s.tri_p.size() % 2 == 0) ? 0 : 1;
    s.tri_p.push_back(own[first].first + 1);
    s.ver_p.push_back(own[first].second + 1);
    s.tri_m.push_back(own[1 - first].first + 1);
    s.ver_m.push_back(own[1 - first].second + 1);
    const double* p = s.node(key.first);
    const double* q = s.node(key.second);
    s.length.push_back(std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                                 (p[2] - q[2]) * (p[2] - q[2])));
  }
  s.ns = s.tri_p.size();
  const double bary[3][3] = {
      {2. / 3, 1. / 6, 1. / 6}, {1. / 6, 2. / 3, 1. / 6}, {1. / 6, 1. / 6, 2. / 3}};
  s.weights.assign(3, 1.0 / 3);
  s.centroid.assign(3 * s.tr, 0);
  s.centroid_rho.assign(9 * s.tr, 0);
  s.points.assign(9 * s.tr, 0);
  s.point_rho.assign(27 * s.tr, 0);
  for (std::size_t t = 0; t < s.tr; ++t) {
    const double* v[3] = {s.node(s.triangles[t][0]), s.node(s.triangles[t][1]),
                          s.node(s.triangles[t][2])};
    double e1[3], e2[3];
    for (int d = 0; d < 3; ++d) {
      s.centroid[3 * t + d] = (v[0][d] + v[1][d] + v[2][d]) / 3;
      e1[d] = v[1][d] - v[0][d];
      e2[d] = v[2][d] - v[0][d];
    }
    const double cx = e1[1] * e2[2] - e1[2] * e2[1], cy = e1[2] * e2[0] - e1[0] * e2[2],
                 cz = e1[0] * e2[1] - e1[1] * e2[0];
    s.area.push_back(0.5 * std::sqrt(cx * cx + cy * cy + cz * cz));
    for (int a = 0; a < 3; ++a)
      for (int d = 0; d < 3; ++d)
        s.points[3 * (3 * t + a) + d] =
            bary[a][0] * v[0][d] + bary[a][1] * v[1][d] + bary[a][2] * v[2][d];
    for (int m = 0; m < 3; ++m)
      for (int d = 0; d < 3; ++d) {
        s.centroid_rho[3 * (3 * t + m) + d] = s.centroid[3 * t + d] - v[m][d];
        for (int a = 0; a < 3; ++a)
          s.point_rho[3 * ((3 * t + m) * 3 + a) + d] = s.points[3 * (3 * t + a) + d] - v[m][d];
      }
  }
}

// An nx × ny plate of jittered cells in a gently curved sheet (z varies), cut into triangles.
inline Surface plate(int nx, int ny, unsigned seed) {
  Surface s;
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-0.15, 0.15);
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      const double x = i + u(gen), y = j + u(gen);
      s.nodes.insert(s.nodes.end(), {0.1 * x, 0.1 * y, 0.02 * x * y});
    }
  auto n = [nx](int i, int j) { return i + (nx + 1) * j; };
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      s.triangles.push_back({n(i, j), n(i + 1, j), n(i + 1, j + 1)});
      s.triangles.push_back({n(i, j), n(i + 1, j + 1), n(i, j + 1)});
    }
  return s;
}

// ---- Reference assembly --------------------------------------------------------------------

struct Frequency {
  double omega_re, omega_im, epsilon, mu, c;
  cd omega() const { return {omega_re, omega_im}; }
  cd k() const { return omega() / c; }
  cd C_As() const { return cd(0, 1) * omega() * mu / (16 * M_PI); }
  cd C_phis() const { return 1.0 / (4 * M_PI * cd(0, 1) * omega() * epsilon); }
};

// e^(−jk_r·R) times the cubic Taylor polynomial of the damping e^(k_i·R).
inline cd damped_wave(double R, cd k) {
  const double x = k.imag() * R;
  return (1 + x + x * x / 2 + x * x * x / 6) * std::polar(1.0, -k.real() * R);
}

inline double dist(const double* p, const double* q) {
  return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                   (p[2] - q[2]) * (p[2] - q[2]));
}
inline double dot(const double* u, const double* v) {
  return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

// C_As·⟨ρ_{p,i}·ρ_{q,j}·G⟩ + C_phis·⟨G⟩ for triangles p, q with slots i, j.
inline cd half_pair(const Surface& s, const Frequency& f, std::size_t p, int i, std::size_t q,
                    int j) {
  const cd k = f.k();
  cd vec = 0, sca = 0;
  if (p != q) {  // centroid rule
    const double R = dist(&s.centroid[3 * p], &s.centroid[3 * q]);
    const cd G = damped_wave(R, k) / R;
    vec += dot(&s.centroid_rho[3 * (3 * p + i)], &s.centroid_rho[3 * (3 * q + j)]) * G;
    sca += G;
  }
  for (std::size_t e = 0; e < s.is.size(); ++e) {
    const std::size_t I = static_cast<std::size_t>(s.is[e]), J = static_cast<std::size_t>(s.js[e]);
    if (!((I == p && J == q) || (I == q && J == p))) continue;
    cd qv = 0, qs = 0;
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        const double R = dist(&s.points[3 * (3 * p + a)], &s.points[3 * (3 * q + b)]);
        const cd g = R == 0 ? cd(0, -1) * k : (damped_wave(R, k) - 1.0) / R;
        const double w = s.weights[a] * s.weights[b];
        qs += w * g;
        qv += w * g *
              dot(&s.point_rho[3 * ((3 * p + i) * 3 + a)], &s.point_rho[3 * ((3 * q + j) * 3 + b)]);
      }
    // The static table is indexed by the slot in the listed first triangle.
    const double rs = (I == p) ? s.rs[9 * e + 3 * i + j] : s.rs[9 * e + 3 * j + i];
    vec += qv + rs;
    sca += qs + s.ss[e];
    if (p != q) {  // the listed value replaces the centroid rule
      const double R = dist(&s.centroid[3 * p], &s.centroid[3 * q]);
      const cd G = damped_wave(R, k) / R;
      vec -= dot(&s.centroid_rho[3 * (3 * p + i)], &s.centroid_rho[3 * (3 * q + j)]) * G;
      sca -= G;
    }
  }
  return f.C_As() * vec + f.C_phis() * sca;
}

// The full (symmetric) ns × ns matrix, column-major.
inline std::vector<cd> reference_matrix(const Surface& s, const Frequency& f) {
  std::vector<cd> a(s.ns * s.ns);
  const cd jw = cd(0, 1) * f.omega();
  for (std::size_t m = 0; m < s.ns; ++m)
    for (std::size_t n = 0; n < s.ns; ++n) {
      cd sum = 0;
      for (int hm = 0; hm < 2; ++hm)
        for (int hn = 0; hn < 2; ++hn) {
          const std::size_t tm = static_cast<std::size_t>((hm ? s.tri_m : s.tri_p)[m]) - 1;
          const std::size_t tn = static_cast<std::size_t>((hn ? s.tri_m : s.tri_p)[n]) - 1;
          const int im = static_cast<int>((hm ? s.ver_m : s.ver_p)[m]) - 1;
          const int in = static_cast<int>((hn ? s.ver_m : s.ver_p)[n]) - 1;
          sum += (hm == hn ? 1.0 : -1.0) * half_pair(s, f, tm, im, tn, in);
        }
      a[m + s.ns * n] = jw * s.length[m] * s.length[n] * sum;
    }
  return a;
}

}  // namespace testmesh
