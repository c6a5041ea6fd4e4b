#include "memory.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

namespace {

// MemAvailable of /proc/meminfo in bytes, or the largest size_t when it cannot be read.
std::size_t physical_available_bytes() {
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

// What is left of the process's address-space limit (ulimit -v, RLIMIT_AS): the limit less the
// virtual size already mapped (/proc/self/statm, in pages). The largest size_t when unlimited.
std::size_t address_space_left_bytes() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return std::numeric_limits<std::size_t>::max();
  }
  std::ifstream statm("/proc/self/statm");
  unsigned long long pages = 0;
  if (!(statm >> pages)) return std::numeric_limits<std::size_t>::max();
  const unsigned long long used = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
  const unsigned long long cap = static_cast<unsigned long long>(limit.rlim_cur);
  return used >= cap ? 0 : static_cast<std::size_t>(cap - used);
}

}  // namespace

std::size_t available_memory_bytes() {
  return std::min(physical_available_bytes(), address_space_left_bytes());
}

void ensure_memory(std::size_t bytes, const char* what) {
  // Asking the system costs two file reads; a request this small is not worth them (block
  // fills request scratch on every call), and its failure still ends as bad_alloc, which
  // make_buffer turns into OutOfMemory.
  if (bytes < kSmallRequestBytes) return;
  const std::size_t available = available_memory_bytes();
  if (bytes > available) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " + format_bytes(bytes) +
                      " requested, " + format_bytes(available) + " available");
  }
}

}  // namespace mom
