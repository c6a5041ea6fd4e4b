% READ_MSH  Read a gmsh mesh file (ASCII format 2.2 or 4.1).
%   msh = read_msh(filename)
%
%   Reads the nodes and the point, line, triangle and tetrahedron elements (first-order
%   only) of a gmsh file in the ASCII formats 2.2 (gmsh option `-format msh22`, what
%   run_gmsh writes) or 4.1 (gmsh 4's default, `-format msh41`). Binary files and other
%   versions are refused with a message saying how to convert them. Node numbers are
%   renumbered to 1..Nn in file order, so gaps in gmsh's node tags are harmless; element
%   columns hold these 1-based positions. Elements of other types are skipped.
%
%   msh fields:
%     P          3 x Nn node coordinates
%     node_tags  1 x Nn gmsh node tags (column j of P is node node_tags(j))
%     tri        3 x Ntri triangles (vertex positions in P), tri_phys / tri_geo 1 x Ntri
%                physical and elementary entity tags (physical 0 when the element or its
%                entity has none; with several physical groups, the first)
%     tet        4 x Ntet tetrahedra, tet_phys / tet_geo likewise
%     lines      2 x Nl line elements, line_phys / line_geo 1 x Nl their tags (as for tri)
%     points     1 x Np point elements (their tags are not kept)
%     groups     struct array of the physical groups, one element per group: dim (0..3),
%                tag (its number), name ('' when the file names none) and entities (the
%                elementary entity tags it holds; an entity may belong to several groups)
%
%   Select the elements of a group by their elementary entity, e.g. the triangles of
%   group g: msh.tri(:, ismember(msh.tri_geo, g.entities)) (format 2.2 repeats an element
%   once per group it belongs to; remove repeats with unique on the sorted columns). A 2.2
%   element with a physical tag but no elementary one gets the entity -physical.
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

  head = sscanf(section(text, 'MeshFormat', filename), '%f', 3);
  if numel(head) == 3 && head(2) == 0 && head(1) >= 2 && head(1) < 3
    [msh.node_tags, msh.P, el] = read_v2(text, filename);
    membership = v2_membership(el);
  elseif numel(head) == 3 && head(2) == 0 && abs(head(1) - 4.1) < 1e-9
    [msh.node_tags, msh.P, el, membership] = read_v41(text, filename);
  else
    error('read_msh:format', ['read_msh: "%s" is not an ASCII gmsh file of format 2.2 or ' ...
          '4.1; convert it with "gmsh FILE -0 -format msh22 -o NEW.msh"'], filename);
  end

  lookup = zeros(1, max([msh.node_tags, 0]));
  lookup(msh.node_tags) = 1:numel(msh.node_tags);
  [msh.tri, msh.tri_phys, msh.tri_geo] = gather(el, 2, 3, lookup, filename);
  [msh.tet, msh.tet_phys, msh.tet_geo] = gather(el, 4, 4, lookup, filename);
  [msh.lines, msh.line_phys, msh.line_geo] = gather(el, 1, 2, lookup, filename);
  msh.points = gather(el, 15, 1, lookup, filename);
  msh.groups = physical_groups(text, membership, filename);
end

% Dimension of each gmsh element type 1..31 (0 points, 1 lines, 2 surfaces, 3 volumes).
function d = type_dim(type)
  dims = [1 2 2 3 3 3 3 1 2 2 3 3 3 3 0 2 3 3 3 2 2 2 2 2 2 1 1 1 3 3 3];
  d = dims(type);
end

% Format 2.2 carries group membership on the elements: rows [dim, physical, entity] of
% every distinct pair an element names (physical tag 0 is no group).
function rows = v2_membership(el)
  keep = el.type > 0 & el.phys > 0;
  rows = zeros(0, 3);
  if any(keep)
    rows = unique([type_dim(el.type(keep))', el.phys(keep)', el.geo(keep)'], 'rows');
  end
end

% The physical groups: those the membership rows [dim, physical, entity] name, with the
% names of the $PhysicalNames section ("dim tag \"name\"" lines), which may also list groups
% that hold no entity.
function groups = physical_groups(text, rows, filename)
  names = zeros(0, 2);
  labels = {};
  if ~isempty(strfind(text, '$PhysicalNames'))
    body = section(text, 'PhysicalNames', filename);
    lines = strsplit(strtrim(body), char(10));
    for i = 2:numel(lines)
      tok = regexp(lines{i}, '^\s*(\d+)\s+(\d+)\s+"(.*)"', 'tokens', 'once');
      if numel(tok) == 3
        names(end + 1, :) = [str2double(tok{1}), str2double(tok{2})];
        labels{end + 1} = tok{3};
      end
    end
  end
  keys = unique([rows(:, 1:2); names], 'rows');
  groups = struct('dim', {}, 'tag', {}, 'name', {}, 'entities', {});
  for i = 1:size(keys, 1)
    g.dim = keys(i, 1);
    g.tag = keys(i, 2);
    hit = find(names(:, 1) == g.dim & names(:, 2) == g.tag, 1);
    g.name = '';
    if ~isempty(hit)
      g.name = labels{hit};
    end
    g.entities = reshape(rows(rows(:, 1) == g.dim & rows(:, 2) == g.tag, 3), 1, []);
    groups(end + 1) = g;
  end
end

% Nodes of each gmsh element type (first- and higher-order types up to 31), so that elements
% the reader does not keep can be skipped.
function n = type_nodes(type, filename)
  counts = [2 3 4 4 8 6 5 3 6 9 10 27 18 14 1 8 20 15 13 9 10 12 15 15 21 4 5 6 20 35 56];
  if type < 1 || type > numel(counts) || type ~= fix(type)
    error('read_msh:type', 'read_msh: "%s": unknown element type %g', filename, type);
  end
  n = counts(type);
end

% Format 2.2: "$Nodes" count, then "tag x y z"; "$Elements" count, then
% "tag type ntags tag1 .. tagn node1 .. nodek" (tag1 physical, tag2 elementary entity).
function [tags, P, el] = read_v2(text, filename)
  v = sscanf(section(text, 'Nodes', filename), '%f');
  nn = v(1);
  if numel(v) < 1 + 4 * nn
    error('read_msh:nodes', 'read_msh: "%s": the $Nodes section is truncated', filename);
  end
  v = reshape(v(2:1 + 4 * nn), 4, nn);
  tags = v(1, :);
  P = v(2:4, :);

  v = sscanf(section(text, 'Elements', filename), '%f');
  ne = v(1);
  el = struct('type', zeros(1, ne), 'phys', zeros(1, ne), 'geo', zeros(1, ne), ...
              'nodes', zeros(4, ne));
  p = 2;
  for e = 1:ne
    if p + 2 > numel(v)
      break;
    end
    type = v(p + 1);
    ntag = v(p + 2);
    k = type_nodes(type, filename);
    if p + 2 + ntag + k > numel(v)
      break;
    end
    el.type(e) = type;
    if ntag >= 1
      el.phys(e) = v(p + 3);
    end
    if ntag >= 2
      el.geo(e) = v(p + 4);
    end
    if k <= 4
      el.nodes(1:k, e) = v(p + 3 + ntag:p + 2 + ntag + k);
    end
    p = p + 3 + ntag + k;
  end
  if p - 1 ~= numel(v)
    error('read_msh:elements', 'read_msh: "%s": the $Elements section is truncated', filename);
  end
  % An element with a physical tag but no elementary one gets the pseudo-entity -physical,
  % so that selecting a group by its entities still finds exactly its elements.
  lone = el.geo == 0 & el.phys > 0;
  el.geo(lone) = -el.phys(lone);
end

% Format 4.1: nodes and elements in entity blocks; physical tags belong to the entities.
function [tags, P, el, membership] = read_v41(text, filename)
  % Physical tag (first one, 0 if none) of every entity, per dimension; membership rows
  % [dim, physical, entity] for every group of every entity.
  phys_of = {zeros(0, 2), zeros(0, 2), zeros(0, 2), zeros(0, 2)};
  membership = zeros(0, 3);
  if ~isempty(strfind(text, '$Entities'))
    v = sscanf(section(text, 'Entities', filename), '%f');
    count = v(1:4);
    p = 5;
    for dim = 0:3
      for i = 1:count(dim + 1)
        tag = v(p);
        if dim == 0
          p = p + 4;           % tag x y z
        else
          p = p + 7;           % tag min(3) max(3)
        end
        nphys = v(p);
        first = 0;
        if nphys > 0
          first = v(p + 1);
          membership = [membership; repmat([dim, 0, tag], nphys, 1)];
          membership(end - nphys + 1:end, 2) = abs(v(p + 1:p + nphys));
        end
        phys_of{dim + 1}(end + 1, :) = [tag, first];
        p = p + 1 + nphys;
        if dim > 0
          p = p + 1 + v(p);    % bounding entities
        end
      end
    end
  end

  v = sscanf(section(text, 'Nodes', filename), '%f');
  nblocks = v(1);
  nn = v(2);
  tags = zeros(1, nn);
  P = zeros(3, nn);
  p = 5;
  done = 0;
  for b = 1:nblocks
    dim = v(p);
    parametric = v(p + 2);
    n = v(p + 3);
    p = p + 4;
    tags(done + 1:done + n) = v(p:p + n - 1);
    p = p + n;
    width = 3 + parametric * dim;
    xyz = reshape(v(p:p + width * n - 1), width, n);
    P(:, done + 1:done + n) = xyz(1:3, :);
    p = p + width * n;
    done = done + n;
  end
  if done ~= nn
    error('read_msh:nodes', 'read_msh: "%s": the $Nodes section is inconsistent', filename);
  end

  v = sscanf(section(text, 'Elements', filename), '%f');
  nblocks = v(1);
  ne = v(2);
  el = struct('type', zeros(1, ne), 'phys', zeros(1, ne), 'geo', zeros(1, ne), ...
              'nodes', zeros(4, ne));
  p = 5;
  done = 0;
  for b = 1:nblocks
    dim = v(p);
    entity = v(p + 1);
    type = v(p + 2);
    n = v(p + 3);
    p = p + 4;
    k = type_nodes(type, filename);
    rows = reshape(v(p:p + (k + 1) * n - 1), k + 1, n);
    p = p + (k + 1) * n;
    range = done + 1:done + n;
    el.type(range) = type;
    el.geo(range) = entity;
    table = phys_of{dim + 1};
    hit = find(table(:, 1) == entity, 1);
    if ~isempty(hit)
      el.phys(range) = table(hit, 2);
    end
    if k <= 4
      el.nodes(1:k, range) = rows(2:end, :);
    end
    done = done + n;
  end
  if done ~= ne
    error('read_msh:elements', 'read_msh: "%s": the $Elements section is inconsistent', ...
          filename);
  end
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

% Node positions (and tags) of every element of one type.
function [nodes, phys, geo] = gather(el, which, nv, lookup, filename)
  sel = el.type == which;
  tags = el.nodes(1:nv, sel);
  if any(tags(:) < 1 | tags(:) > numel(lookup)) || any(lookup(tags(:)) == 0)
    error('read_msh:node', 'read_msh: "%s": an element refers to a node not in $Nodes', ...
          filename);
  end
  nodes = reshape(lookup(tags), nv, []);
  phys = el.phys(sel);
  geo = el.geo(sel);
end
