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

ConstantsRecord read_constants_record(const mxArray* constants) {
  const char* k = "const";
  ConstantsRecord r;
  r.epsilon = host::field_scalar(constants, k, "epsilon");
  r.mu = host::field_scalar(constants, k, "mu");
  r.c = host::field_scalar(constants, k, "c");
  return r;
}

}  // namespace mom::hybrid
