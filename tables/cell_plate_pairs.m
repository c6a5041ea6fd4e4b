% CELL_PLATE_PAIRS  Near-pair table of static 1/R moments between metal triangles and tetrahedra.
%
%   S = cell_plate_pairs(Pt, PT, t, T, coeff, weights, order)
%
%   Pt       3 x Npt coordinates of the metal vertices.
%   PT       3 x NPT coordinates of the tetrahedral-mesh vertices.
%   t        metal triangles: rows 1-3 vertex numbers into Pt (1-based); further rows are
%            ignored.
%   T        4 x NT tetrahedra: vertex numbers into PT (1-based); further rows are ignored.
%   coeff    3 x Nq quadrature points on a triangle: column q holds (c1, c2, c3), the point
%            c1*W1 + c2*W2 + c3*W3 of a triangle with vertices W1, W2, W3 in t order.
%   weights  quadrature weights, at least Nq values.
%   order    near-pair factor k: triangle i and tetrahedron j are paired when
%            |c_i - C_j|^2 < k * rho_i * rho_j (centroids, radii = largest centroid-vertex
%            distance). k <= 0 gives no pairs.
%
%   S is a struct with fields
%     IS  1 x M triangle numbers of each pair, 0-based, ascending;
%     JS  1 x M tetrahedron numbers, 0-based, ascending for each triangle;
%     RS  1 x 9M, entries 9m+3b+x (b = 0..2 triangle vertex, x = 0..2 coordinate): mean over
%         the triangle and the tetrahedron of (r - W_b)_x / |r - r'| when the weights sum to 1.
%   The integral over the tetrahedron is taken in closed form, the one over the triangle with
%   the rule; each quadrature point r is moved by four times (1, 2, 3)*1e-8 before it enters
%   (r - W_b).
%
%   Errors carry identifiers "cell_plate_pairs:<mnemonic>" (usage, badType, badSize, badIndex,
%   badScalar, badGeometry, badValue (a NaN or Inf in the rule, or
%   rule points so far outside the elements that the values overflow), outOfMemory).
%
%   Example (a triangle on a face of a unit tetrahedron, centroid rule):
%       PT = [0 1 0 0; 0 0 1 0; 0 0 0 1];  T = [1; 2; 3; 4];
%       S = cell_plate_pairs(PT, PT, [1; 2; 3], T, [1; 1; 1] / 3, 1, 4);
%
%   See also CELL_PAIRS, PLATE_PAIRS, HYBRID_MATRIX.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared PT, T
%! PT = [0 1 0 0; 0 0 1 0; 0 0 0 1];  T = [1; 2; 3; 4];
%!test
%! S = cell_plate_pairs(PT, PT, [1 2 3; 1 2 4]', T, [1; 1; 1] / 3, 1, 4);
%! assert(S.IS, [0 1]);  assert(S.JS, [0 0]);
%! assert(size(S.RS), [1 18]);
%! assert(all(isfinite(S.RS)));
%!test
%! S = cell_plate_pairs(PT, PT, [1; 2; 3], T, [1; 1; 1] / 3, 1, -1);
%! assert(isempty(S.IS) && isempty(S.RS));
%!error <requires the inputs> cell_plate_pairs(PT, PT, [1; 2; 3], T, [1; 1; 1] / 3, 1)
%!error <argument 'weights'> cell_plate_pairs(PT, PT, [1; 2; 3], T, [1 0; 0 1; 0 0], 1, 4)
