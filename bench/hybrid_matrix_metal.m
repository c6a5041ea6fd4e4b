% hybrid_matrix on a metal-only problem of about 4000 edge unknowns (a jittered, gently curved
% plate, 7-point triangle rule, near pairs within 2.5 cells): shares of the fill (centroid sweep,
% near pairs, scaling) and of the equilibrated symmetric factorisation/solve in one call, the
% peak memory of the call against one 16*N^2 matrix, and the solve against the host's own Z\V
% (general LU) on a complex symmetric matrix of the same order. All times measured in this run.
% Override the plate with a variable bench_cells (cells per side) set before running.
addpath(fullfile(fileparts(mfilename('fullpath')), 'hybrid_matrix'));
if ~exist('bench_cells', 'var')
  bench_cells = 37;
end
nc = bench_cells;
k = struct('epsilon', 8.854187817e-12, 'mu', 4e-7 * pi, 'c', 299792458);
side = 1.0;
[P, T] = plate_mesh(nc, nc, side, side, 0.3, 1);
P(3, :) = 0.1 * sin(pi * P(1, :)) .* sin(pi * P(2, :));
tic;
g = metal_record(P, T, 7, 2.5 * side / nc);
t_record = toc;
n = g.EdgesTotal;
w = 2 * pi * 3e8 * 2;  % plate two wavelengths across, about 18 cells per wavelength
printf('N = %d unknowns, %d triangles, %d near pairs, %d quadrature points (record built in %.1f s)\n', ...
       n, g.TrianglesTotal, numel(g.ttIS), g.OrderM, t_record);

randn('seed', 3);
v = randn(n, 1) + 1i * randn(n, 1);
status = @() fileread('/proc/self/status');
kib = @(s, key) str2double(regexp(s, [key ':\s*(\d+)'], 'tokens', 'once'){1});

reps = 2;
t_fill = inf;  t_call = inf;  peak = 0;
for r = 1:reps
  tic; hybrid_matrix(g, [], k, w, 0, -1); t_fill = min(t_fill, toc);  % fill + equilibration only
  base = kib(status(), 'VmRSS');
  fid = fopen('/proc/self/clear_refs', 'w');  fprintf(fid, '5');  fclose(fid);  % reset the peak
  tic; x = hybrid_matrix(g, [], k, w, 0, 1, v); t_call = min(t_call, toc);
  peak = max(peak, kib(status(), 'VmHWM') - base);
end
t_solve = t_call - t_fill;
matrix_kib = 16 * n ^ 2 / 1024;
printf('one call (flag 1), best of %d: %.2f s; fill %.1f%%, equilibration + factorisation/solve %.1f%%\n', ...
       reps, t_call, 100 * t_fill / t_call, 100 * t_solve / t_call);
printf('peak memory of the call: %.0f MiB = %.3f x one 16*N^2 matrix (%.0f MiB)\n', ...
       peak / 1024, peak / matrix_kib, matrix_kib / 1024);

a = randn(n) + 1i * randn(n);
z = a + a.' + 2 * sqrt(n) * eye(n);
clear a;
t_host = inf;
for r = 1:reps
  tic; y = z \ v; t_host = min(t_host, toc);
end
printf('host Z\\V on the same order: %.2f s; hybrid_matrix solve part / Z\\V = %.2f, whole call / Z\\V = %.2f\n', ...
       t_host, t_solve / t_host, t_call / t_host);
