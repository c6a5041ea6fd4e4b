// The volume–volume and coupling blocks: one and two tetrahedra against entries written out by
// hand from the closing formula, block meshes and a mixed metal/dielectric problem against the
// reference assembly of test_volume.hpp, the centroid zero rule, and the checks on GEOM.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "errors.hpp"
#include "hybrid_core.hpp"
#include "test_volume.hpp"

namespace {

using namespace mom::hybrid;
using testvol::cd;

// Units in which the material term (≈ q·V), the vector-potential term (≈ C_A·κ²V²·G) and the
// face term (≈ C_phi·D²·G) of tetrahedra 0.1 across are of one size, so that a fault in any of
// them shows; k·R reaches about 1.5 across the meshes, with damping. kPhysical: SI units at
// 334 MHz, where the face term outweighs the others by orders of magnitude.
const testmesh::Frequency kFreq{20, 0.5, 8e3, 9.4, 4};
const testmesh::Frequency kPhysical{2.1e9, 3.0e7, 8.854e-12, 1.2566e-6, 2.998e8};

SystemMatrix assemble_volume(const testvol::Volume& v, const testmesh::Frequency& f) {
  const VolumeRecord rec = v.record(false);
  return assemble(prepare(f.omega_re, f.omega_im, v.constants(f), nullptr, &rec));
}

cd entry(const SystemMatrix& a, std::size_t r, std::size_t c) {
  return a.data()[r + a.order() * c];
}

void expect_near(cd value, cd expected, double tol, const std::string& what) {
  EXPECT_LE(std::abs(value - expected), tol * std::abs(expected))
      << what << ": " << value << " vs " << expected;
}

// Largest |module − reference| over the lower triangle, relative to the largest reference
// entry of its block (surface–surface, volume–volume, coupling; ns surface unknowns), so that
// each block is held to the tolerance whatever the others weigh. The upper triangle must stay
// exactly zero and every entry finite.
double lower_error(const SystemMatrix& a, const std::vector<cd>& ref, std::size_t ns = 0) {
  const std::size_t n = a.order();
  double err[3] = {0, 0, 0}, scale[3] = {0, 0, 0};
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < n; ++r) {
      const cd z = a.data()[r + n * c];
      EXPECT_TRUE(std::isfinite(z.real()) && std::isfinite(z.imag())) << r << ", " << c;
      if (r < c) {
        EXPECT_EQ(z, cd(0)) << "upper entry (" << r << ", " << c << ")";
        continue;
      }
      const int block = r < ns ? 0 : (c >= ns ? 1 : 2);
      err[block] = std::max(err[block], std::abs(z - ref[r + n * c]));
      scale[block] = std::max(scale[block], std::abs(ref[r + n * c]));
    }
  double worst = 0;
  for (int b = 0; b < 3; ++b)
    if (scale[b] > 0) worst = std::max(worst, err[b] / scale[b]);
  return worst;
}

// Quadrature of the smoothed kernel between tetrahedra (or faces) I and J of v.
cd tet_sum(const testvol::Volume& v, std::size_t I, std::size_t J, cd k) {
  return testvol::pair_sum(&v.points_t[12 * I], 4, v.wt.data(), &v.points_t[12 * J], 4, v.wt.data(),
                           k);
}
cd face_sum(const testvol::Volume& v, std::size_t I, std::size_t J, cd k) {
  return testvol::pair_sum(&v.points_f[9 * I], 3, v.wf.data(), &v.points_f[9 * J], 3, v.wf.data(),
                           k);
}
const double* b_of(const testvol::Volume& v, std::size_t t, int slot) {
  return &v.basis[18 * t + 3 * slot];
}
const double* n_of(const testvol::Volume& v, std::size_t t, int slot) {
  return &v.basis_n[18 * t + 3 * slot];
}
cd kappa(const testvol::Volume& v, std::size_t t) { return {v.contrast_re[t], v.contrast_im[t]}; }
cd D(const testvol::Volume& v, std::size_t f, int slot) {
  return {v.diff_re[6 * f + slot], v.diff_im[6 * f + slot]};
}

