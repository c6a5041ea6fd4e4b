// plate_pairs(P, t, coeff, weights, order): near-pair table of a metal triangle mesh (static
// scalar and vertex-moment integrals of 1/R), with the triangle areas and centroids.
#include <cstring>

#include "pair_tables.hpp"
#include "table_gateway.hpp"

namespace {

constexpr const char* kUsage = "qpair.DLL requires 5 inputs: P, t, coeff, weights, order";

void plate_pairs(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 5) host::usage(kUsage);
  mom::tables::PlateInput in;
  in.points = mom::tables::real_argument(prhs[0], "P");
  in.triangles = mom::tables::real_argument(prhs[1], "t");
  in.coeff = mom::tables::real_argument(prhs[2], "coeff");
  const mom::tables::Table weights = mom::tables::real_argument(prhs[3], "weights");
  in.weights = weights.data;
  in.weight_count = weights.rows * weights.cols;
  in.k = host::scalar(prhs[4], "argument 'order'");

  const mom::tables::PlateSetup setup = mom::tables::prepare_plate_table(in);
  const std::size_t m = setup.pairs.size();
  const std::size_t n = setup.triangles.size();

  host::RealResult ss = host::make_real(1, m);
  host::RealResult rs = host::make_real(1, 9 * m);
  mom::tables::fill_plate_table(setup, ss.re, rs.re);
  mom::tables::require_finite_table(ss.re, m, "SS", "coeff");
  mom::tables::require_finite_table(rs.re, 9 * m, "RS", "coeff");
  host::RealResult area = host::make_real(1, n);
  host::RealResult centroid = host::make_real(3, n);
  if (n > 0) {
    std::memcpy(area.re, setup.triangles.areas().data(), n * sizeof(double));
    std::memcpy(centroid.re, setup.triangles.centroids().data(), 3 * n * sizeof(double));
  }

  host::StructResult result({"IS", "JS", "SS", "RS", "AreaF", "PointsFC"});
  mom::tables::set_pair_indices(result, setup.pairs);
  result.set("SS", std::move(ss.array));
  result.set("RS", std::move(rs.array));
  result.set("AreaF", std::move(area.array));
  result.set("PointsFC", std::move(centroid.array));
  host::set_result(plhs, 0, result.release());
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("plate_pairs", [&] { plate_pairs(plhs, nrhs, prhs); });
}
