% LAYERED_STUDY  Plane-wave absorption and scattering of a lossy layered sphere, in SI units.
%   result = layered_study()
%   result = layered_study(options)
%   result = layered_study('name', value, ...)
%
%   Meshes concentric spherical layers with gmsh into one conformal tetrahedral mesh, gives
%   each layer its permittivity and conductivity, solves the volume problem for a plane wave
%   of 1 V/m travelling along +z and polarised along x (excite_cells, hybrid_matrix), and
%   compares the power absorbed in each layer (absorbed_power on the internal field), the
%   extinction and absorption cross-sections and the RCS cuts with the multilayer Mie series
%   (mie_sphere / mie_layered) of the true layers and of the layers of equal volume.
%
%   options (all optional; SI units):
%     radii        outer radius of each layer in m, innermost first (default [0.05 0.08 0.1])
%     eps_r        relative permittivity of each layer (default [12 6 9])
%     sigma        conductivity of each layer in S/m (default [0.1 0.05 0.2])
%     freq         frequency in Hz (default 300e6: k times the outer radius 0.63)
%     unknowns     target number of volume unknowns (default 3000), reached by correcting
%                  the gmsh element size from the count of trial meshes
%     tet_points, face_points, near_factor   rules and near-pair factor (defaults 4, 6, 9)
%     ntheta       angles per RCS cut (default 181)
%     verbose      print each stage as it starts (default false)
%     time_fill    also time the fill alone (default false)
%     mesh         {P, T, layer} to use instead of meshing
%     grading      element size at the centre over that at the outer surface (default 0.5):
%                  gmsh sizes the elements linearly in the radius between the two, so the
%                  inner layers, whose volumes are small, still get enough elements
%     equal_volume true (default): move the vertices radially so that the faceted surface
%                  of every interface encloses the volume of its true sphere (the
%                  vertices of interface i scale by (4 pi r_i^3 / (3 V_i))^(1/3), V_i the
%                  volume inside the faceted interface; the others by the scale interpolated
%                  linearly in radius, 1 at the centre). A mesh inscribed in the spheres
%                  lacks volume in proportion to (h / r_i)^2, which for the small core of a
%                  uniform mesh is the largest error of its absorbed power; false keeps
%                  gmsh's inscribed mesh (compare it with mie_eqvol)
%
%   Each layer's loss tangent is tan_delta = sigma / (omega eps0 eps_r), so its complex
%   permittivity is eps0 (eps_r - j sigma / (omega eps0)) (time dependence exp(j omega t)).
%
%   result fields:
%     unknowns, tetrahedra, faces, P, T, layer, seconds (as dielectric_study)
%     radii, eps_r, sigma, tan_delta, freq, omega, k, const, GEOM, x
%     p_abs, p_abs_mie, p_abs_mie_eqvol   1 x L power absorbed in each layer (W)
%     ext, sca, abs                       cross-sections (m^2); abs = 2 eta P_abs / |E0|^2
%     abs_check                           absorption_cross_section of the same solution
%     balance                             (sca + abs) / ext - 1
%     mie, mie_eqvol, radii_eqvol         the Mie series and the equal-volume radii
%     cuts, err_E, err_H                  RCS cuts and their rcs_error against Mie
%     E                                   3 x Nt internal field (V/m)
%
%   Example:  r = layered_study('unknowns', 800, 'verbose', true);
%             disp([r.p_abs; r.p_abs_mie]);
%
%   See also DIELECTRIC_STUDY, MIE_SPHERE, ABSORBED_POWER, INTERNAL_FIELD.
function result = layered_study(varargin)
  opt = struct('radii', [0.05 0.08 0.1], 'eps_r', [12 6 9], 'sigma', [0.1 0.05 0.2], ...
               'freq', 300e6, 'unknowns', 3000, 'tet_points', 4, 'face_points', 6, ...
               'near_factor', 9, 'ntheta', 181, 'verbose', false, 'time_fill', false, ...
               'mesh', [], 'equal_volume', true, 'grading', 0.5);
  opt = study_options('layered_study', opt, varargin, ...
                      {'basis', 'cell_pairs', 'seam_pairs', 'hybrid_matrix', 'excite_cells'});
  radii = reshape(opt.radii, 1, []);
  L = numel(radii);
  if L < 1 || any(~(radii > 0)) || any(diff(radii) <= 0)
    error('layered_study:radii', 'layered_study: radii must be positive and ascending');
  end
  eps_r = reshape(opt.eps_r, 1, []);
  sigma = reshape(opt.sigma, 1, []);
  if numel(eps_r) ~= L || numel(sigma) ~= L || any(~(eps_r >= 1)) || any(~(sigma >= 0))
    error('layered_study:material', ['layered_study: give one eps_r (>= 1) and one sigma ' ...
          '(>= 0) per layer']);
  end
  if ~isscalar(opt.freq) || ~(opt.freq > 0)
    error('layered_study:freq', 'layered_study: freq must be a positive frequency in Hz');
  end
  const = em_constants('si');
  omega = 2 * pi * opt.freq;
  k = omega / const.c;
  eta = sqrt(const.mu / const.epsilon);
  tan_delta = sigma ./ (omega * const.epsilon * eps_r);
  khat = [0; 0; 1];
  E0 = [1; 0; 0];
  theta = linspace(0, pi, opt.ntheta);

  clock0 = tic();
  if isempty(opt.mesh)
    study_say(opt, 'meshing %d layers (gmsh, about %d unknowns)', L, opt.unknowns);
    [P, T, layer] = size_mesh(radii, opt.unknowns, opt.grading);
  else
    [P, T, layer] = opt.mesh{:};
  end
  if opt.equal_volume
    P = equal_volume_layers(P, T, layer, radii);
  end
  seconds.mesh = toc(clock0);
  nt = size(T, 2);
  const.Epsilon_r = const.epsilon * eps_r(layer);
  const.tan_delta = tan_delta(layer);

  study_say(opt, 'volume record and near tables (%d tetrahedra)', nt);
  [GEOM, s] = volume_record(P, T, const, opt.tet_points, opt.face_points, opt.near_factor);
  seconds.record = s.record;
  seconds.tables = s.tables;

  clock0 = tic();
  qt = GEOM.OrderT;
  Ein = reshape(plane_wave(GEOM.PointsT, k, khat, E0), 3, qt, nt);
  Ein = reshape(sum(Ein .* reshape(GEOM.WT, 1, qt), 2), 3, nt);
  V = excite_cells(GEOM, Ein);
  seconds.excitation = toc(clock0);
  n = GEOM.EdgesTotal;
  [x, seconds] = study_solve(opt, seconds, n, [], GEOM, const, omega, V);

  clock0 = tic();
  src = solution_currents([], GEOM, omega, x);
  cuts = rcs_cuts(src, k, eta, khat, E0, theta);
  ext = extinction_cross_section(src, k, eta, khat, E0);
  sca = scattering_cross_section(src, k, eta, E0);
  E = internal_field([], GEOM, const, x);
  pa = absorbed_power(GEOM, const, omega, E, layer);
  intensity = sum(abs(E0) .^ 2) / (2 * eta);
  absorbed = pa.total / intensity;
  seconds.far_field = toc(clock0);

  % Equal-volume layers: cumulative tetrahedron volumes inside each interface.
  vol = accumarray(layer(:), GEOM.VolumeT(:), [L, 1])';
  radii_eq = (cumsum(vol) * 3 / (4 * pi)) .^ (1 / 3);
  mie = mie_sphere(k, radii, eps_r, tan_delta, theta);
  mie_eq = mie_sphere(k, radii_eq, eps_r, tan_delta, theta);

  result.unknowns = n;
  result.tetrahedra = nt;
  result.faces = GEOM.FacesNontrivial;
  result.P = P;
  result.T = T;
  result.layer = layer;
  result.seconds = seconds;
  result.radii = radii;
  result.eps_r = eps_r;
  result.sigma = sigma;
  result.tan_delta = tan_delta;
  result.freq = opt.freq;
  result.omega = omega;
  result.k = k;
  result.const = const;
  result.GEOM = GEOM;
  result.x = x;
  result.E = E;
  result.p_abs = pa.region';
  result.p_abs_mie = mie.abs_layer * intensity;
  result.p_abs_mie_eqvol = mie_eq.abs_layer * intensity;
  result.ext = ext;
  result.sca = sca;
  result.abs = absorbed;
  result.abs_check = absorption_cross_section(GEOM, const, src.D, omega, E0);
  result.balance = (sca + absorbed) / ext - 1;
  result.mie = mie;
  result.mie_eqvol = mie_eq;
  result.radii_eqvol = radii_eq;
  result.cuts = cuts;
  result.err_E = rcs_error(cuts.E, mie.E);
  result.err_H = rcs_error(cuts.H, mie.H);
