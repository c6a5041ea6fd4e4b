// hybrid_matrix_mpi PROBLEM.mat RESULT.mat [--block-size NB] [--grid PxQ] [--memory-per-rank B]
//
// The hybrid_matrix solve on a cluster: every rank reads the problem file, fills its part of the
// system matrix (2D block-cyclic over a BLACS process grid, rows and columns renumbered so that
// each process holds spatially compact sets of unknowns) with the block fill, equilibrates it as
// hybrid_matrix does (S·Z·S, S = diag(|Z_ii|^(−1/2))), factors it by ScaLAPACK's LU (pzgetrf)
// and either estimates the reciprocal one-norm condition number (pzgecon, flag 0) or solves for
// the flag columns of V (pzgetrs). Rank 0 writes the result and the measurements of the run to
// RESULT.mat, atomically (problem_file.hpp).
//
// Failures: every rank reports what it met at the end of each phase; then the first failing rank
// prints "hybrid_matrix_mpi: <mnemonic>: <message>" on standard error, every rank exits with
// status 1 and no result file is written. Anything that escapes this (an error between the
// collective steps) ends the whole run with MPI_Abort.
#include <mpi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "block_fill.hpp"
#include "errors.hpp"
#include "layout.hpp"
#include "memory.hpp"
#include "problem_file.hpp"
#include "scalapack.hpp"
#include "symmetric_solve.hpp"

namespace {

using mom::cplx;
using namespace mom::distributed;
namespace hybrid = mom::hybrid;

constexpr const char* kProgram = "hybrid_matrix_mpi";
constexpr const char* kUsage =
    "usage: hybrid_matrix_mpi PROBLEM.mat RESULT.mat [--block-size NB] [--grid PxQ] "
    "[--memory-per-rank BYTES]";

struct Failure {
  bool failed = false;
  std::string mnemonic, message;
};

// Runs `step`, turning what it throws into a failure of this rank.
void guard(Failure& f, const std::function<void()>& step) {
  if (f.failed) return;
  try {
    step();
  } catch (const mom::Error& e) {
    f = {true, e.mnemonic(), e.what()};
  } catch (const std::bad_alloc&) {
    f = {true, "outOfMemory", "not enough memory to complete the run"};
  } catch (const std::exception& e) {
    f = {true, "internal", e.what()};
  }
}

// Whether every rank succeeded. Otherwise the lowest failing rank prints its message (naming
// itself when not every rank failed) and the caller ends the run.
bool agree(const Failure& f, MPI_Comm comm) {
  int rank = 0, size = 1;
  MPI_Comm_rank(comm, &rank);
  MPI_Comm_size(comm, &size);
  const int mine[2] = {f.failed ? rank : size, f.failed ? 1 : 0};
  int first = size, failures = 0;
  MPI_Allreduce(&mine[0], &first, 1, MPI_INT, MPI_MIN, comm);
  MPI_Allreduce(&mine[1], &failures, 1, MPI_INT, MPI_SUM, comm);
  if (first == size) return true;
  if (rank == first) {
    const std::string who = failures < size ? "rank " + std::to_string(rank) + ": " : "";
    std::fprintf(stderr, "%s: %s: %s%s\n", kProgram, f.mnemonic.c_str(), who.c_str(),
                 f.message.c_str());
    std::fflush(stderr);
  }
  return false;
}

struct Options {
  std::string problem, result;
  int block_size = 64;
  std::optional<Grid> grid;
  double memory_per_rank = 0;  // 0: the available memory shared among the ranks of a node
};

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) mom::fail("badOption", "option " + a + " needs a value; " + kUsage);
      return argv[++i];
    };
    const auto number = [&](const std::string& text) {
      char* end = nullptr;
      const double v = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(v > 0) || v > 9e18) {
        mom::fail("badOption", "option " + a + " needs a positive number, not '" + text + "'");
      }
      return v;
    };
    if (a == "--block-size") {
      const double v = number(value());
      if (v != static_cast<int>(v) || v > 1e6) {
        mom::fail("badOption", "option --block-size needs a whole number up to 1000000");
      }
      o.block_size = static_cast<int>(v);
    } else if (a == "--grid") {
      o.grid = parse_grid(value());
    } else if (a == "--memory-per-rank") {
      o.memory_per_rank = number(value());
    } else if (a.rfind("--", 0) == 0) {
      mom::fail("badOption", "unknown option " + a + "; " + kUsage);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) mom::fail("badUsage", kUsage);
  o.problem = positional[0];
  o.result = positional[1];
  return o;
}

