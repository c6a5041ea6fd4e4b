// The fields of the three records of a hybrid_matrix problem, fetched by name from any source
// of named fields: the host's structs (record_reader.hpp) or a problem file. A source provides
//
//   std::size_t count(const char* field) const;  // a non-negative integer scalar
//   double scalar(const char* field) const;      // a numeric scalar
//   Table table(const char* field) const;        // a full double array
//
// and throws mom::Error naming the field and its record when the field is missing or of the
// wrong kind. Every reader of the records lists the fields here, once. The tables of values
// that enter the matrix (geometry, quadrature, static integrals, contrasts) are checked for
// NaN and ±Inf here; index tables are range-checked when they are converted.
#pragma once

#include "record_checks.hpp"
#include "records.hpp"

namespace mom::hybrid {

template <class Source>
SurfaceRecord read_surface_fields(const Source& geom) {
  SurfaceRecord r;
  r.TrianglesTotal = geom.count("TrianglesTotal");
  r.EdgesTotal = geom.count("EdgesTotal");
  r.TriP = geom.table("TriP");
  r.TriM = geom.table("TriM");
  r.VerP = geom.table("VerP");
  r.VerM = geom.table("VerM");
  r.AreaF = geom.table("AreaF");
  r.EdgeLength = finite_values(geom.table("EdgeLength"), "EdgeLength", "geom");
  r.PointsFC = finite_values(geom.table("PointsFC"), "PointsFC", "geom");
  r.PointsFCRho = finite_values(geom.table("PointsFCRho"), "PointsFCRho", "geom");
  r.OrderM = geom.count("OrderM");
  r.PointsM = finite_values(geom.table("PointsM"), "PointsM", "geom");
  r.PointsMRho = finite_values(geom.table("PointsMRho"), "PointsMRho", "geom");
  r.WM = finite_values(geom.table("WM"), "WM", "geom");
  r.ttIS = geom.table("ttIS");
  r.ttJS = geom.table("ttJS");
  r.ttSS = finite_values(geom.table("ttSS"), "ttSS", "geom");
  r.ttRS = finite_values(geom.table("ttRS"), "ttRS", "geom");
  return r;
}

template <class Source>
VolumeRecord read_volume_fields(const Source& GEOM, bool with_coupling) {
  VolumeRecord r;
  r.TetrahedraTotal = GEOM.count("TetrahedraTotal");
  r.EdgesTotal = GEOM.count("EdgesTotal");
  r.FacesNontrivial = GEOM.count("FacesNontrivial");
  r.OrderT = GEOM.count("OrderT");
  r.OrderF = GEOM.count("OrderF");
  r.EdgesTN = GEOM.table("EdgesTN");
  r.EdgesTNI = GEOM.table("EdgesTNI");
  r.BasisTC = finite_values(GEOM.table("BasisTC"), "BasisTC", "GEOM");
  r.BasisTCn = finite_values(GEOM.table("BasisTCn"), "BasisTCn", "GEOM");
  r.VolumeT = finite_values(GEOM.table("VolumeT"), "VolumeT", "GEOM");
  r.CenterT = finite_values(GEOM.table("CenterT"), "CenterT", "GEOM");
  r.Contrast_real = finite_values(GEOM.table("Contrast_real"), "Contrast_real", "GEOM");
  r.Contrast_imag = finite_values(GEOM.table("Contrast_imag"), "Contrast_imag", "GEOM");
  r.EdgesFN = GEOM.table("EdgesFN");
  r.EdgesFNI = GEOM.table("EdgesFNI");
  r.DiffContrast_real = finite_values(GEOM.table("DiffContrast_real"), "DiffContrast_real", "GEOM");
  r.DiffContrast_imag = finite_values(GEOM.table("DiffContrast_imag"), "DiffContrast_imag", "GEOM");
  r.CenterF = finite_values(GEOM.table("CenterF"), "CenterF", "GEOM");
  r.PointsT = finite_values(GEOM.table("PointsT"), "PointsT", "GEOM");
  r.WT = finite_values(GEOM.table("WT"), "WT", "GEOM");
  r.PointsF = finite_values(GEOM.table("PointsF"), "PointsF", "GEOM");
  r.WF = finite_values(GEOM.table("WF"), "WF", "GEOM");
  r.TTIS = GEOM.table("TTIS");
  r.TTJS = GEOM.table("TTJS");
  r.TTSS = finite_values(GEOM.table("TTSS"), "TTSS", "GEOM");
  r.FFIS = GEOM.table("FFIS");
  r.FFJS = GEOM.table("FFJS");
  r.FFSS = finite_values(GEOM.table("FFSS"), "FFSS", "GEOM");
  r.has_coupling = with_coupling;
  if (with_coupling) {
    r.tFIS = GEOM.table("tFIS");
    r.tFJS = GEOM.table("tFJS");
    r.tFSS = finite_values(GEOM.table("tFSS"), "tFSS", "GEOM");
    r.TtIS = GEOM.table("TtIS");
    r.TtJS = GEOM.table("TtJS");
    r.TtRS = finite_values(GEOM.table("TtRS"), "TtRS", "GEOM");
  }
  return r;
}

template <class Source>
ConstantsRecord read_constants_fields(const Source& constants, bool with_materials) {
  ConstantsRecord r;
  r.epsilon = constants.scalar("epsilon");
  r.mu = constants.scalar("mu");
  r.c = constants.scalar("c");
  if (with_materials) {
    r.Epsilon_r = constants.table("Epsilon_r");
    r.tan_delta = constants.table("tan_delta");
  }
  return r;
}

}  // namespace mom::hybrid
