% Error against CPU time of the three accuracy settings ('fast', 'standard', 'high') for the
% PEC sphere (ka = 1 and 3) and the dielectric sphere (eps_r = 4, ka = 0.8), and the
% convergence of 'high' for the PEC sphere over four mesh densities with its fitted rate.
% Run from the repository root after building:
%
%   octave-cli --eval "run('examples/accuracy_table.m')"
%
% CPU time: Octave's process time (both fill threads and LAPACK's) over the whole study,
% plus the mesh stage's wall time (gmsh runs as a child process). post/fill+solve is the
% far-field stage (cuts, cross-sections, absorption) against the solving call, wall times
% of the same run.
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit'));
toolkit_setup();
if ~exist('cases', 'var')
  cases = {'PEC ka=1', @sphere_study, {'ka', 1}, 3000;
           'PEC ka=3', @sphere_study, {'ka', 3}, 3000;
           'dielectric', @dielectric_study, {}, 3000;
           'dielectric', @dielectric_study, {}, 6000};
end
fprintf('%-11s %-9s %6s %10s %8s %16s\n', 'study', 'accuracy', 'N', 'error', 'CPU s', ...
        'post/fill+solve');
for c = 1:size(cases, 1)
  mesh = [];
  for level = {'fast', 'standard', 'high'}
    args = [cases{c, 3}, {'accuracy', level{1}, 'time_fill', false}];
    if isempty(mesh)
      args = [args, {'unknowns', cases{c, 4}}];
    else
      args = [args, {'mesh', mesh}];
    end
    cpu0 = cputime();
    r = cases{c, 2}(args{:});
    cpu = cputime() - cpu0;
    if isempty(mesh)
      if isfield(r, 'T')
        mesh = {r.P, r.T, r.layer};
      else
        mesh = {r.P, r.t};
      end
      mesh_seconds = r.seconds.mesh;
    end
    fprintf('%-11s %-9s %6d %+9.4f%% %8.1f %15.1f%%\n', cases{c, 1}, level{1}, r.unknowns, ...
            100 * r.ext_error_eqvol, cpu + mesh_seconds, ...
            100 * r.seconds.far_field / r.seconds.fill_solve);
  end
end

% 'high' over three densities: the equal-volume error and its rate in the unknown count.
if ~exist('densities', 'var')
  densities = [500 1000 2000 3000];
end
n = zeros(size(densities));
e = n;
for i = 1:numel(densities)
  r = sphere_study('unknowns', densities(i), 'accuracy', 'high', 'time_fill', false);
  n(i) = r.unknowns;
  e(i) = r.ext_error_eqvol;
  fprintf('PEC ka=1 high %5d unknowns: %+.4f %%\n', n(i), 100 * e(i));
end
if numel(n) > 1
  p = polyfit(log(n), log(abs(e)), 1);
  fprintf('fitted rate: |error| ~ N^%.2f (h^%.2f)\n', p(1), -2 * p(1));
end
