% excite_cells and excite_plates called from the host: worked examples, closed-form references on
% small meshes, the record and argument conventions, and malformed input.

function G = corner_tetrahedron(kappa)
  % The unit corner tetrahedron with the edge functions of p0p1, p0p2 and p1p2.
  G.TetrahedraTotal = 1;
  G.EdgesTotal = 3;
  G.EdgesTNI = 3;
  G.EdgesTN = [1 2 3 0 0 0]';
  G.BasisTC = [0 -2 2  2 0 -2  0 0 2  zeros(1, 9)]';
  G.VolumeT = 1/6;
  G.Contrast_real = real(kappa);
  G.Contrast_imag = imag(kappa);
end

function [g, c, l] = hexagon_fan(seed)
  % Six triangles around a raised centre, each interior spoke an edge-based function whose plus
  % triangle is the one counter-clockwise before it. Returns the record, centroids and lengths.
  rand('seed', seed);
  ang = (0:5) * pi / 3 + 0.2 * rand(1, 6);
  P = [0 cos(ang); 0 sin(ang); 0.4 0.3 * rand(1, 6)];
  T = [ones(1, 6); 2:7; [3:7 2]];            % triangle k = (centre, rim k, rim k+1)
  c = (P(:, T(1, :)) + P(:, T(2, :)) + P(:, T(3, :))) / 3;
  rho = zeros(3, 18);
  for t = 1:6
    for s = 1:3
      rho(:, 3 * (t - 1) + s) = c(:, t) - P(:, T(s, t));
    end
  end
  % Spoke k (centre to rim k+1) is shared by triangle k (free vertex: rim k, slot 2) and
  % triangle k+1 (free vertex: rim k+2, slot 3).
  k = 1:6;
  g.TrianglesTotal = 6;
  g.EdgesTotal = 6;
  g.TriP = k;
  g.TriM = mod(k, 6) + 1;
  g.VerP = 2 * ones(1, 6);
  g.VerM = 3 * ones(1, 6);
  l = sqrt(sum((P(:, [3:7 2]) - P(:, ones(1, 6))) .^ 2));
  g.EdgeLength = l;
  g.PointsFCRho = rho;
end

% --- excite_cells -----------------------------------------------------------------------------

% Worked example: (0.25, -0.25, 0.25); a purely imaginary field gives a purely imaginary result.
G = corner_tetrahedron(0.75);
expect_close(excite_cells(G, [0; 0; 1]), [0.25; -0.25; 0.25], 1e-15, 'corner tetrahedron');
v = excite_cells(G, complex([0; 0; 0], [0; 0; 2]));
assert(isequal(real(v), zeros(3, 1)));
expect_close(imag(v), [0.5; -0.5; 0.5], 1e-15, 'imaginary field');
% A real field matrix reads as one with zero imaginary part.
e = [0.3; -1.2; 2.5];
assert(isequal(excite_cells(G, e), excite_cells(G, complex(e, zeros(3, 1)))));

