#include "block_fill.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "block_arith.hpp"
#include "errors.hpp"
#include "interrupt.hpp"
#include "kernel_sums.hpp"
#include "memory.hpp"

namespace mom::hybrid {

namespace {

// Element lists of one kind (first[x], second[x]), x < k, indexed by element: `same_kind` lists
// (both numbers name elements of one kind) put an entry under both of its elements, a self pair
// once; coupling lists put it under the first element only.
BlockFill::NearLists near_lists(std::size_t elements, const std::int64_t* first,
                                const std::int64_t* second, std::size_t k, bool same_kind) {
  const char* what = "the near-pair lookup";
  BlockFill::NearLists l;
  l.start = make_buffer<std::size_t>(checked_add(elements, 1, what), what);
  std::size_t total = 0;
  for (std::size_t x = 0; x < k; ++x) {
    ++l.start[first[x] + 1];
    ++total;
    if (same_kind && first[x] != second[x]) {
      ++l.start[second[x] + 1];
      ++total;
    }
  }
  for (std::size_t e = 0; e < elements; ++e) l.start[e + 1] += l.start[e];
  l.list = make_buffer<BlockFill::NearEntry>(total, what);
  std::vector<std::size_t> fill(l.start.begin(), l.start.end() - 1);
  for (std::size_t x = 0; x < k; ++x) {
    l.list[fill[first[x]]++] = {second[x], x, true};
    if (same_kind && first[x] != second[x]) l.list[fill[second[x]]++] = {first[x], x, false};
  }
  return l;
}

// Volume unknown → (element, slot) of the packed slot tables, compressed.
void unknown_elements(std::size_t nv, std::size_t elements, const std::vector<std::int64_t>& unknown,
                      const std::vector<int>& count, std::vector<std::size_t>& start,
                      std::vector<std::int64_t>& of, std::vector<int>& slot) {
  const char* what = "the unknown-to-element map";
  start = make_buffer<std::size_t>(checked_add(nv, 1, what), what);
  std::size_t total = 0;
  for (std::size_t e = 0; e < elements; ++e) {
    for (int k = 0; k < count[e]; ++k) ++start[unknown[kSlots * e + k] + 1];
    total += static_cast<std::size_t>(count[e]);
  }
  for (std::size_t a = 0; a < nv; ++a) start[a + 1] += start[a];
  of = make_buffer<std::int64_t>(total, what);
  slot = make_buffer<int>(total, what);
  std::vector<std::size_t> fill(start.begin(), start.end() - 1);
  for (std::size_t e = 0; e < elements; ++e) {
    for (int k = 0; k < count[e]; ++k) {
      const std::size_t x = fill[unknown[kSlots * e + k]]++;
      of[x] = static_cast<std::int64_t>(e);
      slot[x] = k;
    }
  }
}

// One row or column of the block on an element: its position in the block, its unknown
// (surface edge, or volume number counted from 0), the slot it occupies in the element (rho slot
// of a triangle, function slot of a tetrahedron or face) and, for a triangle, the sign of the
// half (+1 plus triangle, −1 minus triangle) and the edge length.
struct Hit {
  std::size_t pos;
  std::int64_t unknown;
  int slot;
  double sign;
  double length;
};

// The elements of one kind that carry rows (or columns) of the block, in ascending order, each
// with its hits: those of elements[x] at hits[start[x] … start[x+1]−1].
struct Side {
  std::vector<std::int64_t> elements;
  std::vector<std::size_t> start;
  std::vector<Hit> hits;

  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
  std::size_t count() const { return elements.size(); }
  // The place of element e in `elements`, or kAbsent.
  std::size_t find(std::int64_t e) const {
    const auto it = std::lower_bound(elements.begin(), elements.end(), e);
    return it != elements.end() && *it == e ? static_cast<std::size_t>(it - elements.begin())
                                            : kAbsent;
  }
  const Hit* begin(std::size_t x) const { return hits.data() + start[x]; }
  const Hit* end(std::size_t x) const { return hits.data() + start[x + 1]; }
};

struct RawHit {
  std::int64_t element;
  Hit hit;
};

Side group(std::vector<RawHit>& raw) {
  std::sort(raw.begin(), raw.end(), [](const RawHit& a, const RawHit& b) {
    return a.element != b.element ? a.element < b.element : a.hit.pos < b.hit.pos;
  });
  Side s;
  const char* what = "the block fill";
  s.hits = make_buffer<Hit>(raw.size(), what);
  for (std::size_t x = 0; x < raw.size(); ++x) {
    s.hits[x] = raw[x].hit;
    if (x == 0 || raw[x].element != raw[x - 1].element) {
      s.elements.push_back(raw[x].element);
      s.start.push_back(x);
    }
  }
  s.start.push_back(raw.size());
  return s;
}

// The sums of one triangle pair: S (⟨G⟩) and V[3j + i] (⟨ρ_i·ρ_j·G⟩) for slot i of the first
// triangle and slot j of the second.
struct PairTable {
  double s_re, s_im;
  double v_re[9], v_im[9];
};

// The triangle pair table Z[3j + i] = C_As·V[3j + i] + C_phis·S.
void pair_values(const PairTable& t, const Coefficients& f, cplx out[9]) {
  const double a = f.C_As.real(), b = f.C_As.imag();
  const double c = f.C_phis.real(), d = f.C_phis.imag();
  for (int q = 0; q < 9; ++q) {
    out[q] = cplx(a * t.v_re[q] - b * t.v_im[q] + c * t.s_re - d * t.s_im,
                  b * t.v_re[q] + a * t.v_im[q] + d * t.s_re + c * t.s_im);
  }
}

// The kernel value of a listed pair of elements I, J with q quadrature points each: the pair
// sum of the smoothed kernel plus the tabulated static value, the centroid value taken back for
// distinct elements.
cplx listed_pair_value(const double* points, const double* weights, std::size_t q,
                       const double* centres, std::size_t I, std::size_t J, double static_value,
                       const Coefficients& f) {
  double sr, si;
  smoothScalarSum(points + 3 * q * I, q, weights, points + 3 * q * J, q, weights, f.k_re, f.k_im,
                  &sr, &si);
  cplx s(sr + static_value, si);
  if (I != J) {
    double re, im;
    centreKernel(distance2(centres + 3 * I, centres + 3 * J), f.k_re, f.k_im, &re, &im);
    s -= cplx(re, im);
  }
  return s;
}

// V_t·κ_t·κ_u·V_u, grouped as ((V_t·κ_t)·κ_u)·V_u.
cplx contrast_product(const VolumeMesh& m, std::size_t t, std::size_t u) {
  const double a = m.volume[t] * m.contrast_re[t];
  const double b = m.volume[t] * m.contrast_im[t];
  return cplx((a * m.contrast_re[u] - b * m.contrast_im[u]) * m.volume[u],
              (a * m.contrast_im[u] + b * m.contrast_re[u]) * m.volume[u]);
}

cplx face_coefficient(const VolumeMesh& m, std::size_t f, std::size_t k) {
  return cplx(m.diff_re[kSlots * f + k], m.diff_im[kSlots * f + k]);
}

// The centroids of the elements of a side, gathered into one list of 3-vectors.
std::vector<double> gather_centres(const Side& s, const double* centres) {
  std::vector<double> c = make_buffer<double>(3 * s.count(), "the block fill");
  for (std::size_t x = 0; x < s.count(); ++x)
    for (int d = 0; d < 3; ++d) c[3 * x + d] = centres[3 * s.elements[x] + d];
  return c;
}

[[noreturn]] void report_coinciding(std::int64_t p, std::int64_t q) {
  fail("badGeometry", "triangles " + std::to_string(std::min(p, q) + 1) + " and " +
                          std::to_string(std::max(p, q) + 1) +
                          " of 'geom' have the same centroid (field 'PointsFC'), or it is not "
                          "finite: the centroid estimate between them is infinite");
}

}  // namespace

BlockFill::BlockFill(SystemProblem problem) : problem_(std::move(problem)) {
  const Coefficients& f = problem_.coefficients;
  surface_coefficients_ = f;
  const cplx j_omega(-f.omega_im, f.omega_re);
  surface_coefficients_.C_As = mul(j_omega, f.C_As);
  surface_coefficients_.C_phis = mul(j_omega, f.C_phis);
  const bool triangles = problem_.surface && problem_.surface->Tr != 0;
  if (triangles) {
    const SurfaceMesh& s = *problem_.surface;
    tri_tri_ = near_lists(s.Tr, s.near_i.data(), s.near_j.data(), s.K, true);
  }
  if (problem_.volume && problem_.volume->Nt != 0) {
    const VolumeMesh& m = *problem_.volume;
    unknown_elements(m.Nv, m.Nt, m.tet_unknown, m.tet_count, tet_start_, tet_of_, tet_slot_);
    unknown_elements(m.Nv, m.F, m.face_unknown, m.face_count, face_start_, face_of_, face_slot_);
    tet_tet_ = near_lists(m.Nt, m.tt_i.data(), m.tt_j.data(), m.K_tt, true);
    face_face_ = near_lists(m.F, m.ff_i.data(), m.ff_j.data(), m.K_ff, true);
    const char* what = "the block fill factors";
    material_ = make_buffer<cplx>(m.Nt, what);
    current_ = make_buffer<cplx>(m.Nt, what);
    for (std::size_t t = 0; t < m.Nt; ++t) {
      // The material term q_t·V_t, q_t = κ_t/ε_t, ε_t = Epsilon_r + j·(−tan_delta·Epsilon_r).
      const double er = m.epsilon_r[t];
      const double ei = -(m.tan_delta[t] * m.epsilon_r[t]);
      const double cr = m.contrast_re[t];
      const double ci = m.contrast_im[t];
      const double den = er * er + ei * ei;
      const cplx q((cr * er + ci * ei) / den, (ci * er - cr * ei) / den);
      material_[t] = q * m.volume[t];
      // The coupling factor h_t = C_A·(½·V_t·κ_t).
      const double a = 0.5 * m.volume[t] * m.contrast_re[t];
      const double b = 0.5 * m.volume[t] * m.contrast_im[t];
      current_[t] = cplx(a * f.C_A.real() - b * f.C_A.imag(), a * f.C_A.imag() + b * f.C_A.real());
    }
    face_scaled_ = make_buffer<cplx>(checked_mul(kSlots, m.F, what), what);
    for (std::size_t fc = 0; fc < m.F; ++fc)
      for (int k = 0; k < m.face_count[fc]; ++k)
        face_scaled_[kSlots * fc + k] = mul(f.C_phi, face_coefficient(m, fc, k));
    if (triangles) {
      const std::size_t tr = problem_.surface->Tr;
      tri_tet_ = near_lists(tr, m.Tt_tri.data(), m.Tt_tet.data(), m.K_Tt, false);
      tri_face_ = near_lists(tr, m.tF_tri.data(), m.tF_face.data(), m.K_tF, false);
    }
  }
}

// One call of BlockFill::fill: the sides of the rows and of the columns, and the output.
class BlockFillRun {
 public:
  BlockFillRun(const BlockFill& b, cplx* out, std::size_t ld) : b_(b), out_(out), ld_(ld) {}

