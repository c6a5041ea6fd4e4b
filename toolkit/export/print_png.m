% PRINT_PNG  Print a figure to a PNG file, also on a headless machine without Ghostscript.
%   print_png(fig, filename)
%   print_png(fig, filename, width, height)
%
%   fig       figure handle (an invisible figure is fine).
%   filename  the .png to write.
%   width, height  size in pixels (default 800 x 500).
%
%   The figure is laid out on width x height pixels at 100 dots per inch, so the text keeps
%   its size in points whatever the image size. With Octave's gnuplot graphics
%   toolkit (the one available without a display) the figure goes through gnuplot's own
%   cairo PNG terminal ('-dpngcairo'), which needs no Ghostscript; otherwise print's '-dpng'
%   is used. Octave's own text renderer lays out every axes and needs its font
%   (/usr/share/fonts/opentype/freefont/FreeSans.otf, Debian package fonts-freefont-otf):
%   without it no figure can be drawn. Errors of print pass through; an error is raised
%   when no file was written.
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
  dpi = 100;
  gnuplot = false;
  if exist('OCTAVE_VERSION', 'builtin')
    % Octave warns once that Ghostscript is missing; the route taken here does not need it.
    state = warning('off', 'print:nogs');
    restore = onCleanup(@() warning(state));
    gnuplot = strcmp(graphics_toolkit(fig), 'gnuplot');
  end
  if gnuplot
    % gnuplot's cairo terminal draws the figure at its on-screen size in pixels.
    position = get(fig, 'position');
    set(fig, 'position', [position(1:2), width, height], 'paperpositionmode', 'auto');
    device = '-dpngcairo';
  else
    set(fig, 'paperunits', 'inches', 'paperpositionmode', 'manual', ...
        'paperposition', [0 0 width height] / dpi);
    device = '-dpng';
  end
  if exist(filename, 'file')
    delete(filename);
  end
  print(fig, device, sprintf('-r%d', dpi), filename);
  if ~exist(filename, 'file')
    error('print_png:noFile', 'print_png: the graphics toolkit wrote no file %s', filename);
  end
end

%!test
%! warning('off', 'Octave:gnuplot-graphics', 'local');
%! file = [tempname() '.png'];
%! fig = figure('visible', 'off');
%! unwind_protect
%!   plot(1:10, (1:10).^2, 'r-', 'linewidth', 2);  title('a red parabola');
%!   print_png(fig, file, 320, 240);
%!   img = imread(file);
%!   assert(size(img), [240 320 3]);
%!   red = img(:, :, 1) > 200 & img(:, :, 2) < 60 & img(:, :, 3) < 60;
%!   assert(nnz(any(red, 1)) > 160);
%! unwind_protect_cleanup
%!   close(fig);
%!   if exist(file, 'file'), delete(file); end
%! end_unwind_protect
%!error <usage> print_png(1)
