// One point per unknown of the hybrid system, for the cluster tree of the compressed matrix:
// the midpoint of the edge of each surface (RWG) unknown, and the mean of the centroids of the
// tetrahedra of each volume unknown (the centre of its support, near the midpoint of its edge).
// Surface unknowns first, then volume unknowns, as in the system matrix; both kinds go into one
// tree.
#pragma once

#include <cstddef>
#include <vector>

#include "surface_mesh.hpp"
#include "volume_mesh.hpp"

namespace mom::compressed {

// 3 × (Ns + Nv) coordinates, column j the point of unknown j. Either mesh may be null.
std::vector<double> unknown_centres(const hybrid::SurfaceMesh* surface,
                                    const hybrid::VolumeMesh* volume);

}  // namespace mom::compressed
