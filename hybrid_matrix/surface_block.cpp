#include "surface_block.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "block_arith.hpp"
#include "column_split.hpp"
#include "errors.hpp"
#include "interrupt.hpp"
#include "kernel_sums.hpp"
#include "memory.hpp"

namespace mom::hybrid {

namespace {

// The sums of one triangle pair: S (⟨G⟩) and V[3j + i] (⟨ρ_i·ρ_j·G⟩) for slot i of the first
// triangle and slot j of the second.
struct PairTable {
  double s_re, s_im;
  double v_re[9], v_im[9];
};

// The pair table Z[3j + i] = C_As·V[3j + i] + C_phis·S.
void pair_values(const PairTable& t, const Coefficients& f, cplx out[9]) {
  const double a = f.C_As.real(), b = f.C_As.imag();
  const double c = f.C_phis.real(), d = f.C_phis.imag();
  for (int q = 0; q < 9; ++q) {
    out[q] = cplx(a * t.v_re[q] - b * t.v_im[q] + c * t.s_re - d * t.s_im,
                  b * t.v_re[q] + a * t.v_im[q] + d * t.s_re + c * t.s_im);
  }
}

// One side of a triangle pair: the edges of a triangle with their slots and signs.
struct Side {
  const std::size_t* plus;
  std::size_t n_plus;
  const std::size_t* minus;
  std::size_t n_minus;
};

Side side_of(const SurfaceMesh& m, std::size_t t) {
  const TriangleEdges& l = m.lists;
  return {l.plus_edges.data() + l.plus_start[t], l.plus_start[t + 1] - l.plus_start[t],
          l.minus_edges.data() + l.minus_start[t], l.minus_start[t + 1] - l.minus_start[t]};
}

// Adds s_m·s_n·l_m·l_n·Z[3j + i] for every edge m of P (slot i) and n of Q (slot j) at the
// lower-triangle position (max(m, n), min(m, n)), when the owner holds its column min(m, n). For
// P ≠ Q a combination m = n (the edge that P and Q share) lands twice on the diagonal, once per
// orientation, which supplies both of its cross terms; for P = Q each unordered combination is
// added once (only m ≤ n). The two orientations (m ≤ n to (n, m), then n ≤ m to (m, n)) are
// taken in one pass; they touch different entries except for m = n, which receives its two
// equal terms one after the other either way.
void scatter(cplx* z, std::size_t n, const SurfaceMesh& mesh, std::size_t p, std::size_t q,
             const cplx table[9], const ColumnOwner& owner = ColumnOwner{}) {
  const Side sp = side_of(mesh, p);
  const Side sq = side_of(mesh, q);
  const bool self = (p == q);
  for (int hp = 0; hp < 2; ++hp) {
    const std::size_t* me = hp == 0 ? sp.plus : sp.minus;
    const std::size_t count_p = hp == 0 ? sp.n_plus : sp.n_minus;
    const std::int64_t* slots_p = hp == 0 ? mesh.slot_p.data() : mesh.slot_m.data();
    for (std::size_t x = 0; x < count_p; ++x) {
      const std::size_t em = me[x];
      const std::size_t i = static_cast<std::size_t>(slots_p[em]);
      for (int hq = 0; hq < 2; ++hq) {
        const std::size_t* ne = hq == 0 ? sq.plus : sq.minus;
        const std::size_t count_q = hq == 0 ? sq.n_plus : sq.n_minus;
        const std::int64_t* slots_q = hq == 0 ? mesh.slot_p.data() : mesh.slot_m.data();
        const double sign = (hp == hq) ? 1.0 : -1.0;
        for (std::size_t y = 0; y < count_q; ++y) {
          const std::size_t en = ne[y];
          if (!owner.owns(static_cast<std::int64_t>(em < en ? em : en))) continue;
          const double factor = sign * (mesh.edge_length[em] * mesh.edge_length[en]);
          const cplx w = factor * table[3 * static_cast<std::size_t>(slots_q[en]) + i];
          if (em <= en) z[en + n * em] += w;
          if (!self && en <= em) z[em + n * en] += w;
        }
      }
    }
  }
}

// An edge of the second triangle of a sweep row whose column the thread owns: its column, its
// slot, sign and length in that triangle. A triangle normally has three edges; rows of triangles
// with more than kMaxFast take the general scatter only.
struct OwnedEdge {
  cplx* column;
  std::size_t slot;
  double sign;
  double length;
};
constexpr std::size_t kMaxFast = 8;

// Centroid estimate of the pair (p, q): G at the two centroids, V[3j + i] = (ρ_q,j · ρ_p,i)·G.
void centroid_estimate(const SurfaceMesh& m, std::size_t p, std::size_t q, const Coefficients& f,
                       PairTable& t) {
  pointKernel(m.centroid + 3 * p, 3, m.centroid_rho + 9 * p, m.centroid + 3 * q, 3,
              m.centroid_rho + 9 * q, f.k_re, f.k_im, &t.s_re, &t.s_im, t.v_re, t.v_im);
}

// Two distinct triangles with the same centroid would put an infinite centroid estimate
// (e^(−jkR)/R at R = 0) into the matrix and make every result NaN: refuse the mesh instead.
[[noreturn]] void report_coinciding(const SurfaceMesh& m, std::size_t q) {
  const double* c = m.centroid;
  std::size_t p = q + 1;
  for (; p + 1 < m.Tr; ++p) {
    const double dx = c[3 * q] - c[3 * p], dy = c[3 * q + 1] - c[3 * p + 1],
                 dz = c[3 * q + 2] - c[3 * p + 2];
    if (!(dx * dx + dy * dy + dz * dz > 0.0)) break;
  }
  fail("badGeometry", "triangles " + std::to_string(q + 1) + " and " + std::to_string(p + 1) +
                          " of 'geom' have the same centroid (field 'PointsFC'), or it is not "
                          "finite: the centroid estimate between them is infinite");
}

// The smallest and largest edge of every triangle (both lists are in ascending order).
ElementSpans edge_spans(const SurfaceMesh& m) {
  const TriangleEdges& l = m.lists;
  return ElementSpans(
      m.Tr,
      [&l](std::size_t t, std::int64_t& lo, std::int64_t& hi) {
        lo = std::numeric_limits<std::int64_t>::max();
        hi = -1;
        if (l.plus_start[t + 1] != l.plus_start[t]) {
          lo = static_cast<std::int64_t>(l.plus_edges[l.plus_start[t]]);
          hi = static_cast<std::int64_t>(l.plus_edges[l.plus_start[t + 1] - 1]);
        }
        if (l.minus_start[t + 1] != l.minus_start[t]) {
          lo = std::min(lo, static_cast<std::int64_t>(l.minus_edges[l.minus_start[t]]));
          hi = std::max(hi, static_cast<std::int64_t>(l.minus_edges[l.minus_start[t + 1] - 1]));
        }
      },
      "the centroid sweep");
}

// Phase A: every unordered pair of distinct triangles (p, q), p > q, with p first: G at the two
// centroids (no guard: distinct triangles have distinct centroids) and
// V[3j + i] = (ρ_q,j · ρ_p,i)·G, the numbers pointKernel gives, computed in two passes per q.
// The first pass (distance, damped amplitude, phase) has no calls and vectorises; the second
// takes cosine and sine, forms the table and scatters it.
//
// The second triangle runs in the outer loop: in a mesh whose edges are numbered roughly in
// triangle order, the entries of one sweep over p then lie down a few columns instead of across
// them (a new memory page per entry), which made the scatter several times slower. Each entry
// receives the same few terms as in a p-outer sweep, only summed in another order.
//
// The sweep runs on two threads split by columns. Every row q is checked for coinciding
// centroids by at least one thread (the first takes the rows no thread writes from); each
// thread stops at its first bad row, so the smallest of those is the first bad row overall.
void centroid_phase(cplx* z, std::size_t n, const SurfaceMesh& m, const Coefficients& f,
                    const ElementSpans& spans) {
  std::size_t bad_row[2] = {m.Tr, m.Tr};
  on_column_split(spans, m.Tr, [&](const ColumnOwner& owner, int thread) {
    std::vector<double> amplitude = make_buffer<double>(m.Tr, "the centroid sweep");
    std::vector<double> phase = make_buffer<double>(m.Tr, "the centroid sweep");
    std::vector<double> sine = make_buffer<double>(m.Tr, "the centroid sweep");
    std::vector<double> cosine = make_buffer<double>(m.Tr, "the centroid sweep");
    double* F = amplitude.data();
    double* arg = phase.data();
    const double* c = m.centroid;
    const double a_re = f.C_As.real(), a_im = f.C_As.imag();
    const double phi_re = f.C_phis.real(), phi_im = f.C_phis.imag();
    cplx table[9];
    for (std::size_t q = 0; q < m.Tr; ++q) {
      poll_interrupt();
      const bool writes = spans.row_reaches(q, owner);
      if (!writes && !(thread == 0 && !spans.row_reaches(q, ColumnOwner{}))) continue;
      // The count of coinciding centroids is kept as a double (exact far beyond any mesh
      // size): an integer count of a floating-point comparison keeps the loop scalar.
      const double cx = c[3 * q], cy = c[3 * q + 1], cz = c[3 * q + 2];
      const double k_re = f.k_re, k_im = f.k_im;
      double coinciding = 0.0;
      for (std::size_t p = q + 1; p < m.Tr; ++p) {
        const double dx = cx - c[3 * p];
        const double dy = cy - c[3 * p + 1];
        const double dz = cz - c[3 * p + 2];
        const double R = std::sqrt(dx * dx + dy * dy + dz * dz);
        F[p] = fullKernelAmplitude(R, k_im);
        arg[p] = k_re * R;
        coinciding += (R > 0.0) ? 0.0 : 1.0;  // also counts NaN coordinates
      }
      if (coinciding != 0.0) {
        bad_row[thread] = q;
        return;
      }
      if (!writes) continue;
      sinCos(arg + q + 1, m.Tr - q - 1, sine.data() + q + 1, cosine.data() + q + 1);
      // The edges of q in the owner's columns, plus list first: where every edge of p is
      // larger than every edge of q, each term of the pair lands in one of their columns, at
      // the row of the edge of p, once.
      OwnedEdge own[kMaxFast];
      std::size_t owned = 0;
      const Side sq = side_of(m, q);
      bool fast = sq.n_plus + sq.n_minus <= kMaxFast;
      for (int h = 0; h < 2 && fast; ++h) {
        const std::size_t* e = h == 0 ? sq.plus : sq.minus;
        const std::int64_t* slots = h == 0 ? m.slot_p.data() : m.slot_m.data();
        for (std::size_t y = 0; y < (h == 0 ? sq.n_plus : sq.n_minus); ++y) {
          if (!owner.owns(static_cast<std::int64_t>(e[y]))) continue;
          own[owned++] = {z + n * e[y], static_cast<std::size_t>(slots[e[y]]), h == 0 ? 1.0 : -1.0,
                          m.edge_length[e[y]]};
        }
      }
      const double* rq = m.centroid_rho + 9 * q;
      for (std::size_t p = q + 1; p < m.Tr; ++p) {
        if (!spans.pair_reaches(p, q, owner)) continue;
        const double* rp = m.centroid_rho + 9 * p;
        // With V[3j + i] = d_ji·G, d_ji = ρ_q,j · ρ_p,i, the table is
        // C_As·V + C_phis·G = (C_As·G)·d_ji + C_phis·G: two complex products per pair and
        // one real multiply-add per slot combination.
        const double g_re = cosine[p] * F[p];
        const double g_im = -sine[p] * F[p];
        const double x_re = a_re * g_re - a_im * g_im, x_im = a_re * g_im + a_im * g_re;
        const double y_re = phi_re * g_re - phi_im * g_im, y_im = phi_re * g_im + phi_im * g_re;
        for (int j = 0; j < 3; ++j) {
          for (int i = 0; i < 3; ++i) {
            const double d = dot3(rq + 3 * j, rp + 3 * i);
            table[3 * j + i] = cplx(x_re * d + y_re, x_im * d + y_im);
          }
        }
        if (fast && spans.lo(p) > spans.hi(q)) {
          cplx2 v[9];
          for (int k = 0; k < 9; ++k) v[k] = cplx2{table[k].real(), table[k].imag()};
          const Side sp = side_of(m, p);
          for (int h = 0; h < 2; ++h) {
            const std::size_t* e = h == 0 ? sp.plus : sp.minus;
            const std::int64_t* slots = h == 0 ? m.slot_p.data() : m.slot_m.data();
            const std::size_t count = h == 0 ? sp.n_plus : sp.n_minus;
            for (std::size_t x = 0; x < count; ++x) {
              const std::size_t em = e[x];
              const std::size_t i = static_cast<std::size_t>(slots[em]);
              const double lm = m.edge_length[em];
              for (std::size_t y = 0; y < owned; ++y) {
                const double sign = h == 0 ? own[y].sign : -own[y].sign;
                add_scaled(own[y].column + em, v[3 * own[y].slot + i], sign * (lm * own[y].length));
              }
            }
          }
        } else {
          scatter(z, n, m, p, q, table, owner);
        }
      }
    }
  });
  const std::size_t bad = std::min(bad_row[0], bad_row[1]);
  if (bad != m.Tr) report_coinciding(m, bad);
}

// Phase B: the listed near pairs, in list order, on two threads split by columns as in phase A.
void near_phase(cplx* z, std::size_t n, const SurfaceMesh& m, const Coefficients& f,
                const ElementSpans& spans) {
  const std::size_t grid = checked_mul(m.QM, m.QM, "the near-pair scratch");
  on_list_split(spans, m.near_i.data(), m.near_j.data(), m.K, [&](const ColumnOwner& owner, int) {
    std::vector<double> scratch_re = make_buffer<double>(grid, "the near-pair scratch");
    std::vector<double> scratch_im = make_buffer<double>(grid, "the near-pair scratch");
    PairTable t;
    PairTable c;
    cplx table[9];
    const std::size_t qm = m.QM;
    for (std::size_t k = 0; k < m.K; ++k) {
      const std::size_t I = static_cast<std::size_t>(m.near_i[k]);
      const std::size_t J = static_cast<std::size_t>(m.near_j[k]);
      if (!spans.pair_reaches(I, J, owner)) continue;
      smoothPairSums(m.points + 3 * qm * I, qm, m.weights, m.point_rho + 9 * qm * I,
                     m.points + 3 * qm * J, qm, m.weights, m.point_rho + 9 * qm * J, f.k_re, f.k_im,
                     &t.s_re, &t.s_im, t.v_re, t.v_im, scratch_re.data(), scratch_im.data());
      // Static parts, real only. The table is slot-of-I major, V is slot-of-J major.
      t.s_re += m.near_ss[k];
      const double* rs = m.near_rs + 9 * k;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.v_re[3 * j + i] += rs[3 * i + j];
      if (I != J) {
        // Take back the estimate phase A added for this pair (independent of the order).
        centroid_estimate(m, I, J, f, c);
        t.s_re -= c.s_re;
        t.s_im -= c.s_im;
        for (int q = 0; q < 9; ++q) {
          t.v_re[q] -= c.v_re[q];
          t.v_im[q] -= c.v_im[q];
        }
      }
      pair_values(t, f, table);
      scatter(z, n, m, I, J, table, owner);
    }
  });
}

// Phase F (FarFactor > 0): for every pair of distinct triangles (p, q), p > q, that is not in the
// near list and lies within the far factor, the full kernel integrated with the record's rule,
// S = Σ_a Σ_b w_a·w_b·G(R_ab) and V[3j + i] = Σ_a Σ_b w_a·w_b·(ρ_p,i(a) · ρ_q,j(b))·G(R_ab), minus
// the centroid estimate phase A added for it. Distinct triangles have distinct interior points,
// so G needs no guard. Split by columns like phase A; the near list of each row is marked in a
// per-thread flag array (set and cleared per row).
void far_phase(cplx* z, std::size_t n, const SurfaceMesh& m, const Coefficients& f,
               const ElementSpans& spans, const FillOptions& options) {
  const double far_factor = options.far_factor;
  // The rule: the record's, or the symmetric three-point rule (barycentric 2/3, 1/6, 1/6,
  // weights 1/3) built from each centroid c and its slot vectors ρ_s = c − v_s: point
  // x_s = c − ρ_s/2 and ρ_i(x_s) = ρ_i − ρ_s/2.
  std::size_t qm = m.QM;
  const double* pts = m.points;
  const double* prho = m.point_rho;
  const double* wts = m.weights;
  std::vector<double> pts3, prho3;
  const double w3[3] = {1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0};
  if (options.far_points == 3) {
    qm = 3;
    pts3 = make_buffer<double>(checked_mul(9, m.Tr, "the far-pair rule"), "the far-pair rule");
    prho3 = make_buffer<double>(checked_mul(27, m.Tr, "the far-pair rule"), "the far-pair rule");
    for (std::size_t t = 0; t < m.Tr; ++t) {
      const double* c = m.centroid + 3 * t;
      const double* r = m.centroid_rho + 9 * t;
      for (std::size_t a = 0; a < 3; ++a) {
        for (std::size_t x = 0; x < 3; ++x) {
          pts3[9 * t + 3 * a + x] = c[x] - 0.5 * r[3 * a + x];
          for (std::size_t i = 0; i < 3; ++i) {
            prho3[27 * t + 3 * (i * 3 + a) + x] = r[3 * i + x] - 0.5 * r[3 * a + x];
          }
        }
      }
    }
    pts = pts3.data();
    prho = prho3.data();
    wts = w3;
  }
  const std::size_t grid = checked_mul(qm, qm, "the far-pair quadrature");
  // Near partners of each triangle, both directions, compressed (start, list).
  std::vector<std::size_t> start = make_buffer<std::size_t>(m.Tr + 1, "the far-pair quadrature");
  for (std::size_t k = 0; k < m.K; ++k) {
    if (m.near_i[k] == m.near_j[k]) continue;
    ++start[static_cast<std::size_t>(m.near_i[k]) + 1];
    ++start[static_cast<std::size_t>(m.near_j[k]) + 1];
  }
  for (std::size_t t = 0; t < m.Tr; ++t) start[t + 1] += start[t];
  std::vector<std::size_t> partner = make_buffer<std::size_t>(start[m.Tr], "the far-pair quadrature");
  {
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t k = 0; k < m.K; ++k) {
      const std::size_t I = static_cast<std::size_t>(m.near_i[k]);
      const std::size_t J = static_cast<std::size_t>(m.near_j[k]);
      if (I == J) continue;
      partner[fill[I]++] = J;
      partner[fill[J]++] = I;
    }
  }
  // Radius of each triangle: the largest centroid-to-vertex distance (|ρ| at the centroid).
  std::vector<double> radius = make_buffer<double>(m.Tr, "the far-pair quadrature");
  for (std::size_t t = 0; t < m.Tr; ++t) {
    const double* r = m.centroid_rho + 9 * t;
    radius[t] = std::sqrt(std::max({dot3(r, r), dot3(r + 3, r + 3), dot3(r + 6, r + 6)}));
  }
  on_column_split(spans, m.Tr, [&](const ColumnOwner& owner, int) {
    std::vector<char> near = make_buffer<char>(m.Tr, "the far-pair quadrature");
    std::vector<double> amp = make_buffer<double>(grid, "the far-pair quadrature");
    std::vector<double> arg = make_buffer<double>(grid, "the far-pair quadrature");
    std::vector<double> sn = make_buffer<double>(grid, "the far-pair quadrature");
    std::vector<double> cs = make_buffer<double>(grid, "the far-pair quadrature");
    std::vector<double> w_re = make_buffer<double>(9 * qm, "the far-pair quadrature");
    std::vector<double> w_im = make_buffer<double>(9 * qm, "the far-pair quadrature");
    const double* c = m.centroid;
    PairTable t;
    PairTable e;
    cplx table[9];
    for (std::size_t q = 0; q < m.Tr; ++q) {
      poll_interrupt();
      if (!spans.row_reaches(q, owner)) continue;
      for (std::size_t x = start[q]; x < start[q + 1]; ++x) near[partner[x]] = 1;
      const double* xq = pts + 3 * qm * q;
      const double* rq = prho + 9 * qm * q;
      for (std::size_t p = q + 1; p < m.Tr; ++p) {
        if (near[p] || !spans.pair_reaches(p, q, owner)) continue;
        const double dx = c[3 * q] - c[3 * p], dy = c[3 * q + 1] - c[3 * p + 1],
                     dz = c[3 * q + 2] - c[3 * p + 2];
        if (!(dx * dx + dy * dy + dz * dz < far_factor * radius[p] * radius[q])) continue;
        const double* xp = pts + 3 * qm * p;
        const double* rp = prho + 9 * qm * p;
        // Kernel values at the QM × QM point pairs (a of p, b of q at a + qm·b).
        for (std::size_t b = 0; b < qm; ++b) {
          for (std::size_t a = 0; a < qm; ++a) {
            const double ux = xp[3 * a] - xq[3 * b], uy = xp[3 * a + 1] - xq[3 * b + 1],
                         uz = xp[3 * a + 2] - xq[3 * b + 2];
            const double R = std::sqrt(ux * ux + uy * uy + uz * uz);
            amp[a + qm * b] = wts[a] * wts[b] * fullKernelAmplitude(R, f.k_im);
            arg[a + qm * b] = f.k_re * R;
          }
        }
        sinCos(arg.data(), grid, sn.data(), cs.data());
        // With G_ab the weighted kernel values, W_j(a) = Σ_b G_ab·ρ_q,j(b) first (stored
        // slot, component, point), then V[3j + i] = Σ_a ρ_p,i(a) · W_j(a): 9·QM² + 9·QM
        // complex multiply-adds per pair instead of 9·QM² dot products.
        std::fill(w_re.begin(), w_re.end(), 0.0);
        std::fill(w_im.begin(), w_im.end(), 0.0);
        t.s_re = t.s_im = 0.0;
        for (std::size_t b = 0; b < qm; ++b) {
          const double* gr = amp.data() + qm * b;  // reused: real part of G_ab below
          const double* cb = cs.data() + qm * b;
          const double* sb = sn.data() + qm * b;
          double* g_re = arg.data() + qm * b;  // the arguments are no longer needed
          double* g_im = sn.data() + qm * b;
          for (std::size_t a = 0; a < qm; ++a) {
            const double F = gr[a];
            g_re[a] = cb[a] * F;
            g_im[a] = -sb[a] * F;
            t.s_re += g_re[a];
            t.s_im += g_im[a];
          }
          for (std::size_t j = 0; j < 3; ++j) {
            for (std::size_t c3 = 0; c3 < 3; ++c3) {
              const double r = rq[3 * (j * qm + b) + c3];
              double* wr = w_re.data() + (3 * j + c3) * qm;
              double* wi = w_im.data() + (3 * j + c3) * qm;
              for (std::size_t a = 0; a < qm; ++a) {
                wr[a] += g_re[a] * r;
                wi[a] += g_im[a] * r;
              }
            }
          }
        }
        for (std::size_t j = 0; j < 3; ++j) {
          for (std::size_t i = 0; i < 3; ++i) {
            double v_re = 0.0, v_im = 0.0;
            for (std::size_t c3 = 0; c3 < 3; ++c3) {
              const double* wr = w_re.data() + (3 * j + c3) * qm;
              const double* wi = w_im.data() + (3 * j + c3) * qm;
              for (std::size_t a = 0; a < qm; ++a) {
                const double r = rp[3 * (i * qm + a) + c3];
                v_re += r * wr[a];
                v_im += r * wi[a];
              }
            }
            t.v_re[3 * j + i] = v_re;
            t.v_im[3 * j + i] = v_im;
          }
        }
        centroid_estimate(m, p, q, f, e);
        t.s_re -= e.s_re;
        t.s_im -= e.s_im;
        for (int v = 0; v < 9; ++v) {
          t.v_re[v] -= e.v_re[v];
          t.v_im[v] -= e.v_im[v];
        }
        pair_values(t, f, table);
        scatter(z, n, m, p, q, table, owner);
      }
      for (std::size_t x = start[q]; x < start[q + 1]; ++x) near[partner[x]] = 0;
    }
  });
}

}  // namespace

// Every term of the pair tables enters the matrix times jω·l_m·l_n: jω is folded into the two
// potential coefficients, the edge lengths into the sign of each term. (Scaling the finished
// block instead takes a pass of its own over half the matrix.)
void fill_surface_block(cplx* z, std::size_t n, const SurfaceMesh& mesh, const Coefficients& f,
                        const FillOptions& options) {
  const ElementSpans spans = edge_spans(mesh);
  const cplx j_omega(-f.omega_im, f.omega_re);
  Coefficients scaled = f;
  scaled.C_As = mul(j_omega, f.C_As);
  scaled.C_phis = mul(j_omega, f.C_phis);
  centroid_phase(z, n, mesh, scaled, spans);
  near_phase(z, n, mesh, scaled, spans);
  if (options.far_factor > 0.0) far_phase(z, n, mesh, scaled, spans, options);
}

}  // namespace mom::hybrid
