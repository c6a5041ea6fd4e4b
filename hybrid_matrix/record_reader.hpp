// Reading the records of a hybrid_matrix call from host arrays into the plain structs of
// records.hpp. Each field is fetched by name; a missing field or one that is not a full double
// array ends the call with a message naming the field and its record.
#pragma once

#include <mex.h>

#include "records.hpp"

namespace mom::hybrid {

SurfaceRecord read_surface_record(const mxArray* geom);

// The volume record; the six triangle–volume tables (tFIS, tFJS, tFSS, TtIS, TtJS, TtRS) only
// when `with_coupling` (a surface record is present too), otherwise they may be absent.
VolumeRecord read_volume_record(const mxArray* GEOM, bool with_coupling);

// epsilon, mu and c; the per-tetrahedron Epsilon_r and tan_delta only when `with_materials`
// (a volume record is present), otherwise they may be absent.
ConstantsRecord read_constants_record(const mxArray* constants, bool with_materials);

}  // namespace mom::hybrid