end

% The graded mesh whose volume unknown count (Ne - Nv + 1 for a simply connected body) is
% within 3 % of the target.
function [P, T, layer] = size_mesh(radii, target, grading)
  [P, T, layer] = sized_sphere_mesh(radii, target, 4 / 3 * pi * radii(end) ^ 3, grading, ...
                                    @count_unknowns);
end

function n = count_unknowns(~, T, ~)
  [~, Edges] = volume_mesh_tables(T);
  n = size(Edges, 2) - numel(unique(T(:))) + 1;
end

% Radial scaling of the vertices that gives every faceted interface the volume of its sphere:
% the volume a closed surface encloses about the centre scales with the cube of a radial
% factor, so the factor of interface i is (V_true / V_faceted)^(1/3); vertices between
% interfaces take the factor interpolated linearly in their radius (1 at the centre).
function P = equal_volume_layers(P, T, layer, radii)
  A = reshape(P(:, T), 3, 4, []);
  vol = abs(dot(A(:, 2, :) - A(:, 1, :), cross(A(:, 3, :) - A(:, 1, :), ...
            A(:, 4, :) - A(:, 1, :), 1), 1)) / 6;
  inside = cumsum(accumarray(layer(:), vol(:), [numel(radii), 1]))';
  scale = (4 / 3 * pi * radii .^ 3 ./ inside) .^ (1 / 3);
  r = sqrt(sum(P .^ 2, 1));
  s = interp1([0, radii], [1, scale], min(r, radii(end)), 'linear');
  P = P .* s;
end