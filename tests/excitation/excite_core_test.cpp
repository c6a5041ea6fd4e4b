#include "excite_core.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "errors.hpp"

namespace {

using mom::excite::cplx;
using Vec = std::array<double, 3>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec add(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec scale(double s, const Vec& a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vec& a) { return std::sqrt(dot(a, a)); }
cplx dot(const Vec& b, const std::array<cplx, 3>& e) {
  return b[0] * e[0] + b[1] * e[1] + b[2] * e[2];
}

// A complex field stored as the host does: separate real and imaginary planes, `rows` per column.
struct Field {
  std::vector<double> re, im;
  std::size_t rows = 3;
  Field(std::size_t columns, std::size_t rows_ = 3)
      : re(rows_ * columns), im(rows_ * columns), rows(rows_) {}
  void set(std::size_t j, const std::array<cplx, 3>& e) {
    for (int d = 0; d < 3; ++d) {
      re[rows * j + d] = e[d].real();
      im[rows * j + d] = e[d].imag();
    }
  }
  mom::excite::ElementField view(const char* name = "argument 'E'") const {
    return {re.data(), im.data(), rows, re.size() / rows, name};
  }
};

// --- Volume functions -------------------------------------------------------------------------

// Owns the tables of a CellRecord.
struct Cells {
  std::size_t functions = 0;
  std::vector<double> count, number, vectors, volume, kappa_re, kappa_im;
  explicit Cells(std::size_t tetrahedra, std::size_t n)
      : functions(n),
        count(tetrahedra),
        number(6 * tetrahedra),
        vectors(18 * tetrahedra),
        volume(tetrahedra),
        kappa_re(tetrahedra),
        kappa_im(tetrahedra) {}
  mom::excite::CellRecord record() const {
    return {count.size(),   functions,     count.data(),    number.data(),
            vectors.data(), volume.data(), kappa_re.data(), kappa_im.data()};
  }
  void set_slot(std::size_t t, std::size_t k, double n, const Vec& b) {
    number[6 * t + k] = n;
    for (int d = 0; d < 3; ++d) vectors[18 * t + 3 * k + d] = b[d];
  }
};

std::vector<cplx> excite(const Cells& c, const mom::excite::ElementField& f) {
  mom::excite::check_cells(c.record());
  std::vector<double> re(c.functions), im(c.functions);
  mom::excite::add_cell_excitation(c.record(), f, re.data(), im.data());
  std::vector<cplx> v(c.functions);
  for (std::size_t n = 0; n < c.functions; ++n) v[n] = {re[n], im[n]};
  return v;
}

// The unit corner tetrahedron (0, e1, e2, e3) with the edge functions of p0p1, p0p2 and p1p2,
// whose curls 2∇λi × ∇λj are (0, −2, 2), (2, 0, −2) and (0, 0, 2).
Cells corner_tetrahedron(cplx kappa) {
  Cells c(1, 3);
  c.count[0] = 3;
  c.set_slot(0, 0, 1, {0, -2, 2});
  c.set_slot(0, 1, 2, {2, 0, -2});
  c.set_slot(0, 2, 3, {0, 0, 2});
  c.volume[0] = 1.0 / 6.0;
  c.kappa_re[0] = kappa.real();
  c.kappa_im[0] = kappa.imag();
  return c;
}

TEST(CellExcitation, CornerTetrahedronWorkedExamples) {
  const Cells c = corner_tetrahedron(0.75);
  Field f(1);
  f.set(0, {0.0, 0.0, 1.0});
  const std::vector<cplx> v = excite(c, f.view());
  EXPECT_EQ(v[0], cplx(0.25, 0));
  EXPECT_EQ(v[1], cplx(-0.25, 0));
  EXPECT_EQ(v[2], cplx(0.25, 0));

  // A purely imaginary field with a real contrast gives a purely imaginary result.
  f.set(0, {cplx(0, 3), cplx(0, -1), cplx(0, 0.5)});
  for (const cplx& x : excite(c, f.view())) EXPECT_EQ(x.real(), 0.0);
  EXPECT_DOUBLE_EQ(excite(c, f.view())[0].imag(), 0.75 / 6 * (2 + 1));

  // A field without an imaginary plane is the same field with a zero one.
  f.set(0, {1.5, -2.0, 0.25});
  mom::excite::ElementField real_only = f.view();
  real_only.im = nullptr;
  EXPECT_EQ(excite(c, real_only), excite(c, f.view()));
}

TEST(CellExcitation, LossyContrastMultipliesTheComplexField) {
  // κ = 0.75 − 0.25j (εr = 2, tan δ = 1), E = (1 + 2j, −0.5, 0.3 − j).
  const double kr = 0.75, ki = -0.25, vol = 1.0 / 6.0;
  const Cells c = corner_tetrahedron({kr, ki});
  Field f(1);
  f.set(0, {cplx(1, 2), cplx(-0.5, 0), cplx(0.3, -1)});
  const std::vector<cplx> v = excite(c, f.view());
  // Slot 1, b = (0, −2, 2): b·Re E = 1.6, b·Im E = −2; the complex product written out.
  const double br = 1.6, bi = -2.0;
  EXPECT_NEAR(v[0].real(), vol * (kr * br - ki * bi), 1e-15);
  EXPECT_NEAR(v[0].imag(), vol * (kr * bi + ki * br), 1e-15);
  // A real field still gets an imaginary part from the loss: κ·v·(b·E) for slot 3, b = (0, 0, 2).
  f.set(0, {0.0, 0.0, 1.0});
  const std::vector<cplx> w = excite(c, f.view());
  EXPECT_NEAR(w[2].real(), 0.75 * vol * 2, 1e-15);
  EXPECT_NEAR(w[2].imag(), -0.25 * vol * 2, 1e-15);
}

TEST(CellExcitation, OnlyTheCountedSlotsAreRead) {
  Cells c = corner_tetrahedron(0.75);
  // Slots beyond the count hold garbage that must never be used as a number or a vector.
  c.set_slot(0, 3, kNaN, {kNaN, kNaN, kNaN});
  c.set_slot(0, 4, -7, {1e300, 1e300, 1e300});
  c.set_slot(0, 5, 1e20, {kNaN, 0, 0});
  c.count[0] = 2.9;  // truncated: two slots
  Field f(1);
  f.set(0, {0.0, 0.0, 1.0});
  const std::vector<cplx> v = excite(c, f.view());
  EXPECT_EQ(v[0], cplx(0.25, 0));
  EXPECT_EQ(v[1], cplx(-0.25, 0));
  EXPECT_EQ(v[2], cplx(0, 0));
}

// A distorted 2 × 2 × 2 block of hexahedra, each split into six tetrahedra around its main
// diagonal, with every mesh edge a basis function (orientation: lower vertex number first).
struct Block {
  std::vector<Vec> points;
  std::vector<std::array<int, 4>> tets;
  std::map<std::pair<int, int>, int> edge_number;  // 0-based

  Block() {
    const int n = 2;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-0.12, 0.12);
    auto id = [&](int i, int j, int k) { return i + (n + 1) * (j + (n + 1) * k); };
    for (int k = 0; k <= n; ++k)
      for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
          points.push_back({i + jitter(rng), j + jitter(rng), k + jitter(rng)});
    const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (int k = 0; k < n; ++k)
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          for (const auto& p : perms) {
            int c[3] = {i, j, k};
            std::array<int, 4> t;
            t[0] = id(c[0], c[1], c[2]);
            for (int s = 0; s < 3; ++s) {
              ++c[p[s]];
              t[s + 1] = id(c[0], c[1], c[2]);
            }
            tets.push_back(t);
          }
    for (const auto& t : tets)
      for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b) {
          const auto key = std::minmax(t[a], t[b]);
          if (!edge_number.count(key)) {
            const int next = static_cast<int>(edge_number.size());
            edge_number[key] = next;
          }
        }
  }

