// Radiation vector of a set of current elements: the far-field sum of the post-processing.
//
//   N(d) = Σ_q m_q · e^(j·k·r̂_d·r_q),  d = 0 … D−1, q = 0 … M−1,
//
// with points r_q (three doubles each), complex moments m_q (separate real and imaginary planes,
// three doubles per element), unit directions r̂_d (three doubles each, used as given) and a real
// wavenumber k. The far field of the elements follows from N (−jkη/(4π)·(N − (N·r̂)r̂)).
#pragma once

#include <cstddef>

namespace mom::radiation {

struct Elements {
  const double* points = nullptr;      // 3·M
  const double* moments_re = nullptr;  // 3·M
  const double* moments_im = nullptr;  // 3·M, or null for real moments
  std::size_t count = 0;               // M
};

// Writes N (3·D values per plane, direction d at 3d) into n_re/n_im, owned by the caller.
// The points are taken in blocks of a few thousand, so the working set stays in cache; every
// value is the same whatever the block size (each direction sums the elements in order).
void radiation_vector(const Elements& e, const double* directions, std::size_t D, double k,
                      double* n_re, double* n_im);

}  // namespace mom::radiation
