// Surface–surface block: the interaction of the edge (RWG) current functions of the metal
// triangles, top-left Ns × Ns block of the system matrix, lower triangle only.
//
// For edges m, n with lengths l, halves on their plus (s = +1) and minus (s = −1) triangles,
// and ρ measured from each half's free vertex,
//
//   A(m, n) = jω·l_m·l_n·Σ_halves s_m·s_n·[ C_As·⟨ρ_m·ρ_n·G⟩ + C_phis·⟨G⟩ ],
//
// ⟨·⟩ being the area-normalised double integral over the two triangles, G = e^(−jkR)/R.
// Distinct triangles start from a one-point centroid estimate (phase A); each listed near pair
// then gets the quadrature of the smoothed kernel plus its static table values, minus the
// centroid estimate (phase B). Each term enters already multiplied by jω·l_m·l_n.
//
// Optional far-pair quadrature (off by default, FarFactor = 0): the one-point centroid estimate
// of a pair at distance d errs by O(h²/d²) relative to its value; summed over the many pairs
// just outside the near list, that error falls only like the mesh size h, and it sets the
// floor of the cross-section errors. With FarFactor F > 0, every pair of distinct triangles
// that is not in the near list and whose centroids satisfy |c_p − c_q|² < F·r_p·r_q
// (r = largest centroid-to-vertex distance) gets the full kernel integrated with the record's
// QM-point rule (or, with FarPoints = 3, the three-point rule) instead: phase F adds
// (quadrature − centroid estimate) for it after phase B.
#pragma once

#include <cstddef>

#include "coefficients.hpp"
#include "lapack.hpp"
#include "surface_mesh.hpp"

namespace mom::hybrid {

// Adds the surface block into the zeroed n × n matrix z (column-major, leading dimension n,
// n ≥ mesh.Ns; entry (r, c) at z[r + n·c], only r ≥ c written), every term scaled by
// jω·l_m·l_n as it is added.
// Options of the fill beyond the record (all off by default; the default fill is unchanged).
struct FillOptions {
  double far_factor = 0.0;   // FarFactor: 0 off, Inf every pair of distinct triangles
  std::size_t far_points = 0;  // FarPoints: 0 the record's rule, 3 the three-point rule
};

void fill_surface_block(cplx* z, std::size_t n, const SurfaceMesh& mesh, const Coefficients& f,
                        const FillOptions& options = FillOptions{});

}  // namespace mom::hybrid
