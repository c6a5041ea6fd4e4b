% Plane-wave scattering by a perfectly conducting sphere with a dielectric coating (eps_r = 4,
% core radius 0.6 of the outer radius, k * outer radius = 1), lossless and with loss tangent
% 0.5: metal surface currents and dielectric volume currents solved together, compared with
% the Mie series of the coated sphere and of the layers of equal volume. Prints, for each
% case, the problem size, the time of each stage, the cross-sections, the energy balance and
% the errors of the E- and H-plane RCS cuts, and writes a plot of the cuts against Mie.
%
% Run from anywhere after building:
%   octave-cli --eval "run('examples/coated_sphere_study.m')"
% Set `unknowns` (default 1300, surface plus volume) or `plot_file` (default
% build/coated_sphere_rcs.png) before running the script to change them; the cuts are also
% written beside the plot (.csv).

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('unknowns', 'var')
  unknowns = 1300;
end
if ~exist('plot_file', 'var')
  plot_file = fullfile(root, 'build', 'coated_sphere_rcs.png');
end

fprintf(['PEC sphere with a dielectric coating, eps_r = 4, core / outer radius 0.6, ' ...
         'k * outer radius = 1,\nplane wave along +z polarised along x, about %d unknowns\n'], ...
        unknowns);
lossless = dielectric_study('core', 0.6, 'radius', 1, 'ka', 1, 'eps_r', 4, ...
                                   'unknowns', unknowns, 'verbose', true);
print_volume_study(lossless, 'lossless coating, eps_r = 4');
lossy = dielectric_study('core', 0.6, 'radius', 1, 'ka', 1, 'eps_r', 4, ...
                                'tan_delta', 0.5, 'verbose', true, ...
                                'mesh', {lossless.P, lossless.T, lossless.layer});
print_volume_study(lossy, 'lossy coating, eps_r = 4, tan delta = 0.5');
fprintf('\n');
plot_rcs_cuts(plot_file, {lossless, lossy}, ...
              {sprintf('coated PEC sphere, eps_r = 4, k a = 1, %d unknowns', lossless.unknowns), ...
               'the same, tan delta = 0.5'}, pi);
