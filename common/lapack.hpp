// The LAPACK routines the modules call, with one integer type chosen by the build.
//
// Octave loads the system LAPACK (OpenBLAS or reference) with 32-bit integers; MATLAB's
// libmwlapack uses 64-bit integers, selected with MOM_LAPACK_ILP64. Character arguments are
// followed by their hidden lengths (gfortran calling convention, accepted by MKL as well).
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "errors.hpp"

namespace mom {

#ifdef MOM_LAPACK_ILP64
using lapack_int = std::int64_t;
#else
using lapack_int = std::int32_t;
#endif

using cplx = std::complex<double>;

// n as a LAPACK integer, or an error naming `what` when the build's integer is too narrow.
inline lapack_int to_lapack_int(std::size_t n, const char* what) {
  if (n > static_cast<std::size_t>(std::numeric_limits<lapack_int>::max())) {
    throw Error("tooLarge", std::string(what) + " is too large for this LAPACK's integers");
  }
  return static_cast<lapack_int>(n);
}

}  // namespace mom

extern "C" {
double zlansy_(const char* norm, const char* uplo, const mom::lapack_int* n, const mom::cplx* a,
               const mom::lapack_int* lda, double* work, std::size_t norm_len,
               std::size_t uplo_len);
void zsytrf_(const char* uplo, const mom::lapack_int* n, mom::cplx* a, const mom::lapack_int* lda,
             mom::lapack_int* ipiv, mom::cplx* work, const mom::lapack_int* lwork,
             mom::lapack_int* info, std::size_t uplo_len);
void zsycon_(const char* uplo, const mom::lapack_int* n, const mom::cplx* a,
             const mom::lapack_int* lda, const mom::lapack_int* ipiv, const double* anorm,
             double* rcond, mom::cplx* work, mom::lapack_int* info, std::size_t uplo_len);
void zsysv_(const char* uplo, const mom::lapack_int* n, const mom::lapack_int* nrhs, mom::cplx* a,
            const mom::lapack_int* lda, mom::lapack_int* ipiv, mom::cplx* b,
            const mom::lapack_int* ldb, mom::cplx* work, const mom::lapack_int* lwork,
            mom::lapack_int* info, std::size_t uplo_len);
void dgetrf_(const mom::lapack_int* m, const mom::lapack_int* n, double* a,
             const mom::lapack_int* lda, mom::lapack_int* ipiv, mom::lapack_int* info);
}
