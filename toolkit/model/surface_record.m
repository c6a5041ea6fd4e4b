% SURFACE_RECORD  Build the surface mesh record geom of a triangulated metal surface.
%   geom = surface_record(P, t)
%   geom = surface_record(P, t, npoints)
%   geom = surface_record(P, t, npoints, near_factor)
%   [geom, seconds] = surface_record(...)
%
%   P            3 x Np vertex coordinates.
%   t            3 x Nt triangles (1-based vertex numbers); a 4th row, if present, is passed
%                to plate_pairs as the triangle label.
%   npoints      points of the symmetric triangle rule used for the near-pair quadrature
%                and for the near tables (1, 3, 4, 6, 7 or 13; default 6).
%   near_factor  plate_pairs' near-pair factor: triangles i and j are near when
%                |c_i - c_j|^2 < near_factor * r_i * r_j (r = centroid-to-vertex radius).
%                Default 9: centroids closer than about three radii, which takes in every
%                edge and vertex neighbour of a regular mesh (4 would leave some vertex
%                neighbours to the one-point centroid estimate). With 0 the near tables are
%                left empty (no singular corrections; plate_pairs is then not needed).
%
%   One RWG function is attached to every edge shared by exactly two triangles; edges on a
%   boundary carry none, so open surfaces are accepted. An edge shared by c > 2 triangles (a
%   junction, e.g. a strip standing on a plate) carries c - 1 functions from its lowest-
%   numbered triangle to each of the others (rwg_functions). Functions are numbered in
%   ascending order of their edge's vertex pair. The plus triangle of a function is the
%   lower-numbered of its two triangles; VerP/VerM are the slots (1..3) of the vertices opposite the edge. The rho
%   vectors run from the slot vertex to the point in both triangles (the consumers add the
%   plus-triangle term and subtract the minus-triangle term).
%
%   geom fields: TrianglesTotal, EdgesTotal, TriP, TriM, VerP, VerM, EdgeLength (1 x Ns),
%   AreaF (1 x Nt), PointsFC (3 x Nt), PointsFCRho (3 x 3Nt), OrderM, PointsM (3 x QM*Nt),
%   PointsMRho (3 x 3*QM*Nt), WM (1 x QM, sum 1), ttIS, ttJS, ttSS (1 x K), ttRS (9 x K).
%   seconds: wall-clock time of the construction (field record) and of plate_pairs (tables).
%
%   Example:
%     msh = read_msh('sphere.msh');
%     geom = surface_record(msh.P, msh.tri, 6, 9);
%
%   See also TRIANGLE_RULE, SURFACE_EDGES, PLATE_PAIRS, HYBRID_MATRIX, EXCITE_PLATES.
function [geom, seconds] = surface_record(P, t, npoints, near_factor)
  if nargin < 2 || nargin > 4
    error('surface_record:usage', 'usage: geom = surface_record(P, t, npoints, near_factor)');
  end
  if nargin < 3 || isempty(npoints)
    npoints = 6;
  end
  if nargin < 4 || isempty(near_factor)
    near_factor = 9;
  end
  if ~isnumeric(P) || ~isreal(P) || size(P, 1) ~= 3 || ndims(P) ~= 2
    error('surface_record:P', 'surface_record: P must be a real 3 x Np matrix of vertices');
  end
  if ~isnumeric(t) || size(t, 1) < 3 || ndims(t) ~= 2
    error('surface_record:t', 'surface_record: t must be a 3 x Nt (or 4 x Nt) matrix');
  end
  P = double(P);
  tv = fix(double(t(1:3, :)));
  nt = size(tv, 2);
  if any(tv(:) < 1 | tv(:) > size(P, 2))
    error('surface_record:t', 'surface_record: t refers to vertices outside 1..%d', size(P, 2));
  end
  if ~isscalar(near_factor) || ~isreal(near_factor) || ~(near_factor >= 0)
    error('surface_record:near_factor', ...
          'surface_record: near_factor must be a non-negative real scalar');
  end
  [coeff, weights] = triangle_rule(npoints);
  qm = numel(weights);
  clock0 = tic();

  r = rwg_functions(tv);
  ns = numel(r.edge);
  geom.TrianglesTotal = nt;
  geom.EdgesTotal = ns;
  geom.TriP = r.tri(1, :);
  geom.TriM = r.tri(2, :);
  geom.VerP = r.slot(1, :);
  geom.VerM = r.slot(2, :);
  d = P(:, r.vertices(1, :)) - P(:, r.vertices(2, :));
  geom.EdgeLength = sqrt(sum(d .^ 2, 1));

  % Per-triangle geometry; vertex k of triangle i is V(:, i, k).
  V = reshape(P(:, tv'), 3, nt, 3);
  geom.AreaF = sqrt(sum(cross(V(:, :, 2) - V(:, :, 1), V(:, :, 3) - V(:, :, 1), 1) .^ 2, 1)) / 2;
  geom.PointsFC = sum(V, 3) / 3;
  % Centroid minus slot vertex: column 3(i-1)+s.
  geom.PointsFCRho = reshape(permute(geom.PointsFC - V, [1 3 2]), 3, 3 * nt);

  % Quadrature points: column (i-1)*QM + a; rho vectors: column ((i-1)*3 + s - 1)*QM + a.
  pts = zeros(3, qm, nt);
  for k = 1:3
    pts = pts + reshape(V(:, :, k), 3, 1, nt) .* coeff(k, :);
  end
  geom.OrderM = qm;
  geom.PointsM = reshape(pts, 3, qm * nt);
  rho = reshape(pts, 3, qm, nt) - reshape(V, 3, 1, nt, 3);  % 3 x QM x Nt x 3
  geom.PointsMRho = reshape(permute(rho, [1 2 4 3]), 3, 3 * qm * nt);
  geom.WM = weights;

  seconds.record = toc(clock0);
  clock0 = tic();
  if near_factor > 0 && nt > 0
    if exist('plate_pairs') ~= 3
      error('surface_record:plate_pairs', ['surface_record: the plate_pairs module is not on ' ...
            'the path (add the build/mex folder, or pass near_factor = 0)']);
    end
    if size(t, 1) >= 4
      labels = double(t(4, :));
    else
      labels = zeros(1, nt);
    end
    near = plate_pairs(P, [tv; labels], coeff, weights, near_factor);
    geom.ttIS = reshape(near.IS, 1, []);
    geom.ttJS = reshape(near.JS, 1, []);
    geom.ttSS = reshape(near.SS, 1, []);
    geom.ttRS = reshape(near.RS, 9, []);
    geom.AreaF = reshape(near.AreaF, 1, []);
    geom.PointsFC = reshape(near.PointsFC, 3, []);
  else
    geom.ttIS = zeros(1, 0);
    geom.ttJS = zeros(1, 0);
    geom.ttSS = zeros(1, 0);
    geom.ttRS = zeros(9, 0);
  end
  seconds.tables = toc(clock0);
end
