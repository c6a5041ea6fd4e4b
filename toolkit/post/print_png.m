% PRINT_PNG  Write a figure as a PNG file of a given pixel size, with or without a display.
%   print_png(fig, file)          writes figure FIG to FILE at 100 dots per inch: the image
%                                 has the figure's 'position' width x height in pixels
%   print_png(fig, file, dpi)     another resolution (pixels = position * dpi / 100)
%
%   Octave without a display draws through gnuplot (Debian package gnuplot-nox); its own
%   text renderer needs the font /usr/share/fonts/opentype/freefont/FreeSans.otf (Debian
%   package fonts-freefont-otf) even then. gnuplot writes the PNG itself (its cairo terminal),
%   so no Ghostscript is needed. With a display (Octave's qt toolkit) or in MATLAB the
%   figure is printed with -dpng. An error is raised when no file was written.
%
%   Example:
%       fig = figure('visible', 'off', 'position', [0 0 600 400]);
%       plot(0:0.1:10, sin(0:0.1:10));  print_png(fig, 'sine.png');  close(fig);
%
%   See also PLOT_RCS_CUTS, PRINT.
function print_png(fig, file, dpi)
  if nargin < 2 || ~ischar(file)
    error('print_png:usage', 'usage: print_png(fig, file[, dpi])');
  end
  if nargin < 3
    dpi = 100;
  end
  device = '-dpng';
  if exist('OCTAVE_VERSION', 'builtin')
    % Ghostscript is needed by the gnuplot route of -dpng only; we do not take that route.
    state = warning('off', 'print:nogs');
    restore = onCleanup(@() warning(state));
    if strcmp(graphics_toolkit(fig), 'gnuplot')
      device = '-dpngcairo';
    end
  end
  if exist(file, 'file')
    delete(file);
  end
  print(fig, device, sprintf('-r%d', round(dpi)), file);
  if ~exist(file, 'file')
    error('print_png:noFile', 'print_png: the graphics toolkit wrote no file %s', file);
  end
end

%!test
%! warning('off', 'Octave:gnuplot-graphics', 'local');
%! file = [tempname() '.png'];
%! fig = figure('visible', 'off', 'position', [0 0 320 240]);
%! unwind_protect
%!   plot(1:10, (1:10).^2, 'r-', 'linewidth', 2);  title('a red parabola');
%!   print_png(fig, file);
%!   img = imread(file);
%!   assert(size(img), [240 320 3]);
%!   red = img(:, :, 1) > 200 & img(:, :, 2) < 60 & img(:, :, 3) < 60;
%!   assert(nnz(red) > 100);
%! unwind_protect_cleanup
%!   close(fig);
%!   if exist(file, 'file'), delete(file); end
%! end_unwind_protect
%!error <usage> print_png(1)
