#include "tetra_potential.hpp"

#include <cmath>

namespace mom::tables {

TetraFrame make_tetra_frame(const Vec3& v1, const Vec3& v2, const Vec3& v3, const Vec3& v4) {
  return {{make_face_frame(v2, v3, v1), make_face_frame(v1, v4, v2), make_face_frame(v4, v1, v3),
           make_face_frame(v2, v4, v3)}};
}

double tetraPotential(const TetraFrame& tetra, Vec3& r) {
  double sum = 0.0;
  for (const FaceFrame& f : tetra.face) {
    apply_probe_shift(r);
    const Vec3 rho = r - dot(f.n, r) * f.n;
    double face_integral = 0.0;  // ∫_f 1/R dS′
    double h = 0.0;              // signed height over the face, from its third edge (B = b)
    for (const EdgeFrame& e : f.edge) {
      const EdgeTerms g = edge_terms(f, e, r, rho);
      face_integral += edge_continuous_term(g);
      h = g.h;
    }
    sum -= face_integral * h;
  }
  return std::fabs(0.5 * sum);
}

void tetraPotential(const double tetrahedron[12], double r[3], double& it) {
  const double* t = tetrahedron;
  const TetraFrame frame = make_tetra_frame({t[0], t[1], t[2]}, {t[3], t[4], t[5]},
                                            {t[6], t[7], t[8]}, {t[9], t[10], t[11]});
  Vec3 p{r[0], r[1], r[2]};
  it = tetraPotential(frame, p);
  r[0] = p.x;
  r[1] = p.y;
  r[2] = p.z;
}

}  // namespace mom::tables
