#include "volume_block.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "block_arith.hpp"
#include "column_split.hpp"
#include "interrupt.hpp"
#include "kernel_sums.hpp"
#include "memory.hpp"

namespace mom::hybrid {

namespace {

// Folds of a contribution v between volume unknowns a (function of the first element of a pair)
// and b (of the second) into the lower triangle, volume unknowns offset by ns. The entries are
// reached through the column of each unknown: Z(Ns + r, Ns + c) = column(c)[r].
class Folder {
 public:
  Folder(cplx* z, std::size_t n, std::size_t ns, std::size_t nv)
      : column_(make_buffer<cplx*>(nv, "the volume block")) {
    for (std::size_t a = 0; a < nv; ++a) column_[a] = z + n * (ns + a) + ns;
  }
  cplx* column(std::int64_t a) const { return column_[a]; }

  // Two different elements: each orientation that lands in the lower triangle, that is the
  // entry (max, min) once; a = b (a function living on both elements) receives v twice on its
  // diagonal. column_a and column_b are the columns of a and b.
  static void pair(cplx* column_a, cplx* column_b, std::int64_t a, std::int64_t b, cplx v) {
    cplx* entry = a >= b ? &column_b[a] : &column_a[b];
    *entry += v;
    if (a == b) *entry += v;
  }
  // The pair fold of a sweep thread: only into the columns it owns.
  static void pair(cplx* column_a, cplx* column_b, std::int64_t a, std::int64_t b, cplx v,
                   const ColumnOwner& owner) {
    if (owner.owns(a >= b ? b : a)) pair(column_a, column_b, a, b, v);
  }
  // Both functions from one element: every ordered pair of its functions is visited, so only
  // the orientation with b ≥ a is taken and each unordered pair lands once.
  void self(std::int64_t a, std::int64_t b, cplx v) const {
    if (b >= a) column_[a][b] += v;
  }
  // A listed pair (I, J): the self fold for I = J, the pair fold otherwise, into the owner's
  // columns (the entry's column is min(a, b) either way).
  void listed(std::int64_t a, std::int64_t b, cplx v, bool same, const ColumnOwner& owner) const {
    if (!owner.owns(a < b ? a : b)) return;
    if (same) {
      self(a, b, v);
    } else {
      pair(column_[a], column_[b], a, b, v);
    }
  }

