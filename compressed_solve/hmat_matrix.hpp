// A complex hierarchical matrix (H-matrix) built, factorised and applied through the hmat-oss
// library. This file and hmat_matrix.cpp are the only code that sees the library; everything
// else works with the plain types below.
//
// The unknowns are grouped by a cluster tree built from one point per unknown (3 × n
// coordinates, column j the point of unknown j), split at the median until a cluster holds at
// most `leaf_size` unknowns. A pair of clusters σ, τ that is far apart compared with its size,
// min(diam σ, diam τ) ≤ η·dist(σ, τ) (the standard admissibility condition), is stored as a
// low-rank product found by adaptive cross approximation (ACA+) to a relative tolerance; all
// other blocks (the near field) are stored in full. The entries come
// from an EntrySource in the caller's numbering, block by block; the library only ever asks for
// whole near-field blocks, single rows and single columns of far blocks.
//
// Symmetric storage keeps the lower half of the block structure only (the matrix must be
// complex symmetric, A = Aᵀ) and is factorised by the library's H-LDLᵀ; general storage by its
// H-LU. Both factorisations truncate their low-rank updates to a tolerance of their own.
//
// hmat-oss is distributed under the GNU General Public License, version 2 or later; a build
// that links it is distributed under the GPL.
#pragma once

#include <complex>
#include <cstddef>
#include <exception>
#include <memory>

namespace mom::compressed {

using cplx = std::complex<double>;

// Entries A(r, c) of a matrix in the caller's numbering (0-based).
class EntrySource {
 public:
  virtual ~EntrySource() = default;
  // out[i + nr·j] = A(rows[i], cols[j]) for i < nr, j < nc. May be called from any thread, with
  // several calls running at once; it must not keep pointers to its arguments.
  virtual void block(const int* rows, std::size_t nr, const int* cols, std::size_t nc,
                     cplx* out) const = 0;
  // out[i] = A(i, i) for i < n; by default one 1 × 1 block at a time.
  virtual void diagonal(std::size_t n, cplx* out) const {
    for (std::size_t i = 0; i < n; ++i) {
      const int k = static_cast<int>(i);
      block(&k, 1, &k, 1, out + i);
    }
  }
};

struct ClusterSettings {
  int leaf_size = 64;  // largest cluster that is not split further
  double eta = 2.0;    // admissibility parameter η
};

// Stored sizes, in complex entries.
struct Storage {
  std::size_t entries = 0;        // everything stored (full blocks + both factors of low-rank ones)
  std::size_t full_entries = 0;   // entries of the full (near-field) blocks
  std::size_t dense_entries = 0;  // entries of the blocks held, had they been stored in full
  std::size_t full_blocks = 0;
  std::size_t low_rank_blocks = 0;
};

enum class Factorisation { lu, ldlt };

class HMatrix {
 public:
  // Builds the cluster tree of the n points (3 × n, column-major) and the block structure,
  // then assembles every block from `source` with ACA+ at relative tolerance `tol`.
  // `symmetric`: lower-half storage of a complex symmetric matrix.
  HMatrix(const double* points, std::size_t n, const ClusterSettings& clusters, double tol,
          bool symmetric, const EntrySource& source);
  HMatrix(const HMatrix&) = delete;
  HMatrix& operator=(const HMatrix&) = delete;
  HMatrix(HMatrix&&) noexcept;
  HMatrix& operator=(HMatrix&&) noexcept;
  ~HMatrix();

  // A full copy (same tree, same blocks), for example to factorise one and keep the other.
  HMatrix copy() const;

  std::size_t order() const { return n_; }
  bool symmetric() const { return symmetric_; }
  bool factorised() const { return factorised_; }

  // Y ← A·X for m columns (n × m, column-major, caller's numbering). Not after factorise().
  void apply(const cplx* x, cplx* y, std::size_t m) const;

  // Factorises in place (LDLᵀ needs symmetric storage), truncating to `tol`.
  void factorise(Factorisation kind, double tol);

  // B ← A⁻¹·B for m columns, caller's numbering. Only after factorise().
  void solve(cplx* b, std::size_t m) const;

  Storage storage() const;

  // The largest number of cross-approximation steps any far block took during assembly: the
  // rank ACA+ found before the library's recompression, an upper bound of every stored rank.
  int largest_rank() const { return largest_rank_; }

 private:
  struct Handles;
  HMatrix() = default;
  std::unique_ptr<Handles> h_;
  std::size_t n_ = 0;
  bool symmetric_ = false;
  bool factorised_ = false;
  int largest_rank_ = 0;
};

// Whether the library's LDLᵀ factorisation is the complex symmetric one (A = L·D·Lᵀ with
// plain transposes), not the Hermitian one (A = L·D·Lᴴ): a small complex symmetric,
// non-Hermitian H-matrix with several levels is factorised both ways and the solutions are
// compared with a direct solve. Computed once per process.
bool ldlt_is_complex_symmetric();

}  // namespace mom::compressed
