% radiation_vector from the host: the phase-matrix sum written here, real and complex moments,
% empty sets, and malformed input.
randn('seed', 7);
P = randn(3, 3000);
m = randn(3, 3000) + 1i * randn(3, 3000);
r = randn(3, 40);
r = r ./ sqrt(sum(r .^ 2, 1));
k = 3.1;
ref = m * exp(1i * k * (P.' * r));
expect_close(radiation_vector(P, m, r, k), ref, 1e-12, 'complex moments');
expect_close(radiation_vector(P, real(m), r, k), real(m) * exp(1i * k * (P.' * r)), 1e-12, ...
             'real moments');
assert(isequal(radiation_vector(zeros(3, 0), zeros(3, 0), r, k), complex(zeros(3, 40))));
assert(isequal(size(radiation_vector(P, m, zeros(3, 0), k)), [3 0]));
expect_error(@() radiation_vector(P, m, r), 'radiation_vector:usage');
expect_error(@() radiation_vector(P, m(:, 2:end), r, k), 'radiation_vector:badSize');
expect_error(@() radiation_vector(P(1:2, :), m, r, k), 'radiation_vector:badSize');
expect_error(@() radiation_vector(P, m, r + 1i, k), 'radiation_vector:badType');
expect_error(@() radiation_vector(P, m, r, Inf), 'radiation_vector:badScalar');
