// Index tables read from host doubles: truncation toward zero, base shift and range check.
//
// Mesh tables store 1-based vertex, element and basis numbers as doubles; near-pair tables store
// 0-based element numbers. Both are converted here, once, into integers that the numerical
// cores can use without further checks. Values outside the allowed range (including NaN and
// ±Inf) end the call with a message naming the table and the first offending position.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "errors.hpp"
#include "memory.hpp"

namespace mom {

// The double v truncated toward zero, when it is finite and fits in int64; false otherwise.
inline bool truncate_to_int64(double v, std::int64_t& out) {
  if (!(v > -9.2233720368547758e18 && v < 9.2233720368547758e18)) return false;  // NaN too
  out = static_cast<std::int64_t>(v);
  return true;
}

// A table value as shown in messages ("3", "2.5", "NaN").
inline std::string format_index_value(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", v);
  return text;
}

// Converts `count` doubles: out[i] = trunc(v[i]) − base, which must lie in [lo, hi] (after the
// shift). `what` names the table in messages, e.g. "field 'TriP' of 'geom'".
template <class Int>
std::vector<Int> convert_indices(const double* v, std::size_t count, std::int64_t base,
                                 std::int64_t lo, std::int64_t hi, const std::string& what) {
  std::vector<Int> out = make_buffer<Int>(count, what.c_str());
  for (std::size_t i = 0; i < count; ++i) {
    std::int64_t t = 0;
    if (!truncate_to_int64(v[i], t) || t - base < lo || t - base > hi) {
      throw Error("badIndex", what + ": value " + format_index_value(v[i]) + " at position " +
                                  std::to_string(i + 1) + " is outside " +
                                  std::to_string(lo + base) + ".." + std::to_string(hi + base));
    }
    out[i] = static_cast<Int>(t - base);
  }
  return out;
}

}  // namespace mom
