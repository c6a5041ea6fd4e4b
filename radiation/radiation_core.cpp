#include "radiation_core.hpp"

#include <algorithm>
#include <vector>

#include "interrupt.hpp"
#include "kernel_sums.hpp"
#include "memory.hpp"

namespace mom::radiation {

void radiation_vector(const Elements& e, const double* directions, std::size_t D, double k,
                      double* n_re, double* n_im) {
  std::fill(n_re, n_re + 3 * D, 0.0);
  std::fill(n_im, n_im + 3 * D, 0.0);
  constexpr std::size_t kBlock = 2048;
  const std::size_t block = std::min(kBlock, e.count);
  const char* what = "the radiation sum";
  // Structure-of-arrays copies of one block: coordinates, moments, phases, sines, cosines.
  std::vector<double> buffer = make_buffer<double>(12 * block, what);
  double* x = buffer.data();
  double* y = x + block;
  double* z = y + block;
  double* m = z + block;  // 6 planes: re x, y, z then im x, y, z
  double* arg = m + 6 * block;
  double* sn = arg + block;
  double* cs = sn + block;
  for (std::size_t first = 0; first < e.count; first += block) {
    poll_interrupt();
    const std::size_t b = std::min(block, e.count - first);
    for (std::size_t q = 0; q < b; ++q) {
      const std::size_t s = 3 * (first + q);
      x[q] = e.points[s];
      y[q] = e.points[s + 1];
      z[q] = e.points[s + 2];
      for (int c = 0; c < 3; ++c) {
        m[c * block + q] = e.moments_re[s + c];
        m[(3 + c) * block + q] = e.moments_im ? e.moments_im[s + c] : 0.0;
      }
    }
    for (std::size_t d = 0; d < D; ++d) {
      const double ux = k * directions[3 * d], uy = k * directions[3 * d + 1],
                   uz = k * directions[3 * d + 2];
      for (std::size_t q = 0; q < b; ++q) arg[q] = ux * x[q] + uy * y[q] + uz * z[q];
      hybrid::sinCos(arg, b, sn, cs);
      for (int c = 0; c < 3; ++c) {
        const double* mr = m + c * block;
        const double* mi = m + (3 + c) * block;
        double sr = 0.0, si = 0.0;
        for (std::size_t q = 0; q < b; ++q) {
          sr += mr[q] * cs[q] - mi[q] * sn[q];
          si += mr[q] * sn[q] + mi[q] * cs[q];
        }
        n_re[3 * d + c] += sr;
        n_im[3 * d + c] += si;
      }
    }
  }
}

}  // namespace mom::radiation
