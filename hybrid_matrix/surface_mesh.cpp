#include "surface_mesh.hpp"

#include <string>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"
#include "record_checks.hpp"

namespace mom::hybrid {

namespace {

constexpr const char* kRecord = "geom";

// A list of 3-vectors, one per column: exactly 3 rows (a transposed list would be read as
// garbage) and enough columns.
void require_vectors(const Table& t, std::size_t vectors, const char* field) {
  if (vectors > 0 && t.rows != 3) {
    fail("badSize", label(field, kRecord) + " must hold 3-vectors in its columns (3 rows), not " +
                        std::to_string(t.rows) + " rows");
  }
  require_values(t, checked_mul(3, vectors, field), field, kRecord);
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
  require_values(rec.TriP, m.Ns, "TriP", kRecord);
  require_values(rec.TriM, m.Ns, "TriM", kRecord);
  require_values(rec.VerP, m.Ns, "VerP", kRecord);
  require_values(rec.VerM, m.Ns, "VerM", kRecord);
  require_values(rec.EdgeLength, m.Ns, "EdgeLength", kRecord);
  require_vectors(rec.PointsFC, m.Tr, "PointsFC");
  require_vectors(rec.PointsFCRho, checked_mul(3, m.Tr, "PointsFCRho"), "PointsFCRho");
  const std::size_t points = checked_mul(m.QM, m.Tr, "PointsM");
  require_vectors(rec.PointsM, points, "PointsM");
  require_vectors(rec.PointsMRho, checked_mul(3, points, "PointsMRho"), "PointsMRho");
  require_values(rec.WM, m.QM, "WM", kRecord);
  m.K = vector_length(rec.ttIS, "ttIS", kRecord);
  require_values(rec.ttJS, m.K, "ttJS", kRecord);
  require_values(rec.ttSS, m.K, "ttSS", kRecord);
  require_values(rec.ttRS, checked_mul(9, m.K, "ttRS"), "ttRS", kRecord);

  m.tri_p = indices(rec.TriP, m.Ns, 1, m.Tr, "TriP", kRecord);
  m.tri_m = indices(rec.TriM, m.Ns, 1, m.Tr, "TriM", kRecord);
  m.slot_p = indices(rec.VerP, m.Ns, 1, 3, "VerP", kRecord);
  m.slot_m = indices(rec.VerM, m.Ns, 1, 3, "VerM", kRecord);
  m.near_i = indices(rec.ttIS, m.K, 0, m.Tr, "ttIS", kRecord);
  m.near_j = indices(rec.ttJS, m.K, 0, m.Tr, "ttJS", kRecord);
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
