% compressed_solve at growing size: a dielectric sphere (eps_r = 4, ka = 0.8, the README's
% study) and a PEC sphere (ka = 1) at about 5 000, 10 000, 20 000 and 40 000 unknowns, tol 1e-4:
% time of each phase, memory of the compressed matrix and of its factors, compression ratio
% against the dense 16*N^2 bytes, largest block rank, GMRES steps, and the extinction error
% against the Mie series; then the fitted exponents p of memory and time ~ N^p. With
% dense_sizes (default: none) the same study is also solved by hybrid_matrix on the same mesh,
% side by side: memory ratio, time ratio and the difference of the cross-sections.
% Set before running: sizes (target unknowns), kinds ({'dielectric', 'metal'}), dense_sizes,
% tol. Writes build/compressed_solve_growth.csv.
%   octave-cli --eval "run('bench/compressed_solve_growth.m')"
%   octave-cli --eval "sizes = [5000 10000]; dense_sizes = 10000; run('bench/compressed_solve_growth.m')"
here = fileparts(mfilename('fullpath'));
addpath(fullfile(here, '..', 'toolkit'));
toolkit_setup(fullfile(here, '..', 'build', 'mex'));
if ~exist('sizes', 'var'), sizes = [5000 10000 20000 40000]; end
if ~exist('kinds', 'var'), kinds = {'dielectric', 'metal'}; end
if ~exist('dense_sizes', 'var'), dense_sizes = []; end
if ~exist('tol', 'var'), tol = 1e-4; end
common = {'ntheta', 19, 'time_fill', false};

function r = run_study(kind, n, mesh, solver, common)
  if strcmp(kind, 'dielectric')
    args = [{'eps_r', 4, 'ka', 0.8, 'solver', solver}, common];
    if isempty(mesh)
      r = dielectric_study(args{:}, 'unknowns', n);
    else
      r = dielectric_study(args{:}, 'mesh', mesh);
    end
  else
    args = [{'ka', 1, 'solver', solver}, common];
    if isempty(mesh)
      r = sphere_study(args{:}, 'unknowns', n);
    else
      r = sphere_study(args{:}, 'mesh', mesh);
    end
  end
end

gib = 2^30;
rows_out = {};
printf(['%-10s %7s %8s %8s %8s %8s %7s %7s %7s %5s %4s %9s\n'], 'kind', 'N', 'assembly', ...
       'factor', 'refine', 'total s', 'mat GiB', 'fac GiB', 'ratio', 'rank', 'it', 'ext err');
for kc = 1:numel(kinds)
  kind = kinds{kc};
  N = [];  T = [];  M = [];
  for n = sizes
    r = run_study(kind, n, [], struct('tol', tol), common);
    info = r.seconds.compressed;
    t = info.time;
    printf('%-10s %7d %8.1f %8.1f %8.1f %8.1f %7.2f %7.2f %7.4f %5d %4d %9.2e\n', kind, ...
           info.unknowns, t.diagonal + t.assembly, t.factorisation, t.refinement + t.solve, ...
           t.total, info.matrix_bytes / gib, info.factor_bytes / gib, info.compression_ratio, ...
           info.largest_rank, info.iterations, r.ext_error_eqvol);
    rows_out(end + 1, :) = {kind, info.unknowns, t.diagonal + t.assembly, t.factorisation, ...
                            t.refinement + t.solve, t.total, info.matrix_bytes, ...
                            info.factor_bytes, info.compression_ratio, info.largest_rank, ...
                            info.iterations, r.ext, NaN, NaN, NaN};
    N(end + 1) = info.unknowns;  T(end + 1) = t.total;
    M(end + 1) = info.matrix_bytes + info.factor_bytes;
    if any(abs(dense_sizes - n) < 1)
      if strcmp(kind, 'dielectric'), mesh = {r.P, r.T, r.layer}; else, mesh = {r.P, r.t}; end
      d = run_study(kind, n, mesh, 'dense', common);
      dense_bytes = 16 * info.unknowns^2;
      printf(['%-10s %7d dense: %.1f s, %.2f GiB; compressed/dense: time %.3f, memory %.3f, ' ...
              'extinction differs by %.1e\n'], kind, info.unknowns, d.seconds.fill_solve, ...
             dense_bytes / gib, t.total / d.seconds.fill_solve, ...
             (info.matrix_bytes + info.factor_bytes) / dense_bytes, abs(r.ext / d.ext - 1));
      rows_out(end, 13:15) = {d.seconds.fill_solve, dense_bytes, d.ext};
    end
  end
  if numel(N) >= 2
    pm = polyfit(log(N), log(M), 1);
    pt = polyfit(log(N), log(T), 1);
    printf('%s: memory ~ N^%.2f, time ~ N^%.2f (fitted over N = %s)\n', kind, pm(1), pt(1), ...
           mat2str(N));
  end
end

csv = fullfile(here, '..', 'build', 'compressed_solve_growth.csv');
f = fopen(csv, 'w');
fprintf(f, ['kind,unknowns,assembly_s,factorisation_s,solve_refine_s,total_s,matrix_bytes,' ...
            'factor_bytes,compression_ratio,largest_rank,iterations,ext,dense_s,dense_bytes,' ...
            'dense_ext\n']);
for i = 1:rows(rows_out)
  fprintf(f, '%s,%d,%.3f,%.3f,%.3f,%.3f,%d,%d,%.6f,%d,%d,%.9g,%.3f,%.0f,%.9g\n', rows_out{i, :});
end
fclose(f);
printf('wrote %s\n', csv);