// One lossless tetrahedron with three functions, listed with itself, and two of its faces
// listed with themselves and with each other: every kernel value comes from the lists, so each
// entry is the material term κ/ε_r·V·(n·b), the A-term C_A·κ²V²(b·b)(S + SS) and the face
// terms −C_phi·Σ D·D·(S + SS) written out.
TEST(VolumeBlock, OneTetrahedronClosedForm) {
  testvol::Volume v;
  v.nodes = {0, 0, 0, 0.1, 0, 0, 0.02, 0.09, 0, 0.03, 0.02, 0.11};
  v.tets = {{0, 1, 2, 3}};
  v.faces = {{0, 1, 2}, {0, 1, 3}};
  testvol::finish(v, {{2, 1, 3}}, {{1, 2}, {3, 1}}, 5);
  v.tan_d[0] = 0;  // lossless: q = κ / Epsilon_r
  v.add_tt(0, 0, 0.7);
  v.add_ff(0, 0, 1.3);
  v.add_ff(1, 1, 1.1);
  v.add_ff(1, 0, 0.4);
  const SystemMatrix a = assemble_volume(v, kFreq);
  ASSERT_EQ(a.order(), 3u);

  const cd k = kFreq.k(), CA = testvol::C_A(kFreq);
  const double Cphi = testvol::C_phi(kFreq), V = v.volume[0];
  const cd q = kappa(v, 0) / v.eps_r[0];
  const cd Gt = tet_sum(v, 0, 0, k) + 0.7;
  const cd G00 = face_sum(v, 0, 0, k) + 1.3, G11 = face_sum(v, 1, 1, k) + 1.1,
           G10 = face_sum(v, 1, 0, k) + 0.4;
  // Slots: tetrahedron 2→0, 1→1, 3→2; face 0: 1→0, 2→1; face 1: 3→0, 1→1.
  const cd z11 =
      q * V * testmesh::dot(n_of(v, 0, 1), b_of(v, 0, 1)) +
      CA * kappa(v, 0) * kappa(v, 0) * V * V * testmesh::dot(b_of(v, 0, 1), b_of(v, 0, 1)) * Gt -
      Cphi * (D(v, 0, 0) * D(v, 0, 0) * G00 + D(v, 1, 1) * D(v, 1, 1) * G11 +
              2.0 * D(v, 0, 0) * D(v, 1, 1) * G10);
  expect_near(entry(a, 0, 0), z11, 1e-13, "Z(1,1)");
  // (3, 1): companion vector of the smaller number 1, current vector of 3.
  const cd z31 =
      q * V * testmesh::dot(n_of(v, 0, 1), b_of(v, 0, 2)) +
      CA * kappa(v, 0) * kappa(v, 0) * V * V * testmesh::dot(b_of(v, 0, 1), b_of(v, 0, 2)) * Gt -
      Cphi * (D(v, 1, 1) * D(v, 1, 0) * G11 + D(v, 0, 0) * D(v, 1, 0) * G10);
  expect_near(entry(a, 2, 0), z31, 1e-13, "Z(3,1)");
  // (3, 2): function 2 lives on face 0 only, 3 on face 1 only.
  const cd z32 =
      q * V * testmesh::dot(n_of(v, 0, 0), b_of(v, 0, 2)) +
      CA * kappa(v, 0) * kappa(v, 0) * V * V * testmesh::dot(b_of(v, 0, 0), b_of(v, 0, 2)) * Gt -
      Cphi * D(v, 0, 1) * D(v, 1, 0) * G10;
  expect_near(entry(a, 2, 1), z32, 1e-13, "Z(3,2)");
  EXPECT_EQ(entry(a, 0, 2), cd(0));

  // Without the lists nothing but the material term remains (an element meets itself only
  // through the lists).
  testvol::Volume bare = v;
  bare.tt_is.clear(), bare.tt_js.clear(), bare.tt_ss.clear();
  bare.ff_is.clear(), bare.ff_js.clear(), bare.ff_ss.clear();
  bare.faces.pop_back();  // one face left: no face pair at all
  bare.edges_fni.pop_back();
  const SystemMatrix b = assemble_volume(bare, kFreq);
  expect_near(entry(b, 2, 0), q * V * testmesh::dot(n_of(v, 0, 1), b_of(v, 0, 2)), 1e-14,
              "material only");
}

