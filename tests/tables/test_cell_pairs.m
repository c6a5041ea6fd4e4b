% cell_pairs and cell_plate_pairs called from the host: result layout, the pair lists against
% plain double loops written here, values against simple limits, the mended edge-line cases, and
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
    last = numel(rj);
    if lower
      last = i;
    end
    for j = 1:last
      if sum((ci(:, i) - cj(:, j)).^2) < k * ri(i) * rj(j)
        is(end + 1) = i - 1;  js(end + 1) = j - 1;
      end
    end
  end
end

% A 2 x 2 x 1 grid of unit cubes, each split into six tetrahedra around its diagonal (24), with
% a material row below the vertex numbers.
P = [];  T = [];
[x, y, z] = ndgrid(0:2, 0:2, 0:1);
P = [x(:)'; y(:)'; z(:)'];
id = @(a, b, c) 1 + a + 3 * b + 9 * c;
perm = perms(1:3);
for a = 0:1
  for b = 0:1
    o = [a b 0];
    for p = 1:6
      e = eye(3);
      v1 = o + e(perm(p, 1), :);  v2 = v1 + e(perm(p, 2), :);
      T = [T [id(o(1), o(2), o(3)); id(v1(1), v1(2), v1(3)); id(v2(1), v2(2), v2(3)); ...
              id(a + 1, b + 1, 1); 7]];
    end
  end
end
one = [1; 1; 1; 1] / 4;

% Layout, the double loop, and finite values with a one-point rule: its shifted points stay on
% edge lines of the faces through the cube diagonals.
S = cell_pairs(P, T, one, 1, 9);
assert(isequal(fieldnames(S)', {'IS', 'JS', 'SS'}));
[c, rho] = element_data(P, T, 4);
[is, js] = scan_pairs(c, rho, c, rho, 9, true);
assert(isequal(S.IS, is) && isequal(S.JS, js), 'cell_pairs: pair list differs from the double loop');
assert(numel(is) > 200 && isequal(size(S.SS), [1 numel(is)]));
assert(all(isfinite(S.SS)) && all(S.SS > 0));

% Weights as a row or a column, and columns of coeffT beyond them unread.
g = [0.5854101966249685 0.1381966011250105];
c4 = g(2) * ones(4) + (g(1) - g(2)) * eye(4);
w4 = [1 1 1 1] / 4;
A = cell_pairs(P, T, c4, w4, 9);
assert(isequal(cell_pairs(P, T, c4, w4', 9), A));
assert(isequal(cell_pairs(P, T, [c4 NaN(4, 2)], w4, 9), A));
assert(isequal(cell_pairs(P, [T; T], c4, w4, 9), A));    % rows below the fourth are not read

% Two small tetrahedra far apart: SS tends to 1/distance of the centroids. (The probe shifts, an
% absolute 1e-8 per face, move values by about 1e-7/size relative.)
P2 = [0 1e-2 0 0 10 10.01 10 10; 0 0 1e-2 0 0 0 1e-2 0; 0 0 0 1e-2 0 0 0 1e-2];
S2 = cell_pairs(P2, [1 2 3 4; 5 6 7 8]', one, 1, 1e12);
[c2, ~] = element_data(P2, [1 2 3 4; 5 6 7 8]', 4);
expect_close(S2.SS(2), 1 / norm(c2(:, 2) - c2(:, 1)), 1e-4, 'far SS');

% k <= 0 and no tetrahedra.
E = cell_pairs(P, T, one, 1, 0);
assert(isequal(size(E.IS), [1 0]) && isequal(size(E.SS), [1 0]));
E = cell_pairs(zeros(3, 0), zeros(4, 0), one, 1, 9);
assert(isequal(size(E.IS), [1 0]) && isequal(size(E.SS), [1 0]));

% cell_plate_pairs: the boundary triangles of the grid's top face against the tetrahedra.
[u, v] = ndgrid(0:2, 0:2);
Pt = [u(:)'; v(:)'; ones(1, 9)];
t = [];
for a = 0:1
  for b = 0:1
    q = 1 + a + 3 * b;
    t = [t [q; q + 1; q + 4; 0] [q; q + 4; q + 3; 0]];
  end
end
a7 = [0.797426985353087 0.101286507323456 0.470142064105115 0.059715871789770];
coeff = [1/3 a7(1) a7(2) a7(2) a7(3) a7(3) a7(4); 1/3 a7(2) a7(1) a7(2) a7(3) a7(4) a7(3)];
coeff = [coeff; 1 - sum(coeff)];
w = [0.225 0.125939180544827*[1 1 1] 0.132394152788506*[1 1 1]];
R = cell_plate_pairs(Pt, P, t, T, coeff, w, 4);
assert(isequal(fieldnames(R)', {'IS', 'JS', 'RS'}));
[ct, rt] = element_data(Pt, t, 3);
[is, js] = scan_pairs(ct, rt, c, rho, 4, false);
assert(isequal(R.IS, is) && isequal(R.JS, js), 'cell_plate_pairs: pair list differs from the double loop');
assert(isequal(size(R.RS), [1 9 * numel(is)]) && all(isfinite(R.RS)));
assert(isequal(cell_plate_pairs(Pt, P, t(1:3, :), T, coeff, w', 4), R));

% A triangle in the plane of a face, touching it at a vertex, in every vertex order of the
% tetrahedron: finite moments that agree up to the shifts.
PT = [0 1 0 0; 0 0 1 0; 0 0 0 1];
tri = [0 -1 0; 0 -1 -1; 0 0 0];
orders = perms(1:4);
first = [];
for o = 1:24
  M = cell_plate_pairs(tri, PT, [1; 2; 3], orders(o, :)', coeff, w, 10);
  assert(numel(M.RS) == 9 && all(isfinite(M.RS)), 'non-finite moments in vertex order %d', o);
  if isempty(first)
    first = M.RS;
  end
  expect_close(M.RS, first, 1e-6, 'vertex orders');
end

% A small triangle far from a small tetrahedron: RS of vertex b tends to (c_t - W_b)/distance.
Pf = [10 10.01 10; 0 0 1e-2; 0 0 0];
F = cell_plate_pairs(Pf, P2(:, 1:4), [1; 2; 3], [1; 2; 3; 4], coeff, w, 1e12);
[cf, ~] = element_data(Pf, [1; 2; 3], 3);
want = (cf - Pf) / norm(cf - c2(:, 1));
expect_close(F.RS, want(:)', 1e-4, 'far RS');

E = cell_plate_pairs(Pt, P, t, T, coeff, w, -1);
assert(isequal(size(E.IS), [1 0]) && isequal(size(E.RS), [1 0]));
E = cell_plate_pairs(zeros(3, 0), P, zeros(4, 0), T, coeff, w, 4);
assert(isequal(size(E.JS), [1 0]) && isequal(size(E.RS), [1 0]));
E = cell_plate_pairs(Pt, zeros(3, 0), t, zeros(4, 0), coeff, w, 4);
assert(isequal(size(E.JS), [1 0]) && isequal(size(E.RS), [1 0]));

% Malformed input: messages, never a crash.
cu = 'qcell.DLL requires the inputs: P, T ,coeffT, weightsT, Radius';
expect_error(@() cell_pairs(P, T, one, 1), 'cell_pairs:usage', cu);
expect_error(@() cell_pairs(P, T, one, 1, 9, 1), 'cell_pairs:usage', cu);
bad = T;  bad(4, 11) = size(P, 2) + 1;
expect_error(@() cell_pairs(P, bad, one, 1, 9), 'cell_pairs:badIndex', ...
             'argument ''T'': vertex number 19 in row 4, column 11 is outside 1..18');
bad = T;  bad(2, 5) = bad(3, 5);
expect_error(@() cell_pairs(P, bad, one, 1, 9), 'cell_pairs:badGeometry', ...
             'argument ''T'': tetrahedron 5 has zero volume');
a = [1.1 0.3 0.2];  b = [0.4 1.3 0.7];    % coplanar, but a triple product of 1.2e-16
flat = [zeros(3, 1) a' b' (0.3 * a + 0.7 * b)'];
expect_error(@() cell_pairs(flat, [1 2 3 4; 1 2 4 3]', one, 1, 9), 'cell_pairs:badGeometry', ...
             'tetrahedron 1 has zero volume');
expect_error(@() cell_pairs(P, T, c4, [w4; w4], 9), 'cell_pairs:badSize', 'argument ''weightsT'' is 2 x 4');
expect_error(@() cell_pairs(P, T, c4(:, 1:3), w4, 9), 'cell_pairs:badSize', ...
             'argument ''coeffT'' has 3 columns, at least 4 needed');
expect_error(@() cell_pairs(P, T, c4(1:3, :), w4, 9), 'cell_pairs:badSize', ...
             'argument ''coeffT'' is 3 x 4, at least 4 rows needed');
expect_error(@() cell_pairs(P, T(1:3, :), one, 1, 9), 'cell_pairs:badSize', 'argument ''T''');
expect_error(@() cell_pairs(P(1:2, :), T, one, 1, 9), 'cell_pairs:badSize', 'argument ''P''');
expect_error(@() cell_pairs(P, T, one * 1i, 1, 9), 'cell_pairs:badType', 'coeffT');
expect_error(@() cell_pairs(P, T, one, 1, []), 'cell_pairs:badScalar', 'Radius');

pu = 'qcell.DLL requires the inputs: Pt, PT ,t , T, coeff, weights, order';
expect_error(@() cell_plate_pairs(Pt, P, t, T, coeff, w), 'cell_plate_pairs:usage', pu);
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
bad = t;  bad(2, 4) = bad(1, 4);
expect_error(@() cell_plate_pairs(Pt, P, bad, T, coeff, w, 4), 'cell_plate_pairs:badGeometry', ...
             'triangle 4 has zero area');
expect_error(@() cell_plate_pairs(Pt, P, t, T, coeff(1:2, :), w, 4), 'cell_plate_pairs:badSize', 'coeff');
expect_error(@() cell_plate_pairs(Pt(1:2, :), P, t, T, coeff, w, 4), 'cell_plate_pairs:badSize', 'Pt');
expect_error(@() cell_plate_pairs(Pt, P, t, T, coeff, w, 'x'), 'cell_plate_pairs:badScalar', 'order');
