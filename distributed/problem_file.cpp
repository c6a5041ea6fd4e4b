#include "problem_file.hpp"

#include <matio.h>
#include <unistd.h>

#include <cstdio>
#include <map>

#include "errors.hpp"
#include "indices.hpp"
#include "record_fields.hpp"

namespace mom::distributed {

namespace {

std::string class_name(const matvar_t* v) {
  if (v->isLogical) return "logical";
  switch (v->class_type) {
    case MAT_C_DOUBLE:
      return "double";
    case MAT_C_SINGLE:
      return "single";
    case MAT_C_INT8:
      return "int8";
    case MAT_C_UINT8:
      return "uint8";
    case MAT_C_INT16:
      return "int16";
    case MAT_C_UINT16:
      return "uint16";
    case MAT_C_INT32:
      return "int32";
    case MAT_C_UINT32:
      return "uint32";
    case MAT_C_INT64:
      return "int64";
    case MAT_C_UINT64:
      return "uint64";
    case MAT_C_CHAR:
      return "char";
    case MAT_C_STRUCT:
      return "struct";
    case MAT_C_CELL:
      return "cell";
    case MAT_C_SPARSE:
      return "sparse";
    case MAT_C_FUNCTION:
      return "function_handle";
    case MAT_C_OBJECT:
      return "object";
    default:
      return "unknown";
  }
}

std::size_t elements(const matvar_t* v) {
  std::size_t n = 1;
  for (int d = 0; d < v->rank; ++d) n *= v->dims[d];
  return n;
}

bool is_empty(const matvar_t* v) { return v == nullptr || elements(v) == 0; }

// The real values of a numeric variable (first element converted to double).
double first_value(const matvar_t* v) {
  const void* data = v->isComplex ? static_cast<const mat_complex_split_t*>(v->data)->Re : v->data;
  switch (v->class_type) {
    case MAT_C_DOUBLE:
      return *static_cast<const double*>(data);
    case MAT_C_SINGLE:
      return *static_cast<const float*>(data);
    case MAT_C_INT8:
      return *static_cast<const std::int8_t*>(data);
    case MAT_C_UINT8:
      return *static_cast<const std::uint8_t*>(data);
    case MAT_C_INT16:
      return *static_cast<const std::int16_t*>(data);
    case MAT_C_UINT16:
      return *static_cast<const std::uint16_t*>(data);
    case MAT_C_INT32:
      return *static_cast<const std::int32_t*>(data);
    case MAT_C_UINT32:
      return *static_cast<const std::uint32_t*>(data);
    case MAT_C_INT64:
      return static_cast<double>(*static_cast<const std::int64_t*>(data));
    case MAT_C_UINT64:
      return static_cast<double>(*static_cast<const std::uint64_t*>(data));
    default:
      return 0.0;
  }
}

bool numeric(const matvar_t* v) {
  return v->class_type >= MAT_C_DOUBLE && v->class_type <= MAT_C_UINT64 && v->data != nullptr;
}

double scalar_of(const matvar_t* v, const std::string& what) {
  if (is_empty(v)) fail("badScalar", what + " must be a scalar, not empty");
  if (!numeric(v)) fail("badScalar", what + " must be numeric, not " + class_name(v));
  if (v->isComplex) fail("badType", what + " must be real");
  return first_value(v);
}

std::int64_t integer_of(const matvar_t* v, const std::string& what) {
  const double x = scalar_of(v, what);
  std::int64_t t = 0;
  if (!truncate_to_int64(x, t)) {
    fail("badScalar", what + " must be a finite integer value, not " + format_index_value(x));
  }
  return t;
}

struct Matrix {
  const double* re = nullptr;
  const double* im = nullptr;
  std::size_t rows = 0, cols = 0;
};

Matrix matrix_of(const matvar_t* v, const std::string& what) {
  if (v->class_type != MAT_C_DOUBLE || v->isLogical) {
    fail("badType", what + " must be a full double array, not " + class_name(v));
  }
  Matrix m;
  m.rows = v->rank > 0 ? v->dims[0] : 0;
  const std::size_t n = elements(v);
  m.cols = m.rows ? n / m.rows : 0;
  if (n == 0) return m;
  if (v->isComplex) {
    const auto* split = static_cast<const mat_complex_split_t*>(v->data);
    m.re = static_cast<const double*>(split->Re);
    m.im = static_cast<const double*>(split->Im);
  } else {
    m.re = static_cast<const double*>(v->data);
  }
  return m;
}

std::string field_label(const char* record, const char* field) {
  return "field '" + std::string(field) + "' of '" + record + "'";
}

// A struct variable of the file as a source of named fields (record_fields.hpp).
struct FileRecord {
  matvar_t* record;
  const char* name;