// Two tetrahedra of a cube sharing a face; function 2 lives on both, 1 only on the first and
// 3 only on the second. No faces.
testvol::Volume two_tetrahedra(bool coinciding_centroids) {
  testvol::Volume v;
  const double origin[3] = {0.2, -0.1, 0.05};
  testvol::add_cube(v, origin, 0.1);
  v.tets.resize(2);
  if (coinciding_centroids) {
    // The second tetrahedron: the first one reflected through its centroid and moved by
    // 6e-9, just inside the distance below which centroids count as coinciding.
    const int base = static_cast<int>(v.nodes.size() / 3);
    double c[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k)
      for (int d = 0; d < 3; ++d) c[d] += v.nodes[3 * v.tets[0][k] + d] / 4;
    for (int k = 0; k < 4; ++k)
      for (int d = 0; d < 3; ++d)
        v.nodes.push_back(2 * c[d] - v.nodes[3 * v.tets[0][k] + d] + (d == 1 ? 6e-9 : 0.0));
    v.tets[1] = {base, base + 1, base + 2, base + 3};
    // Two faces likewise: one of the first tetrahedron's faces and its reflection through its
    // own centroid, moved by 6e-9; function 1 lives on one, function 3 on the other.
    const std::array<int, 3> face = {v.tets[0][0], v.tets[0][1], v.tets[0][2]};
    double cf[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d) cf[d] += v.nodes[3 * face[k] + d] / 3;
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d)
        v.nodes.push_back(2 * cf[d] - v.nodes[3 * face[k] + d] + (d == 2 ? 6e-9 : 0.0));
    v.faces = {face, {base + 4, base + 5, base + 6}};
  }
  testvol::finish(v, {{1, 2}, {2, 3}},
                  coinciding_centroids ? std::vector<std::vector<int>>{{1}, {3}}
                                       : std::vector<std::vector<int>>{},
                  9);
  return v;
}

