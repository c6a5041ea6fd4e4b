// Non-finite values (NaN, ±Inf) in tables that enter a result: one pass over the values that
// are read, ending the call with "badValue" naming the table and the first such position.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "errors.hpp"

namespace mom {

// Index of the first non-finite value of v[0 … count), or count when all are finite. Blocks are
// summed branch-free (x − x is 0 for a finite x, NaN otherwise), so the pass runs at memory
// speed; only a block with a bad value is searched.
inline std::size_t first_non_finite(const double* v, std::size_t count) {
  constexpr std::size_t kBlock = 256;
  for (std::size_t start = 0; start < count; start += kBlock) {
    const std::size_t end = std::min(count, start + kBlock);
    double sum = 0.0;
    for (std::size_t i = start; i < end; ++i) sum += v[i] - v[i];
    if (!(sum == 0.0)) {  // NaN compares unequal to everything
      for (std::size_t i = start; i < end; ++i) {
        if (!std::isfinite(v[i])) return i;
      }
    }
  }
  return count;
}

// Throws "badValue": "<what>: value <v> at <where> is not finite".
[[noreturn]] inline void fail_non_finite(const std::string& what, double v,
                                         const std::string& where) {
  const char* text = std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
  fail("badValue", what + ": value " + text + " at " + where + " is not finite");
}

// "position 7 (row 1, column 3)" for element i (0-based) of a column-major table with `rows`
// rows; the row and column are left out for a vector.
inline std::string table_position(std::size_t i, std::size_t rows, std::size_t cols) {
  std::string where = "position " + std::to_string(i + 1);
  if (rows > 1 && cols > 1) {
    where +=
        " (row " + std::to_string(i % rows + 1) + ", column " + std::to_string(i / rows + 1) + ")";
  }
  return where;
}

// Checks rows 0 … used_rows−1 of columns 0 … cols−1 of a column-major table with `stride` rows
// (the rows below used_rows are not read, so not checked).
inline void require_finite_rows(const double* data, std::size_t stride, std::size_t used_rows,
                                std::size_t cols, const std::string& what) {
  if (used_rows == stride) {
    const std::size_t count = stride * cols;
    const std::size_t i = first_non_finite(data, count);
    if (i < count) fail_non_finite(what, data[i], table_position(i, stride, cols));
    return;
  }
  for (std::size_t c = 0; c < cols; ++c) {
    const std::size_t r = first_non_finite(data + stride * c, used_rows);
    if (r < used_rows) {
      fail_non_finite(what, data[stride * c + r], table_position(stride * c + r, stride, cols));
    }
  }
}

}  // namespace mom
