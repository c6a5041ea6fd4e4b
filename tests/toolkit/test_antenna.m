% Delta-gap ports, impedance and radiation of a strip dipole in free space, against the
% thin-wire (Hallen) reference for the strip's equivalent radius a = w/4 and against
% conservation laws: reciprocity of a two-port, the power balance, the half-wave dipole's
% directivity; bad ports give their identified errors.

const = em_constants('si');
c0 = const.c;
L = 0.5;
w = 0.005;
f = linspace(270e6, 300e6, 4);
% Resonance (X = 0) and the resistance there, by cubic interpolation in frequency.
resonance = @(Z) interp1(imag(Z), f, 0, 'pchip');

% Reference: Hallen's equation for a = w/4 = 1.25 mm (a/lambda = 0.0012 at resonance), which
% lies within the classic thin-wire tabulations (resonant length 0.47-0.48 lambda, about
% 72 ohm); the induced-EMF closed form gives 73.08 + j42.52 for the vanishing half-wave dipole.
Zh = hallen_dipole(L, w / 4, f);
fh = resonance(Zh);
Rh = interp1(f, real(Zh), fh, 'pchip');
assert(abs(L * fh / c0 - 0.475) < 0.005 && abs(Rh - 72) < 3, 'thin-wire reference');
expect_close(dipole_emf_impedance(0.5, 1e-9, c0), 73.08 + 42.52i, 2e-4, 'induced-EMF value');

% Strip at two mesh densities: resonant length within 2 %, resistance within 8 %; the
% finer mesh moves both by less than 1 %.
out = zeros(2, 2);
for q = 1:2
  [P, t, gap] = strip_dipole_mesh(L, w, 40 * q, 2);
  geom = surface_record(P, t);
  ports = delta_gap_ports(P, t, struct('edges', gap, 'direction', [0 0 1]));
  net = port_sweep(geom, [], const, f, ports, 'quiet');
  Z = squeeze(net.Z).';
  assert(all(real(Z) > 0) && all(diff(imag(Z)) > 0), 'R > 0, X rising through resonance');
  fr = resonance(Z);
  out(q, :) = [fr, interp1(f, real(Z), fr, 'pchip')];
  assert(abs(fr / fh - 1) < 0.02, sprintf('resonant length %.4f vs %.4f lambda', ...
         L * fr / c0, L * fh / c0));
  assert(abs(out(q, 2) / Rh - 1) < 0.08, sprintf('resistance %.2f vs %.2f', out(q, 2), Rh));
end
assert(all(abs(out(2, :) ./ out(1, :) - 1) < 0.01), 'mesh convergence');

% The port direction flips the sign of the port current; the impedance does not change.
flipped = delta_gap_ports(P, t, struct('edges', gap, 'direction', [0 0 -1]));
expect_close(flipped.weight, -ports.weight, 0, 'reversed port');
% The default direction follows the first edge consistently along the gap.
dflt = delta_gap_ports(P, t, gap);
assert(abs(sum(dflt.weight)) == sum(abs(dflt.weight)), 'consistent default direction');

% Radiation at resonance: P_rad = P_in within 1 % (lossless metal), efficiency 100 %,
% directivity of a resonant dipole 1.64 (2.15 dBi), the pattern's null along the axis and
% its maximum in the xy plane; realised gain from the 50-ohm mismatch.
[Y, sol] = port_solve(geom, [], const, out(2, 1), ports);
rad = radiation_report(geom, [], const, sol, ports, 'ntheta', 37, 'nphi', 37);
assert(abs(rad.balance) < 0.01 && rad.P_abs == 0, sprintf('balance %.4f', rad.balance));
assert(abs(rad.efficiency - 1) < 0.01, 'lossless efficiency');
expect_close(rad.P_in, 0.5 * real(Y), 1e-12, 'input power from the port current');
assert(abs(rad.D_max - 1.64) < 0.03, sprintf('directivity %.3f', rad.D_max));
assert(abs(rad.dir_max(3)) < 0.05, 'maximum broadside');
assert(max(rad.cuts.G_xz([1 181])) < 1e-3 * rad.G_max, 'null along the axis');
expect_close(rad.cuts.G_xy, rad.G_max * ones(1, 361), 0.01, 'omnidirectional in xy');
Gm = 1 - abs((1 / Y - 50) / (1 / Y + 50)) ^ 2;
expect_close(rad.G_real_max, rad.G_max * Gm, 1e-9, 'realised gain');