TEST(VolumeBlock, TwoTetrahedraSweepAndLists) {
  const cd k = kFreq.k(), CA = testvol::C_A(kFreq);
  testvol::Volume v = two_tetrahedra(false);
  const cd P = CA * kappa(v, 0) * kappa(v, 1) * v.volume[0] * v.volume[1];
  auto material = [&](std::size_t t, int i, int l) {
    const cd eps = v.eps_r[t] * cd(1, -v.tan_d[t]);
    return kappa(v, t) / eps * v.volume[t] * testmesh::dot(n_of(v, t, i), b_of(v, t, l));
  };
  const cd Gc = testvol::centre(&v.center_t[0], &v.center_t[3], k);
  ASSERT_GT(std::abs(Gc), 0.0);
  {
    // Swept pair: the shared function gets twice the pair value on its diagonal.
    const SystemMatrix a = assemble_volume(v, kFreq);
    expect_near(entry(a, 1, 1),
                material(0, 1, 1) + material(1, 0, 0) +
                    2.0 * P * testmesh::dot(b_of(v, 0, 1), b_of(v, 1, 0)) * Gc,
                1e-13, "shared diagonal");
    expect_near(entry(a, 2, 0), P * testmesh::dot(b_of(v, 0, 0), b_of(v, 1, 1)) * Gc, 1e-13,
                "Z(3,1)");
    expect_near(entry(a, 0, 0), material(0, 0, 0), 1e-14, "no self term without the list");
  }
  {
    // The pair listed twice, in both orders: each listing replaces the centroid value once.
    v.add_tt(1, 0, 0.9);
    v.add_tt(0, 1, 0.6);
    const cd G = tet_sum(v, 1, 0, k) + 0.9 + tet_sum(v, 0, 1, k) + 0.6 - Gc;
    const SystemMatrix a = assemble_volume(v, kFreq);
    expect_near(entry(a, 2, 0), P * testmesh::dot(b_of(v, 0, 0), b_of(v, 1, 1)) * G, 1e-12,
                "listed twice");
    expect_near(entry(a, 1, 1),
                material(0, 1, 1) + material(1, 0, 0) +
                    2.0 * P * testmesh::dot(b_of(v, 0, 1), b_of(v, 1, 0)) * G,
                1e-12, "listed twice, shared diagonal");
  }
  {
    // Centroids closer than 1e-8: nothing from the sweep, nothing subtracted from a listing.
    testvol::Volume w = two_tetrahedra(true);
    for (const auto& c : {w.center_t, w.center_f}) {
      const double d = testmesh::dist(&c[0], &c[3]);
      ASSERT_TRUE(d > 5e-9 && d < 1e-8) << d;
    }
    const cd Pw = CA * kappa(w, 0) * kappa(w, 1) * w.volume[0] * w.volume[1];
    const SystemMatrix a = assemble_volume(w, kFreq);
    EXPECT_EQ(entry(a, 2, 0), cd(0));
    w.add_tt(1, 0, 0.8);
    w.add_ff(0, 1, 0.5);
    const SystemMatrix b = assemble_volume(w, kFreq);
    expect_near(entry(b, 2, 0),
                Pw * testmesh::dot(b_of(w, 0, 0), b_of(w, 1, 1)) * (tet_sum(w, 1, 0, k) + 0.8) -
                    testvol::C_phi(kFreq) * D(w, 0, 0) * D(w, 1, 0) * (face_sum(w, 0, 1, k) + 0.5),
                1e-12, "listed, coinciding centroids");
  }
}

// Two cubes of tetrahedra with random function sets (some tetrahedra and faces without any),
// faces of several tetrahedra, and near lists by distance: self pairs (one missing), pairs in
// both orders, one pair listed twice.
testvol::Volume block(unsigned seed) {
  testvol::Volume v;
  const double o1[3] = {0, 0, 0}, o2[3] = {0.1, 0.02, 0.01};
  testvol::add_cube(v, o1, 0.1);
  testvol::add_cube(v, o2, 0.1);
  std::mt19937 gen(seed);
  std::vector<std::vector<int>> fn(v.nt()), ff;
  const int nv = 14;
  for (std::size_t t = 0; t < v.nt(); ++t) {
    if (t == 4) continue;  // a tetrahedron without functions
    for (int s = 0; s < 6; ++s)
      if (gen() % 3 != 0) fn[t].push_back(1 + (t * 5 + s * 3) % nv);
  }
  for (std::size_t t = 0; t < v.nt(); t += 2) {
    v.faces.push_back({v.tets[t][0], v.tets[t][1], v.tets[t][2]});
    v.faces.push_back({v.tets[t][1], v.tets[t][2], v.tets[t][3]});
  }
  for (std::size_t f = 0; f < v.faces.size(); ++f) {
    ff.emplace_back();
    if (f == 3) continue;  // a face without functions
    for (int s = 0; s < 1 + static_cast<int>(f % 6); ++s) ff[f].push_back(1 + (f * 7 + s * 5) % nv);
  }
  testvol::finish(v, fn, ff, seed);
  std::uniform_real_distribution<double> ss(0.5, 2);
  for (std::size_t t = 0; t < v.nt(); ++t)
    for (std::size_t u = 0; u <= t; ++u) {
      const double d = testmesh::dist(&v.center_t[3 * t], &v.center_t[3 * u]);
      if ((t == u && t != 2) || (t != u && d < 0.06)) {
        if (t % 2)
          v.add_tt(u, t, 20 * ss(gen));
        else
          v.add_tt(t, u, 20 * ss(gen));
      }
    }
  v.add_tt(7, 6, 15);  // listed twice
  for (std::size_t f = 0; f < v.nf(); ++f)
    for (std::size_t g = 0; g <= f; ++g)
      if (f == g || testmesh::dist(&v.center_f[3 * f], &v.center_f[3 * g]) < 0.05)
        v.add_ff(f, g, 30 * ss(gen));
  return v;
}