  // Barycentric gradients ∇λ0…∇λ3 and the volume of tetrahedron t.
  double gradients(std::size_t t, Vec grad[4]) const {
    const Vec& p0 = points[tets[t][0]];
    const Vec e1 = sub(points[tets[t][1]], p0), e2 = sub(points[tets[t][2]], p0),
              e3 = sub(points[tets[t][3]], p0);
    const double det = dot(e1, cross(e2, e3));
    grad[1] = scale(1 / det, cross(e2, e3));
    grad[2] = scale(1 / det, cross(e3, e1));
    grad[3] = scale(1 / det, cross(e1, e2));
    grad[0] = scale(-1, add(add(grad[1], grad[2]), grad[3]));
    return std::abs(det) / 6;
  }
};

TEST(CellExcitation, UniformFieldMatchesTheBoundaryIntegralOfEachEdgeFunction) {
  // ∫_Ω curl W dV = ∮_∂Ω n̂ × W dS. The tangential trace of the edge function W_ij vanishes on
  // every face without the edge, so a uniform κ and E give V(n) = 0 for interior edges and,
  // for boundary edges, κ E · Σ over the boundary faces with the edge of n̂ × (A/3)(∇λj − ∇λi).
  // The per-tetrahedron sums of the excitation are thus checked against face integrals only.
  const Block mesh;
  const std::size_t nt = mesh.tets.size(), n = mesh.edge_number.size();
  const cplx kappa(0.6, -0.35);
  const std::array<cplx, 3> e = {cplx(0.3, -1.1), cplx(-0.7, 0.4), cplx(1.3, 0.2)};

  Cells c(nt, n);
  Field f(nt);
  std::vector<cplx> want(n, 0.0);
  std::map<std::array<int, 3>, int> face_uses;
  for (std::size_t t = 0; t < nt; ++t) {
    Vec g[4];
    c.volume[t] = mesh.gradients(t, g);
    c.kappa_re[t] = kappa.real();
    c.kappa_im[t] = kappa.imag();
    f.set(t, e);
    int k = 0;
    for (int a = 0; a < 4; ++a)
      for (int b = a + 1; b < 4; ++b) {
        // Oriented from the lower to the higher global vertex number.
        const bool up = mesh.tets[t][a] < mesh.tets[t][b];
        const int i = up ? a : b, j = up ? b : a;
        const int number = mesh.edge_number.at(std::minmax(mesh.tets[t][a], mesh.tets[t][b]));
        c.set_slot(t, k++, number + 1, scale(2, cross(g[i], g[j])));
      }
    c.count[t] = 6;
    for (int skip = 0; skip < 4; ++skip) {
      std::array<int, 3> face;
      for (int a = 0, s = 0; a < 4; ++a)
        if (a != skip) face[s++] = mesh.tets[t][a];
      std::sort(face.begin(), face.end());
      ++face_uses[face];
    }
  }
  for (std::size_t t = 0; t < nt; ++t) {
    Vec g[4];
    mesh.gradients(t, g);
    for (int skip = 0; skip < 4; ++skip) {
      std::array<int, 3> face;
      for (int a = 0, s = 0; a < 4; ++a)
        if (a != skip) face[s++] = mesh.tets[t][a];
      std::sort(face.begin(), face.end());
      if (face_uses[face] != 1) continue;  // interior face
      // Outward normal: −∇λ_skip / |∇λ_skip|; area from the face vertices.
      const Vec normal = scale(-1 / norm(g[skip]), g[skip]);
      const double area = 0.5 * norm(cross(sub(mesh.points[face[1]], mesh.points[face[0]]),
                                           sub(mesh.points[face[2]], mesh.points[face[0]])));
      for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b) {
          if (a == skip || b == skip) continue;
          const bool up = mesh.tets[t][a] < mesh.tets[t][b];
          const int i = up ? a : b, j = up ? b : a;
          const Vec flux = cross(normal, scale(area / 3, sub(g[j], g[i])));
          want[mesh.edge_number.at(std::minmax(mesh.tets[t][a], mesh.tets[t][b]))] +=
              kappa * dot(flux, e);
        }
    }
  }

  const std::vector<cplx> v = excite(c, f.view());
  double scale_ref = 0;
  for (const cplx& w : want) scale_ref = std::max(scale_ref, std::abs(w));
  ASSERT_GT(scale_ref, 0.1);
  int interior = 0;
  for (std::size_t m = 0; m < n; ++m) {
    EXPECT_LT(std::abs(v[m] - want[m]), 1e-13 * scale_ref) << "edge " << m + 1;
    if (want[m] == cplx(0)) ++interior;
  }
  EXPECT_GE(interior, 6);  // the interior edges around the central vertex at least
}

