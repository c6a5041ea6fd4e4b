% plate_pairs and seam_pairs called from the host: result layout, the pair list against a
% plain double loop written here, values against simple limits, and malformed input.

function [c, rho, area] = triangle_data(P, t)
  v1 = P(:, t(1, :));  v2 = P(:, t(2, :));  v3 = P(:, t(3, :));
  c = (v1 + v2 + v3) / 3;
  rho = sqrt(max([sum((c - v1).^2); sum((c - v2).^2); sum((c - v3).^2)], [], 1));
  area = 0.5 * sqrt(sum(cross(v2 - v1, v3 - v1).^2, 1));
end

function [is, js] = scan_pairs(c, rho, k)
  is = [];  js = [];
  for i = 1:numel(rho)
    for j = 1:i
      if sum((c(:, i) - c(:, j)).^2) < k * rho(i) * rho(j)
        is(end + 1) = i - 1;  js(end + 1) = j - 1;
      end
    end
  end
end

% A closed surface: a unit cube, each face a 4 x 4 grid of squares split in two.
n = 4;
[u, v] = meshgrid(0:n, 0:n);
P = [];  t = [];
faces = {@(a, b) [a; b; 0 * a], @(a, b) [a; b; 1 + 0 * a], @(a, b) [a; 0 * a; b], ...
         @(a, b) [a; 1 + 0 * a; b], @(a, b) [0 * a; a; b], @(a, b) [1 + 0 * a; a; b]};
for f = 1:6
  pts = faces{f}(u(:)' / n, v(:)' / n);
  base = size(P, 2);
  P = [P pts];
  id = @(a, b) base + b * (n + 1) + a + 1;
  for a = 0:n-1
    for b = 0:n-1
      t = [t [id(a, b); id(a + 1, b); id(a + 1, b + 1); 0] [id(a, b); id(a + 1, b + 1); id(a, b + 1); 0]];
    end
  end
end
a7 = [0.797426985353087 0.101286507323456 0.470142064105115 0.059715871789770];
coeff = [1/3 a7(1) a7(2) a7(2) a7(3) a7(3) a7(4); 1/3 a7(2) a7(1) a7(2) a7(3) a7(4) a7(3)];
coeff = [coeff; 1 - sum(coeff)];
w = [0.225 0.125939180544827*[1 1 1] 0.132394152788506*[1 1 1]];

