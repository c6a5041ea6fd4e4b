// Closed-form potential integrals of a flat triangle (the edge-sum form).
//
// For a triangle S and an observation point r, with R = |r − r′| and r′ on S:
//   I_S(r) = ∫_S 1/R dS′                     (a length)
//   I_V(r) = ∫_S (ρ′ − ρ)/R dS′              (an area; ρ′ = r′, ρ the projection of r onto the
//                                              plane of S, so the vector lies in that plane)
// Both reduce to sums over the three edges. For edge i with start B, end A, unit direction s and
// in-plane outward normal m, seen from the projected point ρ at height d over the plane:
//   l⁺, l⁻  signed distances along the edge from the foot of the perpendicular to A and to B,
//   P⁰      distance from ρ to the edge line, σ = sign of m·(B − ρ),
//   R±      distances from r to A and B, R⁰ = √(d² + P⁰²),  L = ln((R⁺ + l⁺)/(R⁻ + l⁻)),
//   I_S = Σ σ (P⁰ L + d atan(l⁺d/(R⁺P⁰)) − d atan(l⁻d/(R⁻P⁰))) − β d,
//   I_V = ½ Σ (R⁺l⁺ − R⁻l⁻ + R⁰² L) m,
// where β = 2π when ρ lies strictly inside S and 0 otherwise (the solid-angle part of the
// potential folded into one inside flag).
//
// Numerically sound evaluation. Two situations that ordinary meshes produce are handled
// explicitly instead of letting Inf or NaN reach the tables:
// - R + l is formed without cancellation. For l < 0 the direct sum loses every digit when ρ lies
//   near the edge line beyond the edge's end (R⁻ + l⁻ rounds to 0 and L is infinite); there
//   R + l = (R² − l²)/(R − l) = R⁰²/(R − l) is used. For l ≥ 0 the direct sum is exact enough.
// - When ρ lies on an edge line (P⁰ = 0 to within the rounding of the coordinates, which the
//   probe shift below cannot prevent when (1, 2, 3) lies in the span of the edge direction and
//   the normal) the terms atan(l d/(R P⁰)) have no value and σ has no sign. The integral is then
//   evaluated with the equivalent continuous form of the same edge sum,
//     I_S = Σ σ (P⁰ L − d (atan(P⁰ l⁺/(R⁰² + d R⁺)) − atan(P⁰ l⁻/(R⁰² + d R⁻)))),
//   which needs no inside flag and whose edge terms tend to 0 with P⁰ (edge_continuous_term).
//   Away from edge lines both forms agree to rounding; the split form with β is the one used.
// σ is taken as the exact sign ±1 of m·(B − ρ).
//
// Accuracy of the split form: its arctangent terms are of size d, so I_S carries an absolute
// rounding of about ε·d, and the decimal β (1.35e-14 above 2π) adds (β − 2π)·d when ρ lies inside:
// 1.35e-14·d²/A relative to I_S ≈ A/d, negligible for near pairs (d of the order of the
// triangle), visible far above a small triangle inside its normal shadow. Within about 1e-8 of a
// vertex the lengths entering the arctangents are of the size of the probe shift, and their
// relative rounding (|r|·ε/1e-8) limits the agreement with the exact integral to about 1e-9.
//
// Probe shift: every evaluation first moves r by (δ, 2δ, 3δ), δ = 1e-8 (an absolute length; the
// third component is the double product 3·δ), and writes the moved point back to the caller, who
// uses it from then on. The shift moves points off the exact vertices and edge lines of meshes
// with grid-aligned coordinates.
//
// The pieces (face frame, per-edge quantities, continuous edge term) are shared with the
// tetrahedron integral, which sums the continuous form over its four faces.
#pragma once

#include "vec3.hpp"

