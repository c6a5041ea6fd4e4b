% PLOT_PORT_SWEEP  PNG plot of |S_pp| in dB and the input impedance against frequency.
%   ok = plot_port_sweep(plot_file, net)
%   ok = plot_port_sweep(plot_file, net, port, title_text)
%
%   net   port_sweep's struct (f, S, Z, z0), or a cell array of them drawn together (for
%         instance two meshes, or lossless and lossy); port the port to show (default 1).
%   Top panel: 20 log10 |S_pp| (dB) against frequency (MHz); bottom: R and X of Z_pp (ohm).
%   ok is false (and a message printed) when no figure could be drawn.
%
%   See also PORT_SWEEP, PLOT_PATTERN_CUTS.
function ok = plot_port_sweep(plot_file, net, port, title_text)
  if nargin < 2 || nargin > 4 || ~ischar(plot_file)
    error('plot_port_sweep:usage', 'usage: ok = plot_port_sweep(plot_file, net, port, title)');
  end
  if nargin < 3 || isempty(port)
    port = 1;
  end
  if nargin < 4
    title_text = '';
  end
  if ~iscell(net)
    net = {net};
  end
  if exist('OCTAVE_VERSION', 'builtin')
    warning('off', 'Octave:gnuplot-graphics');
  end
  if exist(plot_file, 'file')
    delete(plot_file);
  end
  ok = true;
  styles = {'b', 'r', 'k', 'm', 'g'};
  try
    fig = figure('visible', 'off', 'position', [0 0 800 700]);
    names = {};
    for i = 1:numel(net)
      n = net{i};
      fm = n.f / 1e6;
      s = squeeze(n.S(port, port, :)).';
      z = squeeze(n.Z(port, port, :)).';
      st = styles{1 + mod(i - 1, numel(styles))};
      subplot(2, 1, 1);
      plot(fm, 20 * log10(abs(s)), [st '-o']);
      hold on;
      subplot(2, 1, 2);
      plot(fm, real(z), [st '-o'], fm, imag(z), [st '--s']);
      hold on;
      names{end + 1} = sprintf('%d', i); %#ok<AGROW>
    end
    subplot(2, 1, 1);
    grid on;
    ylabel(sprintf('|S_{%d%d}| [dB]  (z_0 = %g ohm)', port, port, net{1}.z0(port)));
    title(title_text);
    if numel(net) > 1
      legend(names, 'location', 'eastoutside');
    end
    subplot(2, 1, 2);
    grid on;
    xlabel('frequency [MHz]');
    ylabel('R (solid), X (dashed) [ohm]');
    print_png(fig, plot_file, 800, 700);
    close(fig);
    fprintf('plot written to %s\n', plot_file);
  catch err
    ok = false;
    fprintf(['no plot written (%s); without a display Octave plots through gnuplot ' ...
             '(Debian package gnuplot-nox)\n'], err.message);
  end
end