% Layout and the pair list of the double loop.
S = plate_pairs(P, t, coeff, w, 4);
assert(isequal(fieldnames(S)', {'IS', 'JS', 'SS', 'RS', 'AreaF', 'PointsFC'}));
[c, rho, area] = triangle_data(P, t);
[is, js] = scan_pairs(c, rho, 4);
assert(isequal(S.IS, is) && isequal(S.JS, js), 'pair list differs from the double loop');
m = numel(is);
assert(isequal(size(S.SS), [1 m]) && isequal(size(S.RS), [1 9 * m]));
expect_close(S.AreaF, area, 1e-14, 'AreaF');
expect_close(S.PointsFC, c, 1e-14, 'PointsFC');
assert(all(isfinite(S.SS)) && all(isfinite(S.RS)) && all(S.SS > 0));

% seam_pairs on the same triangles gives the same scalar values.
F = seam_pairs(P, t(1:3, :), coeff, w, 4);
assert(isequal(fieldnames(F)', {'IS', 'JS', 'SS'}));
assert(isequal(F.IS, S.IS) && isequal(F.JS, S.JS) && isequal(F.SS, S.SS));

% Two small triangles far apart in one plane: SS tends to 1/distance of the centroids, RS to the
% product of the centroid-vertex vectors over the distance.
P2 = [0 1e-3 0 10 10 10.001; 0 0 1e-3 0 1e-3 2e-4; 0 0 0 0 0 0];
t2 = [1 2 3 0; 4 5 6 0]';
S2 = plate_pairs(P2, t2, coeff, w, 1e12);
[c2, ~, ~] = triangle_data(P2, t2);
dist = norm(c2(:, 2) - c2(:, 1));
expect_close(S2.SS(2), 1 / dist, 1e-6, 'far SS');
rs = reshape(S2.RS(10:18), 3, 3);     % rs(y + 1, x + 1): vertex x of IS, vertex y of JS
want = zeros(3);
for x = 1:3
  for y = 1:3
    want(y, x) = dot(c2(:, 2) - P2(:, t2(x, 2)), c2(:, 1) - P2(:, t2(y, 1))) / dist;
  end
end
expect_close(rs, want, 1e-3, 'far RS');

% Labelled triangles: self-pair moments zero.
t3 = t;  t3(4, [3 40]) = 3;
S3 = plate_pairs(P, t3, coeff, w, 4);
for k = [3 40]
  p = find(S3.IS == k - 1 & S3.JS == k - 1);
  assert(all(S3.RS(9 * (p - 1) + (1:9)) == 0));
end

% k <= 0, no triangles.
S0 = plate_pairs(P, t, coeff, w, 0);
assert(isequal(size(S0.IS), [1 0]) && isequal(size(S0.RS), [1 0]) && ...
       isequal(size(S0.AreaF), [1 size(t, 2)]));
E = plate_pairs(zeros(3, 0), zeros(4, 0), coeff, w, 4);
assert(isequal(size(E.IS), [1 0]) && isequal(size(E.AreaF), [1 0]) && isequal(size(E.PointsFC), [3 0]));
E = seam_pairs(zeros(3, 0), zeros(3, 0), coeff, w, 4);
assert(isequal(size(E.SS), [1 0]));

% A column of weights is accepted by plate_pairs (it reads values).
assert(isequal(plate_pairs(P, t, coeff, w', 4), S));

% Malformed input: messages, never a crash.
usage = 'qpair.DLL requires 5 inputs: P, t, coeff, weights, order';
msg = expect_error(@() plate_pairs(P, t, coeff, w), 'plate_pairs:usage');
assert(~isempty(strfind(msg, usage)), msg);
expect_error(@() plate_pairs(P, t, coeff, w, 4, 5), 'plate_pairs:usage', usage);
bad = t;  bad(2, 7) = size(P, 2) + 1;
expect_error(@() plate_pairs(P, bad, coeff, w, 4), 'plate_pairs:badIndex', 'column 7');
bad = t;  bad(1, 2) = 0;
expect_error(@() plate_pairs(P, bad, coeff, w, 4), 'plate_pairs:badIndex', 'argument ''t''');
expect_error(@() plate_pairs(P, t, coeff, w(1:6), 4), 'plate_pairs:badSize', 'weights');
expect_error(@() plate_pairs(P(1:2, :), t, coeff, w, 4), 'plate_pairs:badSize', 'argument ''P''');
expect_error(@() plate_pairs(P, t(1:3, :), coeff, w, 4), 'plate_pairs:badSize', 'argument ''t''');
expect_error(@() plate_pairs(P, t, coeff(1:2, :), w, 4), 'plate_pairs:badSize', 'coeff');
expect_error(@() plate_pairs(P * 1i, t, coeff, w, 4), 'plate_pairs:badType', 'P');
expect_error(@() plate_pairs(P, int32(t), coeff, w, 4), 'plate_pairs:badType', 't');
expect_error(@() plate_pairs(P, t, [coeff(:, 1) [0.5; NaN; 0.5] coeff(:, 3:end)], w, 4), ...
             'plate_pairs:badValue', 'argument ''coeff'': value NaN at position 5 (row 2, column 2)');
expect_error(@() plate_pairs(P, t, coeff, [w(1:end-1) -Inf], 4), 'plate_pairs:badValue', ...
             'argument ''weights''');
assert(isequal(plate_pairs(P, t, coeff, [w NaN], 4), plate_pairs(P, t, coeff, w, 4)), ...
       'weights beyond the columns of coeff are unread');
expect_error(@() plate_pairs(P, t, coeff, w, []), 'plate_pairs:badScalar', 'order');
bad = t;  bad(3, 5) = bad(2, 5);
expect_error(@() plate_pairs(P, bad, coeff, w, 4), 'plate_pairs:badGeometry', 'triangle 5 has zero area');
bad = t;  bad(3, 5) = NaN;
expect_error(@() plate_pairs(P, bad, coeff, w, 4), 'plate_pairs:badIndex', 'vertex number nan in row 3, column 5');
bad = P;  bad(2, t(1, 8)) = Inf;
first = find(any(t(1:3, :) == t(1, 8)), 1);    % the first triangle that uses the vertex
expect_error(@() plate_pairs(bad, t, coeff, w, 4), 'plate_pairs:badGeometry', ...
             sprintf('triangle %d has a vertex with non-finite coordinates', first));

su = 'qpair.DLL requires 5 inputs: P, Faces, coeff, weights, order';
expect_error(@() seam_pairs(P, t(1:3, :), coeff), 'seam_pairs:usage', su);
expect_error(@() seam_pairs([P; P], t, coeff, w(1:6), 4), 'seam_pairs:badSize', ...
             'qplate.DLL: P array must have exactly 3 rows');    % checked first
expect_error(@() seam_pairs(P, t, coeff, w(1:6), 4), 'seam_pairs:badSize', ...
             'qplate.DLL: Face array must have exactly 3 rows');  % before the weights
nw = 'qplate.DLL: number of weights must be exactly the generator size - size(coeff,2)';
expect_error(@() seam_pairs(P, t(1:3, :), coeff, w(1:6), 4), 'seam_pairs:badSize', nw);
expect_error(@() seam_pairs(P, t(1:3, :), coeff, [w 0], 4), 'seam_pairs:badSize', nw);
expect_error(@() seam_pairs(P, t(1:3, :), coeff, w', 4), 'seam_pairs:badSize', nw);
bad = t(1:3, :);  bad(1, 9) = 0;
expect_error(@() seam_pairs(P, bad, coeff, w, 4), 'seam_pairs:badIndex', ...
             'argument ''Faces'': vertex number 0 in row 1, column 9 is outside 1..');
bad = t(1:3, :);  bad(3, 4) = bad(1, 4);
expect_error(@() seam_pairs(P, bad, coeff, w, 4), 'seam_pairs:badGeometry', 'face 4 has zero area');
