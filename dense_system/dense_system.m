% DENSE_SYSTEM  Condition estimate or solution of a complex symmetric system.
%
%   RCOND = dense_system(Z, 0)
%   X     = dense_system(Z, 1, V)
%
%   Z is an n x n complex symmetric matrix (Z.' == Z, not Hermitian) passed as a real column of
%   2*n^2 values: real and imaginary parts interleaved, column by column,
%
%       Zc = zeros(2*n*n, 1);  Zc(1:2:end) = real(Z(:));  Zc(2:2:end) = imag(Z(:));
%
%   The order n is the largest integer with 2*n^2 <= numel(Zc), whatever the shape of Zc (an
%   empty Zc is n = 0). Only the lower triangle of Z (row >= column) is read; it and the first
%   n values of V must be finite.
%
%   The matrix is equilibrated symmetrically, D*Z*D with D = diag(1./sqrt(abs(diag(Z)))) (rows
%   with a zero diagonal entry are left unscaled), and factored by the symmetric indefinite
%   (Bunch-Kaufman) L*D*L.' decomposition, half the work of the general LU behind Z\V.
%   Z itself is not modified.
%
%   Option 0 returns the LAPACK one-norm estimate of the reciprocal condition number of the
%   equilibrated matrix (1 for a well-scaled identity, 0 for an exactly singular matrix).
%   Option 1 returns the n x 1 complex solution of Z*X = V(1:n); V may be real or complex.
%   Any other option computes nothing and returns nothing.
%
%   An exactly singular factorisation issues the warning "dense_system:singular".
%   Errors carry identifiers "dense_system:<mnemonic>" (usage, badType, badSize, badValue,
%   badScalar, outOfMemory).
%
%   Example:
%       n = 200;  A = randn(n) + 1i*randn(n);  Z = A + A.' + n*eye(n);
%       Zc = zeros(2*n*n, 1);  Zc(1:2:end) = real(Z(:));  Zc(2:2:end) = imag(Z(:));
%       v = randn(n, 1) + 1i*randn(n, 1);
%       x = dense_system(Zc, 1, v);   norm(Z*x - v) / norm(v)
%
%   See also HYBRID_MATRIX, RCOND, MLDIVIDE.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared n, Z, Zc, v
%! n = 40;  rand('seed', 1);  randn('seed', 1);
%! A = randn(n) + 1i*randn(n);  Z = A + A.' + 2*n*eye(n);
%! Zc = zeros(2*n*n, 1);  Zc(1:2:end) = real(Z(:));  Zc(2:2:end) = imag(Z(:));
%! v = randn(n, 1) + 1i*randn(n, 1);
%!test
%! x = dense_system(Zc, 1, v);
%! assert(norm(x - Z\v) <= 1e-12 * norm(Z\v));
%!test
%! r = dense_system(Zc, 0);
%! assert(r > 0 && r <= 1);
%!test
%! assert(dense_system([2; 3], 1, 1 + 1i), (1 + 1i) / (2 + 3i), 1e-15);
%!error <requires at least 2 first inputs> dense_system(Zc)
%!error <V> dense_system(Zc, 1, v(1:3))
