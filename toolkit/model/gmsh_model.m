% GMSH_MODEL  A model of metal surfaces and dielectric regions from a gmsh file.
%   model = gmsh_model(file, 'name', value, ...)
%
%   file  a gmsh geometry (.geo, meshed here with gmsh: tetrahedra, and triangles on the
%         surfaces) or a mesh (.msh, ASCII format 2.2 or 4.1). Coordinates are in metres.
%         Its physical groups name the parts; a part is referred to by the group's name (a
%         string) or number.
%
%   Options:
%     metal         the physical surfaces that are perfectly conducting: a cell array of
%                   names and numbers, or a numeric vector (default none). Open surfaces
%                   (plates) and closed ones are both accepted; their triangles may lie on
%                   the faces of dielectric tetrahedra (metal on or inside a dielectric).
%     closed_metal  metal surfaces that must be closed (the skin of a solid conductor); they
%                   are checked and added to the metal (default none).
%     dielectric    the dielectric volumes with their materials: an N x 2 cell array
%                   {group, material; ...}, material a dielectric_material record (or a
%                   number: a constant complex relative permittivity). Every physical
%                   volume of the mesh must be listed here or under ignore.
%     ignore        physical volumes to leave out (e.g. the inside of a solid conductor, or
%                   an air box); default none.
%     mesh_size     largest element size in metres when meshing a .geo (it caps the sizes
%                   the file sets; smaller sizes it sets at points stay); default: the
%                   sizes the .geo sets.
%     gmsh          the gmsh command (default 'gmsh').
%     save_msh      file name to keep the mesh that gmsh wrote for a .geo (default: removed).
%
%   model fields:
%     file        the file read
%     P           3 x Np vertices (m), those the triangles and tetrahedra use
%     tri         3 x Ntri metal triangles (1-based columns of P), each once
%     tri_part    1 x Ntri the metal part (index into metal) of each triangle
%     metal       struct array, one per metal group: name, tag, triangles, area (m^2),
%                 closed (true when every edge has two triangles)
%     tet         4 x Ntet dielectric tetrahedra (1-based columns of P)
%     region      1 x Ntet the region (index into regions) of each tetrahedron
%     regions     struct array, one per dielectric group: name, tag, material (record),
%                 tetrahedra, volume (m^3), mass (kg; 0 without a density)
%     h           median edge length of the elements (m)
%
%   Bad models end with an identified error naming the problem:
%     gmsh_model:group       a group that the file does not have (the message lists those
%                            it has), or a group of the wrong dimension
%     gmsh_model:emptyMetal  a metal group with no triangles
%     gmsh_model:open        a closed_metal surface with boundary edges
%     gmsh_model:material    a physical volume without a material, or a bad material
%     gmsh_model:overlap     a tetrahedron in two dielectric groups, tetrahedra that
%                            intersect one another (meshes that overlap), or a face shared
%                            by more than two tetrahedra
%     gmsh_model:empty       nothing to solve (no metal triangle and no tetrahedron)
%
%   Example:
%     skin = dielectric_material('eps_r', 40, 'sigma', 0.8, 'density', 1100);
%     model = gmsh_model('head.geo', 'mesh_size', 0.01, 'metal', {'antenna'}, ...
%                        'dielectric', {'skin', skin; 'brain', brain});
%
%   See also DIELECTRIC_MATERIAL, PREPARE_MODEL, SOLVE_MODEL, READ_MSH, RUN_GMSH.
function model = gmsh_model(file, varargin)
  opt = struct('metal', {{}}, 'closed_metal', {{}}, 'dielectric', {cell(0, 2)}, ...
               'ignore', {{}}, 'mesh_size', [], 'gmsh', 'gmsh', 'save_msh', '');
  if nargin < 1 || ~ischar(file) || mod(numel(varargin), 2) ~= 0
    error('gmsh_model:usage', 'usage: model = gmsh_model(file, ''name'', value, ...)');
  end
  for i = 1:2:numel(varargin)
    if ~ischar(varargin{i}) || ~isfield(opt, varargin{i})
      error('gmsh_model:option', 'gmsh_model: unknown option "%s"', num2str(varargin{i}));
    end
    opt.(varargin{i}) = varargin{i + 1};
  end
  msh = read_model_mesh(file, opt);
  model = model_from_mesh(msh, file, opt);
