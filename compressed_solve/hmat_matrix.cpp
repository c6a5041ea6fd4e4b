#include "hmat_matrix.hpp"

#include <hmat/hmat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "errors.hpp"
#include "interrupt.hpp"
#include "memory.hpp"

namespace mom::compressed {

namespace {

// The library's function table for double complex matrices, set up once per process.
hmat_interface_t& library() {
  static hmat_interface_t table = [] {
    hmat_interface_t t;
    hmat_init_default_interface(&t, HMAT_DOUBLE_COMPLEX);
    t.init();
    return t;
  }();
  return table;
}

int to_int(std::size_t n, const char* what) {
  if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    fail("tooLarge", std::string(what) + " exceeds the 32-bit index range of the H-matrix library");
  }
  return static_cast<int>(n);
}

// What one assembly shares among its block callbacks: the entry source, the largest
// cross-approximation rank seen, and the first failure (an entry source that threw, or a
// Ctrl-C delivered by the interrupt hook). A failure is not allowed to unwind through the
// library's frames: the callbacks that follow it return zeros, and the assembly rethrows it
// once the library has returned.
struct Assembly {
  const EntrySource* source;
  std::atomic<int> largest_rank{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::exception_ptr failure;

  void record(std::exception_ptr e) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!failure) failure = e;
    failed = true;
  }
};

// One block of the matrix: its rows and columns in the caller's numbering (pointers into the
// library's renumbering tables, valid while the block is assembled) and the number of single
// columns the cross approximation has asked for.
struct Block {
  Assembly* assembly;
  const int* rows;
  int nr;
  const int* cols;
  int nc;
  int columns_asked = 0;
};

void release_block(void* data) {
  Block* b = static_cast<Block*>(data);
  int seen = b->assembly->largest_rank.load();
  while (b->columns_asked > seen &&
         !b->assembly->largest_rank.compare_exchange_weak(seen, b->columns_asked)) {
  }
  delete b;
}

void prepare_block(int row_start, int row_count, int col_start, int col_count,
                   int* row_hmat2client, int* /*row_client2hmat*/, int* col_hmat2client,
                   int* /*col_client2hmat*/, void* context, hmat_block_info_t* info) {
  Assembly* a = static_cast<Assembly*>(context);
  try {
    info->user_data = new Block{a, row_hmat2client + row_start, row_count,
                                col_hmat2client + col_start, col_count};
    info->release_user_data = release_block;
    info->block_type = hmat_block_full;
  } catch (...) {
    a->record(std::current_exception());
    info->user_data = nullptr;
    info->release_user_data = nullptr;
    info->block_type = hmat_block_null;
  }
}

void compute_block(hmat_block_compute_context_t* c) {
  Block* b = static_cast<Block*>(c->user_data);
  cplx* out = static_cast<cplx*>(c->block);
  const std::size_t count =
      static_cast<std::size_t>(c->row_count) * static_cast<std::size_t>(c->col_count);
  if (!b->assembly->failed) {
    try {
      poll_interrupt();
      b->assembly->source->block(b->rows + c->row_start, static_cast<std::size_t>(c->row_count),
                                 b->cols + c->col_start, static_cast<std::size_t>(c->col_count),
                                 out);
      if (c->col_count == 1 && c->row_count == b->nr && b->nc > 1) ++b->columns_asked;
      return;
    } catch (...) {
      b->assembly->record(std::current_exception());
    }
  }
  std::fill(out, out + count, cplx(0.0, 0.0));
}

// Library objects released in reverse order of creation.
struct Algorithms {
  hmat_clustering_algorithm_t* median = nullptr;
  hmat_clustering_algorithm_t* clustering = nullptr;
  hmat_admissibility_t* admissibility = nullptr;
  hmat_compression_algorithm_t* compression = nullptr;
  ~Algorithms() {
    if (compression) hmat_delete_compression(compression);
    if (admissibility) hmat_delete_admissibility(admissibility);
    if (clustering) hmat_delete_clustering(clustering);
    if (median) hmat_delete_clustering(median);
  }
};

}  // namespace

struct HMatrix::Handles {
  std::shared_ptr<hmat_cluster_tree_t> tree;  // shared by copies
  hmat_matrix_t* matrix = nullptr;
  ~Handles() {
    if (matrix) library().destroy(matrix);
  }
};

