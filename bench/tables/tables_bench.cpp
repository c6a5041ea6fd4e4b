// Near-pair search and triangle table fill on sphere meshes of 5 120, 20 480 and 81 920
// triangles (a subdivided icosahedron), near-pair factor 4, 7-point rule; the tetrahedron tables
// on ball meshes of about 5 400 and 43 000 tetrahedra (4-point rule) and against sphere surfaces
// of 1 280 and 5 120 triangles inside them (7-point rule), near-pair factor 4. Reports the time
// per near pair, the peak memory and the working memory of the call, and at the end the ratios
// between sizes measured in this one run (the scaling of the searches and of the fills) and the
// ratio of the plain double loop to the tree search.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cell_tables.hpp"
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

// Resident memory of the process from /proc/self/status ("VmRSS" now, "VmHWM" its peak), in MiB.
double status_mib(const char* key) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return 0.0;
  char line[256];
  double kib = 0.0;
  const std::size_t len = std::strlen(key);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, key, len) == 0 && line[len] == ':') kib = std::atof(line + len + 1);
  }
  std::fclose(f);
  return kib / 1024.0;
}

// Starts a memory window: hands freed heap memory back to the system (so that a repetition does
// not reuse what the previous one left), resets the peak of the resident set (Linux "clear_refs"
// 5) and records the resident memory before the measured work.
double g_window_start_mib = 0.0;
void start_memory_window() {
  malloc_trim(0);
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
  g_window_start_mib = status_mib("VmRSS");
}

// Counters of a run: the element count (under the name `noun`), the pairs found, the pairs per
// outer element, the time per pair and the peak memory so far.
void set_counters(benchmark::State& state, const char* noun, std::size_t elements,
                  std::size_t pairs) {
  state.counters[noun] = static_cast<double>(elements);
  state.counters["pairs"] = static_cast<double>(pairs);
  state.counters["pairs_per_element"] = static_cast<double>(pairs) / elements;
  state.counters["time_per_pair"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  // Peak of the resident set since start_memory_window, and its growth over the memory held
  // before (meshes, setup): the working memory of the measured call.
  const double peak = status_mib("VmHWM");
  state.counters["peak_rss_MiB"] = peak;
  state.counters["work_MiB"] = peak - g_window_start_mib;
}

// The tree search alone, on the triangles' centroids and radii.
void BM_NearPairSearch(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  const auto setup = mom::tables::prepare_plate_table(plate_input(s));
  std::size_t pairs = 0;
  start_memory_window();
  for (auto _ : state) {
    const auto found = mom::tables::near_pairs_within(setup.triangles.balls(), kFactor);
    pairs = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  set_counters(state, "triangles", s.triangles(), pairs);
}

// The double loop the search replaces (every pair j ≤ i tested).
void BM_DoubleLoop(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  const auto setup = mom::tables::prepare_plate_table(plate_input(s));
  const auto balls = setup.triangles.balls();
  std::size_t pairs = 0;
  start_memory_window();
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
  set_counters(state, "triangles", s.triangles(), pairs);
}

// The whole metal triangle table: input checks, triangle data, search and fill.
void BM_PlateTable(benchmark::State& state) {
  const Sphere& s = sphere(static_cast<int>(state.range(0)));
  std::size_t pairs = 0;
  start_memory_window();
  for (auto _ : state) {
    const auto table = mom::tables::plate_table(plate_input(s));
    pairs = table.pairs.size();
    benchmark::DoNotOptimize(table.ss.data());
  }
  set_counters(state, "triangles", s.triangles(), pairs);
}

BENCHMARK(BM_NearPairSearch)->DenseRange(4, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleLoop)->DenseRange(4, 5)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlateTable)
    ->DenseRange(4, 6)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2)
    ->ReportAggregatesOnly(false);

