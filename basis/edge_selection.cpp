// Exact selection of the independent edge functions.
//
// The rule. Column c is dropped iff F(c) ∈ span{F(j) : j < c}, F(c) being the piecewise
// constant curl field of the column's edge function. Equivalently c is dropped iff some x with
// x_c ≠ 0 and x_j = 0 for all j > c has F(x) = 0. Inside one tetrahedron the six local vectors
// b_k = 2 ∇λ_A × ∇λ_B satisfy exactly the four vertex relations Σ_k (±1) b_k = 0 (one per
// vertex, signs from the orientation of the edges meeting there) and no others, so F(x) = 0
// iff on every tetrahedron x is a local gradient, i.e. iff x has zero circulation round every
// triangle of every tetrahedron: x is a cocycle of the cell complex whose 1-cells are the used
// columns (with their ordered vertex pairs) and whose 2-cells are the tetrahedron faces. The
// geometry never enters; only the incidences do, which makes the decision exact.
//
// Matroid duality. The kept set B is the greedy basis of the column matroid of F in column
// order; its complement is the greedy basis of the dual matroid taken from the last column to
// the first. The dual is represented by the cocycles: gradients dφ of vertex potentials, one
// extra cocycle per independent non-contractible loop (the first cohomology), and a unit vector
// for every column that belongs to no tetrahedron. Therefore:
//
//   1. Unused columns are always dropped.
//   2. Taking used columns from the last to the first, a column that joins two components of
//      the forest built so far is dropped (reverse Kruskal with union–find): the gradients
//      alone make it independent in the dual.
//   3. Every other used column closes a fundamental cycle c_e of that forest. Among these, the
//      dropped ones are picked greedily, again from the last column to the first, as those
//      whose homology classes [c_e] ∈ H₁ are independent of the classes already picked. There
//      are exactly b₁ = dim H₁ of them (none on a simply connected mesh).
//
// Homology classes without a Gram matrix. H₁ is computed over the integers modulo the prime
// p = 2⁶¹ − 1. Elementary collapses, which keep the homotopy type, shrink the complex first:
//   a. a triangle that lies in one remaining tetrahedron is removed with it (its circulation
//      relation is the signed sum of the other three faces' relations);
//   b. an edge that lies in one remaining triangle (in no tetrahedron) is removed with it; the
//      triangle's relation gives the class map φ of that edge from the two other edges;
//   c. a vertex on one remaining edge (in no triangle) is removed with it; such edges form a
//      forest on which φ = 0.
// When b. stalls on triangles that bound no tetrahedron (the closed surface left round a
// cavity, or a rare contractible but non-collapsible patch), one of them is set aside and b.
// resumes. At the end the relation of each set-aside triangle is evaluated with the classes
// found without it: zero for a triangle of a closed surface (its relation is the sum of the
// others'), otherwise it is quotiented out of the classes exactly.
// What is left (the core) is small on ordinary meshes: a point per component for a ball or a
// hollow body, a circle for a solid torus. On the core, a spanning forest gets φ = 0 and the
// remaining core edges are the unknowns of the triangle relations; a sparse echelon reduction
// modulo p gives b₁ (the unknowns without pivot) and φ of every core edge. The recorded collapses,
// replayed backwards, give φ of all other edges, with φ(e) the class of the loop closed by e
// through the collapse forest. The class of the fundamental cycle of e = (a → b) in the forest of
// step 2 is then φ(e) + Ψ(a) − Ψ(b), Ψ(v) being the sum of φ along that forest from its root to v.
//
// Cost. Every step is linear in the mesh size (shared triangles are found by a counting sort
// of the 4·Nt tetrahedron faces on their lowest column), plus O((Ne + Nv)·b₁) for the class vectors
// (only when b₁ > 0) and the elimination on the core, whose size is that of the part of the mesh
// that does not collapse. Memory is under 200 bytes per tetrahedron; no dense matrix is formed.
//
// Exactness of the modular arithmetic. Ranks modulo p equal the real ranks unless p divides a
// minor of the integer relation matrix. For cell complexes in space H₁ has no torsion, and the
// relations have entries ±1; a 61-bit prime dividing such a minor does not occur in practice.
#include "edge_selection.hpp"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>

