#include "column_split.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using mom::hybrid::ColumnOwner;
using mom::hybrid::ElementSpans;

// The larger of the two owners' pair counts for a split s, counted pair by pair with
// pair_reaches (the test the sweeps themselves apply).
double worst_share(const ElementSpans& spans, std::size_t count, std::int64_t s) {
  const ColumnOwner first{0, s};
  const ColumnOwner second{s, std::numeric_limits<std::int64_t>::max()};
  double a = 0.0, b = 0.0;
  for (std::size_t p = 0; p < count; ++p)
    for (std::size_t q = 0; q < p; ++q) {
      a += spans.pair_reaches(p, q, first);
      b += spans.pair_reaches(p, q, second);
    }
  return std::max(a, b);
}

// Elements numbered roughly in order, a few of them "wide" (one function far ahead, as the
// faces of a tetrahedral mesh give): the chosen split is as good as the best one found by
// trying every split and counting every pair, and every pair reaches at least one owner.
TEST(ColumnSplit, BalancedSplitMatchesBruteForce) {
  std::mt19937 gen(4);
  for (int wide_percent : {0, 10, 40}) {
    const std::size_t count = 300;
    std::vector<std::int64_t> lo(count), hi(count);
    std::int64_t top = 0;
    for (std::size_t e = 0; e < count; ++e) {
      lo[e] = static_cast<std::int64_t>(e) + static_cast<std::int64_t>(gen() % 3);
      hi[e] = lo[e] + 2;
      if (static_cast<int>(gen() % 100) < wide_percent)
        hi[e] += static_cast<std::int64_t>(gen() % 200);
      top = std::max(top, hi[e]);
    }
    const ElementSpans spans(
        count, [&](std::size_t e, std::int64_t& l, std::int64_t& h) { l = lo[e], h = hi[e]; },
        "test");
    const std::int64_t s = spans.balanced_split();
    ASSERT_GE(s, 0);
    ASSERT_LE(s, top + 1);
    double best = worst_share(spans, count, 0);
    for (std::int64_t t = 1; t <= top + 1; ++t) best = std::min(best, worst_share(spans, count, t));
    EXPECT_EQ(worst_share(spans, count, s), best) << "wide " << wide_percent << "%";
    const ColumnOwner first{0, s};
    const ColumnOwner second{s, std::numeric_limits<std::int64_t>::max()};
    for (std::size_t p = 0; p < count; ++p)
      for (std::size_t q = 0; q < p; ++q)
        ASSERT_TRUE(spans.pair_reaches(p, q, first) || spans.pair_reaches(p, q, second));
  }
}

// Elements without functions take part in no pair; with none carrying a function there is no
// column to split.
TEST(ColumnSplit, NoFunctionsNoSplit) {
  const ElementSpans spans(
      5,
      [](std::size_t, std::int64_t& l, std::int64_t& h) {
        l = std::numeric_limits<std::int64_t>::max();
        h = -1;
      },
      "test");
  EXPECT_EQ(spans.balanced_split(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