% A lossy tetrahedron: the complex contrast multiplies the complex field.
kappa = 0.75 - 0.25i;                        % eps_r = 2, tan(delta) = 1
G = corner_tetrahedron(kappa);
e = [1 + 2i; -0.5; 0.3 - 1i];
b = reshape(G.BasisTC, 3, 6)(:, 1:3);
want = kappa / 6 * (b.' * e);
expect_close(excite_cells(G, e), want, 1e-15, 'lossy tetrahedron');
assert(abs(imag(excite_cells(G, [0; 0; 1])(3)) - (-0.25 / 6 * 2)) < 1e-16, 'loss from a real field');

% A random packed record: against a reference assembled with accumarray, which also checks
% that functions shared by several tetrahedra sum and unnamed ones stay 0.
randn('seed', 3);  rand('seed', 3);
Nt = 50;  N = 40;
G = struct();
G.TetrahedraTotal = Nt;
G.EdgesTotal = N;
G.EdgesTNI = floor(7 * rand(1, Nt));
G.EdgesTN = zeros(6, Nt);
for t = 1:Nt
  G.EdgesTN(1:G.EdgesTNI(t), t) = sort(randperm(N - 2, G.EdgesTNI(t)))';   % N-1, N unused
end
G.BasisTC = randn(18, Nt);
G.VolumeT = rand(1, Nt);
G.Contrast_real = rand(1, Nt);
G.Contrast_imag = -rand(1, Nt);
E = randn(3, Nt) + 1i * randn(3, Nt);
rows = [];  vals = [];
for t = 1:Nt
  for k = 1:G.EdgesTNI(t)
    rows(end + 1) = G.EdgesTN(k, t);
    vals(end + 1) = (G.Contrast_real(t) + 1i * G.Contrast_imag(t)) * G.VolumeT(t) * ...
                    (G.BasisTC(3 * k - 2:3 * k, t).' * E(:, t));
  end
end
want = accumarray(rows(:), vals(:), [N 1]);
v = excite_cells(G, E);
assert(isequal(size(v), [N 1]));
expect_close(v, want, 1e-13, 'random record');
assert(isequal(v(N - 1:N), [0; 0]));
% BasisTC as 3 x 6*Nt, indices with fractions, a taller field: the same column.
H = G;
H.BasisTC = reshape(G.BasisTC, 3, 6 * Nt);
H.EdgesTN = G.EdgesTN + 0.5 * (G.EdgesTN > 0);
H.EdgesTNI = G.EdgesTNI + 0.25;
assert(isequal(excite_cells(H, [E; 1e300 * ones(1, Nt)]), v));
% Linear in the field.
E2 = randn(3, Nt) - 1i * randn(3, Nt);
expect_close(excite_cells(G, 2i * E + 3 * E2), 2i * v + 3 * excite_cells(G, E2), 1e-13, 'linear');

% No tetrahedra: a zero column of length EdgesTotal, whatever the field.
G0 = corner_tetrahedron(0.75);
G0.TetrahedraTotal = 0;
assert(isequal(excite_cells(G0, []), zeros(3, 1)));
% No dielectric part: an empty column.
assert(isequal(size(excite_cells([], [])), [0 1]));

% --- excite_plates ----------------------------------------------------------------------------

% Worked examples: rho+ = (1,0,0), rho- = (-1,0,0), l = 2, the field (1,0,0) on both sides: 2;
% a field orthogonal to both vectors: 0.
g = struct('EdgesTotal', 1, 'TriP', 1, 'TriM', 2, 'VerP', 1, 'VerM', 1, 'EdgeLength', 2);
g.PointsFCRho = [1 0 0; 0 0 0; 0 0 0; -1 0 0; 0 0 0; 0 0 0]';
assert(excite_plates(g, [1 1; 0 0; 0 0]) == 2);
assert(excite_plates(g, [0 0; 1 + 1i, 1 + 1i; -3i -3i]) == 0);
v = excite_plates(g, [2i -1i; 0 0; 0 0]);
assert(real(v) == 0 && imag(v) == 1);          % (2i/2 - (-1)(-1i)/2) * 2

% A uniform field on a non-planar fan: V = l * E . (centroid of TriM - centroid of TriP).
[g, c, l] = hexagon_fan(5);
E = [0.4 + 1i; -2 + 0.5i; 0.7 - 0.3i];
want = (l .* ((c(:, g.TriM) - c(:, g.TriP)).' * E).').';
expect_close(excite_plates(g, repmat(E, 1, 6)), want, 1e-13, 'uniform field on a fan');
% A real field reads as zero imaginary part; extra field columns and rows are ignored.
Er = randn(3, 6);
assert(isequal(excite_plates(g, Er), excite_plates(g, complex(Er, zeros(3, 6)))));
assert(isequal(excite_plates(g, [Er randn(3, 2); randn(2, 8)]), excite_plates(g, Er)));
% Each entry is one function's own value: reversing the order of the functions reverses V.
r = fliplr(1:6);
h = g;
for f = {'TriP', 'TriM', 'VerP', 'VerM', 'EdgeLength'}
  h.(f{1}) = g.(f{1})(r);
end
Ec = randn(3, 6) + 1i * randn(3, 6);
v = excite_plates(g, Ec);
assert(isequal(excite_plates(h, Ec), v(r)));

% No functions, or no metal part: an empty column.
g0 = g;
g0.EdgesTotal = 0;
assert(isequal(size(excite_plates(g0, zeros(3, 0))), [0 1]));
assert(isequal(size(excite_plates([], [])), [0 1]));

% The host stacks the two parts, surface first.
G = corner_tetrahedron(0.75);
rhs = [excite_plates(g, Ec); excite_cells(G, [0; 0; 1])];
assert(isequal(size(rhs), [9 1]));

% --- malformed input ends the call with a message --------------------------------------------

G = corner_tetrahedron(0.75);
use = 'this function requires 2 inputs: GEOM,EfieldD';
msg = expect_error(@() excite_cells(), 'excite_cells:usage', use);
assert(strcmp(msg, ['excite_cells: ' use]), msg);
expect_error(@() excite_cells(G), 'excite_cells:usage', use);
expect_error(@() excite_cells(G, [0; 0; 1], 1), 'excite_cells:usage', use);
use = 'this function requires 2 inputs: geom,EfieldM';
msg = expect_error(@() excite_plates(g), 'excite_plates:usage', use);
assert(strcmp(msg, ['excite_plates: ' use]), msg);
expect_error(@() excite_plates(g, Ec, 3), 'excite_plates:usage', use);

% Every field read is required.
for f = {'TetrahedraTotal', 'EdgesTotal', 'EdgesTNI', 'EdgesTN', 'BasisTC', 'VolumeT', ...
         'Contrast_real', 'Contrast_imag'}
  expect_error(@() excite_cells(rmfield(G, f{1}), [0; 0; 1]), 'excite_cells:missingField', ...
               ['has no field ''' f{1} '''']);
end
for f = {'EdgesTotal', 'TriP', 'TriM', 'VerP', 'VerM', 'EdgeLength', 'PointsFCRho'}
  expect_error(@() excite_plates(rmfield(g, f{1}), Ec), 'excite_plates:missingField', ...
               ['has no field ''' f{1} '''']);
end
expect_error(@() excite_cells(7, [0; 0; 1]), 'excite_cells:badRecord', 'GEOM');
expect_error(@() excite_plates({g}, Ec), 'excite_plates:badRecord', 'geom');

% Short field matrices and tables.
expect_error(@() excite_cells(G, [0; 1]), 'excite_cells:badSize', 'EfieldD');
G2 = G;  G2.TetrahedraTotal = 2;
expect_error(@() excite_cells(G2, [0; 0; 1]), 'excite_cells:badSize', 'EdgesTNI');
G2.EdgesTNI = [3 0];  G2.EdgesTN(12) = 0;  G2.BasisTC(36) = 0;  G2.VolumeT(2) = 1;
G2.Contrast_real(2) = 0;  G2.Contrast_imag(2) = 0;
assert(isequal(size(excite_cells(G2, [0 0; 0 0; 1 1])), [3 1]));
expect_error(@() excite_cells(G2, [0; 0; 1]), 'excite_cells:badSize', 'EfieldD');
G3 = G;  G3.BasisTC = G.BasisTC(1:17);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badSize', 'BasisTC');
expect_error(@() excite_plates(g, Ec(1:2, :)), 'excite_plates:badSize', 'EfieldM');
expect_error(@() excite_plates(g, Ec(:, 1:5)), 'excite_plates:badIndex', 'EfieldM');
h = g;  h.PointsFCRho = g.PointsFCRho(:, 1:17);
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'PointsFCRho');
h = g;  h.EdgeLength = g.EdgeLength(1:5);
expect_error(@() excite_plates(h, Ec), 'excite_plates:badSize', 'EdgeLength');

% Numbers out of range.
G3 = G;  G3.EdgesTN(3) = 4;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'EdgesTN');
G3 = G;  G3.EdgesTNI = 7;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'EdgesTNI');
G3 = G;  G3.EdgesTNI = 4;                  % the fourth slot holds 0
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'slot 4 of tetrahedron 1');
G3 = G;  G3.TetrahedraTotal = -1;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badCount', 'TetrahedraTotal');
h = g;  h.TriP(2) = 0;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'basis function 2');
h = g;  h.VerM(6) = 4;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'VerM');
h = g;  h.TriM(1) = NaN;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'TriM');

% Wrong types.
expect_error(@() excite_cells(G, single([0; 0; 1])), 'excite_cells:badType', 'EfieldD');
expect_error(@() excite_plates(g, 'abc'), 'excite_plates:badType', 'EfieldM');
G3 = G;  G3.EdgesTN = int32(G.EdgesTN);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badType', 'EdgesTN');
