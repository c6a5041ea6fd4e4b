% PLOT_SWEEP  Plot quantities against a swept parameter into a PNG file (headless).
%   ok = plot_sweep(filename, x, Y, labels)
%   ok = plot_sweep(filename, x, Y, labels, xlabel_text, ylabel_text, title_text)
%
%   filename  the .png to write.
%   x         1 x n swept values (e.g. frequency in Hz; plot in the unit you pass).
%   Y         q x n values, one row per curve; labels  cell array of q legend entries.
%   xlabel_text, ylabel_text, title_text  axis labels and title (default '').
%
%   Draws lines with markers on one axis with a grid, in an invisible figure, and prints it
%   as 800 x 500 pixels (print_png). ok is false (with a message printed) when no plot could be drawn, e.g.
%   without a graphics toolkit or the fonts Octave's renderer needs.
%
%   Example:  ok = plot_sweep('build/sweep.png', f / 1e9, [c_ext; c_abs], ...
%                             {'extinction', 'absorption'}, 'f [GHz]', 'cross-section [m^2]');
%
%   See also PLOT_RCS_CUTS, WRITE_FAR_FIELD.
function ok = plot_sweep(filename, x, Y, labels, xlabel_text, ylabel_text, title_text)
  if nargin < 4 || nargin > 7 || ~ischar(filename) || ~iscell(labels)
    error('plot_sweep:usage', ['usage: ok = plot_sweep(filename, x, Y, labels, ' ...
          'xlabel_text, ylabel_text, title_text)']);
  end
  if nargin < 5
    xlabel_text = '';
  end
  if nargin < 6
    ylabel_text = '';
  end
  if nargin < 7
    title_text = '';
  end
  x = reshape(x, 1, []);
  if size(Y, 2) ~= numel(x) && numel(Y) == numel(x)
    Y = reshape(Y, 1, []);
  end
  if size(Y, 2) ~= numel(x) || size(Y, 1) ~= numel(labels)
    error('plot_sweep:size', ['plot_sweep: Y must have one row per label (%d) and one ' ...
          'column per x value (%d)'], numel(labels), numel(x));
  end
  if exist('OCTAVE_VERSION', 'builtin')
    warning('off', 'Octave:gnuplot-graphics');
  end
  if exist(filename, 'file')
    delete(filename);
  end
  ok = true;
  try
    fig = figure('visible', 'off', 'position', [0 0 800 500]);
    marks = {'o-', 's-', 'd-', '^-', 'v-', 'x-', '+-'};
    hold on;
    for i = 1:size(Y, 1)
      plot(x, Y(i, :), marks{mod(i - 1, numel(marks)) + 1});
    end
    hold off;
    grid on;
    xlabel(xlabel_text);
    ylabel(ylabel_text);
    title(title_text);
    legend(labels{:});
    print_png(fig, filename, 800, 500);
    close(fig);
  catch err
    ok = false;
    fprintf('no plot written to %s (%s)\n', filename, err.message);
  end
end
