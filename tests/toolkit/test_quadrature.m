% Symmetric triangle rules: exact to their stated degree and not one degree further, weights
% summing to 1, points inside the triangle, and invariance under vertex permutations.

% Mean of x^i y^j over the reference triangle (0,0), (1,0), (0,1): 2 i! j! / (i+j+2)!.
mean_monomial = @(i, j) 2 * factorial(i) * factorial(j) / factorial(i + j + 2);
expected_degree = containers.Map({1, 3, 4, 6, 7, 13}, {1, 2, 3, 4, 5, 7});
for n = [1 3 4 6 7 13]
  [c, w, d] = triangle_rule(n);
  assert(isequal(size(c), [3 n]) && isequal(size(w), [1 n]), sprintf('%d-point shapes', n));
  assert(d == expected_degree(n), sprintf('%d-point rule: degree %d', n, d));
  assert(abs(sum(w) - 1) < 1e-15, sprintf('%d-point weights sum to %.17g', n, sum(w)));
  assert(all(abs(sum(c, 1) - 1) < 1e-14) && all(c(:) > 0), sprintf('%d-point coordinates', n));
  x = c(2, :);
  y = c(3, :);
  worst_exact = 0;
  for deg = 0:d
    for i = 0:deg
      err = abs(sum(w .* x .^ i .* y .^ (deg - i)) - mean_monomial(i, deg - i));
      worst_exact = max(worst_exact, err);
    end
  end
  assert(worst_exact < 1e-14, sprintf('%d-point rule misses degree %d by %g', n, d, worst_exact));
  % Some monomial of degree d+1 is not integrated exactly (the degree is not understated).
  errs = arrayfun(@(i) abs(sum(w .* x .^ i .* y .^ (d + 1 - i)) - mean_monomial(i, d + 1 - i)), ...
                  0:d + 1);
  assert(max(errs) > 1e-8, sprintf('%d-point rule is exact beyond degree %d', n, d));
  % Symmetric rule: permuting the barycentric coordinates maps the point set onto itself.
  for perm = perms(1:3)'
    key = sortrows(round([c(perm, :); w]' * 1e12));
    assert(isequal(key, sortrows(round([c; w]' * 1e12))), sprintf('%d-point symmetry', n));
  end
end

% On a physical triangle the rule integrates a degree-5 polynomial exactly (affine map).
V = [0.3 2.0 -0.4; 0.1 0.5 1.7; 0 0 0];
A = 0.5 * norm(cross(V(:, 2) - V(:, 1), V(:, 3) - V(:, 1)));
f = @(p) p(1, :) .^ 3 .* p(2, :) .^ 2 - 2 * p(1, :) .* p(2, :) + 1;
[c7, w7] = triangle_rule(7);
[c13, w13] = triangle_rule(13);
% Two rules exact to degree 5 must agree to rounding; a brute-force midpoint sum over the
% parameter square gives an independent value.
v7 = A * sum(w7 .* f(V * c7));
v13 = A * sum(w13 .* f(V * c13));
assert(abs(v7 - v13) < 1e-13 * abs(v13), 'degree-5 integrand: 7- and 13-point rules agree');
m = 600;
[s, u] = meshgrid(((1:m) - 0.5) / m);
inside = s + u < 1;
pts = V(:, 1) + (V(:, 2) - V(:, 1)) * s(inside)' + (V(:, 3) - V(:, 1)) * u(inside)';
brute = 2 * A * sum(f(pts)) / m ^ 2;
assert(abs(brute - v13) < 5e-3 * abs(v13), 'brute-force area integral');

% Bad counts are refused with an identified error.
expect_error(@() triangle_rule(5), 'triangle_rule:npoints');
expect_error(@() triangle_rule(), 'triangle_rule:usage');