#include "errors.hpp"
#include "memory.hpp"

namespace mom::basis {

namespace {

// --- Arithmetic modulo p = 2⁶¹ − 1 ---------------------------------------------------------

constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

std::uint64_t add_mod(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t s = a + b;
  return s >= kPrime ? s - kPrime : s;
}
std::uint64_t sub_mod(std::uint64_t a, std::uint64_t b) { return a >= b ? a - b : a + kPrime - b; }
std::uint64_t mul_mod(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 z = static_cast<unsigned __int128>(a) * b;
  const std::uint64_t s =
      static_cast<std::uint64_t>(z & kPrime) + static_cast<std::uint64_t>(z >> 61);
  return s >= kPrime ? s - kPrime : s;
}
std::uint64_t inv_mod(std::uint64_t a) {
  std::uint64_t result = 1, base = a, e = kPrime - 2;
  while (e) {
    if (e & 1) result = mul_mod(result, base);
    base = mul_mod(base, base);
    e >>= 1;
  }
  return result;
}
std::uint64_t from_sign(int s) { return s > 0 ? 1 : kPrime - 1; }

// --- Union–find over vertex numbers ---------------------------------------------------------

class UnionFind {
 public:
  explicit UnionFind(std::size_t n) : parent_(make_buffer<std::uint32_t>(n, "the vertex forest")) {
    std::iota(parent_.begin(), parent_.end(), 0u);
  }
  std::uint32_t find(std::uint32_t v) {
    while (parent_[v] != v) {
      parent_[v] = parent_[parent_[v]];  // path halving
      v = parent_[v];
    }
    return v;
  }
  // Joins the sets of a and b; false when they were one set already.
  bool unite(std::uint32_t a, std::uint32_t b) {
    a = find(a);
    b = find(b);
    if (a == b) return false;
    parent_[a] = b;
    return true;
  }