  matvar_t* field(const char* f) const {
    if (record->class_type != MAT_C_STRUCT) {
      fail("badRecord", "'" + std::string(name) + "' must be a struct");
    }
    if (elements(record) < 1) {
      fail("badRecord", "'" + std::string(name) + "' is an empty struct array");
    }
    matvar_t* v = Mat_VarGetStructFieldByName(record, f, 0);
    if (v == nullptr) {
      fail("missingField", "'" + std::string(name) + "' has no field '" + f + "'");
    }
    return v;
  }
  std::size_t count(const char* f) const {
    const std::int64_t n = integer_of(field(f), field_label(name, f));
    if (n < 0) {
      fail("badCount", field_label(name, f) + " must not be negative, not " + std::to_string(n));
    }
    return static_cast<std::size_t>(n);
  }
  double scalar(const char* f) const { return scalar_of(field(f), field_label(name, f)); }
  hybrid::Table table(const char* f) const {
    const Matrix m = matrix_of(field(f), field_label(name, f));
    if (m.im != nullptr) fail("badType", field_label(name, f) + " must be real");
    return {m.re, m.rows, m.cols};
  }
};

}  // namespace

struct ProblemFile::Variables {
  std::map<std::string, matvar_t*> v;
  ~Variables() {
    for (auto& [name, var] : v) Mat_VarFree(var);
  }
  matvar_t* get(const char* name) const {
    const auto it = v.find(name);
    return it == v.end() ? nullptr : it->second;
  }
};

ProblemFile::ProblemFile(const std::string& path) : vars_(std::make_unique<Variables>()) {
  mat_t* mat = Mat_Open(path.c_str(), MAT_ACC_RDONLY);
  if (mat == nullptr) {
    fail("badFile",
         "cannot read the problem file '" + path + "' (missing, unreadable or not a MAT file)");
  }
  for (const char* name : {"geom", "GEOM", "const", "omega_re", "omega_im", "flag", "V"}) {
    matvar_t* var = Mat_VarRead(mat, name);
    if (var != nullptr) vars_->v[name] = var;
  }
  Mat_Close(mat);
  const auto required = [&](const char* name) {
    matvar_t* var = vars_->get(name);
    if (var == nullptr) {
      fail("missingArgument",
           "variable '" + std::string(name) + "' is missing from the problem file '" + path + "'");
    }
    return var;
  };
  matvar_t* geom = required("geom");
  matvar_t* GEOM = required("GEOM");
  required("const");
  omega_re = scalar_of(required("omega_re"), "argument 'omega_re'");
  omega_im = scalar_of(required("omega_im"), "argument 'omega_im'");
  flag = integer_of(required("flag"), "argument 'flag'");
  metal_ = !is_empty(geom);
  dielectric_ = !is_empty(GEOM);
  if (const matvar_t* v = vars_->get("V")) {
    const Matrix m = matrix_of(v, "argument 'V'");
    has_v = true;
    v_re = m.re;
    v_im = m.im;
    v_count = m.rows * m.cols;
  }
}

ProblemFile::~ProblemFile() = default;

hybrid::SurfaceRecord ProblemFile::surface() const {
  return hybrid::read_surface_fields(FileRecord{vars_->get("geom"), "geom"});
}

hybrid::VolumeRecord ProblemFile::volume() const {
  return hybrid::read_volume_fields(FileRecord{vars_->get("GEOM"), "GEOM"}, metal_);
}

hybrid::ConstantsRecord ProblemFile::constants() const {
  return hybrid::read_constants_fields(FileRecord{vars_->get("const"), "const"}, dielectric_);
}

namespace {

// A real rows × cols matrix (copied, owned by matio).
matvar_t* real_matrix(const char* name, const double* values, std::size_t rows, std::size_t cols) {
  size_t dims[2] = {rows, cols};
  return Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, const_cast<double*>(values), 0);
}

matvar_t* struct_of(const char* name, const std::vector<std::pair<const char*, matvar_t*>>& f) {
  std::vector<const char*> names;
  for (const auto& [n, v] : f) names.push_back(n);
  size_t dims[2] = {1, 1};
  matvar_t* s =
      Mat_VarCreateStruct(name, 2, dims, names.data(), static_cast<unsigned>(names.size()));
  if (s == nullptr) return nullptr;
  for (const auto& [n, v] : f) Mat_VarSetStructFieldByName(s, n, 0, v);
  return s;
}

}  // namespace

