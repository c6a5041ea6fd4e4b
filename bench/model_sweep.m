% A sweep of 10 frequencies with solve_model (frequency-independent records built once)
% against 10 single-frequency runs (each preparing the model again), both on the model of
% examples/models/plate_in_block.geo (metal plate, two dielectric layers, one of them a
% Debye material) with a plane wave and a dipole as two right-hand sides. Timed in one
% process; reports the stage times and the ratio sweep / singles, also with the gmsh meshing
% (done once for the sweep, once per run without sweeps) counted in.
% Override the mesh with a variable bench_mesh_size (m) set before running.
if ~exist('bench_mesh_size', 'var')
  bench_mesh_size = 0.007;
end
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit'));
toolkit_setup(fullfile(root, 'build', 'mex'));
lower = dielectric_material('eps_r', 4, 'sigma', 0.1);
upper = dielectric_material('eps_r', debye_permittivity(2, 3, 1e-10), 'tan_delta', 0.05);
clock0 = tic();
model = gmsh_model(fullfile(root, 'examples', 'models', 'plate_in_block.geo'), ...
                   'mesh_size', bench_mesh_size, 'metal', {'plate'}, ...
                   'dielectric', {'lower', lower; 'upper', upper});
t_mesh = toc(clock0);
src = [plane_wave_source([0 0 1], [1 0 0]), dipole_source([0.02; 0.02; 0.08], [1e-12; 0; 0])];
freq = linspace(1e9, 2.8e9, 10);

clock0 = tic();
[sweep, info] = solve_model(model, freq, src, 'verbose', false);
t_sweep = toc(clock0);
t_single = zeros(1, numel(freq));
worst = 0;
for i = 1:numel(freq)
  clock0 = tic();
  one = solve_model(model, freq(i), src, 'verbose', false);
  t_single(i) = toc(clock0);
  worst = max(worst, norm(one(1).x - sweep(i, 1).x) / norm(one(1).x));
end
s = info.seconds;
printf('%d unknowns, %d frequencies, 2 sources per factorisation\n', info.unknowns, numel(freq));
printf('sweep: %.2f s = prepare %.2f s once + per frequency %.2f s on average (materials %.3f, excitation %.3f, fill and solve %.2f, post-processing %.2f)\n', ...
       t_sweep, s.prepare, mean(s.total), mean(s.materials), mean(s.excitation), ...
       mean(s.solve), mean(s.post));
printf('10 single-frequency runs: %.2f s (%.2f s each on average)\n', sum(t_single), ...
       mean(t_single));
printf('ratio sweep / singles: %.3f (largest solution difference %.1e)\n', ...
       t_sweep / sum(t_single), worst);
printf(['counting the meshing of the .geo (%.2f s) into every single run and once into the ' ...
        'sweep: ratio %.3f\n'], t_mesh, (t_mesh + t_sweep) / sum(t_single + t_mesh));
