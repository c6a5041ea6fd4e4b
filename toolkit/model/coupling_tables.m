% COUPLING_TABLES  Near-pair tables between metal triangles and a dielectric volume.
%   GEOM = coupling_tables(GEOM, Pt, t)
%   GEOM = coupling_tables(GEOM, Pt, t, npoints, near_factor)
%   [GEOM, seconds] = coupling_tables(...)
%
%   GEOM         volume record (volume_record, which keeps MeshP, MeshT and MeshFaces).
%   Pt, t        the metal mesh: 3 x Npt vertices and 3 x Nt triangles (1-based; a 4th row
%                is ignored), the mesh of the surface record geom, in the same triangle order.
%   npoints      points of the triangle rule for both tables (default 6).
%   near_factor  near-pair factor (default 9).
%
%   Adds the two coupling tables hybrid_matrix reads when a surface record is given too:
%     TtIS, TtJS, TtRS  (metal triangle, tetrahedron) pairs from cell_plate_pairs; its "RS"
%                       (1 x 9K) stored as the 9 x K TtRS.
%     tFIS, tFJS, tFSS  (metal triangle, nontrivial face) pairs with the mean of 1/R over the
%                       two. No module computes this table directly: seam_pairs is called on
%                       the union of the metal triangles (numbers 0..Nt-1) and the nontrivial
%                       faces (numbers Nt..Nt+F-1), and its cross pairs are kept, the triangle
%                       in tFIS and the face (less Nt) in tFJS.
%   A metal triangle that coincides with a dielectric face (a metal core touching its
%   coating) is such a pair: the two centroids coincide, so hybrid_matrix adds no centroid
%   value for it and all of its interaction comes from this table.
%
%   seconds: wall-clock time of both calls.
%
%   See also VOLUME_RECORD, SURFACE_RECORD, CELL_PLATE_PAIRS, SEAM_PAIRS.
function [GEOM, seconds] = coupling_tables(GEOM, Pt, t, npoints, near_factor)
  if nargin < 3 || nargin > 5 || ~isstruct(GEOM)
    error('coupling_tables:usage', ...
          'usage: GEOM = coupling_tables(GEOM, Pt, t, npoints, near_factor)');
  end
  if nargin < 4 || isempty(npoints)
    npoints = 6;
  end
  if nargin < 5 || isempty(near_factor)
    near_factor = 9;
  end
  if ~all(isfield(GEOM, {'MeshP', 'MeshT', 'MeshFaces'}))
    error('coupling_tables:GEOM', ['coupling_tables: GEOM lacks MeshP, MeshT or MeshFaces ' ...
          '(build it with volume_record)']);
  end
  if ~isnumeric(Pt) || size(Pt, 1) ~= 3 || ~isnumeric(t) || size(t, 1) < 3
    error('coupling_tables:mesh', 'coupling_tables: Pt must be 3 x Npt and t 3 x Nt');
  end
  for need = {'cell_plate_pairs', 'seam_pairs'}
    if exist(need{1}) ~= 3
      error('coupling_tables:module', ['coupling_tables: the %s module is not on the path ' ...
            '(add the build/mex folder)'], need{1});
    end
  end
  [coeff, weights] = triangle_rule(npoints);
  Pt = double(Pt);
  tv = fix(double(t(1:3, :)));
  nt = size(tv, 2);
  clock0 = tic();

  near = cell_plate_pairs(Pt, GEOM.MeshP, [tv; zeros(1, nt)], GEOM.MeshT, coeff, weights, ...
                          near_factor);
  GEOM.TtIS = reshape(near.IS, 1, []);
  GEOM.TtJS = reshape(near.JS, 1, []);
  GEOM.TtRS = reshape(near.RS, 9, []);

  F = GEOM.MeshFaces;
  if nt > 0 && ~isempty(F)
    union = seam_pairs([Pt, GEOM.MeshP], [tv, F + size(Pt, 2)], coeff, weights, near_factor);
    % JS <= IS: a cross pair has the triangle in JS and the face in IS.
    cross_pair = union.IS >= nt & union.JS < nt;
    GEOM.tFIS = reshape(union.JS(cross_pair), 1, []);
    GEOM.tFJS = reshape(union.IS(cross_pair) - nt, 1, []);
    GEOM.tFSS = reshape(union.SS(cross_pair), 1, []);
  else
    GEOM.tFIS = zeros(1, 0);
    GEOM.tFJS = zeros(1, 0);
    GEOM.tFSS = zeros(1, 0);
  end
  seconds = toc(clock0);
end
