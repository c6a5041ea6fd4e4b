% hybrid_matrix called from the host on metal-only problems: solutions and condition estimate
% against a reference assembly written here from the edge-pair formula, the output modes, and
% malformed input.

addpath(fullfile(fileparts(mfilename('fullpath'))));
k = struct('epsilon', 8.854187817e-12, 'mu', 4e-7 * pi, 'c', 299792458);
[P, T] = plate_mesh(4, 3, 0.3, 0.2, 0.3, 5);
P(3, :) = 0.2 * P(1, :) .* P(2, :);  % a gently curved sheet
g = metal_record(P, T, 3, 0.12);
n = g.EdgesTotal;
assert(n > 20 && numel(g.ttIS) > g.TrianglesTotal);

% Solutions (one and two right-hand sides) and condition estimate against the reference.
for w = [2 * pi * 4e8, 2 * pi * 6e8 + 1i * 2 * pi * 3e7]
  A = surface_reference(g, k, w);
  expect_close(A, A.', 1e-14, 'reference symmetry');
  randn('seed', 2);
  V = randn(n, 2) + 1i * randn(n, 2);
  x1 = hybrid_matrix(g, [], k, real(w), imag(w), 1, V(:, 1));
  assert(iscomplex(x1) && isequal(size(x1), [n 1]));
  expect_close(x1, A \ V(:, 1), 1e-10, 'one solution');
  x2 = hybrid_matrix(g, [], k, real(w), imag(w), 2, V);
  expect_close(x2, [A \ V(:, 1); A \ V(:, 2)], 1e-10, 'two solutions');
  assert(isequal(hybrid_matrix(g, [], k, real(w), imag(w), 2.9, V), x2), 'flag 2.9 acts as 2');
  d = diag(1 ./ sqrt(abs(diag(A))));
  B = d * A * d;
  exact = 1 / (norm(B, 1) * norm(inv(B), 1));
  r = hybrid_matrix(g, [], k, real(w), imag(w), 0);
  assert(r >= exact * (1 - 1e-8) && r <= 3 * exact, sprintf('rcond %g vs exact %g', r, exact));
  assert(hybrid_matrix(g, [], k, real(w), imag(w), -0.5) == r, 'flag -0.5 acts as 0');
end

% A real V is read with zero imaginary part; an eighth argument changes nothing.
w = 2 * pi * 5e8;
v = (1:n).' / n;
x = hybrid_matrix(g, [], k, w, 0, 1, complex(v, 0));
assert(isequal(hybrid_matrix(g, [], k, w, 0, 1, v), x));
assert(isequal(hybrid_matrix(g, [], k, w, 0, 1, v, struct('anything', 1)), x));
assert(isequal(hybrid_matrix(g, [], k, w, 0, 1, [v; 7; 8]), x), 'only the first N values of V');

% An empty near list: every pair of distinct triangles keeps its centroid estimate.
g0 = g;  g0.ttIS = zeros(1, 0);  g0.ttJS = zeros(1, 0);  g0.ttSS = zeros(1, 0);  g0.ttRS = zeros(9, 0);
expect_close(hybrid_matrix(g0, [], k, w, 0, 1, v), surface_reference(g0, k, w) \ v, 1e-10, 'no near pairs');

% The options argument: absent, [] and FarFactor 0 give the default fill to the bit; with a
% finite factor the unlisted pairs within it, with Inf all unlisted pairs, take the full
% kernel integrated with the record's rule (against the reference assembly).
assert(isequal(hybrid_matrix(g, [], k, w, 0, 1, v, [], []), x), 'empty options');
assert(isequal(hybrid_matrix(g, [], k, w, 0, 1, v, [], struct('FarFactor', 0)), x), 'FarFactor 0');
wc = 2 * pi * 6e8 + 1i * 2 * pi * 3e7;
for F = [40, Inf]
  for gg = {g, g0}
    xf = hybrid_matrix(gg{1}, [], k, real(wc), imag(wc), 1, v, [], struct('FarFactor', F));
    ref = surface_reference(gg{1}, k, wc, F) \ v;
    expect_close(xf, ref, 1e-10, sprintf('FarFactor %g', F));
    x3 = hybrid_matrix(gg{1}, [], k, real(wc), imag(wc), 1, v, [], ...
                       struct('FarFactor', F, 'FarPoints', 3));
    expect_close(x3, surface_reference(gg{1}, k, wc, F, 3) \ v, 1e-10, ...
                 sprintf('FarFactor %g, three points', F));
    assert(norm(xf - surface_reference(gg{1}, k, wc) \ v) > 1e-4 * norm(ref), 'the option acts');
  end
end
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, v, [], struct('FarFactor', -1)), ...
             'hybrid_matrix:badOption');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, v, [], struct('FarFactor', 1, 'FarPoints', 4)), ...
             'hybrid_matrix:badOption');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, v, [], struct('Far', 1)), ...
             'hybrid_matrix:missingField');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, v, [], 3), 'hybrid_matrix:badRecord');

% A near table given as columns is read in full, as the rows would be.
gc = g;  gc.ttIS = g.ttIS.';  gc.ttJS = g.ttJS.';  gc.ttSS = g.ttSS.';
assert(isequal(hybrid_matrix(gc, [], k, w, 0, 1, v), x));

% A negative flag returns nothing; no unknowns: rcond 1 and an empty solution.
hybrid_matrix(g, [], k, w, 0, -1);
try
  y = hybrid_matrix(g, [], k, w, 0, -1);
  error('a negative flag must not return a result');
catch err
  assert(isempty(strfind(err.message, 'must not return')), err.message);
end
assert(hybrid_matrix([], [], k, w, 0, 0) == 1);
assert(isequal(size(hybrid_matrix([], [], k, w, 0, 3, [])), [0 1]));

