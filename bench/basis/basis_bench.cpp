// Cost of the basis builder on jittered box grids of about 10⁴, 10⁵ and 5·10⁵ tetrahedra:
// the whole build, and the independent-edge selection alone (the rest being the geometry,
// the edge lookup and the packing), the latter also on a hollow cube and a cube with a hole
// through it; and the Gram matrix + LU rule it replaces, at small sizes. Counters: tetrahedra,
// time per tetrahedron, and the peak heap memory of one call per tetrahedron (tracked by the
// allocation hooks below).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <new>

#include "basis_core.hpp"
#include "edge_selection.hpp"
#include "mesh_fixtures.hpp"
#include "reference_rules.hpp"

namespace {
std::atomic<std::size_t> g_current{0}, g_peak{0};
}

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  const std::size_t now = g_current += malloc_usable_size(p);
  std::size_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  g_current -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// Cells per side for about 10⁴, 10⁵ and 5·10⁵ tetrahedra (6 per cell). Shapes: 0 a solid
// cube, 1 a cube with a closed central cavity (half the side), 2 a cube with a square hole
// through it (a third of the side): one loop; 3 the solid cube with its edge columns in random
// order (no memory locality between neighbouring columns). Otherwise the edge table is sorted,
// as host scripts produce it.
const fixtures::TetMesh& grid(int cells, int shape) {
  static std::map<std::pair<int, int>, fixtures::TetMesh> cache;
  auto it = cache.find({cells, shape});
  if (it == cache.end()) {
    const int lo = shape == 1 ? cells / 4 : cells / 3, hi = cells - lo;
    auto inside = [&](int i) { return i >= lo && i < hi; };
    const auto x = fixtures::uniform_nodes(cells);
    auto m = fixtures::box_grid(x, x, x, [&](int i, int j, int k) {
      if (shape == 1) return !(inside(i) && inside(j) && inside(k));
      if (shape == 2) return !(inside(i) && inside(j));
      return true;
    });
    fixtures::jitter(m, 0.15 / cells, 1);
    if (shape == 3) fixtures::shuffle_edges(m, 2);
    it = cache.emplace(std::make_pair(cells, shape), std::move(m)).first;
  }
  return it->second;
}

void BM_BuildBasis(benchmark::State& state) {
  const auto& m = grid(int(state.range(0)), int(state.range(1)));
  const fixtures::UniformMaterial mat(m.nt);
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t base = g_current;
    g_peak = base;
    auto b = mom::basis::build_basis(m.view(), mat.view());
    benchmark::DoNotOptimize(b.basis_tc.data());
    peak = g_peak - base;
  }
  state.counters["tets"] = double(m.nt);
  state.counters["ns_per_tet"] = benchmark::Counter(
      double(m.nt), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_bytes_per_tet"] = double(peak) / double(m.nt);
}

void BM_SelectEdges(benchmark::State& state) {
  const auto& m = grid(int(state.range(0)), int(state.range(1)));
  const fixtures::Local l = fixtures::local_tables(m);
  const std::vector<std::int32_t> ev = fixtures::edge_vertices(m);
  const std::vector<std::uint32_t>& tet_edges = l.cols;
  std::size_t peak = 0;
  mom::basis::SelectionStats s;
  for (auto _ : state) {
    const std::size_t base = g_current;
    g_peak = base;
    auto kept =
        mom::basis::select_independent_edges(ev.data(), m.ne, m.np, tet_edges.data(), m.nt, &s);
    benchmark::DoNotOptimize(kept.data());
    peak = g_peak - base;
  }
  state.counters["tets"] = double(m.nt);
  state.counters["ns_per_tet"] = benchmark::Counter(
      double(m.nt), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_bytes_per_tet"] = double(peak) / double(m.nt);
  state.counters["loops"] = double(s.loops);
  state.counters["set_aside"] = double(s.suspended_triangles);
}

// The rule the selection replaces: Gram matrix of the local vectors, LU factorisation and a
// threshold on the pivots (8·Ne² bytes, time cubic in Ne), for comparison at small sizes.
void BM_LuRule(benchmark::State& state) {
  const auto& m = grid(int(state.range(0)), 0);
  for (auto _ : state) {
    auto kept = fixtures::lu_rule(m);
    benchmark::DoNotOptimize(kept.data());
  }
  state.counters["tets"] = double(m.nt);
  state.counters["edges"] = double(m.ne);
}

BENCHMARK(BM_LuRule)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildBasis)
    ->Args({12, 0})
    ->Args({26, 0})
    ->Args({44, 0})
    ->Args({12, 3})
    ->Args({26, 3})
    ->Args({44, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectEdges)
    ->Args({6, 0})
    ->Args({8, 0})
    ->Args({12, 0})
    ->Args({26, 0})
    ->Args({44, 0})
    ->Args({26, 1})
    ->Args({44, 1})
    ->Args({26, 2})
    ->Args({44, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
