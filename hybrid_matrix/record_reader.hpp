// Reading the records of a hybrid_matrix call from host arrays into the plain structs of
// records.hpp. Each field is fetched by name; a missing field or one that is not a full double
// array ends the call with a message naming the field and its record.
#pragma once

#include <mex.h>

#include "records.hpp"

namespace mom::hybrid {

SurfaceRecord read_surface_record(const mxArray* geom);
ConstantsRecord read_constants_record(const mxArray* constants);

}  // namespace mom::hybrid
