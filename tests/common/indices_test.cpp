#include "indices.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Indices, TruncateShiftAndCheck) {
  const double v[] = {1.0, 4.0, 2.9, 3.5};
  const auto out = mom::convert_indices<int>(v, 4, 1, 0, 3, "field 'TriP' of 'geom'");
  EXPECT_EQ(out, (std::vector<int>{0, 3, 1, 2}));
  // 0-based tables are used without a shift; −0.5 truncates to 0.
  const double w[] = {0.0, -0.5, 6.99};
  EXPECT_EQ((mom::convert_indices<long>(w, 3, 0, 0, 6, "t")), (std::vector<long>{0, 0, 6}));
}

TEST(Indices, OutOfRangeNamesTheTableAndPosition) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double bad : {0.0, 5.0, nan, inf, -inf, 1e300}) {
    const double v[] = {1.0, bad};
    try {
      mom::convert_indices<int>(v, 2, 1, 0, 3, "field 'TriP' of 'geom'");
      FAIL() << "accepted " << bad;
    } catch (const mom::Error& e) {
      const std::string msg = e.what();
      EXPECT_EQ(e.mnemonic(), "badIndex");
      EXPECT_NE(msg.find("'TriP'"), std::string::npos) << msg;
      EXPECT_NE(msg.find("position 2"), std::string::npos) << msg;
      EXPECT_NE(msg.find("1..4"), std::string::npos) << msg;  // the 1-based range
    }
  }
}

TEST(Indices, EmptyRangeRejectsEverything) {
  const double v[] = {1.0};
  EXPECT_THROW(mom::convert_indices<int>(v, 1, 1, 0, -1, "t"), mom::Error);
  EXPECT_TRUE((mom::convert_indices<int>(v, 0, 1, 0, -1, "t")).empty());
}

}  // namespace
