% compressed_solve against hybrid_matrix's dense solve on metal, dielectric and mixed records:
% errors that fall with the tolerance, a record where every element pair is near, no far block
% at all, GMRES refinement from a coarse factorisation, the exact residual against a residual
% formed here, and the option checks.

addpath(fullfile(fileparts(mfilename('fullpath'))));
k = struct('epsilon', 8.854187817e-12, 'mu', 4e-7 * pi, 'c', 299792458);
[P, T] = plate_mesh(14, 10, 0.3, 0.2, 0.3, 5);
P(3, :) = 0.2 * P(1, :) .* P(2, :);  % a gently curved sheet
g = metal_record(P, T, 3, 0.05);
material = @(c) deal(3 + 2.5 * (c(1, :) > 0.12), 0.05 + 0.1 * (c(2, :) > 0.07));
[G, k.Epsilon_r, k.tan_delta] = volume_record([4 4 3], 0.01, [0.1 0.05 0.02], material, 0.013, ...
                                              k.epsilon);
G = coupling_tables(g, G, 0.02);
w = 2 * pi * 5e8;
base = struct('leaf_size', 16);

function e = relative(x, y)
  e = norm(x - y) / norm(y);
end

% Solution errors against the dense solve at three tolerances: about tol, falling with it.
cases = {g, [], 'metal'; [], G, 'dielectric'; g, G, 'mixed'};
for c = 1:rows(cases)
  [gg, GG, what] = cases{c, :};
  n = 0;
  if ~isempty(gg), n += gg.EdgesTotal; end
  if ~isempty(GG), n += GG.EdgesTotal; end
  randn('seed', 3);
  V = randn(n, 2) + 1i * randn(n, 2);
  xd = hybrid_matrix(gg, GG, k, w, 0, 2, V);
  previous = Inf;
  for tol = [1e-2 1e-4 1e-6]
    [x, info] = compressed_solve(gg, GG, k, w, 0, V, setfield(base, 'tol', tol));
    e = relative(x, xd);
    printf('%-10s N %4d tol %.0e: error %.2e, memory %.2f of dense, largest rank %d\n', what, n, ...
           tol, e, info.compression_ratio, info.largest_rank);
    assert(e < 10 * tol, sprintf('%s tol %g: error %g', what, tol, e));
    assert(e < previous / 20, sprintf('%s: error does not fall with tol', what));
    previous = e;
    assert(info.unknowns == n && info.low_rank_blocks > 0 && info.ldlt == 1);
    assert(info.factor_bytes > 0 && info.matrix_bytes < 16 * n^2);
    % The default factorisation is coarse (1e-2); below that, GMRES refines to tol.
    assert((tol < 1e-2) == (info.iterations > 0) && info.factor_tol == 1e-2);
    assert(tol == 1e-2 || info.scaled_residual <= tol, 'refined to tol');
  end
end

% The exact residual, measured block by block, against the dense matrix formed here from the
% inverse that hybrid_matrix's solutions give; a real V is read with zero imaginary part.
n = G.EdgesTotal;
Z = inv(reshape(hybrid_matrix([], G, k, w, 0, n, eye(n)), n, n));
v = cos((1:n).');
o = struct('tol', 1e-3, 'leaf_size', 16, 'exact_residual', true);
[x, info] = compressed_solve([], G, k, w, 0, v, o);
assert(info.exact_residual > 1e-6, 'a residual well above rounding');
expect_close(info.exact_residual, norm(Z * x - v) / norm(v), 1e-6, 'exact residual');
assert(isequal(compressed_solve([], G, k, w, 0, complex(v, 0), o), x));

% Every element pair of the surface is near (tabulated): the matrix is still compressed and
% the solution still right.
gn = metal_record(P, T, 3, 1);
assert(numel(gn.ttIS) == g.TrianglesTotal * (g.TrianglesTotal + 1) / 2);
v = cos((1:gn.EdgesTotal).');
xd = hybrid_matrix(gn, [], k, w, 0, 1, v);
[x, info] = compressed_solve(gn, [], k, w, 0, v, setfield(base, 'tol', 1e-4));
assert(relative(x, xd) < 1e-3 && info.low_rank_blocks > 0, 'all pairs near');
% No block far enough to compress: the factorisation is exact.
[x, info] = compressed_solve(gn, [], k, w, 0, v, setfield(base, 'eta', 1e-9));
assert(info.low_rank_blocks == 0 && abs(info.compression_ratio - 0.5) < 0.1);
assert(relative(x, xd) < 1e-10, sprintf('no far blocks: error %g', relative(x, xd)));

% A coarse factorisation refined by GMRES with the finer compressed operator reaches its
% accuracy; the LU factorisation gives the same solutions as LDL'.
V = [g.EdgeLength(:), cos((1:g.EdgesTotal).')];
xd = hybrid_matrix(g, [], k, w, 0, 2, V);
[x, info] = compressed_solve(g, [], k, w, 0, V, ...
                             struct('leaf_size', 16, 'tol', 1e-7, 'factor_tol', 1e-2));
assert(info.iterations > 0 && info.factor_tol == 1e-2, 'refined');
assert(relative(x, xd) < 1e-5, sprintf('refined: error %g', relative(x, xd)));
[x, info] = compressed_solve(g, [], k, w, 0, V, struct('leaf_size', 16, 'tol', 1e-6, 'lu', true));
assert(info.ldlt == 0 && relative(x, xd) < 1e-5);
% Factorised in place, at tol: as accurate, no residual without the compressed matrix.
[x, info] = compressed_solve(g, [], k, w, 0, V, struct('leaf_size', 16, 'tol', 1e-5, 'in_place', true));
assert(info.in_place == 1 && isnan(info.residual) && info.iterations == 0);
assert(relative(x, xd) < 1e-4, sprintf('in place: error %g', relative(x, xd)));

% A refinement that cannot reach its target (no GMRES step allowed) is not presented as a
% success: the identified warning, and the residual reached.
lastwarn('');
[x, info] = compressed_solve(g, [], k, w, 0, V, ...
                             struct('leaf_size', 16, 'tol', 1e-7, 'max_iterations', 0));
[~, id] = lastwarn();
assert(strcmp(id, 'compressed_solve:notConverged') && info.scaled_residual > 1e-7);
assert(info.refactorisations == 0 && info.factor_tol == 1e-2);

% Malformed input: identified errors naming the argument or option.
expect_error(@() compressed_solve(g, [], k, w, 0, ones(3, 1)), 'compressed_solve:badSize');
expect_error(@() compressed_solve(g, [], k, w, 0, V, 3), 'compressed_solve:badOption');
expect_error(@() compressed_solve(g, [], k, w, 0, V, struct('eta', -1)), 'compressed_solve:badOption');
expect_error(@() compressed_solve(g, [], k, w, 0, V, struct('leaf_size', 1)), 'compressed_solve:badOption');
expect_error(@() compressed_solve(g, [], k, w, 0, V, struct('Tol', 1)), 'compressed_solve:badOption');
expect_error(@() compressed_solve(rmfield(g, 'ttRS'), [], k, w, 0, V), 'compressed_solve:missingField');
expect_error(@() compressed_solve(g, [], k, 0, 0, V), 'compressed_solve:badFrequency');
