% PORT_SWEEP  Network parameters of a ported structure over a frequency sweep.
%   net = port_sweep(geom, GEOM, const, freqs, ports)
%   net = port_sweep(geom, GEOM, const, freqs, ports, z0)
%   net = port_sweep(prep, freqs, ports)
%   net = port_sweep(prep, freqs, ports, z0)
%   net = port_sweep(..., 'quiet')
%
%   With a prepared model (prepare_model) the materials are evaluated at each frequency
%   (model_at_frequency: frequency-dependent permittivities and losses); everything else
%   in prep.geom and prep.GEOM is reused.
%
%   The records geom, GEOM and const (SI) are built once by the caller (meshes, near-pair
%   tables and the volume basis do not depend on frequency); each frequency costs one fill
%   and one factorisation (port_solve) with all ports as right-hand sides. A progress line
%   with the elapsed and the estimated remaining time is printed per frequency unless
%   'quiet' is given.
%
%   freqs  frequencies (Hz); z0  reference impedance(s) for S (default 50 ohm).
%   net    network_parameters' struct (Z, Y, S as P x P x F; z0) plus f (1 x F, Hz) and
%          seconds (1 x F, time of each frequency).
%
%   Example:  net = port_sweep(geom, [], em_constants('si'), linspace(280e6, 320e6, 9), ports);
%             touchstone_write('build/dipole.s1p', net.f, net.S, 50);
%
%   See also PORT_SOLVE, PREPARE_MODEL, MODEL_AT_FREQUENCY, NETWORK_PARAMETERS,
%            TOUCHSTONE_WRITE, PLOT_PORT_SWEEP.
function net = port_sweep(varargin)
  args = varargin;
  verbose = true;
  if ~isempty(args) && ischar(args{end}) && strcmpi(args{end}, 'quiet')
    verbose = false;
    args(end) = [];
  end
  prep = [];
  if numel(args) >= 1 && isstruct(args{1}) && isfield(args{1}, 'model')
    if numel(args) < 3 || numel(args) > 4
      error('port_sweep:usage', 'usage: net = port_sweep(prep, freqs, ports, z0)');
    end
    prep = args{1};
    args = [{prep.geom, prep.GEOM, []}, args(2:end)];
  end
  if numel(args) < 5 || numel(args) > 6
    error('port_sweep:usage', 'usage: net = port_sweep(geom, GEOM, const, freqs, ports, z0)');
  end
  [geom, GEOM, const, freqs, ports] = args{1:5};
  z0 = [];
  if numel(args) == 6
    z0 = args{6};
  end
  if isempty(freqs) || ~isreal(freqs) || any(~(freqs(:) > 0))
    error('port_sweep:freqs', 'port_sweep: freqs must be positive frequencies in Hz');
  end
  freqs = reshape(double(freqs), 1, []);
  np = numel(ports);
  nf = numel(freqs);
  Y = zeros(np, np, nf);
  seconds = zeros(1, nf);
  clock0 = tic();
  for q = 1:nf
    clock1 = tic();
    if ~isempty(prep)
      [GEOM, const] = model_at_frequency(prep, freqs(q));
    end
    Y(:, :, q) = port_solve(geom, GEOM, const, freqs(q), ports);
    seconds(q) = toc(clock1);
    if verbose
      elapsed = toc(clock0);
      fprintf('  frequency %d/%d  %.6g Hz  %.1f s elapsed, about %.1f s to go\n', q, nf, ...
              freqs(q), elapsed, elapsed / q * (nf - q));
      if exist('OCTAVE_VERSION', 'builtin')
        fflush(stdout);
      end
    end
  end
  net = network_parameters(Y, z0);
  net.f = freqs;
  net.seconds = seconds;
end
