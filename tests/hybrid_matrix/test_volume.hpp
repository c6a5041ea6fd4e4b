// Test volume meshes (tetrahedra cut from cubes, their faces, packed function slots with random
// current vectors and face coefficients) and a reference assembly of the volume–volume and
// volume–surface entries written from the closing formulas with std::complex:
//
//   Z(a, b) = Σ_t q_t·V_t·(n_t,a · b_t,b) + C_A·Σ_(t,u) κ_t·κ_u·V_t·V_u·(b_t,a · b_u,b)·G_tu
//             − C_phi·Σ_(f,g) D_f,a·D_g,b·G_fg                              (a ≥ b, n of b)
//   Z(a, e) = Σ_halves ±L_e·[Σ_t h_t·⟨b_t,a · ρ⟩G_tr,t + Σ_f C_phi·D_f,a·G_tr,f]
//
// summed over ordered element pairs, with q_t = κ_t/(Epsilon_r·(1 − j·tan_delta)),
// h_t = C_A·½·V_t·κ_t, G the centre kernel (0 for centroids closer than 1e-8) for pairs that
// are not listed and, per listing, the point quadrature of the smoothed kernel plus the static
// value in place of it.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "records.hpp"
#include "test_mesh.hpp"

namespace testvol {

using cd = std::complex<double>;
using mom::hybrid::Table;
using testmesh::dist;
using testmesh::dot;

struct Volume {
  std::vector<double> nodes;                // 3 per node
  std::vector<std::array<int, 4>> tets;     // 0-based nodes
  std::vector<std::array<int, 3>> faces;    // nontrivial faces, 0-based nodes
  std::size_t nv = 0;                       // volume unknowns
  std::vector<double> edges_tn, edges_tni;  // 6 per tetrahedron (1-based), counts
  std::vector<double> basis, basis_n;       // 18 per tetrahedron
  std::vector<double> volume, center_t, contrast_re, contrast_im;
  std::vector<double> edges_fn, edges_fni;  // 6 per face (1-based), counts
  std::vector<double> diff_re, diff_im;     // 6 per face
  std::vector<double> center_f, points_t, wt, points_f, wf;
  std::vector<double> eps_r, tan_d;
  std::vector<double> tt_is, tt_js, tt_ss, ff_is, ff_js, ff_ss;
  std::vector<double> tf_is, tf_js, tf_ss, Tt_is, Tt_js, Tt_rs;

  std::size_t nt() const { return tets.size(); }
  std::size_t nf() const { return faces.size(); }
  const double* node(int i) const { return &nodes[3 * i]; }

  mom::hybrid::VolumeRecord record(bool coupling = true) const {
    mom::hybrid::VolumeRecord r;
    r.TetrahedraTotal = nt();
    r.EdgesTotal = nv;
    r.FacesNontrivial = nf();
    r.OrderT = wt.size();
    r.OrderF = wf.size();
    r.EdgesTN = {edges_tn.data(), 6, nt()};
    r.EdgesTNI = row(edges_tni);
    r.BasisTC = {basis.data(), 3, 6 * nt()};
    r.BasisTCn = {basis_n.data(), 18, nt()};
    r.VolumeT = row(volume);
    r.CenterT = vectors(center_t);
    r.Contrast_real = row(contrast_re);
    r.Contrast_imag = row(contrast_im);
    r.EdgesFN = {edges_fn.data(), 6, nf()};
    r.EdgesFNI = row(edges_fni);
    r.DiffContrast_real = {diff_re.data(), 6, nf()};
    r.DiffContrast_imag = {diff_im.data(), 6, nf()};
    r.CenterF = vectors(center_f);
    r.PointsT = vectors(points_t);
    r.WT = row(wt);
    r.PointsF = vectors(points_f);
    r.WF = row(wf);
    r.TTIS = row(tt_is);
    r.TTJS = row(tt_js);
    r.TTSS = row(tt_ss);
    r.FFIS = row(ff_is);
    r.FFJS = row(ff_js);
    r.FFSS = row(ff_ss);
    r.has_coupling = coupling;
    r.tFIS = row(tf_is);
    r.tFJS = row(tf_js);
    r.tFSS = row(tf_ss);
    r.TtIS = row(Tt_is);
    r.TtJS = row(Tt_js);
    r.TtRS = {Tt_rs.data(), 9, Tt_rs.size() / 9};
    return r;
  }
  mom::hybrid::ConstantsRecord constants(const testmesh::Frequency& f) const {
    return {f.epsilon, f.mu, f.c, row(eps_r), row(tan_d)};
  }
  static Table row(const std::vector<double>& v) { return {v.data(), 1, v.size()}; }
  static Table vectors(const std::vector<double>& v) { return {v.data(), 3, v.size() / 3}; }

