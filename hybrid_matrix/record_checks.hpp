// Checks of record tables shared by the surface and volume readers; every message names the
// field and its record ("field 'TriP' of 'geom'").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "records.hpp"

namespace mom::hybrid {

std::string label(const char* field, const char* record);

// The table itself, after checking that every value is finite (one pass): a table of values
// that enter the matrix. A NaN or ±Inf ends the call ("badValue") naming the field and the
// first such position.
Table finite_values(const Table& t, const char* field, const char* record);

// At least `needed` values.
void require_values(const Table& t, std::size_t needed, const char* field, const char* record);

// The count of a near-pair list: the length of a row or a column vector.
std::size_t vector_length(const Table& t, const char* field, const char* record);

// `count` element numbers with the given base, converted to 0-based and checked in 0..upper−1.
std::vector<std::int64_t> indices(const Table& t, std::size_t count, std::int64_t base,
                                  std::size_t upper, const char* field, const char* record);

}  // namespace mom::hybrid