 private:
  std::vector<std::uint32_t> parent_;
};

// Compressed lists: the items of owner i are items[offsets[i] .. offsets[i+1]).
struct Lists {
  std::vector<std::size_t> offsets;
  std::vector<std::uint32_t> items;
};

// Builds the lists from (owner, item) pairs given by a callback over `count` entries.
template <class Pairs>
Lists build_lists(std::size_t owners, std::size_t count, Pairs pairs, const char* what) {
  Lists l;
  l.offsets = make_buffer<std::size_t>(owners + 1, what);
  for (std::size_t i = 0; i < count; ++i) ++l.offsets[pairs(i).first + 1];
  for (std::size_t i = 0; i < owners; ++i) l.offsets[i + 1] += l.offsets[i];
  l.items = make_buffer<std::uint32_t>(count, what);
  std::vector<std::size_t> fill(l.offsets.begin(), l.offsets.end() - 1);
  for (std::size_t i = 0; i < count; ++i) {
    const auto [owner, item] = pairs(i);
    l.items[fill[owner]++] = item;
  }
  return l;
}

// The four faces of a tetrahedron as local edge slots (xy, yz, xz) of its vertices x < y < z in
// local order; the boundary loop x → y → z → x is +xy + yz − xz.
constexpr std::array<std::array<int, 3>, 4> kFaceSlots = {
    {{0, 3, 1}, {0, 4, 2}, {1, 5, 2}, {3, 5, 4}}};
constexpr std::array<int, 3> kFaceSigns = {1, 1, -1};

// The triangles (2-cells) of the complex: each distinct triple of columns met as a tetrahedron
// face, with the signs of its boundary loop, and the tetrahedra that contain it.
struct Triangles {
  std::size_t count = 0;
  std::vector<std::uint32_t> cols;    // 3 per triangle
  std::vector<signed char> signs;     // 3 per triangle
  std::vector<std::uint32_t> of_tet;  // 4 per tetrahedron
  Lists tets;                         // tetrahedra of each triangle
};

Triangles build_triangles(const std::uint32_t* tet_edges, std::size_t num_tets,
                          std::size_t num_edges) {
  struct Entry {
    std::uint32_t key[3];  // the three columns, ascending
    std::uint32_t slot;    // 4t + face
  };
  const std::size_t n = checked_mul(num_tets, 4, "the triangle table");
  std::vector<Entry> entries = make_buffer<Entry>(n, "the triangle table");
  for (std::size_t t = 0; t < num_tets; ++t) {
    for (int f = 0; f < 4; ++f) {
      Entry& e = entries[4 * t + f];
      for (int i = 0; i < 3; ++i) e.key[i] = tet_edges[6 * t + kFaceSlots[f][i]];
      if (e.key[0] > e.key[1]) std::swap(e.key[0], e.key[1]);
      if (e.key[1] > e.key[2]) std::swap(e.key[1], e.key[2]);
      if (e.key[0] > e.key[1]) std::swap(e.key[0], e.key[1]);
      e.slot = static_cast<std::uint32_t>(4 * t + f);
    }
  }
  // Order the faces by their column triples: a counting sort on the lowest column, then the
  // few faces sharing a lowest column sorted among themselves. Linear in the face count.
  {
    std::vector<std::size_t> start = make_buffer<std::size_t>(num_edges + 1, "the triangle table");
    for (const Entry& e : entries) ++start[e.key[0] + 1];
    for (std::size_t c = 0; c < num_edges; ++c) start[c + 1] += start[c];
    std::vector<Entry> sorted = make_buffer<Entry>(n, "the triangle table");
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (const Entry& e : entries) sorted[fill[e.key[0]]++] = e;
    for (std::size_t c = 0; c < num_edges; ++c)
      std::sort(sorted.begin() + start[c], sorted.begin() + start[c + 1],
                [](const Entry& a, const Entry& b) {
                  return a.key[1] != b.key[1] ? a.key[1] < b.key[1] : a.key[2] < b.key[2];
                });
    entries.swap(sorted);
  }

  Triangles tri;
  tri.of_tet = make_buffer<std::uint32_t>(n, "the triangle table");
  std::vector<std::uint32_t> starts;
  starts.reserve(n / 2 + 2);
  for (std::size_t i = 0; i < n; ++i) {
    if (i == 0 || !std::equal(entries[i].key, entries[i].key + 3, entries[i - 1].key)) {
      starts.push_back(static_cast<std::uint32_t>(i));
    }
    tri.of_tet[entries[i].slot] = static_cast<std::uint32_t>(starts.size() - 1);
  }
  tri.count = starts.size();
  tri.cols = make_buffer<std::uint32_t>(3 * tri.count, "the triangle table");
  tri.signs = make_buffer<signed char>(3 * tri.count, "the triangle table");
  for (std::size_t k = 0; k < tri.count; ++k) {
    const std::uint32_t slot = entries[starts[k]].slot;
    const std::size_t t = slot / 4;
    const int f = static_cast<int>(slot % 4);
    for (int i = 0; i < 3; ++i) {
      tri.cols[3 * k + i] = tet_edges[6 * t + kFaceSlots[f][i]];
      tri.signs[3 * k + i] = static_cast<signed char>(kFaceSigns[i]);
    }
  }
  tri.tets.offsets = make_buffer<std::size_t>(tri.count + 1, "the triangle table");
  for (std::size_t k = 0; k < tri.count; ++k) tri.tets.offsets[k] = starts[k];
  tri.tets.offsets[tri.count] = n;
  tri.tets.items = make_buffer<std::uint32_t>(n, "the triangle table");
  for (std::size_t i = 0; i < n; ++i) tri.tets.items[i] = entries[i].slot / 4;
  return tri;
}

// Class vectors in (ℤ/p)^b₁, one row of `dim` values per owner.
class ClassTable {
 public:
  ClassTable(std::size_t owners, std::size_t dim, const char* what)
      : dim_(dim), v_(make_buffer<std::uint64_t>(checked_mul(owners, dim, what), what)) {}
  std::uint64_t* row(std::size_t i) { return v_.data() + i * dim_; }
  const std::uint64_t* row(std::size_t i) const { return v_.data() + i * dim_; }

