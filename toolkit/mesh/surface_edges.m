% SURFACE_EDGES  Edges of a triangle mesh and the triangles on each side of them.
%   e = surface_edges(t)
%
%   t  3 x Nt (or more rows; only rows 1-3 are used) 1-based vertex numbers.
%
%   Every edge is the unordered vertex pair of a triangle side; the side of triangle i
%   opposite its vertex slot s (1..3) joins the vertices in slots s+1 and s+2 (cyclically).
%   Edges are numbered in ascending order of their (smaller, larger) vertex pair.
%
%   e fields (Ne = number of distinct edges):
%     vertices  2 x Ne  the two vertex numbers, smaller first
%     count     1 x Ne  how many triangle sides lie on the edge (1: boundary, 2: interior,
%                       more: non-manifold)
%     tri       2 x Ne  for edges with count 2: the two triangles, lower number first
%                       (0 elsewhere)
%     slot      2 x Ne  the slot (1..3) of the vertex opposite the edge in each of them
%     opposed   1 x Ne  true when the two triangles traverse the shared edge in opposite
%                       directions (consistent orientation); false for count ~= 2
%
%   See also CHECK_SURFACE, SURFACE_RECORD.
function e = surface_edges(t)
  if nargin ~= 1 || ~isnumeric(t) || size(t, 1) < 3
    error('surface_edges:usage', 'usage: e = surface_edges(t) with t 3 x Nt vertex numbers');
  end
  t = fix(double(t(1:3, :)));
  nt = size(t, 2);
  % Directed sides: side s of triangle i runs from slot s+1 to slot s+2.
  from = [t(2, :), t(3, :), t(1, :)];
  to = [t(3, :), t(1, :), t(2, :)];
  tri = [1:nt, 1:nt, 1:nt];
  slot = [ones(1, nt), 2 * ones(1, nt), 3 * ones(1, nt)];
  lo = min(from, to);
  hi = max(from, to);
  [pairs, ~, which] = unique([lo; hi]', 'rows');
  ne = size(pairs, 1);
  e.vertices = pairs';
  e.count = accumarray(which(:), 1, [ne 1])';

  % Sort the sides by edge, then by triangle, so the two sides of an interior edge are
  % adjacent with the lower triangle first.
  [~, order] = sortrows([which(:), tri(:)]);
  w = which(order)';
  firstside = [true, diff(w) ~= 0];
  start = order(firstside)';
  e.tri = zeros(2, ne);
  e.slot = zeros(2, ne);
  e.opposed = false(1, ne);
  two = find(e.count == 2);
  firstpos = find(firstside);
  a = start(two);
  b = order(firstpos(two) + 1)';
  e.tri(:, two) = [tri(a); tri(b)];
  e.slot(:, two) = [slot(a); slot(b)];
  e.opposed(two) = from(a) == to(b) & to(a) == from(b);
end
