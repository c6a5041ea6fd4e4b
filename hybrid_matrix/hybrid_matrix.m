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
%   badScalar, badCount, badConstants, badFrequency, badGeometry, missingArgument, unsupported,
%   outOfMemory).
%
%   Example (geom from the mesh scripts, V from the surface excitation):
%       k = struct('epsilon', 8.854e-12, 'mu', 4e-7*pi, 'c', 2.998e8);
%       rc = hybrid_matrix(geom, [], k, 2*pi*1e9, 0, 0);      % condition of the system
%       I  = hybrid_matrix(geom, [], k, 2*pi*1e9, 0, 1, V);   % edge currents for V
%
%   See also DENSE_SYSTEM.

%!shared k, g
%! k = struct('epsilon', 8.854e-12, 'mu', 4e-7*pi, 'c', 2.998e8);
%! % Two triangles sharing the edge (0,0,0)-(1,0,0): one unknown.
%! P = [0 0 0; 1 0 0; 0.2 0.9 0; 0.9 -0.8 0].';  T = [1 2 3; 2 1 4].';
%! c = [mean(P(:, T(:, 1)), 2), mean(P(:, T(:, 2)), 2)];
%! q = [2/3 1/6 1/6; 1/6 2/3 1/6; 1/6 1/6 2/3];
%! pm = zeros(3, 6);  rm = zeros(3, 18);  rc = zeros(3, 6);
%! for t = 1:2
%!   pm(:, 3*t-2:3*t) = P(:, T(:, t)) * q;
%!   for m = 1:3
%!     rc(:, 3*(t-1)+m) = c(:, t) - P(:, T(m, t));
%!     rm(:, (3*(t-1)+m-1)*3 + (1:3)) = pm(:, 3*t-2:3*t) - P(:, T(m, t));
%!   end
%! end
%! g = struct('TrianglesTotal', 2, 'EdgesTotal', 1, 'TriP', 1, 'TriM', 2, 'VerP', 3, 'VerM', 3, ...
%!            'AreaF', [0.45 0.4], 'EdgeLength', 1, 'PointsFC', c, 'PointsFCRho', rc, ...
%!            'OrderM', 3, 'PointsM', pm, 'PointsMRho', rm, 'WM', [1 1 1]/3, ...
%!            'ttIS', [0 1 1], 'ttJS', [0 1 0], 'ttSS', [4 4 2], 'ttRS', ones(9, 3));
%!test
%! % One unknown: the equilibrated matrix is a unit-modulus scalar, and solutions are linear.
%! assert(hybrid_matrix(g, [], k, 2*pi*1e8, 0, 0), 1, 1e-15);
%! x = hybrid_matrix(g, [], k, 2*pi*1e8, 0, 2, [1; 2i]);
%! assert(isequal(size(x), [2 1]) && abs(x(2) - 2i * x(1)) <= 1e-15 * abs(x(2)));
%!test
%! assert(hybrid_matrix([], [], k, 1, 0, 0), 1);
%! assert(isequal(size(hybrid_matrix([], [], k, 1, 0, 1, [])), [0 1]));
%!error <requires at least six inputs> hybrid_matrix(g, [], k, 1, 0)
%!error <GEOM> hybrid_matrix(g, struct('TetrahedraTotal', 1), k, 1, 0, 0)
%!error <ttJS> hybrid_matrix(setfield(g, 'ttJS', [0 1 2]), [], k, 1, 0, 0)
