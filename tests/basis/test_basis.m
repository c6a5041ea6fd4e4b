% basis called from the host: the record's layout, the worked example, jittered and graded
% Delaunay meshes (with slivers) against closed forms and a dense greedy rank reference, and
% malformed input.

function [E, F, TET] = mesh_tables(T)
  % T: 4 x Nt, each column ascending. Edges and faces ascending, TET the tetrahedra per face.
  nt = columns(T);
  E = unique([T([1 2], :), T([1 3], :), T([1 4], :), T([2 3], :), T([2 4], :), T([3 4], :)]', ...
             'rows')';
  all_faces = [T([1 2 3], :), T([1 2 4], :), T([1 3 4], :), T([2 3 4], :)]';
  [F, ~, j] = unique(all_faces, 'rows');
  F = F';
  tet = repmat(1:nt, 1, 4)';
  [js, order] = sort(j);
  tet = tet(order);
  first = [true; diff(js) ~= 0];
  TET = zeros(2, columns(F));
  TET(1, js(first)) = tet(first);
  TET(2, js(~first)) = tet(~first);
end

function [B, cols] = curl_vectors(P, T, E)
  % Independent evaluation: 2 grad(lambda_A) x grad(lambda_B) from the barycentric gradients
  % (rows of the inverse of [x y z 1]), and the column of Edges of each local edge.
  pairs = [1 2; 1 3; 1 4; 2 3; 2 4; 3 4];
  nt = columns(T);
  B = zeros(3, 6, nt);
  cols = zeros(6, nt);
  key = @(a, b) a * (columns(P) + 1) + b;
  [~, where] = ismember(key(T(pairs(:, 1), :), T(pairs(:, 2), :)), key(E(1, :), E(2, :)));
  cols = reshape(where, 6, nt);
  for t = 1:nt
    g = inv([P(:, T(:, t))', ones(4, 1)]);  % column i: [grad lambda_i; constant]
    for k = 1:6
      B(:, k, t) = 2 * cross(g(1:3, pairs(k, 1)), g(1:3, pairs(k, 2)));
    end
  end
end

function kept = dense_greedy(B, cols, ne)
  % Greedy rank in column order; each tetrahedron's 3 x 6 block replaced by an orthonormal
  % basis of its row space (an invertible change per tetrahedron keeps every span relation).
  nt = size(B, 3);
  A = zeros(3 * nt, ne);
  for t = 1:nt
    Q = orth(B(:, :, t)');
    A(3 * t - 2:3 * t, cols(:, t)) += Q';
  end
  U = zeros(3 * nt, 0);
  kept = false(1, ne);
  for c = 1:ne
    v = A(:, c);
    n0 = norm(v);
    if n0 == 0
      continue;
    end
    v -= U * (U' * v);
    v -= U * (U' * v);
    if norm(v) > 1e-8 * n0
      U(:, end + 1) = v / norm(v);
      kept(c) = true;
    end
  end
end

function check_mesh(P, T, what)
  T = sort(T, 1);
  [E, F, TET] = mesh_tables(T);
  nt = columns(T);
  c = struct('epsilon', 1, 'Epsilon_r', 1 + rand(1, nt), 'tan_delta', rand(1, nt) / 10);
  S = basis(P, T, F, E, TET, c);
  nv = numel(unique(T(:)));
  assert(columns(S.Edge) == columns(E) - nv + 1, '%s: %d functions, counting law %d', what, ...
         columns(S.Edge), columns(E) - nv + 1);
  [B, cols] = curl_vectors(P, T, E);
  kept = dense_greedy(B, cols, columns(E));
  assert(isequal(S.Edge, E(:, kept)), '%s: differs from the dense greedy reference', what);
  % The packed vectors are the closed-form curls, relative to each tetrahedron's own scale.
  number = zeros(1, columns(E));
  number(kept) = 1:nnz(kept);
  worst = 0;
  for t = 1:nt
    n = number(cols(:, t));
    assert(isequal(S.EdgesTN(:, t)', [n(n > 0), zeros(1, 6 - nnz(n))]), '%s: EdgesTN', what);
    got = reshape(S.BasisTC(1:3 * nnz(n), t), 3, []);
    ref = B(:, n > 0, t);
    worst = max(worst, norm(got - ref, 1) / norm(ref, 1));
  end
  assert(worst < 1e-9, '%s: BasisTC differs from the closed form by %g', what, worst);
  [~, hull] = convhulln(P');
  assert(abs(sum(S.VolumeT) - hull) < 1e-10 * hull, '%s: volumes do not fill the hull', what);
  printf('%s: %d tetrahedra, %d functions, volume ratio %.3g, worst relative error %.2g\n', ...
         what, nt, columns(S.Edge), max(S.VolumeT) / min(S.VolumeT), worst);
end

% --- The record ---------------------------------------------------------------------------
names = {'Edge', 'AreaF', 'CenterF', 'EdgesFN', 'EdgesFNI', 'DiffContrast_real', ...
         'DiffContrast_imag', 'VolumeT', 'Contrast_real', 'Contrast_imag', 'CenterT', ...
         'EdgesTN', 'EdgesTNI', 'BasisTC'};
c0 = struct('epsilon', 1, 'Epsilon_r', [], 'tan_delta', []);
S = basis(zeros(3, 0), zeros(4, 0), zeros(3, 0), zeros(2, 0), zeros(2, 0), c0);
assert(isequal(fieldnames(S)', names));
sizes = {[2 0], [1 0], [3 0], [3 0], [1 0], [3 0], [3 0], [1 0], [1 0], [1 0], [3 0], [6 0], ...
         [1 0], [18 0]};
for i = 1:14
  assert(isequal(size(S.(names{i})), sizes{i}), 'empty %s', names{i});
end
S = basis([], [], [], [], [], c0);
assert(isequal(fieldnames(S)', names) && isequal(size(S.Edge), [2 0]));

% The unit corner tetrahedron with face (2, 3, 4); a tetrahedron listed with negative
% orientation has the same volume.
P = [0 0 0; 1 0 0; 0 1 0; 0 0 1]';
E = [1 2; 1 3; 1 4; 2 3; 2 4; 3 4]';
c = struct('epsilon', 1, 'Epsilon_r', 2, 'tan_delta', 1);
S = basis(P, [1; 2; 3; 4], [2; 3; 4], E, [1; 0], c);
assert(S.VolumeT == 1/6 && isequal(S.CenterT, [0.25; 0.25; 0.25]));
expect_close(S.AreaF, sqrt(3) / 2, 1e-15, 'AreaF');
expect_close(S.CenterF, [1; 1; 1] / 3, 1e-15, 'CenterF');
assert(isequal(S.Edge, E(:, [1 2 4])) && isequal(S.EdgesTNI, 3) && isequal(S.EdgesFN, [3; 0; 0]));
assert(isequal(S.BasisTC', [0 -2 2 2 0 -2 0 0 2 zeros(1, 9)]));
assert(isequal([S.Contrast_real, S.Contrast_imag], [0.75, -0.25]));
assert(isequal([S.DiffContrast_real, S.DiffContrast_imag], [0.75 -0.25; 0 0; 0 0]));
S2 = basis(P(:, [1 3 2 4]), [1; 2; 3; 4], [3; 2; 4], [1 2; 1 3; 1 4; 2 3; 2 4; 3 4]', [1; 0], c);
assert(S2.VolumeT == 1/6);
% An Edges column used by no tetrahedron (here a repeated column: the last one is used) is
% dropped; with no tetrahedron at all every column is dropped.
S4 = basis(P, [1; 2; 3; 4], [2; 3; 4], [E(:, 1), E], [1; 0], c);
assert(isequal(S4.Edge, S.Edge) && isequal(S4.EdgesTN(1:3)', [1 2 3]));
S5 = basis(P, zeros(4, 0), zeros(3, 0), E, zeros(2, 0), c);
assert(isequal(size(S5.Edge), [2 0]) && isequal(size(S5.BasisTC), [18 0]));
% Extra values beyond Nt in the material fields, and truncated numbers, are accepted.
c.Epsilon_r = [2 7 7];
c.tan_delta = [1 0 0];
S3 = basis(P, [1.9; 2.5; 3; 4.99], [2; 3; 4], E, [1.7; 0], c);
assert(isequal(S3, S));

% --- Generated meshes ---------------------------------------------------------------------
rand('seed', 3);
randn('seed', 3);
[x, y, z] = ndgrid(0:4);
lattice = [x(:), y(:), z(:)]';
% A nearly cospherical lattice: its Delaunay tetrahedra include slivers.
P = lattice + 1e-3 * (rand(size(lattice)) - 0.5);
check_mesh(P, delaunayn(P')', 'jittered lattice (slivers)');
% Graded: coordinates squeezed towards the origin (cells 10^3 apart in size).
P = lattice / 4;
P = P .^ 3 + 1e-4 * (rand(size(P)) - 0.5);
check_mesh(P, delaunayn(P')', 'graded lattice');
% Random points in a ball.
P = randn(3, 150);
P = P ./ sqrt(sum(P .^ 2)) .* rand(1, 150) .^ (1/3);
check_mesh(P, delaunayn(P')', 'random ball');

% Equal materials everywhere.
T = sort(delaunayn(P')', 1);
[E, F, TET] = mesh_tables(T);
c = struct('epsilon', 1, 'Epsilon_r', 3 * ones(1, columns(T)), 'tan_delta', zeros(1, columns(T)));
S = basis(P, T, F, E, TET, c);
% Unfilled slots hold 0; equal materials: no jump across interior faces, and on boundary
% faces a jump of +kappa or -kappa (the outside counts as zero contrast).
assert(all(S.DiffContrast_real(S.EdgesFN == 0) == 0));
interior = all(TET > 0);
assert(all(all(abs(S.DiffContrast_real(:, interior)) < 1e-15)), 'equal materials: no jumps');
kappa = 1 - 1 / 3;
boundary = S.DiffContrast_real(:, ~interior);
filled = S.EdgesFN(:, ~interior) > 0;
assert(all(abs(abs(boundary(filled)) - kappa) < 1e-15) && all(boundary(~filled) == 0));

% --- Malformed input ------------------------------------------------------------------------
usage = 'VBAS.DLL requires 6 inputs: P, T , Faces, Edges, TET, const_inpstruct';
msg = expect_error(@() basis(P, T, F, E, TET), 'basis:usage');
assert(strcmp(msg, ['basis: ' usage]), msg);
expect_error(@() basis(P, T, F, E, TET, c, c), 'basis:usage', usage);
expect_error(@() basis(), 'basis:usage', usage);
expect_error(@() basis(P(1:2, :), T, F, E, TET, c), 'basis:badSize', '''P''');
expect_error(@() basis(P, T(1:3, :), F, E, TET, c), 'basis:badSize', '''T''');
expect_error(@() basis(P, T, F, E', TET, c), 'basis:badSize', '''Edges''');
expect_error(@() basis(P, T, F, E, TET(:, 1:end-1), c), 'basis:badSize', '''TET''');
expect_error(@() basis(P, int32(T), F, E, TET, c), 'basis:badType', '''T''');
% Complex tables and constants are refused, not read by their real parts.
expect_error(@() basis(P, complex(T, 0), F, E, TET, c), 'basis:badType', ...
             'argument ''T'' must be real');
expect_error(@() basis(complex(P, 1), T, F, E, TET, c), 'basis:badType', ...
             'argument ''P'' must be real');
expect_error(@() basis(P, T, F, E, TET, setfield(c, 'Epsilon_r', complex(c.Epsilon_r, 1))), ...
             'basis:badType', 'field ''Epsilon_r'' of ''const'' must be real');
expect_error(@() basis(P, T, F, E, TET, setfield(c, 'epsilon', 1 + 1i)), 'basis:badType', ...
             'epsilon');
expect_error(@() basis(P, T, F, E, TET, 1), 'basis:badRecord', 'const');
expect_error(@() basis(P, T, F, E, TET, rmfield(c, 'tan_delta')), 'basis:missingField', ...
             'tan_delta');
c_short = c;
c_short.Epsilon_r = c.Epsilon_r(1:end-1);
expect_error(@() basis(P, T, F, E, TET, c_short), 'basis:badSize', 'Epsilon_r');
Tbad = T;
Tbad(3, 7) = columns(P) + 1;
expect_error(@() basis(P, Tbad, F, E, TET, c), 'basis:badIndex', 'column 7');
TETbad = TET;
TETbad(:, 5) = 0;
expect_error(@() basis(P, T, F, E, TETbad, c), 'basis:noTetrahedron', 'column 5');
expect_error(@() basis(P, T, F, E(:, 2:end), TET, c), 'basis:missingEdge', 'not a column');