TEST(VolumeBlock, BlockMatchesReferenceAssembly) {
  const testvol::Volume v = block(21);
  ASSERT_GT(v.tt_is.size(), v.nt());
  ASSERT_GT(v.ff_is.size(), v.nf());
  for (const testmesh::Frequency& f : {kFreq, testmesh::Frequency{20, 0, 8e3, 9.4, 4}, kPhysical}) {
    std::vector<cd> ref(v.nv * v.nv);
    testvol::add_volume_reference(v, f, 0, v.nv, ref);
    EXPECT_LT(lower_error(assemble_volume(v, f), ref), 1e-12) << "omega " << f.omega();
  }
}

// A block of 4 × 4 × 7 cubes (672 tetrahedra), large enough that the sweeps and both near lists
// run on two threads split by columns. The unknowns are numbered either roughly in element order
// (most tetrahedron pairs take the scatter without folding) or scrambled (most take the fold);
// every tetrahedron and face is listed with itself and its close neighbours.
testvol::Volume large_block(bool scrambled) {
  testvol::Volume v;
  const double h = 0.02;
  for (int k = 0; k < 7; ++k)
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 4; ++i) {
        const double o[3] = {i * h, j * h, k * h};
        testvol::add_cube(v, o, h);
      }
  const int nv = 500;
  auto unknown = [&](std::size_t e, int s) {  // distinct within an element
    const int ordered = static_cast<int>((e * nv / v.nt() + 7 * s) % nv);
    return 1 + (scrambled ? ordered * 211 % nv : ordered);
  };
  std::mt19937 gen(41);
  std::vector<std::vector<int>> fn(v.nt()), ff;
  for (std::size_t t = 0; t < v.nt(); ++t)
    for (int s = 0; s < 6; ++s)
      if (gen() % 5 != 0) fn[t].push_back(unknown(t, s));
  for (std::size_t t = 0; t < v.nt(); t += 2) {
    v.faces.push_back({v.tets[t][0], v.tets[t][1], v.tets[t][2]});
    v.faces.push_back({v.tets[t][1], v.tets[t][2], v.tets[t][3]});
  }
  for (std::size_t f = 0; f < v.faces.size(); ++f) {
    ff.emplace_back();
    for (int s = 0; s < 1 + static_cast<int>(f % 4); ++s) ff[f].push_back(unknown(f, s));
  }
  testvol::finish(v, fn, ff, 43);
  for (std::size_t t = 0; t < v.nt(); ++t)
    for (std::size_t u = 0; u <= t; ++u)
      if (testmesh::dist(&v.center_t[3 * t], &v.center_t[3 * u]) < 0.8 * h) v.add_tt(t, u, 20);
  // Faces are taken twice from neighbouring tetrahedra; a copy is not listed with its twin,
  // where the reference's plain (e^(−jkR) − 1)/R would lose all digits at R ≈ 1e-18.
  for (std::size_t f = 0; f < v.nf(); ++f)
    for (std::size_t g = 0; g <= f; ++g) {
      const double d = testmesh::dist(&v.center_f[3 * f], &v.center_f[3 * g]);
      if (f == g || (d > 1e-9 && d < 0.8 * h)) v.add_ff(g, f, 30);
    }
  return v;
}

TEST(VolumeBlock, TwoThreadFillMatchesReferenceAssembly) {
  for (const bool scrambled : {false, true}) {
    const testvol::Volume v = large_block(scrambled);
    ASSERT_GT(v.nt() * v.nt() / 2, 200000u);
    ASSERT_GT(v.tt_is.size(), 2000u);
    ASSERT_GT(v.ff_is.size(), 2000u);
    ASSERT_EQ(v.nv, 500u);
    std::vector<cd> ref(v.nv * v.nv);
    testvol::add_volume_reference(v, kFreq, 0, v.nv, ref);
    const SystemMatrix a = assemble_volume(v, kFreq);
    EXPECT_LT(lower_error(a, ref), 1e-12) << (scrambled ? "scrambled" : "ordered");
    // No entry depends on which thread ran first.
    const SystemMatrix b = assemble_volume(v, kFreq);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), sizeof(mom::cplx) * v.nv * v.nv), 0);
  }
}

