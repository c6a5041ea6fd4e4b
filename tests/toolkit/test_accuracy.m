% The accuracy option: the settings of each level, the quadrature excitation against the
% centroid one, the 'high' error bound of the PEC sphere on a coarse mesh and the direction
% of its error budget (the far-pair centroid estimates and the one-point excitation each
% move the equal-volume extinction error as the budget says), and the scattering grid.

% Settings: 'standard' is the studies' long-standing default; a number picks a level.
s = accuracy_settings();
assert(strcmp(s.name, 'standard') && s.plate_near == 9 && s.cell_near == 9 && ...
       s.seam_near == 9 && s.coupling_near == 9 && s.face_points == 6 && s.tet_points == 4 && ...
       strcmp(s.rhs, 'centroid') && isempty(s.hybrid_options), 'standard = the defaults');
assert(strcmp(accuracy_settings(0.1).name, 'fast'));
assert(strcmp(accuracy_settings(1e-3).name, 'high'));
assert(strcmp(accuracy_settings(1e-9).name, 'high'), 'beyond reach: the best level');
h = accuracy_settings('HIGH');
assert(strcmp(h.rhs, 'quadrature') && isinf(h.hybrid_options.FarFactor) && ...
       isinf(h.hybrid_options.VolumeFarFactor));
assert(isequal(accuracy_settings(h), h), 'a settings struct passes through');
expect_error(@() accuracy_settings('best'), 'accuracy_settings:accuracy');
expect_error(@() accuracy_settings(-1), 'accuracy_settings:accuracy');

% Quadrature excitation: the same numbers as excite_plates for a field constant over each
% triangle; for a plane wave closer to a 13-point reference than the centroid sample is.
[P, t] = sphere_surface_mesh(1, 'unknowns', 300);
g6 = surface_record(P, t, 6, 0);
g13 = surface_record(P, t, 13, 0);
E0 = [1; 0; 0];
khat = [0; 0; 1];
expect_close(excite_plates_quadrature(g6, plane_wave(g6.PointsM, 0, khat, E0)), ...
             excite_plates(g6, plane_wave(g6.PointsFC, 0, khat, E0)), 1e-13, 'constant field');
ref = excite_plates_quadrature(g13, plane_wave(g13.PointsM, 2, khat, E0));
d6 = norm(excite_plates_quadrature(g6, plane_wave(g6.PointsM, 2, khat, E0)) - ref);
dc = norm(excite_plates(g6, plane_wave(g6.PointsFC, 2, khat, E0)) - ref);
assert(d6 < 1e-3 * dc, sprintf('6-point %.2e, centroid %.2e from the 13-point rule', d6, dc));
expect_error(@() excite_plates_quadrature(g6, zeros(3, 2)), 'excite_plates_quadrature:E');

% PEC sphere, ka = 1, about 500 unknowns: 'high' is within 0.15 % of the equal-volume Mie
% extinction (the default is near 0.7 %); the far-pair centroid estimates carry a positive
% error at ka = 1, so computing them accurately lowers the error, and the quadrature
% excitation moves it down as well.
base = sphere_study('unknowns', 500, 'ntheta', 19, 'time_fill', false);
mesh = {base.P, base.t};
high = sphere_study('mesh', mesh, 'accuracy', 'high', 'ntheta', 19, 'time_fill', false);
far = sphere_study('mesh', mesh, 'far_factor', Inf, 'ntheta', 19, 'time_fill', false);
rhs = sphere_study('mesh', mesh, 'rhs', 'quadrature', 'ntheta', 19, 'time_fill', false);
fprintf('PEC ka=1, %d unknowns: standard %+.4f%%, high %+.4f%%, far %+.4f%%, rhs %+.4f%%\n', ...
        base.unknowns, 100 * [base.ext_error_eqvol, high.ext_error_eqvol, ...
        far.ext_error_eqvol, rhs.ext_error_eqvol]);
assert(abs(high.ext_error_eqvol) < 1.5e-3, sprintf('high: %.4f %%', 100 * high.ext_error_eqvol));
assert(base.ext_error_eqvol > 3e-3, 'the default error is the positive one the budget explains');
assert(far.ext_error_eqvol > 0 && far.ext_error_eqvol < 0.5 * base.ext_error_eqvol, ...
       'accurate far pairs remove most of the default error');
assert(rhs.ext_error_eqvol < base.ext_error_eqvol - 5e-4, 'the quadrature excitation lowers it');
assert(abs(high.ext_error_eqvol) < abs(far.ext_error_eqvol), 'both together are best');
assert(high.err_E_eqvol.rel_rms < base.err_E_eqvol.rel_rms && ...
       high.err_H_eqvol.rel_rms < base.err_H_eqvol.rel_rms, 'RCS cuts closer too');

% Dielectric sphere (eps_r = 4, ka = 0.8), about 400 unknowns: the centroid estimates of the
% tetrahedron and face pairs break the energy balance of the lossless body (scattered power
% against extinction) at the 1e-3 level and carry a positive extinction error; computed
% accurately ('high'), the balance holds to 1e-5 and the error moves down to the (negative)
% error of the piecewise-constant volume basis.
dbase = dielectric_study('unknowns', 400, 'ntheta', 19, 'time_fill', false);
dhigh = dielectric_study('mesh', {dbase.P, dbase.T, dbase.layer}, 'accuracy', 'high', ...
                         'ntheta', 19, 'time_fill', false);
fprintf('dielectric, %d unknowns: standard %+.4f%% (balance %.1e), high %+.4f%% (%.1e)\n', ...
        dbase.unknowns, 100 * dbase.ext_error_eqvol, dbase.balance, 100 * dhigh.ext_error_eqvol, ...
        dhigh.balance);
assert(abs(dbase.balance) > 1e-3 && abs(dhigh.balance) < 1e-5, 'energy balance');
assert(dhigh.ext_error_eqvol < dbase.ext_error_eqvol - 2e-3 && dhigh.ext_error_eqvol < 0, ...
       'accurate far pairs move the dielectric error down');
assert(abs(dhigh.ext_error_eqvol) < 0.01, 'high within 1 %');

% The scattering grid chosen from the electrical size gives the fixed fine grid's result.
src = surface_current_elements(high.geom, high.I);
for k = [1, 4]
  expect_close(scattering_cross_section(src, k, 1, E0), ...
               scattering_cross_section(src, k, 1, E0, 40), 1e-10, 'adaptive grid');
end