// Peak resident memory of this process in bytes (VmHWM), 0 when unknown.
double peak_bytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) * 1024.0;
  }
  return 0.0;
}

// Processor time of the calling thread in seconds: unlike the elapsed time, it does not grow when
// other processes share the cores.
double processor_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The memory one rank may use: MemAvailable shared among the ranks of its node.
double memory_share(MPI_Comm comm) {
  MPI_Comm node;
  MPI_Comm_split_type(comm, MPI_COMM_TYPE_SHARED, 0, MPI_INFO_NULL, &node);
  int on_node = 1;
  MPI_Comm_size(node, &on_node);
  MPI_Comm_free(&node);
  return static_cast<double>(mom::available_memory_bytes()) / on_node;
}

int to_int(std::size_t n, const char* what) {
  if (n > 2147483647u)
    mom::fail("tooLarge", std::string(what) + " is too large for ScaLAPACK's 32-bit integers");
  return static_cast<int>(n);
}

struct Free {
  void operator()(void* p) const { std::free(p); }
};

bool g_blacs = false;  // whether BLACS was set up (and must be closed before MPI)

// One run of the program on the ranks of `comm`.
class Run {
 public:
  explicit Run(MPI_Comm comm) : comm_(comm) {
    MPI_Comm_rank(comm, &rank_);
    MPI_Comm_size(comm, &size_);
  }

  int main(int argc, char** argv) {
    const double start = MPI_Wtime();
    Failure f;
    Options opt;
    guard(f, [&] { opt = parse(argc, argv); });
    if (!agree(f, comm_)) return 1;

    // Problem file, record checks, right-hand sides.
    double t = MPI_Wtime();
    guard(f, [&] { read(opt); });
    if (!agree(f, comm_)) return 1;
    report_.read = max_over_ranks(MPI_Wtime() - t);

    // Grid, layout and the local part of the matrix.
    guard(f, [&] { layout(opt); });
    if (!agree(f, comm_)) return 1;
    const double share = opt.memory_per_rank > 0 ? opt.memory_per_rank : memory_share(comm_);
    guard(f, [&] { allocate(share); });
    if (!agree(f, comm_)) return 1;

    // Fill.
    t = MPI_Wtime();
    const double cpu = processor_seconds();
    guard(f, [&] { fill(); });
    const double my_fill = MPI_Wtime() - t;
    const double my_fill_cpu = processor_seconds() - cpu;
    if (!agree(f, comm_)) return 1;
    report_.fill = max_over_ranks(my_fill);
    report_.fill_per_rank = gather(my_fill);
    report_.fill_cpu_per_rank = gather(my_fill_cpu);

    // Equilibration, factorisation, condition estimate or solve.
    guard(f, [&] { equilibrate(); });
    if (!agree(f, comm_)) return 1;
    if (flag_ >= 0 && n_ > 0) {
      if (!solve_phase(f)) return 1;
    } else if (flag_ == 0) {
      report_.result_re = {1.0};  // the empty matrix is perfectly conditioned
    } else if (flag_ > 0) {
      report_.complex_result = true;
    }

    // Result file.
    report_.matrix_bytes_per_rank = gather(16.0 * static_cast<double>(mloc_) * nloc_);
    report_.peak_bytes_per_rank = gather(peak_bytes());
    report_.total = max_over_ranks(MPI_Wtime() - start);
    if (rank_ == 0) guard(f, [&] { write_report(opt.result, report_); });
    if (!agree(f, comm_)) return 1;
    return 0;
  }

  ~Run() {
    if (context_ >= 0) Cblacs_gridexit(context_);
  }

 private:
  double max_over_ranks(double v) const {
    double m = v;
    MPI_Allreduce(&v, &m, 1, MPI_DOUBLE, MPI_MAX, comm_);
    return m;
  }
  std::vector<double> gather(double v) const {
    std::vector<double> all(static_cast<std::size_t>(size_));
    MPI_Gather(&v, 1, MPI_DOUBLE, all.data(), 1, MPI_DOUBLE, 0, comm_);
    return all;
  }