TEST(CellExcitation, LinearInTheFieldAndSumsOverTetrahedra) {
  // Two tetrahedra sharing basis function 2, with different contrasts: V is linear in E over
  // complex scalars and the shared entry is the sum of both tetrahedra's terms.
  Cells c(2, 3);
  c.count = {2, 2};
  c.set_slot(0, 0, 1, {1, 2, 3});
  c.set_slot(0, 1, 2, {-1, 0.5, 2});
  c.set_slot(1, 0, 2, {0.25, -3, 1});
  c.set_slot(1, 1, 3, {2, 2, -1});
  c.volume = {0.5, 2.0};
  c.kappa_re = {0.75, 0.2};
  c.kappa_im = {-0.25, -0.9};
  Field f1(2), f2(2), mix(2);
  const std::array<cplx, 3> a0 = {cplx(1, 1), 2.0, cplx(0, -1)}, a1 = {0.5, cplx(-1, 3), 1.0};
  const std::array<cplx, 3> b0 = {cplx(0, 2), -1.0, 4.0}, b1 = {cplx(2, -2), 0.0, cplx(1, 1)};
  const cplx alpha(0.3, -2), beta(-1.5, 0.5);
  f1.set(0, a0);
  f1.set(1, a1);
  f2.set(0, b0);
  f2.set(1, b1);
  for (std::size_t t = 0; t < 2; ++t) {
    const auto& a = t ? a1 : a0;
    const auto& b = t ? b1 : b0;
    mix.set(t,
            {alpha * a[0] + beta * b[0], alpha * a[1] + beta * b[1], alpha * a[2] + beta * b[2]});
  }
  const std::vector<cplx> v1 = excite(c, f1.view()), v2 = excite(c, f2.view()),
                          v = excite(c, mix.view());
  for (int n = 0; n < 3; ++n) EXPECT_LT(std::abs(v[n] - (alpha * v1[n] + beta * v2[n])), 1e-13);
  const cplx k0(0.75, -0.25), k1(0.2, -0.9);
  EXPECT_LT(std::abs(v1[1] -
                     (k0 * 0.5 * dot(Vec{-1, 0.5, 2}, a0) + k1 * 2.0 * dot(Vec{0.25, -3, 1}, a1))),
            1e-14);
}

