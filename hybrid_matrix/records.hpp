// The records of a hybrid_matrix call as plain, host-free views.
//
// The gateway fetches every field by name (checking that it exists and holds doubles) and fills
// these structs; everything after that — size checks, index conversion, assembly — works on
// them without the host. The views point into host-owned arrays, are valid for the duration of
// the call and are never written. Member names are the record's field names.
#pragma once

#include <cstddef>

namespace mom::hybrid {

// A double host matrix, column-major: element (i, j) at data[i + rows·j].
struct Table {
  const double* data = nullptr;
  std::size_t rows = 0;
  std::size_t cols = 0;
  std::size_t size() const { return rows * cols; }
};

// Surface mesh record 'geom': metal triangles and their edge (RWG) unknowns.
// Counts as read: Tr = TrianglesTotal, Ns = EdgesTotal, QM = OrderM, all truncated toward zero.
struct SurfaceRecord {
  std::size_t TrianglesTotal = 0;
  std::size_t EdgesTotal = 0;
  std::size_t OrderM = 0;
  Table TriP, TriM, VerP, VerM;  // per edge: plus/minus triangle (1-based), free-vertex slot (1..3)
  Table EdgeLength;              // per edge
  Table AreaF;                   // per triangle; carried, not used by the assembly
  Table PointsFC;                // 3 × Tr centroids
  Table PointsFCRho;             // 3 × 3Tr: column 3t+m, centroid minus vertex m of triangle t
  Table PointsM;                 // 3 × QM·Tr quadrature points, triangle t in columns t·QM…
  Table PointsMRho;              // 3 × 3·QM·Tr: column (3t+m)·QM+a, point a minus vertex m
  Table WM;                      // QM weights shared by all triangles (sum 1)
  Table ttIS, ttJS;              // near pairs: 0-based triangle numbers
  Table ttSS;                    // static ⟨1/R⟩ per pair
  Table ttRS;                    // 9 per pair, entry 3a+b: ⟨ρ_I,a · ρ_J,b / R⟩
};

// Volume mesh record 'GEOM': dielectric tetrahedra, their edge-based volume unknowns (up to six
// per tetrahedron, packed at the top of six-row columns), the nontrivial faces with their charge
// terms (up to six per face), quadrature data and near-pair tables.
// Counts as read: Nt = TetrahedraTotal, Nv = EdgesTotal, F = FacesNontrivial, QT = OrderT,
// QF = OrderF.
struct VolumeRecord {
  std::size_t TetrahedraTotal = 0;
  std::size_t EdgesTotal = 0;
  std::size_t FacesNontrivial = 0;
  std::size_t OrderT = 0;
  std::size_t OrderF = 0;
  Table EdgesTN;                       // 6 × Nt: 1-based unknown numbers, packed
  Table EdgesTNI;                      // per tetrahedron: valid rows of EdgesTN (0…6)
  Table BasisTC;                       // 18 × Nt: constant current vector of slot k at rows 3k…
  Table BasisTCn;                      // 18 × Nt: companion vectors of the material term
  Table VolumeT;                       // per tetrahedron
  Table CenterT;                       // 3 × Nt centroids
  Table Contrast_real, Contrast_imag;  // per tetrahedron: κ = 1 − ε_b/ε
  Table EdgesFN;                       // 6 × F: 1-based unknown numbers with a charge on face f
  Table EdgesFNI;                      // per face: valid rows of EdgesFN (0…6)
  Table DiffContrast_real, DiffContrast_imag;  // 6 × F: jump of κ across the face, per slot
  Table CenterF;                               // 3 × F centroids
  Table PointsT;                               // 3 × QT·Nt, tetrahedron t in columns t·QT…
  Table WT;                                    // QT weights (sum 1)
  Table PointsF;                               // 3 × QF·F, face f in columns f·QF…
  Table WF;                                    // QF weights (sum 1)
  Table TTIS, TTJS, TTSS;                      // near tetrahedron pairs (0-based), static value
  Table FFIS, FFJS, FFSS;                      // near face pairs (0-based), static value
  // Triangle–volume tables, read only together with a surface record.
  bool has_coupling = false;
  Table tFIS, tFJS, tFSS;  // near (metal triangle, face) pairs, 0-based, static value
  Table TtIS, TtJS, TtRS;  // near (metal triangle, tetrahedron) pairs, 9 static values each
};

// Constants record 'const': background medium and, for dielectric problems, the relative
// permittivity and loss tangent of every tetrahedron (ε_t = Epsilon_r·(1 − j·tan_delta)).
struct ConstantsRecord {
  double epsilon = 0.0;
  double mu = 0.0;
  double c = 0.0;
  Table Epsilon_r;  // read only when there is a volume record
  Table tan_delta;
};

}  // namespace mom::hybrid
