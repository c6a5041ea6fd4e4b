% SAR: per-tetrahedron values from sigma |E|^2 / (2 rho), region means and peaks, and the
% mass-averaged SAR over 10 g spheres: exact for a uniform SAR, the centre value of a linear
% SAR (a sphere's mean of a linear function), the same as a brute-force search over all
% tetrahedra, non-tissue tetrahedra left out, and a body lighter than the mass.

% A 6 cm cube of jittered Kuhn tetrahedra (6 per cube cell, 9^3 cells, 216 g at 1000 kg/m^3).
n = 9;
L = 0.06;
[X, Y, Z] = ndgrid(0:n);
P = [X(:), Y(:), Z(:)]' * (L / n);
rand('seed', 3);
inner = all(P > 0 & P < L - 1e-12, 1);
P(:, inner) = P(:, inner) + (rand(3, nnz(inner)) - 0.5) * 0.2 * L / n;
id = @(i, j, k) 1 + i + (n + 1) * (j + (n + 1) * k);
[I, J, K] = ndgrid(0:n - 1);
c = [id(I(:), J(:), K(:)), id(I(:) + 1, J(:), K(:)), id(I(:), J(:) + 1, K(:)), ...
     id(I(:) + 1, J(:) + 1, K(:)), id(I(:), J(:), K(:) + 1), id(I(:) + 1, J(:), K(:) + 1), ...
     id(I(:), J(:) + 1, K(:) + 1), id(I(:) + 1, J(:) + 1, K(:) + 1)]';
paths = [1 2 4 8; 1 2 6 8; 1 3 4 8; 1 3 7 8; 1 5 6 8; 1 5 7 8]';
T = reshape(c(paths(:), :), 4, []);
nt = size(T, 2);
A = reshape(P(:, T), 3, 4, nt);
GEOM.TetrahedraTotal = nt;
GEOM.CenterT = reshape(mean(A, 2), 3, nt);
GEOM.VolumeT = abs(dot(A(:, 2, :) - A(:, 1, :), cross(A(:, 3, :) - A(:, 1, :), ...
                   A(:, 4, :) - A(:, 1, :), 1), 1)(:)') / 6;
assert(abs(sum(GEOM.VolumeT) / L ^ 3 - 1) < 1e-12, 'the tetrahedra fill the cube');
rho = 1000 * ones(1, nt);
mass = 0.010;

% Uniform SAR: every average is that value, at the faces and corners too.
sar0 = 0.8;
avg = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, sar0 * rho' .* GEOM.VolumeT', mass);
expect_close(avg, sar0 * ones(nt, 1), 1e-12, 'uniform SAR');

% Linear SAR 1 + 40 x (W/kg, x in m): the mean over a sphere of tissue is the value at its
% centre, for centres at least 1.6 cm (the 10 g radius is 1.34 cm) inside the cube.
lin = 1 + 40 * GEOM.CenterT(1, :);
[avg, radius] = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, (lin .* rho .* GEOM.VolumeT)', mass);
deep = all(GEOM.CenterT > 0.016 & GEOM.CenterT < L - 0.016, 1);
assert(nnz(deep) > 300);
expect_close(avg(deep), lin(deep)', 2e-3, 'linear SAR: sphere means at the centres');
r10 = (3 * mass / (4 * pi * 1000)) ^ (1 / 3);
assert(all(abs(radius(deep) / r10 - 1) < 0.05), '10 g sphere radius inside the body');
% At the corner the sphere grows beyond the body: larger radius, mean pulled inward.
[~, corner] = min(sum(GEOM.CenterT .^ 2, 1));
assert(radius(corner) > 1.5 * r10 && avg(corner) > lin(corner));

% The same as a search over all tetrahedra for every centre (no grid).
sample = 1:97:nt;
for i = sample
  d = sum((GEOM.CenterT - GEOM.CenterT(:, i)) .^ 2, 1);
  [~, o] = sort(d);
  w = rho(o) .* GEOM.VolumeT(o);
  pw = lin(o) .* w;
  last = find(cumsum(w) >= mass, 1);
  f = (mass - sum(w(1:last - 1))) / w(last);
  ref = (sum(pw(1:last - 1)) + f * pw(last)) / mass;
  assert(abs(avg(i) / ref - 1) < 1e-12, sprintf('tetrahedron %d against the full search', i));
end

% Tetrahedra of density 0 (not tissue) hold no mass and their power does not count.
air = GEOM.CenterT(3, :) > 0.045;
rho_air = rho;
rho_air(air) = 0;
power = sar0 * rho_air' .* GEOM.VolumeT';
power(air) = 1e3;
avg = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho_air, power, mass);
assert(all(isnan(avg(air))), 'no average centred outside tissue');
expect_close(avg(~air), sar0 * ones(nnz(~air), 1), 1e-12, 'non-tissue left out');

% A body lighter than the averaging mass: the whole-body SAR, with a warning.
lastwarn('');
avg = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, (lin .* rho .* GEOM.VolumeT)', 1);
[~, id] = lastwarn();
assert(strcmp(id, 'averaged_sar:lightBody'));
expect_close(avg, sum(lin .* GEOM.VolumeT) / sum(GEOM.VolumeT) * ones(nt, 1), 1e-12, ...
             'whole-body average');

% sar_statistics in SI units: E = 10 V/m along x in every tetrahedron, eps_r 50 and
% sigma = 1 S/m in region 1 (x < 3 cm), eps_r 20 and sigma = 0.5 S/m in region 2;
% SAR = sigma |E|^2 / (2 rho) = 1 * 100 / 2000 = 0.05 W/kg and 0.5 * 100 / 2200.
f = 900e6;
omega = 2 * pi * f;
region = 1 + (GEOM.CenterT(1, :) > 0.03);
er = [50 20];
sigma = [1 0.5];
const = em_constants('si', er(region), sigma(region) ./ (omega * 8.8541878128e-12 * er(region)));
E = repmat([10; 0; 0], 1, nt);
sar = sar_statistics(GEOM, const, omega, E, region, [1000 1100]);
expect_close(sar.tet, (region' == 1) * 0.05 + (region' == 2) * 0.5 * 100 / 2200, 1e-12, ...
             'SAR per tetrahedron');
expect_close(sar.region_mean, [0.05; 0.5 * 100 / 2200], 1e-12, 'region means');
expect_close(sar.region_peak, sar.region_mean, 1e-12, 'region peaks of a uniform field');
expect_close(sar.region_mass, [1000; 1100] .* accumarray(region', GEOM.VolumeT'), 1e-12, ...
             'region masses');
expect_close(sar.power.total, 0.5 * 100 * sum(sigma(region) .* GEOM.VolumeT), 1e-12, ...
             'absorbed power sigma |E|^2 / 2');
% The 10 g peak lies in the more absorbing region, as deep in it as the sphere allows: the
% average of a sphere that reaches across the interface is lower.
assert(region(sar.peak_avg_tet) == 1 && abs(sar.peak_avg / 0.05 - 1) < 1e-12);
assert(sar.mass == 0.010 && sar.peak_avg_radius > 0.95 * r10);
% A stronger field in one tetrahedron raises its region's peak, not the others'.
E(:, 5) = [0; 30; 0];
sar = sar_statistics(GEOM, const, omega, E, region, 1000 + 100 * (region - 1));
assert(abs(sar.region_peak(region(5)) / (9 * sar.region_mean(region(5))) - 1) < 0.01);
expect_error(@() sar_statistics(GEOM, const, omega, E, region, [1 2 3]), 'sar_statistics:rho');
expect_error(@() averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, power, -1), 'averaged_sar:mass');
