#include "record_checks.hpp"

#include "errors.hpp"
#include "finite.hpp"
#include "indices.hpp"

namespace mom::hybrid {

std::string label(const char* field, const char* record) {
  return "field '" + std::string(field) + "' of '" + record + "'";
}

Table finite_values(const Table& t, const char* field, const char* record) {
  require_finite_rows(t.data, t.rows, t.rows, t.cols, label(field, record));
  return t;
}

void require_values(const Table& t, std::size_t needed, const char* field, const char* record) {
  if (t.size() < needed) {
    fail("badSize", label(field, record) + " has " + std::to_string(t.size()) +
                        " values, at least " + std::to_string(needed) + " needed");
  }
}

std::size_t vector_length(const Table& t, const char* field, const char* record) {
  if (t.rows > 1 && t.cols > 1) {
    fail("badSize", label(field, record) + " must be a row vector, not " + std::to_string(t.rows) +
                        " x " + std::to_string(t.cols));
  }
  return t.size();
}

std::vector<std::int64_t> indices(const Table& t, std::size_t count, std::int64_t base,
                                  std::size_t upper, const char* field, const char* record) {
  return convert_indices<std::int64_t>(t.data, count, base, 0, static_cast<std::int64_t>(upper) - 1,
                                       label(field, record));
}

}  // namespace mom::hybrid
