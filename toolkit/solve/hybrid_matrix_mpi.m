% HYBRID_MATRIX_MPI  hybrid_matrix on several MPI ranks: distributed fill and ScaLAPACK solve.
%   rc = hybrid_matrix_mpi(geom, GEOM, const, omega_re, omega_im, 0, 'ranks', P)
%   x  = hybrid_matrix_mpi(geom, GEOM, const, omega_re, omega_im, m, V, 'ranks', P)
%   [result, info] = hybrid_matrix_mpi(..., 'name', value, ...)
%
%   Takes the arguments of hybrid_matrix and returns the same results: flag 0 the reciprocal
%   one-norm condition estimate of the equilibrated matrix, flag m >= 1 the (N*m) x 1 complex
%   column of solutions for the m columns of V (flag < 0: the matrix is filled, [] returned).
%   The work is done by the program hybrid_matrix_mpi (built into build/bin/ beside the
%   modules' build/mex/) under mpirun: the arguments are written to a problem file (MAT, -v7)
%   in a temporary folder, every rank reads it, fills its part of the matrix (2D block-cyclic,
%   each rank only the element pairs that reach its part), equilibrates it as hybrid_matrix
%   does and factors it by LU (ScaLAPACK pzgetrf; pzgecon, pzgetrs); the result file is read
%   back and the folder removed. The solutions agree with hybrid_matrix to rounding; the
%   condition estimate comes from the LU factors instead of the symmetric L*D*L.' factors and
%   agrees in its order of magnitude (usually in its first digits).
%
%   A failure of the program becomes an error hybrid_matrix_mpi:<mnemonic> with the program's
%   message (for instance hybrid_matrix_mpi:missingField, hybrid_matrix_mpi:outOfMemory).
%
%   options:
%     ranks          number of MPI ranks (default 2)
%     hostfile       OpenMPI host file for a cluster run (default: none, all ranks on this
%                    machine, traffic on the loopback interface only)
%     folder         where the temporary folder goes (default tempdir); on a cluster it must
%                    be a folder every node sees under the same path
%     mpirun         the mpirun command (default 'mpirun')
%     mpirun_args    further mpirun arguments, one string (default '')
%     program        path of the hybrid_matrix_mpi program (default: ../bin/ beside the folder
%                    of the hybrid_matrix module)
%     block_size     ScaLAPACK block size (default 64)
%     grid           process grid 'PxQ' (default: the most nearly square grid of the ranks)
%     memory_per_rank  bytes a rank may use (default: available memory / ranks per node)
%     timeout        seconds after which the run is stopped (default 0: none)
%     threads        BLAS threads per rank (default 1)
%
%   info fields: grid, block_size, order, info (LU status, > 0: exactly singular factor),
%   timings (read, fill, factor, solve, total, fill_per_rank in seconds, the slowest rank;
%   fill_cpu_per_rank, factor_cpu_per_rank: processor seconds of each rank's main thread in
%   the fill and the LU factorisation; wall: the whole call)
%   and memory (matrix_per_rank, peak_per_rank, in bytes).
%
%   Running as root adds OpenMPI's --allow-run-as-root; runs without a host file add
%   --oversubscribe, so more ranks than cores work (slowly).
%
%   Example:
%     r = sphere_study('unknowns', 300, 'time_fill', false);
%     V = excite_plates(r.geom, plane_wave(r.geom.PointsFC, r.k, [0; 0; 1], [1; 0; 0]));
%     x = hybrid_matrix_mpi(r.geom, [], r.const, r.omega, 0, 1, V, 'ranks', 2);
%     norm(x - hybrid_matrix(r.geom, [], r.const, r.omega, 0, 1, V)) / norm(x)
%
%   See also HYBRID_MATRIX, SPHERE_STUDY, DIELECTRIC_STUDY.
function [result, info] = hybrid_matrix_mpi(geom, GEOM, const, omega_re, omega_im, flag, varargin)
  if nargin < 6
    error('hybrid_matrix_mpi:usage', ['hybrid_matrix_mpi: needs at least six inputs: geom, ' ...
          'GEOM, const, omega_re, omega_im, flag, and (optional) V and options']);
  end
  args = varargin;
  V = [];
  has_v = false;
  if ~isempty(args) && ~ischar(args{1})
    V = args{1};
    has_v = true;
    args = args(2:end);
  end
  opt = struct('ranks', 2, 'hostfile', '', 'folder', tempdir(), 'mpirun', 'mpirun', ...
               'mpirun_args', '', 'program', '', 'block_size', 64, 'grid', '', ...
               'memory_per_rank', 0, 'timeout', 0, 'threads', 1);
  if mod(numel(args), 2) ~= 0
    error('hybrid_matrix_mpi:badOption', 'hybrid_matrix_mpi: options come as name, value pairs');
  end
  for i = 1:2:numel(args)
    name = args{i};
    if ~ischar(name) || ~isfield(opt, name)
      error('hybrid_matrix_mpi:badOption', 'hybrid_matrix_mpi: unknown option %s', ...
            disp_name(name));
    end
    opt.(name) = args{i + 1};
  end
  if ~isnumeric(opt.ranks) || ~isscalar(opt.ranks) || opt.ranks < 1 || opt.ranks ~= fix(opt.ranks)
    error('hybrid_matrix_mpi:badOption', 'hybrid_matrix_mpi: ranks must be a positive integer');
  end
  program = opt.program;
  if isempty(program)
    module = which('hybrid_matrix');
    program = fullfile(fileparts(fileparts(module)), 'bin', 'hybrid_matrix_mpi');
  end
  if ~exist(program, 'file')
    error('hybrid_matrix_mpi:noProgram', ['hybrid_matrix_mpi: the program %s was not found ' ...
          '(build it with CMake where MPI, ScaLAPACK and matio are installed, or give the ' ...
          '''program'' option)'], program);
  end

  wall = tic();
  folder = tempname(opt.folder);
  if ~mkdir(folder)
    error('hybrid_matrix_mpi:folder', 'hybrid_matrix_mpi: cannot create the folder %s', folder);
  end
  problem = fullfile(folder, 'problem.mat');
  output = fullfile(folder, 'result.mat');
  cleanup = onCleanup(@() remove_folder(folder, {problem, output}));

  S = struct('geom', [], 'GEOM', [], 'const', [], 'omega_re', omega_re, ...
             'omega_im', omega_im, 'flag', flag);
  S.geom = geom;
  S.GEOM = GEOM;
  S.const = const;
  if has_v
    S.V = V;
  end
  save(problem, '-struct', 'S', '-v7');

  cmd = command(opt, program, problem, output);
  [status, text] = system([cmd, ' 2>&1']);
  if status ~= 0 || ~exist(output, 'file')
    report_failure(status, text, opt);
  end
  R = load(output);
  result = R.result;
  if flag >= 1 && isreal(result)
    result = complex(result);
  end
  if flag < 0
    result = [];
  end
  if R.info > 0
    if flag >= 1
      consequence = '; the solution is not valid';
    else
      consequence = '';
    end
    warning('hybrid_matrix_mpi:singular', ['hybrid_matrix_mpi: the system matrix is singular ' ...
            'to working precision (zero pivot at %d)%s'], R.info, consequence);
  end
  info = struct('grid', R.grid, 'block_size', R.block_size, 'order', R.order, ...
                'info', R.info, 'timings', R.timings, 'memory', R.memory);
  info.timings.wall = toc(wall);
end

% The mpirun command line of the run.
function cmd = command(opt, program, problem, output)
  parts = {};
  if opt.timeout > 0
    parts{end + 1} = sprintf('timeout --kill-after=10 %g', opt.timeout);
  end
  parts{end + 1} = opt.mpirun;
  [st, uid] = system('id -u');
  if st == 0 && strcmp(strtrim(uid), '0')
    parts{end + 1} = '--allow-run-as-root';
  end
  if isempty(opt.hostfile)
    % One machine: more ranks than cores allowed, traffic on the loopback interface only.
    parts{end + 1} = '--oversubscribe --mca btl self,vader --mca oob_tcp_if_include lo';
  else
    parts{end + 1} = ['--hostfile ', quote(opt.hostfile)];
  end
  parts{end + 1} = sprintf('-np %d -x OPENBLAS_NUM_THREADS=%d -x OMP_NUM_THREADS=%d', ...
                           opt.ranks, opt.threads, opt.threads);
  if ~isempty(opt.mpirun_args)
    parts{end + 1} = opt.mpirun_args;
  end
  parts{end + 1} = [quote(program), ' ', quote(problem), ' ', quote(output)];
  parts{end + 1} = sprintf('--block-size %d', opt.block_size);
  if ~isempty(opt.grid)
    parts{end + 1} = ['--grid ', quote(opt.grid)];
  end
  if opt.memory_per_rank > 0
    parts{end + 1} = sprintf('--memory-per-rank %.0f', opt.memory_per_rank);
  end
  cmd = strjoin(parts, ' ');
end

% The program's own message as an error hybrid_matrix_mpi:<mnemonic>; otherwise the end of
% what the run printed.
function report_failure(status, text, opt)
  tokens = regexp(text, 'hybrid_matrix_mpi: (\w+): ([^\n]*)', 'tokens', 'once');
  if ~isempty(tokens)
    error(['hybrid_matrix_mpi:', tokens{1}], 'hybrid_matrix_mpi: %s', tokens{2});
  end
  if opt.timeout > 0 && (status == 124 || status == 137)
    error('hybrid_matrix_mpi:timeout', 'hybrid_matrix_mpi: the run was stopped after %g s', ...
          opt.timeout);
  end
  lines = strsplit(strtrim(text), char(10));
  tail = strjoin(lines(max(1, end - 5):end), char(10));
  error('hybrid_matrix_mpi:runFailed', ...
        'hybrid_matrix_mpi: the MPI run failed (exit status %d) without a result:\n%s', ...
        status, tail);
end

function q = quote(s)
  q = ['''', strrep(s, '''', '''\'''''), ''''];
end

function s = disp_name(name)
  if ischar(name)
    s = ['''', name, ''''];
  else
    s = sprintf('of class %s', class(name));
  end
end

function remove_folder(folder, files)
  for i = 1:numel(files)
    if exist(files{i}, 'file')
      delete(files{i});
    end
  end
  if exist(folder, 'dir')
    rmdir(folder);
  end
end