HMatrix::HMatrix(const double* points, std::size_t n, const ClusterSettings& clusters, double tol,
                 bool symmetric, const EntrySource& source)
    : h_(std::make_unique<Handles>()), n_(n), symmetric_(symmetric) {
  const int size = to_int(n, "the number of unknowns");
  if (n == 0) fail("badSize", "an H-matrix needs at least one unknown");
  if (!(tol > 0.0 && tol < 1.0)) fail("badOption", "the compression tolerance must lie in (0, 1)");
  if (clusters.leaf_size < 2) fail("badOption", "the leaf size must be at least 2");
  if (!(clusters.eta > 0.0 && std::isfinite(clusters.eta))) {
    fail("badOption", "the admissibility parameter must be positive and finite");
  }
  hmat_interface_t& hm = library();

  hmat_settings_t settings;
  hmat_get_parameters(&settings);
  settings.maxLeafSize = clusters.leaf_size;
  // Every far block by ACA+, however small: the library would otherwise compute blocks below
  // 100 rows in full and compress them by SVD, and here each entry is costly.
  settings.compressionMinLeafSize = 0;
  hmat_set_parameters(&settings);

  Algorithms alg;
  alg.median = hmat_create_clustering_median();
  alg.clustering = hmat_create_clustering_max_dof(alg.median, clusters.leaf_size);
  // The library reads the coordinates (its argument is not const) and keeps its own copy.
  std::vector<double> coordinates(points, points + 3 * n);
  hmat_cluster_tree_t* tree = hmat_create_cluster_tree(coordinates.data(), 3, size, alg.clustering);
  if (tree == nullptr) throw OutOfMemory("the H-matrix library could not build the cluster tree");
  h_->tree.reset(tree, [](hmat_cluster_tree_t* t) { hmat_delete_cluster_tree(t); });

  alg.admissibility = hmat_create_admissibility_standard(clusters.eta);
  h_->matrix = hm.create_empty_hmatrix_admissibility(tree, tree, symmetric ? 1 : 0,
                                                      alg.admissibility);
  if (h_->matrix == nullptr) throw OutOfMemory("the H-matrix library could not build the blocks");
  hm.set_low_rank_epsilon(h_->matrix, tol);
  // The block structure knows the near-field (full) blocks before any entry is computed: refuse
  // now, with a message, rather than be stopped by the operating system halfway through.
  {
    hmat_info_t info{};
    hm.get_info(h_->matrix, &info);
    ensure_memory(checked_mul(info.full_size, sizeof(cplx), "the near-field blocks"),
                  "the near-field blocks of the compressed matrix");
  }

  Assembly assembly;
  assembly.source = &source;
  alg.compression = hmat_create_compression_aca_plus(tol);
  hmat_assemble_context_t ctx;
  hmat_assemble_context_init(&ctx);
  ctx.user_context = &assembly;
  ctx.prepare = prepare_block;
  ctx.advanced_compute = compute_block;
  ctx.compression = alg.compression;
  ctx.lower_symmetric = symmetric ? 1 : 0;
  ctx.factorization = hmat_factorization_none;
  ctx.progress = nullptr;
  hm.assemble_generic(h_->matrix, &ctx);
  if (assembly.failure) std::rethrow_exception(assembly.failure);
  largest_rank_ = assembly.largest_rank.load();
}

HMatrix::HMatrix(HMatrix&&) noexcept = default;
HMatrix& HMatrix::operator=(HMatrix&&) noexcept = default;
HMatrix::~HMatrix() = default;

HMatrix HMatrix::copy() const {
  HMatrix c;
  c.h_ = std::make_unique<Handles>();
  c.h_->tree = h_->tree;
  c.h_->matrix = library().copy(h_->matrix);
  if (c.h_->matrix == nullptr) throw OutOfMemory("the H-matrix library could not copy the matrix");
  c.n_ = n_;
  c.symmetric_ = symmetric_;
  c.factorised_ = factorised_;
  c.largest_rank_ = largest_rank_;
  return c;
}

