// Near-pair search: the pairs of mesh elements whose centroids lie close compared with their
// sizes.
//
// Each element is described by its centroid c and its radius ρ (the largest centroid–vertex
// distance). A pair (i, j), i from the outer set and j from the inner set, is near when
//   |c_i − c_j|² < k · ρ_i · ρ_j        (strict; evaluated exactly as near_pair_test does)
// for the near-pair factor k. The result is the list a plain double loop would record — i
// ascending, and for each i the j ascending (only j ≤ i when both sets are one and the same) —
// found without testing every pair: a bounding-volume tree over the inner centroids, each node
// carrying the box of its centroids and the largest radius below it, discards a node when even its
// nearest possible centroid fails the test for the largest radius. Because the box distance and
// the product k·ρ_i·ρ are formed with the same monotone floating-point operations as the test
// itself, a discarded node holds no pair the test would accept: the result is exact, not an
// approximation of the scan. Cost: O(n log n) to build and about O(log n + pairs found) per outer
// element for meshes whose element sizes vary smoothly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vec3.hpp"

namespace mom::tables {

// Centroids (3 × n, column-major) and radii (n) of a set of elements. Views; not owned.
struct ElementBalls {
  const double* centroid = nullptr;
  const double* radius = nullptr;
  std::size_t count = 0;
  Vec3 center(std::size_t i) const { return column(centroid, 3, i); }
};

// One near pair: outer element i, inner element j (0-based).
struct NearPair {
  std::uint32_t i, j;
};

// The near-pair test, shared by the search and every reference scan.
inline bool near_pair_test(const Vec3& ci, double rho_i, const Vec3& cj, double rho_j, double k) {
  return distance2(ci, cj) < k * rho_i * rho_j;
}

// Pairs of one set with itself, j ≤ i (self pairs included when k > 0).
std::vector<NearPair> near_pairs_within(const ElementBalls& set, double k);

// Pairs of an outer set with an inner set, every j for each i.
std::vector<NearPair> near_pairs_between(const ElementBalls& outer, const ElementBalls& inner,
                                         double k);

}  // namespace mom::tables
