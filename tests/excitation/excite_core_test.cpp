#include "excite_core.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "errors.hpp"

namespace {

using mom::excite::cplx;
using Vec = std::array<double, 3>;
using CVec = std::array<cplx, 3>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec scale(double s, const Vec& a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
cplx dot(const Vec& a, const CVec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vec& a) { return std::sqrt(dot(a, a)); }

// A complex field stored as the host does: separate planes, `rows` per column. Rows beyond the
// third hold NaN, so reading a column with the wrong stride shows.
struct Field {
  std::vector<double> re, im;
  std::size_t rows;
  explicit Field(std::size_t columns, std::size_t rows_ = 3)
      : re(rows_ * columns, kNaN), im(rows_ * columns, kNaN), rows(rows_) {}
  void set(std::size_t j, const CVec& e) {
    for (int d = 0; d < 3; ++d) re[rows * j + d] = e[d].real(), im[rows * j + d] = e[d].imag();
  }
  mom::excite::ElementField view() const {
    return {re.data(), im.data(), rows, re.size() / rows, "argument 'E'"};
  }
};

std::string error_of(void (*check)(const void*), const void* arg) {
  try {
    check(arg);
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

// --- Volume functions -------------------------------------------------------------------------

struct Cells {  // owns the tables of a CellRecord
  std::size_t functions;
  std::vector<double> count, number, vectors, volume, kappa_re, kappa_im;
  Cells(std::size_t nt, std::size_t n)
      : functions(n),
        count(nt),
        number(6 * nt),
        vectors(18 * nt),
        volume(nt),
        kappa_re(nt),
        kappa_im(nt) {}
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
  Cells c = corner_tetrahedron(0.75);
  Field f(1);
  f.set(0, {0.0, 0.0, 1.0});
  EXPECT_EQ(excite(c, f.view()), (std::vector<cplx>{0.25, -0.25, 0.25}));

  // Slots beyond the count (truncated: 3.9 → 3) hold garbage that must never be read.
  c.count[0] = 3.9;
  c.set_slot(0, 3, 1, {kNaN, kNaN, kNaN});
  c.set_slot(0, 4, 2, {1e300, 1e300, 1e300});
  c.set_slot(0, 5, 3, {kNaN, 0, 0});
  // A purely imaginary field with a real contrast gives a purely imaginary result.
  f.set(0, {cplx(0, 3), cplx(0, -1), cplx(0, 0.5)});
  EXPECT_EQ(excite(c, f.view()),
            (std::vector<cplx>{{0, 0.75 / 6 * 3}, {0, 0.75 / 6 * 5}, {0, 0.75 / 6 * 1}}));
  // A field without an imaginary plane is the same field with a zero one.
  f.set(0, {1.5, -2.0, 0.25});
  mom::excite::ElementField real_only = f.view();
  real_only.im = nullptr;
  EXPECT_EQ(excite(c, real_only), excite(c, f.view()));
}

TEST(CellExcitation, LossyContrastMultipliesTheComplexField) {
  // κ = 0.75 − 0.25j (εr = 2, tan δ = 1), E = (1 + 2j, −0.5, 0.3 − j), volume 1/6.
  const double kr = 0.75, ki = -0.25, vol = 1.0 / 6.0;
  const Cells c = corner_tetrahedron({kr, ki});
  Field f(1, 4);
  f.set(0, {cplx(1, 2), cplx(-0.5, 0), cplx(0.3, -1)});
  // Slot 1, b = (0, −2, 2): b·Re E = 1.6, b·Im E = −2; the complex product written out.
  const cplx v = excite(c, f.view())[0];
  EXPECT_NEAR(v.real(), vol * (kr * 1.6 - ki * -2.0), 1e-15);
  EXPECT_NEAR(v.imag(), vol * (kr * -2.0 + ki * 1.6), 1e-15);
  // A real field gets an imaginary part from the loss: slot 3, b = (0, 0, 2), E = (0, 0, 1).
  f.set(0, {0.0, 0.0, 1.0});
  EXPECT_EQ(excite(c, f.view())[2], cplx(kr * vol * 2, ki * vol * 2));
}

TEST(CellExcitation, UniformFieldMatchesTheBoundaryIntegralOfEachEdgeFunction) {
  // A distorted 2 × 2 × 2 block of hexahedra, each split into six tetrahedra around its main
  // diagonal; every mesh edge (lower vertex number first) is a basis function, shared by up to
  // eight tetrahedra. ∫_Ω curl W dV = ∮_∂Ω n̂ × W dS, and the tangential trace of W_ij
  // vanishes on faces without the edge, so a uniform κ and E give V = 0 for interior edges and
  // κ E · Σ over boundary faces with the edge of n̂ × (A/3)(∇λj − ∇λi) for boundary edges:
  // the per-tetrahedron sums are checked against face integrals only.
  const int g = 2;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-0.12, 0.12);
  std::vector<Vec> p;
  for (int k = 0; k <= g; ++k)
    for (int j = 0; j <= g; ++j)
      for (int i = 0; i <= g; ++i) p.push_back({i + jitter(rng), j + jitter(rng), k + jitter(rng)});
  std::vector<std::array<int, 4>> tets;
  const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int k = 0; k < g; ++k)
    for (int j = 0; j < g; ++j)
      for (int i = 0; i < g; ++i)
        for (const auto& perm : perms) {
          int c[3] = {i, j, k};
          std::array<int, 4> t;
          for (int s = 0; s < 4; ++s) {
            if (s > 0) ++c[perm[s - 1]];
            t[s] = c[0] + (g + 1) * (c[1] + (g + 1) * c[2]);
          }
          tets.push_back(t);
        }
  std::map<std::pair<int, int>, int> edges;
  std::map<std::array<int, 3>, int> face_uses;
  for (const auto& t : tets)
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) edges.emplace(std::minmax(t[a], t[b]), edges.size());
      std::array<int, 3> face = {t[(a + 1) % 4], t[(a + 2) % 4], t[(a + 3) % 4]};
      std::sort(face.begin(), face.end());
      ++face_uses[face];
    }