  void add_tt(std::size_t i, std::size_t j, double ss) {
    tt_is.push_back(i), tt_js.push_back(j), tt_ss.push_back(ss);
  }
  void add_ff(std::size_t i, std::size_t j, double ss) {
    ff_is.push_back(i), ff_js.push_back(j), ff_ss.push_back(ss);
  }
  void add_tf(std::size_t tr, std::size_t f, double ss) {
    tf_is.push_back(tr), tf_js.push_back(f), tf_ss.push_back(ss);
  }
  void add_Tt(std::size_t tr, std::size_t t, std::mt19937& gen) {
    std::uniform_real_distribution<double> u(-1, 1);
    Tt_is.push_back(tr), Tt_js.push_back(t);
    for (int q = 0; q < 9; ++q) Tt_rs.push_back(u(gen));
  }
};

// Geometry and random data of the tetrahedra and faces already placed in v.nodes, v.tets and
// v.faces. `functions[t]` lists the 1-based unknowns of tetrahedron t in slot order (at most 6);
// face f carries the functions of `face_functions[f]`. Current vectors, companions, contrasts,
// face coefficients and materials are random; quadrature: 4 points per tetrahedron, 3 per face,
// weights summing to 1.
inline void finish(Volume& v, const std::vector<std::vector<int>>& functions,
                   const std::vector<std::vector<int>>& face_functions, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1, 1), pos(0.5, 2.0), small(0, 0.3);
  std::set<int> all;
  const std::size_t nt = v.nt(), nf = v.nf();
  v.edges_tn.assign(6 * nt, 0);
  v.edges_tni.assign(nt, 0);
  v.basis.assign(18 * nt, 0);
  v.basis_n.assign(18 * nt, 0);
  for (std::size_t t = 0; t < nt; ++t) {
    v.edges_tni[t] = functions[t].size();
    for (std::size_t k = 0; k < functions[t].size(); ++k) {
      v.edges_tn[6 * t + k] = functions[t][k];
      all.insert(functions[t][k]);
    }
    for (std::size_t q = 0; q < 3 * functions[t].size(); ++q) {
      v.basis[18 * t + q] = u(gen);
      v.basis_n[18 * t + q] = u(gen);
    }
    for (std::size_t q = 3 * functions[t].size(); q < 18; ++q) {
      v.basis[18 * t + q] = 1e300;  // unused slots must never be read
      v.basis_n[18 * t + q] = 1e300;
    }
    const double* p[4] = {v.node(v.tets[t][0]), v.node(v.tets[t][1]), v.node(v.tets[t][2]),
                          v.node(v.tets[t][3])};
    double e[3][3];
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d) e[k][d] = p[k + 1][d] - p[0][d];
    const double det = e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
                       e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
                       e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
    v.volume.push_back(std::abs(det) / 6);
    for (int d = 0; d < 3; ++d) v.center_t.push_back((p[0][d] + p[1][d] + p[2][d] + p[3][d]) / 4);
    const double a = 0.5854101966249685, b = 0.1381966011250105;
    for (int q = 0; q < 4; ++q)
      for (int d = 0; d < 3; ++d) {
        double x = 0;
        for (int k = 0; k < 4; ++k) x += (k == q ? a : b) * p[k][d];
        v.points_t.push_back(x);
      }
    v.contrast_re.push_back(u(gen));
    v.contrast_im.push_back(-small(gen));
    v.eps_r.push_back(1 + 4 * small(gen) + pos(gen));
    v.tan_d.push_back(small(gen));
  }
  v.wt.assign(4, 0.25);
  v.edges_fn.assign(6 * nf, 0);
  v.edges_fni.assign(nf, 0);
  v.diff_re.assign(6 * nf, 1e300);
  v.diff_im.assign(6 * nf, 1e300);
  for (std::size_t f = 0; f < nf; ++f) {
    v.edges_fni[f] = face_functions[f].size();
    for (std::size_t k = 0; k < face_functions[f].size(); ++k) {
      v.edges_fn[6 * f + k] = face_functions[f][k];
      v.diff_re[6 * f + k] = u(gen);
      v.diff_im[6 * f + k] = u(gen);
      all.insert(face_functions[f][k]);
    }
    const double* p[3] = {v.node(v.faces[f][0]), v.node(v.faces[f][1]), v.node(v.faces[f][2])};
    for (int d = 0; d < 3; ++d) v.center_f.push_back((p[0][d] + p[1][d] + p[2][d]) / 3);
    for (int q = 0; q < 3; ++q)
      for (int d = 0; d < 3; ++d)
        v.points_f.push_back((q == 0 ? 2. / 3 : 1. / 6) * p[0][d] +
                             (q == 1 ? 2. / 3 : 1. / 6) * p[1][d] +
                             (q == 2 ? 2. / 3 : 1. / 6) * p[2][d]);
  }
  v.wf.assign(3, 1.0 / 3);
  v.nv = all.empty() ? 0 : static_cast<std::size_t>(*all.rbegin());
}