 private:
  std::size_t dim_;
  std::vector<std::uint64_t> v_;
};

// y += s·x over `dim` values, s = ±1.
void add_signed(std::uint64_t* y, const std::uint64_t* x, int s, std::size_t dim) {
  for (std::size_t i = 0; i < dim; ++i) y[i] = s > 0 ? add_mod(y[i], x[i]) : sub_mod(y[i], x[i]);
}

// The collapses and the class map φ of every used column (see the comment at the top).
// Returns b₁; fills `phi` (one row per column) only when b₁ > 0.
struct LoopClasses {
  std::size_t loops = 0;
  std::size_t core_edges = 0;
  std::size_t core_triangles = 0;
  std::size_t suspended_triangles = 0;
  std::vector<std::uint64_t> phi;  // num_edges × loops
};

LoopClasses loop_classes(const std::int32_t* ev, std::size_t num_edges, std::size_t num_vertices,
                         const std::vector<unsigned char>& used, const std::uint32_t* tet_edges,
                         std::size_t num_tets) {
  const Triangles tri = build_triangles(tet_edges, num_tets, num_edges);
  const std::size_t nt = tri.count;

  // a. Tetrahedra through free triangles.
  std::vector<unsigned char> tet_alive(num_tets, 1), tri_alive(nt, 1);
  std::vector<std::uint32_t> tri_tets = make_buffer<std::uint32_t>(nt, "the collapse counters");
  std::vector<std::uint32_t> queue;
  for (std::size_t k = 0; k < nt; ++k) {
    tri_tets[k] = static_cast<std::uint32_t>(tri.tets.offsets[k + 1] - tri.tets.offsets[k]);
    if (tri_tets[k] == 1) queue.push_back(static_cast<std::uint32_t>(k));
  }
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::uint32_t k = queue[q];
    if (!tri_alive[k] || tri_tets[k] != 1) continue;
    std::uint32_t t = 0;
    for (std::size_t i = tri.tets.offsets[k]; i < tri.tets.offsets[k + 1]; ++i)
      if (tet_alive[tri.tets.items[i]]) t = tri.tets.items[i];
    tet_alive[t] = 0;
    tri_alive[k] = 0;
    for (int f = 0; f < 4; ++f) {
      const std::uint32_t g = tri.of_tet[4 * t + f];
      if (g != k && --tri_tets[g] == 1) queue.push_back(g);
    }
  }