  // The elements carrying the rows (or columns) idx[0 … n−1], by kind.
  struct Sides {
    Side tri, tet, face;
  };
  Sides collect(const std::int64_t* idx, std::size_t n, const char* what) const {
    const SystemProblem& p = b_.problem_;
    const std::size_t ns = p.surface_unknowns();
    const std::size_t order = p.order();
    const bool volume = p.volume && p.volume->Nt != 0;
    std::vector<RawHit> tri, tet, face;
    for (std::size_t pos = 0; pos < n; ++pos) {
      const std::int64_t r = idx[pos];
      if (r < 0 || static_cast<std::size_t>(r) >= order) {
        fail("badIndex", std::string(what) + " " + std::to_string(pos + 1) + ": unknown " +
                             std::to_string(r) + " is outside 0.." +
                             std::to_string(static_cast<long long>(order) - 1));
      }
      if (static_cast<std::size_t>(r) < ns) {
        const SurfaceMesh& s = *p.surface;
        const double L = s.edge_length[r];
        tri.push_back({s.tri_p[r], {pos, r, static_cast<int>(s.slot_p[r]), 1.0, L}});
        tri.push_back({s.tri_m[r], {pos, r, static_cast<int>(s.slot_m[r]), -1.0, L}});
      } else if (volume) {
        const std::size_t a = static_cast<std::size_t>(r) - ns;
        for (std::size_t x = b_.tet_start_[a]; x < b_.tet_start_[a + 1]; ++x)
          tet.push_back({b_.tet_of_[x], {pos, static_cast<std::int64_t>(a), b_.tet_slot_[x], 1.0, 0.0}});
        for (std::size_t x = b_.face_start_[a]; x < b_.face_start_[a + 1]; ++x)
          face.push_back(
              {b_.face_of_[x], {pos, static_cast<std::int64_t>(a), b_.face_slot_[x], 1.0, 0.0}});
      }
    }
    return {group(tri), group(tet), group(face)};
  }