namespace mom::tables {

// Probe step δ (absolute length).
inline constexpr double kProbeStep = 1e-8;
// Value of the inside flag β: this decimal, not the double nearest to 2π.
inline constexpr double kInsideAngle = 6.2831853071796;
// ρ counts as lying on an edge line when P⁰ ≤ kEdgeLineTolerance · (largest absolute coordinate
// of the point and the vertices): far below the probe shift for meshes of ordinary size, far above
// the rounding of the projections.
inline constexpr double kEdgeLineTolerance = 1e-12;

// r ← r + (δ, 2δ, 3δ).
inline void apply_probe_shift(Vec3& r) {
  r.x += kProbeStep;
  r.y += 2.0 * kProbeStep;
  r.z += 3.0 * kProbeStep;
}

// One directed edge of a face: start B, end A, their projections onto the face plane
// (B − (n·B) n and A − (n·A) n), the unit direction s = (A − B)/|A − B| and the in-plane normal m.
struct EdgeFrame {
  Vec3 B, A, B_plane, A_plane, s, m;
};

// A flat triangle with vertices (a, b, c) prepared for the edge sums: unit normal
// n = (b − a) × (c − a)/|…| and the edges, always in this order,
//   0: a → b, m = s × n;   1: a → c, m = −(s × n);   2: b → c, m = s × n,
// so that every m points out of the triangle. `scale` is the largest absolute vertex
// coordinate. A degenerate triangle gives non-finite members (callers reject it beforehand).
struct FaceFrame {
  Vec3 n;
  EdgeFrame edge[3];
  double scale;
};
FaceFrame make_face_frame(const Vec3& a, const Vec3& b, const Vec3& c);

// The quantities of one edge seen from the (already shifted) point r with projection
// rho = r − (n·r) n:
//   h = n·(r − B) (signed height), d = |h|, l_plus, l_minus, p0 = P⁰, r_plus = R⁺, r_minus = R⁻,
//   r0_sq = d² + P⁰² (= R⁰²), sigma = ±1 and log_ratio = L, formed without cancellation. L is set
//   to 0 where it is infinite, which happens only when d and P⁰ are both 0 and every term that
//   multiplies L vanishes.
struct EdgeTerms {
  double h, d, l_plus, l_minus, p0, r_plus, r_minus, r0_sq, sigma, log_ratio;
};
EdgeTerms edge_terms(const FaceFrame& face, const EdgeFrame& edge, const Vec3& r, const Vec3& rho);

// True when ρ lies on the edge line to within rounding (see kEdgeLineTolerance); `scale` is the
// largest absolute coordinate of the point and the vertices.
inline bool on_edge_line(const EdgeTerms& g, double scale) {
  return g.p0 <= kEdgeLineTolerance * scale;
}

// σ (P⁰ L − d (atan(P⁰ l⁺/(R⁰² + d R⁺)) − atan(P⁰ l⁻/(R⁰² + d R⁻)))), exactly 0 when P⁰ = 0:
// the edge's share of ∫ 1/R over the face in the form that is continuous across edge lines.
double edge_continuous_term(const EdgeTerms& g);

// A triangle prepared for trianglePotential: its face frame and the edge midpoints
// ½(V1 + V2), ½(V1 + V3), ½(V2 + V3) of the inside test.
struct TriangleFrame {
  FaceFrame face;
  Vec3 mid[3];
};
TriangleFrame make_triangle_frame(const Vec3& v1, const Vec3& v2, const Vec3& v3);

// I_S of the prepared triangle seen from r, after shifting r (written back). When `iv` is not
// null, I_V is stored there too; the scalar result does not depend on whether it is asked for.
double trianglePotential(const TriangleFrame& triangle, Vec3& r, Vec3* iv);

// Flat forms: `triangle` holds V1, V2, V3 as nine consecutive doubles, `r` three doubles that
// are shifted in place.
void trianglePotential(double& is, double iv[3], const double triangle[9], double r[3]);
void trianglePotential(double& is, const double triangle[9], double r[3]);

}  // namespace mom::tables
