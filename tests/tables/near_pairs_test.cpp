// The near-pair search against the plain double loop it replaces: the same pairs in the same
// order, on random and structured point sets, with exact ties at the strict bound.
#include "near_pairs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using mom::tables::ElementBalls;
using mom::tables::NearPair;

struct Balls {
  std::vector<double> c, r;
  ElementBalls view() const { return {c.data(), r.data(), r.size()}; }
  void add(double x, double y, double z, double rho) {
    c.insert(c.end(), {x, y, z});
    r.push_back(rho);
  }
};

std::vector<NearPair> scan(const ElementBalls& outer, const ElementBalls& inner, double k,
                           bool lower) {
  std::vector<NearPair> out;
  for (std::uint32_t i = 0; i < outer.count; ++i) {
    for (std::uint32_t j = 0; j < (lower ? i + 1 : inner.count); ++j) {
      if (mom::tables::near_pair_test(outer.center(i), outer.radius[i], inner.center(j),
                                      inner.radius[j], k)) {
        out.push_back({i, j});
      }
    }
  }
  return out;
}

void expect_same(const std::vector<NearPair>& got, const std::vector<NearPair>& want,
                 const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t p = 0; p < want.size(); ++p) {
    ASSERT_TRUE(got[p].i == want[p].i && got[p].j == want[p].j)
        << what << ": pair " << p << " is (" << got[p].i << ", " << got[p].j << "), expected ("
        << want[p].i << ", " << want[p].j << ")";
  }
}

// Centroids scattered in a box, radii spread over three decades.
Balls random_balls(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> pos(-1.0, 1.0), expo(-3.0, -1.0);
  Balls b;
  for (std::size_t i = 0; i < n; ++i)
    b.add(pos(gen), pos(gen), 0.2 * pos(gen), std::pow(10.0, expo(gen)));
  return b;
}

TEST(NearPairs, SameAsTheDoubleLoopOnRandomSets) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const Balls b = random_balls(1500, seed);
    for (double k : {0.5, 4.0, 30.0, 400.0}) {
      expect_same(mom::tables::near_pairs_within(b.view(), k), scan(b.view(), b.view(), k, true),
                  "within");
    }
    const Balls other = random_balls(700, seed + 10);
    for (double k : {4.0, 100.0}) {
      expect_same(mom::tables::near_pairs_between(b.view(), other.view(), k),
                  scan(b.view(), other.view(), k, false), "between");
      expect_same(mom::tables::near_pairs_between(other.view(), b.view(), k),
                  scan(other.view(), b.view(), k, false), "between, swapped");
    }
  }
}

TEST(NearPairs, SameAsTheDoubleLoopOnALatticeWithTiesAtTheBound) {
  // Unit lattice, radius 1: with k = 4 the neighbours at distance 2 lie exactly on the strict
  // bound 4 = k·1·1 and must be left out; k = 4·(1 + 2⁻⁵²) takes them in. Duplicated points
  // (equal centroids) and a few coarse elements among fine ones complete the set.
  Balls b;
  for (int x = 0; x < 12; ++x)
    for (int y = 0; y < 12; ++y)
      for (int z = 0; z < 3; ++z) b.add(x, y, z, 1.0);
  for (int d = 0; d < 20; ++d) b.add(3, 4, 1, 1.0);
  b.add(5.5, 5.5, 1, 6.0);
  b.add(0.25, 11, 2, 3.0);
  for (double k : {4.0, 4.0 * (1.0 + std::ldexp(1.0, -52)), 1.0, 8.999999999, 9.0, 1e-3}) {
    expect_same(mom::tables::near_pairs_within(b.view(), k), scan(b.view(), b.view(), k, true),
                "lattice");
  }
  const auto at_bound = mom::tables::near_pairs_within(b.view(), 4.0);
  const auto above = mom::tables::near_pairs_within(b.view(), 4.0 * (1.0 + std::ldexp(1.0, -52)));
  EXPECT_LT(at_bound.size(), above.size());
}

TEST(NearPairs, SelfPairsForAnyPositiveFactorAndNothingOtherwise) {
  const Balls b = random_balls(300, 9);
  const auto tiny = mom::tables::near_pairs_within(b.view(), 1e-300);
  ASSERT_EQ(tiny.size(), 300u);
  for (std::uint32_t i = 0; i < 300; ++i) EXPECT_TRUE(tiny[i].i == i && tiny[i].j == i);
  for (double k : {0.0, -1.0, -std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_TRUE(mom::tables::near_pairs_within(b.view(), k).empty()) << k;
    EXPECT_TRUE(mom::tables::near_pairs_between(b.view(), b.view(), k).empty()) << k;
  }
  // An infinite factor pairs everything.
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(mom::tables::near_pairs_within(b.view(), inf).size(), 300u * 301u / 2u);
  // Empty sets.
  const Balls none;
  EXPECT_TRUE(mom::tables::near_pairs_within(none.view(), 4.0).empty());
  EXPECT_TRUE(mom::tables::near_pairs_between(b.view(), none.view(), 4.0).empty());
  EXPECT_TRUE(mom::tables::near_pairs_between(none.view(), b.view(), 4.0).empty());
}

}  // namespace