// The six tetrahedra of the unit cube at `origin` (scaled by h) along its main diagonal.
inline void add_cube(Volume& v, const double origin[3], double h) {
  const int base = static_cast<int>(v.nodes.size() / 3);
  for (int k = 0; k < 8; ++k) {
    v.nodes.push_back(origin[0] + h * (k & 1));
    v.nodes.push_back(origin[1] + h * ((k >> 1) & 1));
    v.nodes.push_back(origin[2] + h * ((k >> 2) & 1));
  }
  const int paths[6][2] = {{1, 2}, {1, 4}, {2, 1}, {2, 4}, {4, 1}, {4, 2}};
  for (const auto& p : paths) {
    const int a = p[0], b = a | p[1];
    v.tets.push_back({base, base + a, base + b, base + 7});
  }
}

// ---- Reference assembly --------------------------------------------------------------------

inline cd C_A(const testmesh::Frequency& f) { return -f.mu * f.omega() * f.omega() / (4 * M_PI); }
inline double C_phi(const testmesh::Frequency& f) { return -1 / (4 * M_PI * f.epsilon); }

// e^(−jkR)/R with the cubic damping; 0 for points closer than 1e-8.
inline cd centre(const double* p, const double* q, cd k) {
  const double R = dist(p, q);
  return R < 1e-8 ? cd(0) : testmesh::damped_wave(R, k) / R;
}
// (e^(−jkR) − 1)/R, −jk at R = 0.
inline cd smooth(double R, cd k) {
  return R == 0 ? cd(0, -1) * k : (testmesh::damped_wave(R, k) - 1.0) / R;
}
inline cd pair_sum(const double* p1, std::size_t n1, const double* w1, const double* p2,
                   std::size_t n2, const double* w2, cd k) {
  cd s = 0;
  for (std::size_t a = 0; a < n1; ++a)
    for (std::size_t b = 0; b < n2; ++b)
      s += w1[a] * w2[b] * smooth(dist(p1 + 3 * a, p2 + 3 * b), k);
  return s;
}

// The listings of every unordered element pair: list positions by (smaller, larger) element.
using Listings = std::map<std::pair<std::size_t, std::size_t>, std::vector<std::size_t>>;
inline Listings listings(const std::vector<double>& is, const std::vector<double>& js) {
  Listings l;
  for (std::size_t e = 0; e < is.size(); ++e) {
    const std::size_t I = is[e], J = js[e];
    l[{std::min(I, J), std::max(I, J)}].push_back(e);
  }
  return l;
}

// G between elements i and j (ordered): the centre kernel unless i = j, replaced by each
// listing of the pair (in either order) with the quadrature plus its static value.
inline cd element_kernel(std::size_t i, std::size_t j, const std::vector<double>& centres,
                         const std::vector<double>& points, const std::vector<double>& w,
                         const std::vector<double>& is, const std::vector<double>& js,
                         const std::vector<double>& ss, const Listings& listed, cd k) {
  const cd c = i == j ? cd(0) : centre(&centres[3 * i], &centres[3 * j], k);
  cd g = c;
  const std::size_t q = w.size();
  const auto found = listed.find({std::min(i, j), std::max(i, j)});
  if (found == listed.end()) return g;
  for (const std::size_t e : found->second) {
    const std::size_t I = is[e], J = js[e];
    g += pair_sum(&points[3 * q * I], q, w.data(), &points[3 * q * J], q, w.data(), k) + ss[e] - c;
  }
  return g;
}

