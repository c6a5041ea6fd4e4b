% HALLEN_DIPOLE  Input impedance of a centre-fed thin-wire dipole from Hallen's equation.
%   Z = hallen_dipole(L, a, f)
%   Z = hallen_dipole(L, a, f, segments)
%   [Z, I, z] = hallen_dipole(...)
%
%   L         total length of the dipole (m); a  wire radius (m), a << L.
%   f         frequencies (Hz), any shape; Z has the same shape (ohm, time dependence
%             exp(j omega t), free space).
%   segments  even number of equal segments along the wire (default: segments of about
%             3 a, at most 200). The reduced kernel needs segments longer than about 2.5 a:
%             shorter ones make the solution oscillate, so they are refused.
%   I, z      the current (A, for a 1 V gap) at the nodes z (m) of the last frequency.
%
%   A reference for dipole studies that shares nothing with the surface solver. Hallen's
%   equation for the axial current I(z) of a tube of radius a with a 1 V delta-gap at z = 0,
%     integral I(z') K(z - z') dz' = C cos(k z) - (j / (2 eta)) sin(k |z|),
%   K(u) = exp(-j k R) / (4 pi R), R = sqrt(u^2 + a^2) (the reduced kernel: the current on
%   the axis, the field on the surface), is solved with piecewise-linear currents (zero at
%   both ends) and point matching at the interior nodes and at the end z = L/2; the constant
%   C is the extra unknown. The static part 1/R of the kernel is integrated in closed form
%   against the linear functions (asinh and square roots), the smooth rest exp(-jkR) - 1 by
%   an 8-point Gauss rule per segment. Z = 1 / I(0).
%
%   For thin wires this reproduces the classic tabulations: the half-wave dipole approaches
%   the induced-EMF value 73 + j42.5 ohm slowly as a -> 0 (80 + j46 ohm at a = 1e-4 lambda,
%   76 + j44 at 1e-7 lambda: the correction falls as 1 / ln(L/a)), and with a / lambda = 0.001 (0.0025) the
%   first resonance lies at L = 0.475 (0.470) lambda with 72 (73) ohm, within the 0.47-0.48
%   lambda and 70-73 ohm of the thin-wire tables.
%
%   Example:  Z = hallen_dipole(0.5, 1e-3, 3e8 * linspace(0.9, 1.1, 5));
%
%   See also DIPOLE_EMF_IMPEDANCE.
function [Z, I, z] = hallen_dipole(L, a, f, segments)
  if nargin < 3 || nargin > 4
    error('hallen_dipole:usage', 'usage: Z = hallen_dipole(L, a, f, segments)');
  end
  if nargin < 4
    segments = min(200, max(20, L / (3 * a)));
  end
  if ~(isscalar(L) && L > 0 && isscalar(a) && a > 0 && a < L / 4)
    error('hallen_dipole:size', 'hallen_dipole: need L > 0 and 0 < a < L/4');
  end
  n = 2 * round(segments / 2);
  if n < 4 || L / n < 2.4 * a
    error('hallen_dipole:segments', ['hallen_dipole: segments must be at least 4 and ' ...
          'no shorter than 2.5 a (at most %d here)'], 2 * floor(L / (2.5 * a) / 2));
  end
  c0 = 299792458;
  eta = 4e-7 * pi * c0;
  h = L / 2;
  z = linspace(-h, h, n + 1);            % nodes; unknown currents at 2..n
  zm = [z(2:n), h]';                      % match points (column)
  dz = L / n;
  [gx, gw] = gauss8();
  Z = zeros(size(f));
  for q = 1:numel(f)
    k = 2 * pi * f(q) / c0;
    A = zeros(n, n);                      % columns: node currents 2..n, then C
    for s = 1:n                           % segment [z(s), z(s+1)]
      [left, right] = segment_integrals(zm, z(s), z(s + 1), dz, a, k, gx, gw);
      if s >= 2
        A(:, s - 1) = A(:, s - 1) + left;   % node s (column s-1) falls to zero on the right
      end
      if s + 1 <= n
        A(:, s) = A(:, s) + right;          % node s+1 (column s) rises on the segment
      end
    end
    A(:, n) = -cos(k * zm);
    b = -(1i / (2 * eta)) * sin(k * abs(zm));
    x = A \ b;
    I = [0; x(1:n - 1); 0].';
    Z(q) = 1 / I(n / 2 + 1);
  end
end

% Integrals over one segment of the two linear functions (falling from its left node, rising
% to its right node) times the kernel seen from every match point zm.
function [left, right] = segment_integrals(zm, z1, z2, dz, a, k, gx, gw)
  u1 = z1 - zm;
  u2 = z2 - zm;
  % Static part: integral of (alpha + beta u) / sqrt(u^2 + a^2) du over [u1, u2].
  i0 = asinh(u2 / a) - asinh(u1 / a);
  i1 = sqrt(u2 .^ 2 + a ^ 2) - sqrt(u1 .^ 2 + a ^ 2);
  % falling function (z2 - z') / dz = (u2 - u) / dz; rising (u - u1) / dz
  left = (u2 .* i0 - i1) / dz;
  right = (i1 - u1 .* i0) / dz;
  % Smooth part (exp(-jkR) - 1) / R by Gauss points.
  zq = (z1 + z2) / 2 + gx' * dz / 2;      % 1 x 8
  u = zq - zm;                            % M x 8
  R = sqrt(u .^ 2 + a ^ 2);
  g = (exp(-1i * k * R) - 1) ./ R .* (gw' * dz / 2);
  left = left + g * ((z2 - zq') / dz);
  right = right + g * ((zq' - z1) / dz);
  left = left / (4 * pi);
  right = right / (4 * pi);
end

function [x, w] = gauss8()
  b = (1:7) ./ sqrt(4 * (1:7) .^ 2 - 1);
  [v, d] = eig(diag(b, 1) + diag(b, -1));
  [x, o] = sort(diag(d));
  w = 2 * v(1, o)' .^ 2;
end
