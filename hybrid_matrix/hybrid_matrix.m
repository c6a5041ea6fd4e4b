% HYBRID_MATRIX  Method-of-moments system of a metal/dielectric problem: condition or solutions.
%
%   RCOND = hybrid_matrix(geom, GEOM, const, omega_re, omega_im, 0)
%   X     = hybrid_matrix(geom, GEOM, const, omega_re, omega_im, M, V)
%   hybrid_matrix(..., Termination)      (an eighth argument is accepted and ignored)
%   hybrid_matrix(..., Termination, options)
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
%   GEOM   volume mesh record of the dielectric tetrahedra and their edge-based volume
%          unknowns, or [] for none. Fields: TetrahedraTotal, EdgesTotal, FacesNontrivial,
%          OrderT, OrderF; per tetrahedron EdgesTN (6 x Nt, 1-based unknowns packed at the top
%          of each column), EdgesTNI (their counts, 0..6), BasisTC and BasisTCn (18 x Nt or
%          3 x 6Nt: current vectors and their companions for the material term), VolumeT,
%          CenterT (3 x Nt), Contrast_real, Contrast_imag; per nontrivial face EdgesFN (6 x F),
%          EdgesFNI, DiffContrast_real, DiffContrast_imag (6 x F), CenterF (3 x F);
%          quadrature PointsT (3 x OrderT*Nt), WT, PointsF (3 x OrderF*F), WF (weights summing
%          to 1); near pairs TTIS, TTJS, TTSS (tetrahedra) and FFIS, FFJS, FFSS (faces),
%          0-based. With a geom as well: the triangle-volume near pairs tFIS, tFJS, tFSS
%          (metal triangle, face) and TtIS, TtJS, TtRS (metal triangle, tetrahedron; TtRS
%          9 x K); without one they may be absent.
%   const  constants record with the background permittivity epsilon, permeability mu and wave
%          speed c (wavenumber omega/c) and, when GEOM is given, the permittivity Epsilon_r
%          (same unit as epsilon) and loss tangent tan_delta of every tetrahedron (at least Nt
%          values each; permittivity Epsilon_r*(1 - 1i*tan_delta)).
%   M      output mode, truncated toward zero (2.9 acts as 2, -0.5 as 0):
%            0     the reciprocal one-norm condition estimate of the equilibrated matrix
%                  D*Z*D, D = diag(1./sqrt(abs(diag(Z)))), as a real scalar;
%            m>=1  the m solutions of Z*X = V for the m columns of V (N rows, real or complex),
%                  stacked in one (N*m) x 1 complex column;
%            <0    nothing is returned.
%   options  [] or a struct of optional fill settings beyond the records (none by default; the
%          default fill is unchanged to the bit):
%            FarFactor  pairs of distinct metal triangles that are not in the near table and
%                       whose centroids satisfy |c_p - c_q|^2 < FarFactor*r_p*r_q (r: the
%                       largest centroid-to-vertex distance, Inf: all) take the full kernel
%                       integrated with a rule instead of the one-point centroid estimate,
%                       which lowers the error floor of fine meshes (default 0: off)
%            FarPoints  that rule: 0 the record's rule (PointsM, WM; default), 3 the
%                       three-point rule (barycentric 2/3, 1/6, 1/6), cheaper and as accurate
%                       for pairs outside the near table
%            VolumeFarFactor  the same for the unlisted pairs of tetrahedra and of nontrivial
%                       faces, with the record's rules (PointsT/WT, PointsF/WF); r is there
%                       the largest distance from an element's centroid to its quadrature
%                       points (default 0: off), and for the unlisted (metal triangle,
%                       tetrahedron) and (metal triangle, face) pairs of the coupling blocks.
%
%   The unknowns are the edges of geom followed by the volume unknowns of GEOM
%   (N = geom.EdgesTotal + GEOM.EdgesTotal); the solution column follows that order. The
%   matrix is factored in place by the symmetric indefinite L*D*L.' decomposition; an exactly
%   singular factor gives the warning "hybrid_matrix:singular". Malformed records end the call
%   with an error naming the field ("hybrid_matrix:<mnemonic>": usage, missingField, badSize,
%   badIndex, badType (also a complex table or scalar), badValue (a NaN or Inf in a table of
%   values or in V, with its position), badScalar, badCount, badConstants, badFrequency,
%   badGeometry, missingArgument, badRecord, badOption, outOfMemory).
%
%   Example (geom from the mesh scripts, V from the surface excitation):
%       k = struct('epsilon', 8.854e-12, 'mu', 4e-7*pi, 'c', 2.998e8);
%       rc = hybrid_matrix(geom, [], k, 2*pi*1e9, 0, 0);      % condition of the system
%       I  = hybrid_matrix(geom, [], k, 2*pi*1e9, 0, 1, V);   % edge currents for V
%       k.Epsilon_r = 4 * k.epsilon * ones(1, GEOM.TetrahedraTotal);
%       k.tan_delta = 0.02 * ones(1, GEOM.TetrahedraTotal);
%       X  = hybrid_matrix(geom, GEOM, k, 2*pi*1e9, 0, 1, [V; VD]); % metal and dielectric
%       I  = hybrid_matrix(geom, [], k, 2*pi*1e9, 0, 1, V, [], ...
%                          struct('FarFactor', Inf, 'FarPoints', 3));  % accurate far pairs
%
%   See also DENSE_SYSTEM.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared k, g, G, kv
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
%! % One tetrahedron carrying one volume unknown, no faces, no near pairs: the matrix is the
%! % material term kappa/eps_t * V * (n . b).
%! e6 = zeros(6, 0);  e1 = zeros(1, 0);  e3 = zeros(3, 0);
%! G = struct('TetrahedraTotal', 1, 'EdgesTotal', 1, 'FacesNontrivial', 0, 'OrderT', 1, ...
%!            'OrderF', 0, 'EdgesTN', [1; 0; 0; 0; 0; 0], 'EdgesTNI', 1, ...
%!            'BasisTC', [1; 2; 2; zeros(15, 1)], 'BasisTCn', [2; 0; 1; zeros(15, 1)], ...
%!            'VolumeT', 0.5, 'CenterT', [0; 0; 0], 'Contrast_real', 0.5, 'Contrast_imag', -0.1, ...
%!            'EdgesFN', e6, 'EdgesFNI', e1, 'DiffContrast_real', e6, 'DiffContrast_imag', e6, ...
%!            'CenterF', e3, 'PointsT', [0; 0; 0], 'WT', 1, 'PointsF', e3, 'WF', e1, ...
%!            'TTIS', e1, 'TTJS', e1, 'TTSS', e1, 'FFIS', e1, 'FFJS', e1, 'FFSS', e1);
%! kv = k;  kv.Epsilon_r = 2;  kv.tan_delta = 0.1;
%!test
%! z = (0.5 - 0.1i) / (2 * (1 - 0.1i)) * 0.5 * 4;
%! x = hybrid_matrix([], G, kv, 2*pi*1e9, 0, 1, 3);
%! assert(abs(x - 3 / z) <= 1e-14 * abs(3 / z));
%!test
%! % One unknown: the equilibrated matrix is a unit-modulus scalar, and solutions are linear.
%! assert(hybrid_matrix(g, [], k, 2*pi*1e8, 0, 0), 1, 1e-15);
%! x = hybrid_matrix(g, [], k, 2*pi*1e8, 0, 2, [1; 2i]);
%! assert(isequal(size(x), [2 1]) && abs(x(2) - 2i * x(1)) <= 1e-15 * abs(x(2)));
%!test
%! assert(hybrid_matrix([], [], k, 1, 0, 0), 1);
%! assert(isequal(size(hybrid_matrix([], [], k, 1, 0, 1, [])), [0 1]));
%!error <requires at least six inputs> hybrid_matrix(g, [], k, 1, 0)
%!error <Epsilon_r> hybrid_matrix(g, G, k, 1, 0, 0)
%!error <EdgesTNI> hybrid_matrix([], setfield(G, 'EdgesTNI', 7), kv, 1, 0, 0)
%!error <ttJS> hybrid_matrix(setfield(g, 'ttJS', [0 1 2]), [], k, 1, 0, 0)
