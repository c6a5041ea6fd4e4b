% SCATTERING_CROSS_SECTION  Total scattering cross-section by integrating the far field.
%   sigma = scattering_cross_section(src, k, eta, E0)
%   sigma = scattering_cross_section(src, k, eta, E0, n)
%
%   Integrates |F|^2 / |E0|^2 over all directions with an n-point Gauss-Legendre rule in
%   cos(theta) and 2n equally spaced azimuths, exact for far fields of degree below n in the
%   direction cosines. The far field of sources within a radius R of their centre is a
%   series of spherical harmonics that falls off super-exponentially beyond degree kR; the
%   default n = ceil(kR + 8.4 max(kR, 1)^(1/3)) + 2 (10 for kR = 0.8, 18 for kR = 3) keeps
%   the neglected terms below about 1e-10 of the result.
%
%   See also FAR_FIELD, EXTINCTION_CROSS_SECTION.
function sigma = scattering_cross_section(src, k, eta, E0, n)
  if nargin < 4 || nargin > 5
    error('scattering_cross_section:usage', ...
          'usage: sigma = scattering_cross_section(src, k, eta, E0, n)');
  end
  if nargin < 5
    centre = mean(src.points, 2);
    kR = abs(k) * sqrt(max(sum((src.points - centre) .^ 2, 1)));
    n = ceil(kR + 8.4 * max(kR, 1) ^ (1 / 3)) + 2;
  end
  % Gauss-Legendre nodes and weights on [-1, 1] (Golub-Welsch).
  b = (1:n - 1) ./ sqrt(4 * (1:n - 1) .^ 2 - 1);
  [vec, val] = eig(diag(b, 1) + diag(b, -1));
  [x, order] = sort(diag(val));
  w = 2 * vec(1, order) .^ 2;
  phi = (0:2 * n - 1) * pi / n;
  [X, PHI] = ndgrid(x, phi);
  s = sqrt(1 - X(:) .^ 2)';
  rhat = [s .* cos(PHI(:)'); s .* sin(PHI(:)'); X(:)'];
  F = far_field(src, rhat, k, eta);
  W = repmat(w(:), 1, 2 * n) * (pi / n);
  sigma = sum(W(:)' .* sum(abs(F) .^ 2, 1)) / sum(abs(E0) .^ 2);
end