  // b. Edges through free triangles. `order` records the collapsed (triangle, edge) pairs.
  const Lists edge_tris = build_lists(
      num_edges, 3 * nt,
      [&](std::size_t i) { return std::pair<std::uint32_t, std::uint32_t>(tri.cols[i], i / 3); },
      "the collapse lists");
  std::vector<std::uint32_t> edge_count =
      make_buffer<std::uint32_t>(num_edges, "the collapse counters");
  std::vector<unsigned char> edge_alive(used);
  queue.clear();
  for (std::size_t k = 0; k < nt; ++k)
    if (tri_alive[k])
      for (int i = 0; i < 3; ++i) ++edge_count[tri.cols[3 * k + i]];
  for (std::size_t e = 0; e < num_edges; ++e)
    if (edge_alive[e] && edge_count[e] == 1) queue.push_back(static_cast<std::uint32_t>(e));
  // When no edge is free while triangles outside tetrahedra remain (a closed surface round a
  // cavity, or a rare non-collapsible patch), one such triangle is set aside and the collapse
  // resumes. Its relation is restored exactly at the end (see `suspended` below).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> order;
  std::vector<std::uint32_t> suspended;
  std::size_t q = 0, cursor = 0;
  for (;;) {
    for (; q < queue.size(); ++q) {
      const std::uint32_t e = queue[q];
      if (!edge_alive[e] || edge_count[e] != 1) continue;
      std::uint32_t k = 0;
      for (std::size_t i = edge_tris.offsets[e]; i < edge_tris.offsets[e + 1]; ++i)
        if (tri_alive[edge_tris.items[i]]) k = edge_tris.items[i];
      if (tri_tets[k] > 0) continue;  // the triangle still bounds a tetrahedron: not free
      order.emplace_back(k, e);
      tri_alive[k] = 0;
      edge_alive[e] = 0;
      for (int i = 0; i < 3; ++i) {
        const std::uint32_t g = tri.cols[3 * k + i];
        if (g != e && --edge_count[g] == 1) queue.push_back(g);
      }
    }
    while (cursor < nt && !(tri_alive[cursor] && tri_tets[cursor] == 0)) ++cursor;
    if (cursor == nt) break;
    suspended.push_back(static_cast<std::uint32_t>(cursor));
    tri_alive[cursor] = 0;
    for (int i = 0; i < 3; ++i)
      if (--edge_count[tri.cols[3 * cursor + i]] == 1) queue.push_back(tri.cols[3 * cursor + i]);
  }

  // c. Vertices through free edges (in no triangle). Such edges have φ = 0.
  const Lists vertex_edges = build_lists(
      num_vertices, 2 * num_edges,
      [&](std::size_t i) {
        return std::pair<std::uint32_t, std::uint32_t>(used[i / 2] ? ev[i] : 0u, i / 2);
      },
      "the collapse lists");
  std::vector<std::uint32_t> vertex_count =
      make_buffer<std::uint32_t>(num_vertices, "the collapse counters");
  std::vector<unsigned char> vertex_alive(num_vertices, 1);
  queue.clear();
  for (std::size_t e = 0; e < num_edges; ++e)
    if (edge_alive[e]) {
      ++vertex_count[ev[2 * e]];
      ++vertex_count[ev[2 * e + 1]];
    }
  for (std::size_t v = 0; v < num_vertices; ++v)
    if (vertex_count[v] == 1) queue.push_back(static_cast<std::uint32_t>(v));
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::uint32_t v = queue[q];
    if (!vertex_alive[v] || vertex_count[v] != 1) continue;
    std::uint32_t e = 0;
    bool found = false;
    for (std::size_t i = vertex_edges.offsets[v]; i < vertex_edges.offsets[v + 1]; ++i) {
      const std::uint32_t c = vertex_edges.items[i];
      if (edge_alive[c] && (static_cast<std::uint32_t>(ev[2 * c]) == v ||
                            static_cast<std::uint32_t>(ev[2 * c + 1]) == v)) {
        e = c;
        found = true;
      }
    }
    if (!found || edge_count[e] > 0) continue;
    edge_alive[e] = 0;
    vertex_alive[v] = 0;
    const std::uint32_t w = static_cast<std::uint32_t>(ev[2 * e]) == v
                                ? static_cast<std::uint32_t>(ev[2 * e + 1])
                                : static_cast<std::uint32_t>(ev[2 * e]);
    if (--vertex_count[w] == 1) queue.push_back(w);
  }

  // The core: a spanning forest of the remaining edges (φ = 0), the other remaining edges as
  // unknowns, the remaining triangles as relations between them.
  LoopClasses out;
  UnionFind core_forest(num_vertices);
  std::vector<std::uint32_t> unknown(num_edges, UINT32_MAX);
  std::vector<std::uint32_t> unknown_edge;
  for (std::size_t e = 0; e < num_edges; ++e)
    if (edge_alive[e] && !core_forest.unite(ev[2 * e], ev[2 * e + 1])) {
      unknown[e] = static_cast<std::uint32_t>(unknown_edge.size());
      unknown_edge.push_back(static_cast<std::uint32_t>(e));
    }
  const std::size_t nu = unknown_edge.size();
  out.core_edges = nu;

