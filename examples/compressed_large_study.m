% A body at about 100 000 unknowns solved by compressed_solve (hierarchical matrix, tol 1e-4)
% on one machine, where its dense matrix would need 150 GB: the dielectric sphere of the
% README's study (eps_r = 4, k a = 0.8; body = 'dielectric', the default) or the PEC sphere
% (k a = 1; body = 'metal'). Prints the time of every stage, the memory of the compressed
% matrix and of its factors, the peak memory of the process, and the cross-sections against
% the Mie series. Set `body`, `unknowns` (default 100000) or `tol` (default 1e-4) before running:
%   octave-cli --eval "run('examples/compressed_large_study.m')"
%   octave-cli --eval "body = 'metal'; run('examples/compressed_large_study.m')"
%   octave-cli --eval "unknowns = 20000; run('examples/compressed_large_study.m')"
here = fileparts(mfilename('fullpath'));
addpath(fullfile(here, '..', 'toolkit'));
toolkit_setup(fullfile(here, '..', 'build', 'mex'));
if ~exist('unknowns', 'var'), unknowns = 100000; end
if ~exist('tol', 'var'), tol = 1e-4; end
if ~exist('body', 'var'), body = 'dielectric'; end

clock0 = tic();
switch body
  case 'dielectric'
    printf(['dielectric sphere, eps_r = 4, k a = 0.8, about %d unknowns, compressed solve at ' ...
            'tol %g\n'], unknowns, tol);
    r = dielectric_study('eps_r', 4, 'ka', 0.8, 'unknowns', unknowns, 'ntheta', 37, ...
                         'time_fill', false, 'verbose', true, 'solver', struct('tol', tol));
  case 'metal'
    printf('PEC sphere, k a = 1, about %d unknowns, compressed solve at tol %g\n', unknowns, tol);
    r = sphere_study('ka', 1, 'unknowns', unknowns, 'ntheta', 37, 'time_fill', false, ...
                     'verbose', true, 'solver', struct('tol', tol));
  otherwise
    error('compressed_large_study: body must be ''dielectric'' or ''metal''');
end
wall = toc(clock0);
info = r.seconds.compressed;
t = info.time;
gib = 2^30;
status = fileread('/proc/self/status');
peak = sscanf(regexp(status, 'VmHWM:\s*(\d+)', 'tokens', 'once'){1}, '%d') * 1024;

if isfield(r, 'tetrahedra')
  printf('\n%d unknowns (%d tetrahedra, %d nontrivial faces)\n', r.unknowns, r.tetrahedra, r.faces);
else
  printf('\n%d unknowns (%d triangles)\n', r.unknowns, r.triangles);
end
stages = fieldnames(r.seconds);
printf('stages (s):');
for i = 1:numel(stages)
  if isnumeric(r.seconds.(stages{i})) && isscalar(r.seconds.(stages{i}))
    printf(' %s %.1f', stages{i}, r.seconds.(stages{i}));
  end
end
printf('\n');
printf(['compressed solve (s): diagonal %.1f, assembly %.1f, factorisation %.1f, solve %.1f, ' ...
        'refinement %.1f (%d GMRES steps), residual %.1f, total %.1f\n'], t.diagonal, ...
       t.assembly, t.factorisation, t.solve, t.refinement, info.iterations, t.residual, t.total);
printf(['memory: compressed matrix %.2f GiB (%.2f %% of the dense %.1f GiB), factors %.2f GiB, ' ...
        'largest rank %d; peak of the process %.2f GiB\n'], info.matrix_bytes / gib, ...
       100 * info.compression_ratio, 16 * r.unknowns^2 / gib, info.factor_bytes / gib, ...
       info.largest_rank, peak / gib);
printf('residual %.2e (equilibrated %.2e)\n', info.residual, info.scaled_residual);
printf('extinction %.6f, Mie %.6f (equal-volume sphere %.6f): error %.2e (%.2e)\n', r.ext, ...
       r.mie.ext, r.mie_eqvol.ext, r.ext_error, r.ext_error_eqvol);
if isfield(r, 'balance')
  printf('absorption %.2e; energy balance %.1e\n', r.abs, r.balance);
end
printf('whole study %.1f s\n', wall);