  const cplx kappa(0.6, -0.35);
  const CVec e = {cplx(0.3, -1.1), cplx(-0.7, 0.4), cplx(1.3, 0.2)};
  Cells c(tets.size(), edges.size());
  Field f(tets.size(), 4);
  std::vector<cplx> want(edges.size(), 0.0);
  for (std::size_t t = 0; t < tets.size(); ++t) {
    const auto& v = tets[t];
    const Vec e1 = sub(p[v[1]], p[v[0]]), e2 = sub(p[v[2]], p[v[0]]), e3 = sub(p[v[3]], p[v[0]]);
    const double det = dot(e1, cross(e2, e3));
    Vec grad[4] = {{},
                   scale(1 / det, cross(e2, e3)),
                   scale(1 / det, cross(e3, e1)),
                   scale(1 / det, cross(e1, e2))};
    for (int d = 0; d < 3; ++d) grad[0][d] = -(grad[1][d] + grad[2][d] + grad[3][d]);
    c.volume[t] = std::abs(det) / 6;
    c.kappa_re[t] = kappa.real();
    c.kappa_im[t] = kappa.imag();
    c.count[t] = 6;
    f.set(t, e);
    int k = 0;
    for (int a = 0; a < 4; ++a)
      for (int b = a + 1; b < 4; ++b) {
        const int i = v[a] < v[b] ? a : b, j = a + b - i, n = edges.at(std::minmax(v[a], v[b]));
        c.set_slot(t, k++, n + 1, scale(2, cross(grad[i], grad[j])));
        for (int skip = 0; skip < 4; ++skip) {  // boundary faces holding edge (a, b)
          std::array<int, 3> face = {v[(skip + 1) % 4], v[(skip + 2) % 4], v[(skip + 3) % 4]};
          std::sort(face.begin(), face.end());
          if (skip == a || skip == b || face_uses[face] != 1) continue;
          const Vec normal = scale(-1 / norm(grad[skip]), grad[skip]);  // outward
          const double area =
              0.5 * norm(cross(sub(p[face[1]], p[face[0]]), sub(p[face[2]], p[face[0]])));
          want[n] += kappa * dot(cross(normal, scale(area / 3, sub(grad[j], grad[i]))), e);
        }
      }
  }

  const std::vector<cplx> v = excite(c, f.view());
  int interior = 0;
  for (std::size_t n = 0; n < edges.size(); ++n) {
    EXPECT_LT(std::abs(v[n] - want[n]), 1e-13) << "edge " << n + 1;
    interior += want[n] == cplx(0);
  }
  EXPECT_EQ(interior, 26);  // 98 edges, 72 of them on the surface of the block
  EXPECT_GT(std::abs(v[0]), 0.1);
}

void check_cells(const void* c) {
  mom::excite::check_cells(static_cast<const Cells*>(c)->record());
}

