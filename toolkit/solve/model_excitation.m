% MODEL_EXCITATION  Right-hand sides of a prepared model for a set of sources at one frequency.
%   V = model_excitation(prep, GEOM, const, omega, sources)
%
%   prep     prepare_model's record (its surface record and accuracy settings are used).
%   GEOM     the volume record at this frequency (model_at_frequency), or [].
%   const    constants record; omega  angular frequency (rad/s).
%   sources  source records (plane_wave_source, dipole_source), m of them.
%
%   V is N x m: per source, the surface entries (excite_plates with the field at the
%   triangle centroids, or excite_plates_quadrature with it at the record's points when the
%   accuracy settings ask for quadrature) stacked over the volume entries (excite_cells
%   with the mean field over each tetrahedron).
%
%   The mean over a tetrahedron is taken with the record's tetrahedron rule. For a dipole
%   the field is singular at the dipole, so for the tetrahedra within three radii of it the
%   mean is integrated in the form (1/eps) [k^2 p int G dV + closed-surface integral of
%   n (p . grad G) dS] / V (the divergence theorem applied to grad(p . grad G)), with the
%   volume term on 64 sub-tetrahedra and the surface term on 256 sub-triangles per face.
%   This is also correct for a dipole inside a tetrahedron: the surface form takes in the
%   dipole's own singular term, as the Galerkin reaction of the cell with the dipole
%   requires.
%
%   A source whose field is not finite where it is sampled (a dipole on a metal triangle)
%   ends with model_excitation:source.
%
%   Example:  [GEOM, const] = model_at_frequency(prep, f);
%             V = model_excitation(prep, GEOM, const, 2 * pi * f, [src1, src2]);
%
%   See also SOLVE_MODEL, INCIDENT_FIELD, EXCITE_CELLS, EXCITE_PLATES.
function V = model_excitation(prep, GEOM, const, omega, sources)
  if nargin ~= 5 || ~isstruct(prep) || ~isstruct(sources)
    error('model_excitation:usage', ...
          'usage: V = model_excitation(prep, GEOM, const, omega, sources)');
  end
  k = omega / const.c;
  geom = prep.geom;
  m = numel(sources);
  ns = 0;
  nv = 0;
  if ~isempty(geom)
    ns = geom.EdgesTotal;
  end
  if ~isempty(GEOM)
    nv = GEOM.EdgesTotal;
  end
  V = zeros(ns + nv, m);
  quadrature = isfield(prep.settings, 'rhs') && strcmp(prep.settings.rhs, 'quadrature');
  for s = 1:m
    src = sources(s);
    if ns > 0
      if quadrature
        V(1:ns, s) = excite_plates_quadrature(geom, incident_field(src, geom.PointsM, k, const));
      else
        V(1:ns, s) = excite_plates(geom, incident_field(src, geom.PointsFC, k, const));
      end
    end
    if nv > 0
      V(ns + 1:end, s) = excite_cells(GEOM, cell_means(GEOM, src, k, const));
    end
    if any(~isfinite(V(:, s)))
      error('model_excitation:source', ['model_excitation: source %d (%s) gives a ' ...
            'non-finite excitation: a dipole must not lie on a metal triangle or on a ' ...
            'quadrature point'], s, src.label);
    end
  end
end

% The mean incident field over every tetrahedron, 3 x Nt.
function E = cell_means(GEOM, src, k, const)
  nt = GEOM.TetrahedraTotal;
  qt = GEOM.OrderT;
  E = reshape(incident_field(src, GEOM.PointsT, k, const), 3, qt, nt);
  E = reshape(sum(E .* reshape(GEOM.WT, 1, qt), 2), 3, nt);
  if ~strcmp(src.type, 'dipole')
    return;
  end
  P = GEOM.MeshP;
  T = GEOM.MeshT;
  c = GEOM.CenterT;
  radius = zeros(1, nt);
  for v = 1:4
    radius = max(radius, sqrt(sum((P(:, T(v, :)) - c) .^ 2, 1)));
  end
  near = find(sqrt(sum((c - src.position) .^ 2, 1)) < 3 * radius);
  for t = near
    E(:, t) = dipole_cell_mean(P(:, T(:, t)), src.position, src.moment, k, const.epsilon);
  end
