% PLOT_PATTERN_CUTS  PNG polar-style plot of the gain on the three principal planes.
%   ok = plot_pattern_cuts(plot_file, rad)
%   ok = plot_pattern_cuts(plot_file, rad, title_text)
%
%   rad  radiation_report's struct. Draws the IEEE gain (dBi, floor 30 dB below the
%   maximum) on the planes xz, yz and xy against the cut angle (deg), one curve per plane.
%   ok is false (and a message printed) when no figure could be drawn.
%
%   See also RADIATION_REPORT, PLOT_PORT_SWEEP.
function ok = plot_pattern_cuts(plot_file, rad, title_text)
  if nargin < 2 || nargin > 3 || ~ischar(plot_file) || ~isstruct(rad)
    error('plot_pattern_cuts:usage', 'usage: ok = plot_pattern_cuts(plot_file, rad, title)');
  end
  if nargin < 3
    title_text = '';
  end
  if exist('OCTAVE_VERSION', 'builtin')
    warning('off', 'Octave:gnuplot-graphics');
  end
  if exist(plot_file, 'file')
    delete(plot_file);
  end
  ok = true;
  top = 10 * log10(rad.G_max);
  db = @(g) max(10 * log10(g), top - 30);
  deg = rad.cuts.angle * 180 / pi;
  try
    fig = figure('visible', 'off', 'position', [0 0 800 450]);
    plot(deg, db(rad.cuts.G_xz), 'b-', deg, db(rad.cuts.G_yz), 'r-', deg, db(rad.cuts.G_xy), 'k-');
    grid on;
    xlim([0 360]);
    xlabel('angle in the plane [deg] (xz, yz: theta from +z; xy: phi from +x)');
    ylabel('gain [dBi]');
    legend('xz plane', 'yz plane', 'xy plane', 'location', 'eastoutside');
    title(title_text);
    print_png(fig, plot_file, 800, 450);
    close(fig);
    fprintf('plot written to %s\n', plot_file);
  catch err
    ok = false;
    fprintf(['no plot written (%s); without a display Octave plots through gnuplot ' ...
             '(Debian package gnuplot-nox)\n'], err.message);
  end
end
