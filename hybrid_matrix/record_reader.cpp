#include "record_reader.hpp"

#include "host_arrays.hpp"

namespace mom::hybrid {

namespace {

// An index table (element, vertex-slot or unknown numbers, range-checked when converted), a
// material table (checked by the material rules) or one the assembly does not read: real.
Table table(const mxArray* record, const char* record_name, const char* field) {
  const host::Matrix m = host::field_real(record, record_name, field);
  return {m.re, m.rows, m.cols};
}

// A table of values that enter the matrix (geometry, quadrature, static integrals, contrasts):
// real and finite, checked in one pass.
Table values(const mxArray* record, const char* record_name, const char* field) {
  const host::Matrix m = host::field_finite(record, record_name, field);
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
  r.EdgeLength = values(geom, g, "EdgeLength");
  r.PointsFC = values(geom, g, "PointsFC");
  r.PointsFCRho = values(geom, g, "PointsFCRho");
  r.OrderM = host::field_count(geom, g, "OrderM");
  r.PointsM = values(geom, g, "PointsM");
  r.PointsMRho = values(geom, g, "PointsMRho");
  r.WM = values(geom, g, "WM");
  r.ttIS = table(geom, g, "ttIS");
  r.ttJS = table(geom, g, "ttJS");
  r.ttSS = values(geom, g, "ttSS");
  r.ttRS = values(geom, g, "ttRS");
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
  r.BasisTC = values(GEOM, g, "BasisTC");
  r.BasisTCn = values(GEOM, g, "BasisTCn");
  r.VolumeT = values(GEOM, g, "VolumeT");
  r.CenterT = values(GEOM, g, "CenterT");
  r.Contrast_real = values(GEOM, g, "Contrast_real");
  r.Contrast_imag = values(GEOM, g, "Contrast_imag");
  r.EdgesFN = table(GEOM, g, "EdgesFN");
  r.EdgesFNI = table(GEOM, g, "EdgesFNI");
  r.DiffContrast_real = values(GEOM, g, "DiffContrast_real");
  r.DiffContrast_imag = values(GEOM, g, "DiffContrast_imag");
  r.CenterF = values(GEOM, g, "CenterF");
  r.PointsT = values(GEOM, g, "PointsT");
  r.WT = values(GEOM, g, "WT");
  r.PointsF = values(GEOM, g, "PointsF");
  r.WF = values(GEOM, g, "WF");
  r.TTIS = table(GEOM, g, "TTIS");
  r.TTJS = table(GEOM, g, "TTJS");
  r.TTSS = values(GEOM, g, "TTSS");
  r.FFIS = table(GEOM, g, "FFIS");
  r.FFJS = table(GEOM, g, "FFJS");
  r.FFSS = values(GEOM, g, "FFSS");
  r.has_coupling = with_coupling;
  if (with_coupling) {
    r.tFIS = table(GEOM, g, "tFIS");
    r.tFJS = table(GEOM, g, "tFJS");
    r.tFSS = values(GEOM, g, "tFSS");
    r.TtIS = table(GEOM, g, "TtIS");
    r.TtJS = table(GEOM, g, "TtJS");
    r.TtRS = values(GEOM, g, "TtRS");
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
