% Fills and solves a study's system with hybrid_matrix (surface record geom, volume record
% GEOM, either [] when absent) for the excitation V, timing the call into seconds.fill_solve.
% With opt.time_fill a fill-only call is timed first (seconds.fill, else NaN), so that
% seconds.solve = fill_solve - fill is the factorisation and solve alone. n is the unknown
% count the stage lines show. A non-empty opt.hybrid_options is passed as hybrid_matrix's
% options argument (ninth, after V and an unused eighth). With opt.ranks > 0 the distributed
% program solves instead (hybrid_matrix_mpi on that many MPI ranks, default fill), which
% reports its own fill time. opt.solver other than 'dense' ('compressed', or a struct of
% compressed_solve options) solves with compressed_solve instead; its info struct goes to
% seconds.compressed, the entry fill (diagonal and compressed assembly) to seconds.fill.
function [x, seconds] = study_solve(opt, seconds, n, geom, GEOM, const, omega, V)
  extra = {};
  if isfield(opt, 'hybrid_options') && ~isempty(opt.hybrid_options)
    extra = {[], opt.hybrid_options};
  end
  if isfield(opt, 'solver') && ~(ischar(opt.solver) && strcmp(opt.solver, 'dense'))
    if ~isempty(extra) || (isfield(opt, 'ranks') && opt.ranks > 0)
      error('study:solver', ['the compressed solve takes the default far-pair treatment and ' ...
                             'runs in this process: choose the dense solver for these options']);
    end
    options = opt.solver;
    if ischar(options)
      if ~strcmp(options, 'compressed')
        error('study:solver', 'solver must be ''dense'', ''compressed'' or an options struct');
      end
      options = struct();
    end
    study_say(opt, 'compressed fill and solve (%d unknowns)', n);
    clock0 = tic();
    [x, info] = compressed_solve(geom, GEOM, const, omega, 0, V, options);
    seconds.fill_solve = toc(clock0);
    seconds.fill = info.time.diagonal + info.time.assembly;
    seconds.solve = seconds.fill_solve - seconds.fill;
    seconds.compressed = info;
    return;
  end
  seconds.fill = NaN;
  if isfield(opt, 'ranks') && opt.ranks > 0
    if ~isempty(extra)
      error('study:ranks', ['the distributed program fills with the default far-pair ' ...
                            'treatment: choose ranks = 0 for these hybrid_matrix options']);
    end
    study_say(opt, 'filling and solving on %d MPI ranks (%d unknowns)', opt.ranks, n);
    clock0 = tic();
    [x, info] = hybrid_matrix_mpi(geom, GEOM, const, omega, 0, 1, V, 'ranks', opt.ranks);
    seconds.fill_solve = toc(clock0);
    seconds.fill = info.timings.fill;
    seconds.solve = seconds.fill_solve - seconds.fill;
    return;
  end
  if opt.time_fill
    study_say(opt, 'filling alone, for its time (%d unknowns)', n);
    clock0 = tic();
    hybrid_matrix(geom, GEOM, const, omega, 0, -1, [], extra{:});
    seconds.fill = toc(clock0);
  end
  study_say(opt, 'filling and solving (%d unknowns)', n);
  clock0 = tic();
  x = hybrid_matrix(geom, GEOM, const, omega, 0, 1, V, extra{:});
  seconds.fill_solve = toc(clock0);
  seconds.solve = seconds.fill_solve - seconds.fill;
end
