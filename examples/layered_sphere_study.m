% Plane-wave absorption by a three-layer lossy sphere (a different permittivity and
% conductivity in each layer) against the multilayer Mie series: the power absorbed in each
% layer, the extinction and absorption cross-sections, the energy balance, the RCS cuts,
% and the SAR of each layer. SI units; plane wave of 1 V/m travelling along +z, polarised
% along x.
%
% Run from the repository root after building:
%   octave-cli --eval "run('examples/layered_sphere_study.m')"
%   octave-cli --eval "unknowns = 1500; freq = 200e6; run('examples/layered_sphere_study.m')"
% Variables that may be set before `run` (defaults in brackets):
%   radii     outer radius of each layer in m, innermost first   [0.05 0.08 0.1]
%   eps_r     relative permittivity of each layer                [12 6 9]
%   sigma     conductivity of each layer in S/m                  [0.1 0.05 0.2]
%   freq      frequency in Hz                                    [300e6]
%   unknowns  target number of unknowns                          [3000]
%   rho       mass density of each layer in kg/m^3 (for SAR)     [1000 1000 1000]
%   out_dir   folder of the files written                        [build]
% Writes out_dir/layered_sphere_layers.csv (layer,radius_m,eps_r,sigma_Spm,p_abs_W,
% p_abs_mie_W), out_dir/layered_sphere_totals.csv (unknowns,c_ext_m2,c_ext_mie_m2,c_abs_m2,
% c_abs_mie_m2,balance), the RCS cuts against Mie (layered_sphere_rcs.png and .csv) and the
% field, absorbed power and SAR for ParaView (layered_sphere.vtu).

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
defaults = struct('radii', [0.05 0.08 0.1], 'eps_r', [12 6 9], 'sigma', [0.1 0.05 0.2], ...
                  'freq', 300e6, 'unknowns', 3000, 'rho', [1000 1000 1000], ...
                  'out_dir', fullfile(root, 'build'));
for name = fieldnames(defaults)'
  if ~exist(name{1}, 'var')
    eval(sprintf('%s = defaults.%s;', name{1}, name{1}));
  end
end
if ~exist(out_dir, 'dir')
  mkdir(out_dir);
end

fprintf(['Three-layer lossy sphere, radii %s m, eps_r %s, sigma %s S/m, f = %.4g MHz,\n' ...
         'plane wave 1 V/m along +z polarised along x, about %d unknowns\n'], mat2str(radii), ...
        mat2str(eps_r), mat2str(sigma), freq / 1e6, unknowns);
r = layered_study('radii', radii, 'eps_r', eps_r, 'sigma', sigma, 'freq', freq, ...
                  'unknowns', unknowns, 'verbose', true);
s = r.seconds;
fprintf('\nunknowns %d on %d tetrahedra (%d nontrivial faces), k a = %.3f\n', r.unknowns, ...
        r.tetrahedra, r.faces, r.k * radii(end));
fprintf(['stage times [s]  mesh %.2f | record %.3f | near tables %.2f | excitation %.3f | ' ...
         'fill and solve %.2f | post %.2f\n'], s.mesh, s.record, s.tables, s.excitation, ...
        s.fill_solve, s.far_field);
fprintf('\nlayer  radius [m]  eps_r   sigma [S/m]  P_abs [W]     Mie [W]       error\n');
for l = 1:numel(radii)
  fprintf('%-6d %-11.4g %-7.4g %-12.4g %-13.5e %-13.5e %+6.2f %%\n', l, radii(l), eps_r(l), ...
          sigma(l), r.p_abs(l), r.p_abs_mie(l), 100 * (r.p_abs(l) / r.p_abs_mie(l) - 1));
end
fprintf('total                                     %-13.5e %-13.5e %+6.2f %%\n', ...
        sum(r.p_abs), sum(r.p_abs_mie), 100 * (sum(r.p_abs) / sum(r.p_abs_mie) - 1));
fprintf('\n                   computed [m^2]  Mie [m^2]     error\n');
fprintf('extinction         %-15.5e %-13.5e %+6.2f %%\n', r.ext, r.mie.ext, ...
        100 * (r.ext / r.mie.ext - 1));
fprintf('absorption         %-15.5e %-13.5e %+6.2f %%\n', r.abs, r.mie.abs, ...
        100 * (r.abs / r.mie.abs - 1));
fprintf('scattering         %-15.5e %-13.5e %+6.2f %%\n', r.sca, r.mie.sca, ...
        100 * (r.sca / r.mie.sca - 1));
fprintf('energy balance (sca + abs) / ext - 1   %+.3f %%\n', 100 * r.balance);
fprintf('RCS cuts: rel. RMS error E-plane %.4f, H-plane %.4f\n', r.err_E.rel_rms, ...
        r.err_H.rel_rms);

% SAR per layer and the 10 g peak (spheres of 10 g around each tetrahedron centroid).
sar = sar_statistics(r.GEOM, r.const, r.omega, r.E, r.layer, rho);
fprintf('\nSAR [W/kg] per layer (mean, peak):');
fprintf(' %d: %.3e, %.3e;', [1:numel(radii); sar.region_mean'; sar.region_peak']);
fprintf('\n10 g peak SAR %.3e W/kg (sphere of radius %.3g m around %s)\n', sar.peak_avg, ...
        sar.peak_avg_radius, mat2str(sar.peak_avg_center', 3));

% The tables.
layers_csv = fullfile(out_dir, 'layered_sphere_layers.csv');
fid = fopen(layers_csv, 'w');
fprintf(fid, 'layer,radius_m,eps_r,sigma_Spm,p_abs_W,p_abs_mie_W\n');
fprintf(fid, '%d,%.10g,%.10g,%.10g,%.10e,%.10e\n', [1:numel(radii); radii; eps_r; sigma; ...
        r.p_abs; r.p_abs_mie]);
fclose(fid);
totals_csv = fullfile(out_dir, 'layered_sphere_totals.csv');
fid = fopen(totals_csv, 'w');
fprintf(fid, 'unknowns,c_ext_m2,c_ext_mie_m2,c_abs_m2,c_abs_mie_m2,balance\n');
fprintf(fid, '%d,%.10e,%.10e,%.10e,%.10e,%.6e\n', r.unknowns, r.ext, r.mie.ext, r.abs, ...
        r.mie.abs, r.balance);
fclose(fid);
fprintf('\ntables written to %s and %s\n', layers_csv, totals_csv);
plot_rcs_cuts(fullfile(out_dir, 'layered_sphere_rcs.png'), {r}, ...
              {sprintf('three-layer sphere, k a = %.2f, %d unknowns', r.k * radii(end), ...
                       r.unknowns)}, pi * radii(end) ^ 2);
vtu = fullfile(out_dir, 'layered_sphere.vtu');
export_vtu(vtu, [], r.GEOM, r.const, r.omega, r.x, struct('region', r.layer, 'rho', rho));
fprintf('field, absorbed power and SAR written to %s (open it in ParaView)\n', vtu);
