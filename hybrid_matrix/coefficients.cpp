#include "coefficients.hpp"

#include <cmath>
#include <string>

#include "errors.hpp"

namespace mom::hybrid {

namespace {
constexpr double kFourPi = 12.5663706143592;
constexpr double kSixteenPi = 50.2654824574368;

void require_finite_nonzero(double v, const char* field) {
  if (!std::isfinite(v) || v == 0.0) {
    fail("badConstants", "field '" + std::string(field) + "' of 'const' must be finite and " +
                             "nonzero, not " + std::to_string(v));
  }
}
}  // namespace

Coefficients frequency_coefficients(double omega_re, double omega_im, const ConstantsRecord& k) {
  if (!std::isfinite(omega_re)) fail("badFrequency", "argument 'omega_re' must be finite");
  if (!std::isfinite(omega_im)) fail("badFrequency", "argument 'omega_im' must be finite");
  require_finite_nonzero(k.epsilon, "epsilon");
  require_finite_nonzero(k.mu, "mu");
  require_finite_nonzero(k.c, "c");

  Coefficients f;
  f.omega_re = omega_re;
  f.omega_im = omega_im;
  f.k_re = omega_re / k.c;
  f.k_im = omega_im / k.c;
  const double mag2 = omega_re * omega_re + omega_im * omega_im;
  f.C_As = cplx(-k.mu * omega_im / kSixteenPi, k.mu * omega_re / kSixteenPi);
  // At ω = 0 the surface scalar potential coefficient is infinite; the surface block refuses
  // that case before it is used, the volume blocks never use it.
  f.C_phis = mag2 > 0.0 ? cplx(-omega_im / (kFourPi * mag2 * k.epsilon),
                               -omega_re / (kFourPi * mag2 * k.epsilon))
                        : cplx(0.0, 0.0);
  f.C_A = cplx(-k.mu * (omega_re * omega_re - omega_im * omega_im) / kFourPi,
               -k.mu * 2.0 * omega_re * omega_im / kFourPi);
  f.C_phi = cplx(-1.0 / (kFourPi * k.epsilon), 0.0);
  return f;
}

}  // namespace mom::hybrid
