% dense_system called from the host: against Octave's own linear algebra, the layout and
% lower-triangle rules, the documented edge cases and malformed input.

function zc = interleave(z)
  zc = zeros(2 * numel(z), 1);
  zc(1:2:end) = real(z(:));
  zc(2:2:end) = imag(z(:));
end

function z = random_symmetric(n, seed)
  randn('seed', seed);
  a = randn(n) + 1i * randn(n);
  % Symmetric (not Hermitian), well conditioned, with badly scaled rows and columns.
  s = diag(10 .^ mod(0:n-1, 4));
  z = s * (a + a.' + (2 * sqrt(n) + 1i) * eye(n)) * s;
end

% Solutions agree with Z\V, and the caller's Z (and every copy sharing its storage) is intact.
for n = [1 2 7 60 250]
  z = random_symmetric(n, n);
  zc = interleave(z);
  shared = zc;
  v = randn(n, 1) + 1i * randn(n, 1);
  x = dense_system(zc, 1, v);
  assert(iscomplex(x) && isequal(size(x), [n 1]));
  expect_close(x, z \ v, 1e-10, sprintf('solution, n = %d', n));
  assert(isequal(zc, shared) && isequal(zc, interleave(z)), 'Z was modified');
end

% The condition estimate is that of the equilibrated matrix D*Z*D.
z = random_symmetric(40, 3);
d = diag(1 ./ sqrt(abs(diag(z))));
exact = 1 / (norm(d * z * d, 1) * norm(inv(d * z * d), 1));
r = dense_system(interleave(z), 0);
assert(r >= exact * (1 - 1e-10) && r <= 3 * exact, sprintf('rcond %g vs exact %g', r, exact));

% Only the lower triangle is read.
z = random_symmetric(30, 4);
v = randn(30, 1) + 1i * randn(30, 1);
garbage = z + triu(1e6 * (randn(30) + 1i * randn(30)), 1);
assert(isequal(dense_system(interleave(z), 1, v), dense_system(interleave(garbage), 1, v)));
assert(dense_system(interleave(z), 0) == dense_system(interleave(garbage), 0));

% Edge cases: 1 x 1, diagonal, extra values, row vector, real V, n = 0.
assert(abs(dense_system([3; -4], 0) - 1) < 1e-15);
assert(abs(dense_system([3; -4], 1, 2i) - 2i / (3 - 4i)) < 1e-15);
dg = [2; -1i; 1e-6; 5 + 5i];
expect_close(dense_system(interleave(diag(dg)), 1, [1; 2; 3; 4]), [1; 2; 3; 4] ./ dg, 1e-14, 'diag');
assert(abs(dense_system(interleave(diag(dg)), 0) - 1) < 1e-14);
z = random_symmetric(5, 5);
v = (1:5).';
x = dense_system(interleave(z), 1, v);
assert(isequal(dense_system([interleave(z); 7; 8; 9], 1, v), x), 'extra values must be ignored');
assert(isequal(dense_system(interleave(z).', 1, v), x), 'a row vector gives the same matrix');
assert(isequal(dense_system(interleave(z), 1, [v; 100]), x), 'only the first n values of V');
assert(isequal(size(dense_system(zeros(1, 1), 1, [])), [0 1]));
assert(dense_system([], 0) == 1);

% A zero diagonal entry in a regular matrix: solved, not Inf/NaN.
z = [0 2; 2 1i];
expect_close(dense_system(interleave(z), 1, [4; 2 + 2i]), [1; 2], 1e-15, 'zero diagonal');

% A singular matrix: rcond 0 and an identified warning in both modes.
lastwarn('');
s = interleave([1 0; 0 0]);
assert(dense_system(s, 0) == 0);
[~, id] = lastwarn();
assert(strcmp(id, 'dense_system:singular'));
lastwarn('');
dense_system(s, 1, [1; 1]);
[~, id] = lastwarn();
assert(strcmp(id, 'dense_system:singular'));

% Options other than 0 and 1 compute nothing and return nothing.
dense_system(s, 2);
dense_system(s, -1);
assert(dense_system(interleave(z), 0.9) == dense_system(interleave(z), 0));

% Malformed input ends the call with a message, never a crash.
z = random_symmetric(5, 6);
usage = 'this function requires at least 2 first inputs out of three: Z, option, and V';
msg = expect_error(@() dense_system(), 'dense_system:usage');
assert(~isempty(strfind(msg, usage)), msg);
expect_error(@() dense_system(interleave(z)), 'dense_system:usage', usage);
expect_error(@() dense_system(interleave(z), 1), 'dense_system:usage', usage);
expect_error(@() dense_system(interleave(z), 1, [1; 2]), 'dense_system:badSize', 'V');
expect_error(@() dense_system(z, 1, [1; 2]), 'dense_system:badType', 'Z');
expect_error(@() dense_system(single(interleave(z)), 0), 'dense_system:badType', 'Z');
expect_error(@() dense_system(sparse(interleave(z)), 0), 'dense_system:badType', 'Z');
expect_error(@() dense_system(interleave(z), NaN), 'dense_system:badScalar', 'option');
expect_error(@() dense_system(interleave(z), []), 'dense_system:badScalar', 'option');
expect_error(@() dense_system(interleave(z), 1, 'ab'), 'dense_system:badType', 'V');

% The order comes from the number of values of Z, whatever its shape: an empty Z is n = 0
% (never the row count of an empty array), a 2 x n^2 matrix is the same matrix as the column.
z = random_symmetric(5, 7);
v = (1:5).';
x = dense_system(interleave(z), 1, v);
assert(dense_system(zeros(180000, 0), 0) == 1);
assert(isequal(size(dense_system(zeros(180000, 0), 1, [])), [0 1]));
assert(isequal(size(dense_system(zeros(0, 5000), 1, 1:3)), [0 1]));
assert(isequal(dense_system(reshape(interleave(z), 2, []), 1, v), x), 'a 2 x n^2 Z');
assert(isequal(dense_system(reshape(interleave(z), 10, 5), 1, v), x), 'a 10 x 5 Z');
% Non-finite values that are read end the call naming the position; the unread upper triangle
% may hold anything.
zc = interleave(z);  zc(2 * (1 + 5 * 2) + 1) = NaN;    % entry (2, 3): upper triangle, unread
assert(isequal(dense_system(zc, 1, v), x));
zc = interleave(z);  zc(2 * (3 + 5 * 1) + 2) = Inf;     % imaginary part of entry (4, 2)
expect_error(@() dense_system(zc, 0), 'dense_system:badValue', ...
             'argument ''Z'': value Inf at position 18 (matrix entry (4, 2))');
expect_error(@() dense_system(zc, 1, v), 'dense_system:badValue', 'position 18');
expect_error(@() dense_system(interleave(z), 1, [v(1:4); NaN]), 'dense_system:badValue', ...
             'argument ''V'': value NaN at position 5');
assert(isequal(dense_system(interleave(z), 1, [v; NaN]), x), 'values of V beyond n are unread');
expect_error(@() dense_system(interleave(z), 1i), 'dense_system:badType', 'option');
