#include "elements.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"

namespace mom::tables {

std::string shape_of(const Table& t) {
  return std::to_string(t.rows) + " x " + std::to_string(t.cols);
}

void require_rows(const Table& t, std::size_t rows, const std::string& what) {
  if (t.cols > 0 && t.rows < rows) {
    fail("badSize",
         what + " is " + shape_of(t) + ", at least " + std::to_string(rows) + " rows needed");
  }
}

std::vector<std::uint32_t> read_vertex_numbers(const Table& elements, std::size_t per_element,
                                               std::size_t vertex_count, const std::string& what) {
  if (vertex_count > UINT32_MAX) {
    fail("tooLarge",
         what + ": " + std::to_string(vertex_count) + " vertices exceed the supported 4294967295");
  }
  require_rows(elements, per_element, what);
  std::vector<std::uint32_t> out = make_buffer<std::uint32_t>(
      checked_mul(per_element, elements.cols, what.c_str()), what.c_str());
  for (std::size_t e = 0; e < elements.cols; ++e) {
    for (std::size_t a = 0; a < per_element; ++a) {
      const double v = elements.at(a, e);
      std::int64_t t = 0;
      if (!truncate_to_int64(v, t) || t < 1 || static_cast<std::uint64_t>(t) > vertex_count) {
        fail("badIndex", what + ": vertex number " + format_index_value(v) + " in row " +
                             std::to_string(a + 1) + ", column " + std::to_string(e + 1) +
                             " is outside 1.." + std::to_string(vertex_count));
      }
      out[per_element * e + a] = static_cast<std::uint32_t>(t - 1);
    }
  }
  return out;
}

TriangleSet::TriangleSet(const Table& points, std::vector<std::uint32_t> vertices, const char* noun,
                         const std::string& what)
    : points_(points), vertices_(std::move(vertices)) {
  const std::size_t n = vertices_.size() / 3;
  centroid_ = make_buffer<double>(checked_mul(3, n, "triangle centroids"), "triangle centroids");
  area_ = make_buffer<double>(n, "triangle areas");
  radius_ = make_buffer<double>(n, "triangle radii");
  for (std::size_t t = 0; t < n; ++t) {
    const Vec3 v1 = vertex(t, 0), v2 = vertex(t, 1), v3 = vertex(t, 2);
    const Vec3 c = {(v1.x + v2.x + v3.x) / 3.0, (v1.y + v2.y + v3.y) / 3.0,
                    (v1.z + v2.z + v3.z) / 3.0};
    const double area = 0.5 * norm(cross(v2 - v1, v3 - v1));
    if (!(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && std::isfinite(area))) {
      fail("badGeometry", what + ": " + noun + " " + std::to_string(t + 1) +
                              " has a vertex with non-finite coordinates");
    }
    if (!(area > 0.0)) {
      fail("badGeometry", what + ": " + noun + " " + std::to_string(t + 1) + " has zero area");
    }
    centroid_[3 * t] = c.x;
    centroid_[3 * t + 1] = c.y;
    centroid_[3 * t + 2] = c.z;
    area_[t] = area;
    double rho = 0.0;
    for (const Vec3& v : {v1, v2, v3}) rho = std::fmax(rho, norm(c - v));
    radius_[t] = rho;
  }
}

TetraSet::TetraSet(const Table& points, std::vector<std::uint32_t> vertices,
                   const std::string& what)
    : points_(points), vertices_(std::move(vertices)) {
  const std::size_t n = vertices_.size() / 4;
  centroid_ =
      make_buffer<double>(checked_mul(3, n, "tetrahedron centroids"), "tetrahedron centroids");
  volume_ = make_buffer<double>(n, "tetrahedron volumes");
  radius_ = make_buffer<double>(n, "tetrahedron radii");
  for (std::size_t t = 0; t < n; ++t) {
    const Vec3 v[4] = {vertex(t, 0), vertex(t, 1), vertex(t, 2), vertex(t, 3)};
    const Vec3 c = {(v[0].x + v[1].x + v[2].x + v[3].x) / 4.0,
                    (v[0].y + v[1].y + v[2].y + v[3].y) / 4.0,
                    (v[0].z + v[1].z + v[2].z + v[3].z) / 4.0};
    const Vec3 e1 = v[1] - v[0], e2 = v[2] - v[0], e3 = v[3] - v[0];
    const double triple = dot(e1, cross(e2, e3));
    if (!(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) &&
          std::isfinite(triple))) {
      fail("badGeometry", what + ": tetrahedron " + std::to_string(t + 1) +
                              " has a vertex with non-finite coordinates");
    }
    // The rounding of the triple product is a few ε·|e1||e2||e3|: below that bound the vertices
    // are coplanar as far as the coordinates can tell, and 1/volume would be noise.
    if (!(std::fabs(triple) > 16.0 * DBL_EPSILON * norm(e1) * norm(e2) * norm(e3))) {
      fail("badGeometry", what + ": tetrahedron " + std::to_string(t + 1) + " has zero volume");
    }
    centroid_[3 * t] = c.x;
    centroid_[3 * t + 1] = c.y;
    centroid_[3 * t + 2] = c.z;
    volume_[t] = std::fabs(triple) / 6.0;
    double rho = 0.0;
    for (const Vec3& p : v) rho = std::fmax(rho, norm(c - p));
    radius_[t] = rho;
  }
}

}  // namespace mom::tables
