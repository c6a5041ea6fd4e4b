#include "record_reader.hpp"

#include "host_arrays.hpp"
#include "record_fields.hpp"

namespace mom::hybrid {

namespace {

// A host struct as a source of named fields (record_fields.hpp).
struct HostRecord {
  const mxArray* record;
  const char* name;
  std::size_t count(const char* field) const { return host::field_count(record, name, field); }
  double scalar(const char* field) const { return host::field_scalar(record, name, field); }
  Table table(const char* field) const {
    const host::Matrix m = host::field_real(record, name, field);  // complex: badType
    return {m.re, m.rows, m.cols};
  }
};

}  // namespace

SurfaceRecord read_surface_record(const mxArray* geom) {
  return read_surface_fields(HostRecord{geom, "geom"});
}

VolumeRecord read_volume_record(const mxArray* GEOM, bool with_coupling) {
  return read_volume_fields(HostRecord{GEOM, "GEOM"}, with_coupling);
}

ConstantsRecord read_constants_record(const mxArray* constants, bool with_materials) {
  return read_constants_fields(HostRecord{constants, "const"}, with_materials);
}

}  // namespace mom::hybrid