void HMatrix::apply(const cplx* x, cplx* y, std::size_t m) const {
  if (factorised_) fail("internal", "a factorised H-matrix cannot be applied");
  const int nrhs = to_int(m, "the number of right-hand sides");
  // The library reads its input through a non-const pointer: work on a copy.
  std::vector<cplx> in(x, x + n_ * m);
  cplx one(1.0, 0.0), zero(0.0, 0.0);
  std::fill(y, y + n_ * m, zero);
  library().gemv('N', &one, h_->matrix, in.data(), &zero, y, nrhs);
}

void HMatrix::factorise(Factorisation kind, double tol) {
  if (factorised_) fail("internal", "the H-matrix is already factorised");
  if (kind == Factorisation::ldlt && !symmetric_) {
    fail("internal", "an LDLᵀ factorisation needs symmetric storage");
  }
  hmat_interface_t& hm = library();
  hm.set_low_rank_epsilon(h_->matrix, tol);
  hmat_factorization_context_t ctx;
  hmat_factorization_context_init(&ctx);
  ctx.factorization = kind == Factorisation::ldlt ? hmat_factorization_ldlt : hmat_factorization_lu;
  ctx.progress = nullptr;
  hm.factorize_generic(h_->matrix, &ctx);
  factorised_ = true;
}

void HMatrix::solve(cplx* b, std::size_t m) const {
  if (!factorised_) fail("internal", "the H-matrix must be factorised before a solve");
  library().solve_systems(h_->matrix, b, to_int(m, "the number of right-hand sides"));
}

Storage HMatrix::storage() const {
  hmat_info_t info{};
  library().get_info(h_->matrix, &info);
  Storage s;
  s.entries = info.compressed_size;
  s.full_entries = info.full_size;
  s.dense_entries = info.uncompressed_size;
  s.full_blocks = info.full_count;
  s.low_rank_blocks = info.rk_count;
  return s;
}

namespace {

// A complex symmetric, non-Hermitian test matrix on points along a helix: a Helmholtz-like
// kernel e^(−jkR)/R off the diagonal (symmetric in r, c; complex, so Aᵀ ≠ Aᴴ) and a complex
// diagonal that dominates it.
class ProbeMatrix : public EntrySource {
 public:
  explicit ProbeMatrix(std::size_t n) : points_(3 * n) {
    for (std::size_t i = 0; i < n; ++i) {
      const double t = 0.37 * static_cast<double>(i);
      points_[3 * i] = std::cos(t);
      points_[3 * i + 1] = std::sin(t);
      points_[3 * i + 2] = 0.05 * static_cast<double>(i);
    }
  }
  const double* points() const { return points_.data(); }
  cplx entry(int r, int c) const {
    if (r == c) return cplx(30.0 + 0.1 * r, 12.0 - 0.05 * r);
    const double* p = &points_[3 * static_cast<std::size_t>(r)];
    const double* q = &points_[3 * static_cast<std::size_t>(c)];
    const double d = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                               (p[2] - q[2]) * (p[2] - q[2]));
    return std::exp(cplx(0.0, -3.0 * d)) / d;
  }
  void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
             cplx* out) const override {
    for (std::size_t j = 0; j < nc; ++j) {
      for (std::size_t i = 0; i < nr; ++i) out[i + nr * j] = entry(rows[i], cols[j]);
    }
  }

 private:
  std::vector<double> points_;
};

bool probe_ldlt() {
  constexpr std::size_t n = 200;
  ProbeMatrix a(n);
  ClusterSettings clusters;
  clusters.leaf_size = 16;
  HMatrix h(a.points(), n, clusters, 1e-10, true, a);
  h.factorise(Factorisation::ldlt, 1e-10);
  std::vector<cplx> b(n), x(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = x[i] = cplx(std::cos(0.3 * i), std::sin(0.7 * i));
  h.solve(x.data(), 1);
  double r2 = 0.0, b2 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    cplx s(0.0, 0.0);
    for (std::size_t j = 0; j < n; ++j) s += a.entry(static_cast<int>(i), static_cast<int>(j)) * x[j];
    r2 += std::norm(s - b[i]);
    b2 += std::norm(b[i]);
  }
  return std::sqrt(r2 / b2) < 1e-6;
}

}  // namespace

bool ldlt_is_complex_symmetric() {
  static const bool symmetric = probe_ldlt();
  return symmetric;
}

}  // namespace mom::compressed