void write_report(const std::string& path, const RunReport& r) {
  const std::string temp = path + ".part" + std::to_string(static_cast<long>(getpid()));
  mat_t* mat = Mat_CreateVer(temp.c_str(), nullptr, MAT_FT_MAT5);
  if (mat == nullptr) fail("writeFailed", "cannot create the result file '" + temp + "'");
  bool ok = true;
  const auto write = [&](matvar_t* v) {
    if (v == nullptr || Mat_VarWrite(mat, v, MAT_COMPRESSION_NONE) != 0) ok = false;
    if (v) Mat_VarFree(v);
  };
  const std::size_t count = r.result_re.size();
  if (r.complex_result) {
    mat_complex_split_t split{const_cast<double*>(r.result_re.data()),
                              const_cast<double*>(r.result_im.data())};
    size_t dims[2] = {count, 1};
    write(Mat_VarCreate("result", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, &split, MAT_F_COMPLEX));
  } else {
    write(real_matrix("result", r.result_re.data(), count, count ? 1 : 0));
  }
  const double info = static_cast<double>(r.info);
  write(real_matrix("info", &info, 1, 1));
  const double grid[2] = {static_cast<double>(r.grid_rows), static_cast<double>(r.grid_cols)};
  write(real_matrix("grid", grid, 1, 2));
  const double nb = static_cast<double>(r.block_size);
  write(real_matrix("block_size", &nb, 1, 1));
  const double order = static_cast<double>(r.order);
  write(real_matrix("order", &order, 1, 1));
  const std::size_t ranks = r.fill_per_rank.size();
  write(struct_of(
      "timings",
      {{"read", real_matrix("read", &r.read, 1, 1)},
       {"fill", real_matrix("fill", &r.fill, 1, 1)},
       {"factor", real_matrix("factor", &r.factor, 1, 1)},
       {"solve", real_matrix("solve", &r.solve, 1, 1)},
       {"total", real_matrix("total", &r.total, 1, 1)},
       {"fill_per_rank", real_matrix("fill_per_rank", r.fill_per_rank.data(), 1, ranks)},
       {"fill_cpu_per_rank",
        real_matrix("fill_cpu_per_rank", r.fill_cpu_per_rank.data(), 1, ranks)},
       {"factor_cpu_per_rank", real_matrix("factor_cpu_per_rank", r.factor_cpu_per_rank.data(), 1,
                                           r.factor_cpu_per_rank.size())}}));
  write(struct_of(
      "memory",
      {{"matrix_per_rank",
        real_matrix("matrix_per_rank", r.matrix_bytes_per_rank.data(), 1, ranks)},
       {"peak_per_rank", real_matrix("peak_per_rank", r.peak_bytes_per_rank.data(), 1, ranks)}}));
  Mat_Close(mat);
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    fail("writeFailed", "cannot write the result file '" + path + "'");
  }
}

}  // namespace mom::distributed
