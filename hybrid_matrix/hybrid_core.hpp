// Host-free core of hybrid_matrix: one call at one complex frequency.
//
//   prepare  → SystemProblem (checked, converted tables; nothing large allocated yet)
//   assemble → the zeroed N × N complex matrix, N = Ns + Nv, each block filler adding its
//              lower-triangle entries: surface–surface, then volume–volume, then the
//              volume–surface coupling (surface unknowns first, rows/columns 0 … Ns−1, volume
//              unknowns from Ns on)
//   condition / solve → equilibration S·A·S, S = diag(|A_ii|^(−1/2)), then the LAPACK complex
//              symmetric factorisation of the lower triangle, in place
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "coefficients.hpp"
#include "lapack.hpp"
#include "records.hpp"
#include "surface_block.hpp"
#include "surface_mesh.hpp"
#include "symmetric_solve.hpp"
#include "volume_mesh.hpp"

namespace mom::hybrid {

struct SystemProblem {
  Coefficients coefficients;
  std::optional<SurfaceMesh> surface;  // absent: no metal unknowns
  std::optional<VolumeMesh> volume;    // absent: no dielectric unknowns
  FillOptions options;                 // the optional options argument; default: all off

  std::size_t surface_unknowns() const { return surface ? surface->Ns : 0; }
  std::size_t volume_unknowns() const { return volume ? volume->Nv : 0; }
  std::size_t order() const { return surface_unknowns() + volume_unknowns(); }
};

// Coefficients from the frequency and constants, the volume mesh (with the per-tetrahedron
// materials of the constants record and, when there is a surface too, the triangle–volume
// tables) and the surface mesh, each when its record is given. A metal surface needs ω ≠ 0 (its
// scalar-potential coefficient is 1/(jω·ε)).
SystemProblem prepare(double omega_re, double omega_im, const ConstantsRecord& constants,
                      const SurfaceRecord* surface, const VolumeRecord* volume = nullptr);

// The system matrix: n × n complex, column-major (entry (r, c) at data()[r + n·c]), zero-filled
// by the allocator, so that a large matrix arrives as fresh zero pages from the operating system
// instead of being written twice, and the upper triangle, which is never written or read, costs
// no physical memory. Owned here; released by the destructor.
class SystemMatrix {
 public:
  // Checks the 16·n² bytes against the available memory first (mom::OutOfMemory naming the size).
  explicit SystemMatrix(std::size_t n);
  cplx* data() { return a_.get(); }
  const cplx* data() const { return a_.get(); }
  std::size_t order() const { return n_; }

 private:
  struct Free {
    void operator()(cplx* p) const { std::free(p); }
  };
  std::unique_ptr<cplx[], Free> a_;
  std::size_t n_;
};

// The system matrix of order problem.order() with every block added into its lower triangle;
// the upper triangle stays zero.
SystemMatrix assemble(const SystemProblem& problem);

// Reciprocal one-norm condition estimate of the equilibrated matrix; `a` is overwritten by the
// factors. info > 0: an exactly singular factor (rcond is then 0).
ConditionEstimate condition(SystemMatrix& a);

// Solutions of A·X = V for m right-hand sides; V(r, j) at v_re/v_im[r + n·j], v_im may be null
// (a real V). `a` is overwritten by the factors. info > 0: singular factor, x is what the solver
// left (not a valid solution).
struct Solution {
  std::vector<cplx> x;  // n × m, column j at x[n·j]
  lapack_int info = 0;
};
Solution solve(SystemMatrix& a, std::size_t m, const double* v_re, const double* v_im);

}  // namespace mom::hybrid
