% CELL_PAIRS  Near-pair table of static 1/R integrals for a tetrahedral mesh.
%
%   S = cell_pairs(P, T, coeffT, weightsT, Radius)
%
%   P         3 x Np vertex coordinates.
%   T         4 x NT tetrahedra: vertex numbers (1-based); further rows are ignored.
%   coeffT    4 x Nq quadrature points in a tetrahedron: column q holds (c1, c2, c3, c4), the
%             point c1*V1 + c2*V2 + c3*V3 + c4*V4 of a tetrahedron with vertices V1..V4 in T
%             order. Further columns are ignored.
%   weightsT  Nq quadrature weights, as a row or a column; Nq is their number.
%   Radius    near-pair factor k: tetrahedra i and j are paired when
%             |c_i - c_j|^2 < k * rho_i * rho_j (centroids c, radii rho = largest
%             centroid-vertex distance). k <= 0 gives no pairs; any k > 0 pairs every
%             tetrahedron with itself.
%
%   S is a struct with fields IS, JS (1 x M tetrahedron numbers, 0-based, JS <= IS, ordered by
%   IS then JS) and SS (1 x M mean of 1/R over the two tetrahedra when the weights sum to 1).
%   The integral over tetrahedron IS is taken in closed form, whatever the sizes, and the rule
%   is applied in tetrahedron JS; each quadrature point is moved by (1, 2, 3)*1e-8 before each
%   of the four faces of the closed form.
%
%   Errors carry identifiers "cell_pairs:<mnemonic>" (usage, badType, badSize, badIndex,
%   badScalar, badGeometry, badValue (a NaN or Inf in the rule, or
%   rule points so far outside the elements that the values overflow), outOfMemory).
%
%   Example (the two tetrahedra of a split triangular prism, centroid rule):
%       P = [0 1 0 0 1 0; 0 0 1 0 0 1; 0 0 0 1 1 1];  T = [1 2 3 4; 2 3 4 5]';
%       S = cell_pairs(P, T, [1; 1; 1; 1] / 4, 1, 4);
%
%   See also CELL_PLATE_PAIRS, SEAM_PAIRS, HYBRID_MATRIX.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared P, T
%! P = [0 1 0 0 1 0; 0 0 1 0 0 1; 0 0 0 1 1 1];  T = [1 2 3 4; 2 3 4 5]';
%!test
%! S = cell_pairs(P, T, [1; 1; 1; 1] / 4, 1, 4);
%! assert(S.IS, [0 1 1]);  assert(S.JS, [0 0 1]);
%! assert(all(isfinite(S.SS)) && all(S.SS > 0));
%!test
%! S = cell_pairs(P, T, [1; 1; 1; 1] / 4, 1, 0);
%! assert(isempty(S.IS) && isempty(S.SS));
%!error <requires the inputs> cell_pairs(P, T)
%!error <argument 'T'> cell_pairs(P, [1 2 3 9]', [1; 1; 1; 1] / 4, 1, 4)
%!error <zero volume> cell_pairs(P, [1 2 3 3]', [1; 1; 1; 1] / 4, 1, 4)
