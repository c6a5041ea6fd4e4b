#include "surface_mesh.hpp"

#include <string>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"

namespace mom::hybrid {

namespace {

std::string label(const char* field) { return "field '" + std::string(field) + "' of 'geom'"; }

void require_values(const Table& t, std::size_t needed, const char* field) {
  if (t.size() < needed) {
    fail("badSize", label(field) + " has " + std::to_string(t.size()) + " values, at least " +
                        std::to_string(needed) + " needed");
  }
}

// A list of 3-vectors, one per column: exactly 3 rows (a transposed list would be read as
// garbage) and enough columns.
void require_vectors(const Table& t, std::size_t vectors, const char* field) {
  if (vectors > 0 && t.rows != 3) {
    fail("badSize", label(field) + " must hold 3-vectors in its columns (3 rows), not " +
                        std::to_string(t.rows) + " rows");
  }
  require_values(t, checked_mul(3, vectors, field), field);
}

std::size_t vector_length(const Table& t, const char* field) {
  if (t.rows > 1 && t.cols > 1) {
    fail("badSize", label(field) + " must be a row vector, not " + std::to_string(t.rows) + " x " +
                        std::to_string(t.cols));
  }
  return t.size();
}

std::vector<std::int64_t> indices(const Table& t, std::size_t count, std::int64_t base,
                                  std::size_t upper, const char* field) {
  return convert_indices<std::int64_t>(t.data, count, base, 0, static_cast<std::int64_t>(upper) - 1,
                                       label(field));
}

}  // namespace

TriangleEdges triangle_edges(const std::int64_t* tri_p, const std::int64_t* tri_m, std::size_t ns,
                             std::size_t tr) {
  TriangleEdges l;
  const std::size_t starts = checked_add(tr, 1, "the triangle-to-edge lists");
  l.plus_start = make_buffer<std::size_t>(starts, "the triangle-to-edge lists");
  l.minus_start = make_buffer<std::size_t>(starts, "the triangle-to-edge lists");
  l.plus_edges = make_buffer<std::size_t>(ns, "the triangle-to-edge lists");
  l.minus_edges = make_buffer<std::size_t>(ns, "the triangle-to-edge lists");
  // Count per triangle, turn the counts into start offsets, then place the edges in ascending
  // order (each list is filled by increasing edge number).
  for (std::size_t e = 0; e < ns; ++e) {
    ++l.plus_start[tri_p[e] + 1];
    ++l.minus_start[tri_m[e] + 1];
  }
  for (std::size_t t = 0; t < tr; ++t) {
    l.plus_start[t + 1] += l.plus_start[t];
    l.minus_start[t + 1] += l.minus_start[t];
  }
  std::vector<std::size_t> plus_fill(l.plus_start.begin(), l.plus_start.end() - 1);
  std::vector<std::size_t> minus_fill(l.minus_start.begin(), l.minus_start.end() - 1);
  for (std::size_t e = 0; e < ns; ++e) {
    l.plus_edges[plus_fill[tri_p[e]]++] = e;
    l.minus_edges[minus_fill[tri_m[e]]++] = e;
  }
  return l;
}

SurfaceMesh prepare_surface(const SurfaceRecord& rec) {
  SurfaceMesh m;
  m.Tr = rec.TrianglesTotal;
  m.Ns = rec.EdgesTotal;
  m.QM = rec.OrderM;

  // Sizes first: all of them are cheap and must hold before anything is converted.
  require_values(rec.TriP, m.Ns, "TriP");
  require_values(rec.TriM, m.Ns, "TriM");
  require_values(rec.VerP, m.Ns, "VerP");
  require_values(rec.VerM, m.Ns, "VerM");
  require_values(rec.EdgeLength, m.Ns, "EdgeLength");
  require_vectors(rec.PointsFC, m.Tr, "PointsFC");
  require_vectors(rec.PointsFCRho, checked_mul(3, m.Tr, "PointsFCRho"), "PointsFCRho");
  const std::size_t points = checked_mul(m.QM, m.Tr, "PointsM");
  require_vectors(rec.PointsM, points, "PointsM");
  require_vectors(rec.PointsMRho, checked_mul(3, points, "PointsMRho"), "PointsMRho");
  require_values(rec.WM, m.QM, "WM");
  m.K = vector_length(rec.ttIS, "ttIS");
  require_values(rec.ttJS, m.K, "ttJS");
  require_values(rec.ttSS, m.K, "ttSS");
  require_values(rec.ttRS, checked_mul(9, m.K, "ttRS"), "ttRS");

  m.tri_p = indices(rec.TriP, m.Ns, 1, m.Tr, "TriP");
  m.tri_m = indices(rec.TriM, m.Ns, 1, m.Tr, "TriM");
  m.slot_p = indices(rec.VerP, m.Ns, 1, 3, "VerP");
  m.slot_m = indices(rec.VerM, m.Ns, 1, 3, "VerM");
  m.near_i = indices(rec.ttIS, m.K, 0, m.Tr, "ttIS");
  m.near_j = indices(rec.ttJS, m.K, 0, m.Tr, "ttJS");
  m.lists = triangle_edges(m.tri_p.data(), m.tri_m.data(), m.Ns, m.Tr);

  m.edge_length = rec.EdgeLength.data;
  m.centroid = rec.PointsFC.data;
  m.centroid_rho = rec.PointsFCRho.data;
  m.points = rec.PointsM.data;
  m.point_rho = rec.PointsMRho.data;
  m.weights = rec.WM.data;
  m.near_ss = rec.ttSS.data;
  m.near_rs = rec.ttRS.data;
  return m;
}

}  // namespace mom::hybrid