std::string error_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const mom::Error& e) {
    EXPECT_EQ(e.mnemonic(), "badIndex");
    return e.what();
  }
  ADD_FAILURE() << "no error";
  return "";
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CellCheck, NamesTheTableTetrahedronAndSlotOfABadNumber) {
  const auto message = [](const Cells& c) {
    return error_of([&] { mom::excite::check_cells(c.record()); });
  };
  Cells c = corner_tetrahedron(1.0);
  c.count.push_back(0);  // a second tetrahedron with no functions
  c.number.resize(12);
  c.vectors.resize(36);
  c.volume.push_back(1);
  c.kappa_re.push_back(1);
  c.kappa_im.push_back(0);
  EXPECT_NO_THROW(mom::excite::check_cells(c.record()));

  for (double bad : {7.0, -1.0, kNaN, kInf}) {
    Cells d = c;
    d.count[1] = bad;
    const std::string m = message(d);
    EXPECT_TRUE(contains(m, "'EdgesTNI' of 'GEOM'") && contains(m, "tetrahedron 2") &&
                contains(m, "0..6"))
        << m;
  }
  for (double bad : {0.0, 4.0, 0.5, kNaN, -3.0}) {
    Cells d = c;
    d.number[1] = bad;
    const std::string m = message(d);
    EXPECT_TRUE(contains(m, "'EdgesTN' of 'GEOM'") && contains(m, "slot 2 of tetrahedron 1") &&
                contains(m, "1..3"))
        << m;
  }
  // Fractions are truncated toward zero.
  c.number[2] = 3.99;
  c.count[1] = -0.5;
  EXPECT_NO_THROW(mom::excite::check_cells(c.record()));
  // No functions at all: any used slot is out of range.
  c.functions = 0;
  EXPECT_TRUE(contains(message(c), "outside 1..0"));
}

