% VOLUME_RECORD  Volume mesh record of a block of tetrahedra, ready for hybrid_matrix.
%   [GEOM, Epsilon_r, tan_delta] = volume_record(dims, h, origin, material, radius, epsilon)
%   builds a block of dims = [nx ny nz] cubes of side h from the corner `origin`, each cut into
%   six tetrahedra along its main diagonal, and returns:
%   - the volume unknowns: one per mesh edge outside a spanning tree of the nodes (the curls of
%     the tree edges' functions depend on the others), numbered in edge order, packed per
%     tetrahedron in slot order (p0p1, p0p2, p0p3, p1p2, p1p3, p2p3); their constant vectors
%     2*grad(l_a) x grad(l_b) (edge from the lower to the higher node number) in BasisTC, and
%     the same vectors as companions in BasisTCn;
%   - the materials: [epsr, tand] = material(centroids) gives the relative permittivity and
%     loss tangent of every tetrahedron; Epsilon_r = epsr*epsilon (the unit of epsilon),
%     contrast kappa = 1 - epsilon/(Epsilon_r*(1 - 1i*tand));
%   - the nontrivial faces (a contrast jump across them, or the boundary), each with the
%     unknowns of its edges and the coefficients jump * (flux of the vector through the face);
%   - quadrature: 4 points per tetrahedron, 3 per face (weights summing to 1);
%   - near pairs (first >= second, 0-based, self pairs included) of tetrahedra and of faces
%     whose centroids are closer than `radius`, with the static mean <1/R> approximated by the
%     point rules (self pairs: the value of a ball or disc of the same size).
%   The coupling tables are left to COUPLING_TABLES.
function [GEOM, Epsilon_r, tan_delta] = volume_record(dims, h, origin, material, radius, epsilon)
  nx = dims(1);  ny = dims(2);  nz = dims(3);
  [ix, iy, iz] = ndgrid(0:nx, 0:ny, 0:nz);
  P = [ix(:).'; iy(:).'; iz(:).'] * h + origin(:);
  [cx, cy, cz] = ndgrid(0:nx-1, 0:ny-1, 0:nz-1);
  cx = cx(:).';  cy = cy(:).';  cz = cz(:).';
  corner = @(b) 1 + cx + bitand(b, 1) + (nx + 1) * (cy + bitand(bitshift(b, -1), 1) + ...
                (ny + 1) * (cz + bitand(bitshift(b, -2), 1)));
  paths = [1 2; 1 4; 2 1; 2 4; 4 1; 4 2];
  T = zeros(4, 6 * numel(cx));
  for p = 1:6
    a = paths(p, 1);  b = bitor(a, paths(p, 2));
    T(:, p:6:end) = [corner(0); corner(a); corner(b); corner(7)];
  end
  nt = columns(T);

  % Volumes and barycentric gradients (grad(:, t, j) of vertex j).
  p1 = P(:, T(1, :));
  e1 = P(:, T(2, :)) - p1;  e2 = P(:, T(3, :)) - p1;  e3 = P(:, T(4, :)) - p1;
  det = dot(e1, cross(e2, e3, 1), 1);
  VolumeT = abs(det) / 6;
  g2 = cross(e2, e3, 1) ./ det;  g3 = cross(e3, e1, 1) ./ det;  g4 = cross(e1, e2, 1) ./ det;
  grad = cat(3, -(g2 + g3 + g4), g2, g3, g4);
  CenterT = (p1 + P(:, T(2, :)) + P(:, T(3, :)) + P(:, T(4, :))) / 4;

  % Edges, spanning tree (breadth first from node 1), unknowns on the remaining edges.
  L = [1 2; 1 3; 1 4; 2 3; 2 4; 3 4];
  ends = zeros(6 * nt, 2);
  for s = 1:6
    ends(s:6:end, :) = [T(L(s, 1), :).', T(L(s, 2), :).'];
  end
  [edges, ~, eid] = unique(sort(ends, 2), 'rows');
  ne = rows(edges);  nn = columns(P);
  adj = sparse([edges(:, 1); edges(:, 2)], [edges(:, 2); edges(:, 1)], [1:ne, 1:ne], nn, nn);
  tree = false(ne, 1);  seen = false(nn, 1);  seen(1) = true;
  queue = zeros(1, nn);  queue(1) = 1;  tail = 1;
  for head = 1:nn
    [nb, ~, ed] = find(adj(:, queue(head)));
    fresh = ~seen(nb);
    seen(nb(fresh)) = true;  tree(ed(fresh)) = true;
    queue(tail + (1:nnz(fresh))) = nb(fresh);  tail += nnz(fresh);
  end
  num = zeros(ne, 1);
  num(~tree) = 1:nnz(~tree);
  nv = nnz(~tree);

  % Curl vectors per tetrahedron and local edge, oriented from the lower node number.
  curl = zeros(3, 6, nt);
  for s = 1:6
    sgn = sign(T(L(s, 2), :) - T(L(s, 1), :));
    curl(:, s, :) = reshape(2 * sgn .* cross(grad(:, :, L(s, 1)), grad(:, :, L(s, 2)), 1), 3, 1, nt);
  end
  numbers = reshape(num(eid), 6, nt);
  [~, order] = sort(numbers == 0, 1);  % stable: valid slots first, in slot order
  packed = order + 6 * (0:nt-1);
  EdgesTN = numbers(packed);
  EdgesTNI = sum(numbers > 0, 1);
  BasisTC = reshape(curl, 3, 6 * nt)(:, packed(:));
  BasisTC(:, EdgesTN(:) == 0) = 0;

  % Materials.
  [epsr, tand] = material(CenterT);
  Epsilon_r = epsr(:).' * epsilon;
  tan_delta = tand(:).';
  kappa = 1 - epsilon ./ (Epsilon_r .* (1 - 1i * tan_delta));

  % Faces: local face j is opposite vertex j and holds the local edges face_slots(j, :).
  opposite = [2 3 4; 1 3 4; 1 2 4; 1 2 3];
  face_slots = [4 5 6; 2 3 6; 1 3 5; 1 2 4];
  keys = zeros(4 * nt, 3);  owner = zeros(4 * nt, 2);
  for j = 1:4
    keys(j:4:end, :) = sort(T(opposite(j, :), :), 1).';
    owner(j:4:end, :) = [(1:nt).', j * ones(nt, 1)];
  end
  [~, first, fidx] = unique(keys, 'rows', 'first');
  [~, last] = unique(keys, 'rows', 'last');
  t1 = owner(first, 1);  j1 = owner(first, 2);
  inner = last ~= first;
  jump = kappa(t1).';
  jump(inner) -= kappa(owner(last(inner), 1)).';
  nontrivial = find(abs(jump) > 1e-12);
  F = numel(nontrivial);
  EdgesFN = zeros(6, F);  EdgesFNI = zeros(1, F);  D = zeros(6, F);
  CenterF = zeros(3, F);  PointsF = zeros(3, 3 * F);  AreaF = zeros(1, F);
  bary = [2/3 1/6 1/6; 1/6 2/3 1/6; 1/6 1/6 2/3];
  for q = 1:F
    f = nontrivial(q);  t = t1(f);  j = j1(f);
    k = 0;
    for s = face_slots(j, :)
      n = num(eid(6 * (t - 1) + s));
      if n > 0
        k += 1;
        EdgesFN(k, q) = n;
        % jump * flux through the face: area * (b . outward normal) = -3V (b . grad l_j)
        D(k, q) = -3 * VolumeT(t) * jump(f) * dot(curl(:, s, t), grad(:, t, j));
      end
    end
    EdgesFNI(q) = k;
    vert = P(:, T(opposite(j, :), t));
    CenterF(:, q) = mean(vert, 2);
    PointsF(:, 3 * q - 2:3 * q) = vert * bary.';
    AreaF(q) = 3 * VolumeT(t) * norm(grad(:, t, j));  % |grad l_j| = area / (3V)
  end

  % Tetrahedron quadrature points.
  a4 = 0.5854101966249685;  b4 = 0.1381966011250105;
  PointsT = zeros(3, 4 * nt);
  for q = 1:4
    w = b4 * ones(4, 1);  w(q) = a4;
    PointsT(:, q:4:end) = w(1) * p1 + w(2) * P(:, T(2, :)) + w(3) * P(:, T(3, :)) + w(4) * P(:, T(4, :));
  end

  [TTIS, TTJS] = near_pairs(CenterT, CenterT, radius, true);
  TTSS = static_mean(PointsT, 4, PointsT, 4, TTIS, TTJS, 6 ./ (5 * (3 * VolumeT / (4 * pi)) .^ (1/3)));
  [FFIS, FFJS] = near_pairs(CenterF, CenterF, radius, true);
  FFSS = static_mean(PointsF, 3, PointsF, 3, FFIS, FFJS, 16 ./ (3 * pi * sqrt(AreaF / pi)));

  GEOM = struct('TetrahedraTotal', nt, 'EdgesTotal', nv, 'FacesNontrivial', F, ...
                'OrderT', 4, 'OrderF', 3, 'EdgesTN', EdgesTN, 'EdgesTNI', EdgesTNI, ...
                'BasisTC', BasisTC, 'BasisTCn', BasisTC, 'VolumeT', VolumeT, 'CenterT', CenterT, ...
                'Contrast_real', real(kappa), 'Contrast_imag', imag(kappa), ...
                'EdgesFN', EdgesFN, 'EdgesFNI', EdgesFNI, ...
                'DiffContrast_real', real(D), 'DiffContrast_imag', imag(D), 'CenterF', CenterF, ...
                'PointsT', PointsT, 'WT', [1 1 1 1] / 4, 'PointsF', PointsF, 'WF', [1 1 1] / 3, ...
                'TTIS', TTIS - 1, 'TTJS', TTJS - 1, 'TTSS', TTSS, ...
                'FFIS', FFIS - 1, 'FFJS', FFJS - 1, 'FFSS', FFSS, 'AreaF', AreaF);
end

% Pairs (i, j) of points of A and B closer than radius, 1-based; with `lower`, only i >= j.
function [I, J] = near_pairs(A, B, radius, lower)
  I = [];  J = [];
  for i = 1:columns(A)
    d2 = sum((B - A(:, i)) .^ 2, 1);
    if lower
      d2(i + 1:end) = inf;
    end
    near = find(d2 < radius ^ 2);
    I = [I, i * ones(1, numel(near))];  J = [J, near];
  end
end

% Mean of 1/R over the point rules of the pairs (equal weights); self(i) for the pair (i, i)
% of one element list (pass [] when A and B are different lists).
function s = static_mean(PA, qa, PB, qb, I, J, self)
  s = zeros(1, numel(I));
  for p = 1:numel(I)
    if ~isempty(self) && I(p) == J(p)
      s(p) = self(I(p));
      continue;
    end
    a = PA(:, (I(p) - 1) * qa + (1:qa));  b = PB(:, (J(p) - 1) * qb + (1:qb));
    R = sqrt((a(1, :).' - b(1, :)) .^ 2 + (a(2, :).' - b(2, :)) .^ 2 + (a(3, :).' - b(3, :)) .^ 2);
    s(p) = mean(1 ./ R(:));
  end
end
