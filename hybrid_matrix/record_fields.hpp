// The fields of the three records of a hybrid_matrix problem, fetched by name from any source
// of named fields: the host's structs (record_reader.hpp) or a problem file. A source provides
//
//   std::size_t count(const char* field) const;  // a non-negative integer scalar
//   double scalar(const char* field) const;      // a numeric scalar
//   Table table(const char* field) const;        // a full double array
//
// and throws mom::Error naming the field and its record when the field is missing or of the
// wrong kind. Every reader of the records lists the fields here, once.
#pragma once

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
  r.EdgeLength = geom.table("EdgeLength");
  r.PointsFC = geom.table("PointsFC");
  r.PointsFCRho = geom.table("PointsFCRho");
  r.OrderM = geom.count("OrderM");
  r.PointsM = geom.table("PointsM");
  r.PointsMRho = geom.table("PointsMRho");
  r.WM = geom.table("WM");
  r.ttIS = geom.table("ttIS");
  r.ttJS = geom.table("ttJS");
  r.ttSS = geom.table("ttSS");
  r.ttRS = geom.table("ttRS");
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
  r.BasisTC = GEOM.table("BasisTC");
  r.BasisTCn = GEOM.table("BasisTCn");
  r.VolumeT = GEOM.table("VolumeT");
  r.CenterT = GEOM.table("CenterT");
  r.Contrast_real = GEOM.table("Contrast_real");
  r.Contrast_imag = GEOM.table("Contrast_imag");
  r.EdgesFN = GEOM.table("EdgesFN");
  r.EdgesFNI = GEOM.table("EdgesFNI");
  r.DiffContrast_real = GEOM.table("DiffContrast_real");
  r.DiffContrast_imag = GEOM.table("DiffContrast_imag");
  r.CenterF = GEOM.table("CenterF");
  r.PointsT = GEOM.table("PointsT");
  r.WT = GEOM.table("WT");
  r.PointsF = GEOM.table("PointsF");
  r.WF = GEOM.table("WF");
  r.TTIS = GEOM.table("TTIS");
  r.TTJS = GEOM.table("TTJS");
  r.TTSS = GEOM.table("TTSS");
  r.FFIS = GEOM.table("FFIS");
  r.FFJS = GEOM.table("FFJS");
  r.FFSS = GEOM.table("FFSS");
  r.has_coupling = with_coupling;
  if (with_coupling) {
    r.tFIS = GEOM.table("tFIS");
    r.tFJS = GEOM.table("tFJS");
    r.tFSS = GEOM.table("tFSS");
    r.TtIS = GEOM.table("TtIS");
    r.TtJS = GEOM.table("TtJS");
    r.TtRS = GEOM.table("TtRS");
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
