% The PEC sphere (ka = 1) end to end (gmsh mesh, surface record with plate_pairs' tables,
% excite_plates, hybrid_matrix) against the Mie series at about 300 and 1000 unknowns: the
% extinction error bounds, the energy balance of a lossless scatterer, errors falling with
% refinement, and the same RCS in SI and normalised units.

coarse = sphere_study('unknowns', 300, 'ntheta', 91);
assert(abs(coarse.unknowns / 300 - 1) < 0.05, sprintf('%d unknowns', coarse.unknowns));
% At this density the flat triangles enclose 5.6 % less volume than the sphere, which costs
% about 6 % of extinction; against the sphere of the mesh's volume the error is below 2 %.
assert(abs(coarse.ext_error) < 0.06, sprintf('extinction error %.4f at %d unknowns', ...
       coarse.ext_error, coarse.unknowns));
assert(abs(coarse.ext_error_eqvol) < 0.02, sprintf('equal-volume extinction error %.4f', ...
       coarse.ext_error_eqvol));
% A lossless body scatters all the power it takes from the wave: the scattering integrated
% over all directions matches the extinction from the forward field.
src = surface_current_elements(coarse.geom, coarse.I);
sca = scattering_cross_section(src, coarse.k, 1, [1; 0; 0]);
assert(abs(sca / coarse.ext - 1) < 0.02, sprintf('scattered / extinct = %.4f', sca / coarse.ext));
assert(coarse.err_E.rel_rms < 0.1 && coarse.err_H.rel_rms < 0.1, 'RCS cuts');

% Refinement lowers the RCS errors; at about 1000 unknowns the extinction is within 1.5 % of
% the sphere's Mie value and within 1 % of the equal-volume sphere's.
finer = sphere_study('unknowns', 1000, 'ntheta', 91);
assert(abs(finer.ext_error) < 0.015, sprintf('extinction error %.4f at %d unknowns', ...
       finer.ext_error, finer.unknowns));
assert(abs(finer.ext_error_eqvol) < 0.01, sprintf('equal-volume extinction error %.4f', ...
       finer.ext_error_eqvol));
assert(finer.err_E.rel_rms + finer.err_H.rel_rms < coarse.err_E.rel_rms + coarse.err_H.rel_rms, ...
       sprintf('RCS error %.4f at %d unknowns, %.4f at %d', ...
               finer.err_E.rel_rms + finer.err_H.rel_rms, finer.unknowns, ...
               coarse.err_E.rel_rms + coarse.err_H.rel_rms, coarse.unknowns));
assert(abs(finer.ext_error) < abs(coarse.ext_error), 'extinction error falls with refinement');

% SI units on the same mesh: the cross-sections do not change, and the currents for the same
% 1 V/m incident field scale with 1/eta0 (normalised units have eta = 1).
si = sphere_study('units', 'si', 'ntheta', 91, 'mesh', {coarse.P, coarse.t});
expect_close([si.cuts.E, si.cuts.H, si.ext], [coarse.cuts.E, coarse.cuts.H, coarse.ext], 1e-8, ...
             'SI against normalised units');
eta0 = sqrt(si.const.mu / si.const.epsilon);
expect_close(si.I * eta0, coarse.I, 1e-8, 'SI currents times eta0');