  void read(const Options& opt) {
    file_ = std::make_unique<ProblemFile>(opt.problem);
    const ProblemFile& p = *file_;
    constants_ = p.constants();
    if (p.dielectric()) volume_ = p.volume();
    if (p.metal()) surface_ = p.surface();
    problem_ = std::make_unique<hybrid::SystemProblem>(
        hybrid::prepare(p.omega_re, p.omega_im, constants_, p.metal() ? &surface_ : nullptr,
                        p.dielectric() ? &volume_ : nullptr));
    n_ = problem_->order();
    flag_ = p.flag;
    if (flag_ >= 1) {
      const std::size_t m = static_cast<std::size_t>(flag_);
      if (!p.has_v) {
        mom::fail("missingArgument", "argument 'V' is missing: flag " + std::to_string(m) +
                                         " needs " + std::to_string(m) +
                                         " right-hand side column(s) of " + std::to_string(n_) +
                                         " values");
      }
      const std::size_t needed = mom::checked_mul(n_, m, "argument 'V'");
      if (p.v_count < needed) {
        mom::fail("badSize", "argument 'V' has " + std::to_string(p.v_count) +
                                 " values, at least " + std::to_string(needed) + " needed");
      }
    }
    report_.order = static_cast<std::int64_t>(n_);
  }

  void layout(const Options& opt) {
    grid_ = opt.grid ? *opt.grid : choose_grid(size_);
    if (grid_.rows * grid_.cols != size_) {
      mom::fail("badGrid", "the process grid " + std::to_string(grid_.rows) + "x" +
                               std::to_string(grid_.cols) + " needs " +
                               std::to_string(grid_.rows * grid_.cols) + " ranks, the run has " +
                               std::to_string(size_));
    }
    nb_ = static_cast<std::size_t>(opt.block_size);
    report_.grid_rows = grid_.rows;
    report_.grid_cols = grid_.cols;
    report_.block_size = opt.block_size;
    to_int(n_, "the matrix order");
    Cblacs_get(-1, 0, &context_);
    g_blacs = true;
    Cblacs_gridinit(&context_, "Row", grid_.rows, grid_.cols);
    int rows = 0, cols = 0;
    Cblacs_gridinfo(context_, &rows, &cols, &myrow_, &mycol_);
    if (rows != grid_.rows || cols != grid_.cols || myrow_ < 0) {
      mom::fail("badGrid", "BLACS could not set up the " + std::to_string(grid_.rows) + "x" +
                               std::to_string(grid_.cols) + " process grid");
    }
    const std::vector<double> centres = unknown_centres(*problem_);
    const std::vector<std::int64_t> order = spatial_order(centres.data(), n_);
    row_perm_ = process_permutation(order, nb_, grid_.rows);
    col_perm_ = process_permutation(order, nb_, grid_.cols);
    row_unknowns_ = local_unknowns(row_perm_, nb_, myrow_, grid_.rows);
    col_unknowns_ = local_unknowns(col_perm_, nb_, mycol_, grid_.cols);
    mloc_ = row_unknowns_.size();
    nloc_ = col_unknowns_.size();
  }

  void allocate(double share) {
    const std::size_t m = flag_ > 0 ? static_cast<std::size_t>(flag_) : 0;
    rhs_cols_ = m > 0 ? local_count(m, nb_, mycol_, grid_.cols) : 0;
    const char* what = "the local part of the system matrix";
    const std::size_t entries = mom::checked_mul(mloc_, nloc_, what);
    const std::size_t bytes = mom::checked_mul(entries, sizeof(cplx), what);
    const double total = static_cast<double>(bytes) +
                         16.0 * static_cast<double>(mloc_) * static_cast<double>(rhs_cols_) +
                         16.0 * static_cast<double>(n_) * (m + 1) + 8.0 * 8.0 * n_;
    if (total > share) {
      mom::fail("outOfMemory",
                "not enough memory for " + std::string(what) + " (" + std::to_string(mloc_) +
                    " x " + std::to_string(nloc_) + " entries) and its working arrays: " +
                    mom::format_bytes(static_cast<std::size_t>(total)) + " requested, " +
                    mom::format_bytes(static_cast<std::size_t>(share)) + " available per rank");
    }
    a_.reset(static_cast<cplx*>(std::malloc(std::max<std::size_t>(bytes, sizeof(cplx)))));
    if (!a_) {
      throw mom::OutOfMemory("not enough memory for " + std::string(what) + ": " +
                             mom::format_bytes(bytes) + " requested");
    }
    lld_ = std::max<std::size_t>(1, mloc_);
    int info = 0;
    const int n = to_int(n_, "the matrix order"), nb = static_cast<int>(nb_), zero = 0;
    const int lld = to_int(lld_, "the local leading dimension");
    descinit_(desc_a_, &n, &n, &nb, &nb, &zero, &zero, &context_, &lld, &info);
    if (info != 0)
      mom::fail("badGrid",
                "ScaLAPACK refused the matrix layout (descinit " + std::to_string(info) + ")");
  }