// Unit ball: the cubes of an n × n × n grid over [−1, 1]³, each split into six tetrahedra around
// its diagonal, with the inner vertices moved at random by up to 0.1 of the spacing (so that the
// mesh is not grid-aligned), keeping the tetrahedra whose centroid lies inside the unit sphere.
struct Ball {
  std::vector<double> P, T;
  explicit Ball(int n) {
    const double h = 2.0 / n;
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> jitter(-0.1 * h, 0.1 * h);
    auto id = [n](int x, int y, int z) { return x + (n + 1) * (y + (n + 1) * z); };
    for (int z = 0; z <= n; ++z)
      for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
          const bool inner = x > 0 && y > 0 && z > 0 && x < n && y < n && z < n;
          const double dx = inner ? jitter(gen) : 0.0, dy = inner ? jitter(gen) : 0.0,
                       dz = inner ? jitter(gen) : 0.0;
          P.insert(P.end(), {-1 + x * h + dx, -1 + y * h + dy, -1 + z * h + dz});
        }
    const int step[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const int perm[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (int z = 0; z < n; ++z)
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
          for (const auto& p : perm) {
            int a[3] = {x, y, z};
            int v[4];
            v[0] = id(a[0], a[1], a[2]);
            for (int k = 0; k < 2; ++k) {
              for (int c = 0; c < 3; ++c) a[c] += step[p[k]][c];
              v[k + 1] = id(a[0], a[1], a[2]);
            }
            v[3] = id(x + 1, y + 1, z + 1);
            Vec3 c{0, 0, 0};
            for (int m : v) c += 0.25 * Vec3{P[3 * m], P[3 * m + 1], P[3 * m + 2]};
            if (mom::tables::norm(c) >= 1.0) continue;
            for (int m : v) T.push_back(m + 1.0);
          }
  }
  std::size_t tetrahedra() const { return T.size() / 4; }
};

const Ball& ball(int n) {
  static std::map<int, Ball> cache;
  auto it = cache.find(n);
  if (it == cache.end()) it = cache.emplace(n, Ball(n)).first;
  return it->second;
}

// The degree-2 rule of four points in a tetrahedron.
const double kTa = 0.5854101966249685, kTb = 0.1381966011250105;
const std::vector<double> kCoeffT = {kTa, kTb, kTb, kTb, kTb, kTa, kTb, kTb,
                                     kTb, kTb, kTa, kTb, kTb, kTb, kTb, kTa};
const std::vector<double> kWeightsT = {0.25, 0.25, 0.25, 0.25};

mom::tables::CellInput cell_input(const Ball& b) {
  mom::tables::CellInput in;
  in.points = {b.P.data(), 3, b.P.size() / 3};
  in.tetrahedra = {b.T.data(), 4, b.tetrahedra()};
  in.coeff = {kCoeffT.data(), 4, kWeightsT.size()};
  in.weights = {kWeightsT.data(), 1, kWeightsT.size()};
  in.k = kFactor;
  return in;
}

// Sphere of radius 0.7 inside the ball (its triangles comparable to the tetrahedra).
struct Surface {
  std::vector<double> P, t;
  explicit Surface(int level) : t(sphere(level).t) {
    for (double x : sphere(level).P) P.push_back(0.7 * x);
  }
};

const Surface& surface(int level) {
  static std::map<int, Surface> cache;
  auto it = cache.find(level);
  if (it == cache.end()) it = cache.emplace(level, Surface(level)).first;
  return it->second;
}

// Grid size of the ball and subdivision level of the surface of each benchmark size.
constexpr int kBallGrid[2] = {12, 24};
constexpr int kSurfaceLevel[2] = {3, 4};

// The whole tetrahedron table: input checks, tetrahedron data, search and fill.
void BM_CellTable(benchmark::State& state) {
  const Ball& b = ball(kBallGrid[state.range(0)]);
  std::size_t pairs = 0;
  start_memory_window();
  for (auto _ : state) {
    const auto table = mom::tables::cell_table(cell_input(b));
    pairs = table.pairs.size();
    benchmark::DoNotOptimize(table.ss.data());
  }
  set_counters(state, "tetrahedra", b.tetrahedra(), pairs);
}

// The tetrahedron search alone.
void BM_CellSearch(benchmark::State& state) {
  const Ball& b = ball(kBallGrid[state.range(0)]);
  const auto setup = mom::tables::prepare_cell_table(cell_input(b));
  std::size_t pairs = 0;
  start_memory_window();
  for (auto _ : state) {
    const auto found = mom::tables::near_pairs_within(setup.tetrahedra.balls(), kFactor);
    pairs = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  set_counters(state, "tetrahedra", b.tetrahedra(), pairs);
}

// The whole triangle–tetrahedron table.
void BM_CellPlateTable(benchmark::State& state) {
  const Ball& b = ball(kBallGrid[state.range(0)]);
  const Surface& s = surface(kSurfaceLevel[state.range(0)]);
  mom::tables::CellPlateInput in;
  in.plate_points = {s.P.data(), 3, s.P.size() / 3};
  in.cell_points = {b.P.data(), 3, b.P.size() / 3};
  in.triangles = {s.t.data(), 4, s.t.size() / 4};
  in.tetrahedra = {b.T.data(), 4, b.tetrahedra()};
  in.coeff = {kCoeff.data(), 3, kWeights.size()};
  in.weights = kWeights.data();
  in.weight_count = kWeights.size();
  in.k = kFactor;
  std::size_t pairs = 0;
  start_memory_window();
  for (auto _ : state) {
    const auto table = mom::tables::cell_plate_table(in);
    pairs = table.pairs.size();
    benchmark::DoNotOptimize(table.rs.data());
  }
  set_counters(state, "triangles", s.t.size() / 4, pairs);
  state.counters["tetrahedra"] = static_cast<double>(b.tetrahedra());
}

BENCHMARK(BM_CellSearch)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CellTable)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2)
    ->ReportAggregatesOnly(false);
BENCHMARK(BM_CellPlateTable)
    ->DenseRange(0, 1)
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
    ratio("tetrahedron search, large / small ball (size ratio 8)", "BM_CellSearch/1",
          "BM_CellSearch/0");
    ratio("tetrahedron table, large / small ball (size ratio 8)", "BM_CellTable/1",
          "BM_CellTable/0");
    ratio("tetrahedron search / whole table, large ball", "BM_CellSearch/1", "BM_CellTable/1");
    ratio("triangle-tetrahedron table, large / small (sizes x4, x8)", "BM_CellPlateTable/1",
          "BM_CellPlateTable/0");
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
