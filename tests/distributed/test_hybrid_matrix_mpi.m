% hybrid_matrix_mpi (program and front end) against hybrid_matrix on a metal, a dielectric and a
% mixed sphere problem with 1, 2, 3 (a 1 x 3 grid) and 4 (2 x 2) ranks on this machine, two
% right-hand sides at once; the condition estimate; the studies solved on 2 ranks; and the
% failures: a problem file that is no
% MAT file, a record the module refuses (same identifier and message), an impossible grid, a
% rank without enough memory, and the front end's own errors. Every run is on the loopback
% interface under a time limit; no result file or temporary folder is left behind.

limit = {'timeout', 120};
scratch = tempname();
mkdir(scratch);
cleanup = onCleanup(@() rmdir(scratch, 's'));
where = {'folder', scratch};

pec = sphere_study('unknowns', 300, 'ntheta', 3, 'time_fill', false);
die = dielectric_study('unknowns', 300, 'tan_delta', 0.3, 'ntheta', 3, 'time_fill', false);
mix = dielectric_study('core', 0.6, 'ka', 1, 'unknowns', 400, 'ntheta', 3, 'time_fill', false);
cases = {pec.geom, [], pec.const, pec.omega, 'metal', [1 2 4]; ...
         [], die.GEOM, die.const, die.omega, 'dielectric', [1 2 4]; ...
         mix.geom, mix.GEOM, mix.const, mix.omega, 'mixed', [1 2 3 4]};
assert(mix.surface_unknowns > 0 && mix.volume_unknowns > 0, 'the mixed problem has both kinds');
randn('state', 3);
for c = 1:rows(cases)
  [geom, GEOM, const, omega, name, ranks] = cases{c, :};
  n = 0;
  if ~isempty(geom), n = n + geom.EdgesTotal; end
  if ~isempty(GEOM), n = n + GEOM.EdgesTotal; end
  V = complex(randn(n, 2), randn(n, 2));
  x0 = hybrid_matrix(geom, GEOM, const, omega, 0, 2, V);
  for P = ranks
    [x, info] = hybrid_matrix_mpi(geom, GEOM, const, omega, 0, 2, V, 'ranks', P, limit{:}, ...
                                  where{:});
    assert(iscomplex(x) && isequal(size(x), [2 * n, 1]), '%s, %d ranks: shape', name, P);
    err = norm(x - x0) / norm(x0);
    assert(err < 1e-10, '%s, %d ranks: solution differs by %.3g', name, P, err);
    expected_grid = [1 P];
    if P == 4, expected_grid = [2 2]; end
    assert(isequal(info.grid, expected_grid), '%s, %d ranks: grid %dx%d', name, P, info.grid);
    assert(info.order == n && numel(info.timings.fill_per_rank) == P, '%s: report', name);
    % The local parts of the matrix add up to the whole matrix.
    assert(abs(sum(info.memory.matrix_per_rank) / (16 * n^2) - 1) < 1e-12, '%s: memory', name);
    printf('%-10s %d rank(s): grid %dx%d, relative difference %.2g\n', name, P, info.grid, err);
  end
  % Condition estimates of the LU factors (pzgecon) and of the L*D*L.' factors (zsycon) of the
  % same equilibrated matrix: one-norm estimates of the same number, within a factor of 3.
  rc0 = hybrid_matrix(geom, GEOM, const, omega, 0, 0);
  rc = hybrid_matrix_mpi(geom, GEOM, const, omega, 0, 0, 'ranks', 2, limit{:}, where{:});
  assert(isreal(rc) && isscalar(rc) && rc > 0, '%s: condition estimate', name);
  assert(abs(log10(rc / rc0)) < log10(3), '%s: rcond %.4g against %.4g', name, rc, rc0);
  printf('%-10s rcond %.4g (LU, 2 ranks) against %.4g (LDL)\n', name, rc, rc0);
end
assert(isempty(hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, -1, 'ranks', 2, ...
                                 limit{:}, where{:})), 'flag -1 returns nothing');

% The studies solve on MPI ranks with the option 'ranks' and reproduce the module's results.
pec2 = sphere_study('mesh', {pec.P, pec.t}, 'ranks', 2, 'ntheta', 3, 'time_fill', false);
assert(norm(pec2.I - pec.I) / norm(pec.I) < 1e-10 && abs(pec2.ext / pec.ext - 1) < 1e-10, ...
       'sphere_study on 2 ranks');
mix2 = dielectric_study('mesh', {mix.P, mix.T, mix.layer}, 'core', 0.6, 'ka', 1, 'ranks', 2, ...
                        'ntheta', 3, 'time_fill', false);
