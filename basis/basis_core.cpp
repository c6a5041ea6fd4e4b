#include "basis_core.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"

namespace mom::basis {

namespace {

// Local edges of a tetrahedron p0 p1 p2 p3: ends A, B and the other two vertices C, D.
constexpr int kEdgeA[6] = {0, 0, 0, 1, 1, 2};
constexpr int kEdgeB[6] = {1, 2, 3, 2, 3, 3};
constexpr int kEdgeC[6] = {2, 1, 1, 0, 0, 0};
constexpr int kEdgeD[6] = {3, 3, 2, 3, 2, 1};
// Local edges of a face q0 q1 q2: edge k joins these two vertices and is opposite q_k.
constexpr int kFaceA[3] = {1, 0, 0};
constexpr int kFaceB[3] = {2, 2, 1};

struct Vec {
  double x, y, z;
};
Vec load(const double* p) { return {p[0], p[1], p[2]}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator/(Vec a, double s) { return {a.x / s, a.y / s, a.z / s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double norm(Vec a) { return std::sqrt(dot(a, a)); }
Vec unit(Vec a) { return a / norm(a); }

// Reads a table of 1-based numbers (or, with base 0, numbers where 0 means "none"), truncating
// toward zero, and returns them as value − base. Values outside lo..hi end the call with a
// message naming the argument and the column.
std::vector<std::int32_t> read_numbers(const double* v, std::size_t rows, std::size_t cols,
                                       std::int64_t base, std::int64_t lo, std::int64_t hi,
                                       const char* argument, const char* kind) {
  const std::size_t n = checked_mul(rows, cols, argument);
  std::vector<std::int32_t> out = make_buffer<std::int32_t>(n, argument);
  for (std::size_t i = 0; i < n; ++i) {
    std::int64_t t = 0;
    if (!truncate_to_int64(v[i], t) || t < lo || t > hi) {
      fail("badIndex", std::string("argument '") + argument + "': " + kind + " " +
                           format_index_value(v[i]) + " in column " + std::to_string(i / rows + 1) +
                           " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    out[i] = static_cast<std::int32_t>(t - base);
  }
  return out;
}

// Ordered vertex pair → the last column of the edge table holding it. The columns are listed
// per first vertex, each list ordered by second vertex and then column, so a lookup is a
// binary search in a short list; neighbouring tetrahedra, which share vertex numbers, reuse
// the same lists from cache.
class PairIndex {
 public:
  PairIndex(const std::int32_t* pairs, std::size_t count, std::size_t num_vertices)
      : start_(make_buffer<std::size_t>(num_vertices + 1, "the edge index")),
        entries_(make_buffer<Entry>(count, "the edge index")) {
    for (std::size_t c = 0; c < count; ++c) ++start_[static_cast<std::size_t>(pairs[2 * c]) + 1];
    for (std::size_t v = 0; v < num_vertices; ++v) start_[v + 1] += start_[v];
    std::vector<std::size_t> fill(start_.begin(), start_.end() - 1);
    for (std::size_t c = 0; c < count; ++c) {
      entries_[fill[static_cast<std::size_t>(pairs[2 * c])]++] = {pairs[2 * c + 1],
                                                                  static_cast<std::uint32_t>(c)};
    }
    for (std::size_t v = 0; v < num_vertices; ++v)
      std::sort(entries_.begin() + start_[v], entries_.begin() + start_[v + 1]);
  }
  // The last column holding (a, b), or kNone.
  std::uint32_t find(std::int32_t a, std::int32_t b) const {
    const auto first = entries_.begin() + start_[static_cast<std::size_t>(a)];
    const auto last = entries_.begin() + start_[static_cast<std::size_t>(a) + 1];
    const auto it = std::upper_bound(first, last, Entry{b, kNone});
    return it != first && (it - 1)->second == b ? (it - 1)->col : kNone;
  }
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

 private:
  struct Entry {
    std::int32_t second;
    std::uint32_t col;
    bool operator<(const Entry& o) const {
      return second != o.second ? second < o.second : col < o.col;
    }
  };
  std::vector<std::size_t> start_;
  std::vector<Entry> entries_;
};

}  // namespace

bool local_edge_vectors(const double* p0, const double* p1, const double* p2, const double* p3,
                        double* b) {
  const Vec p[4] = {load(p0), load(p1), load(p2), load(p3)};
  for (int k = 0; k < 6; ++k) {
    const Vec a = p[kEdgeA[k]], bb = p[kEdgeB[k]];
    Vec c = p[kEdgeC[k]], d = p[kEdgeD[k]];
    // Orient C, D so that (C − A) × (D − A) points to the side of B; then b = 2∇λ_A × ∇λ_B.
    if (dot(cross(c - a, d - a), bb - a) < 0) std::swap(c, d);
    const Vec m = cross(c - a, d - a);
    const double mm = norm(m);
    const double area = 0.5 * mm;                          // of triangle A C D
    const double height = std::fabs(dot(m / mm, bb - a));  // of B above it
    const double ab = norm(bb - a);
    const double denominator = ab * ((area * height) / ab);  // 3 × volume
    const Vec v = d - c;
    b[3 * k] = v.x / denominator;
    b[3 * k + 1] = v.y / denominator;
    b[3 * k + 2] = v.z / denominator;
    if (!(std::isfinite(b[3 * k]) && std::isfinite(b[3 * k + 1]) && std::isfinite(b[3 * k + 2])))
      return false;
  }
  return true;
}

VolumeBasis build_basis(const Mesh& mesh, const Materials& mat) {
  const std::size_t np = mesh.num_points, nt = mesh.num_tets, nf = mesh.num_faces,
                    ne = mesh.num_edges;
  // Vertex numbers are kept in 32 bits, columns and tetrahedron slots (4t + face) in 32 bits.
  if (np > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    fail("tooLarge", "argument 'P' has more vertices than 32-bit vertex numbers can address");
  if (ne >= std::numeric_limits<std::uint32_t>::max())
    fail("tooLarge", "argument 'Edges' has more columns than 32-bit edge numbers can address");
  if (nt >= (std::size_t{1} << 30))
    fail("tooLarge", "argument 'T' has more tetrahedra than 32-bit tables can address");
  const std::int64_t np64 = static_cast<std::int64_t>(np);
  const std::int64_t nt64 = static_cast<std::int64_t>(nt);

  // Checks and integer tables.
  for (std::size_t i = 0; i < 3 * np; ++i)
    if (!std::isfinite(mesh.points[i]))
      fail("badValue", "argument 'P': column " + std::to_string(i / 3 + 1) +
                           " holds a coordinate that is not finite");
  const std::vector<std::int32_t> tv =
      read_numbers(mesh.tetrahedra, 4, nt, 1, 1, np64, "T", "vertex number");
  const std::vector<std::int32_t> fv =
      read_numbers(mesh.faces, 3, nf, 1, 1, np64, "Faces", "vertex number");
  const std::vector<std::int32_t> ev =
      read_numbers(mesh.edges, 2, ne, 1, 1, np64, "Edges", "vertex number");
  const std::vector<std::int32_t> ft =
      read_numbers(mesh.face_tets, 2, nf, 0, 0, nt64, "TET", "tetrahedron number");
  for (std::size_t f = 0; f < nf; ++f)
    if (ft[2 * f] == 0 && ft[2 * f + 1] == 0)
      fail("noTetrahedron", "argument 'TET': column " + std::to_string(f + 1) +
                                " names no tetrahedron; every face needs one on a side");

  VolumeBasis out;
  const auto point = [&](std::int32_t v) { return mesh.points + 3 * static_cast<std::size_t>(v); };

  // Contrast κ_t = 1 − ε_b/ε_t with ε_t = r_t − j r_t d_t, in real arithmetic.
  out.contrast_re = make_buffer<double>(nt, "the contrasts");
  out.contrast_im = make_buffer<double>(nt, "the contrasts");
  for (std::size_t t = 0; t < nt; ++t) {
    const double r = mat.epsilon_r[t];
    const double p = -r * mat.tan_delta[t];
    const double mod2 = r * r + p * p;
    out.contrast_re[t] = 1 - mat.epsilon * r / mod2;
    out.contrast_im[t] = mat.epsilon * p / mod2;
    if (!std::isfinite(out.contrast_re[t]) || !std::isfinite(out.contrast_im[t])) {
      fail("badMaterial",
           "field 'Epsilon_r' of 'const': tetrahedron " + std::to_string(t + 1) + " (Epsilon_r = " +
               format_index_value(r) + ", tan_delta = " + format_index_value(mat.tan_delta[t]) +
               ") has no finite contrast against 'epsilon' = " + format_index_value(mat.epsilon));
    }
  }

  // Tetrahedra: centroid, volume, local edge vectors and the column of each local edge.
  out.center_t = make_buffer<double>(checked_mul(3, nt, "the centroids"), "the centroids");
  out.volume_t = make_buffer<double>(nt, "the volumes");
  // The six local vectors of tetrahedron t go to column t of BasisTC in local edge order, and
  // are compacted there onto the kept edges once the selection is known.
  out.basis_tc = make_buffer<double>(checked_mul(18, nt, "the edge vectors"), "the edge vectors");
  std::vector<std::uint32_t> tet_edges =
      make_buffer<std::uint32_t>(checked_mul(6, nt, "the edge numbers"), "the edge numbers");
  const PairIndex index(ev.data(), ne, np);
  for (std::size_t t = 0; t < nt; ++t) {
    const std::int32_t* v = &tv[4 * t];
    const Vec p0 = load(point(v[0])), p1 = load(point(v[1])), p2 = load(point(v[2])),
              p3 = load(point(v[3]));
    const Vec c = (p0 + p1 + p2 + p3) / 4;
    out.center_t[3 * t] = c.x;
    out.center_t[3 * t + 1] = c.y;
    out.center_t[3 * t + 2] = c.z;
    out.volume_t[t] = std::fabs(dot(p1 - p0, cross(p2 - p0, p3 - p0))) / 6;
    if (out.volume_t[t] == 0 || !local_edge_vectors(point(v[0]), point(v[1]), point(v[2]),
                                                    point(v[3]), &out.basis_tc[18 * t]))
      fail("degenerate",
           "argument 'T': the tetrahedron in column " + std::to_string(t + 1) + " has zero volume");
    for (int k = 0; k < 6; ++k) {
      const std::int32_t a = v[kEdgeA[k]], b = v[kEdgeB[k]];
      const std::uint32_t col = index.find(a, b);
      if (col == PairIndex::kNone)
        fail("missingEdge", "argument 'T': edge (" + std::to_string(a + 1) + ", " +
                                std::to_string(b + 1) + ") of the tetrahedron in column " +
                                std::to_string(t + 1) + " is not a column of 'Edges'");
      tet_edges[6 * t + k] = col;
    }
  }

  // Independent edges, numbered 1…Nk in column order.
  const std::vector<unsigned char> kept =
      select_independent_edges(ev.data(), ne, np, tet_edges.data(), nt, &out.selection);
  std::vector<std::uint32_t> number = make_buffer<std::uint32_t>(ne, "the basis numbers");
  for (std::size_t c = 0; c < ne; ++c)
    if (kept[c]) number[c] = static_cast<std::uint32_t>(++out.num_retained);
  out.edge = make_buffer<double>(2 * out.num_retained, "the kept edges");
  for (std::size_t c = 0, n = 0; c < ne; ++c)
    if (kept[c]) {
      out.edge[2 * n] = ev[2 * c] + 1.0;
      out.edge[2 * n + 1] = ev[2 * c + 1] + 1.0;
      ++n;
    }

  // Packing: the kept local edges of each tetrahedron, in slot order.
  out.edges_tn = make_buffer<double>(6 * nt, "the tetrahedron tables");
  out.edges_tni = make_buffer<double>(nt, "the tetrahedron tables");
  for (std::size_t t = 0; t < nt; ++t) {
    int c = 0;
    double* column = &out.basis_tc[18 * t];
    for (int k = 0; k < 6; ++k) {
      const std::uint32_t n = number[tet_edges[6 * t + k]];
      if (!n) continue;
      out.edges_tn[6 * t + c] = n;
      for (int i = 0; i < 3; ++i) column[3 * c + i] = column[3 * k + i];  // c ≤ k: in place
      ++c;
    }
    for (int i = 3 * c; i < 18; ++i) column[i] = 0;
    out.edges_tni[t] = c;
  }
  // Faces: area, centroid, and the packed kept local edges with their contrast jumps. The
  // edge-oriented normal of local edge k = (a, b) opposite o is the unit vector of
  // (a − o) × (b − o); with it the edge's function has flux +1 through the face. The
  // tetrahedron on the side it points to is the plus side, and the jump is κ_minus − κ_plus,
  // an absent side counting as zero contrast. The sides are decided by geometry, whichever
  // row of TET names them.
  out.area_f = make_buffer<double>(nf, "the face tables");
  out.center_f = make_buffer<double>(checked_mul(3, nf, "the face tables"), "the face tables");
  out.edges_fn = make_buffer<double>(3 * nf, "the face tables");
  out.edges_fni = make_buffer<double>(nf, "the face tables");
  out.diff_contrast_re = make_buffer<double>(3 * nf, "the face tables");
  out.diff_contrast_im = make_buffer<double>(3 * nf, "the face tables");
  for (std::size_t f = 0; f < nf; ++f) {
    const Vec q0 = load(point(fv[3 * f])), q1 = load(point(fv[3 * f + 1])),
              q2 = load(point(fv[3 * f + 2]));
    out.area_f[f] = 0.5 * norm(cross(q1 - q2, q2 - q0));
    const Vec center = (q0 + q1 + q2) / 3;
    out.center_f[3 * f] = center.x;
    out.center_f[3 * f + 1] = center.y;
    out.center_f[3 * f + 2] = center.z;
    const Vec normals[3] = {unit(cross(q1 - q2, q2 - q0)), unit(cross(q0 - q1, q2 - q1)),
                            unit(cross(q0 - q2, q1 - q2))};
    int c = 0;
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t col = index.find(fv[3 * f + kFaceA[k]], fv[3 * f + kFaceB[k]]);
      const std::uint32_t n = col == PairIndex::kNone ? 0 : number[col];
      if (!n) continue;
      std::int32_t plus = 0, minus = 0;
      for (int side = 0; side < 2; ++side) {
        const std::int32_t s = ft[2 * f + side];
        if (s <= 0) continue;
        const Vec ct = load(&out.center_t[3 * static_cast<std::size_t>(s - 1)]);
        (dot(normals[k], ct - center) > 0 ? plus : minus) = s;
      }
      double re = 0, im = 0;
      if (minus) {
        re += out.contrast_re[minus - 1];
        im += out.contrast_im[minus - 1];
      }
      if (plus) {
        re -= out.contrast_re[plus - 1];
        im -= out.contrast_im[plus - 1];
      }
      out.edges_fn[3 * f + c] = n;
      out.diff_contrast_re[3 * f + c] = re;
      out.diff_contrast_im[3 * f + c] = im;
      ++c;
    }
    out.edges_fni[f] = c;
  }
  return out;
}

}  // namespace mom::basis
