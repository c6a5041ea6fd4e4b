// The surface mesh prepared for assembly: checked sizes, 0-based index tables and the
// triangle-to-edge lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records.hpp"

namespace mom::hybrid {

// For every triangle, the edges whose plus triangle it is and the edges whose minus triangle it
// is, each in ascending edge order, stored compressed: the plus list of triangle t is
// plus_edges[plus_start[t] … plus_start[t+1]−1] (likewise minus). There is no per-triangle
// capacity; a triangle that no edge refers to has two empty lists.
struct TriangleEdges {
  std::vector<std::size_t> plus_start, plus_edges;
  std::vector<std::size_t> minus_start, minus_edges;
};

// Builds the lists from the 0-based plus and minus triangle of each of the ns edges, by counting
// (linear in the number of edges and triangles).
TriangleEdges triangle_edges(const std::int64_t* tri_p, const std::int64_t* tri_m, std::size_t ns,
                             std::size_t tr);

struct SurfaceMesh {
  std::size_t Tr = 0;  // triangles
  std::size_t Ns = 0;  // edge unknowns, matrix rows and columns 0 … Ns−1
  std::size_t QM = 0;  // quadrature points per triangle
  std::size_t K = 0;   // near pairs

  // Per edge, 0-based: plus and minus triangle, free-vertex slot (0…2) in each.
  std::vector<std::int64_t> tri_p, tri_m, slot_p, slot_m;
  const double* edge_length = nullptr;  // Ns
  TriangleEdges lists;

  const double* centroid = nullptr;      // 3 per triangle
  const double* centroid_rho = nullptr;  // 9 per triangle: slot m at 3m
  const double* points = nullptr;        // 3·QM per triangle
  const double* point_rho = nullptr;     // 9·QM per triangle: slot m, point a at 3·(m·QM + a)
  const double* weights = nullptr;       // QM

  std::vector<std::int64_t> near_i, near_j;  // K triangle numbers, 0-based
  const double* near_ss = nullptr;           // K
  const double* near_rs = nullptr;           // 9K: pair k, entry 3a+b at 9k + 3a + b
};

// Checks that every field of the surface record covers its counts, that the index tables lie
// in range (TriP/TriM in 1…Tr, VerP/VerM in 1…3, ttIS/ttJS in 0…Tr−1) and that the near-pair
// tables are vectors of equal length, then converts the tables. Messages name the field of
// 'geom'. The near-pair count K is the length of ttIS (a row or a column).
SurfaceMesh prepare_surface(const SurfaceRecord& rec);

}  // namespace mom::hybrid
