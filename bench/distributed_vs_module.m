% hybrid_matrix_mpi against hybrid_matrix at about 8000 unknowns: a PEC sphere (ka = 1) and a
% dielectric sphere (eps_r = 4, ka = 0.8), each built by the toolkit's study, which also times
% the module on it (fill alone on two threads, then fill and symmetric solve); then the program
% with 1 and 2 ranks (one BLAS thread each) on the same problem and right-hand side, all in this
% run: fill, LU factorisation and solve per phase (slowest rank), the fill of P ranks against
% the fill of one (no repeated work: at most 1.2/P), memory per rank against 16 N^2 / P, and the
% largest difference of the solutions. The fill is timed both elapsed and in processor seconds
% (slowest rank): the latter does not depend on what else runs on the machine. Override with bench_unknowns / bench_ranks set before
% running; the table also goes to build/hybrid_matrix_mpi_bench.csv.
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit'));
toolkit_setup(fullfile(root, 'build', 'mex'));
if ~exist('bench_unknowns', 'var')
  bench_unknowns = 8000;
end
if ~exist('bench_ranks', 'var')
  bench_ranks = [1 2];
end
khat = [0; 0; 1];
E0 = [1; 0; 0];

results = {};
function row = table_row(name, n, solver, ranks, fill, factor, solve, total, matrix, peak)
  row = {name, n, solver, ranks, fill, factor, solve, total, matrix / 2^20, peak / 2^20};
end

for problem = {'metal', 'dielectric'}
  name = problem{1};
  printf('== %s sphere, about %d unknowns: meshing, records, module fill and solve\n', name, ...
         bench_unknowns);
  if strcmp(name, 'metal')
    r = sphere_study('unknowns', bench_unknowns, 'ntheta', 3);
    geom = r.geom; GEOM = []; n = geom.EdgesTotal;
    V = excite_plates(geom, plane_wave(geom.PointsFC, r.k, khat, E0));
    x0 = r.I / (1i * r.omega);
  else
    r = dielectric_study('unknowns', bench_unknowns, 'ntheta', 3);
    geom = []; GEOM = r.GEOM; n = GEOM.EdgesTotal;
    qt = GEOM.OrderT; nt = GEOM.TetrahedraTotal;
    Ein = reshape(plane_wave(GEOM.PointsT, r.k, khat, E0), 3, qt, nt);
    V = excite_cells(GEOM, reshape(sum(Ein .* reshape(GEOM.WT, 1, qt), 2), 3, nt));
    x0 = r.x;
  end
  s = r.seconds;
  results(end + 1, :) = [table_row(name, n, 'hybrid_matrix', 1, s.fill, NaN, ...
                                   s.fill_solve - s.fill, s.fill_solve, 16 * n^2, NaN), {NaN}];
  fill1 = NaN;
  for P = bench_ranks
    [x, info] = hybrid_matrix_mpi(geom, GEOM, r.const, r.omega, 0, 1, V, 'ranks', P);
    t = info.timings;
    results(end + 1, :) = [table_row(name, n, 'hybrid_matrix_mpi', P, t.fill, t.factor, ...
                                     t.solve, t.total, max(info.memory.matrix_per_rank), ...
                                     max(info.memory.peak_per_rank)), {NaN}];
    cpu = max(t.fill_cpu_per_rank);
    if P == 1
      fill1 = t.fill;
      cpu1 = cpu;
    end
    printf(['   %d rank(s): grid %dx%d, fill per rank %s s (processor %s s); P x fill / 1-rank ' ...
            'fill: %.3f elapsed, %.3f processor; factor processor s per rank %s; solution ' ...
            'differs by %.2g\n'], P, info.grid, mat2str(t.fill_per_rank, 3), ...
           mat2str(t.fill_cpu_per_rank, 3), P * t.fill / fill1, P * cpu / cpu1, ...
           mat2str(t.factor_cpu_per_rank, 3), norm(x - x0) / norm(x0));
    results{end, end} = cpu;
  end
end

printf('\n%-10s %6s %-18s %5s %8s %8s %8s %8s %10s %10s %9s\n', 'problem', 'N', 'solver', ...
       'ranks', 'fill s', 'factor s', 'solve s', 'total s', 'matrix MiB', 'peak MiB', 'fill cpu');
fid = fopen(fullfile(root, 'build', 'hybrid_matrix_mpi_bench.csv'), 'w');
fprintf(fid, ['problem,N,solver,ranks,fill_s,factor_s,solve_s,total_s,matrix_MiB_per_rank,' ...
              'peak_MiB_per_rank,fill_cpu_s\n']);
for i = 1:rows(results)
  printf('%-10s %6d %-18s %5d %8.2f %8.2f %8.2f %8.2f %10.0f %10.0f %9.2f\n', results{i, :});
  fprintf(fid, '%s,%d,%s,%d,%.3f,%.3f,%.3f,%.3f,%.1f,%.1f,%.3f\n', results{i, :});
end
fclose(fid);
printf(['(hybrid_matrix: fill on two threads, its "solve" is the equilibrated symmetric L*D*L.''' ...
        ' factorisation and solve; hybrid_matrix_mpi: one BLAS thread per rank, LU.)\n']);
