% ABSORBED_POWER  Power dissipated in the dielectric, per tetrahedron and per region.
%   pa = absorbed_power(GEOM, const, omega, E)
%   pa = absorbed_power(GEOM, const, omega, E, region)
%
%   GEOM    volume record (VolumeT, TetrahedraTotal).
%   const   constants record: Epsilon_r (absolute permittivity, unit of epsilon) and
%           tan_delta per tetrahedron (or one value for all).
%   omega   angular frequency.
%   E       3 x Nt x m field per tetrahedron (internal_field), m sources.
%   region  1 x Nt positive integer region number of each tetrahedron (default all 1).
%
%   The time-averaged power density in tetrahedron t (peak-amplitude phasors, exp(j omega t))
%     p_t = (omega / 2) eps''_t |E_t|^2,   eps''_t = Epsilon_r(t) tan_delta(t),
%   i.e. sigma_eff |E|^2 / 2 with the effective conductivity sigma_eff = omega eps''. In SI
%   units (em_constants('si')) p is in W/m^3 and powers are in W.
%
%   pa fields (columns are sources):
%     density   Nt x m power density p_t
%     tet       Nt x m power p_t V_t of each tetrahedron
%     region    R x m power of each region number 1..R (R = max(region); 0 for an unused number)
%     total     1 x m total absorbed power
%   For a plane wave of amplitude |E0|, total / (|E0|^2 / (2 eta)) is the absorption
%   cross-section (absorption_cross_section).
%
%   Example:  E = internal_field(geom, GEOM, const, x);
%             pa = absorbed_power(GEOM, const, omega, E, layer);
%
%   See also INTERNAL_FIELD, SAR_STATISTICS, ABSORPTION_CROSS_SECTION.
function pa = absorbed_power(GEOM, const, omega, E, region)
  if nargin < 4 || nargin > 5 || ~isstruct(GEOM) || ~isstruct(const)
    error('absorbed_power:usage', ...
          'usage: pa = absorbed_power(GEOM, const, omega, E, region)');
  end
  nt = fix(GEOM.TetrahedraTotal);
  if nargin < 5 || isempty(region)
    region = ones(1, nt);
  end
  region = check_region('absorbed_power', region, nt);
  if size(E, 1) ~= 3 || size(E, 2) ~= nt
    error('absorbed_power:E', 'absorbed_power: E must be 3 x %d x m (internal_field)', nt);
  end
  m = size(E, 3);
  eps_t = tetra_permittivity(const, nt, 'absorbed_power');
  loss = -imag(eps_t(:));
  E2 = reshape(sum(abs(E) .^ 2, 1), nt, m);
  pa.density = (omega / 2) * loss .* E2;
  pa.tet = pa.density .* reshape(GEOM.VolumeT, nt, 1);
  R = max(region);
  pa.region = zeros(R, m);
  for j = 1:m
    pa.region(:, j) = accumarray(region(:), pa.tet(:, j), [R, 1]);
  end
  pa.total = sum(pa.tet, 1);
end

function region = check_region(caller, region, nt)
  region = reshape(double(region), 1, []);
  if numel(region) ~= nt || any(region < 1 | region ~= fix(region))
    error([caller ':region'], ...
          '%s: region must hold one positive integer per tetrahedron (%d)', caller, nt);
  end
end
