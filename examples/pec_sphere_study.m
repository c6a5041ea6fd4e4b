% Plane-wave scattering by a perfectly conducting sphere of ka = 1, solved with the modules
% and compared with the Mie series: prints the problem size, the time of each stage, the
% extinction cross-section against Mie (true and equal-volume sphere) and the errors of the
% E- and H-plane RCS cuts, and writes a plot of both cuts against Mie.
%
% Run from anywhere after building:
%   octave-cli --eval "run('examples/pec_sphere_study.m')"
% Set `unknowns` (default 1000) or `plot_file` (default build/pec_sphere_rcs.png) before
% running the script to change them. The cuts are also written as numbers beside the plot
% (same name, .csv). Octave draws the plot with gnuplot when no display is available
% (Debian package gnuplot-nox).

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('unknowns', 'var')
  unknowns = 1000;
end
if ~exist('plot_file', 'var')
  plot_file = fullfile(root, 'build', 'pec_sphere_rcs.png');
end

fprintf('PEC sphere, ka = 1, plane wave along +z polarised along x, about %d unknowns\n', ...
        unknowns);
r = sphere_study('ka', 1, 'unknowns', unknowns, 'verbose', true);
s = r.seconds;
pia2 = pi;   % the sphere has radius 1
fprintf('\nunknowns (RWG)        %d   (%d triangles)\n', r.unknowns, r.triangles);
fprintf(['stage times [s]       mesh (gmsh) %.2f | record %.3f | near tables %.3f | ' ...
         'excitation %.3f\n                      fill %.3f | solve %.3f | far field and ' ...
         'cross-sections %.3f\n'], s.mesh, s.record, s.tables, s.excitation, s.fill, s.solve, ...
        s.far_field);
fprintf('                      total after meshing %.2f s\n\n', ...
        s.record + s.tables + s.excitation + s.fill_solve + s.far_field);
fprintf('                          computed   Mie        error     equal-volume Mie  error\n');
fprintf('extinction / (pi a^2)     %-10.5f %-10.5f %+7.2f %%  %-10.5f        %+7.2f %%\n', ...
        r.ext / pia2, r.mie.ext / pia2, 100 * r.ext_error, r.mie_eqvol.ext / pia2, ...
        100 * r.ext_error_eqvol);
fprintf('\nRCS cuts (0..180 deg)     rel. RMS   RMS dB   max dB   | equal-volume: rel. RMS\n');
fprintf('E-plane                   %-10.4f %-8.3f %-8.3f | %.4f\n', r.err_E.rel_rms, ...
        r.err_E.rms_db, r.err_E.max_db, r.err_E_eqvol.rel_rms);
fprintf('H-plane                   %-10.4f %-8.3f %-8.3f | %.4f\n', r.err_H.rel_rms, ...
        r.err_H.rms_db, r.err_H.max_db, r.err_H_eqvol.rel_rms);

fprintf('\n');
plot_rcs_cuts(plot_file, {r}, {sprintf('PEC sphere, ka = 1, %d RWG unknowns', r.unknowns)}, pia2);
