% DIPOLE_EMF_IMPEDANCE  Input impedance of a thin dipole by the induced-EMF method.
%   Z = dipole_emf_impedance(L, a, f)
%
%   L  total length (m); a  wire radius (m); f  frequencies (Hz), any shape. Z (ohm) has
%   the shape of f; free space, time dependence exp(j omega t).
%
%   The classic closed form for a sinusoidal current distribution (Carter's induced-EMF
%   method), referred to the current maximum and moved to the input by 1 / sin^2(k L / 2):
%     R_m = eta/(2 pi) [C + ln(kL) - Ci(kL) + sin(kL)/2 (Si(2kL) - 2 Si(kL))
%                       + cos(kL)/2 (C + ln(kL/2) + Ci(2kL) - 2 Ci(kL))]
%     X_m = eta/(4 pi) [2 Si(kL) + cos(kL) (2 Si(kL) - Si(2kL))
%                       - sin(kL) (2 Ci(kL) - Ci(2kL) - Ci(2 k a^2 / L))]
%   (C = 0.5772... Euler's constant, Si/Ci the sine and cosine integrals). It gives the
%   textbook 73.1 + j42.5 ohm for the half-wave dipole of vanishing radius; its resistance
%   is good for thin wires, its reactance (hence resonant length) only roughly so.
%
%   Example:  Z = dipole_emf_impedance(0.5, 1e-6, 299792458)   % about 73.1 + 42.5i
%
%   See also HALLEN_DIPOLE.
function Z = dipole_emf_impedance(L, a, f)
  if nargin ~= 3
    error('dipole_emf_impedance:usage', 'usage: Z = dipole_emf_impedance(L, a, f)');
  end
  c0 = 299792458;
  eta = 4e-7 * pi * c0;
  C = 0.5772156649015329;
  kl = 2 * pi * f / c0 * L;
  Rm = eta / (2 * pi) * (C + log(kl) - cosint(kl) ...
       + sin(kl) / 2 .* (sinint(2 * kl) - 2 * sinint(kl)) ...
       + cos(kl) / 2 .* (C + log(kl / 2) + cosint(2 * kl) - 2 * cosint(kl)));
  Xm = eta / (4 * pi) * (2 * sinint(kl) + cos(kl) .* (2 * sinint(kl) - sinint(2 * kl)) ...
       - sin(kl) .* (2 * cosint(kl) - cosint(2 * kl) - cosint(2 * kl * a ^ 2 / L ^ 2)));
  Z = complex(Rm, Xm) ./ sin(kl / 2) .^ 2;
end
