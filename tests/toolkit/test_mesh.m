% Mesh input and the surface record: the gmsh 2.2 reader on a hand-written file, the surface
% check on a regular octahedron and on damaged copies of it, the RWG construction against
% geometric facts, and gmsh sphere meshes (surface and two-layer volume).

% --- Reader: node tags with gaps, elements with 0, 2 and 3 tags, every supported type.
file = [tempname() '.msh'];
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n5\n');
fprintf(fid, '10 0 0 0\n20 1 0 0\n30 0 1 0\n40 0 0 1\n55 1.5 -2.5 3.25e-1\n$EndNodes\n');
fprintf(fid, '$Elements\n6\n1 15 2 7 1 10\n2 1 2 0 3 20 30\n3 2 2 5 9 10 20 30\n');
fprintf(fid, '4 2 3 6 8 2 10 30 40\n5 4 2 11 12 10 20 30 40\n6 2 0 20 30 55\n$EndElements\n');
fclose(fid);
m = read_msh(file);
delete(file);
assert(isequal(m.node_tags, [10 20 30 40 55]));
assert(isequal(m.P(:, 5), [1.5; -2.5; 0.325]));
assert(isequal(m.tri, [1 1 2; 2 3 3; 3 4 5]), 'triangle vertices (renumbered)');
assert(isequal(m.tri_phys, [5 6 0]) && isequal(m.tri_geo, [9 8 0]), 'triangle tags');
assert(isequal(m.tet, [1; 2; 3; 4]) && m.tet_phys == 11 && m.tet_geo == 12, 'tetrahedron');
assert(isequal(m.lines, [2; 3]) && isequal(m.points, 1), 'points and lines');

% Refused formats and damaged files end with identified errors.
file = [tempname() '.msh'];
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n3.0 0 8\n$EndMeshFormat\n');
fclose(fid);
expect_error(@() read_msh(file), 'read_msh:format', 'msh22');
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n4.1 1 8\n$EndMeshFormat\n');   % binary
fclose(fid);
expect_error(@() read_msh(file), 'read_msh:format');
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n2\n1 0 0 0\n$EndNodes\n');
fprintf(fid, '$Elements\n0\n$EndElements\n');
fclose(fid);
expect_error(@() read_msh(file), 'read_msh:nodes');
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n1\n1 0 0 0\n$EndNodes\n');
fprintf(fid, '$Elements\n1\n1 2 2 0 0 1 1 7\n$EndElements\n');
fclose(fid);
expect_error(@() read_msh(file), 'read_msh:node');
fid = fopen(file, 'w');
fprintf(fid, '$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n1\n1 0 0 0\n$EndNodes\n');
fprintf(fid, '$Elements\n2\n1 2 2 0 0 1 1 1\n2 2 2 0\n$EndElements\n');
fclose(fid);
expect_error(@() read_msh(file), 'read_msh:elements');
delete(file);
expect_error(@() read_msh('/nonexistent/mesh.msh'), 'read_msh:open');

