% A worked example: solve a complex symmetric system with dense_system and check it.
%
% The matrix is a small model of an impedance matrix: a complex symmetric (not Hermitian)
% kernel matrix exp(-j k r)/r between points on a ring, with a dominant self term.
n = 400;
k = 2 * pi;
t = 2 * pi * (0:n-1).' / n;
p = [cos(t), sin(t)];
r = sqrt((p(:, 1) - p(:, 1).').^2 + (p(:, 2) - p(:, 2).').^2);
z = exp(-1i * k * r) ./ max(r, 1e-3);
z(1:n+1:end) = n * (1 - 0.2i);

% dense_system takes the matrix as 2*n^2 interleaved (real, imaginary) doubles.
zc = zeros(2 * n * n, 1);
zc(1:2:end) = real(z(:));
zc(2:2:end) = imag(z(:));
v = exp(-1i * k * p(:, 1));

x = dense_system(zc, 1, v);
rc = dense_system(zc, 0);
printf('order n                          %d\n', n);
printf('reciprocal condition (scaled)     %.4g\n', rc);
printf('relative residual |Zx - v|/|v|    %.3g\n', norm(z * x - v) / norm(v));
printf('difference to Z\\v (relative)     %.3g\n', norm(x - z \ v) / norm(z \ v));
