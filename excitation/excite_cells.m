% EXCITE_CELLS  Volume right-hand side: an incident field projected onto the volume functions.
%
%   V = excite_cells(GEOM, EfieldD)
%
%   GEOM is the volume mesh record (a 1 x 1 struct). The fields read are
%     TetrahedraTotal  Nt, the number of tetrahedra (truncated toward zero)
%     EdgesTotal       N, the number of volume basis functions: the length of V
%     EdgesTNI         Nt values: how many basis functions live in each tetrahedron (0..6)
%     EdgesTN          6 x Nt: their basis numbers (1..N), packed at the top of each column
%     BasisTC          18 x Nt (or 3 x 6*Nt): the constant vector of each packed function,
%                      three rows per slot
%     VolumeT          Nt values: tetrahedron volumes
%     Contrast_real,   Nt values each: the complex contrast kappa = 1 - eps_b/eps of each
%     Contrast_imag    tetrahedron
%   EfieldD is a 3 x Nt (or taller) real or complex matrix: column t is the incident electric
%   field assigned to tetrahedron t, taken constant over it. A real matrix has zero imaginary
%   part.
%
%   V is the N x 1 complex column
%
%     V(n) = sum over tetrahedra t and used slots k with EdgesTN(k,t) = n of
%            kappa_t * VolumeT(t) * (BasisTC slot k of t) . EfieldD(:,t)
%
%   with the complex contrast kappa_t = Contrast_real(t) + 1i*Contrast_imag(t) multiplying the
%   complex field, consistent with the material terms of the impedance matrix, so lossy
%   dielectrics are excited correctly. Basis functions shared by several tetrahedra sum their
%   contributions; functions that no tetrahedron names stay 0. An empty GEOM ([], no dielectric
%   part) gives a 0 x 1 column, so the right-hand side can always be stacked as [Vs; Vv].
%
%   Errors carry identifiers "excite_cells:<mnemonic>": usage (not exactly two inputs),
%   missingField, badType, badSize (a table or EfieldD too small), badIndex (a slot count
%   outside 0..6 or a basis number outside 1..EdgesTotal; the message names the tetrahedron
%   and slot), badValue (a NaN or Inf among the values read, with its position; rows of
%   EfieldD beyond the third are not read), badCount, outOfMemory.
%
%   Example (the unit corner tetrahedron, three of its edge functions, kappa = 0.75):
%       G.TetrahedraTotal = 1;  G.EdgesTotal = 3;  G.EdgesTNI = 3;  G.EdgesTN = [1 2 3 0 0 0]';
%       G.BasisTC = [0 -2 2  2 0 -2  0 0 2  zeros(1, 9)]';  G.VolumeT = 1/6;
%       G.Contrast_real = 0.75;  G.Contrast_imag = 0;
%       V = excite_cells(G, [0; 0; 1])        % (0.25, -0.25, 0.25)
%
%   See also EXCITE_PLATES, HYBRID_MATRIX, BASIS.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared G
%! G.TetrahedraTotal = 1;  G.EdgesTotal = 3;  G.EdgesTNI = 3;  G.EdgesTN = [1 2 3 0 0 0]';
%! G.BasisTC = [0 -2 2  2 0 -2  0 0 2  zeros(1, 9)]';  G.VolumeT = 1/6;
%! G.Contrast_real = 0.75;  G.Contrast_imag = 0;
%!test
%! assert(excite_cells(G, [0; 0; 1]), [0.25; -0.25; 0.25], 1e-15);
%!test
%! G.Contrast_imag = -0.25;
%! assert(excite_cells(G, [0; 0; 1i]), (0.75 - 0.25i) * 1i * [2; -2; 2] / 6, 1e-15);
%!test
%! assert(size(excite_cells([], [])), [0 1]);
%!error <requires 2 inputs: GEOM,EfieldD> excite_cells(G)
%!error <EdgesTN> G.EdgesTN(2) = 4; excite_cells(G, [0; 0; 1])
