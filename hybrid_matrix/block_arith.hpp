// Small arithmetic shared by the volume and coupling fillers.
#pragma once

#include "lapack.hpp"

namespace mom::hybrid {

inline double dot3(const double* u, const double* v) {
  return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

// The ordinary complex product (x_r·y_r − x_i·y_i) + j(x_r·y_i + x_i·y_r), without the
// Inf/NaN recovery of the library operator.
inline cplx mul(cplx x, cplx y) {
  return cplx(x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real());
}

// Squared distance between two points of three consecutive doubles.
inline double distance2(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  const double dz = q[2] - p[2];
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace mom::hybrid
