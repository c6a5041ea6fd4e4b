// Argument reading and result building shared by the gateways of the pair tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "elements.hpp"
#include "host_arrays.hpp"
#include "near_pairs.hpp"

namespace mom::tables {

// A real double argument as a table view; anything else ends the call naming the argument.
inline Table real_argument(const mxArray* a, const char* name) {
  const std::string what = std::string("argument '") + name + "'";
  const host::Matrix m = host::matrix(a, what);
  if (m.is_complex()) fail("badType", what + " must be real");
  return {m.re, m.rows, m.cols};
}

// The 1 × M row of 0-based outer (i) or inner (j) element numbers of a pair list.
inline host::Array pair_index_row(const std::vector<NearPair>& pairs, bool outer) {
  host::RealResult r = host::make_real(1, pairs.size());
  for (std::size_t p = 0; p < pairs.size(); ++p) r.re[p] = outer ? pairs[p].i : pairs[p].j;
  return std::move(r.array);
}

}  // namespace mom::tables
