% hybrid_matrix called from the host on dielectric and mixed metal/dielectric problems:
% solutions and condition estimate against a reference assembly written here from the closing
% formulas (volume_reference, surface_reference), the coupling tables and the per-tetrahedron
% constants read only when needed, and malformed volume records.

addpath(fullfile(fileparts(mfilename('fullpath'))));
k = struct('epsilon', 8.854187817e-12, 'mu', 4e-7 * pi, 'c', 299792458);
% Two materials (relative permittivity 3 and 5.5, lossy) in a block of 2 x 2 x 1 cubes of 1 cm.
material = @(c) deal(3 + 2.5 * (c(1, :) > 0.01), 0.05 + 0.1 * (c(2, :) > 0.01));
[G, k.Epsilon_r, k.tan_delta] = volume_record([2 2 1], 0.01, [0 0 0], material, 0.013, k.epsilon);
% Companion vectors unlike the current vectors, so that the material term tells them apart.
G.BasisTCn = 1.2 * G.BasisTC + 0.3 * circshift(G.BasisTC, 1, 1);
nv = G.EdgesTotal;
assert(nv > 30 && G.FacesNontrivial > 20 && numel(G.TTIS) > G.TetrahedraTotal);

% The full symmetric system matrix from the lower triangles of the reference blocks.
function A = symmetric(L)
  A = L + tril(L, -1).';
end
function A = system_reference(g, G, k, w, far_factor)
  if nargin < 5
    far_factor = 0;
  end
  [Zvv, Zvs] = volume_reference(g, G, k, w, far_factor);
  ns = size(Zvs, 2);
  L = [zeros(ns), zeros(ns, rows(Zvv)); Zvs, Zvv];
  if ns > 0
    L(1:ns, 1:ns) = tril(surface_reference(g, k, w));
  end
  A = symmetric(L);
end
function check_solutions(g, G, k, w, what)
  A = system_reference(g, G, k, w);
  n = rows(A);
  randn('seed', 4);
  V = randn(n, 2) + 1i * randn(n, 2);
  x = hybrid_matrix(g, G, k, real(w), imag(w), 2, V);
  expect_close(x, [A \ V(:, 1); A \ V(:, 2)], 1e-9, [what ': solutions']);
  d = diag(1 ./ sqrt(abs(diag(A))));
  B = d * A * d;
  exact = 1 / (norm(B, 1) * norm(inv(B), 1));
  r = hybrid_matrix(g, G, k, real(w), imag(w), 0);
  assert(r >= exact * (1 - 1e-8) && r <= 3 * exact, sprintf('%s: rcond %g vs exact %g', what, r, exact));
end

% Dielectric only: the record carries no coupling tables, and none are needed.
assert(~isfield(G, 'TtIS'));
for w = [2 * pi * 3e9, 2 * pi * 5e9 + 1i * 2 * pi * 2e8]
  check_solutions([], G, k, w, sprintf('dielectric at %g%+gi', real(w), imag(w)));
end

% The option VolumeFarFactor: unlisted tetrahedron and face pairs within the factor (all with
% Inf) take the quadrature of the full kernel; 0 or [] leave the default fill to the bit.
w = 2 * pi * 5e9 + 1i * 2 * pi * 2e8;
randn('seed', 5);
v = randn(nv, 1) + 1i * randn(nv, 1);
x0 = hybrid_matrix([], G, k, real(w), imag(w), 1, v);
assert(isequal(hybrid_matrix([], G, k, real(w), imag(w), 1, v, [], struct('VolumeFarFactor', 0)), x0));
assert(isequal(hybrid_matrix([], G, k, real(w), imag(w), 1, v, [], struct('FarFactor', Inf)), x0), ...
       'the surface option leaves a dielectric alone');
for F = [30, Inf]
  xf = hybrid_matrix([], G, k, real(w), imag(w), 1, v, [], struct('VolumeFarFactor', F));
  expect_close(xf, system_reference([], G, k, w, F) \ v, 1e-9, sprintf('VolumeFarFactor %g', F));
  assert(norm(xf - x0) > 1e-5 * norm(x0), 'the option acts');
end
expect_error(@() hybrid_matrix([], G, k, real(w), imag(w), 1, v, [], struct('VolumeFarFactor', NaN)), ...
             'hybrid_matrix:badOption');

