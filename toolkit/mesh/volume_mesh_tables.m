% VOLUME_MESH_TABLES  Edge, face and face-neighbour tables of a tetrahedral mesh, for basis.
%   [T, Edges, Faces, TET] = volume_mesh_tables(T)
%
%   T      4 x Nt tetrahedra (1-based vertex numbers; further rows are ignored).
%
%   T      the tetrahedra with the vertex numbers of every column sorted ascending.
%   Edges  2 x Ne all distinct edges as ascending vertex pairs, sorted by (first, second).
%   Faces  3 x Nf all distinct faces as ascending vertex triples, sorted likewise.
%   TET    2 x Nf the tetrahedra on the two sides of each face (1-based, the lower number
%          first); 0 in row 2 for a boundary face.
%
%   basis matches every local edge (A, B) of a tetrahedron, taken in the tetrahedron's own
%   vertex order, against the ordered pairs of Edges. Sorting the tetrahedra makes every
%   local edge ascending, so it is found; the column order of T changes nothing else (basis
%   takes volumes without sign). A face shared by more than two tetrahedra is an error.
%
%   Example:
%     [T, Edges, Faces, TET] = volume_mesh_tables(msh.tet);
%     S = basis(P, T, Faces, Edges, TET, const);
%
%   See also BASIS, VOLUME_RECORD.
function [T, Edges, Faces, TET] = volume_mesh_tables(T)
  if nargin ~= 1 || ~isnumeric(T) || size(T, 1) < 4 || ndims(T) ~= 2
    error('volume_mesh_tables:usage', ...
          'usage: [T, Edges, Faces, TET] = volume_mesh_tables(T (4 x Nt))');
  end
  T = sort(fix(double(T(1:4, :))), 1);
  nt = size(T, 2);
  if any(T(:) < 1)
    error('volume_mesh_tables:T', 'volume_mesh_tables: vertex numbers must be positive');
  end
  % Local edges in the slot order p0p1, p0p2, p0p3, p1p2, p1p3, p2p3.
  ends = [1 1 1 2 2 3; 2 3 4 3 4 4];
  all_edges = reshape(T(ends(:), :), 2, 6 * nt);
  Edges = unique(all_edges', 'rows')';
  % Local faces: the triple opposite each vertex.
  sides = [2 1 1 1; 3 3 2 2; 4 4 4 3];
  all_faces = reshape(T(sides(:), :), 3, 4 * nt)';
  [Faces, ~, which] = unique(all_faces, 'rows');
  Faces = Faces';
  nf = size(Faces, 2);
  owner = reshape(repmat(1:nt, 4, 1), [], 1);
  count = accumarray(which(:), 1, [nf, 1]);
  if any(count > 2)
    error('volume_mesh_tables:faces', ...
          'volume_mesh_tables: %d faces are shared by more than two tetrahedra', sum(count > 2));
  end
  % owner is ascending, so within a face the first occurrence is the lower tetrahedron.
  [ws, order] = sort(which(:));
  os = owner(order);
  first = [true; ws(2:end) ~= ws(1:end - 1)];
  TET = zeros(2, nf);
  TET(1, ws(first)) = os(first);
  TET(2, ws(~first)) = os(~first);
  if nt == 0
    Edges = zeros(2, 0);
    Faces = zeros(3, 0);
  end
end
