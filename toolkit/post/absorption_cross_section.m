% ABSORPTION_CROSS_SECTION  Absorption cross-section of the lossy tetrahedra.
%   sigma = absorption_cross_section(GEOM, const, D, omega, E0)
%
%   GEOM   volume record; const  constants record (Epsilon_r absolute, in the unit of
%          epsilon, and tan_delta per tetrahedron, as the record was built with).
%   D      3 x Nt flux density per tetrahedron (volume_current_elements' field D).
%   omega  angular frequency; E0  the incident field vector (its amplitude |E0|).
%
%   The field inside tetrahedron t is E_t = D_t / eps_t with eps_t = Epsilon_r(t) (1 - j
%   tan_delta(t)); the time-averaged power it dissipates is (omega/2) eps''_t V_t |E_t|^2,
%   eps''_t = Epsilon_r(t) tan_delta(t). Divided by the incident intensity |E0|^2 / (2 eta),
%   eta = sqrt(mu/epsilon):
%     sigma_abs = omega eta sum_t eps''_t V_t |D_t / eps_t|^2 / |E0|^2.
%   With the scattering cross-section it closes the energy balance sigma_ext = sigma_sca +
%   sigma_abs of the solution.
%
%   See also VOLUME_CURRENT_ELEMENTS, SCATTERING_CROSS_SECTION, EXTINCTION_CROSS_SECTION.
function sigma = absorption_cross_section(GEOM, const, D, omega, E0)
  if nargin ~= 5 || ~isstruct(GEOM) || ~isstruct(const)
    error('absorption_cross_section:usage', ...
          'usage: sigma = absorption_cross_section(GEOM, const, D, omega, E0)');
  end
  nt = fix(GEOM.TetrahedraTotal);
  if ~isequal(size(D), [3, nt])
    error('absorption_cross_section:D', ...
          'absorption_cross_section: D must be 3 x %d (one vector per tetrahedron)', nt);
  end
  er = reshape(const.Epsilon_r, 1, []);
  td = reshape(const.tan_delta, 1, []);
  if isscalar(er)
    er = repmat(er, 1, nt);
  end
  if isscalar(td)
    td = repmat(td, 1, nt);
  end
  er = er(1:nt);
  td = td(1:nt);
  eps_t = er .* (1 - 1i * td);
  eta = sqrt(const.mu / const.epsilon);
  E2 = sum(abs(D) .^ 2, 1) ./ abs(eps_t) .^ 2;
  sigma = omega * eta * sum(er .* td .* reshape(GEOM.VolumeT, 1, nt) .* E2) ...
          / sum(abs(E0(:)) .^ 2);
end
