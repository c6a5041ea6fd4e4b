// The block fill against the full fill: metal, dielectric and mixed records; the whole matrix,
// random row and column sets (repetitions and any order), single rows and entries, blocks that
// straddle the surface/volume boundary, the diagonal, concurrent fills of one object, and the
// index checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "block_fill.hpp"
#include "errors.hpp"
#include "test_volume.hpp"

namespace {

using namespace mom::hybrid;
using testvol::cd;

const testmesh::Frequency kFreq{20, 0.5, 8e3, 9.4, 4};
const testmesh::Frequency kPhysical{2.1e9, 3.0e7, 8.854e-12, 1.2566e-6, 2.998e8};

// A curved metal plate whose triangles are listed with themselves and with their close
// neighbours (in both orders), the dielectric block of 2 × 2 × 2 cubes with scrambled unknowns,
// near tetrahedron and face lists, and between them triangle–tetrahedron and triangle–face lists.
struct Problem {
  testmesh::Surface s;
  testvol::Volume v;
  bool metal = true, dielectric = true;
};

Problem make_problem(bool metal, bool dielectric) {
  Problem p;
  p.metal = metal;
  p.dielectric = dielectric;
  std::mt19937 gen(7);
  p.s = testmesh::plate(4, 3, 11);
  for (std::size_t q = 2; q < p.s.nodes.size(); q += 3) p.s.nodes[q] -= 0.08;
  testmesh::finish(p.s);
  for (std::size_t t = 0; t < p.s.tr; ++t)
    for (std::size_t u = 0; u <= t; ++u)
      if (t == u || testmesh::dist(&p.s.centroid[3 * t], &p.s.centroid[3 * u]) < 0.12) {
        if (t % 2)
          p.s.add_pair(t, u, gen);
        else
          p.s.add_pair(u, t, gen);
      }
  testvol::Volume& v = p.v;
  const double h = 0.1;
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) {
        const double o[3] = {i * h, j * h, k * h};
        testvol::add_cube(v, o, h);
      }
  const int nv = 40;
  std::vector<std::vector<int>> fn(v.nt()), ff;
  for (std::size_t t = 0; t < v.nt(); ++t) {
    if (t == 5) continue;  // a tetrahedron without functions
    for (int s = 0; s < 6; ++s)
      if (gen() % 4 != 0) fn[t].push_back(1 + static_cast<int>((t * 5 + s * 7) * 13 % nv));
  }
  for (std::size_t t = 0; t < v.nt(); t += 2) {
    v.faces.push_back({v.tets[t][0], v.tets[t][1], v.tets[t][2]});
    v.faces.push_back({v.tets[t][1], v.tets[t][2], v.tets[t][3]});
  }
  for (std::size_t f = 0; f < v.faces.size(); ++f) {
    ff.emplace_back();
    for (int s = 0; s < static_cast<int>(f % 5); ++s)
      ff[f].push_back(1 + static_cast<int>((f * 11 + s * 3) % nv));
  }
  testvol::finish(v, fn, ff, 23);
  for (std::size_t t = 0; t < v.nt(); ++t)
    for (std::size_t u = 0; u <= t; ++u)
      if (t == u || testmesh::dist(&v.center_t[3 * t], &v.center_t[3 * u]) < 0.8 * h) {
        if (t % 2)
          v.add_tt(u, t, 20);
        else
          v.add_tt(t, u, 20);
      }
  v.add_tt(7, 6, 15);  // listed twice
  for (std::size_t f = 0; f < v.nf(); ++f)
    for (std::size_t g = 0; g <= f; ++g) {
      const double d = testmesh::dist(&v.center_f[3 * f], &v.center_f[3 * g]);
      if (f == g || (d > 1e-9 && d < 0.8 * h)) v.add_ff(f % 3 ? g : f, f % 3 ? f : g, 30);
    }
  if (metal) {
    for (std::size_t tr = 0; tr < p.s.tr; ++tr) {
      for (std::size_t t = 0; t < v.nt(); ++t)
        if (testmesh::dist(&p.s.centroid[3 * tr], &v.center_t[3 * t]) < 0.15) v.add_Tt(tr, t, gen);
      for (std::size_t f = 0; f < v.nf(); ++f)
        if (testmesh::dist(&p.s.centroid[3 * tr], &v.center_f[3 * f]) < 0.15)
          v.add_tf(tr, f, 10 + static_cast<double>(tr));
    }
  }
  return p;
}