end

function msh = read_model_mesh(file, opt)
  [~, ~, ext] = fileparts(file);
  if ~strcmpi(ext, '.geo')
    msh = read_msh(file);
    return;
  end
  if exist(file, 'file') ~= 2
    error('gmsh_model:file', 'gmsh_model: no geometry file "%s"', file);
  end
  out = opt.save_msh;
  if isempty(out)
    out = [tempname() '.msh'];
    cleanup = onCleanup(@() delete_if_there(out));
  end
  geo = file;
  if ~isempty(opt.mesh_size)
    if ~isscalar(opt.mesh_size) || ~(opt.mesh_size > 0)
      error('gmsh_model:mesh_size', 'gmsh_model: mesh_size must be a positive length (m)');
    end
    % The size is set after the user's file is read (a wrapper that includes it), so that it
    % also caps sizes the file itself sets; command-line options would be overridden by them.
    geo = [tempname() '.geo'];
    wrapper = onCleanup(@() delete_if_there(geo));
    fid = fopen(geo, 'w');
    if fid < 0
      error('gmsh_model:file', 'gmsh_model: cannot write the temporary file "%s"', geo);
    end
    h = sprintf('%.17g', opt.mesh_size);
    fprintf(fid, 'Include "%s";\nMesh.MeshSizeMax = %s;\n', make_absolute_filename(file), h);
    fprintf(fid, 'If (Mesh.MeshSizeMin > %s)\n  Mesh.MeshSizeMin = %s;\nEndIf\n', h, h);
    fclose(fid);
  end
  run_gmsh(geo, 3, out, opt.gmsh);
  msh = read_msh(out);
end

function delete_if_there(f)
  if exist(f, 'file') == 2
    delete(f);
  end
end

