// seam_pairs(P, Faces, coeff, weights, order): near-pair table of the faces of a tetrahedral
// mesh (static scalar integral of 1/R).
#include "pair_tables.hpp"
#include "table_gateway.hpp"

namespace {

constexpr const char* kUsage = "qpair.DLL requires 5 inputs: P, Faces, coeff, weights, order";

void seam_pairs(mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 5) host::usage(kUsage);
  mom::tables::SeamInput in;
  in.points = mom::tables::real_argument(prhs[0], "P");
  in.faces = mom::tables::real_argument(prhs[1], "Faces");
  in.coeff = mom::tables::real_argument(prhs[2], "coeff");
  in.weights = mom::tables::real_argument(prhs[3], "weights");
  in.k = host::scalar(prhs[4], "argument 'order'");

  const mom::tables::SeamSetup setup = mom::tables::prepare_seam_table(in);
  host::set_result(plhs, 0,
                   mom::tables::scalar_pair_record(setup, mom::tables::fill_seam_table, "coeff"));
}

}  // namespace

MOM_MEX_ENTRY void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  host::run("seam_pairs", [&] { seam_pairs(plhs, nrhs, prhs); });
}
