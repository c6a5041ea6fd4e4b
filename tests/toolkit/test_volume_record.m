% The volume side of the toolkit: tetrahedron rules (degree by exact monomial means), the
% mesh tables against a brute-force construction and the counting laws of a ball and a
% shell, the retained count, the nontrivial-face reduction, the units of the permittivity
% and the metal-dielectric coupling tables.

% Tetrahedron rules. Mean of x^i y^j z^l over the reference tetrahedron: 6 i! j! l! / (i+j+l+3)!.
mean_monomial = @(i, j, l) 6 * factorial(i) * factorial(j) * factorial(l) / factorial(i + j + l + 3);
expected_degree = containers.Map({1, 4, 5, 11}, {1, 2, 3, 4});
for n = [1 4 5 11]
  [c, w, d] = tetra_rule(n);
  assert(isequal(size(c), [4 n]) && isequal(size(w), [1 n]), sprintf('%d-point shapes', n));
  assert(d == expected_degree(n), sprintf('%d-point rule: degree %d', n, d));
  assert(abs(sum(w) - 1) < 1e-14, sprintf('%d-point weights sum to %.17g', n, sum(w)));
  assert(all(abs(sum(c, 1) - 1) < 1e-14) && all(c(:) > 0), sprintf('%d-point coordinates', n));
  worst = zeros(1, d + 2);
  for deg = 0:d + 1
    for i = 0:deg
      for j = 0:deg - i
        l = deg - i - j;
        err = abs(sum(w .* c(2, :) .^ i .* c(3, :) .^ j .* c(4, :) .^ l) - mean_monomial(i, j, l));
        worst(deg + 1) = max(worst(deg + 1), err);
      end
    end
  end
  assert(max(worst(1:d + 1)) < 1e-14, sprintf('%d-point rule misses degree %d', n, d));
  assert(worst(d + 2) > 1e-6, sprintf('%d-point rule is exact beyond degree %d', n, d));
  key = @(c, w) sortrows(round([c; w]' * 1e12));
  for perm = perms(1:4)'
    assert(isequal(key(c(perm, :), w), key(c, w)), sprintf('%d-point symmetry', n));
  end
end

% Mesh tables of a gmsh ball against brute force: an edge is a vertex pair some tetrahedron
% holds, a face a triple, and TET lists exactly the tetrahedra holding a face.
[P, T] = sphere_volume_mesh(1, 0.5);
[Ts, Edges, Faces, TET] = volume_mesh_tables(T([3 1 4 2], :));
assert(isequal(Ts, sort(T, 1)) && all(all(diff(Ts, 1, 1) > 0)), 'tetrahedra sorted ascending');
nt = size(T, 2);
np = size(P, 2);
A = sparse(T(:), repmat(1:nt, 4, 1)(:), 1, np, nt);
[i, j] = find(triu(A * A', 1));
assert(isequal(sortrows([i j]), Edges'), 'edges against the vertex-pair incidence');
assert(all(all(diff(Faces, 1, 1) > 0)) && size(unique(Faces', 'rows'), 1) == size(Faces, 2), ...
       'faces ascending and distinct');
holders = arrayfun(@(f) {find(full(sum(A(Faces(:, f), :), 1)) == 3)}, 1:size(Faces, 2));
expect = cell2mat(cellfun(@(h) [h(:); zeros(2 - numel(h), 1)], holders, 'UniformOutput', false));
assert(isequal(TET, expect), 'TET against the tetrahedra holding each face');
% Counting laws of a ball: 4 Nt = 2 interior + boundary faces; V - E + F - T = 1.
nb = sum(TET(2, :) == 0);
assert(4 * nt == 2 * (size(Faces, 2) - nb) + nb, 'faces per tetrahedron');
assert(np - size(Edges, 2) + size(Faces, 2) - nt == 1, 'Euler characteristic of a ball');

% Volume record of the lossless ball (eps_r = 4): basis keeps Ne - Nv + 1 functions, the
% nontrivial faces are exactly the boundary faces, widened to 6 rows, and the quadrature
% points average to the centroids.
const = em_constants('normalized', 4, 0);
G = volume_record(P, T, const, 5, 6, 4);
assert(G.EdgesTotal == size(Edges, 2) - np + 1, sprintf('%d functions kept', G.EdgesTotal));
assert(isequal(G.FaceIndex, find(TET(2, :) == 0)), 'nontrivial faces = boundary faces');
assert(G.FacesNontrivial == nb && isequal(G.MeshFaces, Faces(:, TET(2, :) == 0)), 'face set');
assert(isequal(size(G.EdgesFN), [6 nb]) && ~any(G.EdgesFN(4:6, :)(:)) ...
       && ~any(G.DiffContrast_real(4:6, :)(:)) && all(G.EdgesFNI >= 1), 'widened face tables');
% The jump across a boundary face is the contrast 1 - 1/4 in magnitude.
valid = (1:6)' <= G.EdgesFNI;
expect_close(abs(G.DiffContrast_real(valid)), 0.75 * ones(nnz(valid), 1), 1e-12, 'boundary contrast jump');
expect_close(G.Contrast_real, 0.75 * ones(1, nt), 1e-12, 'contrast 1 - 1/eps_r');
qt = reshape(G.PointsT, 3, G.OrderT, []);
expect_close(reshape(sum(qt .* reshape(G.WT, 1, []), 2), 3, []), G.CenterT, 1e-12, 'tet points');
qf = reshape(G.PointsF, 3, G.OrderF, []);
expect_close(reshape(sum(qf .* reshape(G.WF, 1, []), 2), 3, []), G.CenterF, 1e-12, 'face points');
% The volume of the tetrahedra against the boundary flux of r/3 (divergence theorem), each
% boundary face oriented away from its tetrahedron.
B = Faces(:, TET(2, :) == 0);
W1 = P(:, B(1, :));
nrm = cross(P(:, B(2, :)) - W1, P(:, B(3, :)) - W1, 1);
away = sign(dot(nrm, W1 - G.CenterT(:, TET(1, TET(2, :) == 0)), 1));
expect_close(sum(G.VolumeT), sum(away .* dot(W1, nrm, 1)) / 6, 1e-12, 'divergence theorem');
assert(all(G.TTJS <= G.TTIS) && sum(G.TTIS == G.TTJS) == nt, 'tetrahedron pairs with self pairs');
assert(sum(G.FFIS == G.FFJS) == nb, 'face pairs with self pairs');

% Units: the modules take the absolute permittivity in the unit of epsilon. SI and
% normalised records have the same contrasts; the literal (relative) value in SI does not.
si = em_constants('si', 4, 0.5);
expect_close(si.Epsilon_r, 4 * 8.8541878128e-12, 1e-15, 'SI permittivity is eps0 eps_r');
n05 = em_constants('normalized', 4, 0.5);
Gs = volume_record(P, T, si, 1, 1, 0);
Gn = volume_record(P, T, n05, 1, 1, 0);
expect_close([Gs.Contrast_real, Gs.Contrast_imag], [Gn.Contrast_real, Gn.Contrast_imag], 1e-12, ...
             'SI against normalised contrast');
expect_close(complex(Gn.Contrast_real(1), Gn.Contrast_imag(1)), 1 - 1 / (4 * (1 - 0.5i)), ...
             1e-12, 'lossy contrast 1 - 1/(eps_r (1 - j tan_delta))');
wrong = si;
wrong.Epsilon_r = 4;
Gw = volume_record(P, T, wrong, 1, 1, 0);
assert(abs(Gw.Contrast_real(1) - 1) < 1e-10, 'a relative value in SI units means no dielectric');

% A PEC core in a coating: the core's surface is the coating's inner boundary, and every
% metal triangle is paired with the dielectric face it coincides with, at the face's own
% mean 1/R (seam_pairs of that face alone).
r = dielectric_study('core', 0.6, 'ka', 1, 'unknowns', 500, 'ntheta', 3, ...
                            'time_fill', false);
G = r.GEOM;
[~, ~, Fs, TETs] = volume_mesh_tables(G.MeshT);
assert(G.FacesNontrivial == sum(TETs(2, :) == 0) && G.FacesNontrivial > r.triangles, ...
       'coating: inner and outer boundary faces are nontrivial');
assert(G.EdgesTotal == G.MeshEdgesTotal - G.MeshVerticesTotal + 1, 'shell keeps Ne - Nv + 1');
mt = r.geom;
Pt = G.MeshP;
[c6, w6] = triangle_rule(6);
same = 0;
for p = 1:numel(G.tFIS)
  tri = G.tFIS(p) + 1;
  face = G.MeshFaces(:, G.tFJS(p) + 1);
  if norm(mt.PointsFC(:, tri) - G.CenterF(:, G.tFJS(p) + 1)) < 1e-12
    same = same + 1;
    self = seam_pairs(Pt, face, c6, w6, 1);
    expect_close(G.tFSS(p), self.SS, 1e-12, 'coincident pair: the face''s self value');
  end
end
assert(same == r.triangles, sprintf('%d of %d metal triangles paired with their face', same, ...
       r.triangles));
assert(all(G.tFJS < G.FacesNontrivial) && all(G.tFIS < r.triangles), 'table index ranges');
assert(size(G.TtRS, 1) == 9 && numel(G.TtIS) == size(G.TtRS, 2), 'TtRS is 9 x K');
