% PLOT_RCS_CUTS  Write computed RCS cuts against the Mie series as a PNG plot and a CSV file.
%   ok = plot_rcs_cuts(plot_file, results, titles, area)
%
%   plot_file  the PNG to write; the numbers go beside it (same name, .csv).
%   results    cell array of study results (sphere_study, dielectric_study), each
%              with fields cuts (theta, E, H) and mie (E, H); one panel per result.
%   titles     cell array of panel titles.
%   area       the area the RCS is plotted in dB of (for example pi a^2).
%
%   The CSV has the angle in degrees and, per result, the computed E- and H-plane RCS and
%   Mie's. The plot is 900 pixels wide and 300 per panel plus 100 high. ok is false (with a
%   message printed) when no plot could be drawn: without a display Octave plots through
%   gnuplot (Debian package gnuplot-nox), and its own text renderer needs the font of Debian
%   package fonts-freefont-otf.
%
%   See also RCS_CUTS, MIE_SPHERE.
function ok = plot_rcs_cuts(plot_file, results, titles, area)
  if nargin ~= 4 || ~ischar(plot_file) || ~iscell(results) || numel(titles) ~= numel(results)
    error('plot_rcs_cuts:usage', 'usage: ok = plot_rcs_cuts(plot_file, results, titles, area)');
  end
  deg = results{1}.cuts.theta * 180 / pi;
  [folder, name] = fileparts(plot_file);
  csv_file = fullfile(folder, [name '.csv']);
  columns = deg;
  head = 'theta_deg';
  for i = 1:numel(results)
    r = results{i};
    columns = [columns; r.cuts.E; r.cuts.H; r.mie.E; r.mie.H];
    head = [head, sprintf(',rcs_E_%d,rcs_H_%d,mie_E_%d,mie_H_%d', i, i, i, i)];
  end
  fid = fopen(csv_file, 'w');
  if fid < 0
    error('plot_rcs_cuts:open', 'plot_rcs_cuts: cannot write %s', csv_file);
  end
  fprintf(fid, '%s\n', head);
  fprintf(fid, [repmat('%.8e,', 1, size(columns, 1) - 1), '%.8e\n'], columns);
  fclose(fid);
  fprintf('cuts written to %s\n', csv_file);

  if exist('OCTAVE_VERSION', 'builtin')
    warning('off', 'Octave:gnuplot-graphics');
    warning('off', 'print:nogs');   % print_png takes the route that needs no Ghostscript
  end
  db = @(s) 10 * log10(s / area);
  every = 1:5:numel(deg);
  if exist(plot_file, 'file')
    delete(plot_file);
  end
  ok = true;
  try
    fig = figure('visible', 'off', 'position', [0 0 900 300 * numel(results) + 100]);
    for i = 1:numel(results)
      r = results{i};
      subplot(numel(results), 1, i);
      plot(deg, db(r.mie.E), 'b-', deg, db(r.mie.H), 'r-', deg(every), db(r.cuts.E(every)), ...
           'bo', deg(every), db(r.cuts.H(every)), 'rs');
      grid on;
      xlim([0 180]);
      ylabel('RCS [dB]');
      title(titles{i});
      legend('E-plane, Mie', 'H-plane, Mie', 'E-plane, computed', 'H-plane, computed', ...
             'location', 'eastoutside');
    end
    xlabel('scattering angle from forward direction [deg]');
    print_png(fig, plot_file, 900, 300 * numel(results) + 100);
    close(fig);
    fprintf('plot written to %s\n', plot_file);
  catch err
    ok = false;
    fprintf(['no plot written (%s); without a display Octave plots through gnuplot ' ...
             '(Debian packages gnuplot-nox and fonts-freefont-otf)\n'], err.message);
  end
end
