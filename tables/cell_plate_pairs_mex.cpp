// cell_plate_pairs(Pt, PT, t, T, coeff, weights, order): near-pair table between the triangles of
// a metal surface and the tetrahedra of a dielectric mesh (vertex moments of the static kernel).
#include "cell_tables.hpp"
#include "table_gateway.hpp"

namespace {

constexpr const char* kUsage =
    "qcell.DLL requires the inputs: Pt, PT ,t , T, coeff, weights, order";

void cell_plate_pairs(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 7) host::usage(kUsage);
  mom::tables::CellPlateInput in;
  in.plate_points = mom::tables::real_argument(prhs[0], "Pt");
  in.cell_points = mom::tables::real_argument(prhs[1], "PT");
  in.triangles = mom::tables::real_argument(prhs[2], "t");
  in.tetrahedra = mom::tables::real_argument(prhs[3], "T");
  in.coeff = mom::tables::real_argument(prhs[4], "coeff");
  const mom::tables::Table weights = mom::tables::real_argument(prhs[5], "weights");
  in.weights = weights.data;
  in.weight_count = weights.rows * weights.cols;
  in.k = host::scalar(prhs[6], "argument 'order'");

  const mom::tables::CellPlateSetup setup = mom::tables::prepare_cell_plate_table(in);
  host::RealResult rs = host::make_real(1, 9 * setup.pairs.size());
  mom::tables::fill_cell_plate_table(setup, rs.re);
  mom::tables::require_finite_table(rs.re, 9 * setup.pairs.size(), "RS", "coeff");

  host::StructResult result({"IS", "JS", "RS"});
  mom::tables::set_pair_indices(result, setup.pairs);
  result.set("RS", std::move(rs.array));
  host::set_result(plhs, 0, result.release());
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("cell_plate_pairs", [&] { cell_plate_pairs(plhs, nrhs, prhs); });
}