TEST(CellCheck, NamesTheTableTetrahedronAndSlotOfABadNumber) {
  Cells c = corner_tetrahedron(1.0);
  for (double bad : {7.0, -1.0, kNaN, HUGE_VAL}) {
    Cells d = c;
    d.count[0] = bad;
    const std::string m = error_of(check_cells, &d);
    EXPECT_TRUE(contains(m, "'EdgesTNI' of 'GEOM'") && contains(m, "tetrahedron 1 is outside 0..6"))
        << m;
  }
  for (double bad : {0.0, 4.0, 0.5, kNaN, -3.0}) {
    Cells d = c;
    d.number[1] = bad;
    const std::string m = error_of(check_cells, &d);
    EXPECT_TRUE(contains(m, "'EdgesTN' of 'GEOM'") && contains(m, "slot 2 of tetrahedron 1") &&
                contains(m, "1..3"))
        << m;
  }
  c.number[2] = 3.99;  // truncated toward zero
  c.count[0] = 3.5;
  EXPECT_NO_THROW(check_cells(&c));
  c.functions = 0;  // no functions at all: any used slot is out of range
  EXPECT_TRUE(contains(error_of(check_cells, &c), "outside 1..0"));
}

// --- Surface functions ------------------------------------------------------------------------

struct Plates {  // owns the tables of a PlateRecord; rho is 3 × 3·triangles
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
  // ρ⁺ = (1, 0, 0) in slot 2 of triangle 1, ρ⁻ = (−1, 0, 0) in slot 3 of triangle 2, l = 2.
  Plates p{{1}, {2}, {2}, {3}, {2}, std::vector<double>(18, 0.0)};
  p.rho[3 * 1] = 1;
  p.rho[3 * 5] = -1;
  Field f(2);
  f.set(0, {1.0, 0.0, 0.0});  // the same field (1, 0, 0) on both sides: (½ + ½) · 2
  f.set(1, {1.0, 0.0, 0.0});
  EXPECT_EQ(excite(p, f.view())[0], cplx(2, 0));
  f.set(0, {0.0, cplx(3, 1), cplx(0, -2)});  // orthogonal to both vectors
  f.set(1, {0.0, cplx(3, 1), cplx(0, -2)});
  EXPECT_EQ(excite(p, f.view())[0], cplx(0, 0));
  f.set(0, {cplx(0, 1.5), 0.0, 0.0});  // purely imaginary: (1.5j/2 − 0.5j/2) · 2
  f.set(1, {cplx(0, -0.5), 0.0, 0.0});
  EXPECT_EQ(excite(p, f.view())[0], cplx(0, 1));
  f.set(0, {4.0, 0.0, 0.0});  // no imaginary plane: zero imaginary part
  mom::excite::ElementField real_only = f.view();
  real_only.im = nullptr;
  EXPECT_EQ(excite(p, real_only)[0], cplx(4, 0));
}

// A random non-planar triangulated sheet, every interior edge an edge-based function; the
// rho vectors (vertex → centroid) computed from the geometry.
struct Sheet {
  std::vector<Vec> p;
  std::vector<std::array<int, 3>> tris;
  Plates plates;
  std::vector<std::array<int, 2>> free_vertex;  // plus, minus

  explicit Sheet(int g) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-0.2, 0.2);
    for (int j = 0; j <= g; ++j)
      for (int i = 0; i <= g; ++i) p.push_back({i + u(rng), j + u(rng), 0.7 * u(rng) * i});
    for (int j = 0; j < g; ++j)
      for (int i = 0; i < g; ++i) {
        const int a = i + (g + 1) * j, b = a + 1, c = b + g + 1, d = c - 1;
        tris.push_back({a, b, c});
        tris.push_back({a, c, d});
      }
    std::map<std::pair<int, int>, std::vector<std::array<int, 2>>> owners;  // (triangle, slot)
    for (int t = 0; t < static_cast<int>(tris.size()); ++t)
      for (int s = 0; s < 3; ++s) {
        owners[std::minmax(tris[t][(s + 1) % 3], tris[t][(s + 2) % 3])].push_back({t, s});
        const Vec r = sub(centroid(t), p[tris[t][s]]);
        plates.rho.insert(plates.rho.end(), r.begin(), r.end());
      }
    for (const auto& [edge, own] : owners) {
      if (own.size() != 2) continue;
      const bool flip = own[0][0] % 2;
      const auto &plus = own[flip], &minus = own[!flip];
      plates.tp.push_back(plus[0] + 1);
      plates.vp.push_back(plus[1] + 1);
      plates.tm.push_back(minus[0] + 1);
      plates.vm.push_back(minus[1] + 1);
      plates.length.push_back(norm(sub(p[edge.first], p[edge.second])));
      free_vertex.push_back({tris[plus[0]][plus[1]], tris[minus[0]][minus[1]]});
    }
  }
  Vec centroid(std::size_t t) const {
    Vec c{};
    for (int v : tris[t])
      for (int d = 0; d < 3; ++d) c[d] += p[v][d] / 3;
    return c;
  }
};

