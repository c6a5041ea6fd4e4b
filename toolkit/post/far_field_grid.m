% FAR_FIELD_GRID  Far-field pattern E_theta, E_phi of current elements on a (theta, phi) grid.
%   [Etheta, Ephi] = far_field_grid(src, theta, phi, k, eta)
%   [Etheta, Ephi, rhat] = far_field_grid(...)
%
%   src         current elements (solution_currents, surface_current_elements, ...).
%   theta, phi  polar angles (from +z) and azimuths (from +x towards +y), radians.
%   k, eta      background wavenumber and wave impedance.
%
%   Etheta, Ephi are Nth x Nph complex: the spherical components of far_field's F (volts;
%   E ~ F exp(-j k r) / r) in the directions rhat = (sin th cos ph, sin th sin ph, cos th),
%   with theta_hat = (cos th cos ph, cos th sin ph, -sin th) and phi_hat = (-sin ph, cos ph,
%   0). rhat is 3 x (Nth Nph), theta fastest. The bistatic RCS of a plane wave of amplitude
%   |E0| is 4 pi (|Etheta|^2 + |Ephi|^2) / |E0|^2; write_far_field writes the grid.
%
%   Example:  [Et, Ep] = far_field_grid(src, linspace(0, pi, 37), linspace(0, 2*pi, 73), k, eta);
%             write_far_field('build/pattern.vtu', th, ph, Et, Ep, 1);
%
%   See also FAR_FIELD, WRITE_FAR_FIELD, RCS_CUTS.
function [Etheta, Ephi, rhat] = far_field_grid(src, theta, phi, k, eta)
  if nargin ~= 5 || ~isstruct(src)
    error('far_field_grid:usage', ...
          'usage: [Etheta, Ephi] = far_field_grid(src, theta, phi, k, eta)');
  end
  nth = numel(theta);
  nph = numel(phi);
  [TH, PH] = ndgrid(reshape(theta, [], 1), reshape(phi, 1, []));
  th = TH(:)';
  ph = PH(:)';
  rhat = [sin(th) .* cos(ph); sin(th) .* sin(ph); cos(th)];
  F = far_field(src, rhat, k, eta);
  eth = [cos(th) .* cos(ph); cos(th) .* sin(ph); -sin(th)];
  eph = [-sin(ph); cos(ph); zeros(1, nth * nph)];
  Etheta = reshape(sum(F .* eth, 1), nth, nph);
  Ephi = reshape(sum(F .* eph, 1), nth, nph);
end
