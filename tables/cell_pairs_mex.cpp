// cell_pairs(P, T, coeffT, weightsT, Radius): near-pair table of a tetrahedral mesh (mean of the
// static kernel 1/R over each pair of near tetrahedra).
#include "cell_tables.hpp"
#include "table_gateway.hpp"

namespace {

constexpr const char* kUsage = "qcell.DLL requires the inputs: P, T ,coeffT, weightsT, Radius";

void cell_pairs(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 5) host::usage(kUsage);
  mom::tables::CellInput in;
  in.points = mom::tables::real_argument(prhs[0], "P");
  in.tetrahedra = mom::tables::real_argument(prhs[1], "T");
  in.coeff = mom::tables::real_argument(prhs[2], "coeffT");
  in.weights = mom::tables::real_argument(prhs[3], "weightsT");
  in.k = host::scalar(prhs[4], "argument 'Radius'");

  const mom::tables::CellSetup setup = mom::tables::prepare_cell_table(in);
  host::set_result(plhs, 0,
                   mom::tables::scalar_pair_record(setup, mom::tables::fill_cell_table, "coeffT"));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("cell_pairs", [&] { cell_pairs(plhs, nrhs, prhs); });
}
