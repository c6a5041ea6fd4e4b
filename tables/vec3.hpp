// Three-vectors of doubles for the closed-form kernels and the pair tables.
//
// Every operation is written out component by component in a fixed order, so that the same
// expression gives bit-identical results wherever it is used (the near-pair test, for instance,
// must agree exactly between the spatial index and a plain scan).
#pragma once

#include <cmath>
#include <cstddef>

namespace mom::tables {

struct Vec3 {
  double x, y, z;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(double s, const Vec3& a) { return {s * a.x, s * a.y, s * a.z}; }
inline Vec3& operator+=(Vec3& a, const Vec3& b) {
  a.x += b.x;
  a.y += b.y;
  a.z += b.z;
  return a;
}

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
// a divided by its norm, component by component.
inline Vec3 unit(const Vec3& a) {
  const double len = norm(a);
  return {a.x / len, a.y / len, a.z / len};
}
// Largest absolute coordinate.
inline double max_abs(const Vec3& a) {
  return std::fmax(std::fabs(a.x), std::fmax(std::fabs(a.y), std::fabs(a.z)));
}

// Column `index` of a 3-row (or taller) column-major point table with `rows` rows.
inline Vec3 column(const double* table, std::size_t rows, std::size_t index) {
  const double* p = table + rows * index;
  return {p[0], p[1], p[2]};
}

// Squared distance of two points, the quantity every near-pair test compares.
inline double distance2(const Vec3& a, const Vec3& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  const double dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace mom::tables