  // Sparse echelon reduction modulo p; pivot rows are normalised to a leading 1 and hold only
  // unknowns after their pivot.
  using Row = std::vector<std::pair<std::uint32_t, std::uint64_t>>;
  std::vector<Row> pivot(nu);
  Row row, next;
  for (std::size_t k = 0; k < nt; ++k) {
    if (!tri_alive[k]) continue;
    ++out.core_triangles;
    row.clear();
    for (int i = 0; i < 3; ++i) {
      const std::uint32_t u = unknown[tri.cols[3 * k + i]];
      if (u != UINT32_MAX) row.emplace_back(u, from_sign(tri.signs[3 * k + i]));
    }
    std::sort(row.begin(), row.end());
    while (!row.empty()) {
      const std::uint32_t lead = row.front().first;
      if (pivot[lead].empty()) {
        const std::uint64_t s = inv_mod(row.front().second);
        for (auto& [u, v] : row) v = mul_mod(v, s);
        pivot[lead] = row;
        break;
      }
      // row −= row[lead] · pivot[lead]; the leading entries cancel.
      const std::uint64_t f = row.front().second;
      const Row& p = pivot[lead];
      next.clear();
      std::size_t i = 1, j = 1;
      while (i < row.size() || j < p.size()) {
        if (j == p.size() || (i < row.size() && row[i].first < p[j].first)) {
          next.push_back(row[i++]);
        } else if (i == row.size() || p[j].first < row[i].first) {
          next.emplace_back(p[j].first, sub_mod(0, mul_mod(f, p[j].second)));
          ++j;
        } else {
          const std::uint64_t v = sub_mod(row[i].second, mul_mod(f, p[j].second));
          if (v) next.emplace_back(row[i].first, v);
          ++i;
          ++j;
        }
      }
      row.swap(next);
    }
  }
  std::vector<std::uint32_t> generator(nu, UINT32_MAX);
  for (std::size_t u = 0; u < nu; ++u)
    if (pivot[u].empty()) generator[u] = static_cast<std::uint32_t>(out.loops++);
  if (out.loops == 0) {
    out.suspended_triangles = suspended.size();
    return out;
  }

  // φ on the core unknowns by back substitution, then on the collapsed edges in reverse order.
  const std::size_t dim = out.loops;
  out.phi = make_buffer<std::uint64_t>(checked_mul(num_edges, dim, "the loop classes"),
                                       "the loop classes");
  auto phi = [&](std::size_t e) { return out.phi.data() + e * dim; };
  for (std::size_t u = nu; u-- > 0;) {
    std::uint64_t* y = phi(unknown_edge[u]);
    if (generator[u] != UINT32_MAX) {
      y[generator[u]] = 1;
      continue;
    }
    for (std::size_t i = 1; i < pivot[u].size(); ++i) {
      const auto [w, v] = pivot[u][i];
      const std::uint64_t* x = phi(unknown_edge[w]);
      for (std::size_t d = 0; d < dim; ++d) y[d] = sub_mod(y[d], mul_mod(v, x[d]));
    }
  }
  for (std::size_t i = order.size(); i-- > 0;) {
    const auto [k, e] = order[i];
    int se = 0;
    for (int j = 0; j < 3; ++j)
      if (tri.cols[3 * k + j] == e) se = tri.signs[3 * k + j];
    std::uint64_t* y = phi(e);
    // s_e φ(e) + Σ s_g φ(g) = 0, so φ(e) = −s_e Σ s_g φ(g).
    for (int j = 0; j < 3; ++j) {
      const std::uint32_t g = tri.cols[3 * k + j];
      if (g != e) add_signed(y, phi(g), -se * tri.signs[3 * k + j], dim);
    }
  }

