#include "pair_tables.hpp"

#include <string>

#include "errors.hpp"
#include "finite.hpp"
#include "interrupt.hpp"
#include "memory.hpp"

namespace mom::tables {

namespace {

// Source (larger area; i on ties) and observer of the pair (i, j).
struct Roles {
  std::uint32_t source, observer;
  bool source_is_j;
};
inline Roles roles(const TriangleSet& tris, std::uint32_t i, std::uint32_t j) {
  const bool sj = tris.area(j) > tris.area(i);
  return {sj ? j : i, sj ? i : j, sj};
}

void plate_pair_values(const TriangleSet& tris, const TriangleRule& rule, std::uint32_t i,
                       std::uint32_t j, double& ss, double* rs) {
  const Roles ro = roles(tris, i, j);
  Vec3 U[3], W[3];
  tris.vertices(ro.source, U);
  tris.vertices(ro.observer, W);
  const TriangleFrame source = make_triangle_frame(U[0], U[1], U[2]);
  const Vec3 n = source.face.n;

  double q_sum = 0.0;
  double m[3][3] = {};
  for (std::size_t q = 0; q < rule.count; ++q) {
    const double w = rule.weights[q];
    Vec3 r = rule.point(q, W);
    Vec3 iv;
    const double is = trianglePotential(source, r, &iv);  // r now carries the probe shift
    q_sum += w * is;
    Vec3 g[3];
    for (int a = 0; a < 3; ++a) {
      const Vec3 v = r - U[a];
      const Vec3 p = v - dot(n, v) * n;  // in-plane part of r − U_a
      g[a] = iv + is * p;                // ∫_S (r′ − U_a)/R dS′
    }
    for (int b = 0; b < 3; ++b) {
      const Vec3 rw = r - W[b];
      for (int a = 0; a < 3; ++a) m[a][b] += w * dot(g[a], rw);
    }
  }
  const double area = tris.area(ro.source);
  ss = q_sum / area;
  for (int x = 0; x < 3; ++x) {
    for (int y = 0; y < 3; ++y) rs[3 * x + y] = (ro.source_is_j ? m[y][x] : m[x][y]) / area;
  }
}

}  // namespace

TriangleRule make_triangle_rule(const Table& coeff, const double* weights,
                                std::size_t weight_count) {
  require_rows(coeff, 3, "argument 'coeff'");
  if (weight_count < coeff.cols) {
    fail("badSize", "argument 'weights' has " + std::to_string(weight_count) +
                        " values, at least " + std::to_string(coeff.cols) +
                        " needed (one per column of 'coeff')");
  }
  // The points and weights enter every table value: the three rows of each column and the
  // first Nq weights must be finite.
  require_finite_rows(coeff.data, coeff.rows, 3, coeff.cols, "argument 'coeff'");
  require_finite_rows(weights, coeff.cols, coeff.cols, 1, "argument 'weights'");
  return {coeff, weights, coeff.cols};
}

double triangle_pair_scalar(const TriangleSet& tris, const TriangleRule& rule, std::uint32_t i,
                            std::uint32_t j) {
  const Roles ro = roles(tris, i, j);
  Vec3 U[3], W[3];
  tris.vertices(ro.source, U);
  tris.vertices(ro.observer, W);
  const TriangleFrame source = make_triangle_frame(U[0], U[1], U[2]);
  double q_sum = 0.0;
  for (std::size_t q = 0; q < rule.count; ++q) {
    Vec3 r = rule.point(q, W);
    q_sum += rule.weights[q] * trianglePotential(source, r, nullptr);
  }
  return q_sum / tris.area(ro.source);
}

// --- Metal triangle table ---------------------------------------------------------------------

std::vector<std::int64_t> substitute_triangles(const TriangleSet& tris,
                                               const std::vector<std::uint8_t>& labelled) {
  const std::size_t n = tris.size();
  std::vector<std::int64_t> out(n, -1);
  bool any_plain = false;
  for (std::size_t j = 0; j < n; ++j) any_plain = any_plain || !labelled[j];
  if (n <= 2 || !any_plain) return out;

  std::vector<double> dist = make_buffer<double>(n, "the substitute search");
  for (std::size_t i = 0; i < n; ++i) {
    if (!labelled[i]) continue;
    const Vec3 ci = tris.centroid(i);
    // First and last entries of the (distance, index) order.
    std::size_t first = 0, last = 0;
    for (std::size_t j = 0; j < n; ++j) {
      dist[j] = distance2(ci, tris.centroid(j));
      if (dist[j] < dist[first]) first = j;
      if (dist[j] >= dist[last]) last = j;
    }
    std::int64_t best = -1;
    for (std::size_t j = 0; j < n; ++j) {
      if (labelled[j] || j == first || j == last) continue;
      if (best < 0 || dist[j] < dist[static_cast<std::size_t>(best)]) {
        best = static_cast<std::int64_t>(j);
      }
    }
    out[i] = best;
  }
  return out;
}

PlateSetup prepare_plate_table(const PlateInput& in) {
  if (in.triangles.cols > 0) {
    require_rows(in.triangles, 4, "argument 't'");
    require_rows(in.points, 3, "argument 'P'");
  }
  TriangleRule rule = make_triangle_rule(in.coeff, in.weights, in.weight_count);
  TriangleSet tris(in.points, read_vertex_numbers(in.triangles, 3, in.points.cols, "argument 't'"),
                   "triangle", "argument 't'");
  const std::size_t n = tris.size();
  std::vector<std::uint8_t> labelled = make_buffer<std::uint8_t>(n, "triangle labels");
  for (std::size_t t = 0; t < n; ++t) {
    const double label = in.triangles.at(3, t);  // truncated toward zero, equal to 3
    labelled[t] = label >= 3.0 && label < 4.0;
  }
  std::vector<std::int64_t> substitute = substitute_triangles(tris, labelled);
  std::vector<NearPair> pairs = near_pairs_within(tris.balls(), in.k);
  return {std::move(tris), rule, std::move(pairs), std::move(labelled), std::move(substitute)};
}

void fill_plate_table(const PlateSetup& setup, double* ss, double* rs) {
  const std::size_t m = setup.pairs.size();
  for (std::size_t p = 0; p < m; ++p) {
    if (p % kPollEvery == 0) poll_interrupt();
    plate_pair_values(setup.triangles, setup.rule, setup.pairs[p].i, setup.pairs[p].j, ss[p],
                      rs + 9 * p);
  }
  // Labelled self terms. The self pair (t, t) is the last pair recorded for i = t.
  const std::size_t n = setup.triangles.size();
  std::vector<std::int64_t> self(n, -1);
  for (std::size_t p = 0; p < m; ++p) {
    if (setup.pairs[p].i == setup.pairs[p].j) self[setup.pairs[p].i] = static_cast<std::int64_t>(p);
  }
  for (std::size_t t = 0; t < n; ++t) {
    if (!setup.labelled[t] || self[t] < 0) continue;
    const auto p = static_cast<std::size_t>(self[t]);
    for (int v = 0; v < 9; ++v) rs[9 * p + v] = 0.0;
    const std::int64_t s = setup.substitute[t];
    if (s >= 0 && self[static_cast<std::size_t>(s)] >= 0) {
      ss[p] = ss[static_cast<std::size_t>(self[static_cast<std::size_t>(s)])];
    }
  }
}

PlateTable plate_table(const PlateInput& in) {
  const PlateSetup setup = prepare_plate_table(in);
  PlateTable out;
  const std::size_t m = setup.pairs.size();
  out.ss = make_buffer<double>(m, "the pair table");
  out.rs = make_buffer<double>(checked_mul(9, m, "the pair table"), "the pair table");
  fill_plate_table(setup, out.ss.data(), out.rs.data());
  out.pairs = setup.pairs;
  out.area = setup.triangles.areas();
  out.centroid = setup.triangles.centroids();
  return out;
}

// --- Face table -------------------------------------------------------------------------------

SeamSetup prepare_seam_table(const SeamInput& in) {
  if (in.points.rows != 3) fail("badSize", "qplate.DLL: P array must have exactly 3 rows");
  if (in.faces.rows != 3) fail("badSize", "qplate.DLL: Face array must have exactly 3 rows");
  if (in.weights.cols != in.coeff.cols) {
    fail("badSize",
         "qplate.DLL: number of weights must be exactly the generator size - size(coeff,2)");
  }
  TriangleRule rule =
      make_triangle_rule(in.coeff, in.weights.data, in.weights.rows * in.weights.cols);
  TriangleSet faces(in.points, read_vertex_numbers(in.faces, 3, in.points.cols, "argument 'Faces'"),
                    "face", "argument 'Faces'");
  std::vector<NearPair> pairs = near_pairs_within(faces.balls(), in.k);
  return {std::move(faces), rule, std::move(pairs)};
}

void fill_seam_table(const SeamSetup& setup, double* ss) {
  for (std::size_t p = 0; p < setup.pairs.size(); ++p) {
    if (p % kPollEvery == 0) poll_interrupt();
    ss[p] = triangle_pair_scalar(setup.faces, setup.rule, setup.pairs[p].i, setup.pairs[p].j);
  }
}

ScalarTable seam_table(const SeamInput& in) {
  return scalar_table(prepare_seam_table(in), fill_seam_table);
}

}  // namespace mom::tables
