% Post-processing speed: radiated_field (kernels pair by pair, sums over the elements by
% matrix products) against the plain elementwise sum of the same kernel, and the 10 g SAR
% average (averaged_sar) of a body of many tetrahedra, timed in one process. Reports the
% ratio and the point-element pairs per second. Override the sizes with bench_elements,
% bench_points and bench_tets set before running this script.
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit')); toolkit_setup();
if ~exist('bench_elements', 'var')
  bench_elements = 20000;
end
if ~exist('bench_points', 'var')
  bench_points = 500;
end
if ~exist('bench_tets', 'var')
  bench_tets = 20000;
end
randn('seed', 7);
rand('seed', 7);
src.points = randn(3, bench_elements);
src.moments = randn(3, bench_elements) + 1i * randn(3, bench_elements);
pts = randn(3, bench_points) * 4;
k = 1.3;

% The plain sum: one block of points at a time, every term elementwise.
function E = direct_sum(src, points, k)
  E = complex(zeros(3, size(points, 2)));
  block = max(1, floor(4e5 / size(src.points, 2)));
  for p0 = 1:block:size(points, 2)
    p = p0:min(size(points, 2), p0 + block - 1);
    dx = points(1, p)' - src.points(1, :);
    dy = points(2, p)' - src.points(2, :);
    dz = points(3, p)' - src.points(3, :);
    R = sqrt(dx .^ 2 + dy .^ 2 + dz .^ 2);
    u = 1 ./ (1i * k * R);
    g = exp(-1i * k * R) ./ R;
    a = g .* (1 + u + u .^ 2);
    b = g .* (1 + 3 * u + 3 * u .^ 2) ./ R .^ 2 .* (dx .* src.moments(1, :) ...
        + dy .* src.moments(2, :) + dz .* src.moments(3, :));
    E(1, p) = sum(a .* src.moments(1, :) - b .* dx, 2).';
    E(2, p) = sum(a .* src.moments(2, :) - b .* dy, 2).';
    E(3, p) = sum(a .* src.moments(3, :) - b .* dz, 2).';
  end
  E = E * (-1i * k / (4 * pi));
end

t_rf = inf;
t_ds = inf;
for r = 1:2
  tic; E1 = radiated_field(src, pts, k, 1); t_rf = min(t_rf, toc);
  tic; E2 = direct_sum(src, pts, k); t_ds = min(t_ds, toc);
end
pairs = bench_elements * bench_points;
printf(['radiated_field, %d elements x %d points, best of 2: %.2f s (%.3g pairs/s), plain ' ...
        'sum %.2f s, ratio %.2f (relative difference %.2g)\n'], bench_elements, bench_points, ...
       t_rf, pairs / t_rf, t_ds, t_rf / t_ds, norm(E1(:) - E2(:)) / norm(E2(:)));

% 10 g averages over a 1 kg cube of random tetrahedron centroids (about 200 per sphere).
n = bench_tets;
c = rand(3, n) * 0.1;
v = 1e-3 / n * ones(1, n);
tic;
avg = averaged_sar(c, v, 1000 * ones(1, n), rand(n, 1) .* v' * 1000);
t = toc;
printf('averaged_sar, %d tetrahedra (10 g of %d g): %.2f s (%.3g tetrahedra/s)\n', n, ...
       round(sum(v) * 1e6), t, n / t);
