% COMPRESSED_SOLVE  Solutions of the hybrid_matrix system through a hierarchical matrix.
%
%   X = compressed_solve(geom, GEOM, const, omega_re, omega_im, V)
%   [X, info] = compressed_solve(geom, GEOM, const, omega_re, omega_im, V, opts)
%
%   Solves Z*X = V for the complex symmetric impedance matrix Z that HYBRID_MATRIX builds from
%   the same records (same checks, same messages with this module's name), without ever
%   forming Z: its entries are computed block by block, far interactions between separated
%   groups of unknowns are stored as low-rank products (adaptive cross approximation, ACA+),
%   and the compressed matrix is factored by a hierarchical L*D*L.' (or L*U) decomposition.
%   Memory and time grow about as N*log(N)^2 instead of N^2 and N^3, which brings 10^5
%   unknowns onto one workstation. Use HYBRID_MATRIX up to a few thousand unknowns, where the
%   dense solve is exact and fast; this module beyond (N up to about 10^5 on 24 GiB).
%
%   geom, GEOM, const, omega_re, omega_im   as for HYBRID_MATRIX (either record may be []).
%   V      N x m right-hand sides (real or complex), N = geom.EdgesTotal + GEOM.EdgesTotal.
%   opts   optional struct; every field optional:
%            tol             compression tolerance of the matrix (default 1e-4): the solution
%                            agrees with the dense one to about 10*tol relative
%            factor_tol      truncation tolerance of the factorisation (default
%                            max(tol, 1e-2)): a coarse factorisation is much cheaper, and
%                            a few refinement steps with the compressed matrix recover tol;
%                            when the refinement stagnates (a restart cycle of 30 steps
%                            that does not halve the residual, or max_iterations reached;
%                            ill-conditioned systems, e.g. finely meshed metal), the matrix
%                            is factorised again ten times finer, down to tol
%            leaf_size       largest group of unknowns of the cluster tree (default 128)
%            eta             admissibility parameter (default 3): two groups are far when the
%                            smaller diameter is at most eta times their distance
%            refine          true: refine the solution by GMRES with the compressed matrix as
%                            operator and the factors as preconditioner (default: only when
%                            factor_tol > tol)
%            refine_tol      relative residual target of the refinement, on the
%                            equilibrated system (default tol)
%            max_iterations  GMRES iterations per right-hand side (default 100)
%            exact_residual  true: also measure |Z*X - V|/|V| with the exact Z, computed
%                            block by block (costs about one dense fill, no N^2 memory)
%            lu              true: hierarchical LU instead of L*D*L.'
%            in_place        true: factorise the compressed matrix itself, at tol, instead
%                            of a copy: about half the memory, no refinement, residual NaN
%                            (chosen by itself when the copy would not fit in memory)
%
%   X      the solutions, column after column, as one (N*m) x 1 complex column (the layout of
%          HYBRID_MATRIX).
%   info   struct: unknowns; residual (|Z~*X - V|/|V|, Frobenius norms, Z~ the compressed
%          matrix); scaled_residual (the same for the equilibrated system, which the
%          refinement drives below refine_tol); exact_residual (NaN unless asked for); matrix_bytes and factor_bytes
%          (memory of the compressed matrix and of its factors); compression_ratio
%          (matrix_bytes / (16*N^2), the dense matrix); largest_rank (largest cross-
%          approximation rank of a far block); full_blocks, low_rank_blocks; ldlt (1 for
%          L*D*L.', 0 for L*U); in_place (1 when the matrix itself was factorised);
%          iterations (GMRES, all columns); refactorisations (finer factorisations after a
%          stagnating refinement); tol, factor_tol (of the factors finally used); time (seconds
%          of each phase: diagonal, assembly, factorisation, solve, refinement, residual, total).
%
%   A refinement that still misses refine_tol after max_iterations steps with factors at tol
%   ends with the warning compressed_solve:notConverged; X is then the best solution found.
%
%   As HYBRID_MATRIX, the system is equilibrated by D = diag(1./sqrt(abs(diag(Z)))) before it
%   is compressed, so that one relative tolerance serves surface and volume unknowns alike.
%   The unknowns are grouped by their centres (edge midpoints of the surface unknowns, centres
%   of the tetrahedra of each volume unknown) in one cluster tree. The factorisation keeps a
%   copy of the compressed matrix for the residual and the refinement: memory is about
%   matrix_bytes + factor_bytes (or factor_bytes alone in place). Errors are identified "compressed_solve:<mnemonic>" (those of
%   HYBRID_MATRIX, and badOption for opts).
%
%   License: this module links the hierarchical-matrix library hmat-oss, which is distributed
%   under the GNU General Public License, version 2 or later. A build that contains
%   compressed_solve is therefore distributed under the GPL.
%
%   Example (records from the toolkit, as in the sphere studies):
%       opts = struct('tol', 1e-4);
%       [X, info] = compressed_solve(geom, GEOM, k, 2*pi*1e9, 0, [V; VD], opts);
%       printf('%d unknowns, %.1f%% of dense memory, residual %.1e\n', info.unknowns, ...
%              100 * info.compression_ratio, info.residual);
%
%   See also HYBRID_MATRIX, DENSE_SYSTEM.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!shared k, G, kv
%! k = struct('epsilon', 8.854e-12, 'mu', 4e-7*pi, 'c', 2.998e8);
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
%! % One unknown: X = V / Z for two right-hand sides.
%! z = (0.5 - 0.1i) / (2 * (1 - 0.1i)) * 0.5 * 4;
%! [x, info] = compressed_solve([], G, kv, 2*pi*1e9, 0, [3 1i]);
%! assert(isequal(size(x), [2 1]));
%! assert(abs(x - [3; 1i] / z) <= 1e-14 * abs(3 / z));
%! assert(info.unknowns == 1 && info.residual < 1e-14 && isnan(info.exact_residual));
%!test
%! [x, info] = compressed_solve([], [], k, 1, 0, zeros(0, 1));
%! assert(isequal(size(x), [0 1]) && info.unknowns == 0);
%!error <requires at least six inputs> compressed_solve([], G, kv, 1, 0)
%!error <Epsilon_r> compressed_solve([], G, k, 1, 0, 1)
%!error <EdgesTNI> compressed_solve([], setfield(G, 'EdgesTNI', 7), kv, 1, 0, 1)
%!error <must have 1 rows> compressed_solve([], G, kv, 1, 0, [1; 2])
%!error <unknown field 'tolerance'> compressed_solve([], G, kv, 1, 0, 1, struct('tolerance', 1e-3))
%!error <option 'tol'> compressed_solve([], G, kv, 1, 0, 1, struct('tol', 2))