% Two ports (gaps at z = -L/8 and +L/4): Z reciprocal; the port currents of a combined
% excitation are the sum of the unit ones (one factorisation, several right-hand sides).
row = @(z) find(abs(P(2, :)) < 1 & abs(P(3, :) - z) < 1e-9);
r1 = row(-L / 8);
r2 = row(L / 4);
ports2 = delta_gap_ports(P, t, {[r1(1:end-1); r1(2:end)], [r2(1:end-1); r2(2:end)]});
[Y2, s2] = port_solve(geom, [], const, 285e6, ports2, [eye(2), [2; -1i]]);
expect_close(Y2(:, 1:2), Y2(:, 1:2).', 1e-3, 'reciprocity Y12 = Y21');
expect_close(Y2(:, 3), Y2(:, 1:2) * [2; -1i], 1e-10, 'superposition');
rad2 = radiation_report(geom, [], const, s2, ports2, 'column', 3, 'ntheta', 19, 'nphi', 19);
assert(abs(rad2.balance) < 0.01, 'two-port balance');

% The computed networks through Touchstone files and back: the dipole's one-port sweep and
% the two-port (reciprocal, so the hand-written files of test_touchstone check the order).
net2 = network_parameters(Y2(:, 1:2), 50);
s2p = [tempname() '.s2p'];
touchstone_write(s2p, 285e6, net2.S, 50);
back = touchstone_read(s2p);
expect_close(back.data, net2.S, 1e-11, 'two-port S through a file');
s1p = [tempname() '.s1p'];
touchstone_write(s1p, net.f, net.S, 50);
back = touchstone_read(s1p);
expect_close(back.data, net.S, 1e-11, 'dipole S11 through a file');
expect_close(back.f, net.f, 1e-12, 'dipole frequencies through a file');
delete(s1p);
delete(s2p);

% Bad ports.
expect_error(@() delta_gap_ports(P, t, [1; 3]), 'delta_gap_ports:notOnMetal');
expect_error(@() delta_gap_ports(P, t, [1; 2]), 'delta_gap_ports:notShared');
expect_error(@() delta_gap_ports(P, t, {gap, gap(:, 1)}), 'delta_gap_ports:sharedEdge');
expect_error(@() delta_gap_ports(P, t, struct('edges', gap, 'direction', [1 0 0])), ...
             'delta_gap_ports:direction');
expect_error(@() delta_gap_ports(P, t, zeros(2, 0)), 'delta_gap_ports:spec');

% Plots: when the graphics toolkit can draw at all, the PNG files exist.
png = [tempname() '.png'];
if plot_port_sweep(png, net)
  fid = fopen(png, 'r');
  magic = fread(fid, 8, 'uint8')';
  fclose(fid);
  delete(png);
  assert(isequal(magic(2:4), double('PNG')), 'sweep plot is a PNG file');
end
if plot_pattern_cuts(png, rad)
  assert(exist(png, 'file') == 2, 'pattern plot written');
  delete(png);
end

% A port on a gmsh physical curve: the strip drawn in gmsh (unstructured triangles), cut by
% the physical curve "gap" at z = 0. Its impedance near resonance matches the structured
% strip's within 2 %; a curve on the metal's boundary and an unknown curve are refused.
folder = tempname();
mkdir(folder);
geo = fullfile(folder, 'strip.geo');
msh = fullfile(folder, 'strip.msh');
fid = fopen(geo, 'w');
fprintf(fid, ['SetFactory("OpenCASCADE");\nL = %.17g; w = %.17g;\n' ...
              'Rectangle(1) = {-w/2, -L/2, 0, w, L};\n' ...
              'Point(101) = {-w/2, 0, 0}; Point(102) = {w/2, 0, 0}; Line(100) = {101, 102};\n' ...
              'BooleanFragments{ Surface{1}; Delete; }{ Curve{100}; Delete; }\n' ...
              'Rotate {{1, 0, 0}, {0, 0, 0}, Pi/2} { Surface{:}; }\n' ...
              'Physical Surface("strip") = {Surface{:}};\n' ...
              'Physical Curve("gap") = {Curve In BoundingBox{-w, -1e-6, -1e-6, w, 1e-6, 1e-6}};\n' ...
              'Physical Curve("end") = {Curve In BoundingBox{-w, -1e-6, L/2 - 1e-6, w, 1e-6, L/2 + 1e-6}};\n' ...
              'Mesh.CharacteristicLengthMax = L / 60;\n'], L, w);
fclose(fid);
model = gmsh_model(geo, 'metal', {'strip'}, 'save_msh', msh);
gap2 = curve_edges(msh, 'gap', model.P);
assert(all(abs(model.P(3, gap2(:))) < 1e-12), 'gap edges at z = 0');
g2 = surface_record(model.P, model.tri);
p2 = delta_gap_ports(model.P, model.tri, struct('edges', gap2, 'direction', [0 0 1]));
Zg = 1 / port_solve(g2, [], const, 285e6, p2);
Zs = interp1(f, Z, 285e6, 'pchip');
assert(abs(Zg - Zs) < 0.02 * abs(Zs), sprintf('gmsh strip %s vs structured %s', num2str(Zg), num2str(Zs)));
expect_error(@() curve_edges(msh, 'nope', model.P), 'curve_edges:group');
expect_error(@() delta_gap_ports(model.P, model.tri, curve_edges(msh, 'end', model.P)), ...
             'delta_gap_ports:notShared');
expect_error(@() curve_edges(msh, 'gap', model.P + 1), 'curve_edges:vertex');
confirm_recursive_rmdir(false);
rmdir(folder, 's');