  // The set-aside triangles: a relation that is a combination of the others (a triangle of a
  // closed surface) has class 0 and changes nothing; the others are quotiented out of the
  // classes exactly, by echelon reduction of their classes and projection.
  out.suspended_triangles = suspended.size();
  std::vector<std::uint64_t> cut;  // echelon rows with leading 1 at `cut_lead`
  std::vector<std::size_t> cut_lead;
  std::vector<std::uint64_t> v(dim);
  const auto reduce = [&](std::uint64_t* x) {
    for (std::size_t r = 0; r < cut_lead.size(); ++r) {
      const std::uint64_t f = x[cut_lead[r]];
      if (!f) continue;
      for (std::size_t d = 0; d < dim; ++d) x[d] = sub_mod(x[d], mul_mod(f, cut[r * dim + d]));
    }
  };
  for (const std::uint32_t k : suspended) {
    std::fill(v.begin(), v.end(), 0);
    for (int j = 0; j < 3; ++j)
      add_signed(v.data(), phi(tri.cols[3 * k + j]), tri.signs[3 * k + j], dim);
    reduce(v.data());
    const auto nz = std::find_if(v.begin(), v.end(), [](std::uint64_t x) { return x != 0; });
    if (nz == v.end()) continue;
    const std::uint64_t inv = inv_mod(*nz);
    for (auto& x : v) x = mul_mod(x, inv);
    cut_lead.push_back(static_cast<std::size_t>(nz - v.begin()));
    cut.insert(cut.end(), v.begin(), v.end());
  }
  if (cut_lead.empty()) return out;
  std::vector<unsigned char> is_lead(dim, 0);
  for (const std::size_t l : cut_lead) is_lead[l] = 1;
  const std::size_t reduced = dim - cut_lead.size();
  std::vector<std::uint64_t> phi2 = make_buffer<std::uint64_t>(
      checked_mul(num_edges, reduced, "the loop classes"), "the loop classes");
  for (std::size_t e = 0; e < num_edges; ++e) {
    reduce(phi(e));
    for (std::size_t d = 0, i = 0; d < dim; ++d)
      if (!is_lead[d]) phi2[e * reduced + i++] = phi(e)[d];
  }
  out.loops = reduced;
  out.phi = std::move(phi2);
  return out;
}

}  // namespace

