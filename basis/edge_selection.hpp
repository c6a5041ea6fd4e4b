// Selection of the independent volume basis functions among the columns of the edge table.
//
// Every column c of the edge table defines one candidate function: inside each tetrahedron that
// lists the column's ordered vertex pair as one of its six local edges, the constant vector
// 2 ∇λ_A × ∇λ_B (the curl of the first-order edge function of that edge); zero elsewhere.
// Column c is dropped if and only if its function lies in the span of the functions of the
// columns kept before it, in column order; the kept columns are the basis.
//
// The decision is made exactly, from the topology alone: the curl vanishes on a combination of
// edge functions exactly when the combination is a closed edge cochain (zero circulation round
// every triangle of every tetrahedron), so lengths, angles and volumes never enter and graded,
// flattened or sliver-shaped tetrahedra are handled like any others. The method and its cost
// are described in edge_selection.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mom::basis {

// Counts that describe the mesh seen by the selection.
struct SelectionStats {
  std::size_t used_edges = 0;      // columns carrying a local edge of at least one tetrahedron
  std::size_t used_vertices = 0;   // vertices touched by those columns
  std::size_t components = 0;      // connected components of the graph of used columns
  std::size_t loops = 0;           // independent non-contractible edge loops (first Betti number)
  std::size_t retained = 0;        // = used_edges − used_vertices + components − loops
  std::size_t core_edges = 0;      // loop-carrying edges left after the collapses (see .cpp)
  std::size_t core_triangles = 0;  // triangles left after the collapses
  std::size_t suspended_triangles = 0;  // triangles set aside to resume a blocked collapse
};

// Decides which columns of the edge table are kept.
//
//   edge_vertices  2·num_edges 0-based vertex numbers, the ordered pair of column c at 2c, 2c+1
//   num_vertices   every vertex number is below it
//   tet_edges      6·num_tets column numbers (0-based): the column carrying local edge k of
//                  tetrahedron t at 6t+k, local edges in the order p0p1, p0p2, p0p3, p1p2,
//                  p1p3, p2p3 of the tetrahedron's vertices; the local pair (A, B) of each
//                  slot must be the column's ordered pair
//
// Returns one flag per column: 1 kept, 0 dropped. A column that belongs to no tetrahedron has
// the zero function and is always dropped. The pointers are borrowed for the call only.
std::vector<unsigned char> select_independent_edges(const std::int32_t* edge_vertices,
                                                    std::size_t num_edges, std::size_t num_vertices,
                                                    const std::uint32_t* tet_edges,
                                                    std::size_t num_tets,
                                                    SelectionStats* stats = nullptr);

}  // namespace mom::basis