assert(norm(mix2.x - mix.x) / norm(mix.x) < 1e-10 && abs(mix2.ext / mix.ext - 1) < 1e-10, ...
       'dielectric_study (coated) on 2 ranks');

% A file that is no MAT file, given to the program itself: a message, a non-zero status, no
% result file.
garbage = fullfile(scratch, 'garbage.mat');
fid = fopen(garbage, 'w'); fprintf(fid, 'not a MAT file\n'); fclose(fid);
out = fullfile(scratch, 'out.mat');
program = fullfile(fileparts(fileparts(which('hybrid_matrix'))), 'bin', 'hybrid_matrix_mpi');
[~, uid] = system('id -u');
root = '';
if strcmp(strtrim(uid), '0'), root = '--allow-run-as-root'; end
run = @(np, args) system(sprintf(['timeout --kill-after=10 120 mpirun %s --oversubscribe ' ...
                                  '--mca btl self,vader --mca oob_tcp_if_include lo -np %d ' ...
                                  '%s %s 2>&1'], root, np, program, args));
[status, text] = run(2, sprintf('%s %s', garbage, out));
assert(status ~= 0 && status ~= 124, 'garbage file: status %d', status);
assert(~isempty(strfind(text, 'hybrid_matrix_mpi: badFile: cannot read the problem file')), ...
       'garbage file: %s', text);
assert(~exist(out, 'file'), 'no result file after a failure');
[status, text] = run(2, '');
assert(status ~= 0 && ~isempty(strfind(text, 'hybrid_matrix_mpi: badUsage: usage:')), text);

% A record the module refuses: the same identifier suffix and message.
bad = pec.geom;
bad.TriP = bad.TriP(1:end - 1);
expect_error(@() hybrid_matrix(bad, [], pec.const, pec.omega, 0, 0), 'hybrid_matrix:badSize');
try
  hybrid_matrix(bad, [], pec.const, pec.omega, 0, 0);
catch e
  module_message = regexprep(e.message, '^hybrid_matrix: ', '');
end
try
  hybrid_matrix_mpi(bad, [], pec.const, pec.omega, 0, 0, 'ranks', 2, limit{:}, where{:});
  error('no error for a short TriP');
catch e
  assert(strcmp(e.identifier, 'hybrid_matrix_mpi:badSize'), e.identifier);
  assert(strcmp(e.message, ['hybrid_matrix_mpi: ', module_message]), e.message);
end
% A complex table where a real one belongs is refused as the module refuses it, not read by
% its real part.
cgeom = pec.geom;
cgeom.TriP = complex(cgeom.TriP, 1);
expect_error(@() hybrid_matrix(cgeom, [], pec.const, pec.omega, 0, 0), 'hybrid_matrix:badType');
expect_error(@() hybrid_matrix_mpi(cgeom, [], pec.const, pec.omega, 0, 0, 'ranks', 1, ...
                                   limit{:}, where{:}), 'hybrid_matrix_mpi:badType');
nogeom = rmfield(die.GEOM, 'BasisTC');
expect_error(@() hybrid_matrix_mpi([], nogeom, die.const, die.omega, 0, 0, 'ranks', 2, ...
                                   limit{:}, where{:}), 'hybrid_matrix_mpi:missingField');
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 1, 'ranks', 2, ...
                                   limit{:}, where{:}), 'hybrid_matrix_mpi:missingArgument');

% Three ranks cannot form a 2 x 2 grid; a rank without the memory for its part stops the run.
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 0, 'ranks', 3, ...
                                   'grid', '2x2', limit{:}, where{:}), 'hybrid_matrix_mpi:badGrid');
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 0, 'ranks', 2, ...
                                   'memory_per_rank', 1e5, limit{:}, where{:}), ...
             'hybrid_matrix_mpi:outOfMemory');

% The front end's own errors.
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 0, 'program', ...
                                   fullfile(scratch, 'none'), where{:}), 'hybrid_matrix_mpi:noProgram');
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 0, 'mpirun', 'false', ...
                                   where{:}), 'hybrid_matrix_mpi:runFailed');
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const, pec.omega, 0, 0, 'rank', 2), ...
             'hybrid_matrix_mpi:badOption');
expect_error(@() hybrid_matrix_mpi(pec.geom, [], pec.const), 'hybrid_matrix_mpi:usage');

% Every run, failed or not, removed its temporary folder.
left = dir(scratch);
left = setdiff({left.name}, {'.', '..', 'garbage.mat'});
assert(isempty(left), 'left behind: %s', strjoin(left, ', '));
