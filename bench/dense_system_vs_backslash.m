% dense_system (symmetric L*D*L.' factorisation of the lower triangle) against the host's own
% Z\V (general LU) on one complex symmetric system, timed in one process. Reports the ratio.
% Override the order with a variable bench_n set before running this script.
if ~exist('bench_n', 'var')
  bench_n = 3000;
end
n = bench_n;
randn('seed', 42);
a = randn(n) + 1i * randn(n);
z = a + a.' + 2 * sqrt(n) * eye(n);
v = randn(n, 1) + 1i * randn(n, 1);
zc = zeros(2 * n * n, 1);
zc(1:2:end) = real(z(:));
zc(2:2:end) = imag(z(:));

reps = 3;
t_ds = inf;
t_bs = inf;
for r = 1:reps
  tic; x1 = dense_system(zc, 1, v); t_ds = min(t_ds, toc);
  tic; x2 = z \ v; t_bs = min(t_bs, toc);
end
printf('n = %d, best of %d: dense_system %.3f s, Z\\V %.3f s, ratio %.2f (relative difference %.2g)\n', ...
       n, reps, t_ds, t_bs, t_ds / t_bs, norm(x1 - x2) / norm(x2));
