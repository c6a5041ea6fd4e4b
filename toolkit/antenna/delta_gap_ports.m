% DELTA_GAP_PORTS  Delta-gap ports on lines of metal edges.
%   ports = delta_gap_ports(P, t, spec)
%
%   P     3 x Np vertices and t 3 x Nt triangles of the metal surface, exactly as given to
%         surface_record (its edge numbering is recomputed here).
%   spec  one port, or a cell array of ports. A port is
%           - a 2 x K matrix of vertex numbers (columns: the two ends of each edge of the gap
%             line), or
%           - a struct with field edges (2 x K, as above) and optionally direction: a 3-vector,
%             or a function handle mapping 3 x K edge midpoints to 3 x K directions, giving the
%             positive side of the gap (the port current flows that way, and the source's
%             impressed field points that way). Default: the direction from the plus to the
%             minus triangle of the port's first edge, so a straight gap is consistent.
%
%   A delta gap of voltage V impresses the field V delta(n) along the gap normal n, on the
%   positive side of each gap edge. Tested with RWG function e (numbering of surface_record,
%   rwg_functions) its right-hand side is V * l_e * s_e, where s_e = +1 when the function
%   flows from a triangle behind the gap into one ahead of it (along the port direction),
%   -1 the other way, 0 when both its triangles lie on one side. The port current is
%   sum_e s_e l_e I_e (I_e the RWG coefficient, the normal current density across its
%   edge), the total current across the gap along its direction. A triangle at a gap edge
%   lies ahead when its centroid's offset from the edge midpoint has more than half the
%   largest component along the direction among that edge's triangles, so a gap may lie on
%   a junction: at the foot of a strip standing on a plate, with the direction up the
%   strip, only the strip triangle is ahead and the current into the strip is the port
%   current (a probe feed).
%
%   ports: struct array, one element per port, fields
%     rwg     1 x K surface unknowns (1-based, the order of surface_record) crossing the gap
%             (K can exceed the edge count at junctions)
%     sign    1 x K the s_e above
%     length  1 x K edge lengths (m)
%     weight  1 x K sign .* length: the port's excitation and current-gathering vector
%
%   Errors: an edge that is no mesh edge (delta_gap_ports:notOnMetal), that is on the
%   boundary of the metal (delta_gap_ports:notShared), an edge listed twice in one port or
%   in two ports (delta_gap_ports:sharedEdge), a direction along the gap line
%   (delta_gap_ports:direction), an empty or malformed port (delta_gap_ports:spec).
%
%   Example (a strip along z cut by the gap z = 0):
%     on = find(abs(P(3, :)) < 1e-9);  ports = delta_gap_ports(P, t, [on(1:end-1); on(2:end)]);
%
%   See also PORT_SOLVE, NETWORK_PARAMETERS, SURFACE_RECORD, SURFACE_EDGES.
function ports = delta_gap_ports(P, t, spec)
  if nargin ~= 3 || size(P, 1) ~= 3 || size(t, 1) < 3
    error('delta_gap_ports:usage', 'usage: ports = delta_gap_ports(P (3 x Np), t (3 x Nt), spec)');
  end
  if ~iscell(spec)
    spec = {spec};
  end
  tv = fix(double(t(1:3, :)));
  r = rwg_functions(tv);
  e = r.e;
  nv = size(P, 2);
  % Edge lookup by the (smaller, larger) vertex pair.
  key = @(v) (min(v, [], 1) - 1) * nv + max(v, [], 1);
  [keys, order] = sort(key(e.vertices));
  C = (P(:, tv(1, :)) + P(:, tv(2, :)) + P(:, tv(3, :))) / 3;
  used = zeros(1, numel(r.edge));
  ports = struct('rwg', {}, 'sign', {}, 'length', {}, 'weight', {});
  for p = 1:numel(spec)
    s = spec{p};
    direction = [];
    if isstruct(s)
      if ~isfield(s, 'edges')
        error('delta_gap_ports:spec', 'delta_gap_ports: port %d has no field edges', p);
      end
      if isfield(s, 'direction')
        direction = s.direction;
      end
      s = s.edges;
    end
    if ~isnumeric(s) || size(s, 1) ~= 2 || isempty(s) || any(s(:) < 1 | s(:) > nv | s(:) ~= fix(s(:)))
      error('delta_gap_ports:spec', ['delta_gap_ports: port %d: edges must be a non-empty ' ...
            '2 x K matrix of vertex numbers in 1..%d'], p, nv);
    end
    [found, where] = ismember(key(double(s)), keys);
    if ~all(found)
      bad = find(~found, 1);
      error('delta_gap_ports:notOnMetal', ['delta_gap_ports: port %d: edge %d (vertices ' ...
            '%d-%d) is not an edge of the metal triangles'], p, bad, s(1, bad), s(2, bad));
    end
    edge = order(where);
    if numel(unique(edge)) < numel(edge)
      error('delta_gap_ports:sharedEdge', 'delta_gap_ports: port %d lists an edge twice', p);
    end
    if any(e.count(edge) < 2)
      bad = find(e.count(edge) < 2, 1);
      error('delta_gap_ports:notShared', ['delta_gap_ports: port %d: edge %d (vertices ' ...
            '%d-%d) lies on the boundary of the metal (one triangle): a gap must cut ' ...
            'through the metal'], p, bad, s(1, bad), s(2, bad));
    end
    mid = (P(:, e.vertices(1, edge)) + P(:, e.vertices(2, edge))) / 2;
    if isempty(direction)
      f1 = find(r.edge == edge(1), 1);
      d = repmat(C(:, r.tri(2, f1)) - C(:, r.tri(1, f1)), 1, numel(edge));
    elseif isa(direction, 'function_handle')
      d = direction(mid);
    elseif isnumeric(direction) && numel(direction) == 3
      d = repmat(reshape(direction, 3, 1), 1, numel(edge));
    else
      error('delta_gap_ports:direction', ['delta_gap_ports: port %d: direction must be a ' ...
            '3-vector or a function handle'], p);
    end
    if ~isequal(size(d), [3, numel(edge)])
      error('delta_gap_ports:direction', 'delta_gap_ports: port %d: direction gives no 3 x K result', p);
    end
    rwg = zeros(1, 0);
    sgn = zeros(1, 0);
    for k = 1:numel(edge)
      fk = find(r.edge == edge(k));
      tk = unique(r.tri(:, fk));
      off = C(:, tk) - mid(:, k);
      proj = d(:, k)' * off;
      if ~(max(proj) > 0.1 * norm(d(:, k)) * max(sqrt(sum(off .^ 2, 1))))
        error('delta_gap_ports:direction', ['delta_gap_ports: port %d: the direction must ' ...
              'cross every edge of the gap, not run along it (edge %d)'], p, k);
      end
      ahead = proj > 0.5 * max(proj);
      if all(ahead)
        error('delta_gap_ports:direction', ['delta_gap_ports: port %d: edge %d has no ' ...
              'triangle behind the gap'], p, k);
      end
      side = @(tri) double(ahead(arrayfun(@(x) find(tk == x), tri)));
      w = side(r.tri(2, fk)) - side(r.tri(1, fk));
      rwg = [rwg, fk(w ~= 0)]; %#ok<AGROW>
      sgn = [sgn, w(w ~= 0)]; %#ok<AGROW>
    end
    if any(used(rwg))
      q = used(rwg(find(used(rwg), 1)));
      error('delta_gap_ports:sharedEdge', 'delta_gap_ports: ports %d and %d share an edge', q, p);
    end
    used(rwg) = p;
    len = sqrt(sum((P(:, r.vertices(1, rwg)) - P(:, r.vertices(2, rwg))) .^ 2, 1));
    ports(p).rwg = rwg;
    ports(p).sign = sgn;
    ports(p).length = len;
    ports(p).weight = sgn .* len;
  end
end
