#include "layout.hpp"

#include <algorithm>
#include <cmath>

#include "errors.hpp"
#include "memory.hpp"

namespace mom::distributed {

Grid choose_grid(int ranks) {
  Grid g{1, ranks};
  for (int r = 1; r * r <= ranks; ++r) {
    if (ranks % r == 0) g = {r, ranks / r};
  }
  return g;
}

Grid parse_grid(const std::string& text) {
  const std::size_t x = text.find('x');
  Grid g;
  try {
    std::size_t used = 0;
    if (x == std::string::npos) throw std::invalid_argument("no x");
    g.rows = std::stoi(text.substr(0, x), &used);
    if (used != x) throw std::invalid_argument("rows");
    g.cols = std::stoi(text.substr(x + 1), &used);
    if (used != text.size() - x - 1) throw std::invalid_argument("cols");
  } catch (const std::exception&) {
    fail("badGrid", "the process grid '" + text + "' is not of the form PxQ (for example 2x3)");
  }
  if (g.rows < 1 || g.cols < 1) {
    fail("badGrid", "the process grid '" + text + "' needs at least one process row and column");
  }
  return g;
}

std::size_t local_count(std::size_t n, std::size_t nb, int p, int np) {
  const std::size_t blocks = n / nb;
  const std::size_t procs = static_cast<std::size_t>(np);
  const std::size_t me = static_cast<std::size_t>(p);
  std::size_t count = (blocks / procs) * nb;
  const std::size_t extra = blocks % procs;
  if (me < extra) {
    count += nb;
  } else if (me == extra) {
    count += n % nb;
  }
  return count;
}

std::size_t global_index(std::size_t l, std::size_t nb, int p, int np) {
  return (l / nb) * nb * static_cast<std::size_t>(np) + static_cast<std::size_t>(p) * nb + l % nb;
}

std::vector<double> unknown_centres(const hybrid::SystemProblem& problem) {
  const std::size_t n = problem.order();
  const std::size_t ns = problem.surface_unknowns();
  std::vector<double> c =
      make_buffer<double>(checked_mul(3, n, "the unknown centres"), "the unknown centres");
  if (problem.surface) {
    const hybrid::SurfaceMesh& s = *problem.surface;
    for (std::size_t e = 0; e < ns; ++e)
      for (int d = 0; d < 3; ++d)
        c[3 * e + d] = 0.5 * (s.centroid[3 * s.tri_p[e] + d] + s.centroid[3 * s.tri_m[e] + d]);
  }
  if (problem.volume && problem.volume->Nv != 0) {
    const hybrid::VolumeMesh& v = *problem.volume;
    std::vector<double> count = make_buffer<double>(v.Nv, "the unknown centres");
    const auto add = [&](std::size_t elements, const std::vector<std::int64_t>& unknown,
                         const std::vector<int>& slots, const double* centre) {
      for (std::size_t e = 0; e < elements; ++e) {
        for (int k = 0; k < slots[e]; ++k) {
          const std::size_t a = static_cast<std::size_t>(unknown[hybrid::kSlots * e + k]);
          if (count[a] < 0) continue;  // placed by the tetrahedra already
          for (int d = 0; d < 3; ++d) c[3 * (ns + a) + d] += centre[3 * e + d];
          count[a] += 1;
        }
      }
    };
    const auto finish = [&] {
      for (std::size_t a = 0; a < v.Nv; ++a) {
        if (count[a] <= 0) continue;
        for (int d = 0; d < 3; ++d) c[3 * (ns + a) + d] /= count[a];
        count[a] = -1;
      }
    };
    add(v.Nt, v.tet_unknown, v.tet_count, v.center_t);
    finish();
    add(v.F, v.face_unknown, v.face_count, v.center_f);
    finish();
  }
  return c;
}

namespace {

void bisect(const double* points, std::int64_t* first, std::int64_t* last) {
  while (last - first > 1) {
    double lo[3], hi[3];
    for (int d = 0; d < 3; ++d) lo[d] = hi[d] = points[3 * first[0] + d];
    for (const std::int64_t* i = first; i != last; ++i)
      for (int d = 0; d < 3; ++d) {
        lo[d] = std::min(lo[d], points[3 * *i + d]);
        hi[d] = std::max(hi[d], points[3 * *i + d]);
      }
    int axis = 0;
    for (int d = 1; d < 3; ++d)
      if (hi[d] - lo[d] > hi[axis] - lo[axis]) axis = d;
    std::int64_t* mid = first + (last - first) / 2;
    std::nth_element(first, mid, last, [&](std::int64_t a, std::int64_t b) {
      const double pa = points[3 * a + axis], pb = points[3 * b + axis];
      return pa != pb ? pa < pb : a < b;
    });
    bisect(points, first, mid);
    first = mid;
  }
}

}  // namespace

std::vector<std::int64_t> spatial_order(const double* points, std::size_t n) {
  std::vector<std::int64_t> order = make_buffer<std::int64_t>(n, "the spatial order");
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::int64_t>(i);
  bisect(points, order.data(), order.data() + n);
  return order;
}

std::vector<std::int64_t> process_permutation(const std::vector<std::int64_t>& order,
                                              std::size_t nb, int np) {
  const std::size_t n = order.size();
  std::vector<std::int64_t> perm = make_buffer<std::int64_t>(n, "the permutation");
  std::size_t offset = 0;
  for (int p = 0; p < np; ++p) {
    const std::size_t count = local_count(n, nb, p, np);
    for (std::size_t l = 0; l < count; ++l) perm[global_index(l, nb, p, np)] = order[offset + l];
    offset += count;
  }
  return perm;
}

std::vector<std::int64_t> local_unknowns(const std::vector<std::int64_t>& perm, std::size_t nb,
                                         int p, int np) {
  const std::size_t count = local_count(perm.size(), nb, p, np);
  std::vector<std::int64_t> u = make_buffer<std::int64_t>(count, "the local unknowns");
  for (std::size_t l = 0; l < count; ++l) u[l] = perm[global_index(l, nb, p, np)];
  return u;
}

}  // namespace mom::distributed