// A curved plate of triangles (plus one far triangle that no edge refers to) below the block of
// tetrahedra, with near triangle–tetrahedron and triangle–face lists.
struct Mixed {
  testmesh::Surface s;
  testvol::Volume v;
};

Mixed mixed(bool with_lists) {
  Mixed m;
  m.s = testmesh::plate(3, 2, 17);
  for (std::size_t q = 2; q < m.s.nodes.size(); q += 3) m.s.nodes[q] -= 0.08;
  const int base = static_cast<int>(m.s.nodes.size() / 3);
  m.s.nodes.insert(m.s.nodes.end(), {2, 2, 1, 2.1, 2, 1, 2, 2.1, 1.05});
  m.s.triangles.push_back({base, base + 1, base + 2});
  testmesh::finish(m.s);
  std::mt19937 gen(5);
  for (std::size_t t = 0; t < m.s.tr; ++t) m.s.add_pair(t, t, gen);
  m.v = block(33);
  if (!with_lists) return m;
  for (std::size_t tr = 0; tr < m.s.tr; ++tr) {
    for (std::size_t t = 0; t < m.v.nt(); ++t)
      if (testmesh::dist(&m.s.centroid[3 * tr], &m.v.center_t[3 * t]) < 0.11)
        m.v.add_Tt(tr, t, gen);
    for (std::size_t f = 0; f < m.v.nf(); ++f)
      if (testmesh::dist(&m.s.centroid[3 * tr], &m.v.center_f[3 * f]) < 0.11)
        m.v.add_tf(tr, f, 10 + tr);
  }
  m.v.add_Tt(2, 3, gen);  // listed twice
  return m;
}

std::vector<cd> mixed_reference(const Mixed& m, const testmesh::Frequency& f) {
  const std::size_t n = m.s.ns + m.v.nv;
  std::vector<cd> ref(n * n);
  const std::vector<cd> surface = testmesh::reference_matrix(m.s, f);
  for (std::size_t c = 0; c < m.s.ns; ++c)
    for (std::size_t r = 0; r < m.s.ns; ++r) ref[r + n * c] = surface[r + m.s.ns * c];
  testvol::add_volume_reference(m.v, f, m.s.ns, n, ref);
  testvol::add_coupling_reference(m.s, m.v, f, n, ref);
  return ref;
}

SystemMatrix assemble_mixed(const Mixed& m, const testmesh::Frequency& f) {
  const SurfaceRecord srec = m.s.record();
  const VolumeRecord vrec = m.v.record(true);
  return assemble(prepare(f.omega_re, f.omega_im, m.v.constants(f), &srec, &vrec));
}

TEST(CouplingBlocks, MixedProblemMatchesReferenceAssembly) {
  for (const bool with_lists : {true, false}) {
    const Mixed m = mixed(with_lists);
    if (with_lists) {
      ASSERT_GT(m.v.Tt_is.size(), 5u);
      ASSERT_GT(m.v.tf_is.size(), 5u);
    }
    for (const testmesh::Frequency& f :
         {kFreq, testmesh::Frequency{20, 0, 8e3, 9.4, 4}, kPhysical}) {
      const SystemMatrix a = assemble_mixed(m, f);
      ASSERT_EQ(a.order(), m.s.ns + m.v.nv);
      EXPECT_LT(lower_error(a, mixed_reference(m, f), m.s.ns), 1e-12)
          << (with_lists ? "with" : "without") << " lists, omega " << f.omega();
    }
  }
}