// Adds the volume–volume entries (lower triangle, volume unknowns from row/column ns) into the
// full n × n column-major matrix z.
inline void add_volume_reference(const Volume& v, const testmesh::Frequency& f, std::size_t ns,
                                 std::size_t n, std::vector<cd>& z) {
  const cd k = f.k();
  const Listings tt = listings(v.tt_is, v.tt_js), ff = listings(v.ff_is, v.ff_js);
  auto add = [&](int a, int b, cd value) {  // 1-based unknowns, a ≥ b
    z[(ns + a - 1) + n * (ns + b - 1)] += value;
  };
  for (std::size_t t = 0; t < v.nt(); ++t) {
    const cd eps = v.eps_r[t] * cd(1, -v.tan_d[t]);
    const cd kt(v.contrast_re[t], v.contrast_im[t]);
    for (int i = 0; i < v.edges_tni[t]; ++i)
      for (int l = 0; l < v.edges_tni[t]; ++l) {
        const int a = v.edges_tn[6 * t + i], b = v.edges_tn[6 * t + l];
        if (a >= b)  // the companion of the smaller number, the current vector of the larger
          add(a, b,
              kt / eps * v.volume[t] * dot(&v.basis_n[18 * t + 3 * l], &v.basis[18 * t + 3 * i]));
      }
    for (std::size_t u = 0; u < v.nt(); ++u) {
      const cd ku(v.contrast_re[u], v.contrast_im[u]);
      const cd G =
          element_kernel(t, u, v.center_t, v.points_t, v.wt, v.tt_is, v.tt_js, v.tt_ss, tt, k);
      for (int i = 0; i < v.edges_tni[t]; ++i)
        for (int l = 0; l < v.edges_tni[u]; ++l) {
          const int a = v.edges_tn[6 * t + i], b = v.edges_tn[6 * u + l];
          if (a >= b)
            add(a, b,
                C_A(f) * kt * ku * v.volume[t] * v.volume[u] *
                    dot(&v.basis[18 * t + 3 * i], &v.basis[18 * u + 3 * l]) * G);
        }
    }
  }
  for (std::size_t p = 0; p < v.nf(); ++p)
    for (std::size_t q = 0; q < v.nf(); ++q) {
      const cd G =
          element_kernel(p, q, v.center_f, v.points_f, v.wf, v.ff_is, v.ff_js, v.ff_ss, ff, k);
      for (int i = 0; i < v.edges_fni[p]; ++i)
        for (int l = 0; l < v.edges_fni[q]; ++l) {
          const int a = v.edges_fn[6 * p + i], b = v.edges_fn[6 * q + l];
          if (a >= b)
            add(a, b,
                -C_phi(f) * cd(v.diff_re[6 * p + i], v.diff_im[6 * p + i]) *
                    cd(v.diff_re[6 * q + l], v.diff_im[6 * q + l]) * G);
        }
    }
}

// Adds the coupling entries Z(ns + a, e) of the surface s and volume v into z.
inline void add_coupling_reference(const testmesh::Surface& s, const Volume& v,
                                   const testmesh::Frequency& f, std::size_t n,
                                   std::vector<cd>& z) {
  const cd k = f.k();
  const std::size_t qm = s.qm, qt = v.wt.size(), qf = v.wf.size();
  for (std::size_t e = 0; e < s.ns; ++e)
    for (int half = 0; half < 2; ++half) {
      const std::size_t tr = static_cast<std::size_t>(half ? s.tri_m[e] : s.tri_p[e]) - 1;
      const int m = static_cast<int>(half ? s.ver_m[e] : s.ver_p[e]) - 1;
      const double sign = half ? -1.0 : 1.0;
      const double* rho_c = &s.centroid_rho[3 * (3 * tr + m)];
      for (std::size_t t = 0; t < v.nt(); ++t) {
        const cd h = C_A(f) * 0.5 * v.volume[t] * cd(v.contrast_re[t], v.contrast_im[t]);
        const cd gc = centre(&s.centroid[3 * tr], &v.center_t[3 * t], k);
        for (int i = 0; i < v.edges_tni[t]; ++i) {
          const double* b = &v.basis[18 * t + 3 * i];
          cd G = dot(b, rho_c) * gc;
          for (std::size_t x = 0; x < v.Tt_is.size(); ++x) {
            if (v.Tt_is[x] != tr || v.Tt_js[x] != t) continue;
            cd q = 0;
            for (std::size_t A = 0; A < qm; ++A)
              for (std::size_t p = 0; p < qt; ++p)
                q += s.weights[A] * v.wt[p] * dot(&s.point_rho[3 * ((3 * tr + m) * qm + A)], b) *
                     smooth(dist(&s.points[3 * (qm * tr + A)], &v.points_t[3 * (qt * t + p)]), k);
            G += q + dot(b, &v.Tt_rs[9 * x + 3 * m]) - dot(b, rho_c) * gc;
          }
          z[(s.ns + v.edges_tn[6 * t + i] - 1) + n * e] += sign * s.length[e] * h * G;
        }
      }
      for (std::size_t p = 0; p < v.nf(); ++p) {
        const cd gc = centre(&s.centroid[3 * tr], &v.center_f[3 * p], k);
        cd G = gc;
        for (std::size_t x = 0; x < v.tf_is.size(); ++x) {
          if (v.tf_is[x] != tr || v.tf_js[x] != p) continue;
          G += pair_sum(&s.points[3 * qm * tr], qm, s.weights.data(), &v.points_f[3 * qf * p], qf,
                        v.wf.data(), k) +
               v.tf_ss[x] - gc;
        }
        for (int i = 0; i < v.edges_fni[p]; ++i)
          z[(s.ns + v.edges_fn[6 * p + i] - 1) + n * e] +=
              sign * s.length[e] * C_phi(f) * cd(v.diff_re[6 * p + i], v.diff_im[6 * p + i]) * G;
      }
    }
}

}  // namespace testvol
