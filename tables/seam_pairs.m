% SEAM_PAIRS  Near-pair table of static 1/R integrals for the faces of a tetrahedral mesh.
%
%   S = seam_pairs(P, Faces, coeff, weights, order)
%
%   P        3 x Np vertex coordinates (exactly 3 rows).
%   Faces    3 x Nf faces: vertex numbers (1-based), exactly 3 rows.
%   coeff    3 x Nq quadrature points on a triangle: column q holds (c1, c2, c3), the point
%            c1*W1 + c2*W2 + c3*W3 of a face with vertices W1, W2, W3 in Faces order.
%   weights  1 x Nq quadrature weights: exactly as many columns as coeff.
%   order    near-pair factor k: faces i and j are paired when
%            |c_i - c_j|^2 < k * rho_i * rho_j (centroids c, radii rho = largest
%            centroid-vertex distance). k <= 0 gives no pairs; any k > 0 pairs every face
%            with itself.
%
%   S is a struct with fields IS, JS (1 x M face numbers, 0-based, JS <= IS, ordered by IS then
%   JS) and SS (1 x M mean of 1/R over the two faces: closed form over the larger face, the rule
%   on the other, each quadrature point moved by (1, 2, 3)*1e-8 before use).
%
%   Errors carry identifiers "seam_pairs:<mnemonic>" (usage, badType, badSize, badIndex,
%   badGeometry, badValue (a NaN or Inf in the rule, or
%   rule points so far outside the elements that the values overflow), outOfMemory).
%
%   Example (two faces of a unit tetrahedron, centroid rule):
%       P = [0 1 0 0; 0 0 1 0; 0 0 0 1];  F = [1 2 3; 1 2 4]';
%       S = seam_pairs(P, F, [1; 1; 1] / 3, 1, 4);
%
%   See also PLATE_PAIRS, HYBRID_MATRIX.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared P, F
%! P = [0 1 0 0; 0 0 1 0; 0 0 0 1];  F = [1 2 3; 1 2 4; 2 3 4]';
%!test
%! S = seam_pairs(P, F, [1; 1; 1] / 3, 1, 4);
%! assert(S.IS, [0 1 1 2 2 2]);  assert(S.JS, [0 0 1 0 1 2]);
%! assert(all(isfinite(S.SS)) && all(S.SS > 0));
%!test
%! S = seam_pairs(P, F, [1; 1; 1] / 3, 1, -1);
%! assert(isempty(S.IS) && isempty(S.SS));
%!error <requires 5 inputs> seam_pairs(P, F)
%!error <exactly 3 rows> seam_pairs([P; P], F, [1; 1; 1] / 3, 1, 4)
%!error <number of weights> seam_pairs(P, F, [1; 1; 1] / 3, [0.5 0.5], 4)
