// The layout of the distributed solver against the definition of the 2D block-cyclic
// distribution (owner of global index g: (g / nb) mod np), and the spatial order.
#include "layout.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "errors.hpp"

namespace {

using namespace mom::distributed;

TEST(Layout, GridShapes) {
  const int ranks[] = {1, 2, 3, 4, 6, 7, 12, 16, 64};
  const int rows[] = {1, 1, 1, 2, 2, 1, 3, 4, 8};
  for (int i = 0; i < 9; ++i) {
    const Grid g = choose_grid(ranks[i]);
    EXPECT_EQ(g.rows, rows[i]) << ranks[i];
    EXPECT_EQ(g.rows * g.cols, ranks[i]);
  }
  const Grid g = parse_grid("2x3");
  EXPECT_EQ(g.rows, 2);
  EXPECT_EQ(g.cols, 3);
  for (const char* bad : {"", "2", "2x", "x3", "2x3x", "0x4", "2*3", "-1x2"})
    EXPECT_THROW(parse_grid(bad), mom::Error) << bad;
}

TEST(Layout, BlockCyclicCountsAndIndices) {
  for (std::size_t n : {0u, 1u, 7u, 64u, 65u, 300u, 1001u})
    for (std::size_t nb : {1u, 3u, 64u})
      for (int np : {1, 2, 3, 5}) {
        std::vector<std::vector<std::size_t>> owned(static_cast<std::size_t>(np));
        for (std::size_t g = 0; g < n; ++g) owned[(g / nb) % np].push_back(g);
        for (int p = 0; p < np; ++p) {
          ASSERT_EQ(local_count(n, nb, p, np), owned[p].size()) << n << " " << nb << " " << p;
          for (std::size_t l = 0; l < owned[p].size(); ++l)
            ASSERT_EQ(global_index(l, nb, p, np), owned[p][l]);
        }
      }
}

// Points on a jittered 16 × 16 grid: the order is a permutation and its four quarters are the
// four quadrants; the process permutation hands process p the p-th run of the order.
TEST(Layout, SpatialOrderAndPermutation) {
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> u(-0.1, 0.1);
  std::vector<double> pts;
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 16; ++i) pts.insert(pts.end(), {i + u(gen), j + u(gen), 0.01 * u(gen)});
  std::vector<std::int64_t> idx(256);
  std::iota(idx.begin(), idx.end(), 0);
  std::shuffle(idx.begin(), idx.end(), gen);
  std::vector<double> shuffled(3 * 256);
  for (int k = 0; k < 256; ++k)
    for (int d = 0; d < 3; ++d) shuffled[3 * k + d] = pts[3 * idx[k] + d];
  const std::vector<std::int64_t> order = spatial_order(shuffled.data(), 256);
  std::vector<std::int64_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  for (int k = 0; k < 256; ++k) ASSERT_EQ(sorted[k], k);
  for (int q = 0; q < 4; ++q) {
    double lo[2] = {1e9, 1e9}, hi[2] = {-1e9, -1e9};
    for (int k = 64 * q; k < 64 * (q + 1); ++k)
      for (int d = 0; d < 2; ++d) {
        lo[d] = std::min(lo[d], shuffled[3 * order[k] + d]);
        hi[d] = std::max(hi[d], shuffled[3 * order[k] + d]);
      }
    EXPECT_LT(hi[0] - lo[0], 8) << "quarter " << q;
    EXPECT_LT(hi[1] - lo[1], 8) << "quarter " << q;
  }
  for (int np : {1, 2, 3}) {
    const std::vector<std::int64_t> perm = process_permutation(order, 5, np);
    std::vector<std::int64_t> s = perm;
    std::sort(s.begin(), s.end());
    EXPECT_EQ(s, sorted);
    std::size_t offset = 0;
    for (int p = 0; p < np; ++p) {
      const std::vector<std::int64_t> mine = local_unknowns(perm, 5, p, np);
      EXPECT_TRUE(std::equal(mine.begin(), mine.end(), order.begin() + offset)) << np << " " << p;
      offset += mine.size();
    }
    EXPECT_EQ(offset, 256u);
  }
}

}  // namespace