// --- Surface functions ------------------------------------------------------------------------

// Owns the tables of a PlateRecord; rho is 3 × 3·triangles.
struct Plates {
  std::vector<double> tp, tm, vp, vm, length, rho;
  mom::excite::PlateRecord record() const {
    return {tp.size(),     tp.data(),  tm.data(), vp.data(),     vm.data(),
            length.data(), rho.data(), 3,         rho.size() / 9};
  }
};

std::vector<cplx> excite(const Plates& p, const mom::excite::ElementField& f) {
  mom::excite::check_plates(p.record(), f);
  std::vector<double> re(p.tp.size(), kNaN), im(p.tp.size(), kNaN);
  mom::excite::plate_excitation(p.record(), f, re.data(), im.data());
  std::vector<cplx> v(re.size());
  for (std::size_t n = 0; n < v.size(); ++n) v[n] = {re[n], im[n]};
  return v;
}

TEST(PlateExcitation, TwoTriangleWorkedExamples) {
  // ρ⁺ = (1, 0, 0), ρ⁻ = (−1, 0, 0), l = 2, the same field (1, 0, 0) on both sides: 2.
  Plates p;
  p.tp = {1};
  p.tm = {2};
  p.vp = {2};
  p.vm = {3};
  p.length = {2};
  p.rho.assign(18, 0.0);
  p.rho[3 * 1 + 0] = 1;         // triangle 1, slot 2
  p.rho[3 * (3 + 2) + 0] = -1;  // triangle 2, slot 3
  Field f(2);
  f.set(0, {1.0, 0.0, 0.0});
  f.set(1, {1.0, 0.0, 0.0});
  EXPECT_EQ(excite(p, f.view())[0], cplx(2, 0));
  // Orthogonal to both vectors, complex: 0.
  f.set(0, {0.0, cplx(3, 1), cplx(0, -2)});
  f.set(1, {0.0, cplx(3, 1), cplx(0, -2)});
  EXPECT_EQ(excite(p, f.view())[0], cplx(0, 0));
  // Purely imaginary: purely imaginary. Real-only planes read as zero imaginary part.
  f.set(0, {cplx(0, 1.5), 0.0, 0.0});
  f.set(1, {cplx(0, -0.5), 0.0, 0.0});
  EXPECT_EQ(excite(p, f.view())[0], cplx(0, 1.5 - 0.5));
  f.set(0, {4.0, 0.0, 0.0});
  mom::excite::ElementField real_only = f.view();
  real_only.im = nullptr;
  EXPECT_EQ(excite(p, real_only)[0], cplx(4, 0));
}

// A random non-planar triangulated sheet with every interior edge an edge-based function.
struct Sheet {
  std::vector<Vec> points;
  std::vector<std::array<int, 3>> tris;
  Plates plates;
  std::vector<std::array<int, 2>> free_vertex;  // global free vertex, plus and minus

