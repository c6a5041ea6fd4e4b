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

// Constants record 'const': background medium.
struct ConstantsRecord {
  double epsilon = 0.0;
  double mu = 0.0;
  double c = 0.0;
};

}  // namespace mom::hybrid
