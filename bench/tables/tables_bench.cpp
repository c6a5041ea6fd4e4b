// Near-pair search and triangle table fill on sphere meshes of 5 120, 20 480 and 81 920
// triangles (a subdivided icosahedron), near-pair factor 4, 7-point rule. Reports the time per
// near pair, the process's peak memory, and at the end the ratios between sizes measured in this
// one run (the scaling of the search and of the fill) and the ratio of the plain double loop to the
// tree search.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "near_pairs.hpp"
#include "pair_tables.hpp"

namespace {

using mom::tables::Vec3;

// Unit sphere: icosahedron subdivided `level` times, 20·4^level triangles, in the host layout.
struct Sphere {
  std::vector<double> P, t;
  explicit Sphere(int level) {
    const double g = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<Vec3> v = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                           {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                           {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    std::vector<std::array<int, 3>> f = {
        {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (Vec3& p : v) p = mom::tables::unit(p);
    for (int l = 0; l < level; ++l) {
      std::map<std::pair<int, int>, int> mid;
      auto midpoint = [&](int a, int b) {
        const auto key = std::make_pair(std::min(a, b), std::max(a, b));
        const auto it = mid.find(key);
        if (it != mid.end()) return it->second;
        v.push_back(mom::tables::unit(0.5 * (v[a] + v[b])));
        return mid[key] = static_cast<int>(v.size()) - 1;
      };
      std::vector<std::array<int, 3>> next;
      for (const auto& tri : f) {
        const int ab = midpoint(tri[0], tri[1]), bc = midpoint(tri[1], tri[2]),
                  ca = midpoint(tri[2], tri[0]);
        next.push_back({tri[0], ab, ca});
        next.push_back({tri[1], bc, ab});
        next.push_back({tri[2], ca, bc});
        next.push_back({ab, bc, ca});
      }
      f.swap(next);
    }
    for (const Vec3& p : v) P.insert(P.end(), {p.x, p.y, p.z});
    for (const auto& tri : f) t.insert(t.end(), {tri[0] + 1.0, tri[1] + 1.0, tri[2] + 1.0, 0.0});
  }
  std::size_t triangles() const { return t.size() / 4; }
};

const double kA1 = 0.797426985353087, kB1 = 0.101286507323456;
const double kA2 = 0.059715871789770, kB2 = 0.470142064105115;
const double kW1 = 0.125939180544827, kW2 = 0.132394152788506;
const std::vector<double> kCoeff = {1.0 / 3, 1.0 / 3, 1.0 / 3, kA1, kB1, kB1, kB1,
                                    kA1,     kB1,     kB1,     kB1, kA1, kA2, kB2,
                                    kB2,     kB2,     kA2,     kB2, kB2, kB2, kA2};
const std::vector<double> kWeights = {0.225, kW1, kW1, kW1, kW2, kW2, kW2};
constexpr double kFactor = 4.0;

const Sphere& sphere(int level) {
  static std::map<int, Sphere> cache;
  auto it = cache.find(level);
  if (it == cache.end()) it = cache.emplace(level, Sphere(level)).first;
  return it->second;
}

mom::tables::PlateInput plate_input(const Sphere& s) {
  mom::tables::PlateInput in;
  in.points = {s.P.data(), 3, s.P.size() / 3};
  in.triangles = {s.t.data(), 4, s.triangles()};
  in.coeff = {kCoeff.data(), 3, kWeights.size()};
  in.weights = kWeights.data();
  in.weight_count = kWeights.size();
  in.k = kFactor;
  return in;
}

double peak_rss_mib() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

void set_counters(benchmark::State& state, std::size_t triangles, std::size_t pairs) {
  state.counters["triangles"] = static_cast<double>(triangles);
  state.counters["pairs"] = static_cast<double>(pairs);
  state.counters["pairs_per_triangle"] = static_cast<double>(pairs) / triangles;
  state.counters["time_per_pair"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.counters["peak_rss_MiB"] = peak_rss_mib();
}

// The tree search alone, on the triangles' centroids and radii.
void BM_NearPairSearch(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  const auto setup = mom::tables::prepare_plate_table(plate_input(s));
  std::size_t pairs = 0;
  for (auto _ : state) {
    const auto found = mom::tables::near_pairs_within(setup.triangles.balls(), kFactor);
    pairs = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  set_counters(state, s.triangles(), pairs);
}

// The double loop the search replaces (every pair j ≤ i tested).
void BM_DoubleLoop(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  const auto setup = mom::tables::prepare_plate_table(plate_input(s));
  const auto balls = setup.triangles.balls();
  std::size_t pairs = 0;
  for (auto _ : state) {
    pairs = 0;
    for (std::size_t i = 0; i < balls.count; ++i) {
      for (std::size_t j = 0; j <= i; ++j) {
        pairs += mom::tables::near_pair_test(balls.center(i), balls.radius[i], balls.center(j),
                                             balls.radius[j], kFactor);
      }
    }
    benchmark::DoNotOptimize(pairs);
  }
  set_counters(state, s.triangles(), pairs);
}

// The whole metal triangle table: input checks, triangle data, search and fill.
void BM_PlateTable(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  std::size_t pairs = 0;
  for (auto _ : state) {
    const auto table = mom::tables::plate_table(plate_input(s));
    pairs = table.pairs.size();
    benchmark::DoNotOptimize(table.ss.data());
  }
  set_counters(state, s.triangles(), pairs);
}

BENCHMARK(BM_NearPairSearch)->DenseRange(4, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleLoop)->DenseRange(4, 5)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlateTable)
    ->DenseRange(4, 6)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2)
    ->ReportAggregatesOnly(false);

// Console output plus the ratios between the runs of this process.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      const std::string name = r.run_name.function_name + "/" + r.run_name.args;
      // Single-threaded work: CPU time is the steadier measure on a shared machine.
      const double t = r.GetAdjustedCPUTime();
      auto it = best_.find(name);
      if (it == best_.end() || t < it->second) best_[name] = t;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto ratio = [&](const char* what, const std::string& a, const std::string& b) {
      if (best_.count(a) && best_.count(b)) {
        std::printf("%-56s %8.2f\n", what, best_[a] / best_[b]);
      }
    };
    std::printf("\nRatios of CPU times in this run (best of the repetitions):\n");
    ratio("search, 20 480 / 5 120 triangles (size ratio 4)", "BM_NearPairSearch/5",
          "BM_NearPairSearch/4");
    ratio("search, 81 920 / 20 480 triangles (size ratio 4)", "BM_NearPairSearch/6",
          "BM_NearPairSearch/5");
    ratio("table, 20 480 / 5 120 triangles (size ratio 4)", "BM_PlateTable/5", "BM_PlateTable/4");
    ratio("table, 81 920 / 20 480 triangles (size ratio 4)", "BM_PlateTable/6", "BM_PlateTable/5");
    ratio("double loop / search, 5 120 triangles", "BM_DoubleLoop/4", "BM_NearPairSearch/4");
    ratio("double loop / search, 20 480 triangles", "BM_DoubleLoop/5", "BM_NearPairSearch/5");
    ratio("search / whole table, 81 920 triangles", "BM_NearPairSearch/6", "BM_PlateTable/6");
  }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
