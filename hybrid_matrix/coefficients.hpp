// Frequency coefficients shared by every block of the system matrix.
#pragma once

#include "lapack.hpp"
#include "records.hpp"

namespace mom::hybrid {

// ω = omega_re + j·omega_im and the background constants ε, μ, c of the constants record.
struct Coefficients {
  double omega_re = 0.0;
  double omega_im = 0.0;
  double k_re = 0.0;  // wavenumber k = ω / c
  double k_im = 0.0;
  cplx C_As;    // jωμ / (16π): surface vector potential
  cplx C_phis;  // 1 / (4π·jω·ε): surface scalar potential
  cplx C_A;     // −μ·ω² / (4π): volume and coupling vector potential
  cplx C_phi;   // −1 / (4π·ε): volume and coupling scalar potential (real)
};

// The coefficients above with 4π and 16π as the fixed decimals used throughout the solver.
// Throws mom::Error ("badFrequency", "badConstants") for a non-finite ω or a zero or non-finite
// c, ε or μ, which would fill the matrix with Inf/NaN.
Coefficients frequency_coefficients(double omega_re, double omega_im, const ConstantsRecord& k);

}  // namespace mom::hybrid
