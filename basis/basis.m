% BASIS  Volume basis of a tetrahedral mesh: independent edge functions, contrasts, face jumps.
%
%   S = basis(P, T, Faces, Edges, TET, const)
%
%   Inputs (vertex, tetrahedron and edge numbers are 1-based and truncated toward zero):
%     P       3 x Np   vertex coordinates
%     T       4 x Nt   tetrahedra (vertex numbers)
%     Faces   3 x Nf   faces for which face tables are wanted (vertex numbers)
%     Edges   2 x Ne   mesh edges as ordered vertex pairs; every edge (A, B) of every
%                      tetrahedron, with A, B in the tetrahedron's own vertex order, must be a
%                      column (true when T, Faces and Edges list their vertices ascending)
%     TET     2 x Nf   the tetrahedra on the two sides of each face, 0 for none
%     const   struct with fields epsilon (background permittivity), Epsilon_r and tan_delta
%             (at least Nt values each); tetrahedron t has permittivity
%             Epsilon_r(t)*(1 - 1i*tan_delta(t)) in the unit of epsilon
%
%   S is a struct with the 14 fields, in this order:
%     Edge               2 x Nk  the kept edges; column n defines volume function n
%     AreaF, CenterF     1 x Nf, 3 x Nf   face areas and centroids
%     EdgesFN            3 x Nf  numbers of the functions kept on each face's edges (q2q3,
%                                q1q3, q1q2 order), packed at the top, 0 below
%     EdgesFNI           1 x Nf  how many rows of EdgesFN are valid
%     DiffContrast_real, DiffContrast_imag   3 x Nf  contrast jump across the face for the
%                                function in the same slot of EdgesFN
%     VolumeT            1 x Nt  tetrahedron volumes
%     Contrast_real, Contrast_imag  1 x Nt  contrast 1 - epsilon/eps_t
%     CenterT            3 x Nt  tetrahedron centroids
%     EdgesTN            6 x Nt  numbers of the functions living in each tetrahedron, packed
%                                in local edge order (p1p2, p1p3, p1p4, p2p3, p2p4, p3p4)
%     EdgesTNI           1 x Nt  how many rows of EdgesTN are valid
%     BasisTC            18 x Nt the constant vector of each packed function, 3 rows each
%
%   Volume function n is, inside each tetrahedron containing edge Edge(:, n) = (A, B), the
%   constant vector 2*grad(lambda_A) x grad(lambda_B), with flux +1 through both faces of the
%   tetrahedron that contain the edge. An edge is dropped exactly when its function is a
%   combination of the functions of the Edges columns kept before it; the decision is
%   topological, so graded meshes and flat tetrahedra lose no functions. A simply connected
%   mesh keeps Ne - Nv + 1 functions (one fewer per independent loop of a ring-shaped body).
%   Columns of Edges used by no tetrahedron are dropped.
%
%   Errors carry identifiers "basis:<mnemonic>": usage, badType, badSize, badIndex (a number
%   outside its range, naming the column), missingEdge (a tetrahedron edge that is no column
%   of Edges), noTetrahedron (a face with no tetrahedron in TET), degenerate (a tetrahedron of
%   zero volume), badValue (a coordinate that is not finite), badMaterial (a permittivity
%   giving no finite contrast), badScalar, missingField, badRecord, tooLarge, outOfMemory.
%
%   Example (one tetrahedron, its six edges, one face):
%       P = [0 0 0; 1 0 0; 0 1 0; 0 0 1]';
%       E = [1 2; 1 3; 1 4; 2 3; 2 4; 3 4]';
%       c = struct('epsilon', 1, 'Epsilon_r', 4, 'tan_delta', 0);
%       S = basis(P, [1; 2; 3; 4], [2; 3; 4], E, [1; 0], c);
%       S.Edge          % the kept edges (1,2), (1,3), (2,3)
%
%   See also HYBRID_MATRIX, EXCITE_CELLS, CELL_PAIRS, SEAM_PAIRS.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared P, E, c
%! P = [0 0 0; 1 0 0; 0 1 0; 0 0 1; 1 1 1]';
%! E = [1 2; 1 3; 1 4; 2 3; 2 4; 2 5; 3 4; 3 5; 4 5]';
%! c = struct('epsilon', 1, 'Epsilon_r', [4 2], 'tan_delta', [0 1]);
%!test
%! S = basis(P, [1 2 3 4; 2 3 4 5]', [2; 3; 4], E, [1; 2], c);
%! assert(S.Edge, E(:, [1 2 4 5 7]));
%! assert(S.VolumeT, [1/6 1/3], 1e-15);
%! assert(S.Contrast_real, [0.75 0.75]);
%! assert(S.Contrast_imag, [0 -0.25]);
%! assert(S.EdgesFN, [5; 4; 3]);
%! assert(S.DiffContrast_imag, [0.25; -0.25; 0.25]);
%!test
%! S = basis(P, [1; 2; 3; 4], [2; 3; 4], E(:, [1 2 3 4 5 7]), [1; 0], c);
%! assert(S.EdgesTN', [1 2 3 0 0 0]);
%! assert(S.BasisTC(1:9)', [0 -2 2 2 0 -2 0 0 2]);
%!error <VBAS.DLL requires 6 inputs: P, T , Faces, Edges, TET, const_inpstruct> basis(P, P, P, P, P)
%!error <tetrahedron number 3 in column 1> basis(P, [1 2 3 4; 2 3 4 5]', [2; 3; 4], E, [3; 0], c)
