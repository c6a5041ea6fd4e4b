% VOLUME_RECORD  Build the volume mesh record GEOM of a tetrahedral dielectric mesh.
%   GEOM = volume_record(P, T, const)
%   GEOM = volume_record(P, T, const, tet_points, face_points, near_factor)
%   [GEOM, seconds] = volume_record(...)
%
%   P            3 x Np vertex coordinates.
%   T            4 x Nt tetrahedra (1-based vertex numbers; the vertex order of a column does
%                not matter, they are sorted here).
%   const        constants record (em_constants) with Epsilon_r and tan_delta holding one
%                value per tetrahedron (or one value for all): Epsilon_r is the absolute
%                permittivity in the unit of const.epsilon, which em_constants forms from the
%                relative permittivity the user gives.
%   tet_points   points of the tetrahedron rule for PointsT/WT and cell_pairs (1, 4, 5 or
%                11; default 4).
%   face_points  points of the triangle rule for PointsF/WF and seam_pairs (default 6).
%   near_factor  near-pair factor of cell_pairs and seam_pairs (default 9; 0 leaves the near
%                tables empty), or [cell, seam] to give each table its own factor.
%
%   Steps: volume_mesh_tables gives the ascending tetrahedra, all edges, all faces and the
%   tetrahedra beside each face; basis gives the kept edge functions (a simply connected
%   body keeps Ne - Nv + 1), their constant vectors, the contrasts and the contrast jumps of
%   every face. Only the nontrivial faces enter the record: those carrying a kept function
%   whose contrast jump is not zero (|jump| > 1e-12 max(1, |kappa|)); for a homogeneous body
%   these are the boundary faces, for a coating on a metal core its inner and outer surfaces.
%   The per-face tables are reduced to them and widened from 3 to 6 rows (rows 4..6 zero).
%   BasisTCn = BasisTC: the material term of the matrix is the integral of
%   kappa b_m . D / eps over each tetrahedron, with D = sum x_n b_n.
%
%   GEOM fields: the fields hybrid_matrix and excite_cells read (TetrahedraTotal, EdgesTotal,
%   FacesNontrivial, OrderT, OrderF, EdgesTN, EdgesTNI, BasisTC, BasisTCn, VolumeT, CenterT,
%   Contrast_real, Contrast_imag, EdgesFN, EdgesFNI, DiffContrast_real, DiffContrast_imag,
%   CenterF, PointsT, WT, PointsF, WF, TTIS, TTJS, TTSS, FFIS, FFJS, FFSS), and for the host:
%     Edge        2 x Nv vertex pairs of the kept edges (function n lives on Edge(:, n))
%     MeshP       the vertices P;  MeshT  the sorted tetrahedra (4 x Nt)
%     MeshFaces   3 x F vertex triples of the nontrivial faces (the order of the face fields)
%     FaceIndex   1 x F their columns in the full face table
%     MeshEdgesTotal, MeshVerticesTotal   Ne and the number of vertices the tetrahedra use
%   Add the metal coupling tables with coupling_tables.
%   seconds: wall-clock time of the tables and basis (record) and of cell_pairs and
%   seam_pairs (tables).
%
%   Example:
%     const = em_constants('normalized', 4 * ones(1, size(T, 2)), 0);
%     GEOM = volume_record(P, T, const);
%     X = hybrid_matrix([], GEOM, const, k, 0, 1, excite_cells(GEOM, E));
%
%   See also VOLUME_MESH_TABLES, BASIS, TETRA_RULE, COUPLING_TABLES, HYBRID_MATRIX.
function [GEOM, seconds] = volume_record(P, T, const, tet_points, face_points, near_factor)
  if nargin < 3 || nargin > 6
    error('volume_record:usage', ['usage: GEOM = volume_record(P, T, const, tet_points, ' ...
          'face_points, near_factor)']);
  end
  if nargin < 4 || isempty(tet_points)
    tet_points = 4;
  end
  if nargin < 5 || isempty(face_points)
    face_points = 6;
  end
  if nargin < 6 || isempty(near_factor)
    near_factor = 9;
  end
  if ~isnumeric(P) || ~isreal(P) || size(P, 1) ~= 3 || ndims(P) ~= 2
    error('volume_record:P', 'volume_record: P must be a real 3 x Np matrix of vertices');
  end
  if ~isnumeric(T) || size(T, 1) < 4 || ndims(T) ~= 2 || isempty(T)
    error('volume_record:T', 'volume_record: T must be a 4 x Nt matrix of tetrahedra');
  end
  if ~isstruct(const) || ~all(isfield(const, {'epsilon', 'Epsilon_r', 'tan_delta'}))
    error('volume_record:const', ['volume_record: const must be a constants record with ' ...
          'epsilon, Epsilon_r and tan_delta (em_constants)']);
  end
  if ~isnumeric(near_factor) || ~any(numel(near_factor) == [1 2]) || ~isreal(near_factor) ...
     || ~all(near_factor >= 0)
    error('volume_record:near_factor', ...
          'volume_record: near_factor must be a non-negative real scalar or a pair');
  end
  near_factor = double(near_factor([1, end]));
  for need = {'basis', 'cell_pairs', 'seam_pairs'}
    if exist(need{1}) ~= 3
      error('volume_record:module', ['volume_record: the %s module is not on the path ' ...
            '(add the build/mex folder)'], need{1});
    end
  end
  P = double(P);
  nt = size(T, 2);
  if any(T(:) < 1 | T(:) > size(P, 2))
    error('volume_record:T', 'volume_record: T refers to vertices outside 1..%d', size(P, 2));
  end
  const.Epsilon_r = spread(const.Epsilon_r, nt, 'Epsilon_r');
  const.tan_delta = spread(const.tan_delta, nt, 'tan_delta');
  [coeffT, weightsT] = tetra_rule(tet_points);
  [coeffF, weightsF] = triangle_rule(face_points);
  clock0 = tic();

  [T, Edges, Faces, TET] = volume_mesh_tables(T);
  S = basis(P, T, Faces, Edges, TET, const);

  % Nontrivial faces: a kept function with a non-zero contrast jump.
  kappa = complex(S.Contrast_real, S.Contrast_imag);
  jump = complex(S.DiffContrast_real, S.DiffContrast_imag);
  valid = (1:3)' <= S.EdgesFNI;
  tol = 1e-12 * max(1, max(abs(kappa)));
  keep = find(any(valid & abs(jump) > tol, 1));
  nf = numel(keep);

  GEOM = volume_geom(S, P, T, Faces, Edges, keep, coeffT, weightsT, coeffF, weightsF);
  seconds.record = toc(clock0);

  clock0 = tic();
  tt = cell_pairs(P, T, coeffT, weightsT, near_factor(1));
  GEOM.TTIS = reshape(tt.IS, 1, []);
  GEOM.TTJS = reshape(tt.JS, 1, []);
  GEOM.TTSS = reshape(tt.SS, 1, []);
  if nf > 0
    ff = seam_pairs(P, GEOM.MeshFaces, coeffF, weightsF, near_factor(2));
  else
    ff = struct('IS', [], 'JS', [], 'SS', []);
  end
  GEOM.FFIS = reshape(ff.IS, 1, []);
  GEOM.FFJS = reshape(ff.JS, 1, []);
  GEOM.FFSS = reshape(ff.SS, 1, []);
  seconds.tables = toc(clock0);
end

function v = spread(v, nt, name)
  v = reshape(double(v), 1, []);
  if isscalar(v)
    v = repmat(v, 1, nt);
  elseif numel(v) < nt
    error('volume_record:const', 'volume_record: const.%s holds %d values for %d tetrahedra', ...
          name, numel(v), nt);
  end
end