% Mixed: a plate of 1 cm cells 5 mm below the block, near pairs within 1.3 cells.
[P, T] = plate_mesh(3, 3, 0.03, 0.03, 0.3, 7);
P(1:2, :) -= 0.005;  P(3, :) = -0.005 + 0.1 * P(1, :) .* P(2, :);
g = metal_record(P, T, 3, 0.013);
Gm = coupling_tables(g, G, 0.013);
assert(numel(Gm.TtIS) > 10 && numel(Gm.tFIS) > 10);
for w = [2 * pi * 3e9, 2 * pi * 5e9 + 1i * 2 * pi * 2e8]
  check_solutions(g, Gm, k, w, sprintf('mixed at %g%+gi', real(w), imag(w)));
end
% VolumeFarFactor in the mixed problem: the coupling pairs too (against the reference).
vm = randn(rows(system_reference(g, Gm, k, w)), 1) + 1i;
for F = [30, Inf]
  xf = hybrid_matrix(g, Gm, k, real(w), imag(w), 1, vm, [], struct('VolumeFarFactor', F));
  expect_close(xf, system_reference(g, Gm, k, w, F) \ vm, 1e-9, sprintf('mixed, VolumeFarFactor %g', F));
end
% Empty near lists between triangles and volume elements: centroid values only.
G0 = Gm;
G0.TtIS = zeros(1, 0);  G0.TtJS = zeros(1, 0);  G0.TtRS = zeros(9, 0);
G0.tFIS = zeros(1, 0);  G0.tFJS = zeros(1, 0);  G0.tFSS = zeros(1, 0);
check_solutions(g, G0, k, 2 * pi * 3e9, 'mixed without near lists');

% Per-tetrahedron constants beyond the Nt tetrahedra are ignored.
w = 2 * pi * 4e9;
v = (1:nv).' / nv;
x = hybrid_matrix([], G, k, w, 0, 1, v);
k2 = k;  k2.Epsilon_r(end + 1) = 0;  k2.tan_delta(end + 1) = NaN;
assert(isequal(hybrid_matrix([], G, k2, w, 0, 1, v), x));
% Malformed input ends the call with an identified message naming the field and its record.
expect_error(@() hybrid_matrix([], rmfield(G, 'TTSS'), k, w, 0, 0), 'hybrid_matrix:missingField', 'TTSS');
expect_error(@() hybrid_matrix([], G, rmfield(k, 'tan_delta'), w, 0, 0), ...
             'hybrid_matrix:missingField', 'tan_delta');
expect_error(@() hybrid_matrix(g, rmfield(Gm, 'TtRS'), k, w, 0, 0), 'hybrid_matrix:missingField', 'TtRS');
bad = G;  bad.EdgesTN = bad.EdgesTN(1:3, :);
expect_error(@() hybrid_matrix([], bad, k, w, 0, 0), 'hybrid_matrix:badSize', ...
             'field ''EdgesTN'' of ''GEOM'' must have 6 rows');
bad = G;  bad.EdgesFN(1, 3) = nv + 1;
expect_error(@() hybrid_matrix([], bad, k, w, 0, 0), 'hybrid_matrix:badIndex', 'slot 1 of face 3');
bad = Gm;  bad.TtIS(1) = g.TrianglesTotal;
expect_error(@() hybrid_matrix(g, bad, k, w, 0, 0), 'hybrid_matrix:badIndex', 'field ''TtIS'' of ''GEOM''');
bad = Gm;  bad.tFJS(1) = G.FacesNontrivial;
expect_error(@() hybrid_matrix(g, bad, k, w, 0, 0), 'hybrid_matrix:badIndex', 'field ''tFJS'' of ''GEOM''');
bad = G;  bad.DiffContrast_imag = single(bad.DiffContrast_imag);
expect_error(@() hybrid_matrix([], bad, k, w, 0, 0), 'hybrid_matrix:badType', 'DiffContrast_imag');
expect_error(@() hybrid_matrix([], G, setfield(k, 'Epsilon_r', k.Epsilon_r(1:end - 1)), w, 0, 0), ...
             'hybrid_matrix:badSize', 'field ''Epsilon_r'' of ''const''');
