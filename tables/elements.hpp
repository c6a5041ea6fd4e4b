// Mesh input of the pair tables: vertex tables read from host doubles, and the per-element
// geometry (centroid, area or volume, radius) the tables and the near-pair search need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "near_pairs.hpp"
#include "vec3.hpp"

namespace mom::tables {

// Table fills look for a pending interrupt once per this many pairs (well under a millisecond
// of work), so the clock is read rarely enough to cost nothing measurable.
inline constexpr std::size_t kPollEvery = 256;

// A column-major table of doubles as the host passes it. A view; not owned.
struct Table {
  const double* data = nullptr;
  std::size_t rows = 0;
  std::size_t cols = 0;
  double at(std::size_t row, std::size_t col) const { return data[row + rows * col]; }
};

// "R x C", the shape of a table in messages.
std::string shape_of(const Table& t);
// Ends the call ("badSize", naming `what`) when a table with columns has fewer than `rows` rows.
void require_rows(const Table& t, std::size_t rows, const std::string& what);

// Vertex numbers of an element table: rows 0 … per_element−1 of every column, 1-based doubles
// truncated toward zero, returned 0-based (per_element values per element, element-major). A value
// outside 1 … vertex_count (NaN included) ends the call with a message naming `what`, the row and
// the column, e.g. "argument 't': vertex number 9 in row 2, column 4 is outside 1..8".
std::vector<std::uint32_t> read_vertex_numbers(const Table& elements, std::size_t per_element,
                                               std::size_t vertex_count, const std::string& what);

// Triangles over a point table (3 × Np or taller; only rows 0–2 are read).
//   centroid c = (V1 + V2 + V3)/3, area ½|(V2 − V1) × (V3 − V1)|,
//   radius ρ = the largest of |c − V1|, |c − V2|, |c − V3|.
// Triangles of zero area, or with non-finite vertex coordinates, end the call with a message
// naming the triangle (`noun` and its 1-based column in `what`).
class TriangleSet {
 public:
  TriangleSet(const Table& points, std::vector<std::uint32_t> vertices, const char* noun,
              const std::string& what);

  std::size_t size() const { return area_.size(); }
  Vec3 vertex(std::size_t t, int a) const {
    return column(points_.data, points_.rows, vertices_[3 * t + a]);
  }
  void vertices(std::size_t t, Vec3 v[3]) const {
    for (int a = 0; a < 3; ++a) v[a] = vertex(t, a);
  }
  Vec3 centroid(std::size_t t) const { return column(centroid_.data(), 3, t); }
  double area(std::size_t t) const { return area_[t]; }
  const std::vector<double>& areas() const { return area_; }
  const std::vector<double>& centroids() const { return centroid_; }
  ElementBalls balls() const { return {centroid_.data(), radius_.data(), size()}; }

 private:
  Table points_;
  std::vector<std::uint32_t> vertices_;
  std::vector<double> centroid_, area_, radius_;
};

// Tetrahedra over a point table (3 × Np or taller; only rows 0–2 are read).
//   centroid C = (V1 + V2 + V3 + V4)/4, volume |(V2 − V1)·((V3 − V1) × (V4 − V1))|/6,
//   radius ρ = the largest of |C − V_m|.
// A tetrahedron that is flat to within the rounding of its triple product, or has non-finite
// vertex coordinates, ends the call with a message naming it (1-based column in `what`).
class TetraSet {
 public:
  TetraSet(const Table& points, std::vector<std::uint32_t> vertices, const std::string& what);

  std::size_t size() const { return volume_.size(); }
  Vec3 vertex(std::size_t t, int m) const {
    return column(points_.data, points_.rows, vertices_[4 * t + m]);
  }
  void vertices(std::size_t t, Vec3 v[4]) const {
    for (int m = 0; m < 4; ++m) v[m] = vertex(t, m);
  }
  double volume(std::size_t t) const { return volume_[t]; }
  ElementBalls balls() const { return {centroid_.data(), radius_.data(), size()}; }

 private:
  Table points_;
  std::vector<std::uint32_t> vertices_;
  std::vector<double> centroid_, volume_, radius_;
};

}  // namespace mom::tables
