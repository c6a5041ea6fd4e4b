% PEC sphere, ka = 1, at several mesh densities: extinction error against the Mie series of
% the sphere and of the equal-volume sphere, relative RMS error of both RCS cuts, and the
% time of each stage. Set `densities` before running to change the target unknown counts.
%
%   octave-cli --eval "run('examples/pec_sphere_convergence.m')"

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('densities', 'var')
  densities = [300 1000 3000];
end

fprintf(['unknowns  ext err  eq-vol err  RMS E   RMS H   max dB E  max dB H |  mesh   record  ' ...
         'tables   fill    solve  far field  [s]\n']);
for n = densities
  r = sphere_study('ka', 1, 'unknowns', n);
  s = r.seconds;
  fprintf(['%8d  %+6.2f%%  %+6.2f%%    %.4f  %.4f  %.3f     %.3f    | %5.2f  %6.3f  %6.3f  ' ...
           '%6.3f  %6.3f  %9.3f\n'], r.unknowns, 100 * r.ext_error, 100 * r.ext_error_eqvol, ...
          r.err_E.rel_rms, r.err_H.rel_rms, r.err_E.max_db, r.err_H.max_db, s.mesh, s.record, ...
          s.tables, s.fill, s.solve, s.far_field);
end
