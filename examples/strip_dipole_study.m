% A centre-fed strip dipole in free space: input impedance over a frequency sweep, its
% resonance against the thin-wire (Hallen) reference for the strip's equivalent radius
% a = w/4, mesh convergence, radiation at resonance, Touchstone file and plots.
%
% The strip lies along z (length L) in the plane y = 0 (width w along x), cut at z = 0 by
% a delta-gap port (1 V across the row of edges at z = 0; the port current is the total
% current crossing it). Writes into build/:
%   strip_dipole_impedance.csv   f_Hz,R_ohm,X_ohm of the sweep at `segments`
%   strip_dipole.s1p             S11 (50 ohm), Touchstone version 1
%   strip_dipole_impedance.png   |S11| and R, X against frequency, both meshes
%   strip_dipole_pattern.png     gain on the principal planes at resonance
% and prints the resonance (X = 0, interpolated) at `segments` and at twice as many cells,
% the reference's, the differences, and the power balance, efficiency and gain.
%
% Run from the repository root after building:
%   octave-cli --eval "run('examples/strip_dipole_study.m')"
%   octave-cli --eval "L = 1; w = 0.01; freqs = linspace(130e6, 155e6, 11); run('examples/strip_dipole_study.m')"
% Variables that may be set before `run` (metres, hertz): L (default 0.5), w (0.005),
% freqs (11 points from 260 to 310 MHz), segments (cells along the length, 60), across
% (cells across the width, 2).
%
% Reference values (thin-wire theory, classic tabulations): the induced-EMF method gives
% 73.1 + j42.5 ohm for the infinitely thin half-wave dipole; for finite radius the
% resonant length falls to 0.47-0.48 lambda with about 70-73 ohm. The Hallen reference
% computed here for a = w/4 = 1.25 mm gives L = 0.4740 lambda and 72.2 ohm.

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('L', 'var'), L = 0.5; end
if ~exist('w', 'var'), w = 0.005; end
if ~exist('freqs', 'var'), freqs = linspace(260e6, 310e6, 11); end
if ~exist('segments', 'var'), segments = 60; end
if ~exist('across', 'var'), across = 2; end
out = fullfile(root, 'build');
if ~exist(out, 'dir'), mkdir(out); end

const = em_constants('si');
c0 = const.c;
a = w / 4;
fprintf('Strip dipole: L = %g m, w = %g m (equivalent radius a = w/4 = %g m), %d frequencies %g-%g MHz\n', ...
        L, w, a, numel(freqs), freqs(1) / 1e6, freqs(end) / 1e6);

nets = {};
res = zeros(0, 4);
for cells = [segments, 2 * segments]
  [P, t, gap] = strip_dipole_mesh(L, w, cells, across);
  clock0 = tic();
  geom = surface_record(P, t);
  ports = delta_gap_ports(P, t, struct('edges', gap, 'direction', [0 0 1]));
  fprintf('mesh %d x %d cells: %d RWG unknowns, records %.2f s\n', cells, across, ...
          geom.EdgesTotal, toc(clock0));
  net = port_sweep(geom, [], const, freqs, ports);
  nets{end + 1} = net; %#ok<SAGROW>
  [f0, R0] = impedance_resonance(freqs, squeeze(net.Z));
  if isempty(f0)
    f0 = NaN;
    R0 = NaN;
  end
  res(end + 1, :) = [cells, f0(1), L * f0(1) / c0, R0(1)]; %#ok<SAGROW>
  if cells == segments
    keep = struct('geom', geom, 'ports', ports, 'net', net);
  end
end

Zh = hallen_dipole(L, a, freqs);
[fh, Rh] = impedance_resonance(freqs, Zh);
Ze = dipole_emf_impedance(L, a, freqs);
[fe, Re] = impedance_resonance(freqs, Ze);

% The sweep at `segments`: CSV, Touchstone, plot.
Z = squeeze(keep.net.Z);
csv_file = fullfile(out, 'strip_dipole_impedance.csv');
fid = fopen(csv_file, 'w');
fprintf(fid, 'f_Hz,R_ohm,X_ohm\n');
fprintf(fid, '%.10g,%.10g,%.10g\n', [freqs(:)'; real(Z(:))'; imag(Z(:))']);
fclose(fid);
fprintf('impedance written to %s\n', csv_file);
touchstone_write(fullfile(out, 'strip_dipole.s1p'), freqs, keep.net.S, 50, ...
                 sprintf('strip dipole L = %g m, w = %g m, %d segments', L, w, segments));
fprintf('S11 written to %s\n', fullfile(out, 'strip_dipole.s1p'));
plot_port_sweep(fullfile(out, 'strip_dipole_impedance.png'), nets, 1, ...
                sprintf('strip dipole L = %g m, w = %g m: %d (1) and %d (2) segments', L, w, ...
                        segments, 2 * segments));

fprintf('\nf [MHz]   L/lambda  Z (%d seg.) [ohm]     Z (%d seg.) [ohm]     Hallen a = w/4 [ohm]\n', ...
        segments, 2 * segments);
Z2 = squeeze(nets{2}.Z);
for q = 1:numel(freqs)
  fprintf('%7.2f   %.4f    %7.2f %+8.2fj    %7.2f %+8.2fj    %7.2f %+8.2fj\n', ...
          freqs(q) / 1e6, L * freqs(q) / c0, real(Z(q)), imag(Z(q)), real(Z2(q)), ...
          imag(Z2(q)), real(Zh(q)), imag(Zh(q)));
end
fprintf('\nresonance (X = 0)        f [MHz]    L/lambda   R [ohm]\n');
for i = 1:size(res, 1)
  fprintf('strip, %3d segments      %-10.3f %-10.4f %-8.2f\n', res(i, 1), res(i, 2) / 1e6, ...
          res(i, 3), res(i, 4));
end
if ~isempty(fh)
  fprintf('Hallen, a = w/4          %-10.3f %-10.4f %-8.2f\n', fh(1) / 1e6, L * fh(1) / c0, Rh(1));
  fprintf(['strip vs Hallen: resonant length (L/lambda) %+.2f %% (%d seg.), %+.2f %% (%d seg.); ' ...
           'resistance %+.2f %%, %+.2f %%\n'], 100 * (res(1, 2) / fh(1) - 1), segments, ...
          100 * (res(2, 2) / fh(1) - 1), 2 * segments, 100 * (res(1, 4) / Rh(1) - 1), ...
          100 * (res(2, 4) / Rh(1) - 1));
else
  fprintf('the sweep holds no resonance of the Hallen reference\n');
end
if ~isempty(fe)
  fprintf('induced EMF (sinusoidal current), a = w/4: L/lambda %.4f, R %.2f ohm\n', ...
          L * fe(1) / c0, Re(1));
end
fprintf('mesh convergence (%d -> %d segments): resonance %+.3f %%, resistance %+.3f %%\n', ...
        segments, 2 * segments, 100 * (res(2, 2) / res(1, 2) - 1), 100 * (res(2, 4) / res(1, 4) - 1));

% Radiation at the resonance of the `segments` mesh.
if ~isnan(res(1, 2))
  [~, sol] = port_solve(keep.geom, [], const, res(1, 2), keep.ports);
  rad = radiation_report(keep.geom, [], const, sol, keep.ports);
  print_radiation(rad, sprintf('\nradiation at %.3f MHz (1 V gap):', res(1, 2) / 1e6));
  plot_pattern_cuts(fullfile(out, 'strip_dipole_pattern.png'), rad, ...
                    sprintf('strip dipole at resonance, %.3f MHz', res(1, 2) / 1e6));
end
