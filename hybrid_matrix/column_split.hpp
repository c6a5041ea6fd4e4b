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

  // Two owners of about equal work: the rows q < s of a sweep over `count` elements hold half of
  // its pairs, and the split column is the smallest function number of the elements from s on.
  // Where functions are numbered roughly in element order, the first owner then takes the long
  // rows before s and the second the short rows after it.
  std::int64_t balanced_split() const {
    const std::size_t count = lo_.size();
    const double half = 0.25 * static_cast<double>(count) * static_cast<double>(count);
    double pairs = 0.0;
    std::size_t s = 0;
    while (s < count && pairs < half) pairs += static_cast<double>(count - 1 - s++);
    return later_lo_[s] == kNone ? std::numeric_limits<std::int64_t>::max() : later_lo_[s];
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
