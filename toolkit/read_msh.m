% READ_MSH  Read a gmsh mesh file (format 2.2, ASCII).
%   msh = read_msh(filename)
%
%   Reads the nodes and the point, line, triangle and tetrahedron elements (first-order
%   only) of a gmsh file written in the ASCII format 2.2 (gmsh option `-format msh22`).
%   Other formats (4.x, binary) are refused with a message saying how to convert them.
%   Node numbers are renumbered to 1..Nn in file order, so gaps in gmsh's node tags are
%   harmless; element columns hold these 1-based positions.
%
%   msh fields:
%     P          3 x Nn node coordinates
%     node_tags  1 x Nn gmsh node tags (column j of P is node node_tags(j))
%     tri        3 x Ntri triangles (vertex positions in P), tri_phys / tri_geo 1 x Ntri
%                physical and elementary entity tags (0 when the file has none)
%     tet        4 x Ntet tetrahedra, tet_phys / tet_geo likewise
%     lines      2 x Nl line elements, points 1 x Np point elements (their tags are not kept)
%
%   Example:  msh = read_msh('sphere.msh');  t = msh.tri;  P = msh.P;
%
%   See also RUN_GMSH, SPHERE_GEO, CHECK_SURFACE.
function msh = read_msh(filename)
  if nargin ~= 1 || ~ischar(filename)
    error('read_msh:usage', 'usage: msh = read_msh(filename)');
  end
  [fid, why] = fopen(filename, 'r');
  if fid < 0
    error('read_msh:open', 'read_msh: cannot open "%s": %s', filename, why);
  end
  text = fread(fid, Inf, '*char')';
  fclose(fid);

  fmt = section(text, 'MeshFormat', filename);
  head = sscanf(fmt, '%f', 3);
  if numel(head) < 3 || head(1) < 2 || head(1) >= 3 || head(2) ~= 0
    error('read_msh:format', ['read_msh: "%s" is not an ASCII gmsh file of format 2.x; ' ...
          'write it with "gmsh -format msh22" (or File > Export, Version 2 ASCII)'], filename);
  end

  % Nodes: a count, then "tag x y z" per line.
  v = sscanf(section(text, 'Nodes', filename), '%f');
  nn = v(1);
  if numel(v) < 1 + 4 * nn
    error('read_msh:nodes', 'read_msh: "%s": the $Nodes section is truncated', filename);
  end
  v = reshape(v(2:1 + 4 * nn), 4, nn);
  msh.node_tags = v(1, :);
  msh.P = v(2:4, :);
  lookup = zeros(1, max([msh.node_tags, 0]));
  lookup(msh.node_tags) = 1:nn;

  % Elements: "tag type ntags tag1 .. tagn node1 .. nodek" per line; the node count k
  % follows from the type.
  v = sscanf(section(text, 'Elements', filename), '%f');
  ne = v(1);
  nodes_of_type = zeros(1, 15);
  nodes_of_type([1 2 3 4 15]) = [2 3 4 4 1];
  type = zeros(1, ne);
  first = zeros(1, ne);
  ntag = zeros(1, ne);
  p = 2;
  for e = 1:ne
    if p + 2 > numel(v)
      error('read_msh:elements', 'read_msh: "%s": the $Elements section is truncated', filename);
    end
    type(e) = v(p + 1);
    ntag(e) = v(p + 2);
    first(e) = p + 3;
    if type(e) < 1 || type(e) > 15 || nodes_of_type(type(e)) == 0
      % Higher-order or other elements: skip by counting to the end of the line is not
      % possible once the numbers are merged, so refuse them clearly.
      error('read_msh:type', ['read_msh: "%s": element type %d is not supported ' ...
            '(first-order points, lines, triangles and tetrahedra only)'], filename, type(e));
    end
    p = p + 3 + ntag(e) + nodes_of_type(type(e));
  end
  if p - 1 > numel(v)
    error('read_msh:elements', 'read_msh: "%s": the $Elements section is truncated', filename);
  end

  [msh.tri, msh.tri_phys, msh.tri_geo] = gather(v, type, first, ntag, 2, 3, lookup);
  [msh.tet, msh.tet_phys, msh.tet_geo] = gather(v, type, first, ntag, 4, 4, lookup);
  msh.lines = gather(v, type, first, ntag, 1, 2, lookup);
  msh.points = gather(v, type, first, ntag, 15, 1, lookup);
end

% Text between $NAME and $EndNAME.
function s = section(text, name, filename)
  a = strfind(text, ['$' name]);
  b = strfind(text, ['$End' name]);
  if isempty(a) || isempty(b) || b(1) < a(1)
    error('read_msh:section', 'read_msh: "%s" has no $%s section', filename, name);
  end
  s = text(a(1) + numel(name) + 1:b(1) - 1);
end

% Columns of node positions (and the first two tags) of every element of one type.
function [el, phys, geo] = gather(v, type, first, ntag, which, nv, lookup)
  sel = find(type == which);
  n = numel(sel);
  phys = zeros(1, n);
  geo = zeros(1, n);
  has1 = ntag(sel) >= 1;
  has2 = ntag(sel) >= 2;
  phys(has1) = v(first(sel(has1)));
  geo(has2) = v(first(sel(has2)) + 1);
  start = first(sel) + ntag(sel);
  idx = start + (0:nv - 1)';
  tags = reshape(v(idx), nv, n);
  if any(tags(:) < 1 | tags(:) > numel(lookup)) || any(lookup(tags(:)) == 0)
    error('read_msh:node', 'read_msh: an element refers to a node that is not in $Nodes');
  end
  el = reshape(lookup(tags), nv, n);
end
