// The host binding: the only code that calls the MEX API (mx*/mex*).
//
// A gateway (the mexFunction of a module) reads and checks its arguments through these
// functions, calls a host-free core, and builds its results here. Everything runs inside
// host::run(), which is the one boundary between C++ exceptions and the host's error exit:
//
//   MOM_MEX_ENTRY void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
//     host::run("dense_system", [&] { ... });
//   }
//
// Long loops in the cores call mom::poll_interrupt() (common/interrupt.hpp); inside host::run
// that lets a pending Ctrl-C end the call the way the host ends any interrupted command.
//
// Any mom::Error thrown inside becomes the host error "<module>:<mnemonic>" with its message;
// std::bad_alloc becomes "<module>:outOfMemory". No exception ever escapes into the host (that
// would abort the whole session), and the host's error exit is raised only after every C++
// frame of the call has been unwound, so working memory owned by RAII types is released.
//
// Views returned here point into host-owned arrays: they are valid for the duration of the call
// and must not be written.
#pragma once

#include <mex.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "errors.hpp"
#include "indices.hpp"

#define MOM_MEX_ENTRY extern "C" __attribute__((visibility("default")))

namespace host {

// The fixed usage message of a module: ends the call with exactly this text.
class UsageError : public mom::Error {
 public:
  explicit UsageError(const std::string& message) : mom::Error("usage", message) {}
};
[[noreturn]] void usage(const char* message);

// Read-only view of a double host matrix (column-major; element (i, j) at i + rows·j).
struct Matrix {
  const double* re = nullptr;
  const double* im = nullptr;  // null when the array has no imaginary plane
  std::size_t rows = 0;
  std::size_t cols = 0;
  std::size_t size() const { return rows * cols; }
  bool empty() const { return size() == 0; }
  bool is_complex() const { return im != nullptr; }
};

// --- Arguments --------------------------------------------------------------------------------

bool is_empty(const mxArray* a);

// Argument k (0-based) of a call with nrhs arguments, or null when the call has fewer: the
// readers below turn null into "missingArgument", so a gateway never reads past prhs.
const mxArray* argument(int nrhs, const mxArray* prhs[], int k);

// A double, non-sparse array (real or complex); anything else ends the call naming `what`,
// e.g. "argument 'Z'" or "field 'TriP' of 'geom'".
Matrix matrix(const mxArray* a, const std::string& what);

// As matrix(), for data that must be real (index tables, coordinates, weights, real parts):
// an array with an imaginary plane ends the call ("badType", "<what> must be real").
Matrix real_matrix(const mxArray* a, const std::string& what);

// Checks every value (both planes of a complex array) in one pass: a NaN or ±Inf ends the call
// ("badValue") naming `what` and the first such position (1-based, column-major).
void require_finite(const Matrix& m, const std::string& what);

// The first element as a double. An empty, non-numeric or complex array ends the call.
double scalar(const mxArray* a, const std::string& what);

// The first real element truncated toward zero (2.9 → 2, −0.5 → 0). NaN or a value outside
// the 64-bit range ends the call.
std::int64_t integer(const mxArray* a, const std::string& what);

// --- Records (1-by-1 structs; fields are read from element 0) -------------------------------

// The named field of element 0 of `record`. A missing field, or an argument that is not a
// struct, ends the call with a message naming both.
const mxArray* field(const mxArray* record, const char* record_name, const char* field_name);
bool has_field(const mxArray* record, const char* field_name);
bool is_struct(const mxArray* a);
// The field names of a struct (empty for anything else), in the struct's order.
std::vector<std::string> field_names(const mxArray* record);

Matrix field_matrix(const mxArray* record, const char* record_name, const char* field_name);
// The field through real_matrix().
Matrix field_real(const mxArray* record, const char* record_name, const char* field_name);
double field_scalar(const mxArray* record, const char* record_name, const char* field_name);
// A count field (e.g. "TrianglesTotal"): truncated toward zero, must be ≥ 0.
std::size_t field_count(const mxArray* record, const char* record_name, const char* field_name);

// "field 'NAME' of 'RECORD'", the wording used in every message about a record field.
std::string field_label(const char* record_name, const char* field_name);

// Checks that a field holds at least `needed` values; ends the call naming the field otherwise.
void require_values(const Matrix& m, std::size_t needed, const std::string& what);
// Checks rows ≥ `rows` and cols ≥ `cols`.
void require_shape(const Matrix& m, std::size_t rows, std::size_t cols, const std::string& what);

// --- Results ------------------------------------------------------------------------------

struct ArrayDeleter {
  void operator()(mxArray* a) const;
};
// A host array owned by the call until it is placed in a result slot or a struct field.
using Array = std::unique_ptr<mxArray, ArrayDeleter>;

struct RealResult {
  Array array;
  double* re;
};
struct ComplexResult {
  Array array;
  double* re;
  double* im;
};

// Zero-filled double matrices. Sizes are checked against the available memory first; a request
// that cannot be met, or a host allocation that fails, ends the call with "outOfMemory" naming
// `what`, which should say what the result is and which argument or field sized it, e.g.
// "the excitation vector (one value per 'EdgesTotal' of 'GEOM')".
RealResult make_real(std::size_t rows, std::size_t cols, const std::string& what = "the result");
ComplexResult make_complex(std::size_t rows, std::size_t cols,
                           const std::string& what = "the result");
Array make_scalar(double value);

// A 1-by-1 struct with the given fields, in that order, all initially empty ([]).
class StructResult {
 public:
  explicit StructResult(std::initializer_list<const char*> fields);
  void set(const char* field, Array value);  // the struct takes ownership
  Array release() { return std::move(array_); }

 private:
  Array array_;
};

// Places `value` in result slot `slot` (0-based), handing ownership to the host.
void set_result(mxArray* plhs[], int slot, Array value);

// --- Messages -----------------------------------------------------------------------------

// A host warning with identifier "<module>:<mnemonic>", so users can silence it with
// warning('off', id). Must be called from the main thread.
void warning(const char* mnemonic, const std::string& message);

// The module name of the running call ("dense_system"), for identifiers.
const char* module_name();

// --- The boundary -------------------------------------------------------------------------

namespace detail {
struct Failure {
  char id[128];
  char message[2048];
  // The host's own exception (a Ctrl-C delivered through the interrupt hook), passed on as is.
  std::exception_ptr host_exception;
};
// Runs body inside try/catch; fills `failure` and returns false when it threw.
bool guarded(const char* module, void (*body)(void*), void* context, Failure& failure) noexcept;
void raise(const Failure& failure);  // the host's error exit; does not return
}  // namespace detail

template <class Body>
void run(const char* module, Body&& body) {
  using Callable = std::remove_reference_t<Body>;
  detail::Failure failure;
  auto call = [](void* context) { (*static_cast<Callable*>(context))(); };
  if (!detail::guarded(module, call, static_cast<void*>(&body), failure)) {
    if (failure.host_exception) std::rethrow_exception(failure.host_exception);
    detail::raise(failure);
  }
}

}  // namespace host
