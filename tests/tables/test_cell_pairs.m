% cell_pairs and cell_plate_pairs called from the host: result layout, the pair lists against
% plain double loops written here, the edge-line cases of grid meshes, the weights' shapes, and
% malformed input.

function [c, rho] = element_data(P, E, n)
  c = zeros(3, size(E, 2));
  for m = 1:n
    c = c + P(:, E(m, :)) / n;
  end
  rho = zeros(1, size(E, 2));
  for m = 1:n
    rho = max(rho, sqrt(sum((c - P(:, E(m, :))).^2, 1)));
  end
end

function [is, js] = scan_pairs(ci, ri, cj, rj, k, lower)
  is = [];  js = [];
  for i = 1:numel(ri)
    for j = 1:(lower * i + ~lower * numel(rj))
      if sum((ci(:, i) - cj(:, j)).^2) < k * ri(i) * rj(j)
        is(end + 1) = i - 1;  js(end + 1) = j - 1;
      end
    end
  end
end

% A 2 x 2 x 1 grid of unit cubes, each split into six tetrahedra around its diagonal (24), with
% a material row below the vertex numbers. Shifted points stay on edge lines of the faces
% through the diagonals: a one-point rule puts some of them there.
[x, y, z] = ndgrid(0:2, 0:2, 0:1);
P = [x(:)'; y(:)'; z(:)'];
[x, y, z] = ndgrid(0:1);
corner = 1 + x(:) + 3 * y(:) + 9 * z(:);
K = [1 5 7 8; 1 5 6 8; 1 3 7 8; 1 3 4 8; 1 2 6 8; 1 2 4 8]';
T = [];
for o = [0 3 1 4]
  T = [T [o + corner(K); 7 * ones(1, 6)]];
end
one = [1; 1; 1; 1] / 4;
S = cell_pairs(P, T, one, 1, 9);
assert(isequal(fieldnames(S)', {'IS', 'JS', 'SS'}));
[c, rho] = element_data(P, T, 4);
[is, js] = scan_pairs(c, rho, c, rho, 9, true);
assert(isequal(S.IS, is) && isequal(S.JS, js) && numel(is) > 200, 'cell_pairs: pair list');
assert(isequal(size(S.SS), [1 numel(is)]) && all(isfinite(S.SS)) && all(S.SS > 0));

% Weights as a row or a column (their number is Nq); columns of coeffT beyond them unread.
c4 = 0.1381966011250105 * ones(4) + (0.5854101966249685 - 0.1381966011250105) * eye(4);
w4 = [1 1 1 1] / 4;
A = cell_pairs(P, T, c4, w4, 9);
assert(all(isfinite(A.SS)));
assert(isequal(cell_pairs(P, T, c4, w4', 9), A) && isequal(cell_pairs(P, T, [c4 NaN(4, 2)], w4, 9), A));
assert(isempty(cell_pairs(P, T, one, 1, 0).SS) && isempty(cell_pairs(zeros(3, 0), zeros(4, 0), one, 1, 9).IS));

% Non-finite rule points or weights that are read are refused; complex arguments are refused.
expect_error(@() cell_pairs(P, T, [c4(:, 1:2) NaN(4, 1) c4(:, 4)], w4, 9), 'cell_pairs:badValue', ...
             'argument ''coeffT'': value NaN at position 9 (row 1, column 3)');
expect_error(@() cell_pairs(P, T, c4, [w4(1:3) Inf], 9), 'cell_pairs:badValue', 'weightsT');
expect_error(@() cell_pairs(P, T, c4, complex(w4, 0), 9), 'cell_pairs:badType', 'weightsT');
expect_error(@() cell_pairs(P, T, c4, w4, 9i), 'cell_pairs:badType', 'Radius');
% Rule points far outside their tetrahedra overflow the distances: refused, not returned.
expect_error(@() cell_pairs(P, T, c4 * 1e200, w4, 9), 'cell_pairs:badValue', ...
             'field ''SS'' of the result');

% cell_plate_pairs: the triangles of the grid's top face against the tetrahedra.
[u, v] = ndgrid(0:2, 0:2);
Pt = [u(:)'; v(:)'; ones(1, 9)];
t = [];
for q = [1 2 4 5]
  t = [t [q; q + 1; q + 4; 0] [q; q + 4; q + 3; 0]];
end
a7 = [0.797426985353087 0.101286507323456 0.470142064105115 0.059715871789770];
coeff = [1/3 a7(1) a7(2) a7(2) a7(3) a7(3) a7(4); 1/3 a7(2) a7(1) a7(2) a7(3) a7(4) a7(3)];
coeff = [coeff; 1 - sum(coeff)];
w = [0.225 0.125939180544827*[1 1 1] 0.132394152788506*[1 1 1]];
R = cell_plate_pairs(Pt, P, t, T, coeff, w, 4);
assert(isequal(fieldnames(R)', {'IS', 'JS', 'RS'}));
[ct, rt] = element_data(Pt, t, 3);
[is, js] = scan_pairs(ct, rt, c, rho, 4, false);
assert(isequal(R.IS, is) && isequal(R.JS, js), 'cell_plate_pairs: pair list');
assert(isequal(size(R.RS), [1 9 * numel(is)]) && all(isfinite(R.RS)));
assert(isequal(cell_plate_pairs(Pt, P, t(1:3, :), T, coeff, w', 4), R));
assert(isempty(cell_plate_pairs(Pt, P, t, T, coeff, w, -1).RS));
assert(isempty(cell_plate_pairs(zeros(3, 0), P, zeros(4, 0), T, coeff, w, 4).RS));
assert(isempty(cell_plate_pairs(Pt, zeros(3, 0), t, zeros(4, 0), coeff, w, 4).JS));

% A triangle in the plane of a face, touching it at a vertex, in every vertex order of the
% tetrahedron: finite moments that agree up to the shifts.
PT = [0 1 0 0; 0 0 1 0; 0 0 0 1];
orders = perms(1:4);
first = cell_plate_pairs([0 -1 0; 0 -1 -1; 0 0 0], PT, [1; 2; 3], [1; 2; 3; 4], coeff, w, 10).RS;
for o = 1:24
  M = cell_plate_pairs([0 -1 0; 0 -1 -1; 0 0 0], PT, [1; 2; 3], orders(o, :)', coeff, w, 10);
  assert(numel(M.RS) == 9 && all(isfinite(M.RS)), 'non-finite moments in vertex order %d', o);
  expect_close(M.RS, first, 1e-6, 'vertex orders');
end

% Malformed input: messages, never a crash.
expect_error(@() cell_pairs(P, T, one, 1), 'cell_pairs:usage', ...
             'qcell.DLL requires the inputs: P, T ,coeffT, weightsT, Radius');
bad = T;  bad(4, 11) = 19;
expect_error(@() cell_pairs(P, bad, one, 1, 9), 'cell_pairs:badIndex', ...
             'argument ''T'': vertex number 19 in row 4, column 11 is outside 1..18');
bad = T;  bad(2, 5) = bad(3, 5);
expect_error(@() cell_pairs(P, bad, one, 1, 9), 'cell_pairs:badGeometry', ...
             'argument ''T'': tetrahedron 5 has zero volume');
a = [1.1 0.3 0.2];  b = [0.4 1.3 0.7];    % coplanar, with a triple product of 1.2e-16
expect_error(@() cell_pairs([zeros(3, 1) a' b' (0.3 * a + 0.7 * b)'], [1 2 3 4; 1 2 4 3]', one, 1, 9), ...
             'cell_pairs:badGeometry', 'tetrahedron 1 has zero volume');
expect_error(@() cell_pairs(P, T, c4, [w4; w4], 9), 'cell_pairs:badSize', 'argument ''weightsT'' is 2 x 4');
expect_error(@() cell_pairs(P, T, c4(:, 1:3), w4, 9), 'cell_pairs:badSize', ...
             'argument ''coeffT'' has 3 columns, at least 4 needed');
expect_error(@() cell_pairs(P, T, c4(1:3, :), w4, 9), 'cell_pairs:badSize', ...
             'argument ''coeffT'' is 3 x 4, at least 4 rows needed');
expect_error(@() cell_pairs(P, T, one, 1, []), 'cell_pairs:badScalar', 'Radius');

expect_error(@() cell_plate_pairs(Pt, P, t, T, coeff, w), 'cell_plate_pairs:usage', ...
             'qcell.DLL requires the inputs: Pt, PT ,t , T, coeff, weights, order');
expect_error(@() cell_plate_pairs(Pt, P, t, T, coeff, w(1:6), 4), 'cell_plate_pairs:badSize', ...
             'argument ''weights'' has 6 values, at least 7 needed');
bad = t;  bad(3, 2) = 10;
expect_error(@() cell_plate_pairs(Pt, P, bad, T, coeff, w, 4), 'cell_plate_pairs:badIndex', ...
             'argument ''t'': vertex number 10 in row 3, column 2 is outside 1..9');
expect_error(@() cell_plate_pairs(Pt, P(:, 1:17), t, T, coeff, w, 4), 'cell_plate_pairs:badIndex', ...
             'argument ''T'': vertex number 18');
bad = T;  bad(4, 7) = bad(1, 7);
expect_error(@() cell_plate_pairs(Pt, P, t, bad, coeff, w, 4), 'cell_plate_pairs:badGeometry', ...
             'tetrahedron 7 has zero volume');
