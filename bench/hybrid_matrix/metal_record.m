% METAL_RECORD  Surface mesh record of a triangulated metal surface, ready for hybrid_matrix.
%   geom = metal_record(P, T, order, radius) builds, from the 3 x Np nodes P and the 3 x Tr
%   1-based triangles T:
%   - one edge unknown per edge shared by exactly two triangles (plus triangle: the first one
%     met when scanning T column by column), with the free-vertex slots and the edge length;
%   - centroids, areas and the rho vectors (point minus slot vertex) at the centroids and at
%     the quadrature points of a symmetric rule with `order` points (1, 3 or 7; weights sum 1);
%   - the near-pair table: every pair of triangles (first >= second, 0-based, self pairs
%     included) whose centroids are closer than `radius`, with the static integrals
%     <1/R> (ttSS) and <rho_a . rho'_b / R> (ttRS, 9 per pair, slot of the first major),
%     approximated by a midpoint rule on 16 sub-triangles per triangle; coinciding sub-triangles
%     use the self value 4*log(3)/side of an equilateral triangle of the same area.
function geom = metal_record(P, T, order, radius)
  tr = columns(T);
  v1 = P(:, T(1, :));  v2 = P(:, T(2, :));  v3 = P(:, T(3, :));
  area = 0.5 * sqrt(sum(cross(v2 - v1, v3 - v1) .^ 2, 1));
  centre = (v1 + v2 + v3) / 3;
  vert = cat(3, v1, v2, v3);  % 3 x Tr x 3: slot vertices

  % Edges: the edge opposite slot m of triangle t joins its two other vertices.
  opposite = [2 3; 3 1; 1 2];
  keys = zeros(3 * tr, 2);  owner = zeros(3 * tr, 2);
  for m = 1:3
    rows = (m - 1) * tr + (1:tr);
    keys(rows, :) = sort([T(opposite(m, 1), :); T(opposite(m, 2), :)].', 2);
    owner(rows, :) = [(1:tr).', m * ones(tr, 1)];
  end
  [~, order_t] = sort(owner(:, 1) * 3 + owner(:, 2));  % scan T column by column
  keys = keys(order_t, :);  owner = owner(order_t, :);
  [uk, first, idx] = unique(keys, 'rows', 'first');
  counts = accumarray(idx, 1);
  shared = find(counts == 2);
  TriP = zeros(1, numel(shared));  TriM = TriP;  VerP = TriP;  VerM = TriP;
  for e = 1:numel(shared)
    hits = find(idx == shared(e));
    TriP(e) = owner(hits(1), 1);  VerP(e) = owner(hits(1), 2);
    TriM(e) = owner(hits(2), 1);  VerM(e) = owner(hits(2), 2);
  end
  [~, pos] = sort(first(shared));  % number the edges in the order they are first met
  TriP = TriP(pos);  TriM = TriM(pos);  VerP = VerP(pos);  VerM = VerM(pos);
  ends = uk(shared(pos), :);
  EdgeLength = sqrt(sum((P(:, ends(:, 1)) - P(:, ends(:, 2))) .^ 2, 1));

  % Quadrature points (barycentric) and weights.
  switch order
    case 1
      bary = [1 1 1] / 3;  w = 1;
    case 3
      bary = [2/3 1/6 1/6; 1/6 2/3 1/6; 1/6 1/6 2/3];  w = [1 1 1] / 3;
    case 7
      a1 = 0.059715871789770;  b1 = 0.470142064105115;
      a2 = 0.797426985353087;  b2 = 0.101286507323456;
      bary = [1/3 1/3 1/3; a1 b1 b1; b1 a1 b1; b1 b1 a1; a2 b2 b2; b2 a2 b2; b2 b2 a2];
      w = [0.225, 0.132394152788506 * [1 1 1], 0.125939180544827 * [1 1 1]];
    otherwise
      error('metal_record: order must be 1, 3 or 7');
  end
  qm = numel(w);
  PointsM = zeros(3, qm * tr);
  for a = 1:qm
    PointsM(:, (0:tr-1) * qm + a) = bary(a, 1) * v1 + bary(a, 2) * v2 + bary(a, 3) * v3;
  end
  PointsMRho = zeros(3, 3 * qm * tr);
  PointsFCRho = zeros(3, 3 * tr);
  for m = 1:3
    PointsFCRho(:, 3 * (0:tr-1) + m) = centre - vert(:, :, m);
    for a = 1:qm
      PointsMRho(:, (3 * (0:tr-1) + m - 1) * qm + a) = PointsM(:, (0:tr-1) * qm + a) - vert(:, :, m);
    end
  end

  % Near pairs by centroid distance, first >= second.
  I = [];  J = [];
  for t = 1:tr
    d = sqrt(sum((centre(:, 1:t) - centre(:, t)) .^ 2, 1));
    near = find(d < radius);
    I = [I, t * ones(1, numel(near))];  J = [J, near];
  end
  [ttSS, ttRS] = static_parts(I, J, vert, area);

  geom = struct('TrianglesTotal', tr, 'EdgesTotal', numel(TriP), 'TriP', TriP, 'TriM', TriM, ...
                'VerP', VerP, 'VerM', VerM, 'AreaF', area, 'EdgeLength', EdgeLength, ...
                'PointsFC', centre, 'PointsFCRho', PointsFCRho, 'OrderM', qm, ...
                'PointsM', PointsM, 'PointsMRho', PointsMRho, 'WM', w, ...
                'ttIS', I - 1, 'ttJS', J - 1, 'ttSS', ttSS, 'ttRS', ttRS);
end

% Midpoint rule on s*s sub-triangles per triangle, for all pairs at once (in chunks).
function [ss, rs] = static_parts(I, J, vert, area)
  s = 4;
  bary = [];
  for i = 0:s-1
    for j = 0:s-1-i
      bary(end+1, :) = [i + 1/3, j + 1/3] / s;
      if i + j < s - 1, bary(end+1, :) = [i + 2/3, j + 2/3] / s; end
    end
  end
  bary = [1 - sum(bary, 2), bary];                 % n x 3 weights of the slot vertices
  n = rows(bary);
  self = 4 * log(3) ./ sqrt(4 * (area / n) / sqrt(3));  % per triangle, coinciding cells
  K = numel(I);
  ss = zeros(1, K);  rs = zeros(9, K);
  chunk = 2000;
  for k0 = 1:chunk:K
    k = k0:min(K, k0 + chunk - 1);
    pi_ = points(vert, I(k), bary);  pj = points(vert, J(k), bary);   % 3 x n x c
    d = sqrt(sum((permute(pi_, [1 2 4 3]) - permute(pj, [1 4 2 3])) .^ 2, 1));  % 1 x n x n x c
    g = 1 ./ d;
    same = (I(k) == J(k));
    eye_n = logical(eye(n));
    for c = find(same)
      gc = g(1, :, :, c);  gc(1, eye_n) = self(I(k(c)));  g(1, :, :, c) = gc;
    end
    g = reshape(g, n, n, numel(k)) / n^2;
    ss(k) = reshape(sum(sum(g, 1), 2), 1, []);
    for a = 1:3
      ra = pi_ - permute(vert(:, I(k), a), [1 3 2]);
      for b = 1:3
        rb = pj - permute(vert(:, J(k), b), [1 3 2]);
        dot = squeeze(sum(permute(ra, [1 2 4 3]) .* permute(rb, [1 4 2 3]), 1));  % n x n x c
        rs(3 * (a - 1) + b, k) = reshape(sum(sum(reshape(dot, n, n, []) .* g, 1), 2), 1, []);
      end
    end
  end
end

function p = points(vert, t, bary)
  p = zeros(3, rows(bary), numel(t));
  for m = 1:3
    p += permute(vert(:, t, m), [1 3 2]) .* bary(:, m).';
  end
end
