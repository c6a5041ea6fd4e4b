#include "memory.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();

TEST(CheckedSizes, OverflowIsAnOutOfMemoryError) {
  EXPECT_EQ(mom::checked_mul(1u << 20, 1u << 20, "x"), std::size_t{1} << 40);
  EXPECT_THROW(mom::checked_mul(kMax / 2 + 1, 2, "x"), mom::OutOfMemory);
  EXPECT_THROW(mom::checked_add(kMax, 1, "x"), mom::OutOfMemory);
  // The product of an N x N complex matrix that wraps around in 64 bits must not pass.
  const std::size_t n = std::size_t{1} << 31;
  EXPECT_THROW(mom::checked_mul(mom::checked_mul(n, n, "m"), 16, "m"), mom::OutOfMemory);
}

TEST(CheckedSizes, RequestsBeyondTheMachineAreRefusedWithTheSize) {
  try {
    mom::ensure_memory(kMax / 2, "the impedance matrix");
    FAIL() << "expected OutOfMemory";
  } catch (const mom::OutOfMemory& e) {
    const std::string msg = e.what();
    EXPECT_NE(msg.find("the impedance matrix"), std::string::npos) << msg;
    EXPECT_NE(msg.find("GiB requested"), std::string::npos) << msg;
    EXPECT_EQ(e.mnemonic(), "outOfMemory");
  }
  EXPECT_THROW(mom::make_buffer<double>(kMax / 4, "buffer"), mom::OutOfMemory);
  EXPECT_NO_THROW(mom::ensure_memory(1 << 20, "small"));
  const auto v = mom::make_buffer<double>(1000, "small");
  EXPECT_EQ(v.size(), 1000u);
  EXPECT_EQ(v[999], 0.0);
}

}  // namespace
