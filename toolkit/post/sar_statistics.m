% SAR_STATISTICS  Specific absorption rate per tetrahedron, per region, and 10 g peak.
%   sar = sar_statistics(GEOM, const, omega, E, region, rho)
%   sar = sar_statistics(GEOM, const, omega, E, region, rho, mass)
%
%   GEOM, const, omega, E, region  as for absorbed_power (E from internal_field, 3 x Nt x m;
%                                  region 1 x Nt, or [] for one region).
%   rho    mass density in kg/m^3: one value per region number (numel = max(region)) or one
%          per tetrahedron. A tetrahedron of density 0 is not tissue: SAR NaN there, and it is
%          left out of the means, peaks and averages.
%   mass   averaging mass in kg (default 0.010, 10 g).
%
%   SAR in tetrahedron t: SAR_t = sigma_eff |E_t|^2 / (2 rho_t) = p_t / rho_t (W/kg, with
%   SI units and peak-amplitude phasors), sigma_eff = omega eps''_t.
%
%   sar fields (columns are sources):
%     tet          Nt x m SAR per tetrahedron
%     region_mean  R x m mean SAR of each region: its absorbed power over its mass
%     region_peak  R x m largest tetrahedron SAR in each region
%     region_mass  R x 1 mass of each region (kg)
%     avg          Nt x m mass-averaged SAR around each tetrahedron (averaged_sar: a sphere
%                  centred at the tetrahedron's centroid grown until the tissue tetrahedra
%                  whose centroids it holds weigh `mass`, the last one taken in part)
%     peak_avg     1 x m the peak mass-averaged SAR (max of avg; "10 g peak SAR")
%     peak_avg_tet 1 x m the tetrahedron it is centred at; peak_avg_center 3 x m its centroid
%     peak_avg_radius  1 x m the radius of its averaging sphere (m)
%     mass         the averaging mass (kg)
%     power        the absorbed_power struct
%
%   Example:  E = internal_field(geom, GEOM, const, x);
%             sar = sar_statistics(GEOM, const, omega, E, region, [1040 1100 1850]);
%             fprintf('10 g peak SAR %.3g W/kg\n', sar.peak_avg);
%
%   See also ABSORBED_POWER, AVERAGED_SAR, INTERNAL_FIELD, EXPORT_VTU.
function sar = sar_statistics(GEOM, const, omega, E, region, rho, mass)
  if nargin < 6 || nargin > 7
    error('sar_statistics:usage', ...
          'usage: sar = sar_statistics(GEOM, const, omega, E, region, rho, mass)');
  end
  if nargin < 7
    mass = 0.010;
  end
  nt = fix(GEOM.TetrahedraTotal);
  if isempty(region)
    region = ones(1, nt);
  end
  pa = absorbed_power(GEOM, const, omega, E, region);
  region = reshape(double(region), 1, []);
  R = max(region);
  rho = reshape(double(rho), 1, []);
  if numel(rho) == R && R ~= nt
    rho = rho(region);
  elseif numel(rho) ~= nt
    error('sar_statistics:rho', ['sar_statistics: rho must hold one density per region ' ...
          '(%d) or per tetrahedron (%d)'], R, nt);
  end
  if any(~(rho >= 0)) || any(~isfinite(rho))
    error('sar_statistics:rho', 'sar_statistics: densities must be finite and non-negative');
  end
  m = size(pa.tet, 2);
  tissue = rho(:) > 0;
  sar.tet = NaN(nt, m);
  sar.tet(tissue, :) = pa.density(tissue, :) ./ rho(tissue)';
  tet_mass = rho(:) .* reshape(GEOM.VolumeT, nt, 1);
  sar.region_mass = accumarray(region(:), tet_mass, [R, 1]);
  sar.region_mean = NaN(R, m);
  sar.region_peak = NaN(R, m);
  for j = 1:m
    pr = accumarray(region(tissue)', pa.tet(tissue, j), [R, 1]);
    pk = accumarray(region(tissue)', sar.tet(tissue, j), [R, 1], @max, NaN);
    has = sar.region_mass > 0;
    sar.region_mean(has, j) = pr(has) ./ sar.region_mass(has);
    sar.region_peak(has, j) = pk(has);
  end
  [sar.avg, radius] = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, pa.tet, mass);
  [sar.peak_avg, sar.peak_avg_tet] = max(sar.avg, [], 1);
  sar.peak_avg_center = GEOM.CenterT(:, sar.peak_avg_tet);
  sar.peak_avg_radius = radius(sar.peak_avg_tet);
  sar.mass = mass;
  sar.power = pa;
end
