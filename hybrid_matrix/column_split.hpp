// The centroid sweeps on two threads, split by the matrix columns each thread may write.
//
// A sweep visits every unordered pair of distinct elements (p, q), q < p, q in the outer loop,
// and adds each term of a function a of one element and b of the other to the lower-triangle
// entry in column min(a, b). One thread owns the columns below a split, the other those from the
// split on; each visits the pairs that can reach its columns, in the serial order, and adds only
// the terms that land in its own columns. So no entry is written by two threads, and every entry
// receives its terms in the same order as in one serial sweep: the result is the same to the
// bit, whatever the number of threads. Only pairs whose elements carry functions on both sides
// of the split are evaluated by both threads.
//
// Nothing here calls the host; threads that cannot be started leave the work to the caller's
// thread, and an exception thrown by the helper thread is passed on after it has finished.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "memory.hpp"

namespace mom::hybrid {

// The columns [lo, hi) a thread writes.
struct ColumnOwner {
  std::int64_t lo = 0;
  std::int64_t hi = std::numeric_limits<std::int64_t>::max();
  bool owns(std::int64_t column) const { return column >= lo && column < hi; }
};

// The smallest and largest function number of every element, and their suffix extremes over the
// elements e … count−1, from which it follows cheaply whether a pair or a whole sweep row can
// reach the columns of an owner. An element without functions has the empty span (max, −1).
class ElementSpans {
 public:
  template <class Span>
  ElementSpans(std::size_t count, const Span& span, const char* what)
      : lo_(make_buffer<std::int64_t>(count, what)),
        hi_(make_buffer<std::int64_t>(count, what)),
        later_lo_(make_buffer<std::int64_t>(count + 1, what)),
        later_hi_(make_buffer<std::int64_t>(count + 1, what)) {
    for (std::size_t e = 0; e < count; ++e) span(e, lo_[e], hi_[e]);
    later_lo_[count] = kNone;
    later_hi_[count] = -1;
    for (std::size_t e = count; e-- > 0;) {
      later_lo_[e] = std::min(later_lo_[e + 1], lo_[e]);
      later_hi_[e] = std::max(later_hi_[e + 1], hi_[e]);
    }
  }

  std::int64_t lo(std::size_t e) const { return lo_[e]; }
  std::int64_t hi(std::size_t e) const { return hi_[e]; }

  // The terms of the pair (p, q) land in columns min(a, b) within
  // [min(lo_p, lo_q), min(hi_p, hi_q)].
  bool pair_reaches(std::size_t p, std::size_t q, const ColumnOwner& o) const {
    return std::min(lo_[p], lo_[q]) < o.hi && std::min(hi_[p], hi_[q]) >= o.lo;
  }
  // Whether any pair (p, q), p > q, of the sweep row q can reach the owner's columns.
  bool row_reaches(std::size_t q, const ColumnOwner& o) const {
    return std::min(lo_[q], later_lo_[q + 1]) < o.hi && std::min(hi_[q], later_hi_[q + 1]) >= o.lo;
  }