 private:
  std::vector<cplx*> column_;
};

// The centre kernel between centroid `i` and centroid `j` of a list of 3-vectors.
cplx centre(const double* centroids, std::size_t i, std::size_t j, const Coefficients& f) {
  double re, im;
  centreKernel(distance2(centroids + 3 * i, centroids + 3 * j), f.k_re, f.k_im, &re, &im);
  return cplx(re, im);
}

// V_t·κ_t·κ_u·V_u, grouped as ((V_t·κ_t)·κ_u)·V_u.
cplx contrast_product(const VolumeMesh& m, std::size_t t, std::size_t u) {
  const double a = m.volume[t] * m.contrast_re[t];
  const double b = m.volume[t] * m.contrast_im[t];
  return cplx((a * m.contrast_re[u] - b * m.contrast_im[u]) * m.volume[u],
              (a * m.contrast_im[u] + b * m.contrast_re[u]) * m.volume[u]);
}

// The smallest and largest volume unknown of every element (count[e] slots of unknown[6e …]).
ElementSpans unknown_spans(std::size_t elements, const std::vector<std::int64_t>& unknown,
                           const std::vector<int>& count, const char* what) {
  return ElementSpans(
      elements,
      [&](std::size_t e, std::int64_t& lo, std::int64_t& hi) {
        lo = std::numeric_limits<std::int64_t>::max();
        hi = -1;
        for (int k = 0; k < count[e]; ++k) {
          lo = std::min(lo, unknown[kSlots * e + k]);
          hi = std::max(hi, unknown[kSlots * e + k]);
        }
      },
      what);
}

cplx face_coefficient(const VolumeMesh& m, std::size_t f, std::size_t k) {
  return cplx(m.diff_re[kSlots * f + k], m.diff_im[kSlots * f + k]);
}

// Scalar potential between every unordered pair of distinct faces n > m, at the centroids:
// −(C_phi·D_n,i)·D_m,l·g_nm, face n first, added by the pair fold (or straight into the columns
// of m where every function of n is numbered after every function of m).
//
// The face m with the smaller number runs in the outer loop: where the unknowns are numbered
// roughly in element order, the entries of one sweep over n then lie down the few columns of
// m's unknowns instead of across all columns (a new cache line and often a new page per
// entry), which made the sweep memory-bound. Every pair and every value are the same as in an
// n-outer sweep; an entry receives its terms in another order. Each inner sweep takes two
// passes: the distances of all n > m, then one cosine and one sine per pair and the function
// loop.
void face_sweep(const Folder& z, const VolumeMesh& m, const Coefficients& f,
                const ElementSpans& spans) {
  // C_phi·D_n,i of every face and slot, formed once.
  std::vector<cplx> scaled =
      make_buffer<cplx>(checked_mul(kSlots, m.F, "the face sweep"), "the face sweep");
  for (std::size_t fn = 0; fn < m.F; ++fn)
    for (int i = 0; i < m.face_count[fn]; ++i)
      scaled[kSlots * fn + i] = mul(f.C_phi, face_coefficient(m, fn, i));
  on_column_split(spans, m.F, [&](const ColumnOwner& owner, int) {
    SweepDistances distances(m.F, "the face sweep");
    for (std::size_t fm = 0; fm < m.F; ++fm) {
      poll_interrupt();
      const int cm = m.face_count[fm];
      if (cm == 0 || !spans.row_reaches(fm, owner)) continue;
      distances.from(m.center_f + 3 * fm, m.center_f, fm + 1, m.F, f.k_re, f.k_im);
      const std::int64_t* am = &m.face_unknown[kSlots * fm];
      cplx* column_m[kSlots];
      cplx dm[kSlots];
      int owned = 0;  // the functions of fm in the owner's columns, packed
      cplx* owned_column[kSlots];
      cplx owned_dm[kSlots];
      for (int l = 0; l < cm; ++l) {
        column_m[l] = z.column(am[l]);
        dm[l] = face_coefficient(m, fm, l);
        if (owner.owns(am[l])) {
          owned_column[owned] = column_m[l];
          owned_dm[owned++] = dm[l];
        }
      }
      for (std::size_t fn = fm + 1; fn < m.F; ++fn) {
        const int cn = m.face_count[fn];
        if (cn == 0 || distances.coinciding(fn) || !spans.pair_reaches(fn, fm, owner)) continue;
        const cplx g = distances.kernel(fn);
        const std::int64_t* an = &m.face_unknown[kSlots * fn];
        if (spans.lo(fn) > spans.hi(fm)) {  // every term in a column of fm, off the diagonal
          for (int i = 0; i < cn; ++i) {
            const std::int64_t a = an[i];
            const cplx cd = scaled[kSlots * fn + i];
            for (int l = 0; l < owned; ++l)
              add_scaled(owned_column[l] + a, as_pair(-mul(mul(cd, owned_dm[l]), g)), 1.0);
          }
          continue;
        }
        for (int i = 0; i < cn; ++i) {
          const std::int64_t a = an[i];
          cplx* column_a = z.column(a);
          const cplx cd = scaled[kSlots * fn + i];
          for (int l = 0; l < cm; ++l) {
            Folder::pair(column_a, column_m[l], a, am[l], -mul(mul(cd, dm[l]), g), owner);
          }
        }
      }
    }
  });
}

// The kernel value of a listed pair of elements I, J with q quadrature points each: the pair
// sum of the smoothed kernel plus the tabulated static value, the sweep's centroid value taken
// back for distinct elements (the sweep added it; the listed value replaces it).
cplx listed_pair_value(const double* points, const double* weights, std::size_t q,
                       const double* centres, std::size_t I, std::size_t J, double static_value,
                       const Coefficients& f) {
  double sr, si;
  smoothScalarSum(points + 3 * q * I, q, weights, points + 3 * q * J, q, weights, f.k_re, f.k_im,
                  &sr, &si);
  cplx s(sr + static_value, si);
  if (I != J) s -= centre(centres, I, J, f);
  return s;
}

// Listed face pairs: the pair sum of the smoothed kernel plus the static ⟨1/R⟩, the centroid
// value of the sweep taken back for distinct faces. In list order, on two threads split by
// columns.
void near_faces(const Folder& z, const VolumeMesh& m, const Coefficients& f,
                const ElementSpans& spans) {
  const std::size_t q = m.QF;
  on_list_split(spans, m.ff_i.data(), m.ff_j.data(), m.K_ff, [&](const ColumnOwner& owner, int) {
    for (std::size_t k = 0; k < m.K_ff; ++k) {
      const std::size_t I = static_cast<std::size_t>(m.ff_i[k]);
      const std::size_t J = static_cast<std::size_t>(m.ff_j[k]);
      if (!spans.pair_reaches(I, J, owner)) continue;
      const cplx s = listed_pair_value(m.points_f, m.weights_f, q, m.center_f, I, J, m.ff_ss[k], f);
      const std::int64_t* ai = &m.face_unknown[kSlots * I];
      const std::int64_t* aj = &m.face_unknown[kSlots * J];
      for (int i = 0; i < m.face_count[I]; ++i) {
        for (int l = 0; l < m.face_count[J]; ++l) {
          const cplx dd = mul(face_coefficient(m, I, i), face_coefficient(m, J, l));
          z.listed(ai[i], aj[l], -mul(mul(f.C_phi, dd), s), I == J, owner);
        }
      }
    }
  });
}

// The material term inside every tetrahedron: q_t·V_t·(n_t,i · b_t,l), q_t = κ_t/ε_t with
// ε_t = Epsilon_r + j·e_t, e_t = −tan_delta·Epsilon_r (the permittivity table).
void material_term(const Folder& z, const VolumeMesh& m) {
  std::vector<double> loss = make_buffer<double>(m.Nt, "the permittivity table");
  for (std::size_t t = 0; t < m.Nt; ++t) loss[t] = -(m.tan_delta[t] * m.epsilon_r[t]);
  for (std::size_t t = 0; t < m.Nt; ++t) {
    const double er = m.epsilon_r[t];
    const double ei = loss[t];
    const double cr = m.contrast_re[t];
    const double ci = m.contrast_im[t];
    const double den = er * er + ei * ei;
    const cplx q((cr * er + ci * ei) / den, (ci * er - cr * ei) / den);
    const cplx qv = q * m.volume[t];
    const std::int64_t* a = &m.tet_unknown[kSlots * t];
    const double* nb = m.basis_n + 18 * t;
    const double* b = m.basis + 18 * t;
    for (int i = 0; i < m.tet_count[t]; ++i) {
      for (int l = 0; l < m.tet_count[t]; ++l) {
        z.self(a[i], a[l], qv * dot3(nb + 3 * i, b + 3 * l));
      }
    }
  }
}

// The factors w_t = (g_tu·C_A)·P_tu of a tetrahedron sweep row u, t = u+1 … Nt−1, with
// P_tu = contrast_product(m, t, u) and g_tu the row's centre kernel, spelled out in the same
// order on plain arrays and locals so that the loop vectorises.
void row_factors(const SweepDistances& distances, const VolumeMesh& m, std::size_t u, cplx C_A,
                 double* __restrict w_re, double* __restrict w_im) {
  const double A_re = C_A.real(), A_im = C_A.imag();
  const double ur = m.contrast_re[u], ui = m.contrast_im[u], uv = m.volume[u];
  const double* vol = m.volume;
  const double* cr = m.contrast_re;
  const double* ci = m.contrast_im;
  const double* amplitude = distances.amplitude();
  const double* sine = distances.sine();
  const double* cosine = distances.cosine();
  const std::size_t count = m.Nt;
  for (std::size_t t = u + 1; t < count; ++t) {
    const double g_re = cosine[t] * amplitude[t], g_im = -sine[t] * amplitude[t];
    const double h_re = g_re * A_re - g_im * A_im, h_im = g_re * A_im + g_im * A_re;
    const double a = vol[t] * cr[t], b = vol[t] * ci[t];
    const double p_re = (a * ur - b * ui) * uv, p_im = (a * ui + b * ur) * uv;
    w_re[t] = h_re * p_re - h_im * p_im;
    w_im[t] = h_re * p_im + h_im * p_re;
  }
}

// How many pairs ahead the tetrahedron sweep requests matrix entries.
constexpr std::size_t kAhead = 8;

// Vector potential between every unordered pair of distinct tetrahedra t > u, at the centroids:
// (g_tu·C_A)·P_tu·(b_u,l · b_t,i), tetrahedron t first, added by the pair fold. Per pair one
// square root, one cosine and one sine; the function loop only multiplies and adds. As in the
// face sweep, the tetrahedron u with the smaller number runs in the outer loop, and each row
// takes its passes over all t first (distances and kernels, then the factors
// w_t = (g_tu·C_A)·P_tu) in loops that vectorise. Where all unknowns of t are larger than those
// of u (most pairs of a mesh numbered in element order), every term lands in a column of u and
// never on the diagonal: that case skips the fold and visits only the columns the thread owns.
void tetra_sweep(const Folder& z, const VolumeMesh& m, const Coefficients& f,
                 const ElementSpans& spans) {
  on_column_split(spans, m.Nt, [&](const ColumnOwner& owner, int) {
    const char* what = "the tetrahedron sweep";
    SweepDistances distances(m.Nt, what);
    std::vector<double> w_re = make_buffer<double>(m.Nt, what);
    std::vector<double> w_im = make_buffer<double>(m.Nt, what);
    for (std::size_t u = 0; u < m.Nt; ++u) {
      poll_interrupt();
      const int cu = m.tet_count[u];
      if (cu == 0 || !spans.row_reaches(u, owner)) continue;
      distances.from(m.center_t + 3 * u, m.center_t, u + 1, m.Nt, f.k_re, f.k_im);
      row_factors(distances, m, u, f.C_A, w_re.data(), w_im.data());
      // The vectors of u with their components apart, so that the dot products of one
      // function of t with all functions of u vectorise; the owned ones packed as well.
      const std::int64_t* au = &m.tet_unknown[kSlots * u];
      const double* bu = m.basis + 18 * u;
      cplx* column_u[kSlots];
      double ux[kSlots], uy[kSlots], uz[kSlots];
      int owned = 0;
      cplx* owned_column[kSlots];
      double ox[kSlots], oy[kSlots], oz[kSlots];
      for (int l = 0; l < cu; ++l) {
        column_u[l] = z.column(au[l]);
        ux[l] = bu[3 * l];
        uy[l] = bu[3 * l + 1];
        uz[l] = bu[3 * l + 2];
        if (owner.owns(au[l])) {
          owned_column[owned] = column_u[l];
          ox[owned] = ux[l];
          oy[owned] = uy[l];
          oz[owned++] = uz[l];
        }
      }
      for (std::size_t t = u + 1; t < m.Nt; ++t) {
        // The entries of the pair kAhead places on are requested now: in the columns of u they
        // lie a few rows apart, often on a new page, where the hardware's own prefetch stops;
        // the fold's entries in the columns of t lie one per column.
        if (t + kAhead < m.Nt) {
          const std::size_t v = t + kAhead;
          const std::int64_t* ahead = &m.tet_unknown[kSlots * v];
          if (spans.lo(v) > spans.hi(u)) {
            for (int i = 0; i < m.tet_count[v]; ++i)
              for (int l = 0; l < owned; ++l) __builtin_prefetch(owned_column[l] + ahead[i], 1);
          } else {
            for (int i = 0; i < m.tet_count[v]; ++i)
              for (int l = 0; l < cu; ++l)
                __builtin_prefetch(
                    ahead[i] >= au[l] ? column_u[l] + ahead[i] : z.column(ahead[i]) + au[l], 1);
          }
        }
        const int ct = m.tet_count[t];
        if (ct == 0 || distances.coinciding(t) || !spans.pair_reaches(t, u, owner)) continue;
        const cplx2 w{w_re[t], w_im[t]};
        const std::int64_t* at = &m.tet_unknown[kSlots * t];
        const double* bt = m.basis + 18 * t;
        if (spans.lo(t) > spans.hi(u)) {
          for (int i = 0; i < ct; ++i) {
            const std::int64_t a = at[i];
            const double x = bt[3 * i], y = bt[3 * i + 1], zc = bt[3 * i + 2];
            double d[kSlots];  // b_u,l · b_t,i
            for (int l = 0; l < owned; ++l) d[l] = ox[l] * x + oy[l] * y + oz[l] * zc;
            for (int l = 0; l < owned; ++l) add_scaled(owned_column[l] + a, w, d[l]);
          }
          continue;
        }
        for (int i = 0; i < ct; ++i) {
          const std::int64_t a = at[i];
          cplx* column_a = z.column(a);
          const double x = bt[3 * i], y = bt[3 * i + 1], zc = bt[3 * i + 2];
          for (int l = 0; l < cu; ++l) {
            const double d = ux[l] * x + uy[l] * y + uz[l] * zc;
            Folder::pair(column_a, column_u[l], a, au[l], cplx(w_re[t] * d, w_im[t] * d), owner);
          }
        }
      }
    }
  });
}

// Listed tetrahedron pairs: pair sum plus static value, the sweep's centroid value taken back
// for distinct tetrahedra, times C_A·P. In list order, on two threads split by columns.
void near_tetrahedra(const Folder& z, const VolumeMesh& m, const Coefficients& f,
                     const ElementSpans& spans) {
  const std::size_t q = m.QT;
  on_list_split(spans, m.tt_i.data(), m.tt_j.data(), m.K_tt, [&](const ColumnOwner& owner, int) {
    for (std::size_t k = 0; k < m.K_tt; ++k) {
      const std::size_t I = static_cast<std::size_t>(m.tt_i[k]);
      const std::size_t J = static_cast<std::size_t>(m.tt_j[k]);
      if (!spans.pair_reaches(I, J, owner)) continue;
      const cplx s = listed_pair_value(m.points_t, m.weights_t, q, m.center_t, I, J, m.tt_ss[k], f);
      const cplx w = mul(mul(s, f.C_A), contrast_product(m, I, J));
      const std::int64_t* ai = &m.tet_unknown[kSlots * I];
      const std::int64_t* aj = &m.tet_unknown[kSlots * J];
      const double* bi = m.basis + 18 * I;
      const double* bj = m.basis + 18 * J;
      for (int i = 0; i < m.tet_count[I]; ++i) {
        for (int l = 0; l < m.tet_count[J]; ++l) {
          z.listed(ai[i], aj[l], w * dot3(bi + 3 * i, bj + 3 * l), I == J, owner);
        }
      }
    }
  });
}

// Far pairs (volume_far_factor > 0): every unordered pair of distinct elements e1 > e2 that is
// not in the near list (list_i, list_j, K entries) and lies within the factor,
// |c_1 − c_2|² < factor·r_1·r_2 (r: largest centroid-to-quadrature-point distance), gets
// Δ = Σ_a Σ_b w_a·w_b·G(R_ab) − (the centre kernel the sweep added), handed to
// add(e1, e2, Δ, owner). Distinct elements have distinct interior points: G needs no guard.
// On two threads split by columns like the sweeps.
template <class Add>
void far_pairs(std::size_t count, const double* centres, const double* points,
               const double* weights, std::size_t q, const std::int64_t* list_i,
               const std::int64_t* list_j, std::size_t K, double factor, const Coefficients& f,
               const ElementSpans& spans, const Add& add) {
  const char* what = "the far-pair quadrature";
  const std::size_t grid = checked_mul(q, q, what);
  std::vector<std::size_t> start = make_buffer<std::size_t>(count + 1, what);
  for (std::size_t k = 0; k < K; ++k) {
    if (list_i[k] == list_j[k]) continue;
    ++start[static_cast<std::size_t>(list_i[k]) + 1];
    ++start[static_cast<std::size_t>(list_j[k]) + 1];
  }
  for (std::size_t e = 0; e < count; ++e) start[e + 1] += start[e];
  std::vector<std::size_t> partner = make_buffer<std::size_t>(start[count], what);
  {
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t k = 0; k < K; ++k) {
      const std::size_t I = static_cast<std::size_t>(list_i[k]);
      const std::size_t J = static_cast<std::size_t>(list_j[k]);
      if (I == J) continue;
      partner[next[I]++] = J;
      partner[next[J]++] = I;
    }
  }
  std::vector<double> radius = make_buffer<double>(count, what);
  for (std::size_t e = 0; e < count; ++e) {
    for (std::size_t a = 0; a < q; ++a) {
      radius[e] = std::max(radius[e], distance2(centres + 3 * e, points + 3 * (q * e + a)));
    }
    radius[e] = std::sqrt(radius[e]);
  }
  on_column_split(spans, count, [&](const ColumnOwner& owner, int) {
    std::vector<char> near = make_buffer<char>(count, what);
    std::vector<double> amp = make_buffer<double>(grid, what);
    std::vector<double> arg = make_buffer<double>(grid, what);
    std::vector<double> sn = make_buffer<double>(grid, what);
    std::vector<double> cs = make_buffer<double>(grid, what);
    for (std::size_t e2 = 0; e2 < count; ++e2) {
      poll_interrupt();
      if (!spans.row_reaches(e2, owner)) continue;
      for (std::size_t x = start[e2]; x < start[e2 + 1]; ++x) near[partner[x]] = 1;
      const double* y = points + 3 * q * e2;
      for (std::size_t e1 = e2 + 1; e1 < count; ++e1) {
        if (near[e1] || !spans.pair_reaches(e1, e2, owner)) continue;
        if (!(distance2(centres + 3 * e1, centres + 3 * e2) < factor * radius[e1] * radius[e2])) {
          continue;
        }
        const double* x = points + 3 * q * e1;
        for (std::size_t b = 0; b < q; ++b) {
          for (std::size_t a = 0; a < q; ++a) {
            const double R = std::sqrt(distance2(x + 3 * a, y + 3 * b));
            amp[a + q * b] = weights[a] * weights[b] * fullKernelAmplitude(R, f.k_im);
            arg[a + q * b] = f.k_re * R;
          }
        }
        sinCos(arg.data(), grid, sn.data(), cs.data());
        double s_re = 0.0, s_im = 0.0;
        for (std::size_t g = 0; g < grid; ++g) {
          s_re += cs[g] * amp[g];
          s_im -= sn[g] * amp[g];
        }
        add(e1, e2, cplx(s_re, s_im) - centre(centres, e1, e2, f), owner);
      }
      for (std::size_t x = start[e2]; x < start[e2 + 1]; ++x) near[partner[x]] = 0;
    }
  });
}

}  // namespace

