// The problem file of the distributed solver: a MAT file (version 5 or 7, as written by
// `save -v7` in Octave or MATLAB) holding the arguments of hybrid_matrix as variables `geom`,
// `GEOM`, `const`, `omega_re`, `omega_im`, `flag` and, for flag ≥ 1, `V`; and the result file it
// writes. Read and written with libmatio; no MPI here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records.hpp"

namespace mom::distributed {

// The variables of a problem file, read whole into memory (owned here) and viewed as the plain
// records of hybrid_matrix. Missing or malformed variables and fields end with mom::Error
// naming them, with the messages of the module ("field 'TriP' of 'geom' ...").
class ProblemFile {
 public:
  explicit ProblemFile(const std::string& path);
  ~ProblemFile();
  ProblemFile(const ProblemFile&) = delete;
  ProblemFile& operator=(const ProblemFile&) = delete;

  bool metal() const { return metal_; }            // `geom` not empty
  bool dielectric() const { return dielectric_; }  // `GEOM` not empty
  hybrid::SurfaceRecord surface() const;
  hybrid::VolumeRecord volume() const;  // with the triangle–volume tables when metal()
  hybrid::ConstantsRecord constants() const;

  double omega_re = 0.0;
  double omega_im = 0.0;
  std::int64_t flag = 0;
  // The right-hand sides, present when `V` is: values in column-major order, im null for a real V.
  bool has_v = false;
  const double* v_re = nullptr;
  const double* v_im = nullptr;
  std::size_t v_count = 0;

 private:
  struct Variables;
  std::unique_ptr<Variables> vars_;
  bool metal_ = false;
  bool dielectric_ = false;
};

// What the solver hands back: the module's result and the measurements of the run.
struct RunReport {
  // flag 0: 1 × 1 real (rcond); flag ≥ 1: (N·m) × 1 complex; flag < 0: empty.
  std::vector<double> result_re, result_im;
  bool complex_result = false;
  std::int64_t info = 0;  // factorisation status (> 0: exactly singular factor)
  int grid_rows = 1, grid_cols = 1;
  std::int64_t block_size = 0;
  std::int64_t order = 0;
  // Seconds per phase, the largest over the ranks: read, fill, factor, solve, total.
  double read = 0, fill = 0, factor = 0, solve = 0, total = 0;
  std::vector<double> fill_per_rank;          // seconds
  std::vector<double> fill_cpu_per_rank;      // processor seconds of the fill, per rank
  std::vector<double> factor_cpu_per_rank;    // processor seconds of the factorisation
  std::vector<double> matrix_bytes_per_rank;  // the local part of the matrix
  std::vector<double> peak_bytes_per_rank;    // peak resident memory of each rank
};

// Writes the report to `path` atomically: into a temporary file beside it, renamed over `path`
// only when complete. Variables: `result`, `info`, `grid` ([rows cols]), `block_size`, `order`,
// `timings` (struct: read, fill, factor, solve, total, fill_per_rank,
// fill_cpu_per_rank, factor_cpu_per_rank) and `memory` (struct:
// matrix_per_rank, peak_per_rank, in bytes). Throws mom::Error("writeFailed") on failure, leaving
// no file behind.
void write_report(const std::string& path, const RunReport& report);

}  // namespace mom::distributed
