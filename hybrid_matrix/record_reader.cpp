#include "record_reader.hpp"

#include "host_arrays.hpp"

namespace mom::hybrid {

namespace {

Table table(const mxArray* record, const char* record_name, const char* field) {
  const host::Matrix m = host::field_matrix(record, record_name, field);
  return {m.re, m.rows, m.cols};
}

}  // namespace

SurfaceRecord read_surface_record(const mxArray* geom) {
  const char* g = "geom";
  SurfaceRecord r;
  r.TrianglesTotal = host::field_count(geom, g, "TrianglesTotal");
  r.EdgesTotal = host::field_count(geom, g, "EdgesTotal");
  r.TriP = table(geom, g, "TriP");
  r.TriM = table(geom, g, "TriM");
  r.VerP = table(geom, g, "VerP");
  r.VerM = table(geom, g, "VerM");
  r.AreaF = table(geom, g, "AreaF");
  r.EdgeLength = table(geom, g, "EdgeLength");
  r.PointsFC = table(geom, g, "PointsFC");
  r.PointsFCRho = table(geom, g, "PointsFCRho");
  r.OrderM = host::field_count(geom, g, "OrderM");
  r.PointsM = table(geom, g, "PointsM");
  r.PointsMRho = table(geom, g, "PointsMRho");
  r.WM = table(geom, g, "WM");
  r.ttIS = table(geom, g, "ttIS");
  r.ttJS = table(geom, g, "ttJS");
  r.ttSS = table(geom, g, "ttSS");
  r.ttRS = table(geom, g, "ttRS");
  return r;
}

VolumeRecord read_volume_record(const mxArray* GEOM, bool with_coupling) {
  const char* g = "GEOM";
  VolumeRecord r;
  r.TetrahedraTotal = host::field_count(GEOM, g, "TetrahedraTotal");
  r.EdgesTotal = host::field_count(GEOM, g, "EdgesTotal");
  r.FacesNontrivial = host::field_count(GEOM, g, "FacesNontrivial");
  r.OrderT = host::field_count(GEOM, g, "OrderT");
  r.OrderF = host::field_count(GEOM, g, "OrderF");
  r.EdgesTN = table(GEOM, g, "EdgesTN");
  r.EdgesTNI = table(GEOM, g, "EdgesTNI");
  r.BasisTC = table(GEOM, g, "BasisTC");
  r.BasisTCn = table(GEOM, g, "BasisTCn");
  r.VolumeT = table(GEOM, g, "VolumeT");
  r.CenterT = table(GEOM, g, "CenterT");
  r.Contrast_real = table(GEOM, g, "Contrast_real");
  r.Contrast_imag = table(GEOM, g, "Contrast_imag");
  r.EdgesFN = table(GEOM, g, "EdgesFN");
  r.EdgesFNI = table(GEOM, g, "EdgesFNI");
  r.DiffContrast_real = table(GEOM, g, "DiffContrast_real");
  r.DiffContrast_imag = table(GEOM, g, "DiffContrast_imag");
  r.CenterF = table(GEOM, g, "CenterF");
  r.PointsT = table(GEOM, g, "PointsT");
  r.WT = table(GEOM, g, "WT");
  r.PointsF = table(GEOM, g, "PointsF");
  r.WF = table(GEOM, g, "WF");
  r.TTIS = table(GEOM, g, "TTIS");
  r.TTJS = table(GEOM, g, "TTJS");
  r.TTSS = table(GEOM, g, "TTSS");
  r.FFIS = table(GEOM, g, "FFIS");
  r.FFJS = table(GEOM, g, "FFJS");
  r.FFSS = table(GEOM, g, "FFSS");
  r.has_coupling = with_coupling;
  if (with_coupling) {
    r.tFIS = table(GEOM, g, "tFIS");
    r.tFJS = table(GEOM, g, "tFJS");
    r.tFSS = table(GEOM, g, "tFSS");
    r.TtIS = table(GEOM, g, "TtIS");
    r.TtJS = table(GEOM, g, "TtJS");
    r.TtRS = table(GEOM, g, "TtRS");
  }
  return r;
}

ConstantsRecord read_constants_record(const mxArray* constants, bool with_materials) {
  const char* k = "const";
  ConstantsRecord r;
  r.epsilon = host::field_scalar(constants, k, "epsilon");
  r.mu = host::field_scalar(constants, k, "mu");
  r.c = host::field_scalar(constants, k, "c");
  if (with_materials) {
    r.Epsilon_r = table(constants, k, "Epsilon_r");
    r.tan_delta = table(constants, k, "tan_delta");
  }
  return r;
}

}  // namespace mom::hybrid
