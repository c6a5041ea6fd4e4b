// Sizes in 64-bit arithmetic and working arrays that are checked before they are allocated.
//
// Memory from operator new is not guaranteed to fail cleanly on Linux: with overcommit a huge
// request may succeed and the process is killed later, when the pages are touched. Every large
// working array is therefore sized with overflow-checked arithmetic and compared with the memory
// the machine has before it is allocated; a request that cannot be met throws mom::OutOfMemory
// with the size asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "errors.hpp"

namespace mom {

// a·b, or OutOfMemory naming `what` when the product does not fit in 64 bits.
std::size_t checked_mul(std::size_t a, std::size_t b, const char* what);
std::size_t checked_add(std::size_t a, std::size_t b, const char* what);

// Bytes of memory currently available to this process: the smaller of the physical memory
// available (MemAvailable on Linux) and what is left of an address-space limit (ulimit -v), or
// the largest size_t when neither can be determined.
std::size_t available_memory_bytes();

// Requests below this size are not compared with the available memory (see ensure_memory).
inline constexpr std::size_t kSmallRequestBytes = std::size_t{16} << 20;

// Throws OutOfMemory ("not enough memory for <what>: 1.23 GiB requested, 0.50 GiB available")
// when `bytes` (16 MiB or more) exceeds the available memory.
void ensure_memory(std::size_t bytes, const char* what);

// Human-readable byte count, e.g. "1.50 GiB".
std::string format_bytes(std::size_t bytes);

// A zero-initialised vector of `count` elements, checked as above. The vector owns its memory.
template <class T>
std::vector<T> make_buffer(std::size_t count, const char* what) {
  ensure_memory(checked_mul(count, sizeof(T), what), what);
  try {
    return std::vector<T>(count);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " +
                      format_bytes(count * sizeof(T)) + " requested");
  } catch (const std::length_error&) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " +
                      format_bytes(count * sizeof(T)) + " requested");
  }
}

}  // namespace mom
