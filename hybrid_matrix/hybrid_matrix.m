% HYBRID_MATRIX  Method-of-moments system of a metal/dielectric problem: condition or solutions.
%
%   RCOND = hybrid_matrix(geom, GEOM, const, omega_re, omega_im, 0)
%   X     = hybrid_matrix(geom, GEOM, const, omega_re, omega_im, M, V)
%   hybrid_matrix(..., Termination)      (an eighth argument is accepted and ignored)
%
%   Fills the complex symmetric impedance matrix of the problem at the complex angular frequency
%   omega = omega_re + 1i*omega_im and either estimates its condition or solves it. The matrix
%   itself is never returned.
%
%   geom   surface mesh record of the perfectly conducting triangles and their edge (RWG) current
%          unknowns, or [] for none. Fields: TrianglesTotal, EdgesTotal, TriP, TriM, VerP, VerM
%          (1-based), AreaF, EdgeLength, PointsFC (3 x Tr), PointsFCRho (3 x 3Tr), OrderM,
%          PointsM (3 x OrderM*Tr), PointsMRho (3 x 3*OrderM*Tr), WM (weights summing to 1),
%          and the near-pair table ttIS, ttJS (0-based triangle numbers), ttSS, ttRS (9 x K).
%   GEOM   volume mesh record, or []. Dielectric volumes are not supported yet: a non-empty
%          GEOM ends the call with the error "hybrid_matrix:unsupported".
%   const  constants record with the background permittivity epsilon, permeability mu and wave
%          speed c (wavenumber omega/c).
%   M      output mode, truncated toward zero (2.9 acts as 2, -0.5 as 0):
%            0     the reciprocal one-norm condition estimate of the equilibrated matrix
%                  D*Z*D, D = diag(1./sqrt(abs(diag(Z)))), as a real scalar;
%            m>=1  the m solutions of Z*X = V for the m columns of V (N rows, real or complex),
%                  stacked in one (N*m) x 1 complex column;
%            <0    nothing is returned.
%
%   The unknowns are ordered as the edges of geom (N = EdgesTotal). The matrix is factored in
%   place by the symmetric indefinite L*D*L.' decomposition; an exactly singular factor gives the
%   warning "hybrid_matrix:singular". Malformed records end the call with an error naming the
%   field ("hybrid_matrix:<mnemonic>": usage, missingField, badSize, badIndex, badType,
%   badScalar, badCount, badConstants, badFrequency, missingArgument, unsupported, outOfMemory).
%
%   Example (two triangles sharing one edge):
%       rcond = hybrid_matrix(geom, [], struct('epsilon', 8.854e-12, 'mu', 4e-7*pi, ...
%                             'c', 2.998e8), 2*pi*1e9, 0, 0);
%
%   See also DENSE_SYSTEM.

%!error <requires at least six inputs> hybrid_matrix([], [], struct('epsilon', 1, 'mu', 1, 'c', 1), 1, 0)
%!test
%! k = struct('epsilon', 1, 'mu', 1, 'c', 1);
%! assert(hybrid_matrix([], [], k, 1, 0, 0), 1);
%! assert(isequal(size(hybrid_matrix([], [], k, 1, 0, 1, [])), [0 1]));
%!error <GEOM> hybrid_matrix([], struct('TetrahedraTotal', 1), struct('epsilon', 1, 'mu', 1, 'c', 1), 1, 0, 0)
