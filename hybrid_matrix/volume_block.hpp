// Volume–volume and volume–surface blocks of the system matrix, lower triangle only.
//
// Volume unknown v sits at row and column Ns + v. For volume unknowns a and b,
//
//   Z(a, b) = Σ_t q_t·V_t·(n_t,a · b_t,b)
//           + C_A·Σ_(t,u) κ_t·κ_u·V_t·V_u·(b_t,a · b_u,b)·G_tu
//           − C_phi·Σ_(f,g) D_f,a·D_g,b·G_fg,
//
// over the tetrahedra t, u and nontrivial faces f, g on which a and b have slots: q_t = κ_t/ε_t
// the material term (κ the contrast, ε_t = Epsilon_r·(1 − j·tan_delta)), b the constant current
// vectors, n their companions, D the contrast jumps across the faces, C_A = −μω²/(4π),
// C_phi = −1/(4πε). G is the centre kernel e^(−jkR)/R between centroids for pairs that are not
// listed (0 for centroids closer than 1e-8) and, for every listed near pair, the quadrature of
// the smoothed kernel (e^(−jkR) − 1)/R plus the tabulated static ⟨1/R⟩ in place of it; an
// element meets itself only through the lists.
//
// For volume unknown a and surface edge e (length L_e, halves on its plus and minus triangles
// with signs ±1 and free-vertex slots s_e),
//
//   Z(a, e) = Σ_halves ±L_e·[ Σ_t h_t·(b_t,a · ρ_tr,s_e)·G_tr,t + Σ_f C_phi·D_f,a·G_tr,f ],
//
// h_t = C_A·½·V_t·κ_t, with centroid values for pairs that are not listed and, for listed
// triangle–tetrahedron and triangle–face pairs, quadrature plus static tables in their place.
#pragma once

#include <cstddef>

#include "coefficients.hpp"
#include "fill_options.hpp"
#include "lapack.hpp"
#include "surface_mesh.hpp"
#include "volume_mesh.hpp"

namespace mom::hybrid {

// Adds the volume–volume block into the n × n matrix z (column-major, entry (r, c) at
// z[r + n·c], only r ≥ c written), volume unknowns from row and column ns on: face sweep,
// near face pairs, material term, tetrahedron sweep, near tetrahedron pairs, in that order.
// With options.volume_far_factor > 0, the unlisted face pairs (after the near face pairs) and
// tetrahedron pairs (at the end) within the factor get the quadrature of the full kernel with
// the record's rule in place of the centre kernel.
void fill_volume_block(cplx* z, std::size_t n, std::size_t ns, const VolumeMesh& mesh,
                       const Coefficients& f, const FillOptions& options = FillOptions{});

// Adds the coupling entries Z(Ns + a, e) of the surface edges and volume unknowns: current
// coupling at the centroids, near triangle–tetrahedron pairs, charge coupling at the centroids,
// near triangle–face pairs. Needs mesh.Tr ≠ 0 and a volume mesh prepared with the triangle–volume
// tables.
// With options.volume_far_factor > 0, the unlisted (triangle, tetrahedron) and (triangle, face)
// pairs within the factor then get the quadrature of the full kernel with the records' rules in
// place of the centre values.
void fill_coupling_blocks(cplx* z, std::size_t n, const SurfaceMesh& surface,
                          const VolumeMesh& volume, const Coefficients& f,
                          const FillOptions& options = FillOptions{});

}  // namespace mom::hybrid