std::vector<unsigned char> select_independent_edges(const std::int32_t* ev, std::size_t num_edges,
                                                    std::size_t num_vertices,
                                                    const std::uint32_t* tet_edges,
                                                    std::size_t num_tets, SelectionStats* stats) {
  std::vector<unsigned char> used = make_buffer<unsigned char>(num_edges, "the edge flags");
  for (std::size_t i = 0; i < 6 * num_tets; ++i) used[tet_edges[i]] = 1;

  // Step 2: the forest taken greedily from the last column to the first. Its columns and the
  // unused ones are dropped; the rest are kept unless step 3 drops them.
  std::vector<unsigned char> kept = make_buffer<unsigned char>(num_edges, "the edge flags");
  std::vector<unsigned char> in_forest = make_buffer<unsigned char>(num_edges, "the edge flags");
  std::vector<unsigned char> touched = make_buffer<unsigned char>(num_vertices, "the vertex flags");
  UnionFind forest(num_vertices);
  SelectionStats s;
  std::size_t forest_edges = 0;
  for (std::size_t c = num_edges; c-- > 0;) {
    if (!used[c]) continue;
    ++s.used_edges;
    const std::int32_t a = ev[2 * c], b = ev[2 * c + 1];
    touched[a] = touched[b] = 1;
    if (forest.unite(a, b)) {
      in_forest[c] = 1;
      ++forest_edges;
    } else {
      kept[c] = 1;
    }
  }
  s.used_vertices = static_cast<std::size_t>(std::count(touched.begin(), touched.end(), 1));
  s.components = s.used_vertices - forest_edges;

  // Step 3: the loop classes, and the b₁ extra dropped columns.
  LoopClasses lc = loop_classes(ev, num_edges, num_vertices, used, tet_edges, num_tets);
  s.loops = lc.loops;
  s.core_edges = lc.core_edges;
  s.core_triangles = lc.core_triangles;
  s.suspended_triangles = lc.suspended_triangles;
  if (lc.loops > 0) {
    const std::size_t dim = lc.loops;
    // Ψ(v): φ summed along the forest of step 2 from the root of v's tree to v.
    std::vector<std::uint32_t> forest_list;
    forest_list.reserve(forest_edges);
    for (std::size_t c = 0; c < num_edges; ++c)
      if (in_forest[c]) forest_list.push_back(static_cast<std::uint32_t>(c));
    const Lists adjacency = build_lists(
        num_vertices, 2 * forest_edges,
        [&](std::size_t i) {
          const std::uint32_t c = forest_list[i / 2];
          return std::pair<std::uint32_t, std::uint32_t>(ev[2 * c + i % 2], c);
        },
        "the forest lists");
    ClassTable psi(num_vertices, dim, "the loop classes");
    std::vector<unsigned char> visited(num_vertices, 0);
    std::vector<std::uint32_t> stack;
    for (std::size_t root = 0; root < num_vertices; ++root) {
      if (visited[root] || !touched[root]) continue;
      visited[root] = 1;
      stack.assign(1, static_cast<std::uint32_t>(root));
      while (!stack.empty()) {
        const std::uint32_t v = stack.back();
        stack.pop_back();
        for (std::size_t i = adjacency.offsets[v]; i < adjacency.offsets[v + 1]; ++i) {
          const std::uint32_t c = adjacency.items[i];
          const bool forward = static_cast<std::uint32_t>(ev[2 * c]) == v;
          const std::uint32_t w = static_cast<std::uint32_t>(forward ? ev[2 * c + 1] : ev[2 * c]);
          if (visited[w]) continue;
          visited[w] = 1;
          std::copy(psi.row(v), psi.row(v) + dim, psi.row(w));
          add_signed(psi.row(w), lc.phi.data() + c * dim, forward ? 1 : -1, dim);
          stack.push_back(w);
        }
      }
    }
    // Greedy from the last column: drop a column when the class of its fundamental cycle is
    // independent of the classes of the columns dropped so far (echelon basis, leading 1s).
    std::vector<std::uint64_t> basis, v(dim);
    std::vector<std::size_t> lead;
    for (std::size_t c = num_edges; c-- > 0 && lead.size() < dim;) {
      if (!kept[c]) continue;
      const std::uint64_t* fc = lc.phi.data() + c * dim;
      const std::uint64_t* pa = psi.row(ev[2 * c]);
      const std::uint64_t* pb = psi.row(ev[2 * c + 1]);
      for (std::size_t d = 0; d < dim; ++d) v[d] = sub_mod(add_mod(fc[d], pa[d]), pb[d]);
      for (std::size_t r = 0; r < lead.size(); ++r) {
        const std::uint64_t f = v[lead[r]];
        if (!f) continue;
        const std::uint64_t* br = basis.data() + r * dim;
        for (std::size_t d = 0; d < dim; ++d) v[d] = sub_mod(v[d], mul_mod(f, br[d]));
      }
      const auto nz = std::find_if(v.begin(), v.end(), [](std::uint64_t x) { return x != 0; });
      if (nz == v.end()) continue;
      const std::uint64_t inv = inv_mod(*nz);
      for (auto& x : v) x = mul_mod(x, inv);
      lead.push_back(static_cast<std::size_t>(nz - v.begin()));
      basis.insert(basis.end(), v.begin(), v.end());
      kept[c] = 0;
    }
    if (lead.size() != dim) {
      throw Error("internal", "the loop classes of the edge table do not span its " +
                                  std::to_string(dim) + " loops");
    }
  }
  s.retained = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), 1));
  if (stats) *stats = s;
  return kept;
}

}  // namespace mom::basis
