// The BLACS and ScaLAPACK routines the distributed solver calls (32-bit integers, Fortran
// character arguments followed by their hidden lengths).
#pragma once

#include <complex>
#include <cstddef>

extern "C" {
void Cblacs_get(int context, int what, int* value);
void Cblacs_gridinit(int* context, const char* order, int rows, int cols);
void Cblacs_gridinfo(int context, int* rows, int* cols, int* row, int* col);
void Cblacs_gridexit(int context);
void Cblacs_exit(int keep_mpi);

void descinit_(int* desc, const int* m, const int* n, const int* mb, const int* nb, const int* rsrc,
               const int* csrc, const int* context, const int* lld, int* info);
double pzlange_(const char* norm, const int* m, const int* n, const std::complex<double>* a,
                const int* ia, const int* ja, const int* desca, double* work, std::size_t);
void pzgetrf_(const int* m, const int* n, std::complex<double>* a, const int* ia, const int* ja,
              const int* desca, int* ipiv, int* info);
void pzgetrs_(const char* trans, const int* n, const int* nrhs, const std::complex<double>* a,
              const int* ia, const int* ja, const int* desca, const int* ipiv,
              std::complex<double>* b, const int* ib, const int* jb, const int* descb, int* info,
              std::size_t);
void pzgecon_(const char* norm, const int* n, const std::complex<double>* a, const int* ia,
              const int* ja, const int* desca, const double* anorm, double* rcond,
              std::complex<double>* work, const int* lwork, double* rwork, const int* lrwork,
              int* info, std::size_t);
}
