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
#pragma once

#include <cstddef>

#include "coefficients.hpp"
#include "lapack.hpp"
#include "surface_mesh.hpp"

namespace mom::hybrid {

// Adds the surface block into the zeroed n × n matrix z (column-major, leading dimension n,
// n ≥ mesh.Ns; entry (r, c) at z[r + n·c], only r ≥ c written), every term scaled by
// jω·l_m·l_n as it is added.
void fill_surface_block(cplx* z, std::size_t n, const SurfaceMesh& mesh, const Coefficients& f);

}  // namespace mom::hybrid
