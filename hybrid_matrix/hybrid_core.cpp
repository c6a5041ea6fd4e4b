#include "hybrid_core.hpp"

#include <string>
#include <system_error>
#include <thread>

#include "errors.hpp"
#include "memory.hpp"
#include "surface_block.hpp"
#include "symmetric_solve.hpp"
#include "volume_block.hpp"

namespace mom::hybrid {

SystemProblem prepare(double omega_re, double omega_im, const ConstantsRecord& constants,
                      const SurfaceRecord* surface, const VolumeRecord* volume) {
  SystemProblem p;
  p.coefficients = frequency_coefficients(omega_re, omega_im, constants);
  if (volume != nullptr) {
    p.volume = prepare_volume(*volume, constants, surface ? surface->TrianglesTotal : 0);
  }
  if (surface != nullptr) {
    p.surface = prepare_surface(*surface);
    if (p.surface->Tr != 0 && omega_re == 0.0 && omega_im == 0.0) {
      fail("badFrequency",
           "arguments 'omega_re' and 'omega_im' are both zero: the metal surface needs a "
           "nonzero frequency");
    }
  }
  return p;
}

SystemMatrix::SystemMatrix(std::size_t n) : n_(n) {
  const char* what =
      "the system matrix (order 'EdgesTotal' of 'geom' plus 'EdgesTotal' of 'GEOM')";
  const std::size_t count = checked_mul(n, n, what);
  const std::size_t bytes = checked_mul(count, sizeof(cplx), what);
  ensure_memory(bytes, what);
  a_.reset(static_cast<cplx*>(std::calloc(count > 0 ? count : 1, sizeof(cplx))));
  if (!a_) {
    throw OutOfMemory("not enough memory for " + std::string(what) + ": " + format_bytes(bytes) +
                      " requested");
  }
  // Touch the pages of the lower triangle once, in address order: the fillers' first writes
  // come in scattered order, where each page fault costs about twice as much. The pages of the
  // upper triangle are never touched and stay unmapped zero pages. A column's part seldom starts
  // on a page boundary, so one write per page length from the diagonal can stop one page short
  // of the column's last entry: that entry is written as well. A page the fillers first read
  // (entry += term) would be mapped to the shared zero page and copied at the write, a second
  // fault with a cross-processor TLB flush while the other sweep thread runs. Two threads share
  // the work (the operating system serves their page faults in parallel): the first takes the
  // columns before n·(1 − 1/√2), which hold half of the lower triangle.
  constexpr std::size_t kPage = 4096 / sizeof(cplx);
  cplx* a = a_.get();
  const auto touch = [a, n](std::size_t first, std::size_t last) {
    for (std::size_t c = first; c < last; ++c) {
      for (std::size_t r = c; r < n; r += kPage) a[r + n * c] = cplx(0.0, 0.0);
      a[n - 1 + n * c] = cplx(0.0, 0.0);
    }
  };
  const std::size_t split = static_cast<std::size_t>(0.29289321881345254 * static_cast<double>(n));
  constexpr std::size_t kParallelOrder = 1024;
  if (n < kParallelOrder || std::thread::hardware_concurrency() < 2) {
    touch(0, n);
    return;
  }
  std::thread helper;
  try {
    helper = std::thread(touch, split, n);
  } catch (const std::system_error&) {
    touch(0, n);
    return;
  }
  touch(0, split);
  helper.join();
}

SystemMatrix assemble(const SystemProblem& problem) {
  SystemMatrix a(problem.order());
  const bool triangles = problem.surface && problem.surface->Tr != 0;
  if (triangles) {
    fill_surface_block(a.data(), a.order(), *problem.surface, problem.coefficients,
                       problem.options);
  }
  if (problem.volume && problem.volume->Nt != 0) {
    fill_volume_block(a.data(), a.order(), problem.surface_unknowns(), *problem.volume,
                      problem.coefficients, problem.options);
    if (triangles) {
      fill_coupling_blocks(a.data(), a.order(), *problem.surface, *problem.volume,
                           problem.coefficients, problem.options);
    }
  }
  return a;
}

ConditionEstimate condition(SystemMatrix& a) {
  std::vector<double> s = make_buffer<double>(a.order(), "the scale factors");
  return equilibrated_condition(a.data(), a.order(), s.data());
}

Solution solve(SystemMatrix& a, std::size_t m, const double* v_re, const double* v_im) {
  const std::size_t n = a.order();
  Solution out;
  const std::size_t values = checked_mul(n, m, "the right-hand sides");
  out.x = make_buffer<cplx>(values, "the right-hand sides");
  for (std::size_t q = 0; q < values; ++q) out.x[q] = cplx(v_re[q], v_im ? v_im[q] : 0.0);
  std::vector<double> s = make_buffer<double>(n, "the scale factors");
  out.info = equilibrated_solve(a.data(), n, m, out.x.data(), s.data());
  return out;
}

}  // namespace mom::hybrid
