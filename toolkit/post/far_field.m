% FAR_FIELD  Far-field pattern of a set of current elements.
%   F = far_field(src, rhat, k, eta)
%
%   src   current elements (surface_current_elements): fields points (3 x M), moments
%         (3 x M, A*m).
%   rhat  3 x D observation directions (normalised here).
%   k     wavenumber; eta  wave impedance sqrt(mu/epsilon) of the background.
%
%   F is 3 x D complex with the scattered field E(r rhat) ~ F exp(-j k r) / r for large r
%   (time dependence exp(j omega t)):
%     F = -j k eta / (4 pi) * (N - (N.rhat) rhat),  N = sum_q moments_q exp(j k rhat.r_q).
%   The bistatic radar cross-section for an incident amplitude |E0| is 4 pi |F|^2 / |E0|^2.
%
%   See also RCS_CUTS, EXTINCTION_CROSS_SECTION, SCATTERING_CROSS_SECTION.
function F = far_field(src, rhat, k, eta)
  if nargin ~= 4 || ~isstruct(src) || size(rhat, 1) ~= 3
    error('far_field:usage', 'usage: F = far_field(src, rhat (3 x D), k, eta)');
  end
  rhat = rhat ./ sqrt(sum(rhat .^ 2, 1));
  % N = moments * exp(j k points.' * rhat): by the radiation_vector module when it is on the
  % path and k is real, else with the M x D phase matrix built here in blocks of points (a few
  % MB whatever M and D are; no transposed copies).
  if exist('radiation_vector') == 3 && isreal(k) && isreal(src.points)
    N = radiation_vector(double(src.points), double(src.moments), double(rhat), double(k));
  else
    M = size(src.points, 2);
    D = size(rhat, 2);
    block = max(1, floor(2 ^ 18 / max(D, 1)));
    N = zeros(3, D);
    for first = 1:block:M
      last = min(M, first + block - 1);
      N = N + src.moments(:, first:last) * exp((1i * k) * (src.points(:, first:last).' * rhat));
    end
  end
  F = (-1i * k * eta / (4 * pi)) * (N - sum(N .* rhat, 1) .* rhat);
end
