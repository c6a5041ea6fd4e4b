% CHECK_SURFACE  Check that a triangle mesh is a closed, consistently oriented surface.
%   [ok, info] = check_surface(P, t)
%
%   P   3 x Np vertex coordinates;  t  3 x Nt (or more rows) 1-based vertex numbers.
%
%   ok is true when every edge is shared by exactly two triangles that traverse it in
%   opposite directions (closed and consistently oriented), no triangle is degenerate and
%   the enclosed volume is positive (normals (V2-V1) x (V3-V1) pointing outward).
%
%   info fields:
%     closed            every edge has exactly two triangles
%     oriented          every interior edge is traversed in opposite directions
%     outward           the signed enclosed volume is positive
%     boundary_edges    number of edges with one triangle
%     nonmanifold_edges number of edges with three or more triangles
%     misoriented_edges number of interior edges traversed twice in the same direction
%     degenerate        number of triangles of zero area (relative to the mesh size)
%     area              total area
%     volume            signed enclosed volume (divergence theorem; meaningful when closed)
%     euler             vertices - edges + triangles (2 for a closed surface of genus 0)
%     edges             number of distinct edges
%     message           '' when ok, otherwise a sentence naming the first fault found
%
%   Example:  [ok, info] = check_surface(msh.P, msh.tri);  if ~ok, error(info.message); end
%
%   See also SURFACE_EDGES, READ_MSH, SURFACE_RECORD.
function [ok, info] = check_surface(P, t)
  if nargin ~= 2 || size(P, 1) ~= 3 || size(t, 1) < 3
    error('check_surface:usage', 'usage: [ok, info] = check_surface(P, t), P 3 x Np, t 3 x Nt');
  end
  t = fix(double(t(1:3, :)));
  if any(t(:) < 1 | t(:) > size(P, 2))
    error('check_surface:index', 'check_surface: t refers to vertices outside 1..%d', size(P, 2));
  end
  e = surface_edges(t);
  v1 = P(:, t(1, :));
  v2 = P(:, t(2, :));
  v3 = P(:, t(3, :));
  n = cross(v2 - v1, v3 - v1, 1);
  twice_area = sqrt(sum(n .^ 2, 1));
  h = max(sqrt(sum((v2 - v1) .^ 2, 1)));

  info.closed = all(e.count == 2);
  info.oriented = all(e.opposed(e.count == 2));
  info.boundary_edges = sum(e.count == 1);
  info.nonmanifold_edges = sum(e.count > 2);
  info.misoriented_edges = sum(e.count == 2 & ~e.opposed);
  info.degenerate = sum(twice_area <= 1e-12 * max(h, realmin) ^ 2);
  info.area = sum(twice_area) / 2;
  % Divergence theorem with the field r/3: V = (1/6) * sum over triangles of v1 . (v2 x v3).
  info.volume = sum(dot(v1, cross(v2, v3, 1), 1)) / 6;
  info.outward = info.volume > 0;
  info.euler = numel(unique(t(:))) - size(e.vertices, 2) + size(t, 2);
  info.edges = size(e.vertices, 2);

  if isempty(t)
    info.message = 'the mesh has no triangles';
  elseif info.nonmanifold_edges > 0
    info.message = sprintf('%d edges are shared by three or more triangles', ...
                           info.nonmanifold_edges);
  elseif ~info.closed
    info.message = sprintf('the surface is open: %d edges belong to one triangle only', ...
                           info.boundary_edges);
  elseif ~info.oriented
    info.message = sprintf(['the orientation is inconsistent: %d edges are traversed in ' ...
                            'the same direction by both their triangles'], info.misoriented_edges);
  elseif info.degenerate > 0
    info.message = sprintf('%d triangles have zero area', info.degenerate);
  elseif ~info.outward
    info.message = 'the normals point inward (the enclosed volume is negative)';
  else
    info.message = '';
  end
  ok = isempty(info.message);
end
