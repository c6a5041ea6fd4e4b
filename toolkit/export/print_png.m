% PRINT_PNG  Print a figure to a PNG file, also on a headless machine without Ghostscript.
%   print_png(fig, filename)
%   print_png(fig, filename, width, height)
%
%   fig       figure handle (an invisible figure is fine).
%   filename  the .png to write.
%   width, height  size in pixels (default 800 x 500).
%
%   With Octave's gnuplot graphics toolkit (the one available without a display) the
%   figure goes through gnuplot's own cairo PNG terminal ('-dpngcairo'), which needs no
%   Ghostscript (font size about height / 70 points); otherwise print's '-dpng' at 100 dpi
%   is used. Errors of print pass through.
%
%   Example:  fig = figure('visible', 'off');  plot(1:3);  print_png(fig, 'a.png');
%
%   See also PLOT_SWEEP, PLOT_RCS_CUTS.
function print_png(fig, filename, width, height)
  if nargin < 2 || nargin > 4 || ~ischar(filename)
    error('print_png:usage', 'usage: print_png(fig, filename, width, height)');
  end
  if nargin < 4
    width = 800;
    height = 500;
  end
  if exist('OCTAVE_VERSION', 'builtin') && strcmp(graphics_toolkit(fig), 'gnuplot')
    % gnuplot's default font is large for these sizes; scale it with the height.
    font = sprintf('-F:%d', max(6, round(height / 70)));
    print(fig, '-dpngcairo', sprintf('-S%d,%d', width, height), font, filename);
  else
    print(fig, '-dpng', '-r100', filename);
  end
end