  void fill() {
    const hybrid::BlockFill z(*problem_);
    if (mloc_ > 0 && nloc_ > 0)
      z.fill(row_unknowns_.data(), mloc_, col_unknowns_.data(), nloc_, a_.get(), lld_);
  }

  // s_i = |Z_ii|^(−1/2) from the diagonal, which lies scattered over the ranks, then
  // A ← S·A·S on the local part.
  void equilibrate() {
    std::vector<double> diag = mom::make_buffer<double>(2 * n_, "the diagonal");
    std::vector<std::int64_t> local_row = mom::make_buffer<std::int64_t>(n_, "the diagonal");
    std::fill(local_row.begin(), local_row.end(), -1);
    for (std::size_t k = 0; k < mloc_; ++k)
      local_row[row_unknowns_[k]] = static_cast<std::int64_t>(k);
    const cplx* a = a_.get();
    for (std::size_t l = 0; l < nloc_; ++l) {
      const std::int64_t u = col_unknowns_[l];
      const std::int64_t k = local_row[u];
      if (k < 0) continue;
      diag[2 * u] = a[k + lld_ * l].real();
      diag[2 * u + 1] = a[k + lld_ * l].imag();
    }
    MPI_Allreduce(MPI_IN_PLACE, diag.data(), static_cast<int>(2 * n_), MPI_DOUBLE, MPI_SUM, comm_);
    scale_ = mom::make_buffer<double>(n_, "the scale factors");
    // The module's factors, entry by entry (a 1 × 1 matrix holds each diagonal value).
    for (std::size_t i = 0; i < n_; ++i) {
      const cplx d(diag[2 * i], diag[2 * i + 1]);
      mom::equilibration_factors(&d, 1, &scale_[i]);
    }
    cplx* w = a_.get();
    for (std::size_t l = 0; l < nloc_; ++l) {
      const double sc = scale_[col_unknowns_[l]];
      cplx* col = w + lld_ * l;
      for (std::size_t k = 0; k < mloc_; ++k) col[k] *= scale_[row_unknowns_[k]] * sc;
    }
  }