function model = model_from_mesh(msh, file, opt)
  metal_refs = as_list(opt.metal, 'metal');
  closed_refs = as_list(opt.closed_metal, 'closed_metal');
  ignore_refs = as_list(opt.ignore, 'ignore');
  diel = opt.dielectric;
  if isempty(diel)
    diel = cell(0, 2);
  end
  if ~iscell(diel) || size(diel, 2) ~= 2
    error('gmsh_model:material', ['gmsh_model: dielectric must be an N x 2 cell array ' ...
          '{group, material; ...}']);
  end

  % Metal: the triangles of each group, each triangle once (the first group naming it).
  refs = [metal_refs, closed_refs];
  must_close = [false(1, numel(metal_refs)), true(1, numel(closed_refs))];
  tri = zeros(3, 0);
  tri_part = zeros(1, 0);
  metal = struct('name', {}, 'tag', {}, 'triangles', {}, 'area', {}, 'closed', {});
  seen = zeros(0, 3);
  for i = 1:numel(refs)
    g = find_group(msh, refs{i}, 2, 'metal surface');
    t = msh.tri(:, ismember(msh.tri_geo, g.entities));
    [~, first] = unique(sort(t, 1)', 'rows', 'first');
    t = t(:, sort(first));
    fresh = ~ismember(sort(t, 1)', seen, 'rows')';
    t = t(:, fresh);
    if isempty(t)
      error('gmsh_model:emptyMetal', ['gmsh_model: metal surface %s has no triangles ' ...
            '(is it meshed, and is it not already part of another metal group?)'], ...
            group_label(g));
    end
    seen = [seen; sort(t, 1)'];
    e = surface_edges(t);
    closed = all(e.count == 2);
    if must_close(i) && ~closed
      error('gmsh_model:open', ['gmsh_model: metal surface %s must be closed, but %d of its ' ...
            'edges belong to one triangle only'], group_label(g), sum(e.count == 1));
    end
    m.name = g.name;
    m.tag = g.tag;
    m.triangles = size(t, 2);
    m.area = sum(triangle_areas(msh.P, t));
    m.closed = closed;
    metal(end + 1) = m;
    tri = [tri, t];
    tri_part = [tri_part, repmat(i, 1, size(t, 2))];
  end

  % Dielectric: the tetrahedra of each group, with its material.
  tet = zeros(4, 0);
  region = zeros(1, 0);
  regions = struct('name', {}, 'tag', {}, 'material', {}, 'tetrahedra', {}, 'volume', {}, ...
                   'mass', {});
  used_entities = zeros(1, 0);
  for i = 1:size(diel, 1)
    g = find_group(msh, diel{i, 1}, 3, 'dielectric volume');
    mat = diel{i, 2};
    if isnumeric(mat) && isscalar(mat)
      mat = dielectric_material('eps_r', mat);
    end
    if ~isstruct(mat) || ~all(isfield(mat, {'eps_r', 'sigma', 'tan_delta', 'density'}))
      error('gmsh_model:material', ['gmsh_model: the material of volume %s must be a ' ...
            'dielectric_material record or a number'], group_label(g));
    end
    if isempty(mat.name)
      mat.name = g.name;
    end
    t = msh.tet(:, ismember(msh.tet_geo, g.entities));
    [~, first] = unique(sort(t, 1)', 'rows', 'first');
    t = t(:, sort(first));
    if isempty(t)
      error('gmsh_model:material', 'gmsh_model: dielectric volume %s has no tetrahedra', ...
            group_label(g));
    end
    used_entities = [used_entities, g.entities];
    r.name = g.name;
    r.tag = g.tag;
    r.material = mat;
    r.tetrahedra = size(t, 2);
    r.volume = sum(tet_volumes(msh.P, t));
    r.mass = r.volume * mat.density;
    regions(end + 1) = r;
    tet = [tet, t];
    region = [region, repmat(i, 1, size(t, 2))];
  end
  for i = 1:numel(ignore_refs)
    g = find_group(msh, ignore_refs{i}, 3, 'ignored volume');
    used_entities = [used_entities, g.entities];
  end
  % Every meshed volume must have a material (or be ignored on purpose).
  lost = setdiff(unique(msh.tet_geo), used_entities);
  if ~isempty(lost)
    owner = '';
    for g = msh.groups
      if g.dim == 3 && any(ismember(g.entities, lost))
        owner = group_label(g);
        break;
      end
    end
    if isempty(owner)
      owner = sprintf('(elementary volume %d, in no physical group)', lost(1));
    end
    error('gmsh_model:material', ['gmsh_model: volume %s is meshed but has no material; ' ...
          'give it one under ''dielectric'' or list it under ''ignore'''], owner);
  end
  check_overlap(msh.P, tet, region, regions);

  if isempty(tri) && isempty(tet)
    error('gmsh_model:empty', 'gmsh_model: "%s": no metal triangles and no dielectric', file);
  end
  [P, elements] = compact_vertices(msh.P, [tri(:); tet(:)]');
  model.file = file;
  model.P = P;
  model.tri = reshape(elements(1:numel(tri)), 3, []);
  model.tri_part = tri_part;
  model.metal = metal;
  model.tet = reshape(elements(numel(tri) + 1:end), 4, []);
  model.region = region;
  model.regions = regions;
  model.h = median_edge(P, model.tri, model.tet);
end

% A cell array of group references (names or numbers); a numeric vector is split.
function refs = as_list(v, what)
  if isempty(v)
    refs = {};
  elseif ischar(v)
    refs = {v};
  elseif isnumeric(v)
    refs = num2cell(reshape(v, 1, []));
  elseif iscell(v)
    refs = reshape(v, 1, []);
  else
    error('gmsh_model:group', 'gmsh_model: %s must list group names or numbers', what);
  end
end

% The physical group a name or number refers to, of dimension dim.
function g = find_group(msh, ref, dim, what)
  groups = msh.groups;
  if ischar(ref)
    hit = find(strcmp({groups.name}, ref));
  elseif isnumeric(ref) && isscalar(ref)
    hit = find([groups.tag] == ref);
  else
    error('gmsh_model:group', 'gmsh_model: a %s must be named by a string or a number', what);
  end
  right = hit([groups(hit).dim] == dim);
  if isempty(right)
    if isempty(hit)
      problem = 'the mesh has no such physical group';
    else
      problem = sprintf('that group has dimension %d, not %d', groups(hit(1)).dim, dim);
    end
    error('gmsh_model:group', 'gmsh_model: %s "%s": %s; the groups are: %s', what, ...
          num2str(ref), problem, group_list(groups));
  end
  g = groups(right(1));
end

function s = group_label(g)
  if isempty(g.name)
    s = sprintf('%d', g.tag);
  else
    s = sprintf('"%s" (%d)', g.name, g.tag);
  end
end

function s = group_list(groups)
  if isempty(groups)
    s = 'none';
    return;
  end
  kinds = {'point', 'curve', 'surface', 'volume'};
  parts = cell(1, numel(groups));
  for i = 1:numel(groups)
    parts{i} = sprintf('%s %s', kinds{groups(i).dim + 1}, group_label(groups(i)));
  end
  s = strjoin(parts, ', ');
end

function a = triangle_areas(P, t)
  n = cross(P(:, t(2, :)) - P(:, t(1, :)), P(:, t(3, :)) - P(:, t(1, :)), 1);
  a = sqrt(sum(n .^ 2, 1)) / 2;
end

function v = tet_volumes(P, T)
  a = P(:, T(1, :));
  v = abs(dot(P(:, T(2, :)) - a, cross(P(:, T(3, :)) - a, P(:, T(4, :)) - a, 1), 1)) / 6;
end

function h = median_edge(P, tri, tet)
  pairs = zeros(2, 0);
  if ~isempty(tri)
    pairs = reshape(tri([1 2 3; 2 3 1], :), 2, []);
  end
  if ~isempty(tet)
    pairs = [pairs, reshape(tet([1 1 1 2 2 3; 2 3 4 3 4 4], :), 2, [])];
  end
  h = median(sqrt(sum((P(:, pairs(1, :)) - P(:, pairs(2, :))) .^ 2, 1)));
end

% Overlapping regions: a tetrahedron listed in two groups, a face of more than two
% tetrahedra (meshes that share vertices but overlap), or the centroid of a tetrahedron
% strictly inside a tetrahedron of another region (meshes that intersect without sharing
% vertices).
function check_overlap(P, tet, region, regions)
  if isempty(tet)
    return;
  end
  key = sort(tet, 1)';
  [~, first, which] = unique(key, 'rows', 'first');
  twice = find(first(which) ~= (1:size(tet, 2))', 1);
  if ~isempty(twice)
    a = region(first(which(twice)));
    b = region(twice);
    error('gmsh_model:overlap', ['gmsh_model: dielectric volumes %s and %s overlap: they ' ...
          'share tetrahedra'], group_label(regions(a)), group_label(regions(b)));
  end
  faces = sort(reshape(tet([2 3 4 1 3 4 1 2 4 1 2 3], :), 3, []), 1)';
  [~, ~, which] = unique(faces, 'rows');
  count = accumarray(which, 1);
  if any(count > 2)
    error('gmsh_model:overlap', ['gmsh_model: the dielectric volumes overlap: %d faces are ' ...
          'shared by more than two tetrahedra'], sum(count > 2));
  end
  hit = centroid_inside(P, tet, region);
  if ~isempty(hit)
    error('gmsh_model:overlap', ['gmsh_model: dielectric volumes %s and %s overlap: their ' ...
          'meshes intersect'], group_label(regions(hit(1))), group_label(regions(hit(2))));
  end
end

% The regions [a, b] of the first tetrahedron centroid of region a found strictly inside
% a tetrahedron of region b ~= a; [] when none. The tetrahedra are bucketed in a grid of
% cells as large as the largest tetrahedron, so each centroid is tested only against the
% tetrahedra of its own cell.
function hit = centroid_inside(P, tet, region)
  hit = [];
  nt = size(tet, 2);
  if max(region) < 2
    return;
  end
  X = reshape(P(:, tet), 3, 4, nt);
  lo = squeeze(min(X, [], 2));
  hi = squeeze(max(X, [], 2));
  c = squeeze(mean(X, 2));
  lo = reshape(lo, 3, nt);
  hi = reshape(hi, 3, nt);
  c = reshape(c, 3, nt);
  cell_size = max(hi - lo, [], 2) * (1 + 1e-9);
  origin = min(lo, [], 2);
  % Each tetrahedron spans at most two cells per axis: list it in all eight corners' cells.
  i0 = floor((lo - origin) ./ cell_size);
  dims = max(floor((hi - origin) ./ cell_size), [], 2) + 2;
  keys = zeros(8, nt);
  corner = 0;
  for dx = 0:1
    for dy = 0:1
      for dz = 0:1
        corner = corner + 1;
        q = i0 + [dx; dy; dz];
        keys(corner, :) = q(1, :) + dims(1) * (q(2, :) + dims(2) * q(3, :));
      end
    end
  end
  owner = repmat(1:nt, 8, 1);
  [keys, order] = sort(keys(:));
  owner = owner(order);
  [keys, first] = unique(keys, 'first');
  last = [first(2:end) - 1; numel(owner)];
  qc = floor((c - origin) ./ cell_size);
  qkey = qc(1, :) + dims(1) * (qc(2, :) + dims(2) * qc(3, :));
  [found, where] = ismember(qkey, keys);
  % Candidate pairs (centroid i, tetrahedron j) of different regions.
  counts = zeros(1, nt);
  counts(found) = last(where(found)) - first(where(found)) + 1;
  ci = repelem(1:nt, counts);
  starts = zeros(1, nt);
  starts(found) = first(where(found));
  offs = (1:numel(ci)) - repelem(cumsum([0, counts(1:end - 1)]), counts) - 1;
  tj = owner(starts(ci) + offs)';
  keep = region(ci) ~= region(tj);
  ci = ci(keep);
  tj = tj(keep);
  % Barycentric coordinates of centroid i in tetrahedron j, in blocks.
  for s = 1:200000:numel(ci)
    b = s:min(s + 199999, numel(ci));
    A = X(:, 1, tj(b));
    M = [X(:, 2, tj(b)) - A, X(:, 3, tj(b)) - A, X(:, 4, tj(b)) - A];   % 3 x 3 x n
    r = reshape(c(:, ci(b)), 3, 1, []) - A;
    lam = solve3(M, r);
    l4 = 1 - sum(lam, 1);
    tol = 1e-6;
    inside = all(lam > tol, 1) & l4 > tol;
    k = find(inside, 1);
    if ~isempty(k)
      hit = [region(ci(b(k))), region(tj(b(k)))];
      return;
    end
  end
end

% Solves M(:, :, n) * x(:, n) = r(:, 1, n) for many 3 x 3 systems (Cramer's rule).
function x = solve3(M, r)
  a = M(:, 1, :);
  b = M(:, 2, :);
  c = M(:, 3, :);
  det = dot(a, cross(b, c, 1), 1);
  x = [dot(r, cross(b, c, 1), 1); dot(a, cross(r, c, 1), 1); dot(a, cross(b, r, 1), 1)] ./ det;
  x = reshape(x, 3, []);
end
