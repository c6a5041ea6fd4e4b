#include <algorithm>
#include <cmath>
#include <vector>

#include "block_arith.hpp"
#include "interrupt.hpp"
#include "kernel_sums.hpp"
#include "memory.hpp"
#include "volume_block.hpp"

namespace mom::hybrid {

namespace {

// Values of one triangle–tetrahedron pair, indexed 3i + m by the tetrahedron's function i and
// the triangle's slot m: six functions times three slots.
struct SlotValues {
  double re[3 * kSlots];
  double im[3 * kSlots];
};

// Scatters the values of triangle tr into the coupling entries Z(ns + a, e) of the edges of tr:
// +L_e·y for the edges whose plus triangle tr is, −L_e·y for those whose minus triangle it is.
// `value(i, slot)` gives y for function i of the element (the slot picks the edge's rho
// vector; face values ignore it). Plus list first, edge by edge, all functions in order.
class Scatter {
 public:
  Scatter(cplx* z, std::size_t n, const SurfaceMesh& s) : z_(z), n_(n), s_(s) {}

  bool has_edges(std::size_t tr) const {
    const TriangleEdges& l = s_.lists;
    return l.plus_start[tr + 1] != l.plus_start[tr] || l.minus_start[tr + 1] != l.minus_start[tr];
  }

  template <class Value>
  void operator()(std::size_t tr, const std::int64_t* unknown, int count,
                  const Value& value) const {
    const TriangleEdges& l = s_.lists;
    for (std::size_t x = l.plus_start[tr]; x < l.plus_start[tr + 1]; ++x) {
      const std::size_t e = l.plus_edges[x];
      const double L = s_.edge_length[e];
      const int slot = static_cast<int>(s_.slot_p[e]);
      cplx* column = z_ + n_ * e + s_.Ns;
      for (int i = 0; i < count; ++i) column[unknown[i]] += L * value(i, slot);
    }
    for (std::size_t x = l.minus_start[tr]; x < l.minus_start[tr + 1]; ++x) {
      const std::size_t e = l.minus_edges[x];
      const double L = s_.edge_length[e];
      const int slot = static_cast<int>(s_.slot_m[e]);
      cplx* column = z_ + n_ * e + s_.Ns;
      for (int i = 0; i < count; ++i) column[unknown[i]] -= L * value(i, slot);
    }
  }

