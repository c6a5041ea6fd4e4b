% A probe-fed rectangular patch on a finite grounded dielectric substrate: S11 and input
% impedance across the first resonance (lossless and lossy substrate), the resonance
% against the transmission-line (cavity) model, mesh convergence, and the power balance,
% efficiency, directivity and gain at resonance; Touchstone file and plots.
%
% Geometry (metres): the substrate is a square of side sub_size and thickness sub_h, fully
% metallised underneath (the ground plane); the patch (patch_L along x, patch_W along y)
% sits centred on top; a vertical probe strip (width probe_w, in the plane y = 0, at x =
% feed_x from the patch centre) runs through the substrate from the ground to the patch,
% meshed conformally with the tetrahedra. The delta-gap port sits at the probe's foot (the
% gmsh physical curve "feed"); the strip stands for a round probe of radius probe_w / 4.
% Metal is perfectly conducting; the substrate has eps_r = sub_eps_r and loss tangent
% sub_tand (lossy case) or 0 (lossless case).
%
% Writes into build/:
%   patch_antenna.s1p            S11 (50 ohm) with the lossy substrate, Touchstone version 1
%   patch_antenna_lossless.s1p   S11 with the lossless substrate
%   patch_antenna_s11.png        |S11|, R and X against frequency (lossless, lossy, finer mesh)
%   patch_antenna_pattern.png    gain on the principal planes at resonance (lossy)
% and prints the resonances (maximum of R, interpolated) against the model, the gain and
% the efficiency.
%
% Run from the repository root after building (about 7 minutes on two cores):
%   octave-cli --eval "run('examples/patch_antenna_study.m')"
%   octave-cli --eval "sub_eps_r = 4.4; sub_tand = 0.02; patch_L = 0.024; run('examples/patch_antenna_study.m')"
% Variables that may be set before `run` (metres, hertz): patch_L (0.03), patch_W (0.04),
% sub_eps_r (2.2), sub_tand (0.02), sub_h (0.0016), sub_size (0.06), feed_x (0.007),
% freqs (11 points from 0.95 to 1.04 times the model's resonance), mesh_size (0.006), and
% also probe_w (0.0015) and fine_mesh (the second, finer mesh size; default 0.75 mesh_size;
% 0 skips it).

root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
addpath(fullfile(root, 'build', 'mex'));
if ~exist('patch_L', 'var'), patch_L = 0.03; end
if ~exist('patch_W', 'var'), patch_W = 0.04; end
if ~exist('sub_eps_r', 'var'), sub_eps_r = 2.2; end
if ~exist('sub_tand', 'var'), sub_tand = 0.02; end
if ~exist('sub_h', 'var'), sub_h = 0.0016; end
if ~exist('sub_size', 'var'), sub_size = 0.06; end
if ~exist('feed_x', 'var'), feed_x = 0.007; end
if ~exist('mesh_size', 'var'), mesh_size = 0.006; end
if ~exist('probe_w', 'var'), probe_w = 0.0015; end
if ~exist('fine_mesh', 'var'), fine_mesh = 0.75 * mesh_size; end
f_model = patch_resonance(patch_L, patch_W, sub_h, sub_eps_r);
if ~exist('freqs', 'var'), freqs = f_model * linspace(0.95, 1.04, 11); end
out = fullfile(root, 'build');
if ~exist(out, 'dir'), mkdir(out); end

fprintf(['Patch antenna: patch %g x %g mm on %g x %g x %g mm substrate, eps_r %g, tan delta ' ...
         '%g; probe at %g mm from the centre\n'], 1e3 * [patch_L, patch_W, sub_size, sub_size, ...
        sub_h], sub_eps_r, sub_tand, 1e3 * feed_x);
fprintf('transmission-line model of the first resonance: %.4f GHz\n', f_model / 1e9);
geometry = struct('patch_L', patch_L, 'patch_W', patch_W, 'sub_h', sub_h, ...
                  'sub_size', sub_size, 'feed_x', feed_x, 'probe_w', probe_w, ...
                  'mesh_size', mesh_size, 'probe_mesh', probe_w);
lossless = dielectric_material('eps_r', sub_eps_r);
lossy = dielectric_material('eps_r', sub_eps_r, 'tan_delta', sub_tand);
resonance = @(net) impedance_resonance(net.f, squeeze(net.Z), 'peak');

clock0 = tic();
[prep, ports] = patch_antenna_model(geometry, lossless);
fprintf(['mesh size %g mm: %d unknowns (%d metal, %d dielectric), %d tetrahedra; ' ...
         'records %.1f s\n'], 1e3 * mesh_size, prep.unknowns, prep.surface_unknowns, ...
        prep.volume_unknowns, size(prep.model.tet, 2), toc(clock0));
fprintf('lossless substrate:\n');
net0 = port_sweep(prep, freqs, ports);
prep_lossy = prep;
prep_lossy.model.regions(1).material = lossy;
fprintf('lossy substrate (tan delta %g):\n', sub_tand);
net1 = port_sweep(prep_lossy, freqs, ports);
[f0, R0] = resonance(net0);
[f1, R1] = resonance(net1);
nets = {net0, net1};
f2 = [];
if fine_mesh > 0 && ~isempty(f0)
  geometry.mesh_size = fine_mesh;
  clock0 = tic();
  [prep2, ports2] = patch_antenna_model(geometry, lossless);
  fprintf('finer mesh size %g mm: %d unknowns (%d metal, %d dielectric); records %.1f s\n', ...
          1e3 * fine_mesh, prep2.unknowns, prep2.surface_unknowns, prep2.volume_unknowns, ...
          toc(clock0));
  % Five frequencies around the coarse resonance, as finely spaced as the main sweep's
  % steps near it.
  step = min(diff(freqs));
  net2 = port_sweep(prep2, f0(1) + step * (-2:2), ports2);
  [f2, R2] = resonance(net2);
  nets{end + 1} = net2;
end

touchstone_write(fullfile(out, 'patch_antenna.s1p'), net1.f, net1.S, 50, ...
                 {sprintf('probe-fed patch %g x %g mm, eps_r %g, tan delta %g, h %g mm', ...
                  1e3 * patch_L, 1e3 * patch_W, sub_eps_r, sub_tand, 1e3 * sub_h)});
touchstone_write(fullfile(out, 'patch_antenna_lossless.s1p'), net0.f, net0.S, 50, ...
                 {'the same patch on a lossless substrate'});
fprintf('S11 written to %s (and patch_antenna_lossless.s1p)\n', fullfile(out, 'patch_antenna.s1p'));
plot_port_sweep(fullfile(out, 'patch_antenna_s11.png'), nets, 1, ...
                'patch: lossless (1), lossy (2), finer mesh lossless (3)');

fprintf('\nf [GHz]    Z lossless [ohm]     S11 [dB]   Z lossy [ohm]        S11 [dB]\n');
for q = 1:numel(freqs)
  z0 = net0.Z(1, 1, q);
  z1 = net1.Z(1, 1, q);
  fprintf('%7.4f   %7.2f %+8.2fj   %7.2f    %7.2f %+8.2fj   %7.2f\n', freqs(q) / 1e9, ...
          real(z0), imag(z0), 20 * log10(abs(net0.S(1, 1, q))), real(z1), imag(z1), ...
          20 * log10(abs(net1.S(1, 1, q))));
end
if isempty(f0)
  fprintf('\nno resonance (maximum of R) inside the sweep: widen freqs\n');
  return;
end
fprintf('\nresonance (maximum of R)        f [GHz]    R [ohm]   vs model\n');
fprintf('transmission-line model         %.4f\n', f_model / 1e9);
fprintf('lossless, mesh %4.2f mm          %.4f     %-8.2f  %+.2f %%\n', 1e3 * mesh_size, ...
        f0(1) / 1e9, R0(1), 100 * (f0(1) / f_model - 1));
if ~isempty(f1)
  fprintf('lossy,    mesh %4.2f mm          %.4f     %-8.2f  %+.2f %%\n', 1e3 * mesh_size, ...
          f1(1) / 1e9, R1(1), 100 * (f1(1) / f_model - 1));
end
if ~isempty(f2)
  fprintf('lossless, mesh %4.2f mm          %.4f     %-8.2f  %+.2f %%\n', 1e3 * fine_mesh, ...
          f2(1) / 1e9, R2(1), 100 * (f2(1) / f_model - 1));
  fprintf('mesh convergence of the resonance: %+.2f %%\n', 100 * (f2(1) / f0(1) - 1));
end

% Radiation at the resonances (1 V gap).
[GEOM, const] = model_at_frequency(prep, f0(1));
[~, sol] = port_solve(prep.geom, GEOM, const, f0(1), ports);
rad0 = radiation_report(prep.geom, GEOM, const, sol, ports);
print_radiation(rad0, sprintf('\nlossless substrate at %.4f GHz:', f0(1) / 1e9));
if ~isempty(f1)
  [GEOM, const] = model_at_frequency(prep_lossy, f1(1));
  [~, sol] = port_solve(prep.geom, GEOM, const, f1(1), ports);
  rad1 = radiation_report(prep.geom, GEOM, const, sol, ports);
  print_radiation(rad1, sprintf('lossy substrate (tan delta %g) at %.4f GHz:', sub_tand, ...
                  f1(1) / 1e9));
  plot_pattern_cuts(fullfile(out, 'patch_antenna_pattern.png'), rad1, ...
                    sprintf('patch antenna, lossy substrate, %.4f GHz', f1(1) / 1e9));
end
