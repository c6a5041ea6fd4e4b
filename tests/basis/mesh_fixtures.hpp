// Small tetrahedral meshes for the tests and benchmarks of the basis builder, with the tables
// the builder reads (1-based doubles, column-major): P, T, Faces, Edges, TET.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "basis_core.hpp"

namespace fixtures {

struct TetMesh {
  std::vector<double> P;                 // 3 × np
  std::vector<std::array<int, 4>> tets;  // 0-based vertex numbers, local order as listed
  std::vector<double> T, Faces, Edges, TET;
  std::size_t np = 0, nt = 0, nf = 0, ne = 0;

  mom::basis::Mesh view() const {
    return {P.data(), np, T.data(), nt, Faces.data(), nf, Edges.data(), ne, TET.data()};
  }
};

// Fills T, Faces, Edges and TET from P and tets. Edges are the ordered pairs (A, B) of the
// local edges as listed (ascending pairs when every tetrahedron lists its vertices ascending),
// sorted; Faces are the distinct vertex triples, ascending; TET the tetrahedra on their sides.
inline void derive_tables(TetMesh& m) {
  m.np = m.P.size() / 3;
  m.nt = m.tets.size();
  m.T.clear();
  std::map<std::pair<int, int>, int> edges;
  std::map<std::array<int, 3>, std::array<int, 2>> faces;
  static const int ea[6] = {0, 0, 0, 1, 1, 2}, eb[6] = {1, 2, 3, 2, 3, 3};
  for (std::size_t t = 0; t < m.nt; ++t) {
    const auto& v = m.tets[t];
    for (int i = 0; i < 4; ++i) m.T.push_back(v[i] + 1);
    for (int k = 0; k < 6; ++k) edges[{v[ea[k]], v[eb[k]]}] = 0;
    for (int skip = 0; skip < 4; ++skip) {
      std::array<int, 3> f;
      for (int i = 0, j = 0; i < 4; ++i)
        if (i != skip) f[j++] = v[i];
      std::sort(f.begin(), f.end());
      auto it = faces.find(f);
      if (it == faces.end())
        faces[f] = {int(t) + 1, 0};
      else
        it->second[1] = int(t) + 1;
    }
  }
  m.Edges.clear();
  for (const auto& [e, unused] : edges) {
    m.Edges.push_back(e.first + 1);
    m.Edges.push_back(e.second + 1);
  }
  m.ne = edges.size();
  m.Faces.clear();
  m.TET.clear();
  for (const auto& [f, sides] : faces) {
    for (int i = 0; i < 3; ++i) m.Faces.push_back(f[i] + 1);
    m.TET.push_back(sides[0]);
    m.TET.push_back(sides[1]);
  }
  m.nf = faces.size();
}

// The box grid with the given node coordinates along x, y and z, each cell split into the six
// tetrahedra of the path construction (x, then y, then z in every order), which match across
// cell faces. Vertex numbers grow with x fastest. `keep(i, j, k)` selects the cells meshed
// (all by default); vertices of no kept cell stay in P, unused.
template <class Keep>
TetMesh box_grid(const std::vector<double>& xs, const std::vector<double>& ys,
                 const std::vector<double>& zs, Keep keep) {
  TetMesh m;
  const int nx = int(xs.size()), ny = int(ys.size()), nz = int(zs.size());
  auto id = [&](int i, int j, int k) { return i + nx * (j + ny * k); };
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) m.P.insert(m.P.end(), {xs[i], ys[j], zs[k]});
  static const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int k = 0; k + 1 < nz; ++k)
    for (int j = 0; j + 1 < ny; ++j)
      for (int i = 0; i + 1 < nx; ++i) {
        if (!keep(i, j, k)) continue;
        for (const auto& p : perms) {
          int c[3] = {i, j, k};
          std::array<int, 4> v;
          v[0] = id(c[0], c[1], c[2]);
          for (int s = 0; s < 3; ++s) {
            ++c[p[s]];
            v[s + 1] = id(c[0], c[1], c[2]);
          }
          std::sort(v.begin(), v.end());
          m.tets.push_back(v);
        }
      }
  derive_tables(m);
  return m;
}

inline TetMesh box_grid(const std::vector<double>& xs, const std::vector<double>& ys,
                        const std::vector<double>& zs) {
  return box_grid(xs, ys, zs, [](int, int, int) { return true; });
}

inline std::vector<double> uniform_nodes(int cells, double length = 1.0) {
  std::vector<double> x(cells + 1);
  for (int i = 0; i <= cells; ++i) x[i] = length * i / cells;
  return x;
}

// Moves every vertex by up to `amplitude` in each coordinate (uniform random).
inline void jitter(TetMesh& m, double amplitude, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-amplitude, amplitude);
  for (double& x : m.P) x += u(gen);
}

// A solid ring (a solid torus): n cells around, one cell across, the box grid bent round the
// z axis with its last layer of vertices identified with its first.
inline TetMesh solid_ring(int n, double radius = 3.0, double half_width = 0.5) {
  TetMesh m;
  auto id = [&](int a, int j, int k) { return (a % n) + n * (j + 2 * k); };
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int a = 0; a < n; ++a) {
        const double phi = 2 * M_PI * a / n, r = radius + (j ? half_width : -half_width);
        m.P.insert(m.P.end(), {r * std::cos(phi), r * std::sin(phi), k ? half_width : -half_width});
      }
  static const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int a = 0; a < n; ++a)
    for (const auto& p : perms) {
      int c[3] = {a, 0, 0};
      std::array<int, 4> v;
      v[0] = id(c[0], c[1], c[2]);
      for (int s = 0; s < 3; ++s) {
        ++c[p[s]];
        v[s + 1] = id(c[0], c[1], c[2]);
      }
      std::sort(v.begin(), v.end());
      m.tets.push_back(v);
    }
  derive_tables(m);
  return m;
}

// Two meshes side by side as one (the second shifted by `dx` along x).
inline TetMesh disjoint_union(const TetMesh& a, const TetMesh& b, double dx) {
  TetMesh m;
  m.P = a.P;
  for (std::size_t i = 0; i < b.P.size(); ++i) m.P.push_back(b.P[i] + (i % 3 == 0 ? dx : 0.0));
  m.tets = a.tets;
  const int off = int(a.P.size() / 3);
  for (auto v : b.tets) {
    for (int& x : v) x += off;
    m.tets.push_back(v);
  }
  derive_tables(m);
  return m;
}

// Permutes the columns of Edges at random (the tetrahedra find their edges wherever they are).
inline void shuffle_edges(TetMesh& m, unsigned seed) {
  std::vector<std::size_t> order(m.ne);
  for (std::size_t i = 0; i < m.ne; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(seed));
  std::vector<double> e(2 * m.ne);
  for (std::size_t i = 0; i < m.ne; ++i) {
    e[2 * i] = m.Edges[2 * order[i]];
    e[2 * i + 1] = m.Edges[2 * order[i] + 1];
  }
  m.Edges = e;
}

// All materials equal: Epsilon_r = 4, lossless, in a background of 1.
struct UniformMaterial {
  std::vector<double> eps_r, tan_d;
  explicit UniformMaterial(std::size_t nt) : eps_r(nt, 4.0), tan_d(nt, 0.0) {}
  mom::basis::Materials view() const { return {1.0, eps_r.data(), tan_d.data()}; }
};

}  // namespace fixtures