  // Two owners of about equal work. The owner of the columns below s evaluates the pairs with
  // min(lo_p, lo_q) < s, the other those with min(hi_p, hi_q) ≥ s; elements whose functions
  // lie on both sides of s (wide spans) put their pairs on both lists. With L(s) elements whose
  // smallest function is ≥ s and H(s) elements whose largest is ≥ s, the two counts are
  // C(count, 2) − C(L(s), 2), growing with s, and C(H(s), 2), falling with s: the split is the
  // s where the larger of the two is smallest, found by bisection over sorted copies of the
  // smallest and largest function numbers.
  std::int64_t balanced_split() const {
    const std::size_t count = lo_.size();
    std::vector<std::int64_t> lo = make_buffer<std::int64_t>(count, "the sweep split");
    std::vector<std::int64_t> hi = make_buffer<std::int64_t>(count, "the sweep split");
    std::int64_t top = -1;
    for (std::size_t e = 0; e < count; ++e) {
      lo[e] = lo_[e];
      hi[e] = hi_[e];
      top = std::max(top, hi_[e]);
    }
    if (top < 0) return std::numeric_limits<std::int64_t>::max();
    std::sort(lo.begin(), lo.end());
    std::sort(hi.begin(), hi.end());
    const auto pairs = [](std::size_t k) {
      return 0.5 * static_cast<double>(k) * (k > 0 ? k - 1 : 0);
    };
    const auto at_least = [](const std::vector<std::int64_t>& v, std::int64_t s) {
      return static_cast<std::size_t>(v.end() - std::lower_bound(v.begin(), v.end(), s));
    };
    const auto first = [&](std::int64_t s) { return pairs(count) - pairs(at_least(lo, s)); };
    const auto second = [&](std::int64_t s) { return pairs(at_least(hi, s)); };
    // The smallest s in [0, top + 1] where the first owner's count reaches the second's.
    std::int64_t a = 0, b = top + 1;
    while (a < b) {
      const std::int64_t mid = a + (b - a) / 2;
      if (first(mid) >= second(mid)) {
        b = mid;
      } else {
        a = mid + 1;
      }
    }
    if (a > 0 && std::max(first(a - 1), second(a - 1)) < std::max(first(a), second(a))) --a;
    return a;
  }

 private:
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> lo_, hi_, later_lo_, later_hi_;
};

// Sweeps with fewer pairs than this, and pair lists shorter than kParallelList, run on the
// caller's thread alone: starting a thread costs about as much as a few thousand centroid pairs
// or a few hundred listed pairs.
constexpr double kParallelPairs = 2e5;
constexpr std::size_t kParallelList = 2000;

// Runs work(owner, index) for the owners [0, split) and [split, ∞): the second on a helper
// thread, the first on the caller's. Without `parallel` (or with one core) work(all columns, 0)
// runs alone.
template <class Work>
void on_two_owners(bool parallel, std::int64_t split, const Work& work) {
  if (!parallel || std::thread::hardware_concurrency() < 2) {
    work(ColumnOwner{}, 0);
    return;
  }
  const ColumnOwner first{0, split};
  const ColumnOwner second{split, std::numeric_limits<std::int64_t>::max()};
  std::exception_ptr failure;
  std::thread helper;
  try {
    helper = std::thread([&] {
      try {
        work(second, 1);
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    work(first, 0);
    work(second, 1);
    return;
  }
  try {
    work(first, 0);
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) std::rethrow_exception(failure);
}

// A sweep over all pairs of `count` elements, split as balanced_split() says.
template <class Work>
void on_column_split(const ElementSpans& spans, std::size_t count, const Work& work) {
  const double pairs = 0.5 * static_cast<double>(count) * static_cast<double>(count);
  on_two_owners(pairs >= kParallelPairs, spans.balanced_split(), work);
}

// A list of k element pairs (first[x], second[x]), visited in list order by each owner: split
// at the median of the smallest function number of the listed pairs, so that each thread
// evaluates about half of them.
template <class Work>
void on_list_split(const ElementSpans& spans, const std::int64_t* first, const std::int64_t* second,
                   std::size_t k, const Work& work) {
  if (k < kParallelList) {
    on_two_owners(false, 0, work);
    return;
  }
  std::vector<std::int64_t> smallest = make_buffer<std::int64_t>(k, "the near-pair split");
  for (std::size_t x = 0; x < k; ++x) {
    smallest[x] = std::min(spans.lo(static_cast<std::size_t>(first[x])),
                           spans.lo(static_cast<std::size_t>(second[x])));
  }
  std::nth_element(smallest.begin(), smallest.begin() + k / 2, smallest.end());
  on_two_owners(true, smallest[k / 2], work);
}

}  // namespace mom::hybrid
