// Options of the fill beyond the records, from hybrid_matrix's optional options argument. All
// are off by default, and the default fill is then the same to the bit as without them.
#pragma once

#include <cstddef>

namespace mom::hybrid {

struct FillOptions {
  // FarFactor: unlisted pairs of distinct metal triangles with |c_p − c_q|² < far_factor·r_p·r_q
  // take a quadrature of the full kernel instead of the centroid estimate (0 off, Inf all).
  double far_factor = 0.0;
  // FarPoints: that quadrature's rule, 0 the record's, 3 the three-point rule.
  std::size_t far_points = 0;
  // VolumeFarFactor: the same for unlisted pairs of tetrahedra, of nontrivial faces and, with
  // metal triangles, of (triangle, tetrahedron) and (triangle, face), with the records' rules;
  // the r of a tetrahedron or face is the largest distance from its centroid to its
  // quadrature points.
  double volume_far_factor = 0.0;
};

}  // namespace mom::hybrid