// The records of a problem and both fills of it.
struct Fills {
  SurfaceRecord srec;
  VolumeRecord vrec;
  mom::hybrid::ConstantsRecord constants;
  std::vector<cd> full;  // symmetric N × N from the full fill's lower triangle
  std::size_t n = 0;
  std::unique_ptr<BlockFill> block;

  Fills(const Problem& p, const testmesh::Frequency& f) {
    srec = p.s.record();
    vrec = p.v.record(p.metal);
    constants = p.v.constants(f);
    const SurfaceRecord* sr = p.metal ? &srec : nullptr;
    const VolumeRecord* vr = p.dielectric ? &vrec : nullptr;
    const SystemMatrix a = assemble(prepare(f.omega_re, f.omega_im, constants, sr, vr));
    n = a.order();
    full.resize(n * n);
    for (std::size_t c = 0; c < n; ++c)
      for (std::size_t r = c; r < n; ++r) full[r + n * c] = full[c + n * r] = a.data()[r + n * c];
    block = std::make_unique<BlockFill>(prepare(f.omega_re, f.omega_im, constants, sr, vr));
  }

  // Which of the three kinds of entries (r, c) is: surface–surface, volume–volume, coupling.
  int kind(std::size_t r, std::size_t c) const {
    const std::size_t ns = block->surface_unknowns();
    return (r < ns) == (c < ns) ? (r < ns ? 0 : 1) : 2;
  }

  // Largest |block − full| over the block, relative to the largest full entry of the same kind,
  // so that each kind is held to the tolerance whatever the others weigh. Rows of the output
  // beyond the block (ld > rows) must stay untouched.
  double error(const std::vector<std::int64_t>& rows, const std::vector<std::int64_t>& cols,
               std::size_t pad = 0) const {
    const std::size_t ld = rows.size() + pad;
    std::vector<cd> out(ld * cols.size(), cd(7, 7));
    block->fill(rows.data(), rows.size(), cols.data(), cols.size(), out.data(), ld);
    double scale[3] = {0, 0, 0};
    for (std::size_t c = 0; c < n; ++c)
      for (std::size_t r = 0; r < n; ++r)
        scale[kind(r, c)] = std::max(scale[kind(r, c)], std::abs(full[r + n * c]));
    double err = 0;
    for (std::size_t j = 0; j < cols.size(); ++j) {
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t r = static_cast<std::size_t>(rows[i]);
        const std::size_t c = static_cast<std::size_t>(cols[j]);
        err = std::max(err, std::abs(out[i + ld * j] - full[r + n * c]) / scale[kind(r, c)]);
      }
      for (std::size_t i = rows.size(); i < ld; ++i) EXPECT_EQ(out[i + ld * j], cd(7, 7));
    }
    return err;
  }
};

std::vector<std::int64_t> range(std::size_t first, std::size_t last) {
  std::vector<std::int64_t> v(last - first);
  std::iota(v.begin(), v.end(), static_cast<std::int64_t>(first));
  return v;
}

std::vector<std::int64_t> random_set(std::size_t n, std::size_t count, std::mt19937& gen) {
  std::uniform_int_distribution<std::int64_t> u(0, static_cast<std::int64_t>(n) - 1);
  std::vector<std::int64_t> v(count);
  for (auto& x : v) x = u(gen);
  return v;
}

constexpr double kTol = 1e-14;