end

% Mean over the tetrahedron X (3 x 4) of the field of dipole p at r0:
% (1/(eps V)) [k^2 p int G dV + sum over faces of int n (p . grad G) dS].
function E = dipole_cell_mean(X, r0, p, k, epsilon)
  persistent bt wtv bf wf
  if isempty(bt)
    [bt, wtv] = refined_tet_rule(2);
    [bf, wf] = refined_triangle_rule(4);
  end
  volume = abs(dot(X(:, 2) - X(:, 1), cross(X(:, 3) - X(:, 1), X(:, 4) - X(:, 1)))) / 6;
  R = sqrt(sum((X * bt - r0) .^ 2, 1));
  intG = volume * sum(wtv .* exp(-1i * k * R) ./ (4 * pi * R));
  surf = zeros(3, 1);
  faces = [2 3 4; 1 4 3; 1 2 4; 1 3 2];
  centre = mean(X, 2);
  for f = 1:4
    Y = X(:, faces(f, :));
    n = cross(Y(:, 2) - Y(:, 1), Y(:, 3) - Y(:, 1));
    area = norm(n) / 2;
    n = n / norm(n);
    if dot(n, Y(:, 1) - centre) < 0
      n = -n;
    end
    Rv = Y * bf - r0;
    Rn = sqrt(sum(Rv .^ 2, 1));
    % grad G = -(1 + j k R) exp(-j k R) / (4 pi R^2) Rhat
    dG = -(1 + 1i * k * Rn) .* exp(-1i * k * Rn) ./ (4 * pi * Rn .^ 3);
    surf = surf + n * (area * sum(wf .* dG .* (p.' * Rv)));
  end
  E = (k ^ 2 * p * intG + surf) / (epsilon * volume);
end

% The 11-point rule on the 8^level sub-tetrahedra of a regular (red) refinement of the
% reference tetrahedron: barycentric coordinates (4 x Q) and weights summing to 1.
function [b, w] = refined_tet_rule(level)
  tets = {eye(4)};
  for l = 1:level
    next = cell(1, 8 * numel(tets));
    for i = 1:numel(tets)
      next(8 * i - 7:8 * i) = split_tet(tets{i});
    end
    tets = next;
  end
  [ct, wt] = tetra_rule(11);
  b = cell2mat(cellfun(@(Y) Y * ct, tets, 'UniformOutput', false));
  w = repmat(wt / numel(tets), 1, numel(tets));
end

% The eight children of a tetrahedron (columns are its vertices): four at the corners and
% four around the diagonal between the midpoints of edges 1-3 and 2-4, all of equal volume.
function c = split_tet(X)
  m = @(a, b) (X(:, a) + X(:, b)) / 2;
  m12 = m(1, 2); m13 = m(1, 3); m14 = m(1, 4); m23 = m(2, 3); m24 = m(2, 4); m34 = m(3, 4);
  c = {[X(:, 1), m12, m13, m14], [m12, X(:, 2), m23, m24], [m13, m23, X(:, 3), m34], ...
       [m14, m24, m34, X(:, 4)], [m12, m13, m14, m24], [m12, m13, m23, m24], ...
       [m13, m14, m24, m34], [m13, m23, m24, m34]};
end

% The 7-point rule on the 4^level sub-triangles of the reference triangle: barycentric
% coordinates (3 x Q) and weights summing to 1.
function [b, w] = refined_triangle_rule(level)
  tris = {eye(3)};
  for l = 1:level
    next = cell(1, 4 * numel(tris));
    for i = 1:numel(tris)
      Y = tris{i};
      a = (Y(:, 2) + Y(:, 3)) / 2;
      b = (Y(:, 1) + Y(:, 3)) / 2;
      c = (Y(:, 1) + Y(:, 2)) / 2;
      next(4 * i - 3:4 * i) = {[Y(:, 1), c, b], [c, Y(:, 2), a], [b, a, Y(:, 3)], [a, b, c]};
    end
    tris = next;
  end
  [ct, wt] = triangle_rule(7);
  b = cell2mat(cellfun(@(Y) Y * ct, tris, 'UniformOutput', false));
  w = repmat(wt / numel(tris), 1, numel(tris));
end
