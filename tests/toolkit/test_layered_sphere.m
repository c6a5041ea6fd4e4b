% The layered-sphere example on a coarse mesh (about 800 unknowns) against the multilayer Mie
% series: the power each layer absorbs, extinction and absorption, the energy balance, and
% the two tables it writes (their headers and their agreement with each other).

repo = fileparts(fileparts(which('toolkit_setup')));
out_dir = tempname();
unknowns = 800;
run(fullfile(repo, 'examples', 'layered_sphere_study.m'));

fid = fopen(fullfile(out_dir, 'layered_sphere_layers.csv'));
head = fgetl(fid);
fclose(fid);
assert(strcmp(head, 'layer,radius_m,eps_r,sigma_Spm,p_abs_W,p_abs_mie_W'), head);
layers = dlmread(fullfile(out_dir, 'layered_sphere_layers.csv'), ',', 1, 0);
assert(isequal(size(layers), [3 6]) && isequal(layers(:, 1)', 1:3));
expect_close(layers(:, 2:4), [0.05 12 0.1; 0.08 6 0.05; 0.1 9 0.2], 1e-12, 'layer table');
fid = fopen(fullfile(out_dir, 'layered_sphere_totals.csv'));
head = fgetl(fid);
fclose(fid);
assert(strcmp(head, 'unknowns,c_ext_m2,c_ext_mie_m2,c_abs_m2,c_abs_mie_m2,balance'), head);
totals = dlmread(fullfile(out_dir, 'layered_sphere_totals.csv'), ',', 1, 0);
assert(abs(totals(1) / 800 - 1) < 0.1, sprintf('%d unknowns', totals(1)));

% Each layer within 8 % of the series at this size (5 % at 3000 unknowns), extinction 3 %,
% energy balance 1 %.
err = layers(:, 5) ./ layers(:, 6) - 1;
assert(all(abs(err) < 0.08), sprintf('layer absorption errors %s', mat2str(err', 3)));
assert(abs(totals(2) / totals(3) - 1) < 0.03, 'extinction');
assert(abs(totals(4) / totals(5) - 1) < 0.03, 'absorption');
assert(abs(totals(6)) < 0.01, sprintf('energy balance %.4f', totals(6)));
% The absorbed powers are the absorption cross-section times the intensity |E0|^2 / (2 eta)
% of the 1 V/m wave, in the computation and in the series.
eta0 = sqrt(4e-7 * pi / 8.8541878128e-12);
expect_close(sum(layers(:, 5)), totals(4) / (2 * eta0), 1e-9, 'computed powers add up');
expect_close(sum(layers(:, 6)), totals(5) / (2 * eta0), 1e-9, 'Mie powers add up');
% The same solution through absorption_cross_section.
expect_close(r.abs_check, r.abs, 1e-12, 'absorbed power against absorption_cross_section');
assert(exist(fullfile(out_dir, 'layered_sphere.vtu'), 'file') == 2);
expect_error(@() layered_study('radii', [0.1 0.05]), 'layered_study:radii');
expect_error(@() layered_study('eps_r', [2 3]), 'layered_study:material');
confirm_recursive_rmdir(false);
rmdir(out_dir, 's');
