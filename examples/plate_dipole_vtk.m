% A metal plate lying half inside a two-layer dielectric block, excited by an elementary
% dipole above its protruding half: the model is read from examples/models/plate_in_block.geo
% (gmsh), solved, and written for ParaView: build/plate_in_block.vtu (surface current on
% the plate; field, absorbed power and SAR in the block) and build/plate_in_block_far.vtu /
% .csv (the radiation pattern). Prints the powers and the energy balance.
%
% Variables that may be set before `run`: freq (Hz, default 2e9), mesh_size (m, default
% 0.006), dipole_position (m, default [0.02; -0.012; 0.018]), dipole_moment (C m, default
% [0; 0; 1e-12]).
%   octave-cli --eval "run('examples/plate_dipole_vtk.m')"
here = fileparts(mfilename('fullpath'));
addpath(fullfile(here, '..', 'toolkit'));
toolkit_setup();
if ~exist('freq', 'var'), freq = 2e9; end
if ~exist('mesh_size', 'var'), mesh_size = 0.006; end
if ~exist('dipole_position', 'var'), dipole_position = [0.02; -0.012; 0.018]; end
if ~exist('dipole_moment', 'var'), dipole_moment = [0; 0; 1e-12]; end
out = fullfile(here, '..', 'build');
if ~exist(out, 'dir'), mkdir(out); end

lower = dielectric_material('name', 'lower', 'eps_r', 4.4, 'tan_delta', 0.02, 'density', 1850);
upper = dielectric_material('name', 'upper', 'eps_r', 10, 'sigma', 0.3, 'density', 1100);
model = gmsh_model(fullfile(here, 'models', 'plate_in_block.geo'), 'mesh_size', mesh_size, ...
                   'metal', {'plate'}, 'dielectric', {'lower', lower; 'upper', upper});
src = dipole_source(dipole_position, dipole_moment);
[res, info] = solve_model(model, freq, src);
files = export_result(fullfile(out, 'plate_in_block'), info.prep, res);
r = res(1);
fprintf('\n%d unknowns (%d on the plate, %d in the block), %d plate triangles on block faces\n', ...
        info.unknowns, info.prep.surface_unknowns, info.prep.volume_unknowns, ...
        info.prep.metal_on_faces);
fprintf('dipole power %.4g W (free space %.4g W): radiated %.4g W, absorbed %.4g W ', ...
        r.P_source, r.P_free, r.P_rad, r.P_abs);
fprintf('(lower %.4g W, upper %.4g W); balance %+.3f %%\n', r.P_abs_region, 100 * r.balance);
fprintf('peak 10 g SAR %.4g W/kg at [%.3f %.3f %.3f] m\n', r.sar.peak_avg, r.sar.peak_avg_center);
fprintf('written: %s\n', strjoin(files, ', '));
