% Dielectric bodies end to end (gmsh tetrahedra, volume record, coupling tables,
% excite_cells/excite_plates, hybrid_matrix) against the Mie series: a lossy dielectric
% sphere and a PEC sphere with a dielectric coating, their error bounds and energy balances,
% the same answer in SI and normalised units, and no absorption without loss.

% Lossy sphere, eps_r = 4, tan delta = 0.5, ka = 0.8, about 1000 unknowns.
lossy = dielectric_study('tan_delta', 0.5, 'unknowns', 1000, 'ntheta', 91, ...
                                'time_fill', false);
assert(abs(lossy.unknowns / 1000 - 1) < 0.1, sprintf('%d unknowns', lossy.unknowns));
msg = @(what, e) sprintf('%s error %.4f at %d unknowns', what, e, lossy.unknowns);
assert(abs(lossy.ext_error) < 0.06, msg('extinction', lossy.ext_error));
assert(abs(lossy.abs_error) < 0.06, msg('absorption', lossy.abs_error));
% Most of the error is the faceted volume: against the equal-volume sphere it is small.
assert(abs(lossy.ext_error_eqvol) < 0.02, msg('equal-volume extinction', lossy.ext_error_eqvol));
assert(abs(lossy.abs_error_eqvol) < 0.02, msg('equal-volume absorption', lossy.abs_error_eqvol));
assert(lossy.err_E_eqvol.rel_rms < 0.03 && lossy.err_H_eqvol.rel_rms < 0.03, 'RCS cuts');
% Power taken from the wave = power scattered + power dissipated.
assert(abs(lossy.balance) < 0.01, sprintf('energy balance %.4f', lossy.balance));

% The same mesh in SI units: the cross-sections do not change.
mesh = {lossy.P, lossy.T, lossy.layer};
si = dielectric_study('tan_delta', 0.5, 'units', 'si', 'mesh', mesh, 'ntheta', 91, ...
                             'time_fill', false);
expect_close([si.cuts.E, si.cuts.H, si.ext, si.abs], ...
             [lossy.cuts.E, lossy.cuts.H, lossy.ext, lossy.abs], 1e-8, 'SI against normalised');

% Lossless on the same mesh: nothing absorbed, everything taken is scattered.
lossless = dielectric_study('mesh', mesh, 'ntheta', 91, 'time_fill', false);
assert(lossless.abs == 0, 'a lossless body absorbs nothing');
assert(abs(lossless.balance) < 0.01, sprintf('lossless energy balance %.4f', lossless.balance));
assert(abs(lossless.ext_error_eqvol) < 0.01, sprintf('lossless equal-volume extinction %.4f', ...
       lossless.ext_error_eqvol));

% PEC core (radius 0.6) in an eps_r = 4 coating, k * outer radius = 1, about 1300 unknowns:
% the metal-dielectric coupling blocks. The cuts within 8 % of the equal-volume layers' Mie
% series and the energy balance within 1 %.
coated = dielectric_study('core', 0.6, 'ka', 1, 'unknowns', 1300, 'ntheta', 91, ...
                                 'time_fill', false);
assert(coated.surface_unknowns > 0 && abs(coated.unknowns / 1300 - 1) < 0.1, ...
       sprintf('%d + %d unknowns', coated.surface_unknowns, coated.volume_unknowns));
e = max(coated.err_E_eqvol.rel_rms, coated.err_H_eqvol.rel_rms);
assert(e < 0.08, sprintf('coated sphere: RCS error %.4f at %d unknowns', e, coated.unknowns));
assert(abs(coated.balance) < 0.01, sprintf('coated energy balance %.4f', coated.balance));
