% PRINT_VOLUME_STUDY  Print the table of a dielectric_study result.
%   print_volume_study(r, name)
%
%   r     a dielectric_study result; name  a label for the case.
%   Prints the unknowns, the time of every stage, the extinction and absorption
%   cross-sections against the Mie series of the sphere and of the equal-volume layers, the
%   energy balance (sigma_sca + sigma_abs) / sigma_ext - 1 and the errors of the RCS cuts.
%   Cross-sections are given in units of pi a^2 (a the outer radius).
%
%   See also DIELECTRIC_STUDY.
function print_volume_study(r, name)
  if nargin ~= 2 || ~isstruct(r) || ~ischar(name)
    error('print_volume_study:usage', 'usage: print_volume_study(r, name)');
  end
  s = r.seconds;
  area = pi * max(sqrt(sum(r.P .^ 2, 1))) ^ 2;
  fprintf('\n%s\n', name);
  fprintf('unknowns              %d  (%d volume on %d tetrahedra, %d nontrivial faces', ...
          r.unknowns, r.volume_unknowns, r.tetrahedra, r.faces);
  if r.surface_unknowns > 0
    fprintf('; %d surface on %d triangles)\n', r.surface_unknowns, r.triangles);
  else
    fprintf(')\n');
  end
  fprintf(['stage times [s]       mesh (gmsh) %.2f | record %.3f | near tables %.3f | ' ...
           'excitation %.3f\n                      fill %.3f | solve %.3f | far field and ' ...
           'cross-sections %.3f\n'], s.mesh, s.record, s.tables, s.excitation, s.fill, ...
          s.solve, s.far_field);
  fprintf('                      total after meshing %.2f s\n', ...
          s.record + s.tables + s.excitation + s.fill_solve + s.far_field);
  fprintf('                          computed   Mie        error     equal-volume Mie  error\n');
  row = @(label, v, m, me) fprintf('%-25s %-10.5f %-10.5f %+7.2f %%  %-10.5f        %+7.2f %%\n', ...
                                   label, v / area, m / area, 100 * (v / m - 1), me / area, ...
                                   100 * (v / me - 1));
  row('extinction / (pi a^2)', r.ext, r.mie.ext, r.mie_eqvol.ext);
  if r.mie.abs > 1e-9 * r.mie.ext
    row('absorption / (pi a^2)', r.abs, r.mie.abs, r.mie_eqvol.abs);
  else
    fprintf('absorption / (pi a^2)     %-10.3g (lossless)\n', r.abs / area);
  end
  fprintf('energy balance (sca + abs) / ext - 1   %+.3f %%\n', 100 * r.balance);
  fprintf('RCS cuts (0..180 deg)     rel. RMS   RMS dB   max dB   | equal-volume: rel. RMS\n');
  fprintf('E-plane                   %-10.4f %-8.3f %-8.3f | %.4f\n', r.err_E.rel_rms, ...
          r.err_E.rms_db, r.err_E.max_db, r.err_E_eqvol.rel_rms);
  fprintf('H-plane                   %-10.4f %-8.3f %-8.3f | %.4f\n', r.err_H.rel_rms, ...
          r.err_H.rms_db, r.err_H.max_db, r.err_H_eqvol.rel_rms);
end