% A zero edge length empties a row and column: exactly singular, an identified warning.
gs = g;  gs.EdgeLength(3) = 0;
for flag = [0 1]
  lastwarn('');
  out = hybrid_matrix(gs, [], k, w, 0, flag, v);  % prints the warning
  [~, id] = lastwarn();
  assert(strcmp(id, 'hybrid_matrix:singular'), sprintf('flag %d: warning "%s"', flag, id));
end
assert(hybrid_matrix(gs, [], k, w, 0, 0) == 0);

% Malformed input ends the call with an identified message naming the argument or field.
usage = ['this function requires at least six inputs: geom, GEOM, const, omega_re, ' ...
         'omega_im, flag, and (optional) V, Termination'];
expect_error(@() hybrid_matrix(g, [], k, w, 0), 'hybrid_matrix:usage', usage);
expect_error(@() hybrid_matrix(g, struct('TetrahedraTotal', 1), k, w, 0, 0), ...
             'hybrid_matrix:missingField', '''const'' has no field ''Epsilon_r''');
kv = k;  kv.Epsilon_r = 1;  kv.tan_delta = 0;
expect_error(@() hybrid_matrix(g, struct('TetrahedraTotal', 1), kv, w, 0, 0), ...
             'hybrid_matrix:missingField', '''GEOM'' has no field ''EdgesTotal''');
expect_error(@() hybrid_matrix(g, [], rmfield(k, 'mu'), w, 0, 0), 'hybrid_matrix:missingField', 'mu');
expect_error(@() hybrid_matrix(g, [], setfield(k, 'c', 0), w, 0, 0), 'hybrid_matrix:badConstants', 'c');
expect_error(@() hybrid_matrix(g, [], k, 0, 0, 0), 'hybrid_matrix:badFrequency', 'omega');
expect_error(@() hybrid_matrix(g, [], k, w, 0, NaN), 'hybrid_matrix:badScalar', 'flag');
expect_error(@() hybrid_matrix(rmfield(g, 'ttRS'), [], k, w, 0, 0), 'hybrid_matrix:missingField', 'ttRS');
expect_error(@() hybrid_matrix(rmfield(g, 'AreaF'), [], k, w, 0, 0), 'hybrid_matrix:missingField', 'AreaF');
expect_error(@() hybrid_matrix(setfield(g, 'TriP', g.TriP(1:end-1)), [], k, w, 0, 0), ...
             'hybrid_matrix:badSize', 'field ''TriP'' of ''geom''');
bad = g;  bad.VerM(2) = 4;
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badIndex', 'field ''VerM'' of ''geom''');
bad = g;  bad.ttJS(end) = g.TrianglesTotal;
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badIndex', 'field ''ttJS'' of ''geom''');
bad = g;  bad.PointsM = bad.PointsM.';
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badSize', 'PointsM');
bad = g;  bad.TriM = int32(bad.TriM);
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badType', 'TriM');
expect_error(@() hybrid_matrix(setfield(g, 'EdgesTotal', -1), [], k, w, 0, 0), ...
             'hybrid_matrix:badCount', 'EdgesTotal');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1), 'hybrid_matrix:missingArgument', 'V');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 2, v), 'hybrid_matrix:badSize', 'V');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, 'abc'), 'hybrid_matrix:badType', 'V');
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1e15, v), 'hybrid_matrix:badSize', 'V');

% Non-finite values in a table that enters the matrix (or in the right-hand sides) are refused
% with the field and the first position, never turned into a finite but wrong solution; complex
% tables and scalars are refused, not read by their real parts.
bad = g;  bad.ttSS(:) = NaN;
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 1, v), 'hybrid_matrix:badValue', ...
             'field ''ttSS'' of ''geom'': value NaN at position 1 ');
bad = g;  bad.PointsM(2, 3) = -Inf;
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badValue', ...
             'field ''PointsM'' of ''geom'': value -Inf at position 8 (row 2, column 3)');
for f = {'EdgeLength', 'PointsFC', 'PointsFCRho', 'PointsMRho', 'WM', 'ttRS'}
  bad = g;  bad.(f{1})(end) = NaN;
  expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badValue', ['''' f{1} '''']);
end
vbad = v;  vbad(3) = complex(1, Inf);
expect_error(@() hybrid_matrix(g, [], k, w, 0, 1, vbad), 'hybrid_matrix:badValue', ...
             'argument ''V'' (imaginary part): value Inf at position 3');
bad = g;  bad.TriP = complex(bad.TriP, 1);
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badType', ...
             'field ''TriP'' of ''geom'' must be real');
bad = g;  bad.ttSS = complex(bad.ttSS, 0);
expect_error(@() hybrid_matrix(bad, [], k, w, 0, 0), 'hybrid_matrix:badType', 'ttSS');
expect_error(@() hybrid_matrix(g, [], k, complex(w, 1), 0, 0), 'hybrid_matrix:badType', 'omega_re');
expect_error(@() hybrid_matrix(g, [], setfield(k, 'mu', 1i), w, 0, 0), 'hybrid_matrix:badType', ...
             'field ''mu'' of ''const''');

% A system that cannot be held in memory is refused with the size asked for (a million edges
% on two triangles: the record is cheap, the 16*N^2 bytes are not).
big = g;  ne = 1e6;
big.EdgesTotal = ne;
big.TriP = ones(1, ne);  big.TriM = 2 * ones(1, ne);  big.VerP = ones(1, ne);  big.VerM = ones(1, ne);
big.EdgeLength = ones(1, ne);
msg = expect_error(@() hybrid_matrix(big, [], k, w, 0, 0), 'hybrid_matrix:outOfMemory', 'system matrix');
assert(~isempty(strfind(msg, 'GiB')), msg);