  void add(std::size_t row, std::size_t col, cplx v) const { out_[row + ld_ * col] += v; }

  // Surface–surface: the centroid estimate of every pair of distinct triangles (P, Q), P
  // carrying rows and Q columns, then the listed pairs among them.
  void surface(const Side& A, const Side& B) const {
    if (A.count() == 0 || B.count() == 0) return;
    const SurfaceMesh& m = *b_.problem_.surface;
    const Coefficients& f = b_.surface_coefficients_;
    const std::vector<double> bc = gather_centres(B, m.centroid);
    const char* what = "the block fill";
    std::vector<double> R = make_buffer<double>(B.count(), what);
    std::vector<double> F = make_buffer<double>(B.count(), what);
    std::vector<double> arg = make_buffer<double>(B.count(), what);
    std::vector<double> sn = make_buffer<double>(B.count(), what);
    std::vector<double> cs = make_buffer<double>(B.count(), what);
    const double a_re = f.C_As.real(), a_im = f.C_As.imag();
    const double phi_re = f.C_phis.real(), phi_im = f.C_phis.imag();
    for (std::size_t x = 0; x < A.count(); ++x) {
      poll_interrupt();
      const std::int64_t P = A.elements[x];
      const double* cp = m.centroid + 3 * P;
      for (std::size_t y = 0; y < B.count(); ++y) {
        const double dx = cp[0] - bc[3 * y];
        const double dy = cp[1] - bc[3 * y + 1];
        const double dz = cp[2] - bc[3 * y + 2];
        R[y] = std::sqrt(dx * dx + dy * dy + dz * dz);
        F[y] = fullKernelAmplitude(R[y], f.k_im);
        arg[y] = f.k_re * R[y];
      }
      sinCos(arg.data(), B.count(), sn.data(), cs.data());
      const double* rp = m.centroid_rho + 9 * P;
      for (std::size_t y = 0; y < B.count(); ++y) {
        const std::int64_t Q = B.elements[y];
        if (Q == P) continue;
        if (!(R[y] > 0.0)) report_coinciding(P, Q);
        const double g_re = cs[y] * F[y];
        const double g_im = -sn[y] * F[y];
        const double x_re = a_re * g_re - a_im * g_im, x_im = a_re * g_im + a_im * g_re;
        const double y_re = phi_re * g_re - phi_im * g_im, y_im = phi_re * g_im + phi_im * g_re;
        const double* rq = m.centroid_rho + 9 * Q;
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            const double d = dot3(rq + 3 * hy->slot, rp + 3 * hx->slot);
            const double factor = (hx->sign * hy->sign) * (hx->length * hy->length);
            add(hx->pos, hy->pos, cplx(factor * (x_re * d + y_re), factor * (x_im * d + y_im)));
          }
        }
      }
    }
    surface_near(A, B);
  }

  void surface_near(const Side& A, const Side& B) const {
    const SurfaceMesh& m = *b_.problem_.surface;
    const Coefficients& f = b_.surface_coefficients_;
    const BlockFill::NearLists& l = b_.tri_tri_;
    const std::size_t qm = m.QM;
    const std::size_t grid = checked_mul(qm, qm, "the near-pair scratch");
    std::vector<double> scratch_re, scratch_im;
    PairTable t, c;
    cplx table[9];
    for (std::size_t x = 0; x < A.count(); ++x) {
      const std::int64_t P = A.elements[x];
      for (std::size_t e = l.start[P]; e < l.start[P + 1]; ++e) {
        const BlockFill::NearEntry& near = l.list[e];
        const std::size_t y = B.find(near.other);
        if (y == Side::kAbsent) continue;
        if (scratch_re.empty()) {
          scratch_re = make_buffer<double>(grid, "the near-pair scratch");
          scratch_im = make_buffer<double>(grid, "the near-pair scratch");
        }
        const std::size_t k = near.entry;
        const std::size_t I = static_cast<std::size_t>(m.near_i[k]);
        const std::size_t J = static_cast<std::size_t>(m.near_j[k]);
        smoothPairSums(m.points + 3 * qm * I, qm, m.weights, m.point_rho + 9 * qm * I,
                       m.points + 3 * qm * J, qm, m.weights, m.point_rho + 9 * qm * J, f.k_re,
                       f.k_im, &t.s_re, &t.s_im, t.v_re, t.v_im, scratch_re.data(),
                       scratch_im.data());
        t.s_re += m.near_ss[k];
        const double* rs = m.near_rs + 9 * k;
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) t.v_re[3 * j + i] += rs[3 * i + j];
        if (I != J) {
          pointKernel(m.centroid + 3 * I, 3, m.centroid_rho + 9 * I, m.centroid + 3 * J, 3,
                      m.centroid_rho + 9 * J, f.k_re, f.k_im, &c.s_re, &c.s_im, c.v_re, c.v_im);
          t.s_re -= c.s_re;
          t.s_im -= c.s_im;
          for (int q = 0; q < 9; ++q) {
            t.v_re[q] -= c.v_re[q];
            t.v_im[q] -= c.v_im[q];
          }
        }
        pair_values(t, f, table);
        // Table index 3·(slot in J) + (slot in I). A triangle with itself: the entry of edges
        // (x, y) takes the slot of the smaller edge as the first.
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            const bool x_first = I != J ? near.first : hx->unknown <= hy->unknown;
            const cplx v = x_first ? table[3 * hy->slot + hx->slot] : table[3 * hx->slot + hy->slot];
            const double factor = (hx->sign * hy->sign) * (hx->length * hy->length);
            add(hx->pos, hy->pos, factor * v);
          }
        }
      }
    }
  }

  // Volume–volume: face pairs at the centroids, listed face pairs, the material term,
  // tetrahedron pairs at the centroids, listed tetrahedron pairs.
  void volume(const Sides& A, const Sides& B) const {
    faces(A.face, B.face);
    material(A.tet, B.tet);
    tetrahedra(A.tet, B.tet);
  }

  // The slot pair (i, l) of a listed pair (I, J) or of one element with itself: i belongs to I,
  // l to J; an element with itself gives the entry of unknowns (x, y) the slot of the smaller
  // unknown as i.
  static void listed_slots(bool same, bool first, const Hit& hx, const Hit& hy, int& i, int& l) {
    const bool x_first = same ? hx.unknown <= hy.unknown : first;
    i = x_first ? hx.slot : hy.slot;
    l = x_first ? hy.slot : hx.slot;
  }

  void faces(const Side& A, const Side& B) const {
    if (A.count() == 0 || B.count() == 0) return;
    const VolumeMesh& m = *b_.problem_.volume;
    const Coefficients& f = b_.problem_.coefficients;
    const std::vector<double> bc = gather_centres(B, m.center_f);
    SweepDistances distances(B.count(), "the block fill");
    for (std::size_t x = 0; x < A.count(); ++x) {
      poll_interrupt();
      const std::int64_t P = A.elements[x];
      distances.from(m.center_f + 3 * P, bc.data(), 0, B.count(), f.k_re, f.k_im);
      for (std::size_t y = 0; y < B.count(); ++y) {
        const std::int64_t Q = B.elements[y];
        if (Q == P || distances.coinciding(y)) continue;
        const cplx g = distances.kernel(y);
        // −(C_phi·D_n,i)·D_m,l·g with n the larger face.
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            const bool x_larger = P > Q;
            const std::int64_t n = x_larger ? P : Q, mm = x_larger ? Q : P;
            const int i = x_larger ? hx->slot : hy->slot, l = x_larger ? hy->slot : hx->slot;
            add(hx->pos, hy->pos,
                -mul(mul(b_.face_scaled_[kSlots * n + i], face_coefficient(m, mm, l)), g));
          }
        }
      }
    }
    const BlockFill::NearLists& near = b_.face_face_;
    for (std::size_t x = 0; x < A.count(); ++x) {
      const std::int64_t P = A.elements[x];
      for (std::size_t e = near.start[P]; e < near.start[P + 1]; ++e) {
        const BlockFill::NearEntry& ne = near.list[e];
        const std::size_t y = B.find(ne.other);
        if (y == Side::kAbsent) continue;
        const std::size_t k = ne.entry;
        const std::size_t I = static_cast<std::size_t>(m.ff_i[k]);
        const std::size_t J = static_cast<std::size_t>(m.ff_j[k]);
        const cplx s =
            listed_pair_value(m.points_f, m.weights_f, m.QF, m.center_f, I, J, m.ff_ss[k], f);
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            int i, l;
            listed_slots(I == J, ne.first, *hx, *hy, i, l);
            const cplx dd = mul(face_coefficient(m, I, i), face_coefficient(m, J, l));
            add(hx->pos, hy->pos, -mul(mul(f.C_phi, dd), s));
          }
        }
      }
    }
  }

  void material(const Side& A, const Side& B) const {
    const VolumeMesh& m = *b_.problem_.volume;
    for (std::size_t x = 0; x < A.count(); ++x) {
      const std::int64_t t = A.elements[x];
      const std::size_t y = B.find(t);
      if (y == Side::kAbsent) continue;
      const double* nb = m.basis_n + 18 * t;
      const double* bb = m.basis + 18 * t;
      for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
        for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
          int i, l;
          listed_slots(true, true, *hx, *hy, i, l);
          add(hx->pos, hy->pos, b_.material_[t] * dot3(nb + 3 * i, bb + 3 * l));
        }
      }
    }
  }

  void tetrahedra(const Side& A, const Side& B) const {
    if (A.count() == 0 || B.count() == 0) return;
    const VolumeMesh& m = *b_.problem_.volume;
    const Coefficients& f = b_.problem_.coefficients;
    const std::vector<double> bc = gather_centres(B, m.center_t);
    SweepDistances distances(B.count(), "the block fill");
    const double A_re = f.C_A.real(), A_im = f.C_A.imag();
    for (std::size_t x = 0; x < A.count(); ++x) {
      poll_interrupt();
      const std::int64_t P = A.elements[x];
      distances.from(m.center_t + 3 * P, bc.data(), 0, B.count(), f.k_re, f.k_im);
      for (std::size_t y = 0; y < B.count(); ++y) {
        const std::int64_t Q = B.elements[y];
        if (Q == P || distances.coinciding(y)) continue;
        // w = (g·C_A)·P_tu with t the larger tetrahedron, u the smaller.
        const bool x_larger = P > Q;
        const std::size_t t = static_cast<std::size_t>(x_larger ? P : Q);
        const std::size_t u = static_cast<std::size_t>(x_larger ? Q : P);
        const double g_re = distances.cosine()[y] * distances.amplitude()[y];
        const double g_im = -distances.sine()[y] * distances.amplitude()[y];
        const double h_re = g_re * A_re - g_im * A_im, h_im = g_re * A_im + g_im * A_re;
        const double a = m.volume[t] * m.contrast_re[t], b = m.volume[t] * m.contrast_im[t];
        const double ur = m.contrast_re[u], ui = m.contrast_im[u], uv = m.volume[u];
        const double p_re = (a * ur - b * ui) * uv, p_im = (a * ui + b * ur) * uv;
        const double w_re = h_re * p_re - h_im * p_im;
        const double w_im = h_re * p_im + h_im * p_re;
        const double* bt = m.basis + 18 * t;
        const double* bu = m.basis + 18 * u;
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            const int i = x_larger ? hx->slot : hy->slot, l = x_larger ? hy->slot : hx->slot;
            const double* vu = bu + 3 * l;
            const double* vt = bt + 3 * i;
            const double d = vu[0] * vt[0] + vu[1] * vt[1] + vu[2] * vt[2];
            add(hx->pos, hy->pos, cplx(w_re * d, w_im * d));
          }
        }
      }
    }
    const BlockFill::NearLists& near = b_.tet_tet_;
    for (std::size_t x = 0; x < A.count(); ++x) {
      const std::int64_t P = A.elements[x];
      for (std::size_t e = near.start[P]; e < near.start[P + 1]; ++e) {
        const BlockFill::NearEntry& ne = near.list[e];
        const std::size_t y = B.find(ne.other);
        if (y == Side::kAbsent) continue;
        const std::size_t k = ne.entry;
        const std::size_t I = static_cast<std::size_t>(m.tt_i[k]);
        const std::size_t J = static_cast<std::size_t>(m.tt_j[k]);
        const cplx s =
            listed_pair_value(m.points_t, m.weights_t, m.QT, m.center_t, I, J, m.tt_ss[k], f);
        const cplx w = mul(mul(s, f.C_A), contrast_product(m, I, J));
        const double* bi = m.basis + 18 * I;
        const double* bj = m.basis + 18 * J;
        for (const Hit* hx = A.begin(x); hx != A.end(x); ++hx) {
          for (const Hit* hy = B.begin(y); hy != B.end(y); ++hy) {
            int i, l;
            listed_slots(I == J, ne.first, *hx, *hy, i, l);
            add(hx->pos, hy->pos, w * dot3(bi + 3 * i, bj + 3 * l));
          }
        }
      }
    }
  }

  // Volume–surface coupling between the triangles S of one side and the tetrahedra T and faces
  // Fc of the other; `volume_rows`: the volume unknowns are the rows of the block.
  void coupling(const Side& S, const Side& T, const Side& Fc, bool volume_rows) const {
    if (S.count() == 0 || (T.count() == 0 && Fc.count() == 0)) return;
    const SurfaceMesh& s = *b_.problem_.surface;
    const VolumeMesh& v = *b_.problem_.volume;
    const Coefficients& f = b_.problem_.coefficients;
    const auto put = [&](const Hit& surf, const Hit& vol, cplx value) {
      if (volume_rows) {
        add(vol.pos, surf.pos, value);
      } else {
        add(surf.pos, vol.pos, value);
      }
    };
    // Current coupling at the centroids: h_t·(b_t,i · ρ_tr,m)·γ.
    if (T.count() != 0) {
      const std::vector<double> tc = gather_centres(T, v.center_t);
      SweepDistances distances(T.count(), "the block fill");
      for (std::size_t x = 0; x < S.count(); ++x) {
        poll_interrupt();
        const std::int64_t tr = S.elements[x];
        distances.from(s.centroid + 3 * tr, tc.data(), 0, T.count(), f.k_re, f.k_im);
        const double* rho = s.centroid_rho + 9 * tr;
        for (std::size_t y = 0; y < T.count(); ++y) {
          if (distances.coinciding(y)) continue;
          const cplx gamma = distances.kernel(y);
          const std::int64_t t = T.elements[y];
          const double* bb = v.basis + 18 * t;
          for (const Hit* hv = T.begin(y); hv != T.end(y); ++hv) {
            for (const Hit* hs = S.begin(x); hs != S.end(x); ++hs) {
              const double d = dot3(bb + 3 * hv->slot, rho + 3 * hs->slot);
              const cplx yv = mul(b_.current_[t], cplx(d * gamma.real(), d * gamma.imag()));
              const cplx term = hs->length * yv;
              put(*hs, *hv, hs->sign > 0 ? term : -term);
            }
          }
        }
      }
      // Listed triangle–tetrahedron pairs.
      const std::size_t grid = checked_mul(v.QT, s.QM, "the triangle-tetrahedron scratch");
      std::vector<double> scratch_re, scratch_im;
      double q_re[3 * kSlots], q_im[3 * kSlots];
      for (std::size_t x = 0; x < S.count(); ++x) {
        const std::int64_t tr = S.elements[x];
        const BlockFill::NearLists& near = b_.tri_tet_;
        for (std::size_t e = near.start[tr]; e < near.start[tr + 1]; ++e) {
          const std::size_t y = T.find(near.list[e].other);
          if (y == Side::kAbsent) continue;
          if (scratch_re.empty()) {
            scratch_re = make_buffer<double>(grid, "the triangle-tetrahedron scratch");
            scratch_im = make_buffer<double>(grid, "the triangle-tetrahedron scratch");
          }
          const std::size_t k = near.list[e].entry;
          const std::size_t t = static_cast<std::size_t>(near.list[e].other);
          const int count = v.tet_count[t];
          const double* bb = v.basis + 18 * t;
          double sr, si;
          smoothMixedSums(s.points + 3 * s.QM * tr, s.QM, s.weights, 3,
                          s.point_rho + 9 * s.QM * tr, v.points_t + 3 * v.QT * t, v.QT,
                          v.weights_t, count, bb, f.k_re, f.k_im, &sr, &si, q_re, q_im,
                          scratch_re.data(), scratch_im.data());
          const double* rs = v.Tt_rs + 9 * k;
          for (int i = 0; i < count; ++i)
            for (int mm = 0; mm < 3; ++mm) q_re[3 * i + mm] += dot3(bb + 3 * i, rs + 3 * mm);
          double gr, gi;
          centreKernel(distance2(s.centroid + 3 * tr, v.center_t + 3 * t), f.k_re, f.k_im, &gr,
                       &gi);
          const double* rho = s.centroid_rho + 9 * tr;
          for (int i = 0; i < count; ++i) {
            for (int mm = 0; mm < 3; ++mm) {
              const double d = dot3(bb + 3 * i, rho + 3 * mm);
              q_re[3 * i + mm] -= d * gr;
              q_im[3 * i + mm] -= d * gi;
            }
          }
          for (const Hit* hv = T.begin(y); hv != T.end(y); ++hv) {
            for (const Hit* hs = S.begin(x); hs != S.end(x); ++hs) {
              const int q = 3 * hv->slot + hs->slot;
              const cplx term = hs->length * mul(b_.current_[t], cplx(q_re[q], q_im[q]));
              put(*hs, *hv, hs->sign > 0 ? term : -term);
            }
          }
        }
      }
    }
    if (Fc.count() != 0) {
      // Charge coupling at the centroids: (C_phi·g)·D_f,i.
      const std::vector<double> fc = gather_centres(Fc, v.center_f);
      SweepDistances distances(Fc.count(), "the block fill");
      for (std::size_t x = 0; x < S.count(); ++x) {
        poll_interrupt();
        const std::int64_t tr = S.elements[x];
        distances.from(s.centroid + 3 * tr, fc.data(), 0, Fc.count(), f.k_re, f.k_im);
        for (std::size_t y = 0; y < Fc.count(); ++y) {
          if (distances.coinciding(y)) continue;
          charge(S, x, Fc, y, mul(f.C_phi, distances.kernel(y)), put);
        }
      }
      for (std::size_t x = 0; x < S.count(); ++x) {
        const std::int64_t tr = S.elements[x];
        const BlockFill::NearLists& near = b_.tri_face_;
        for (std::size_t e = near.start[tr]; e < near.start[tr + 1]; ++e) {
          const std::size_t y = Fc.find(near.list[e].other);
          if (y == Side::kAbsent) continue;
          const std::size_t k = near.list[e].entry;
          const std::size_t face = static_cast<std::size_t>(near.list[e].other);
          double sr, si;
          smoothScalarSum(s.points + 3 * s.QM * tr, s.QM, s.weights,
                          v.points_f + 3 * v.QF * face, v.QF, v.weights_f, f.k_re, f.k_im, &sr,
                          &si);
          double gr, gi;
          centreKernel(distance2(s.centroid + 3 * tr, v.center_f + 3 * face), f.k_re, f.k_im, &gr,
                       &gi);
          const cplx g = cplx(sr + v.tF_ss[k], si) - cplx(gr, gi);
          charge(S, x, Fc, y, mul(f.C_phi, g), put);
        }
      }
    }
  }

  template <class Put>
  void charge(const Side& S, std::size_t x, const Side& Fc, std::size_t y, cplx cg,
              const Put& put) const {
    const VolumeMesh& v = *b_.problem_.volume;
    const std::size_t face = static_cast<std::size_t>(Fc.elements[y]);
    for (const Hit* hv = Fc.begin(y); hv != Fc.end(y); ++hv) {
      const cplx value = mul(cg, face_coefficient(v, face, hv->slot));
      for (const Hit* hs = S.begin(x); hs != S.end(x); ++hs) {
        const cplx term = hs->length * value;
        put(*hs, *hv, hs->sign > 0 ? term : -term);
      }
    }
  }

 private:
  const BlockFill& b_;
  cplx* out_;
  std::size_t ld_;
};