void fill_volume_block(cplx* z, std::size_t n, std::size_t ns, const VolumeMesh& mesh,
                       const Coefficients& f, const FillOptions& options) {
  const double far = options.volume_far_factor;
  const Folder folder(z, n, ns, mesh.Nv);
  const ElementSpans faces =
      unknown_spans(mesh.F, mesh.face_unknown, mesh.face_count, "the face sweep");
  face_sweep(folder, mesh, f, faces);
  near_faces(folder, mesh, f, faces);
  if (far > 0.0) {
    far_pairs(mesh.F, mesh.center_f, mesh.points_f, mesh.weights_f, mesh.QF, mesh.ff_i.data(),
              mesh.ff_j.data(), mesh.K_ff, far, f, faces,
              [&](std::size_t I, std::size_t J, cplx ds, const ColumnOwner& owner) {
                const std::int64_t* ai = &mesh.face_unknown[kSlots * I];
                const std::int64_t* aj = &mesh.face_unknown[kSlots * J];
                for (int i = 0; i < mesh.face_count[I]; ++i) {
                  for (int l = 0; l < mesh.face_count[J]; ++l) {
                    const cplx dd = mul(face_coefficient(mesh, I, i), face_coefficient(mesh, J, l));
                    folder.listed(ai[i], aj[l], -mul(mul(f.C_phi, dd), ds), false, owner);
                  }
                }
              });
  }
  material_term(folder, mesh);
  const ElementSpans tetrahedra =
      unknown_spans(mesh.Nt, mesh.tet_unknown, mesh.tet_count, "the tetrahedron sweep");
  tetra_sweep(folder, mesh, f, tetrahedra);
  near_tetrahedra(folder, mesh, f, tetrahedra);
  if (far > 0.0) {
    far_pairs(mesh.Nt, mesh.center_t, mesh.points_t, mesh.weights_t, mesh.QT, mesh.tt_i.data(),
              mesh.tt_j.data(), mesh.K_tt, far, f, tetrahedra,
              [&](std::size_t I, std::size_t J, cplx ds, const ColumnOwner& owner) {
                const cplx w = mul(mul(ds, f.C_A), contrast_product(mesh, I, J));
                const std::int64_t* ai = &mesh.tet_unknown[kSlots * I];
                const std::int64_t* aj = &mesh.tet_unknown[kSlots * J];
                const double* bi = mesh.basis + 18 * I;
                const double* bj = mesh.basis + 18 * J;
                for (int i = 0; i < mesh.tet_count[I]; ++i) {
                  for (int l = 0; l < mesh.tet_count[J]; ++l) {
                    folder.listed(ai[i], aj[l], w * dot3(bi + 3 * i, bj + 3 * l), false, owner);
                  }
                }
              });
  }
}

}  // namespace mom::hybrid