% --- Surface check on a regular octahedron (vertices on the axes at distance 1).
P = [1 -1 0 0 0 0; 0 0 1 -1 0 0; 0 0 0 0 1 -1];
t = [1 3 5; 3 2 5; 2 4 5; 4 1 5; 3 1 6; 2 3 6; 4 2 6; 1 4 6]';
[ok, info] = check_surface(P, t);
assert(ok && isempty(info.message), info.message);
assert(info.edges == 12 && info.euler == 2);
assert(abs(info.volume - 4 / 3) < 1e-14 && abs(info.area - 4 * sqrt(3)) < 1e-14);
% One triangle flipped: its three edges are traversed twice in the same direction.
bad = t;
bad(:, 2) = bad([1 3 2], 2);
[ok, info] = check_surface(P, bad);
assert(~ok && ~info.oriented && info.misoriented_edges == 3 && info.closed);
% All flipped: consistent but inward.
[ok, info] = check_surface(P, t([1 3 2], :));
assert(~ok && info.oriented && ~info.outward && abs(info.volume + 4 / 3) < 1e-14);
% A triangle removed: open with three boundary edges.
[ok, info] = check_surface(P, t(:, 1:7));
assert(~ok && ~info.closed && info.boundary_edges == 3, info.message);
% A fin on an edge: non-manifold.
[ok, info] = check_surface([P, [2; 2; 0]], [t, [1; 3; 7]]);
assert(~ok && info.nonmanifold_edges == 1);
% In the record the fin's edge is a junction of three triangles: two functions, both from
% its lowest-numbered triangle (1, to 5 and to the fin 9); the other eleven edges keep one.
g = surface_record([P, [2; 2; 0]], [t, [1; 3; 7]], 3, 0);
r = rwg_functions([t, [1; 3; 7]]);
assert(g.EdgesTotal == 13 && sum(r.junction) == 2 && isequal(r.vertices(:, r.junction), [1 1; 3 3]));
assert(isequal(g.TriP(r.junction), [1 1]) && isequal(g.TriM(r.junction), [5 9]));
% A degenerate (zero-area) triangle is reported.
[ok, info] = check_surface([P, [0.5; 0.5; 0]], [t, [1 3 7; 3 1 7]']);
assert(~ok && info.degenerate == 2);

% --- RWG record on the octahedron and on an open mesh.
function check_record(P, t, g)
  nt = size(t, 2);
  [c, w] = triangle_rule(g.OrderM);
  assert(g.TrianglesTotal == nt && abs(sum(g.WM) - 1) < 1e-15 && isequal(g.WM, w));
  assert(all(g.TriP < g.TriM), 'the plus triangle is the lower-numbered one');
  for n = 1:g.EdgesTotal
    tp = t(:, g.TriP(n));
    tm = t(:, g.TriM(n));
    ep = tp([1:g.VerP(n) - 1, g.VerP(n) + 1:3]);
    em = tm([1:g.VerM(n) - 1, g.VerM(n) + 1:3]);
    assert(isequal(sort(ep), sort(em)), 'both triangles hold the edge opposite their slot');
    assert(abs(g.EdgeLength(n) - norm(P(:, ep(1)) - P(:, ep(2)))) < 1e-14);
    % The normal component of the RWG function across its edge is 1 on both sides: with
    % rho(r) = rho_c + (r - c) evaluated at the edge midpoint, l/(2A) rho . m = 1 where m is
    % the in-plane unit normal of the edge pointing from the plus into the minus triangle.
    mid = (P(:, ep(1)) + P(:, ep(2))) / 2;
    along = P(:, ep(2)) - P(:, ep(1));
    for side = [1 -1]
      if side == 1
        tri = g.TriP(n); slot = g.VerP(n); free = P(:, tp(slot));
      else
        tri = g.TriM(n); slot = g.VerM(n); free = P(:, tm(slot));
      end
      away = (mid - free) - along * (dot(mid - free, along) / dot(along, along));
      mhat = side * away / norm(away);
      rho = g.PointsFCRho(:, 3 * (tri - 1) + slot) + mid - g.PointsFC(:, tri);
      flux = side * g.EdgeLength(n) / (2 * g.AreaF(tri)) * dot(rho, mhat);
      assert(abs(flux - 1) < 1e-12, sprintf('edge %d: normal component %g', n, flux));
    end
  end
  % Quadrature points and rho vectors against the vertices directly.
  for i = 1:nt
    V = P(:, t(1:3, i));
    assert(norm(g.PointsM(:, (i - 1) * g.OrderM + (1:g.OrderM)) - V * c) < 1e-14);
    for s = 1:3
      cols = ((i - 1) * 3 + s - 1) * g.OrderM + (1:g.OrderM);
      assert(norm(g.PointsMRho(:, cols) - (V * c - V(:, s))) < 1e-14);
    end
  end
end

g = surface_record(P, t, 7, 0);
assert(g.EdgesTotal == 12 && isempty(g.ttIS) && isequal(size(g.ttRS), [9 0]));
check_record(P, t, g);
g = surface_record(P, t(:, [1 2 4 5 8]), 3, 0);   % open: only the shared edges
assert(g.EdgesTotal == 5);
check_record(P, t(:, [1 2 4 5 8]), g);
expect_error(@() surface_record(P, t + 1, 3, 0), 'surface_record:t');
expect_error(@() surface_record(P, t, 5, 0), 'triangle_rule:npoints');

% --- gmsh sphere surface: on the sphere, closed, outward, near the requested size.
[Ps, ts] = sphere_surface_mesh(0.7, 'unknowns', 600);
[ok, info] = check_surface(Ps, ts);
assert(ok, info.message);
assert(max(abs(sqrt(sum(Ps .^ 2, 1)) - 0.7)) < 1e-9, 'vertices on the sphere');
assert(abs(info.edges / 600 - 1) < 0.05, sprintf('%d edges for 600 requested', info.edges));
assert(info.area < 4 * pi * 0.49 && info.area > 0.97 * 4 * pi * 0.49, 'inscribed area');
g = surface_record(Ps, ts, 6, 0);
assert(g.EdgesTotal == 1.5 * size(ts, 2));
% Every triangle is the plus or the minus triangle of exactly three functions.
assert(all(accumarray([g.TriP(:); g.TriM(:)], 1) == 3));

% --- The same gmsh mesh written in formats 2.2 and 4.1 reads the same, physical groups
% included (second-order elements are skipped).
base = tempname();
fid = fopen([base '.geo'], 'w');
fprintf(fid, ['SetFactory("OpenCASCADE");\nSphere(1) = {0, 0, 0, 0.5};\n' ...
              'Sphere(2) = {0, 0, 0, 1};\n' ...
              'BooleanFragments{ Volume{1:2}; Delete; }{ }\nPhysical Volume(7) = {1};\n' ...
              'Physical Volume(8) = {2};\nPhysical Surface(9) = {2};\n' ...
              'Mesh.MeshSizeMax = 0.4;\nMesh.MeshSizeMin = 0.4;\n']);
fclose(fid);
[status, out] = system(sprintf('gmsh -3 -format msh41 -o %s.41.msh %s.geo 2>&1', base, base));
assert(status == 0, out);
[status, out] = system(sprintf('gmsh -3 -format msh22 -o %s.22.msh %s.geo 2>&1', base, base));
assert(status == 0, out);
[status, out] = system(sprintf('gmsh -3 -order 2 -format msh41 -o %s.o2.msh %s.geo 2>&1', ...
                               base, base));
assert(status == 0, out);
m41 = read_msh([base '.41.msh']);
m22 = read_msh([base '.22.msh']);
mo2 = read_msh([base '.o2.msh']);
delete([base '.geo'], [base '.41.msh'], [base '.22.msh'], [base '.o2.msh']);
assert(isequal(m41.node_tags, m22.node_tags) && isequal(m41.P, m22.P), '4.1 nodes');
assert(isequal(m41.tet, m22.tet) && isequal(m41.tet_phys, m22.tet_phys), '4.1 tetrahedra');
assert(isequal(m41.tri, m22.tri) && isequal(m41.tri_phys, m22.tri_phys), '4.1 triangles');
assert(isequal(unique(m41.tet_phys), [7 8]) && all(m41.tri_phys == 9), 'physical groups');
assert(isempty(mo2.tet) && isempty(mo2.tri), 'second-order elements are skipped');

% --- Two concentric spheres meshed in tetrahedra: the layers fill their shells.
base = tempname();
sphere_geo([base '.geo'], [0.6 1], 0.25);
run_gmsh([base '.geo'], 3, [base '.msh']);
mv = read_msh([base '.msh']);
delete([base '.geo'], [base '.msh']);
T = mv.tet;
a = mv.P(:, T(1, :)); b = mv.P(:, T(2, :)); c = mv.P(:, T(3, :)); d = mv.P(:, T(4, :));
vol = abs(dot(b - a, cross(c - a, d - a, 1), 1)) / 6;
r = sqrt(sum(((a + b + c + d) / 4) .^ 2, 1));
core = mv.tet_geo == 1;
assert(isequal(unique(mv.tet_geo), [1 2]), 'one volume entity per layer');
assert(all(r(core) < 0.6) && all(r(~core) > 0.45), 'entity 1 is the core');
assert(abs(sum(vol) / (4 / 3 * pi) - 1) < 0.03, 'total volume');
assert(abs(sum(vol(core)) / (4 / 3 * pi * 0.216) - 1) < 0.08, 'core volume');