void check_blocks(const Problem& p, const std::string& what) {
  for (const testmesh::Frequency& f : {kFreq, testmesh::Frequency{20, 0, 8e3, 9.4, 4}, kPhysical}) {
    const Fills x(p, f);
    const std::size_t n = x.n;
    ASSERT_GT(n, 20u);
    SCOPED_TRACE(what + ", omega " + std::to_string(f.omega_re));
    // The whole matrix, in order and reversed, with a padded leading dimension.
    EXPECT_LT(x.error(range(0, n), range(0, n)), kTol);
    std::vector<std::int64_t> rev = range(0, n);
    std::reverse(rev.begin(), rev.end());
    EXPECT_LT(x.error(rev, range(0, n), 3), kTol);
    // Random sets with repetitions, single rows and columns, single entries.
    std::mt19937 gen(3);
    for (int trial = 0; trial < 20; ++trial) {
      const auto rows = random_set(n, 1 + gen() % 12, gen);
      const auto cols = random_set(n, 1 + gen() % 12, gen);
      EXPECT_LT(x.error(rows, cols), kTol) << "trial " << trial;
    }
    for (std::size_t r = 0; r < n; r += 3) {
      EXPECT_LT(x.error({static_cast<std::int64_t>(r)}, range(0, n)), kTol) << "row " << r;
      EXPECT_LT(x.error(range(0, n), {static_cast<std::int64_t>(r)}), kTol) << "column " << r;
      for (std::size_t c = 0; c < n; c += 5)
        EXPECT_LT(x.error({static_cast<std::int64_t>(r)}, {static_cast<std::int64_t>(c)}), kTol);
    }
    // Blocks on and across the surface/volume boundary.
    const std::size_t ns = x.block->surface_unknowns();
    if (ns > 4 && n - ns > 4) {
      EXPECT_LT(x.error(range(ns - 4, ns + 5), range(ns - 3, ns + 3)), kTol);
      EXPECT_LT(x.error(range(0, ns), range(ns, n)), kTol);
      EXPECT_LT(x.error(range(ns, n), range(0, ns)), kTol);
    }
    // The diagonal.
    std::vector<cd> d(n);
    x.block->diagonal(d.data());
    for (std::size_t i = 0; i < n; ++i)
      EXPECT_LE(std::abs(d[i] - x.full[i + n * i]), kTol * std::abs(x.full[i + n * i]))
          << "diagonal " << i;
  }
}

TEST(BlockFill, MetalMatchesFullFill) { check_blocks(make_problem(true, false), "metal"); }

TEST(BlockFill, DielectricMatchesFullFill) { check_blocks(make_problem(false, true), "dielectric"); }

TEST(BlockFill, MixedMatchesFullFill) { check_blocks(make_problem(true, true), "mixed"); }

// Four threads fill interleaved column blocks of one object at the same time; the result is the
// serial one to the bit.
TEST(BlockFill, ConcurrentFillsOfOneObject) {
  const Problem p = make_problem(true, true);
  const Fills x(p, kFreq);
  const std::size_t n = x.n;
  const std::vector<std::int64_t> rows = range(0, n);
  std::vector<cd> serial(n * n), parallel(n * n);
  x.block->fill(rows.data(), n, rows.data(), n, serial.data(), n);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t c = static_cast<std::size_t>(t); c < n; c += 4) {
        const std::int64_t col = static_cast<std::int64_t>(c);
        x.block->fill(rows.data(), n, &col, 1, parallel.data() + n * c, n);
      }
    });
  }
  for (auto& t : threads) t.join();
  for (std::size_t q = 0; q < n * n; ++q) ASSERT_EQ(serial[q], parallel[q]) << q;
}

TEST(BlockFill, BadIndicesAreRefused) {
  const Problem p = make_problem(true, true);
  const Fills x(p, kFreq);
  const std::int64_t bad[] = {0, static_cast<std::int64_t>(x.n)};
  const std::int64_t good[] = {0, 1};
  cd out[4];
  for (const std::int64_t* rows : {bad, good}) {
    const std::int64_t* cols = rows == bad ? good : bad;
    try {
      x.block->fill(rows, 2, cols, 2, out, 2);
      ADD_FAILURE() << "no error";
    } catch (const mom::Error& e) {
      EXPECT_EQ(e.mnemonic(), "badIndex");
      EXPECT_NE(std::string(e.what()).find(std::to_string(x.n)), std::string::npos) << e.what();
    }
  }
  const std::int64_t negative[] = {-1};
  EXPECT_THROW(x.block->fill(negative, 1, good, 1, out, 1), mom::Error);
  EXPECT_THROW(x.block->fill(good, 2, good, 2, out, 1), mom::Error);  // ld < rows
}

}  // namespace
