#include "finite.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The blocked search finds the first bad value wherever it lies relative to the block edges,
// and the first of several.
TEST(FiniteValues, FirstNonFiniteAtEveryBlockPosition) {
  std::vector<double> v(1000, 1.5);
  EXPECT_EQ(mom::first_non_finite(v.data(), v.size()), v.size());
  EXPECT_EQ(mom::first_non_finite(v.data(), 0), 0u);
  for (std::size_t i : {0u, 1u, 255u, 256u, 257u, 511u, 999u}) {
    for (double bad : {kNaN, kInf, -kInf}) {
      std::vector<double> w = v;
      w[i] = bad;
      if (i + 300 < w.size()) w[i + 300] = kNaN;
      EXPECT_EQ(mom::first_non_finite(w.data(), w.size()), i) << i;
    }
  }
  // Huge but finite values are fine (their differences are 0, not NaN).
  v[7] = std::numeric_limits<double>::max();
  v[8] = -std::numeric_limits<double>::max();
  EXPECT_EQ(mom::first_non_finite(v.data(), v.size()), v.size());
}

// Only the rows that are read are checked; the message names the table, the value and its
// row and column.
TEST(FiniteValues, RowsBeyondTheReadOnesAreNotChecked) {
  std::vector<double> t(4 * 3, 0.25);  // 4 x 3, rows 1..3 read
  t[3] = kNaN;                         // row 4, column 1: unread
  EXPECT_NO_THROW(mom::require_finite_rows(t.data(), 4, 3, 3, "argument 'coeffT'"));
  t[4 + 2] = -kInf;  // row 3, column 2
  try {
    mom::require_finite_rows(t.data(), 4, 3, 3, "argument 'coeffT'");
    FAIL() << "expected badValue";
  } catch (const mom::Error& e) {
    EXPECT_EQ(e.mnemonic(), "badValue");
    EXPECT_STREQ(e.what(),
                 "argument 'coeffT': value -Inf at position 7 (row 3, column 2) is not finite");
  }
  EXPECT_THROW(mom::require_finite_rows(t.data(), 4, 4, 3, "t"), mom::Error);
}

}  // namespace
