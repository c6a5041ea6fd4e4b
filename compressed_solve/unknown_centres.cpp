#include "unknown_centres.hpp"

#include "memory.hpp"

namespace mom::compressed {

std::vector<double> unknown_centres(const hybrid::SurfaceMesh* surface,
                                    const hybrid::VolumeMesh* volume) {
  const std::size_t ns = surface ? surface->Ns : 0;
  const std::size_t nv = volume ? volume->Nv : 0;
  std::vector<double> x = make_buffer<double>(checked_mul(3, ns + nv, "the unknown centres"),
                                              "the unknown centres");
  if (surface != nullptr && surface->Tr != 0) {
    // The vertices of triangle t satisfy v_a + v_b + v_c = 3c (c its centroid), and the rho
    // vector of slot m at the centroid is c − v_m. The edge opposite the free vertex f therefore
    // has the midpoint (3c − v_f)/2 = c + ρ_f/2.
    for (std::size_t e = 0; e < ns; ++e) {
      const std::size_t t = static_cast<std::size_t>(surface->tri_p[e]);
      const std::size_t f = static_cast<std::size_t>(surface->slot_p[e]);
      const double* c = surface->centroid + 3 * t;
      const double* rho = surface->centroid_rho + 9 * t + 3 * f;
      for (int d = 0; d < 3; ++d) x[3 * e + d] = c[d] + 0.5 * rho[d];
    }
  }
  if (volume != nullptr && nv != 0) {
    std::vector<double> count = make_buffer<double>(nv, "the unknown centres");
    double* y = x.data() + 3 * ns;
    double mean[3] = {0.0, 0.0, 0.0};
    for (std::size_t t = 0; t < volume->Nt; ++t) {
      const double* c = volume->center_t + 3 * t;
      for (int d = 0; d < 3; ++d) mean[d] += c[d] / static_cast<double>(volume->Nt);
      for (int k = 0; k < volume->tet_count[t]; ++k) {
        const std::size_t v = static_cast<std::size_t>(volume->tet_unknown[hybrid::kSlots * t + k]);
        for (int d = 0; d < 3; ++d) y[3 * v + d] += c[d];
        count[v] += 1.0;
      }
    }
    // An unknown that no tetrahedron carries (an empty row of the matrix) sits at the centre of
    // the body, so that it does not stretch any cluster.
    for (std::size_t v = 0; v < nv; ++v) {
      for (int d = 0; d < 3; ++d) y[3 * v + d] = count[v] > 0.0 ? y[3 * v + d] / count[v] : mean[d];
    }
  }
  return x;
}

}  // namespace mom::compressed
