% A probe-fed patch on a finite grounded substrate, coarsely meshed: the whole chain from a
% gmsh geometry with physical groups (metal on the substrate's faces, a probe strip between
% tetrahedra standing on the ground plane) to the port impedance. Checked against the
% transmission-line model of the first resonance (within 4 %), the power balance
% P_in = P_rad + P_abs (1 %), the efficiency (100 % lossless, below with losses), and
% current continuity along the probe (the port current at its foot reaches the patch).

p = struct('patch_L', 0.03, 'patch_W', 0.04, 'sub_h', 0.0016, 'sub_size', 0.06, ...
           'feed_x', 0.007, 'probe_w', 0.0015, 'mesh_size', 0.0075, 'probe_mesh', 0.0015);
f_model = patch_resonance(p.patch_L, p.patch_W, p.sub_h, 2.2);
[prep, ports, model] = patch_antenna_model(p, dielectric_material('eps_r', 2.2));
assert(prep.surface_unknowns > 0 && prep.volume_unknowns > 0, 'metal and dielectric');
% The port sits on the junction of the probe with the ground: its functions run into the
% probe triangles.
assert(all(ports.sign == 1) && numel(ports.rwg) >= 1, 'probe port');

freqs = f_model * [0.96 0.98 1 1.02 1.04];
net = port_sweep(prep, freqs, ports, 'quiet');
Z = squeeze(net.Z);
assert(all(real(Z) > 0), 'passive input impedance');
[f0, R0] = impedance_resonance(freqs, Z, 'peak');
assert(numel(f0) == 1, 'one resonance in the sweep');
assert(abs(f0 / f_model - 1) < 0.04, sprintf('resonance %.4f GHz vs model %.4f GHz', ...
       f0 / 1e9, f_model / 1e9));
expect_close(squeeze(net.S), (Z - 50) ./ (Z + 50), 1e-12, 'S11 from Z');

% Radiation at resonance, lossless and lossy (tan delta 0.02): balance and efficiency.
[GEOM, const] = model_at_frequency(prep, f0);
[~, sol] = port_solve(prep.geom, GEOM, const, f0, ports);
rad = radiation_report(prep.geom, GEOM, const, sol, ports, 'ntheta', 19, 'nphi', 25);
assert(abs(rad.balance) < 0.01 && rad.P_abs == 0, sprintf('lossless balance %.4f', rad.balance));
assert(abs(rad.efficiency - 1) < 0.01, 'lossless efficiency 100 %');
assert(rad.D_max > 3 && rad.dir_max(3) > 0.9, 'broadside beam above the ground plane');
lossy = prep;
lossy.model.regions(1).material = dielectric_material('eps_r', 2.2, 'tan_delta', 0.02);
[GEOM, const] = model_at_frequency(lossy, f0);
[~, sol] = port_solve(prep.geom, GEOM, const, f0, ports);
rad1 = radiation_report(prep.geom, GEOM, const, sol, ports, 'ntheta', 19, 'nphi', 25);
assert(abs(rad1.balance) < 0.01, sprintf('lossy balance %.4f', rad1.balance));
assert(rad1.P_abs > 0 && rad1.efficiency < 0.97, sprintf('lossy efficiency %.3f', rad1.efficiency));
expect_close(rad1.G_max, rad1.efficiency * rad1.D_max, 1e-9, 'gain = efficiency x directivity');

% Current continuity: the current crossing the probe's top junction into the patch equals
% the port current at its foot, up to the displacement current the strip (here a couple
% of triangles) sheds into the substrate: 7 % on this mesh. Seen from the patch, the strip lies along -z: that gap's
% current runs down the probe.
top = find(abs(model.P(3, :) - p.sub_h) < 1e-9 & abs(model.P(2, :)) < 1e-9 & ...
           abs(model.P(1, :) - p.feed_x) <= p.probe_w / 2 + 1e-9);
[~, order] = sort(model.P(1, top));
top = top(order);
probe_top = delta_gap_ports(model.P, model.tri, struct('edges', [top(1:end-1); top(2:end)], ...
                            'direction', [0 0 -1]));
expect_close(-port_currents(probe_top, sol.I), port_currents(ports, sol.I), 0.1, ...
             'current into the patch');