  explicit Sheet(int n) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-0.2, 0.2);
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) points.push_back({i + u(rng), j + u(rng), 0.7 * u(rng) * i});
    auto id = [&](int i, int j) { return i + (n + 1) * j; };
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        tris.push_back({id(i, j), id(i + 1, j), id(i + 1, j + 1)});
        tris.push_back({id(i, j), id(i + 1, j + 1), id(i, j + 1)});
      }
    std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> owners;  // (triangle, slot)
    for (int t = 0; t < static_cast<int>(tris.size()); ++t)
      for (int s = 0; s < 3; ++s)
        owners[std::minmax(tris[t][(s + 1) % 3], tris[t][(s + 2) % 3])].push_back({t, s});
    for (int t = 0; t < static_cast<int>(tris.size()); ++t) {
      const Vec c = centroid(t);
      for (int s = 0; s < 3; ++s) {
        const Vec r = sub(c, points[tris[t][s]]);  // vertex → centroid
        plates.rho.insert(plates.rho.end(), r.begin(), r.end());
      }
    }
    for (const auto& [edge, own] : owners) {
      if (own.size() != 2) continue;
      const auto [plus, minus] =
          own[0].first % 2 ? std::make_pair(own[1], own[0]) : std::make_pair(own[0], own[1]);
      plates.tp.push_back(plus.first + 1);
      plates.vp.push_back(plus.second + 1);
      plates.tm.push_back(minus.first + 1);
      plates.vm.push_back(minus.second + 1);
      plates.length.push_back(norm(sub(points[edge.first], points[edge.second])));
      free_vertex.push_back({tris[plus.first][plus.second], tris[minus.first][minus.second]});
    }
  }
  Vec centroid(std::size_t t) const {
    return scale(1.0 / 3, add(add(points[tris[t][0]], points[tris[t][1]]), points[tris[t][2]]));
  }
  double area(std::size_t t) const {
    return 0.5 * norm(cross(sub(points[tris[t][1]], points[tris[t][0]]),
                            sub(points[tris[t][2]], points[tris[t][0]])));
  }
};

TEST(PlateExcitation, UniformFieldGivesLengthTimesFieldAlongTheCentroidStep) {
  // For a uniform E the projection onto an edge-based function is l · E · (c⁻ − c⁺), the
  // integral of the function being l times the step between the triangle centroids.
  const Sheet sheet(4);
  const std::size_t nt = sheet.tris.size(), n = sheet.plates.tp.size();
  ASSERT_EQ(n, 40u);
  const std::array<cplx, 3> e = {cplx(0.4, 1), cplx(-2, 0.5), cplx(0.7, -0.3)};
  Field f(nt);
  for (std::size_t t = 0; t < nt; ++t) f.set(t, e);
  const std::vector<cplx> v = excite(sheet.plates, f.view());
  for (std::size_t m = 0; m < n; ++m) {
    const Vec step =
        sub(sheet.centroid(sheet.plates.tm[m] - 1), sheet.centroid(sheet.plates.tp[m] - 1));
    const cplx want = sheet.plates.length[m] * dot(step, e);
    EXPECT_LT(std::abs(v[m] - want), 1e-13 * (1 + std::abs(want))) << "function " << m + 1;
  }
}

TEST(PlateExcitation, PiecewiseConstantFieldMatchesQuadratureOfTheBasisFunction) {
  // f = l/(2A⁺)(r − p⁺) on the plus and l/(2A⁻)(p⁻ − r) on the minus triangle, integrated
  // against a different field in every triangle with the edge-midpoint rule (exact for linear
  // integrands): an evaluation that never uses the centroid rho vectors.
  const Sheet sheet(3);
  const std::size_t nt = sheet.tris.size(), n = sheet.plates.tp.size();
  std::mt19937 rng(5);
  std::normal_distribution<double> g;
  std::vector<std::array<cplx, 3>> e(nt);
  Field f(nt);
  for (std::size_t t = 0; t < nt; ++t) {
    for (auto& x : e[t]) x = cplx(g(rng), g(rng));
    f.set(t, e[t]);
  }
  const std::vector<cplx> v = excite(sheet.plates, f.view());
  for (std::size_t m = 0; m < n; ++m) {
    cplx want = 0;
    for (int side = 0; side < 2; ++side) {
      const std::size_t t = (side ? sheet.plates.tm[m] : sheet.plates.tp[m]) - 1;
      const Vec& p = sheet.points[sheet.free_vertex[m][side]];
      const double a = sheet.area(t), sign = side ? -1 : 1;
      for (int k = 0; k < 3; ++k) {
        const Vec mid = scale(
            0.5, add(sheet.points[sheet.tris[t][k]], sheet.points[sheet.tris[t][(k + 1) % 3]]));
        const Vec fval = scale(sign * sheet.plates.length[m] / (2 * a), sub(mid, p));
        want += (a / 3) * dot(fval, e[t]);
      }
    }
    EXPECT_LT(std::abs(v[m] - want), 1e-13 * (1 + std::abs(want))) << "function " << m + 1;
  }
}