  // Factorisation and condition estimate or solve; false when a rank failed (reported).
  bool solve_phase(Failure& f) {
    const int n = static_cast<int>(n_), one = 1;
    std::vector<int> ipiv;
    double anorm = 0;
    guard(f, [&] {
      ipiv = mom::make_buffer<int>(mloc_ + nb_, "the pivots");
      if (flag_ == 0) {
        std::vector<double> work =
            mom::make_buffer<double>(nloc_ + mloc_ + nb_, "the norm workspace");
        anorm = pzlange_("1", &n, &n, a_.get(), &one, &one, desc_a_, work.data(), 1);
      }
    });
    if (!agree(f, comm_)) return false;
    double t = MPI_Wtime();
    const double cpu = processor_seconds();
    int info = 0;
    pzgetrf_(&n, &n, a_.get(), &one, &one, desc_a_, ipiv.data(), &info);
    report_.factor_cpu_per_rank = gather(processor_seconds() - cpu);
    report_.factor = max_over_ranks(MPI_Wtime() - t);
    report_.info = info;
    t = MPI_Wtime();
    if (flag_ == 0) {
      double rcond = 0;
      int lwork = -1, lrwork = -1, cinfo = 0;
      cplx wq;
      double rq = 0;
      pzgecon_("1", &n, a_.get(), &one, &one, desc_a_, &anorm, &rcond, &wq, &lwork, &rq, &lrwork,
               &cinfo, 1);
      guard(f, [&] {
        lwork = std::max(1, static_cast<int>(wq.real()));
        lrwork = std::max(1, static_cast<int>(rq));
        work_ = mom::make_buffer<cplx>(static_cast<std::size_t>(lwork), "the condition workspace");
        rwork_ =
            mom::make_buffer<double>(static_cast<std::size_t>(lrwork), "the condition workspace");
      });
      if (!agree(f, comm_)) return false;
      pzgecon_("1", &n, a_.get(), &one, &one, desc_a_, &anorm, &rcond, work_.data(), &lwork,
               rwork_.data(), &lrwork, &cinfo, 1);
      report_.result_re = {info > 0 ? 0.0 : rcond};
    } else {
      const std::size_t m = static_cast<std::size_t>(flag_);
      std::vector<cplx> b;
      int descb[9];
      guard(f, [&] {
        b = mom::make_buffer<cplx>(std::max<std::size_t>(1, mloc_ * rhs_cols_),
                                   "the right-hand sides");
        const ProblemFile& p = *file_;
        for (std::size_t l = 0; l < rhs_cols_; ++l) {
          const std::size_t j = global_index(l, nb_, mycol_, grid_.cols);
          for (std::size_t k = 0; k < mloc_; ++k) {
            const std::size_t u = static_cast<std::size_t>(row_unknowns_[k]);
            const std::size_t q = u + n_ * j;
            b[k + lld_ * l] = scale_[u] * cplx(p.v_re[q], p.v_im ? p.v_im[q] : 0.0);
          }
        }
        int dinfo = 0;
        const int mm = to_int(m, "flag"), nb = static_cast<int>(nb_), zero = 0;
        const int lld = static_cast<int>(lld_);
        descinit_(descb, &n, &mm, &nb, &nb, &zero, &zero, &context_, &lld, &dinfo);
        if (dinfo != 0) mom::fail("badGrid", "ScaLAPACK refused the right-hand side layout");
      });
      if (!agree(f, comm_)) return false;
      int sinfo = 0;
      const int mm = static_cast<int>(m);
      pzgetrs_("N", &n, &mm, a_.get(), &one, &one, desc_a_, ipiv.data(), b.data(), &one, &one,
               descb, &sinfo, 1);
      // Row g of the solution belongs to the unknown of column g: x = S·y, gathered on rank 0.
      std::vector<double> x;
      guard(f, [&] { x = mom::make_buffer<double>(2 * n_ * m, "the solution"); });
      if (!agree(f, comm_)) return false;
      for (std::size_t l = 0; l < rhs_cols_; ++l) {
        const std::size_t j = global_index(l, nb_, mycol_, grid_.cols);
        for (std::size_t k = 0; k < mloc_; ++k) {
          const std::size_t g = global_index(k, nb_, myrow_, grid_.rows);
          const std::size_t u = static_cast<std::size_t>(col_perm_[g]);
          const cplx v = scale_[u] * b[k + lld_ * l];
          x[2 * (u + n_ * j)] = v.real();
          x[2 * (u + n_ * j) + 1] = v.imag();
        }
      }
      if (rank_ == 0) {
        MPI_Reduce(MPI_IN_PLACE, x.data(), static_cast<int>(x.size()), MPI_DOUBLE, MPI_SUM, 0,
                   comm_);
        report_.complex_result = true;
        report_.result_re.resize(n_ * m);
        report_.result_im.resize(n_ * m);
        for (std::size_t q = 0; q < n_ * m; ++q) {
          report_.result_re[q] = x[2 * q];
          report_.result_im[q] = x[2 * q + 1];
        }
      } else {
        MPI_Reduce(x.data(), nullptr, static_cast<int>(x.size()), MPI_DOUBLE, MPI_SUM, 0, comm_);
      }
    }
    report_.solve = max_over_ranks(MPI_Wtime() - t);
    return true;
  }

  MPI_Comm comm_;
  int rank_ = 0, size_ = 1;
  int context_ = -1;
  int myrow_ = -1, mycol_ = -1;
  Grid grid_;
  std::size_t nb_ = 64;
  std::unique_ptr<ProblemFile> file_;
  hybrid::ConstantsRecord constants_;
  hybrid::SurfaceRecord surface_;
  hybrid::VolumeRecord volume_;
  std::unique_ptr<hybrid::SystemProblem> problem_;
  std::size_t n_ = 0;
  std::int64_t flag_ = 0;
  std::vector<std::int64_t> row_perm_, col_perm_, row_unknowns_, col_unknowns_;
  std::size_t mloc_ = 0, nloc_ = 0, lld_ = 1, rhs_cols_ = 0;
  std::unique_ptr<cplx[], Free> a_;
  int desc_a_[9] = {0};
  std::vector<double> scale_;
  std::vector<cplx> work_;
  std::vector<double> rwork_;
  RunReport report_;
};

}  // namespace

int main(int argc, char** argv) {
  MPI_Init(&argc, &argv);
  int code = 1;
  try {
    Run run(MPI_COMM_WORLD);
    code = run.main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: internal: %s\n", kProgram, e.what());
    MPI_Abort(MPI_COMM_WORLD, 1);
  } catch (...) {
    std::fprintf(stderr, "%s: internal: unexpected failure\n", kProgram);
    MPI_Abort(MPI_COMM_WORLD, 1);
  }
  if (g_blacs) Cblacs_exit(1);
  MPI_Finalize();
  return code;
}
