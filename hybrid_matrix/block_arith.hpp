// Small arithmetic shared by the block fillers.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "kernel_sums.hpp"
#include "lapack.hpp"
#include "memory.hpp"

namespace mom::hybrid {

inline double dot3(const double* u, const double* v) {
  return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

// The ordinary complex product (x_r·y_r − x_i·y_i) + j(x_r·y_i + x_i·y_r), without the
// Inf/NaN recovery of the library operator.
inline cplx mul(cplx x, cplx y) {
  return cplx(x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real());
}

// A complex number as one vector of its real and imaginary part (the layout of cplx), so that
// a term is added to an entry with one vector multiply and add.
using cplx2 = double __attribute__((vector_size(16)));
inline cplx2 as_pair(cplx x) { return cplx2{x.real(), x.imag()}; }
// entry += (w_r·d, w_i·d): the same numbers as cplx(w.real()·d, w.imag()·d) added.
inline void add_scaled(cplx* entry, cplx2 w, double d) {
  double* p = reinterpret_cast<double*>(entry);  // the array access cplx guarantees
  cplx2 e;
  std::memcpy(&e, p, sizeof e);
  e += w * d;
  std::memcpy(p, &e, sizeof e);
}

// Squared distance between two points of three consecutive doubles.
inline double distance2(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  const double dz = q[2] - p[2];
  return dx * dx + dy * dy + dz * dz;
}

// The first passes of a centroid sweep: from the point p to the centroids first … count−1 of a
// list c of 3-vectors, the squared distance and the centre kernel
// g = (1 + E)/R·(cos(k_r·R) − j·sin(k_r·R)), in loops without calls that vectorise and one
// sinCos over the whole row. The numbers are those of centreKernel, so a value taken back later
// for a listed pair cancels exactly. The buffers are sized once for the longest list and reused.
class SweepDistances {
 public:
  SweepDistances(std::size_t count, const char* what)
      : d2_(make_buffer<double>(count, what)),
        amplitude_(make_buffer<double>(count, what)),
        phase_(make_buffer<double>(count, what)),
        sin_(make_buffer<double>(count, what)),
        cos_(make_buffer<double>(count, what)) {}

  void from(const double* p, const double* c, std::size_t first, std::size_t count, double k_r,
            double k_i) {
    const double px = p[0], py = p[1], pz = p[2];
    double* d2 = d2_.data();
    double* amplitude = amplitude_.data();
    double* phase = phase_.data();
    for (std::size_t e = first; e < count; ++e) {
      const double dx = px - c[3 * e];
      const double dy = py - c[3 * e + 1];
      const double dz = pz - c[3 * e + 2];
      d2[e] = dx * dx + dy * dy + dz * dz;
      const double R = std::sqrt(d2[e]);
      amplitude[e] = fullKernelAmplitude(R, k_i);
      phase[e] = k_r * R;
    }
    if (first < count)
      sinCos(phase + first, count - first, sin_.data() + first, cos_.data() + first);
  }
  // Centroids closer than 1e-8 contribute nothing (the centre kernel's zero rule).
  bool coinciding(std::size_t e) const { return d2_[e] < kCoinciding; }
  // The centre kernel to centroid e.
  cplx kernel(std::size_t e) const {
    return cplx(cos_[e] * amplitude_[e], -sin_[e] * amplitude_[e]);
  }
  // Its parts by centroid, for loops over a whole row: kernel(e) is
  // (cosine()[e]·amplitude()[e], −sine()[e]·amplitude()[e]).
  const double* amplitude() const { return amplitude_.data(); }
  const double* sine() const { return sin_.data(); }
  const double* cosine() const { return cos_.data(); }

 private:
  std::vector<double> d2_, amplitude_, phase_, sin_, cos_;
};

}  // namespace mom::hybrid
