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
%   A delta gap of voltage V impresses the field V delta(n) along the gap normal n; tested
%   with RWG function e crossing the gap its right-hand side is V * l_e * s_e, where s_e = +1
%   when the function flows (plus to minus triangle) along the port direction, -1 otherwise.
%   The port current is sum_e s_e l_e I_e (I_e the RWG coefficient, whose normal current
%   density across its edge is I_e), the total current across the gap along its direction.
%
%   ports: struct array, one element per port, fields
%     rwg     1 x K surface unknowns (1-based, the order of surface_record) crossing the gap
%     sign    1 x K the s_e above
%     length  1 x K edge lengths (m)
%     weight  1 x K sign .* length: the port's excitation and current-gathering vector
%
%   Errors: an edge that is no mesh edge (delta_gap_ports:notOnMetal), that is not shared by
%   exactly two triangles (delta_gap_ports:notShared), an edge listed twice in one port or
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
  e = surface_edges(tv);
  rwg_of_edge = zeros(1, size(e.vertices, 2));
  shared = find(e.count == 2);
  rwg_of_edge(shared) = 1:numel(shared);
  nv = size(P, 2);
  % Edge lookup by the (smaller, larger) vertex pair.
  key = @(v) (min(v, [], 1) - 1) * nv + max(v, [], 1);
  [keys, order] = sort(key(e.vertices));
  C = centroids(P, tv);
  used = zeros(1, numel(shared));
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
    if any(e.count(edge) ~= 2)
      bad = find(e.count(edge) ~= 2, 1);
      error('delta_gap_ports:notShared', ['delta_gap_ports: port %d: edge %d (vertices ' ...
            '%d-%d) is shared by %d triangles, not 2 (a gap must cut through the metal)'], ...
            p, bad, s(1, bad), s(2, bad), e.count(edge(bad)));
    end
    rwg = rwg_of_edge(edge);
    if numel(unique(rwg)) < numel(rwg)
      error('delta_gap_ports:sharedEdge', 'delta_gap_ports: port %d lists an edge twice', p);
    end
    if any(used(rwg))
      q = used(rwg(find(used(rwg), 1)));
      error('delta_gap_ports:sharedEdge', 'delta_gap_ports: ports %d and %d share an edge', q, p);
    end
    used(rwg) = p;
    % Plus-to-minus crossing of each edge and its direction along the port.
    cross_dir = C(:, e.tri(2, edge)) - C(:, e.tri(1, edge));
    mid = (P(:, e.vertices(1, edge)) + P(:, e.vertices(2, edge))) / 2;
    if isempty(direction)
      d = repmat(cross_dir(:, 1), 1, numel(edge));
    elseif isa(direction, 'function_handle')
      d = direction(mid);
    elseif isnumeric(direction) && numel(direction) == 3
      d = repmat(reshape(direction, 3, 1), 1, numel(edge));
    else
      error('delta_gap_ports:direction', ['delta_gap_ports: port %d: direction must be a ' ...
            '3-vector or a function handle'], p);
    end
    proj = sum(cross_dir .* d, 1);
    if ~isequal(size(d), [3, numel(edge)]) || any(~(abs(proj) > 1e-6 * sqrt(sum(cross_dir .^ 2, 1)) .* sqrt(sum(d .^ 2, 1))))
      error('delta_gap_ports:direction', ['delta_gap_ports: port %d: the direction must ' ...
            'cross every edge of the gap, not run along it'], p);
    end
    sgn = sign(proj);
    len = sqrt(sum((P(:, e.vertices(1, edge)) - P(:, e.vertices(2, edge))) .^ 2, 1));
    ports(p).rwg = rwg;
    ports(p).sign = sgn;
    ports(p).length = len;
    ports(p).weight = sgn .* len;
  end
end

function C = centroids(P, t)
  C = (P(:, t(1, :)) + P(:, t(2, :)) + P(:, t(3, :))) / 3;
end
