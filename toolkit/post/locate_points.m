% LOCATE_POINTS  The tetrahedron of a volume record that holds each point (0 outside).
%   t = locate_points(GEOM, points)
%   t = locate_points(GEOM, points, tol)
%
%   GEOM    volume record (volume_record: MeshP, MeshT).
%   points  3 x P points.
%   tol     relative tolerance on the barycentric coordinates (default 1e-9): a point on a
%           face or an edge belongs to one of the tetrahedra that share it.
%
%   t is 1 x P: the number of a tetrahedron whose closure holds the point, or 0 when no
%   tetrahedron does (the point lies outside the dielectric). Points outside the mesh's
%   bounding box are settled at once; the others are tested against every tetrahedron by
%   their barycentric coordinates, in blocks of points.
%
%   Use it to route points: the field inside is internal_field(...)(:, t), outside it is
%   scattered_field plus the incident field.
%
%   Example:  t = locate_points(GEOM, [0 0 0; 0 0 2]');   % [k 0] for a unit sphere
%
%   See also SCATTERED_FIELD, INTERNAL_FIELD.
function t = locate_points(GEOM, points, tol)
  if nargin < 2 || nargin > 3 || ~isstruct(GEOM) || ~all(isfield(GEOM, {'MeshP', 'MeshT'}))
    error('locate_points:usage', ['usage: t = locate_points(GEOM, points, tol) (GEOM from ' ...
          'volume_record, with MeshP and MeshT)']);
  end
  if ~isnumeric(points) || size(points, 1) ~= 3 || ndims(points) ~= 2
    error('locate_points:points', 'locate_points: points must be a 3 x P matrix');
  end
  if nargin < 3
    tol = 1e-9;
  end
  np = size(points, 2);
  t = zeros(1, np);
  P = GEOM.MeshP;
  T = GEOM.MeshT;
  nt = size(T, 2);
  lo = min(P, [], 2);
  hi = max(P, [], 2);
  pad = tol * max(hi - lo);
  cand = find(all(points >= lo - pad & points <= hi + pad, 1));
  if isempty(cand) || nt == 0
    return;
  end
  % Barycentric coordinates: lambda(2:4) = M \ (p - v1) with M = [v2 - v1, v3 - v1, v4 - v1].
  v1 = P(:, T(1, :));
  a = P(:, T(2, :)) - v1;
  b = P(:, T(3, :)) - v1;
  c = P(:, T(4, :)) - v1;
  det = dot(a, cross(b, c, 1), 1);
  % Rows of the inverse: (b x c, c x a, a x b) / det.
  r1 = cross(b, c, 1) ./ det;
  r2 = cross(c, a, 1) ./ det;
  r3 = cross(a, b, 1) ./ det;
  block = max(1, floor(2e6 / nt));
  for i0 = 1:block:numel(cand)
    idx = cand(i0:min(end, i0 + block - 1));
    dx = points(1, idx)' - v1(1, :);
    dy = points(2, idx)' - v1(2, :);
    dz = points(3, idx)' - v1(3, :);
    l2 = dx .* r1(1, :) + dy .* r1(2, :) + dz .* r1(3, :);
    l3 = dx .* r2(1, :) + dy .* r2(2, :) + dz .* r2(3, :);
    l4 = dx .* r3(1, :) + dy .* r3(2, :) + dz .* r3(3, :);
    inside = l2 >= -tol & l3 >= -tol & l4 >= -tol & (l2 + l3 + l4) <= 1 + tol;
    [hit, which] = max(inside, [], 2);
    t(idx(hit)) = which(hit);
  end
end
