% RWG_FUNCTIONS  The edge (RWG) functions of a triangle mesh, junctions included.
%   r = rwg_functions(t)
%
%   t  3 x Nt (or more rows; rows 1-3 are used) 1-based vertex numbers.
%
%   One function on every edge shared by exactly two triangles: the lower-numbered triangle
%   is its plus triangle. An edge shared by c > 2 triangles (a junction, e.g. a strip
%   standing on a plate) carries c - 1 functions, each from the lowest-numbered of its
%   triangles (plus) to one of the others (minus, in ascending order): together they span
%   every current distribution that is continuous across the junction (the c currents
%   leaving the edge sum to zero). Boundary edges carry none. Functions are ordered by
%   edge (ascending vertex pair, the numbering of surface_edges), then by minus triangle,
%   so a manifold mesh gets the numbering of surface_edges' interior edges.
%
%   r fields (Ns functions):
%     edge      1 x Ns  the edge of each function (column of e.vertices)
%     vertices  2 x Ns  its two vertices (smaller first)
%     tri       2 x Ns  plus and minus triangle
%     slot      2 x Ns  the slot (1..3) of the vertex opposite the edge in each
%     junction  1 x Ns  true for functions on junction edges
%     e         surface_edges' result for the mesh
%
%   See also SURFACE_EDGES, SURFACE_RECORD, DELTA_GAP_PORTS.
function r = rwg_functions(t)
  if nargin ~= 1 || ~isnumeric(t) || size(t, 1) < 3
    error('rwg_functions:usage', 'usage: r = rwg_functions(t) with t 3 x Nt vertex numbers');
  end
  t = fix(double(t(1:3, :)));
  e = surface_edges(t);
  two = find(e.count == 2);
  edge = two;
  tri = e.tri(:, two);
  slot = e.slot(:, two);
  many = find(e.count > 2);
  if ~isempty(many)
    % All sides of the junction edges, by edge and then by triangle.
    nt = size(t, 2);
    from = [t(2, :), t(3, :), t(1, :)];
    to = [t(3, :), t(1, :), t(2, :)];
    side_tri = [1:nt, 1:nt, 1:nt];
    side_slot = [ones(1, nt), 2 * ones(1, nt), 3 * ones(1, nt)];
    [~, where] = ismember([min(from, to); max(from, to)]', e.vertices(:, many)', 'rows');
    on = find(where > 0);
    [~, order] = sortrows([where(on), side_tri(on)']);
    on = on(order);
    w = where(on)';
    first = [true, diff(w) ~= 0];
    head = cumsum(first);
    firstpos = find(first);
    others = find(~first);
    lead = on(firstpos(head(others)));
    edge = [edge, many(w(others))];
    tri = [tri, [side_tri(lead); side_tri(on(others))]];
    slot = [slot, [side_slot(lead); side_slot(on(others))]];
  end
  [edge, order] = sort(edge);
  r.edge = edge;
  r.vertices = e.vertices(:, edge);
  r.tri = tri(:, order);
  r.slot = slot(:, order);
  r.junction = e.count(edge) > 2;
  r.e = e;
end
