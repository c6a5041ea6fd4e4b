% Plane-wave scattering by a homogeneous dielectric sphere, eps_r = 4, ka = 0.8, lossless
% and with loss tangent 0.5, solved with the volume modules and compared with the Mie
% series: prints, for each case, the problem size, the time of each stage, the extinction
% and absorption cross-sections against Mie (true and equal-volume sphere), the energy
% balance and the errors of the E- and H-plane RCS cuts, and writes a plot of the cuts of
% both cases against Mie.
%
% Run from anywhere after building:
%   octave-cli --eval "run('examples/dielectric_sphere_study.m')"
% Set `unknowns` (default 1000) or `plot_file` (default build/dielectric_sphere_rcs.png)
% before running the script to change them; the cuts are also written beside the plot (.csv).

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('unknowns', 'var')
  unknowns = 1000;
end
if ~exist('plot_file', 'var')
  plot_file = fullfile(root, 'build', 'dielectric_sphere_rcs.png');
end

fprintf(['Dielectric sphere, eps_r = 4, ka = 0.8, plane wave along +z polarised along x, ' ...
         'about %d unknowns\n'], unknowns);
lossless = dielectric_study('ka', 0.8, 'eps_r', 4, 'unknowns', unknowns, ...
                                   'verbose', true);
print_volume_study(lossless, 'lossless, eps_r = 4');
% The lossy sphere on the same mesh.
lossy = dielectric_study('ka', 0.8, 'eps_r', 4, 'tan_delta', 0.5, 'verbose', true, ...
                                'mesh', {lossless.P, lossless.T, lossless.layer});
print_volume_study(lossy, 'lossy, eps_r = 4, tan delta = 0.5');
fprintf('\n');
plot_rcs_cuts(plot_file, {lossless, lossy}, ...
              {sprintf('dielectric sphere, eps_r = 4, ka = 0.8, %d unknowns', lossless.unknowns), ...
               'the same, tan delta = 0.5'}, pi);
