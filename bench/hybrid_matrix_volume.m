% hybrid_matrix on a dielectric-only problem of about 3900 volume unknowns (a block of 8 x 8 x 9
% cubes of 1 cm, six tetrahedra each, two lossy materials, near pairs within 1.5 cells) and on a
% mixed one (a metal plate of about 1200 edges under a block of 7 x 7 x 7 cubes), and the first
% block with a different permittivity in every tetrahedron (every face nontrivial): shares of the
% fill (volume block, coupling blocks, surface block) and of the equilibrated symmetric
% factorisation/solve in one call, each measured in this run. Override the sizes with bench_dims
% (cubes per side of the dielectric-only block) set before running.
addpath(fullfile(fileparts(mfilename('fullpath')), 'hybrid_matrix'));
if ~exist('bench_dims', 'var')
  bench_dims = [8 8 9];
end
k = struct('epsilon', 8.854187817e-12, 'mu', 4e-7 * pi, 'c', 299792458);
h = 0.01;
w = 2 * pi * 1e9;  % 15 cells per wavelength in the denser material
material = @(c) deal(4 + 2 * (c(3, :) > 0.04), 0.02 * ones(1, columns(c)));
reps = 2;

% Best-of-reps times of the fill alone (flag -1: records checked, matrix filled, nothing solved)
% and of a whole call solving for one right-hand side.
function [t_fill, t_call] = time_call(g, G, k, w, reps)
  n = 0;
  if ~isempty(g), n += g.EdgesTotal; end
  if ~isempty(G), n += G.EdgesTotal; end
  randn('seed', 3);
  v = randn(n, 1) + 1i * randn(n, 1);
  t_fill = inf;  t_call = inf;
  for r = 1:reps
    tic; hybrid_matrix(g, G, k, w, 0, -1); t_fill = min(t_fill, toc);
    tic; x = hybrid_matrix(g, G, k, w, 0, 1, v); t_call = min(t_call, toc);
  end
end

tic;
[G, k.Epsilon_r, k.tan_delta] = volume_record(bench_dims, h, [0 0 0], material, 1.5 * h, k.epsilon);
t_record = toc;
printf('dielectric: N = %d volume unknowns, %d tetrahedra, %d nontrivial faces, %d + %d near pairs (record built in %.1f s)\n', ...
       G.EdgesTotal, G.TetrahedraTotal, G.FacesNontrivial, numel(G.TTIS), numel(G.FFIS), t_record);
[t_fill, t_call] = time_call([], G, k, w, reps);
printf('  one call (flag 1), best of %d: %.2f s; fill %.1f%%, equilibration + factorisation/solve %.1f%%\n', ...
       reps, t_call, 100 * t_fill / t_call, 100 * (t_call - t_fill) / t_call);

% Every face nontrivial: a different permittivity in every tetrahedron, so that the face sweep
% (about 2 faces per tetrahedron) outweighs the tetrahedron sweep.
rand('seed', 5);
random_material = @(c) deal(3 + 2 * rand(1, columns(c)), 0.02 * ones(1, columns(c)));
kr = k;
[Gr, kr.Epsilon_r, kr.tan_delta] = volume_record(bench_dims, h, [0 0 0], random_material, 1.2 * h, k.epsilon);
printf('inhomogeneous: N = %d, %d tetrahedra, %d nontrivial faces, %d + %d near pairs\n', ...
       Gr.EdgesTotal, Gr.TetrahedraTotal, Gr.FacesNontrivial, numel(Gr.TTIS), numel(Gr.FFIS));
[t_fill, t_call] = time_call([], Gr, kr, w, reps);
printf('  one call (flag 1), best of %d: %.2f s; fill %.1f%%, equilibration + factorisation/solve %.1f%%\n', ...
       reps, t_call, 100 * t_fill / t_call, 100 * (t_call - t_fill) / t_call);

% Mixed: the plate 5 mm below a smaller block, near triangle-volume pairs within 1.5 cells.
[P, T] = plate_mesh(20, 20, 0.11, 0.11, 0.3, 2);
P(1:2, :) -= 0.02;  P(3, :) = -0.005;
g = metal_record(P, T, 7, 1.5 * 0.0055);
[Gm, k.Epsilon_r, k.tan_delta] = volume_record([7 7 7], h, [0 0 0], material, 1.5 * h, k.epsilon);
Gm = coupling_tables(g, Gm, 1.5 * h);
printf('mixed: N = %d (%d edges + %d volume unknowns), %d + %d triangle-volume near pairs\n', ...
       g.EdgesTotal + Gm.EdgesTotal, g.EdgesTotal, Gm.EdgesTotal, numel(Gm.TtIS), numel(Gm.tFIS));
[t_fill, t_call] = time_call(g, Gm, k, w, reps);
t_surface = time_call(g, [], k, w, reps);
Gv = Gm;
[t_volume, ~] = time_call([], Gv, k, w, reps);
printf('  one call (flag 1), best of %d: %.2f s; fill %.1f%% (surface block %.1f%%, volume block %.1f%%, coupling %.1f%%), equilibration + factorisation/solve %.1f%%\n', ...
       reps, t_call, 100 * t_fill / t_call, 100 * t_surface / t_call, 100 * t_volume / t_call, ...
       100 * (t_fill - t_surface - t_volume) / t_call, 100 * (t_call - t_fill) / t_call);