TEST(PlateExcitation, MatchesQuadratureOfTheBasisFunction) {
  // f = l/(2A⁺)(r − p⁺) on the plus and l/(2A⁻)(p⁻ − r) on the minus triangle, integrated
  // against a different field in every triangle by the edge-midpoint rule (exact for linear
  // integrands): an evaluation that never uses the centroid rho vectors.
  const Sheet s(3);
  const std::size_t n = s.plates.tp.size();
  ASSERT_EQ(n, 21u);
  std::mt19937 rng(5);
  std::normal_distribution<double> gauss;
  std::vector<CVec> e(s.tris.size());
  Field f(s.tris.size(), 5);
  for (std::size_t t = 0; t < e.size(); ++t) {
    for (auto& x : e[t]) x = cplx(gauss(rng), gauss(rng));
    f.set(t, e[t]);
  }
  const std::vector<cplx> v = excite(s.plates, f.view());
  for (std::size_t m = 0; m < n; ++m) {
    cplx want = 0;
    for (int side = 0; side < 2; ++side) {
      const std::size_t t = (side ? s.plates.tm[m] : s.plates.tp[m]) - 1;
      const auto& tri = s.tris[t];
      const double area =
          0.5 * norm(cross(sub(s.p[tri[1]], s.p[tri[0]]), sub(s.p[tri[2]], s.p[tri[0]])));
      for (int k = 0; k < 3; ++k) {
        Vec mid;
        for (int d = 0; d < 3; ++d) mid[d] = 0.5 * (s.p[tri[k]][d] + s.p[tri[(k + 1) % 3]][d]);
        const Vec fm = scale((side ? -1 : 1) * s.plates.length[m] / (2 * area),
                             sub(mid, s.p[s.free_vertex[m][side]]));
        want += (area / 3) * dot(fm, e[t]);
      }
    }
    EXPECT_LT(std::abs(v[m] - want), 1e-13 * (1 + std::abs(want))) << "function " << m + 1;
  }

  // A uniform field: l · E · (c⁻ − c⁺), the function's integral being l times the step between
  // the centroids.
  for (std::size_t t = 0; t < e.size(); ++t) f.set(t, e[0]);
  const std::vector<cplx> u = excite(s.plates, f.view());
  for (std::size_t m = 0; m < n; ++m) {
    const cplx want =
        s.plates.length[m] *
        dot(sub(s.centroid(s.plates.tm[m] - 1), s.centroid(s.plates.tp[m] - 1)), e[0]);
    EXPECT_LT(std::abs(u[m] - want), 1e-13 * (1 + std::abs(want))) << "function " << m + 1;
  }
}

struct PlateCase {
  Plates plates;
  Field field;
};
void check_plates(const void* c) {
  const auto* pc = static_cast<const PlateCase*>(c);
  mom::excite::check_plates(pc->plates.record(), pc->field.view());
}

TEST(PlateCheck, NamesTheTableFunctionAndBoundOfABadNumber) {
  const PlateCase good{Sheet(2).plates, Field(8)};  // 8 triangles
  EXPECT_NO_THROW(check_plates(&good));
  for (double bad : {0.0, 9.0, kNaN, -1.0}) {
    PlateCase c = good;
    c.plates.tm[3] = bad;
    const std::string m = error_of(check_plates, &c);
    EXPECT_TRUE(contains(m, "'TriM' of 'geom'") && contains(m, "basis function 4") &&
                contains(m, "1..8") && contains(m, "'PointsFCRho'"))
        << m;
  }
  // A field with fewer columns than triangles bounds the numbers instead, and says so.
  PlateCase c{good.plates, Field(7)};
  c.plates.tp[0] = 8;
  const std::string m = error_of(check_plates, &c);
  EXPECT_TRUE(contains(m, "'TriP' of 'geom'") && contains(m, "1..7") &&
              contains(m, "argument 'E' has 7 columns"))
      << m;
  for (double bad : {0.0, 4.0, 0.99}) {
    c = good;
    c.plates.vp[2] = bad;
    const std::string mv = error_of(check_plates, &c);
    EXPECT_TRUE(contains(mv, "'VerP' of 'geom'") && contains(mv, "basis function 3") &&
                contains(mv, "1..3"))
        << mv;
    c = good;
    c.plates.vm[0] = bad;
    EXPECT_TRUE(contains(error_of(check_plates, &c), "'VerM' of 'geom'"));
  }
  c = good;  // truncated toward zero
  c.plates.vp[0] = 3.7;
  c.plates.tp[0] = 8.5;
  EXPECT_NO_THROW(check_plates(&c));
}

}  // namespace
