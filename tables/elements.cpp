#include "elements.hpp"

#include <cmath>
#include <cstdint>

#include "errors.hpp"
#include "indices.hpp"
#include "memory.hpp"

namespace mom::tables {

std::vector<std::uint32_t> read_vertex_numbers(const Table& elements, std::size_t per_element,
                                               std::size_t vertex_count, const std::string& what) {
  if (vertex_count > UINT32_MAX) {
    fail("tooLarge",
         what + ": " + std::to_string(vertex_count) + " vertices exceed the supported 4294967295");
  }
  if (elements.cols > 0 && elements.rows < per_element) {
    fail("badSize", what + " is " + std::to_string(elements.rows) + " x " +
                        std::to_string(elements.cols) + ", at least " +
                        std::to_string(per_element) + " rows needed");
  }
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

}  // namespace mom::tables