// Centroids closer than 1e-8 across the blocks: triangle 0 at the centroid of tetrahedron 0,
// the face at the centroid of triangle 1. The triangle–tetrahedron centre value follows the zero
// rule of the face-based ones instead of dividing by zero; listed, such pairs get nothing
// subtracted.
TEST(CouplingBlocks, CoincidingCentroids) {
  for (const bool listed : {false, true}) {
    Mixed m;
    const double origin[3] = {0.2, -0.1, 0.05};
    testvol::add_cube(m.v, origin, 0.1);
    m.v.tets.resize(2);
    double c[3] = {5e-9, 0, -5e-9};  // centroid of tetrahedron 0, moved by 7e-9
    for (int k = 0; k < 4; ++k)
      for (int d = 0; d < 3; ++d) c[d] += m.v.nodes[3 * m.v.tets[0][k] + d] / 4;
    const double d1[3] = {0.03, 0.01, 0.0}, d2[3] = {-0.01, 0.04, 0.01};
    m.s.nodes = {c[0] + d1[0],         c[1] + d1[1], c[2] + d1[2],         c[0] + d2[0],
                 c[1] + d2[1],         c[2] + d2[2], c[0] - d1[0] - d2[0], c[1] - d1[1] - d2[1],
                 c[2] - d1[2] - d2[2], c[0] + 0.05,  c[1] + 0.05,          c[2] - 0.02};
    m.s.triangles = {{0, 1, 2}, {1, 0, 3}};
    testmesh::finish(m.s);
    ASSERT_EQ(m.s.ns, 1u);
    const int base = static_cast<int>(m.v.nodes.size() / 3);
    const double* c1 = &m.s.centroid[3];
    m.v.nodes.insert(m.v.nodes.end(), {c1[0] + 0.02, c1[1], c1[2] + 1.8e-8, c1[0] - 0.01,
                                       c1[1] + 0.02, c1[2], c1[0] - 0.01, c1[1] - 0.02, c1[2]});
    m.v.faces = {{base, base + 1, base + 2}};
    testvol::finish(m.v, {{1, 2}, {2, 3}}, {{3, 1}}, 9);
    for (const auto& [p, q] : {std::pair{&m.s.centroid[0], &m.v.center_t[0]},
                               std::pair{&m.s.centroid[3], &m.v.center_f[0]}}) {
      const double d = testmesh::dist(p, q);
      ASSERT_TRUE(d > 5e-9 && d < 1e-8) << d;
    }
    std::mt19937 gen(2);
    if (listed) {
      m.v.add_Tt(0, 0, gen);
      m.v.add_tf(1, 0, 0.3);
    }
    const SystemMatrix a = assemble_mixed(m, kFreq);
    EXPECT_LT(lower_error(a, mixed_reference(m, kFreq), m.s.ns), 1e-12) << listed;
  }
}

// No triangles: coupling tables that are present (even with out-of-range numbers) are not
// used, and the matrix is the volume-only one, bit for bit.
TEST(CouplingBlocks, NoTrianglesChangesNothing) {
  Mixed m = mixed(true);
  m.v.Tt_is[0] = 1e6;
  m.v.tf_js[0] = -3;
  testmesh::Surface empty;
  empty.qm = 0;
  const SurfaceRecord srec = empty.record();
  ASSERT_EQ(srec.TrianglesTotal, 0u);
  const VolumeRecord with = m.v.record(true);
  const SystemMatrix a =
      assemble(prepare(kFreq.omega_re, kFreq.omega_im, m.v.constants(kFreq), &srec, &with));
  const SystemMatrix b = assemble_volume(m.v, kFreq);
  ASSERT_EQ(a.order(), b.order());
  for (std::size_t q = 0; q < a.order() * a.order(); ++q) ASSERT_EQ(a.data()[q], b.data()[q]);
}

