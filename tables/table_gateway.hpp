// Argument reading and result building shared by the gateways of the pair tables.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "elements.hpp"
#include "finite.hpp"
#include "host_arrays.hpp"
#include "near_pairs.hpp"

namespace mom::tables {

// A real double argument as a table view; anything else ends the call naming the argument.
inline Table real_argument(const mxArray* a, const char* name) {
  const host::Matrix m = host::real_matrix(a, std::string("argument '") + name + "'");
  return {m.re, m.rows, m.cols};
}

// Checks a filled table. Its values are finite for every accepted input except quadrature
// points far outside their elements (barycentric coordinates so large that the distances
// overflow): such a table ends the call ("badValue") instead of being returned.
inline void require_finite_table(const double* v, std::size_t count, const char* field,
                                 const char* coeff) {
  const std::size_t i = first_non_finite(v, count);
  if (i < count) {
    fail("badValue", std::string("field '") + field + "' of the result: value " +
                         (std::isnan(v[i]) ? "NaN" : "Inf") + " at position " +
                         std::to_string(i + 1) + " (the points of argument '" + coeff +
                         "' lie too far outside their elements)");
  }
}

// The 1 × M row of 0-based outer (i) or inner (j) element numbers of a pair list.
inline host::Array pair_index_row(const std::vector<NearPair>& pairs, bool outer) {
  host::RealResult r = host::make_real(1, pairs.size());
  for (std::size_t p = 0; p < pairs.size(); ++p) r.re[p] = outer ? pairs[p].i : pairs[p].j;
  return std::move(r.array);
}

// Sets the fields IS and JS of a table record: the outer and inner element numbers.
inline void set_pair_indices(host::StructResult& result, const std::vector<NearPair>& pairs) {
  result.set("IS", pair_index_row(pairs, true));
  result.set("JS", pair_index_row(pairs, false));
}

// The record {IS, JS, SS} of a table with one value per pair, the values written by `fill`.
template <class Setup>
host::Array scalar_pair_record(const Setup& setup, void (*fill)(const Setup&, double*),
                               const char* coeff) {
  host::RealResult ss = host::make_real(1, setup.pairs.size());
  fill(setup, ss.re);
  require_finite_table(ss.re, setup.pairs.size(), "SS", coeff);
  host::StructResult result({"IS", "JS", "SS"});
  set_pair_indices(result, setup.pairs);
  result.set("SS", std::move(ss.array));
  return result.release();
}

}  // namespace mom::tables
