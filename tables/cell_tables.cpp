#include "cell_tables.hpp"

#include <string>

#include "errors.hpp"
#include "finite.hpp"
#include "interrupt.hpp"
#include "memory.hpp"

namespace mom::tables {

namespace {

// Nq is the number of values of the weight vector (a row or a column); coeffT needs at least 4
// rows and Nq columns.
TetraRule make_tetra_rule(const Table& coeff, const Table& weights) {
  if (weights.rows > 1 && weights.cols > 1) {
    fail("badSize",
         "argument 'weightsT' is " + shape_of(weights) + ", a row or a column of weights needed");
  }
  const std::size_t count = weights.rows * weights.cols;
  if (count > 0) {
    if (coeff.rows < 4) {
      fail("badSize", "argument 'coeffT' is " + shape_of(coeff) + ", at least 4 rows needed");
    }
    if (coeff.cols < count) {
      fail("badSize", "argument 'coeffT' has " + std::to_string(coeff.cols) +
                          " columns, at least " + std::to_string(count) +
                          " needed (one per value of 'weightsT')");
    }
    // The four rows of the first Nq columns and the Nq weights enter every table value.
    require_finite_rows(coeff.data, coeff.rows, 4, count, "argument 'coeffT'");
    require_finite_rows(weights.data, count, count, 1, "argument 'weightsT'");
  }
  return {coeff, weights.data, count};
}

}  // namespace

// --- Tetrahedron table ------------------------------------------------------------------------

CellSetup prepare_cell_table(const CellInput& in) {
  if (in.tetrahedra.cols > 0) require_rows(in.points, 3, "argument 'P'");
  TetraRule rule = make_tetra_rule(in.coeff, in.weights);
  TetraSet tets(in.points, read_vertex_numbers(in.tetrahedra, 4, in.points.cols, "argument 'T'"),
                "argument 'T'");
  std::vector<NearPair> pairs = near_pairs_within(tets.balls(), in.k);
  return {std::move(tets), rule, std::move(pairs)};
}

void fill_cell_table(const CellSetup& setup, double* ss) {
  const TetraSet& tets = setup.tetrahedra;
  const TetraRule& rule = setup.rule;
  // Pairs come sorted by i, the closed-form side: its frame is built once per run of pairs.
  TetraFrame closed{};
  std::uint32_t closed_index = 0;
  for (std::size_t p = 0; p < setup.pairs.size(); ++p) {
    if (p % kPollEvery == 0) poll_interrupt();
    const NearPair pr = setup.pairs[p];
    if (p == 0 || pr.i != closed_index) {
      Vec3 v[4];
      tets.vertices(pr.i, v);
      closed = make_tetra_frame(v[0], v[1], v[2], v[3]);
      closed_index = pr.i;
    }
    Vec3 v[4];
    tets.vertices(pr.j, v);
    double q_sum = 0.0;
    for (std::size_t q = 0; q < rule.count; ++q) {
      Vec3 r = rule.point(q, v);
      q_sum += rule.weights[q] * tetraPotential(closed, r);
    }
    ss[p] = q_sum / tets.volume(pr.i);
  }
}

ScalarTable cell_table(const CellInput& in) {
  return scalar_table(prepare_cell_table(in), fill_cell_table);
}

// --- Triangle–tetrahedron table ---------------------------------------------------------------

CellPlateSetup prepare_cell_plate_table(const CellPlateInput& in) {
  if (in.triangles.cols > 0) require_rows(in.plate_points, 3, "argument 'Pt'");
  if (in.tetrahedra.cols > 0) require_rows(in.cell_points, 3, "argument 'PT'");
  TriangleRule rule = make_triangle_rule(in.coeff, in.weights, in.weight_count);
  TriangleSet tris(in.plate_points,
                   read_vertex_numbers(in.triangles, 3, in.plate_points.cols, "argument 't'"),
                   "triangle", "argument 't'");
  TetraSet tets(in.cell_points,
                read_vertex_numbers(in.tetrahedra, 4, in.cell_points.cols, "argument 'T'"),
                "argument 'T'");
  std::vector<NearPair> pairs = near_pairs_between(tris.balls(), tets.balls(), in.k);
  return {std::move(tris), std::move(tets), rule, std::move(pairs)};
}

void fill_cell_plate_table(const CellPlateSetup& setup, double* rs) {
  const TetraSet& tets = setup.tetrahedra;
  const TriangleRule& rule = setup.rule;
  for (std::size_t p = 0; p < setup.pairs.size(); ++p) {
    if (p % kPollEvery == 0) poll_interrupt();
    const NearPair pr = setup.pairs[p];
    Vec3 W[3], v[4];
    setup.triangles.vertices(pr.i, W);
    tets.vertices(pr.j, v);
    const TetraFrame closed = make_tetra_frame(v[0], v[1], v[2], v[3]);
    Vec3 n[3] = {};
    for (std::size_t q = 0; q < rule.count; ++q) {
      Vec3 r = rule.point(q, W);
      const double wi = rule.weights[q] * tetraPotential(closed, r);  // r is shifted from here on
      for (int b = 0; b < 3; ++b) n[b] += wi * (r - W[b]);
    }
    const double vol = tets.volume(pr.j);
    double* out = rs + 9 * p;
    for (int b = 0; b < 3; ++b) {
      out[3 * b] = n[b].x / vol;
      out[3 * b + 1] = n[b].y / vol;
      out[3 * b + 2] = n[b].z / vol;
    }
  }
}

CellPlateTable cell_plate_table(const CellPlateInput& in) {
  const CellPlateSetup setup = prepare_cell_plate_table(in);
  CellPlateTable out;
  out.rs =
      make_buffer<double>(checked_mul(9, setup.pairs.size(), "the pair table"), "the pair table");
  fill_cell_plate_table(setup, out.rs.data());
  out.pairs = setup.pairs;
  return out;
}

}  // namespace mom::tables