// Malformed volume records end with an identified error naming the field and its record.
TEST(VolumeRecordChecks, BadFieldsAreNamed) {
  const Mixed good = mixed(true);
  const std::vector<double> big(400, 1e6), seven(400, 7), zeros(400, 0);
  struct Case {
    const char* field;
    const char* mnemonic;
    void (*spoil)(VolumeRecord&, ConstantsRecord&, const std::vector<double>&);
    const std::vector<double>* data;
  };
  using V = VolumeRecord;
  using K = ConstantsRecord;
  using D = std::vector<double>;
  const Case cases[] = {
      {"'EdgesTN' of 'GEOM'", "badSize",  // three rows per face: not widened to six
       [](V& r, K&, const D&) { r.EdgesTN.rows = 3, r.EdgesTN.cols *= 2; }, &zeros},
      {"'EdgesTN' of 'GEOM'", "badIndex", [](V& r, K&, const D&) { r.EdgesTotal = 3; }, &zeros},
      {"'EdgesTNI' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.EdgesTNI.data = d.data(); },
       &seven},
      {"'BasisTC' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.BasisTC.cols -= 1; }, &zeros},
      {"'BasisTCn' of 'GEOM'", "badSize",
       [](V& r, K&, const D&) { r.BasisTCn.rows = 6, r.BasisTCn.cols *= 3; }, &zeros},
      {"'CenterT' of 'GEOM'", "badSize",
       [](V& r, K&, const D&) { r.CenterT.rows = 1, r.CenterT.cols *= 3; }, &zeros},
      {"'EdgesFN' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.EdgesFN.data = d.data(); },
       &zeros},
      {"'EdgesFNI' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.EdgesFNI.data = d.data(); },
       &seven},
      {"'DiffContrast_real' of 'GEOM'", "badSize",
       [](V& r, K&, const D&) { r.DiffContrast_real.cols -= 1; }, &zeros},
      {"'PointsT' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.PointsT.cols -= 1; }, &zeros},
      {"'WT' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.WT.cols -= 1; }, &zeros},
      {"'PointsF' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.OrderF += 1; }, &zeros},
      {"'TTIS' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.TTIS.data = d.data(); }, &big},
      {"'TTJS' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.TTJS.cols -= 1; }, &zeros},
      {"'FFIS' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.FFIS.rows = 2, r.FFIS.cols /= 2; },
       &zeros},
      {"'FFJS' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.FFJS.data = d.data(); }, &big},
      {"'TtIS' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.TtIS.data = d.data(); }, &big},
      {"'TtRS' of 'GEOM'", "badSize", [](V& r, K&, const D&) { r.TtRS.cols -= 1; }, &zeros},
      {"'tFIS' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.tFIS.data = d.data(); }, &big},
      {"'tFJS' of 'GEOM'", "badIndex", [](V& r, K&, const D& d) { r.tFJS.data = d.data(); }, &big},
      {"'Epsilon_r' of 'const'", "badSize", [](V&, K& k, const D&) { k.Epsilon_r.cols -= 1; },
       &zeros},
      {"'Epsilon_r' of 'const'", "badConstants",
       [](V&, K& k, const D& d) { k.Epsilon_r.data = d.data(); }, &zeros},
  };
  const SurfaceRecord srec = good.s.record();
  for (const Case& c : cases) {
    VolumeRecord rec = good.v.record(true);
    ConstantsRecord k = good.v.constants(kFreq);
    c.spoil(rec, k, *c.data);
    try {
      prepare(kFreq.omega_re, kFreq.omega_im, k, &srec, &rec);
      ADD_FAILURE() << c.field << ": no error";
    } catch (const mom::Error& e) {
      EXPECT_EQ(e.mnemonic(), c.mnemonic) << c.field << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(std::string("field ") + c.field), std::string::npos)
          << e.what();
    }
  }
  // Slots past a tetrahedron's count are never read, whatever they hold.
  testvol::Volume v = good.v;
  for (std::size_t t = 0; t < v.nt(); ++t)
    for (std::size_t s = v.edges_tni[t]; s < 6; ++s) v.edges_tn[6 * t + s] = -5;
  const VolumeRecord rec = v.record(true);
  EXPECT_NO_THROW(prepare(kFreq.omega_re, kFreq.omega_im, v.constants(kFreq), &srec, &rec));
}

}  // namespace
