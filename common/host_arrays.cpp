#include "host_arrays.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "finite.hpp"
#include "interrupt.hpp"
#include "memory.hpp"

namespace host {

namespace {
const char* g_module = "mom";
}

const char* module_name() { return g_module; }

[[noreturn]] void usage(const char* message) { throw UsageError(message); }

// --- Arguments ------------------------------------------------------------------------------

bool is_empty(const mxArray* a) { return a == nullptr || mxIsEmpty(a); }

const mxArray* argument(int nrhs, const mxArray* prhs[], int k) {
  return (k >= 0 && k < nrhs) ? prhs[k] : nullptr;
}

Matrix matrix(const mxArray* a, const std::string& what) {
  if (a == nullptr) mom::fail("missingArgument", what + " is missing");
  if (!mxIsDouble(a) || mxIsSparse(a)) {
    mom::fail("badType", what + " must be a full double array, not " +
                             std::string(mxIsSparse(a) ? "sparse " : "") + mxGetClassName(a));
  }
  Matrix m;
  m.rows = static_cast<std::size_t>(mxGetM(a));
  m.cols = static_cast<std::size_t>(mxGetN(a));
  if (m.rows * m.cols != static_cast<std::size_t>(mxGetNumberOfElements(a))) {
    // An N-d array: view it as rows x (product of the other dimensions), as the host does.
    m.cols = m.rows ? static_cast<std::size_t>(mxGetNumberOfElements(a)) / m.rows : 0;
  }
  m.re = mxGetPr(a);
  m.im = mxIsComplex(a) ? mxGetPi(a) : nullptr;
  return m;
}

Matrix real_matrix(const mxArray* a, const std::string& what) {
  const Matrix m = matrix(a, what);
  if (m.is_complex()) mom::fail("badType", what + " must be real");
  return m;
}

void require_finite(const Matrix& m, const std::string& what) {
  mom::require_finite_rows(m.re, m.rows, m.rows, m.cols, what);
  if (m.im != nullptr)
    mom::require_finite_rows(m.im, m.rows, m.rows, m.cols, what + " (imaginary part)");
}

double scalar(const mxArray* a, const std::string& what) {
  if (a == nullptr) mom::fail("missingArgument", what + " is missing");
  if (mxIsEmpty(a)) mom::fail("badScalar", what + " must be a scalar, not empty");
  if (!mxIsNumeric(a) && !mxIsLogical(a)) {
    mom::fail("badScalar", what + " must be numeric, not " + std::string(mxGetClassName(a)));
  }
  if (mxIsComplex(a)) mom::fail("badType", what + " must be real");
  return mxGetScalar(a);
}

std::int64_t integer(const mxArray* a, const std::string& what) {
  const double v = scalar(a, what);
  std::int64_t t = 0;
  if (!mom::truncate_to_int64(v, t)) {
    mom::fail("badScalar",
              what + " must be a finite integer value, not " + mom::format_index_value(v));
  }
  return t;
}

// --- Records --------------------------------------------------------------------------------

std::string field_label(const char* record_name, const char* field_name) {
  return "field '" + std::string(field_name) + "' of '" + record_name + "'";
}

const mxArray* field(const mxArray* record, const char* record_name, const char* field_name) {
  if (record == nullptr || !mxIsStruct(record)) {
    mom::fail("badRecord", "'" + std::string(record_name) + "' must be a struct");
  }
  if (mxGetNumberOfElements(record) < 1) {
    mom::fail("badRecord", "'" + std::string(record_name) + "' is an empty struct array");
  }
  const mxArray* f = mxGetField(record, 0, field_name);
  if (f == nullptr) {
    mom::fail("missingField",
              "'" + std::string(record_name) + "' has no field '" + field_name + "'");
  }
  return f;
}

bool has_field(const mxArray* record, const char* field_name) {
  return record != nullptr && mxIsStruct(record) && mxGetNumberOfElements(record) >= 1 &&
         mxGetFieldNumber(record, field_name) >= 0;
}

bool is_struct(const mxArray* a) { return a != nullptr && mxIsStruct(a); }

std::vector<std::string> field_names(const mxArray* record) {
  std::vector<std::string> names;
  if (record == nullptr || !mxIsStruct(record)) return names;
  const int count = mxGetNumberOfFields(record);
  for (int i = 0; i < count; ++i) names.emplace_back(mxGetFieldNameByNumber(record, i));
  return names;
}

Matrix field_matrix(const mxArray* record, const char* record_name, const char* field_name) {
  return matrix(field(record, record_name, field_name), field_label(record_name, field_name));
}

Matrix field_real(const mxArray* record, const char* record_name, const char* field_name) {
  return real_matrix(field(record, record_name, field_name), field_label(record_name, field_name));
}

double field_scalar(const mxArray* record, const char* record_name, const char* field_name) {
  return scalar(field(record, record_name, field_name), field_label(record_name, field_name));
}

std::size_t field_count(const mxArray* record, const char* record_name, const char* field_name) {
  const std::string what = field_label(record_name, field_name);
  const std::int64_t n = integer(field(record, record_name, field_name), what);
  if (n < 0) mom::fail("badCount", what + " must not be negative, not " + std::to_string(n));
  return static_cast<std::size_t>(n);
}

void require_values(const Matrix& m, std::size_t needed, const std::string& what) {
  if (m.size() < needed) {
    mom::fail("badSize", what + " has " + std::to_string(m.size()) + " values, at least " +
                             std::to_string(needed) + " needed");
  }
}

void require_shape(const Matrix& m, std::size_t rows, std::size_t cols, const std::string& what) {
  if (m.rows < rows || m.cols < cols) {
    mom::fail("badSize", what + " is " + std::to_string(m.rows) + " x " + std::to_string(m.cols) +
                             ", at least " + std::to_string(rows) + " x " + std::to_string(cols) +
                             " needed");
  }
}

// --- Results --------------------------------------------------------------------------------

void ArrayDeleter::operator()(mxArray* a) const { mxDestroyArray(a); }

namespace {

mxArray* create_matrix(std::size_t rows, std::size_t cols, bool complex, const std::string& what) {
  const std::size_t planes = complex ? 2 : 1;
  const char* w = what.c_str();
  const std::size_t bytes = mom::checked_mul(mom::checked_mul(rows, cols, w), 8 * planes, w);
  // The host copies a result into its own storage when the call returns (Octave interleaves
  // the planes of a complex one), so both must fit at once.
  mom::ensure_memory(mom::checked_mul(bytes, 2, w), (what + " and the host's copy of it").c_str());
  mxArray* a = nullptr;
  try {
    a = mxCreateDoubleMatrix(static_cast<mwSize>(rows), static_cast<mwSize>(cols),
                             complex ? mxCOMPLEX : mxREAL);
  } catch (...) {
    // The host ends a failed allocation with its own error (Octave: "failed to allocate ...").
    a = nullptr;
  }
  if (a == nullptr) {
    throw mom::OutOfMemory("not enough memory for " + what + ": " + mom::format_bytes(bytes) +
                           " requested");
  }
  return a;
}

}  // namespace

RealResult make_real(std::size_t rows, std::size_t cols, const std::string& what) {
  RealResult r{Array(create_matrix(rows, cols, false, what)), nullptr};
  r.re = mxGetPr(r.array.get());
  return r;
}

ComplexResult make_complex(std::size_t rows, std::size_t cols, const std::string& what) {
  ComplexResult r{Array(create_matrix(rows, cols, true, what)), nullptr, nullptr};
  r.re = mxGetPr(r.array.get());
  r.im = mxGetPi(r.array.get());
  return r;
}

Array make_scalar(double value) {
  RealResult r = make_real(1, 1);
  r.re[0] = value;
  return std::move(r.array);
}

StructResult::StructResult(std::initializer_list<const char*> fields) {
  std::vector<const char*> names(fields);
  array_.reset(mxCreateStructMatrix(1, 1, static_cast<int>(names.size()), names.data()));
  if (!array_) throw mom::OutOfMemory("not enough memory for the result struct");
}

void StructResult::set(const char* field, Array value) {
  mxSetField(array_.get(), 0, field, value.release());
}

void set_result(mxArray* plhs[], int slot, Array value) { plhs[slot] = value.release(); }

// --- Messages -------------------------------------------------------------------------------

void warning(const char* mnemonic, const std::string& message) {
  const std::string id = std::string(g_module) + ":" + mnemonic;
  mexWarnMsgIdAndTxt(id.c_str(), "%s", message.c_str());
}

// --- The boundary ---------------------------------------------------------------------------

namespace detail {

namespace {
void fill(Failure& f, const char* module, const char* mnemonic, const char* message) {
  std::snprintf(f.id, sizeof f.id, "%s:%s", module, mnemonic);
  std::snprintf(f.message, sizeof f.message, "%s", message);
}

// Set while the host runs inside the interrupt hook: an exception seen then is the host's own.
bool g_in_host = false;

void host_interrupt_hook() {
  g_in_host = true;
  mexEvalString("");  // delivers a pending interrupt by throwing the host's exception
  g_in_host = false;
}

// Installs the interrupt hook for the duration of one call.
struct InterruptScope {
  mom::InterruptHook previous;
  InterruptScope() : previous(mom::set_interrupt_hook(&host_interrupt_hook)) { g_in_host = false; }
  ~InterruptScope() {
    mom::set_interrupt_hook(previous);
    g_in_host = false;
  }
};

// Turns the exception in flight into an identifier and a message.
void classify(Failure& failure, const char* module) noexcept {
  try {
    throw;
  } catch (const mom::Error& e) {
    fill(failure, module, e.mnemonic().c_str(), e.what());
  } catch (const std::bad_alloc&) {
    fill(failure, module, "outOfMemory", "not enough memory to complete the call");
  } catch (const std::exception& e) {
    fill(failure, module, "internal", e.what());
  } catch (...) {
    // Other host exceptions (a failed host allocation) end up here.
    fill(failure, module, "hostError", "the call was ended by the host");
  }
}

}  // namespace

bool guarded(const char* module, void (*body)(void*), void* context, Failure& failure) noexcept {
  g_module = module;
  failure.host_exception = nullptr;
  InterruptScope interrupt_scope;
  try {
    body(context);
    return true;
  } catch (...) {
    if (g_in_host) {
      // The host's own exception, thrown to deliver an interrupt: passed on unchanged.
      failure.host_exception = std::current_exception();
      return false;
    }
    classify(failure, module);
  }
  return false;
}

void raise(const Failure& failure) { mexErrMsgIdAndTxt(failure.id, "%s", failure.message); }

}  // namespace detail

}  // namespace host
