% EXCITE_PLATES  Surface right-hand side: an incident field projected onto the surface functions.
%
%   V = excite_plates(geom, EfieldM)
%
%   geom is the surface mesh record (a 1 x 1 struct). The fields read are
%     EdgesTotal    N, the number of edge-based surface basis functions: the length of V
%     TriP, TriM    N values: plus and minus triangle of each function (1-based)
%     VerP, VerM    N values: local slot (1..3) of the function's free vertex in each triangle
%     EdgeLength    N values: length of the shared edge
%     PointsFCRho   3 x 3*Ntri: column 3*(t-1)+s is the rho vector (from the vertex in slot s
%                   to the centroid) of triangle t
%   EfieldM is a 3 x Ntri (or taller) real or complex matrix: column t is the incident electric
%   field assigned to triangle t, taken constant over it. A real matrix has zero imaginary part.
%
%   V is the N x 1 complex column
%
%     V(e) = EdgeLength(e)/2 * (rhoP . EfieldM(:,TriP(e)) - rhoM . EfieldM(:,TriM(e)))
%
%   with rhoP, rhoM the rho vectors of the free vertices. One rho convention serves both
%   triangles, so the minus side is subtracted; for a uniform field E this is
%   EdgeLength(e) * E . (centroid of TriM - centroid of TriP). An empty geom ([], no metal part)
%   gives a 0 x 1 column, so the right-hand side can always be stacked as [Vs; Vv].
%
%   Errors carry identifiers "excite_plates:<mnemonic>": usage (not exactly two inputs),
%   missingField, badType, badSize (a table or EfieldM too small), badIndex (a triangle number
%   outside the columns of PointsFCRho/3 or of EfieldM, or a vertex slot outside 1..3; the
%   message names the basis function), badValue (a NaN or Inf among the values read, with its
%   position), badCount, outOfMemory.
%
%   Example (one function on two triangles, rho vectors (1,0,0) and (-1,0,0), edge length 2):
%       g.EdgesTotal = 1;  g.TriP = 1;  g.TriM = 2;  g.VerP = 1;  g.VerM = 1;  g.EdgeLength = 2;
%       g.PointsFCRho = [1 0 0; 0 0 0; 0 0 0; -1 0 0; 0 0 0; 0 0 0]';
%       V = excite_plates(g, [1 1; 0 0; 0 0])    % 2
%
%   See also EXCITE_CELLS, HYBRID_MATRIX, PLATE_PAIRS.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared g
%! g.EdgesTotal = 1;  g.TriP = 1;  g.TriM = 2;  g.VerP = 1;  g.VerM = 1;  g.EdgeLength = 2;
%! g.PointsFCRho = [1 0 0; 0 0 0; 0 0 0; -1 0 0; 0 0 0; 0 0 0]';
%!test
%! assert(excite_plates(g, [1 1; 0 0; 0 0]), 2, 1e-15);
%!test
%! assert(excite_plates(g, [0 0; 3i 3i; -1 -1]), 0);
%!test
%! assert(size(excite_plates([], [])), [0 1]);
%!error <requires 2 inputs: geom,EfieldM> excite_plates(g, [1 1; 0 0; 0 0], 3)
%!error <TriM> excite_plates(g, [1; 0; 0])