TEST(ElementField, ColumnsAreReadWithTheirStride) {
  // A field with extra rows: column j starts at rows·j, rows beyond the third are ignored.
  std::mt19937 rng(9);
  std::normal_distribution<double> g;
  auto fields = [&](std::size_t columns) {
    std::pair<Field, Field> f{Field(columns, 5), Field(columns)};
    for (std::size_t j = 0; j < columns; ++j) {
      const std::array<cplx, 3> e = {cplx(g(rng), g(rng)), cplx(g(rng), g(rng)), g(rng)};
      f.first.set(j, e);
      f.second.set(j, e);
      for (std::size_t d = 3; d < 5; ++d) f.first.re[5 * j + d] = f.first.im[5 * j + d] = kNaN;
    }
    return f;
  };
  Cells c(3, 2);
  for (std::size_t t = 0; t < 3; ++t) {
    c.count[t] = 1;
    c.set_slot(t, 0, 1 + t % 2, {1.0 + t, -2.0, 0.5 * t});
    c.volume[t] = 1;
    c.kappa_re[t] = 0.5;
    c.kappa_im[t] = 0.1;
  }
  const auto [tall_d, plain_d] = fields(3);
  EXPECT_EQ(excite(c, tall_d.view()), excite(c, plain_d.view()));
  const Sheet sheet(2);
  const auto [tall_m, plain_m] = fields(sheet.tris.size());
  EXPECT_EQ(excite(sheet.plates, tall_m.view()), excite(sheet.plates, plain_m.view()));
}

TEST(PlateCheck, NamesTheTableFunctionAndBoundOfABadNumber) {
  const Sheet sheet(2);  // 8 triangles
  const Plates& good = sheet.plates;
  Field f(8);
  const auto message = [&](const Plates& p, const Field& field) {
    return error_of(
        [&] { mom::excite::check_plates(p.record(), field.view("argument 'EfieldM'")); });
  };
  EXPECT_NO_THROW(mom::excite::check_plates(good.record(), f.view()));

  for (double bad : {0.0, 9.0, kNaN, -1.0}) {
    Plates p = good;
    p.tm[3] = bad;
    const std::string m = message(p, f);
    EXPECT_TRUE(contains(m, "'TriM' of 'geom'") && contains(m, "basis function 4") &&
                contains(m, "1..8") && contains(m, "'PointsFCRho'"))
        << m;
  }
  // A field with fewer columns than triangles bounds the numbers instead, and says so.
  Plates p = good;
  p.tp[0] = 8;
  const std::string m = message(p, Field(7));
  EXPECT_TRUE(contains(m, "'TriP' of 'geom'") && contains(m, "1..7") &&
              contains(m, "argument 'EfieldM' has 7 columns"))
      << m;
  for (double bad : {0.0, 4.0, 0.99}) {
    Plates q = good;
    q.vp[2] = bad;
    const std::string mv = message(q, f);
    EXPECT_TRUE(contains(mv, "'VerP' of 'geom'") && contains(mv, "basis function 3") &&
                contains(mv, "1..3"))
        << mv;
    q = good;
    q.vm[0] = bad;
    EXPECT_TRUE(contains(message(q, f), "'VerM' of 'geom'"));
  }
  // Fractions are truncated toward zero.
  p = good;
  p.vp[0] = 3.7;
  p.tp[0] = 8.5;
  EXPECT_NO_THROW(mom::excite::check_plates(p.record(), f.view()));
}

}  // namespace
