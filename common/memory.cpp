#include "memory.hpp"

#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

namespace mom {

std::string format_bytes(std::size_t bytes) {
  char text[64];
  const double b = static_cast<double>(bytes);
  if (b >= 1024.0 * 1024.0 * 1024.0) {
    std::snprintf(text, sizeof text, "%.2f GiB", b / (1024.0 * 1024.0 * 1024.0));
  } else if (b >= 1024.0 * 1024.0) {
    std::snprintf(text, sizeof text, "%.2f MiB", b / (1024.0 * 1024.0));
  } else {
    std::snprintf(text, sizeof text, "%zu bytes", bytes);
  }
  return text;
}

std::size_t checked_mul(std::size_t a, std::size_t b, const char* what) {
  std::size_t r;
  if (__builtin_mul_overflow(a, b, &r)) {
    throw OutOfMemory("not enough memory for " + std::string(what) +
                      ": the size overflows 64-bit arithmetic");
  }
  return r;
}

std::size_t checked_add(std::size_t a, std::size_t b, const char* what) {
  std::size_t r;
  if (__builtin_add_overflow(a, b, &r)) {
    throw OutOfMemory("not enough memory for " + std::string(what) +
                      ": the size overflows 64-bit arithmetic");
  }
  return r;
}

std::size_t available_memory_bytes() {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  while (std::getline(meminfo, line)) {
    if (line.rfind("MemAvailable:", 0) == 0) {
      std::istringstream fields(line.substr(13));
      unsigned long long kib = 0;
      if (fields >> kib) return static_cast<std::size_t>(kib) * 1024u;
    }
  }
  return std::numeric_limits<std::size_t>::max();
}

void ensure_memory(std::size_t bytes, const char* what) {
  const std::size_t available = available_memory_bytes();
  if (bytes > available) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " + format_bytes(bytes) +
                      " requested, " + format_bytes(available) + " available");
  }
}

}  // namespace mom
