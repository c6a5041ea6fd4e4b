% PLATE_PAIRS  Near-pair table of static 1/R integrals for a metal triangle mesh.
%
%   S = plate_pairs(P, t, coeff, weights, order)
%
%   P        3 x Np vertex coordinates.
%   t        4 x Nt triangles: rows 1-3 vertex numbers (1-based), row 4 an integer label.
%   coeff    3 x Nq quadrature points on a triangle: column q holds (c1, c2, c3), the point
%            c1*V1 + c2*V2 + c3*V3 of a triangle with vertices V1, V2, V3 in t order.
%   weights  quadrature weights, at least Nq values (weights summing to 1 give means).
%   order    near-pair factor k: triangles i and j are paired when
%            |c_i - c_j|^2 < k * rho_i * rho_j (centroids c, radii rho = largest
%            centroid-vertex distance). k <= 0 gives no pairs; any k > 0 pairs every
%            triangle with itself.
%
%   S is a struct with fields
%     IS, JS    1 x M triangle numbers of each pair, 0-based, JS <= IS, ordered by IS then JS;
%     SS        1 x M mean of 1/R over the two triangles;
%     RS        1 x 9M, entries 9m+3x+y (x, y = 0..2): mean of
%               (r - V_y of JS) . (r' - V_x of IS) / |r - r'| over the two triangles;
%     AreaF     1 x Nt triangle areas;
%     PointsFC  3 x Nt triangle centroids.
%   The inner integral is taken in closed form over the larger triangle of each pair, the outer
%   one with the rule on the other. Each quadrature point is moved by (1, 2, 3)*1e-8 before use.
%
%   Triangles labelled 3 have their self pair's RS set to 0 and its SS replaced by the SS of the
%   self pair of the nearest triangle not labelled 3 (by centroid distance; never the farthest
%   triangle).
%
%   Errors carry identifiers "plate_pairs:<mnemonic>" (usage, badType, badSize, badIndex,
%   badGeometry, badValue (a NaN or Inf in the rule, or
%   rule points so far outside the elements that the values overflow), outOfMemory).
%
%   Example (a square of two triangles, centroid rule):
%       P = [0 1 1 0; 0 0 1 1; 0 0 0 0];  t = [1 2 3 0; 1 3 4 0]';
%       S = plate_pairs(P, t, [1; 1; 1] / 3, 1, 4);
%
%   See also SEAM_PAIRS, HYBRID_MATRIX.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared P, t, c7, w7
%! P = [0 1 1 0; 0 0 1 1; 0 0 0 0];  t = [1 2 3 0; 1 3 4 0]';
%! a = [0.797426985353087 0.101286507323456 0.470142064105115 0.059715871789770];
%! c7 = [1/3 a(1) a(2) a(2) a(3) a(3) a(4); 1/3 a(2) a(1) a(2) a(3) a(4) a(3)];
%! c7 = [c7; 1 - sum(c7)];
%! w7 = [0.225 0.125939180544827*[1 1 1] 0.132394152788506*[1 1 1]];
%!test
%! S = plate_pairs(P, t, c7, w7, 4);
%! assert(S.IS, [0 1 1]);  assert(S.JS, [0 0 1]);
%! assert(size(S.RS), [1 27]);
%! assert(S.AreaF, [0.5 0.5], 1e-15);
%! assert(S.PointsFC, [2 1 0; 1 2 0]' / 3, 1e-15);
%! assert(all(isfinite(S.SS)) && all(S.SS > 0));
%!test
%! S = plate_pairs(P, t, c7, w7, 0);
%! assert(isempty(S.IS) && isempty(S.SS) && isempty(S.RS));
%!error <requires 5 inputs> plate_pairs(P, t, c7, w7)
%!error <argument 't'> plate_pairs(P, [1 2 5 0]', c7, w7, 4)
