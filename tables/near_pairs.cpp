#include "near_pairs.hpp"

#include <algorithm>
#include <limits>
#include <string>

#include "errors.hpp"
#include "memory.hpp"

namespace mom::tables {

namespace {

constexpr std::size_t kLeafSize = 8;
constexpr std::uint32_t kNoLimit = std::numeric_limits<std::uint32_t>::max();

// Bounding-volume tree over the centroids of one element set.
class BallTree {
 public:
  explicit BallTree(const ElementBalls& set);

  // Appends to `found` (unordered) every j ≤ limit with near_pair_test(c, rho, c_j, ρ_j, k).
  void collect(const Vec3& c, double rho, double k, std::uint32_t limit,
               std::vector<std::uint32_t>& found) const;

 private:
  struct Node {
    double lo[3], hi[3];
    double max_radius;
    std::uint32_t min_index;
    std::uint32_t begin, end;  // range of the leaf-ordered arrays below this node
    std::uint32_t left;        // first child (the second follows it); 0 for a leaf
  };
  std::vector<Node> nodes_;
  // Elements in leaf order.
  std::vector<double> x_, y_, z_, r_;
  std::vector<std::uint32_t> id_;
};

BallTree::BallTree(const ElementBalls& set) {
  const std::size_t n = set.count;
  id_ = make_buffer<std::uint32_t>(n, "the near-pair search tree");
  for (std::size_t i = 0; i < n; ++i) id_[i] = static_cast<std::uint32_t>(i);
  nodes_.reserve(n == 0 ? 1 : 4 * (n / kLeafSize + 1));

  struct Task {
    std::uint32_t node, begin, end;
  };
  std::vector<Task> tasks;
  nodes_.push_back(Node{});
  tasks.push_back({0, 0, static_cast<std::uint32_t>(n)});
  while (!tasks.empty()) {
    const Task t = tasks.back();
    tasks.pop_back();
    Node nd{};
    nd.begin = t.begin;
    nd.end = t.end;
    nd.min_index = kNoLimit;
    for (int a = 0; a < 3; ++a) {
      nd.lo[a] = std::numeric_limits<double>::infinity();
      nd.hi[a] = -std::numeric_limits<double>::infinity();
    }
    for (std::uint32_t p = t.begin; p < t.end; ++p) {
      const std::uint32_t e = id_[p];
      const double* c = set.centroid + 3 * static_cast<std::size_t>(e);
      for (int a = 0; a < 3; ++a) {
        nd.lo[a] = std::min(nd.lo[a], c[a]);
        nd.hi[a] = std::max(nd.hi[a], c[a]);
      }
      nd.max_radius = std::max(nd.max_radius, set.radius[e]);
      nd.min_index = std::min(nd.min_index, e);
    }
    if (t.end - t.begin > kLeafSize) {
      int axis = 0;
      for (int a = 1; a < 3; ++a) {
        if (nd.hi[a] - nd.lo[a] > nd.hi[axis] - nd.lo[axis]) axis = a;
      }
      const std::uint32_t mid = t.begin + (t.end - t.begin) / 2;
      std::nth_element(id_.begin() + t.begin, id_.begin() + mid, id_.begin() + t.end,
                       [&](std::uint32_t u, std::uint32_t v) {
                         const double cu = set.centroid[3 * static_cast<std::size_t>(u) + axis];
                         const double cv = set.centroid[3 * static_cast<std::size_t>(v) + axis];
                         return cu < cv || (cu == cv && u < v);
                       });
      nd.left = static_cast<std::uint32_t>(nodes_.size());
      nodes_.push_back(Node{});
      nodes_.push_back(Node{});
      tasks.push_back({nd.left, t.begin, mid});
      tasks.push_back({nd.left + 1, mid, t.end});
    }
    nodes_[t.node] = nd;
  }

  x_ = make_buffer<double>(n, "the near-pair search tree");
  y_ = make_buffer<double>(n, "the near-pair search tree");
  z_ = make_buffer<double>(n, "the near-pair search tree");
  r_ = make_buffer<double>(n, "the near-pair search tree");
  for (std::size_t p = 0; p < n; ++p) {
    const Vec3 c = set.center(id_[p]);
    x_[p] = c.x;
    y_[p] = c.y;
    z_[p] = c.z;
    r_[p] = set.radius[id_[p]];
  }
}

inline double gap(double c, double lo, double hi) {
  return c < lo ? lo - c : (c > hi ? c - hi : 0.0);
}

void BallTree::collect(const Vec3& c, double rho, double k, std::uint32_t limit,
                       std::vector<std::uint32_t>& found) const {
  if (id_.empty()) return;
  const double k_rho = k * rho;
  std::uint32_t stack[128];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& nd = nodes_[stack[--top]];
    if (nd.min_index > limit) continue;
    // Nearest possible centroid of the node against its largest radius. The same rounded
    // operations as in the test, on coordinates no farther than any centroid of the node, so
    // !(g2 < bound) implies the test fails for every element below (NaN bounds included).
    const double gx = gap(c.x, nd.lo[0], nd.hi[0]);
    const double gy = gap(c.y, nd.lo[1], nd.hi[1]);
    const double gz = gap(c.z, nd.lo[2], nd.hi[2]);
    if (!(gx * gx + gy * gy + gz * gz < k_rho * nd.max_radius)) continue;
    if (nd.left != 0) {
      stack[top++] = nd.left + 1;
      stack[top++] = nd.left;
      continue;
    }
    for (std::uint32_t p = nd.begin; p < nd.end; ++p) {
      if (id_[p] > limit) continue;
      if (near_pair_test(c, rho, {x_[p], y_[p], z_[p]}, r_[p], k)) found.push_back(id_[p]);
    }
  }
}

void check_count(std::size_t n, const char* what) {
  if (n >= kNoLimit) {
    fail("tooLarge", std::string(what) + ": " + std::to_string(n) +
                         " elements exceed the supported 4294967294");
  }
}

// Appends the pairs (i, j) for j in `found`, sorted, to `pairs`; the list grows geometrically and
// each growth is checked against the available memory.
void append_sorted(std::uint32_t i, std::vector<std::uint32_t>& found,
                   std::vector<NearPair>& pairs) {
  if (found.empty()) return;
  std::sort(found.begin(), found.end());
  if (pairs.size() + found.size() > pairs.capacity()) {
    const std::size_t want =
        std::max({2 * pairs.capacity(), pairs.size() + found.size(), std::size_t{1024}});
    ensure_memory(checked_mul(want, sizeof(NearPair), "the near-pair list"), "the near-pair list");
    pairs.reserve(want);
  }
  for (std::uint32_t j : found) pairs.push_back({i, j});
  found.clear();
}

std::vector<NearPair> search(const ElementBalls& outer, const ElementBalls& inner, double k,
                             bool lower) {
  check_count(outer.count, "near-pair search");
  check_count(inner.count, "near-pair search");
  std::vector<NearPair> pairs;
  // k ≤ 0 or NaN: no distance is below k·ρ_i·ρ_j.
  if (!(k > 0.0) || outer.count == 0 || inner.count == 0) return pairs;
  const BallTree tree(inner);
  std::vector<std::uint32_t> found;
  for (std::size_t i = 0; i < outer.count; ++i) {
    const auto oi = static_cast<std::uint32_t>(i);
    tree.collect(outer.center(i), outer.radius[i], k, lower ? oi : kNoLimit, found);
    append_sorted(oi, found, pairs);
  }
  return pairs;
}

}  // namespace

std::vector<NearPair> near_pairs_within(const ElementBalls& set, double k) {
  return search(set, set, k, true);
}

std::vector<NearPair> near_pairs_between(const ElementBalls& outer, const ElementBalls& inner,
                                         double k) {
  return search(outer, inner, k, false);
}

}  // namespace mom::tables
