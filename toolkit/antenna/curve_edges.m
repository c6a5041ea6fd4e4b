% CURVE_EDGES  The mesh edges of a gmsh physical curve, as vertex pairs of a model's vertices.
%   edges = curve_edges(msh, group, P)
%
%   msh    read_msh's result (or the name of a .msh file) of the mesh the model came from.
%   group  the physical curve: its name (string) or number.
%   P      3 x Np vertices the edges are to refer to (a model's P, which gmsh_model renumbers);
%          each line node is matched to the nearest vertex, which must coincide with it (to
%          1e-9 of the mesh's extent).
%
%   edges  2 x K vertex numbers (columns of P), one column per line element of the curve,
%          ready for delta_gap_ports.
%
%   Errors: curve_edges:group (no such physical curve; the message lists the curves),
%   curve_edges:empty (a curve without line elements), curve_edges:vertex (a line node that
%   is no vertex of P, i.e. the curve is not on the model's mesh).
%
%   Example:  model = gmsh_model('patch.geo', ..., 'save_msh', 'patch.msh');
%             gap = curve_edges('patch.msh', 'feed', model.P);
%
%   See also DELTA_GAP_PORTS, READ_MSH, GMSH_MODEL.
function edges = curve_edges(msh, group, P)
  if nargin ~= 3 || size(P, 1) ~= 3
    error('curve_edges:usage', 'usage: edges = curve_edges(msh, group, P (3 x Np))');
  end
  if ischar(msh)
    msh = read_msh(msh);
  end
  curves = msh.groups([msh.groups.dim] == 1);
  if ischar(group)
    hit = find(strcmp({curves.name}, group), 1);
  else
    hit = find([curves.tag] == group, 1);
  end
  if isempty(hit)
    names = arrayfun(@(c) sprintf('%d "%s"', c.tag, c.name), curves, 'UniformOutput', false);
    error('curve_edges:group', 'curve_edges: no physical curve %s (the mesh has: %s)', ...
          num2str(group), strjoin(names, ', '));
  end
  lines = msh.lines(:, ismember(msh.line_geo, curves(hit).entities));
  if isempty(lines)
    error('curve_edges:empty', 'curve_edges: the physical curve %s has no line elements', ...
          num2str(group));
  end
  lines = unique(sort(lines, 1)', 'rows')';
  X = msh.P(:, lines(:));
  scale = max(max(P, [], 2) - min(P, [], 2));
  idx = zeros(1, size(X, 2));
  for i = 1:size(X, 2)
    [d, idx(i)] = min(sum((P - X(:, i)) .^ 2, 1));
    if sqrt(d) > 1e-9 * scale
      error('curve_edges:vertex', ['curve_edges: a node of curve %s at %s is no vertex of ' ...
            'P (is the curve on the model''s mesh?)'], num2str(group), mat2str(X(:, i)', 6));
    end
  end
  edges = reshape(idx, 2, []);
end
