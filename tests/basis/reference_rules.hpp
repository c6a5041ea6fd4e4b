// Test references for the selection of independent edges: the local tables of a fixture mesh
// and the threshold rule on the LU factors of the single-precision Gram matrix.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "basis_core.hpp"
#include "lapack.hpp"
#include "mesh_fixtures.hpp"

namespace fixtures {

using Flags = std::vector<unsigned char>;

// Column of each local edge (the last column with that ordered pair) and the local vectors.
struct Local {
  std::vector<std::uint32_t> cols;  // 6 per tetrahedron
  std::vector<double> b;            // 18 per tetrahedron
};

inline Local local_tables(const TetMesh& m) {
  std::map<std::pair<int, int>, std::uint32_t> last;
  for (std::size_t c = 0; c < m.ne; ++c) last[{int(m.Edges[2 * c]), int(m.Edges[2 * c + 1])}] = c;
  static const int ea[6] = {0, 0, 0, 1, 1, 2}, eb[6] = {1, 2, 3, 2, 3, 3};
  Local l;
  l.b.resize(18 * m.nt);
  for (std::size_t t = 0; t < m.nt; ++t) {
    const double* v = &m.T[4 * t];
    for (int k = 0; k < 6; ++k) l.cols.push_back(last.at({int(v[ea[k]]), int(v[eb[k]])}));
    const double* p[4];
    for (int i = 0; i < 4; ++i) p[i] = &m.P[3 * (std::size_t(v[i]) - 1)];
    mom::basis::local_edge_vectors(p[0], p[1], p[2], p[3], &l.b[18 * t]);
  }
  return l;
}

inline std::vector<std::int32_t> edge_vertices(const TetMesh& m) {
  std::vector<std::int32_t> ev(2 * m.ne);
  for (std::size_t i = 0; i < 2 * m.ne; ++i) ev[i] = std::int32_t(m.Edges[i]) - 1;
  return ev;
}

// The threshold rule on the LU factors of the Gram matrix: entries accumulated from dot
// products rounded to single precision, row-pivoted LU, edge k dependent when
// |U_kk| < 1e-4 · mean |U_jj|. `margin` receives min over all k of max(τ/|U_kk|, |U_kk|/τ).
inline Flags lu_rule(const TetMesh& m, double* margin = nullptr) {
  const Local l = local_tables(m);
  const std::size_t n = m.ne;
  std::vector<double> g(n * n, 0.0);
  for (std::size_t t = 0; t < m.nt; ++t)
    for (int i = 0; i < 6; ++i)
      for (int j = 0; j < 6; ++j) {
        const double* bi = &l.b[18 * t + 3 * i];
        const double* bj = &l.b[18 * t + 3 * j];
        const float d = float(bi[0] * bj[0] + bi[1] * bj[1] + bi[2] * bj[2]);
        g[l.cols[6 * t + j] + n * l.cols[6 * t + i]] += double(d);
      }
  const mom::lapack_int ni = mom::lapack_int(n);
  std::vector<mom::lapack_int> piv(n);
  mom::lapack_int info = 0;
  dgetrf_(&ni, &ni, g.data(), &ni, piv.data(), &info);
  double s = 0;
  for (std::size_t k = 0; k < n; ++k) s += std::fabs(g[k + n * k]);
  const double tau = 1e-4 * s / double(n);
  Flags kept(n);
  double worst = INFINITY;
  for (std::size_t k = 0; k < n; ++k) {
    const double u = std::fabs(g[k + n * k]);
    kept[k] = u >= tau;
    worst = std::min(worst, u == 0 ? INFINITY : std::max(u / tau, tau / u));
  }
  if (margin) *margin = worst;
  return kept;
}

}  // namespace fixtures
