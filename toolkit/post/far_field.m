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
  phase = exp(1i * k * (rhat' * src.points));  % D x M
  N = src.moments * phase.';                     % 3 x D
  F = (-1i * k * eta / (4 * pi)) * (N - sum(N .* rhat, 1) .* rhat);
end