void BlockFill::fill(const std::int64_t* rows, std::size_t nr, const std::int64_t* cols,
                     std::size_t nc, cplx* out, std::size_t ld) const {
  if (nr == 0 || nc == 0) return;
  if (ld < nr) {
    fail("badSize", "the leading dimension " + std::to_string(ld) + " is smaller than the " +
                        std::to_string(nr) + " rows of the block");
  }
  BlockFillRun run(*this, out, ld);
  const BlockFillRun::Sides A = run.collect(rows, nr, "row");
  const BlockFillRun::Sides B = run.collect(cols, nc, "column");
  for (std::size_t j = 0; j < nc; ++j)
    for (std::size_t i = 0; i < nr; ++i) out[i + ld * j] = cplx(0.0, 0.0);
  const bool triangles = problem_.surface && problem_.surface->Tr != 0;
  const bool tetrahedra = problem_.volume && problem_.volume->Nt != 0;
  if (triangles) run.surface(A.tri, B.tri);
  if (tetrahedra) {
    run.volume(A, B);
    if (triangles) {
      run.coupling(B.tri, A.tet, A.face, true);
      run.coupling(A.tri, B.tet, B.face, false);
    }
  }
}

void BlockFill::diagonal(cplx* out) const {
  const std::size_t n = order();
  for (std::size_t i = 0; i < n; ++i) {
    const std::int64_t x = static_cast<std::int64_t>(i);
    fill(&x, 1, &x, 1, out + i, 1);
  }
}

}  // namespace mom::hybrid
