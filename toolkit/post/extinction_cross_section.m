% EXTINCTION_CROSS_SECTION  Extinction cross-section by the forward-scattering theorem.
%   sigma = extinction_cross_section(src, k, eta, khat, E0)
%
%   src    current elements induced by the plane wave E0 exp(-j k khat.r).
%   k, eta background wavenumber and wave impedance; khat incident direction; E0 amplitude.
%
%   With the forward far field F(khat) (far_field, time dependence exp(j omega t)):
%     sigma_ext = -(4 pi / k) Im( conj(E0) . F(khat) ) / |E0|^2,
%   which equals eta Re( integral of J . conj(E_inc) ) / |E0|^2, the power the currents take
%   from the incident wave divided by its intensity |E0|^2 / (2 eta).
%
%   See also FAR_FIELD, SCATTERING_CROSS_SECTION, MIE_SPHERE.
function sigma = extinction_cross_section(src, k, eta, khat, E0)
  if nargin ~= 5
    error('extinction_cross_section:usage', ...
          'usage: sigma = extinction_cross_section(src, k, eta, khat, E0)');
  end
  khat = reshape(khat, 3, 1) / norm(khat);
  E0 = reshape(E0, 3, 1);
  F = far_field(src, khat, k, eta);
  sigma = -(4 * pi / k) * imag(sum(conj(E0) .* F)) / sum(abs(E0) .^ 2);
end