 private:
  cplx* z_;
  std::size_t n_;
  const SurfaceMesh& s_;
};

// Centre values of triangle tr and tetrahedron t with the centre kernel γ between their
// centroids: u[3i + m] = (b_t,i · ρ_tr,m)·γ.
void centre_values(const SurfaceMesh& s, const VolumeMesh& v, std::size_t tr, std::size_t t,
                   cplx gamma, SlotValues& u) {
  const double* rho = s.centroid_rho + 9 * tr;
  const double* b = v.basis + 18 * t;
  for (int i = 0; i < v.tet_count[t]; ++i) {
    for (int m = 0; m < 3; ++m) {
      const double d = dot3(b + 3 * i, rho + 3 * m);
      u.re[3 * i + m] = d * gamma.real();
      u.im[3 * i + m] = d * gamma.imag();
    }
  }
}

// The centre kernel between the centroids of triangle tr and element e (centroids c). The same
// zero rule as for the face-based centre values applies to the tetrahedra too (γ = 0 for
// centroids closer than 1e-8), so a tetrahedron whose centroid coincides with a triangle
// centroid adds nothing instead of an infinite value.
cplx centre(const SurfaceMesh& s, std::size_t tr, const double* c, std::size_t e,
            const Coefficients& f) {
  double gr, gi;
  centreKernel(distance2(s.centroid + 3 * tr, c + 3 * e), f.k_re, f.k_im, &gr, &gi);
  return cplx(gr, gi);
}

// h_t·q for every function and slot of tetrahedron t, scattered into the edges of tr.
void scatter_current(const Scatter& scatter, const VolumeMesh& v, std::size_t tr, std::size_t t,
                     cplx h, const SlotValues& q) {
  SlotValues y;
  for (int k = 0; k < 3 * v.tet_count[t]; ++k) {
    const cplx p = mul(h, cplx(q.re[k], q.im[k]));
    y.re[k] = p.real();
    y.im[k] = p.imag();
  }
  scatter(tr, &v.tet_unknown[kSlots * t], v.tet_count[t],
          [&y](int i, int m) { return cplx(y.re[3 * i + m], y.im[3 * i + m]); });
}

// h_t = C_A·(½·V_t·κ_t) for every tetrahedron.
std::vector<cplx> current_factors(const VolumeMesh& v, const Coefficients& f) {
  std::vector<cplx> h = make_buffer<cplx>(v.Nt, "the coupling factors");
  for (std::size_t t = 0; t < v.Nt; ++t) {
    const double a = 0.5 * v.volume[t] * v.contrast_re[t];
    const double b = 0.5 * v.volume[t] * v.contrast_im[t];
    h[t] = cplx(a * f.C_A.real() - b * f.C_A.imag(), a * f.C_A.imag() + b * f.C_A.real());
  }
  return h;
}

// Current coupling of every triangle with every tetrahedron at the centroids; per triangle a
// distance pass over all tetrahedra first, then one cosine and one sine per pair.
void current_centres(const Scatter& scatter, const SurfaceMesh& s, const VolumeMesh& v,
                     const std::vector<cplx>& h, const Coefficients& f) {
  SweepDistances distances(v.Nt, "the current coupling");
  SlotValues u;
  for (std::size_t tr = 0; tr < s.Tr; ++tr) {
    poll_interrupt();
    if (!scatter.has_edges(tr)) continue;
    distances.from(s.centroid + 3 * tr, v.center_t, 0, v.Nt, f.k_re, f.k_im);
    for (std::size_t t = 0; t < v.Nt; ++t) {
      if (v.tet_count[t] == 0 || distances.coinciding(t)) continue;
      centre_values(s, v, tr, t, distances.kernel(t), u);
      scatter_current(scatter, v, tr, t, h[t], u);
    }
  }
}

// Listed triangle–tetrahedron pairs: quadrature of the smoothed kernel over the triangle's and
// the tetrahedron's points (the triangle's rho vectors against the constant current vectors),
// plus the static values b_t,i · r_m, minus the centre values added before.
void current_near(const Scatter& scatter, const SurfaceMesh& s, const VolumeMesh& v,
                  const std::vector<cplx>& h, const Coefficients& f) {
  const std::size_t grid = checked_mul(v.QT, s.QM, "the triangle-tetrahedron scratch");
  std::vector<double> scratch_re = make_buffer<double>(grid, "the triangle-tetrahedron scratch");
  std::vector<double> scratch_im = make_buffer<double>(grid, "the triangle-tetrahedron scratch");
  SlotValues q;
  SlotValues u;
  for (std::size_t k = 0; k < v.K_Tt; ++k) {
    const std::size_t tr = static_cast<std::size_t>(v.Tt_tri[k]);
    const std::size_t t = static_cast<std::size_t>(v.Tt_tet[k]);
    const int count = v.tet_count[t];
    const double* b = v.basis + 18 * t;
    double sr, si;
    smoothMixedSums(s.points + 3 * s.QM * tr, s.QM, s.weights, 3, s.point_rho + 9 * s.QM * tr,
                    v.points_t + 3 * v.QT * t, v.QT, v.weights_t, count, b, f.k_re, f.k_im, &sr,
                    &si, q.re, q.im, scratch_re.data(), scratch_im.data());
    const double* rs = v.Tt_rs + 9 * k;
    for (int i = 0; i < count; ++i)
      for (int m = 0; m < 3; ++m) q.re[3 * i + m] += dot3(b + 3 * i, rs + 3 * m);
    centre_values(s, v, tr, t, centre(s, tr, v.center_t, t, f), u);
    for (int x = 0; x < 3 * count; ++x) {
      q.re[x] -= u.re[x];
      q.im[x] -= u.im[x];
    }
    scatter_current(scatter, v, tr, t, h[t], q);
  }
}

// (C_phi·g)·D_f,i for every function of face f, scattered into the edges of tr.
void scatter_charge(const Scatter& scatter, const VolumeMesh& v, std::size_t tr, std::size_t fc,
                    cplx g, const Coefficients& f) {
  const cplx cg = mul(f.C_phi, g);
  const double* dr = v.diff_re + kSlots * fc;
  const double* di = v.diff_im + kSlots * fc;
  scatter(tr, &v.face_unknown[kSlots * fc], v.face_count[fc],
          [&](int i, int) { return mul(cg, cplx(dr[i], di[i])); });
}

// Charge coupling of every triangle with every face at the centroids, with a distance pass
// per triangle as for the tetrahedra.
void charge_centres(const Scatter& scatter, const SurfaceMesh& s, const VolumeMesh& v,
                    const Coefficients& f) {
  SweepDistances distances(v.F, "the charge coupling");
  for (std::size_t tr = 0; tr < s.Tr; ++tr) {
    poll_interrupt();
    if (!scatter.has_edges(tr)) continue;
    distances.from(s.centroid + 3 * tr, v.center_f, 0, v.F, f.k_re, f.k_im);
    for (std::size_t fc = 0; fc < v.F; ++fc) {
      if (v.face_count[fc] == 0 || distances.coinciding(fc)) continue;
      scatter_charge(scatter, v, tr, fc, distances.kernel(fc), f);
    }
  }
}

// Listed triangle–face pairs: pair sum plus static value minus the centre value (a triangle and
// a face are never the same element, so the subtraction is always made).
void charge_near(const Scatter& scatter, const SurfaceMesh& s, const VolumeMesh& v,
                 const Coefficients& f) {
  for (std::size_t k = 0; k < v.K_tF; ++k) {
    const std::size_t tr = static_cast<std::size_t>(v.tF_tri[k]);
    const std::size_t fc = static_cast<std::size_t>(v.tF_face[k]);
    double sr, si;
    smoothScalarSum(s.points + 3 * s.QM * tr, s.QM, s.weights, v.points_f + 3 * v.QF * fc, v.QF,
                    v.weights_f, f.k_re, f.k_im, &sr, &si);
    const cplx g = cplx(sr + v.tF_ss[k], si) - centre(s, tr, v.center_f, fc, f);
    scatter_charge(scatter, v, tr, fc, g, f);
  }
}

// Far pairs of the coupling blocks (volume_far_factor > 0): every (triangle, element) pair that
// is not listed and lies within the factor, |c_tr − c_e|² < factor·r_tr·r_e (r_tr: largest
// centroid-to-vertex distance, r_e: largest centroid-to-quadrature-point distance), visited
// triangle by triangle with the listed partners of the triangle marked. visit(tr, e) does the
// pair.
template <class Visit>
void far_coupling_pairs(const SurfaceMesh& s, std::size_t count, const double* centres,
                        const double* points, std::size_t q, const std::vector<std::int64_t>& tri,
                        const std::vector<std::int64_t>& element, std::size_t K, double factor,
                        const Visit& visit) {
  const char* what = "the far-pair quadrature";
  std::vector<std::size_t> start = make_buffer<std::size_t>(s.Tr + 1, what);
  for (std::size_t k = 0; k < K; ++k) ++start[static_cast<std::size_t>(tri[k]) + 1];
  for (std::size_t t = 0; t < s.Tr; ++t) start[t + 1] += start[t];
  std::vector<std::size_t> partner = make_buffer<std::size_t>(start[s.Tr], what);
  {
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t k = 0; k < K; ++k) {
      partner[next[static_cast<std::size_t>(tri[k])]++] = static_cast<std::size_t>(element[k]);
    }
  }
  std::vector<double> radius = make_buffer<double>(count, what);
  for (std::size_t e = 0; e < count; ++e) {
    for (std::size_t a = 0; a < q; ++a) {
      radius[e] = std::max(radius[e], distance2(centres + 3 * e, points + 3 * (q * e + a)));
    }
    radius[e] = std::sqrt(radius[e]);
  }
  std::vector<char> near = make_buffer<char>(count, what);
  for (std::size_t tr = 0; tr < s.Tr; ++tr) {
    poll_interrupt();
    const double* r = s.centroid_rho + 9 * tr;
    const double r_tr = std::sqrt(std::max({dot3(r, r), dot3(r + 3, r + 3), dot3(r + 6, r + 6)}));
    for (std::size_t x = start[tr]; x < start[tr + 1]; ++x) near[partner[x]] = 1;
    for (std::size_t e = 0; e < count; ++e) {
      if (near[e]) continue;
      if (!(distance2(s.centroid + 3 * tr, centres + 3 * e) < factor * r_tr * radius[e])) continue;
      visit(tr, e);
    }
    for (std::size_t x = start[tr]; x < start[tr + 1]; ++x) near[partner[x]] = 0;
  }
}

// Weighted full-kernel values K[A + QM·p] = w_A·w_p·G(R_Ap) between the QM points of triangle tr
// and the q points `y` of an element (weights wy); returns their sum.
cplx full_grid(const SurfaceMesh& s, std::size_t tr, const double* y, const double* wy,
               std::size_t q, const Coefficients& f, std::vector<double>& amp,
               std::vector<double>& arg, std::vector<double>& sn, std::vector<double>& cs) {
  const std::size_t qm = s.QM;
  const double* x = s.points + 3 * qm * tr;
  for (std::size_t p = 0; p < q; ++p) {
    for (std::size_t a = 0; a < qm; ++a) {
      const double R = std::sqrt(distance2(x + 3 * a, y + 3 * p));
      amp[a + qm * p] = s.weights[a] * wy[p] * fullKernelAmplitude(R, f.k_im);
      arg[a + qm * p] = f.k_re * R;
    }
  }
  sinCos(arg.data(), qm * q, sn.data(), cs.data());
  double sr = 0.0, si = 0.0;
  for (std::size_t g = 0; g < qm * q; ++g) {
    cs[g] *= amp[g];   // real part of the weighted kernel
    sn[g] *= -amp[g];  // imaginary part
    sr += cs[g];
    si += sn[g];
  }
  return cplx(sr, si);
}

void far_coupling(const Scatter& scatter, const SurfaceMesh& s, const VolumeMesh& v,
                  const std::vector<cplx>& h, const Coefficients& f, double factor) {
  const std::size_t grid = s.QM * std::max(v.QT, v.QF);
  std::vector<double> amp = make_buffer<double>(grid, "the far-pair quadrature");
  std::vector<double> arg = make_buffer<double>(grid, "the far-pair quadrature");
  std::vector<double> sn = make_buffer<double>(grid, "the far-pair quadrature");
  std::vector<double> cs = make_buffer<double>(grid, "the far-pair quadrature");
  SlotValues q;
  SlotValues u;
  // Current coupling: q[3i + m] = Σ_A Σ_p (ρ_tr,m(A) · b_t,i)·K[A + QM·p] − centre value.
  far_coupling_pairs(s, v.Nt, v.center_t, v.points_t, v.QT, v.Tt_tri, v.Tt_tet, v.K_Tt, factor,
                     [&](std::size_t tr, std::size_t t) {
                       const int count = v.tet_count[t];
                       if (count == 0 || !scatter.has_edges(tr)) return;
                       full_grid(s, tr, v.points_t + 3 * v.QT * t, v.weights_t, v.QT, f, amp, arg,
                                 sn, cs);
                       const double* b = v.basis + 18 * t;
                       const double* rho = s.point_rho + 9 * s.QM * tr;
                       for (int i = 0; i < count; ++i) {
                         for (int m = 0; m < 3; ++m) {
                           double qr = 0.0, qi = 0.0;
                           for (std::size_t a = 0; a < s.QM; ++a) {
                             const double d = dot3(rho + 3 * (m * s.QM + a), b + 3 * i);
                             double kr = 0.0, ki = 0.0;
                             for (std::size_t p = 0; p < v.QT; ++p) {
                               kr += cs[a + s.QM * p];
                               ki += sn[a + s.QM * p];
                             }
                             qr += d * kr;
                             qi += d * ki;
                           }
                           q.re[3 * i + m] = qr;
                           q.im[3 * i + m] = qi;
                         }
                       }
                       centre_values(s, v, tr, t, centre(s, tr, v.center_t, t, f), u);
                       for (int x = 0; x < 3 * count; ++x) {
                         q.re[x] -= u.re[x];
                         q.im[x] -= u.im[x];
                       }
                       scatter_current(scatter, v, tr, t, h[t], q);
                     });
  // Charge coupling: the pair sum of the full kernel minus the centre value.
  far_coupling_pairs(s, v.F, v.center_f, v.points_f, v.QF, v.tF_tri, v.tF_face, v.K_tF, factor,
                     [&](std::size_t tr, std::size_t fc) {
                       if (v.face_count[fc] == 0 || !scatter.has_edges(tr)) return;
                       const cplx g = full_grid(s, tr, v.points_f + 3 * v.QF * fc, v.weights_f,
                                                v.QF, f, amp, arg, sn, cs) -
                                      centre(s, tr, v.center_f, fc, f);
                       scatter_charge(scatter, v, tr, fc, g, f);
                     });
}

}  // namespace

void fill_coupling_blocks(cplx* z, std::size_t n, const SurfaceMesh& surface,
                          const VolumeMesh& volume, const Coefficients& f,
                          const FillOptions& options) {
  const Scatter scatter(z, n, surface);
  const std::vector<cplx> h = current_factors(volume, f);
  current_centres(scatter, surface, volume, h, f);
  current_near(scatter, surface, volume, h, f);
  charge_centres(scatter, surface, volume, f);
  charge_near(scatter, surface, volume, f);
  if (options.volume_far_factor > 0.0) {
    far_coupling(scatter, surface, volume, h, f, options.volume_far_factor);
  }
}

}  // namespace mom::hybrid
