// Closed-form volume potential of a tetrahedron: I_T(r) = ∫_T 1/|r − r′| dV′ (a length²).
//
// By the divergence theorem, with ∇′·(r′ − r)/R = 2/R,
//   ∫_T 1/R dV′ = ½ ∮_∂T n̂′·(r′ − r)/R dS′ = ½ Σ_faces (−h_f) ∫_f 1/R dS′,
// where h_f = n̂_f·(r − r′) is the signed height of r over face f (constant on the face). Each
// face integral is the edge sum of the triangle potential in its continuous form, which needs no
// inside test (see triangle_potential.hpp):
//   ∫_f 1/R dS′ = Σ_edges σ (P⁰ L − d (atan(P⁰ l⁺/(R⁰² + d R⁺)) − atan(P⁰ l⁻/(R⁰² + d R⁻)))),
// evaluated without the cancellation of R + l and with the edge-line limit P⁰ → 0 taken exactly,
// so points on the edge lines and vertices of grid-aligned meshes give finite, accurate values.
//
// The faces are taken in the order (V2, V3, V1), (V1, V4, V2), (V4, V1, V3), (V2, V4, V3); the
// normals (b − a) × (c − a) of these triples all point out of T or all into it, so the sum has
// one sign and I_T = |½ Σ F_f| is the same for either orientation of the vertex order.
//
// Probe shift: before each face the point is moved by (δ, 2δ, 3δ), δ = 1e-8 (an absolute length),
// so face k (k = 1 … 4) is seen from r + k·(δ, 2δ, 3δ) formed by k successive additions, and the
// caller's point has moved by four shifts after the call. As the faces see different points, the
// sum is the integral at no single point: it differs from I_T(r) by about 1.3e-7/a relative for a
// tetrahedron of size a in mesh units (the shift is absolute), and results for different vertex
// orders of one tetrahedron, which take the faces in a different order, differ by as much.
//
// Accuracy far away: the face terms h_f ∫_f 1/R are of the size of the face areas while their sum
// falls off like Vol/|r − c|, and each face integral is itself a difference of terms of size a;
// the relative rounding grows like ε·(|r − c|/a)³ (1e-8 at 300 sizes, 3e-5 at 10⁴). The tables
// evaluate it only for near pairs, a few sizes apart.
#pragma once

#include "triangle_potential.hpp"
#include "vec3.hpp"

namespace mom::tables {

// A tetrahedron prepared for tetraPotential: its four faces in the order above. A tetrahedron
// with a zero-area face gives non-finite members (callers reject flat tetrahedra beforehand).
struct TetraFrame {
  FaceFrame face[4];
};
TetraFrame make_tetra_frame(const Vec3& v1, const Vec3& v2, const Vec3& v3, const Vec3& v4);

// I_T of the prepared tetrahedron seen from r (≥ 0); r is shifted four times and written back.
double tetraPotential(const TetraFrame& tetra, Vec3& r);

// Flat form: `tetrahedron` holds V1 … V4 as twelve consecutive doubles; `r` (three doubles) is
// shifted in place; the result is stored in `it`.
void tetraPotential(const double tetrahedron[12], double r[3], double& it);

}  // namespace mom::tables
