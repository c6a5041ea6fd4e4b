% DIELECTRIC_STUDY  Plane-wave scattering by a dielectric sphere or a coated PEC sphere.
%   result = dielectric_study()
%   result = dielectric_study(options)
%   result = dielectric_study('name', value, ...)
%
%   Meshes the sphere with gmsh into tetrahedra, builds the volume record (basis, nontrivial
%   faces, cell_pairs and seam_pairs tables) and, with a metal core, the surface record of the
%   core's surface and the coupling tables; excites with an x-polarised plane wave travelling
%   along +z (excite_cells, excite_plates), fills and solves with hybrid_matrix, and compares
%   the RCS cuts and the cross-sections with the Mie series of the true sphere and of the
%   sphere (layers) of equal volume. Also reports the solution's energy balance
%   (sigma_sca + sigma_abs) / sigma_ext - 1: the scattered power integrated over all
%   directions plus the power dissipated in the tetrahedra against the power taken from the
%   wave (forward-scattering theorem). It vanishes for the exact solution; for the discrete
%   one it measures how consistent the currents are with themselves.
%
%   options (all optional):
%     radius       outer radius (default 1)
%     core         radius of a perfectly conducting core (default 0: homogeneous sphere);
%                  the core is not meshed: its surface is the triangles of the coating's
%                  inner boundary, so metal triangles and dielectric faces coincide there
%     ka           k * outer radius (default 0.8)
%     eps_r        relative permittivity of the dielectric (default 4)
%     tan_delta    its loss tangent (default 0)
%     unknowns     target number of unknowns, volume plus surface (default 1000); reached
%                  by correcting the gmsh element size from the count of a trial mesh
%     accuracy     'fast', 'standard' (default), 'high' or a target relative error: picks
%                  the rules, the near-pair factor of each table, the metal excitation
%                  integration and the far-pair option of hybrid_matrix (accuracy_settings);
%                  tet_points, face_points and near_factor, when given, override it
%     tet_points   tetrahedron rule for PointsT and cell_pairs (default 4)
%     face_points  triangle rule for faces, metal triangles and their tables (default 6)
%     near_factor  near-pair factor of all tables (default 9)
%     units        'normalized' (default) or 'si'; the cross-sections do not depend on it
%     ntheta       angles per cut, 0..180 degrees (default 181)
%     verbose      print each stage as it starts (default false)
%     time_fill    also time the fill alone (default true)
%     solver       'dense' (default: hybrid_matrix), 'compressed' or a struct of
%                  compressed_solve options (hierarchical-matrix solve; its info struct is
%                  returned in seconds.compressed)
%     mesh         {P, T, layer} to use instead of meshing (layer: 1 core, 2 coating)
%     ranks        0 (default): solve with hybrid_matrix in this process; P > 0: with
%                  hybrid_matrix_mpi on P MPI ranks (same solution to rounding)
%
%   result fields:
%     unknowns, volume_unknowns, surface_unknowns, tetrahedra, triangles, faces (nontrivial)
%     P, T, layer          the mesh
%     seconds              stage times: mesh, record (tables, basis, surface record), tables
%                          (cell_pairs, seam_pairs, plate_pairs, coupling tables), excitation,
%                          fill, solve, fill_solve, far_field
%     k, omega, const      wavenumber, angular frequency, constants record
%     GEOM, geom           volume and surface records (geom [] without a core)
%     accuracy             the settings used (accuracy_settings, with the overrides)
%     x                    hybrid_matrix's solution (surface part I/(j omega), then D)
%     ext, sca, abs        extinction, scattering and absorption cross-sections
%     balance              (sca + abs) / ext - 1
%     cuts                 RCS cuts (rcs_cuts)
%     mie, mie_eqvol       Mie series of the sphere and of the equal-volume sphere (layers)
%     radii_eqvol          radii of the equal-volume layers
%     ext_error, abs_error (and _eqvol)   relative errors against both
%     err_E, err_H (and _eqvol)           rcs_error of the cuts
%
%   Example:  r = dielectric_study('tan_delta', 0.5, 'verbose', true);
%             r = dielectric_study('core', 0.6, 'ka', 1, 'unknowns', 1300);
%
%   See also SPHERE_STUDY, VOLUME_RECORD, COUPLING_TABLES, MIE_SPHERE.
function result = dielectric_study(varargin)
  opt = struct('radius', 1, 'core', 0, 'ka', 0.8, 'eps_r', 4, 'tan_delta', 0, ...
               'unknowns', 1000, 'accuracy', 'standard', 'tet_points', [], 'face_points', [], ...
               'near_factor', [], 'units', 'normalized', 'ntheta', 181, 'verbose', false, ...
               'mesh', [], 'time_fill', true, 'ranks', 0, ...
               'solver', 'dense');
  opt = study_options('dielectric_study', opt, varargin, ...
                      {'basis', 'cell_pairs', 'seam_pairs', 'cell_plate_pairs', 'plate_pairs', ...
                       'hybrid_matrix', 'excite_cells', 'excite_plates'});
  acc = accuracy_settings(opt.accuracy);
  if ~isempty(opt.tet_points)
    acc.tet_points = opt.tet_points;
  end
  if ~isempty(opt.face_points)
    acc.face_points = opt.face_points;
  end
  if ~isempty(opt.near_factor)
    [acc.plate_near, acc.seam_near, acc.cell_near, acc.coupling_near] = deal(opt.near_factor);
  end
  opt.hybrid_options = acc.hybrid_options;
  a = opt.radius;
  coated = opt.core > 0;
  if coated && ~(opt.core < a)
    error('dielectric_study:core', 'dielectric_study: core must be below radius');
  end
  if coated
    radii = [opt.core, a];
  else
    radii = a;
  end
  k = opt.ka / a;
  khat = [0; 0; 1];
  E0 = [1; 0; 0];
  theta = linspace(0, pi, opt.ntheta);

  clock0 = tic();
  if isempty(opt.mesh)
    study_say(opt, 'meshing the sphere (gmsh, about %d unknowns)', opt.unknowns);
    [P, T, layer] = size_mesh(radii, opt.unknowns);
  else
    [P, T, layer] = opt.mesh{:};
  end
  seconds.mesh = toc(clock0);
  [Td, Pt, t] = split_mesh(P, T, layer, radii);

  const = em_constants(opt.units, opt.eps_r, opt.tan_delta);
  omega = k * const.c;
  eta = sqrt(const.mu / const.epsilon);
  nt = size(Td, 2);
  const.Epsilon_r = repmat(const.Epsilon_r, 1, nt);
  const.tan_delta = repmat(const.tan_delta, 1, nt);

  study_say(opt, 'volume record and near tables (%d tetrahedra)', nt);
  [GEOM, s] = volume_record(P, Td, const, acc.tet_points, acc.face_points, ...
                            [acc.cell_near, acc.seam_near]);
  seconds.record = s.record;
  seconds.tables = s.tables;
  geom = [];
  ns = 0;
  if coated
    study_say(opt, 'surface record and coupling tables (%d metal triangles)', size(t, 2));
    [geom, s] = surface_record(Pt, t, acc.face_points, acc.plate_near);
    [GEOM, sc] = coupling_tables(GEOM, Pt, t, acc.face_points, acc.coupling_near);
    seconds.record = seconds.record + s.record;
    seconds.tables = seconds.tables + s.tables + sc;
    ns = geom.EdgesTotal;
  end

  clock0 = tic();
  % The field of each tetrahedron is its mean over the tetrahedron (record's rule).
  qt = GEOM.OrderT;
  Ein = reshape(plane_wave(GEOM.PointsT, k, khat, E0), 3, qt, nt);
  Ein = reshape(sum(Ein .* reshape(GEOM.WT, 1, qt), 2), 3, nt);
  V = excite_cells(GEOM, Ein);
  if coated
    if strcmp(acc.rhs, 'quadrature')
      Vs = excite_plates_quadrature(geom, plane_wave(geom.PointsM, k, khat, E0));
    else
      Vs = excite_plates(geom, plane_wave(geom.PointsFC, k, khat, E0));
    end
    V = [Vs; V];
  end
  seconds.excitation = toc(clock0);

  n = ns + GEOM.EdgesTotal;
  [x, seconds] = study_solve(opt, seconds, n, geom, GEOM, const, omega, V);

  clock0 = tic();
  src = volume_current_elements(GEOM, x(ns + 1:end), omega);
  D = src.D;
  if coated
    % The surface block is j omega times the EFIE matrix: the unknowns are I / (j omega).
    s_src = surface_current_elements(geom, 1i * omega * x(1:ns));
    src.points = [s_src.points, src.points];
    src.moments = [s_src.moments, src.moments];
  end
  cuts = rcs_cuts(src, k, eta, khat, E0, theta);
  ext = extinction_cross_section(src, k, eta, khat, E0);
  sca = scattering_cross_section(src, k, eta, E0);
  absorbed = absorption_cross_section(GEOM, const, D, omega, E0);
  seconds.far_field = toc(clock0);

  % Equal-volume layers: the metal core from its triangles (divergence theorem), the
  % outer sphere from the core plus the tetrahedra.
  volume = sum(GEOM.VolumeT);
  eps_layers = opt.eps_r;
  tan_layers = opt.tan_delta;
  if coated
    core_volume = abs(sum(dot(Pt(:, t(1, :)), cross(Pt(:, t(2, :)), Pt(:, t(3, :)), 1), 1))) / 6;
    radii_eq = ([core_volume, core_volume + volume] * 3 / (4 * pi)) .^ (1 / 3);
    eps_layers = [Inf, opt.eps_r];
    tan_layers = [0, opt.tan_delta];
  else
    radii_eq = (volume * 3 / (4 * pi)) ^ (1 / 3);
  end
  mie = mie_sphere(k, radii, eps_layers, tan_layers, theta);
  mie_eq = mie_sphere(k, radii_eq, eps_layers, tan_layers, theta);

  result.unknowns = n;
  result.volume_unknowns = GEOM.EdgesTotal;
  result.surface_unknowns = ns;
  result.tetrahedra = nt;
  result.triangles = size(t, 2);
  result.faces = GEOM.FacesNontrivial;
  result.P = P;
  result.T = T;
  result.layer = layer;
  result.seconds = seconds;
  result.k = k;
  result.omega = omega;
  result.const = const;
  result.GEOM = GEOM;
  result.geom = geom;
  result.accuracy = acc;
  result.x = x;
  result.ext = ext;
  result.sca = sca;
  result.abs = absorbed;
  result.balance = (sca + absorbed) / ext - 1;
  result.cuts = cuts;
  result.mie = mie;
  result.mie_eqvol = mie_eq;
  result.radii_eqvol = radii_eq;
  result.ext_error = ext / mie.ext - 1;
  result.ext_error_eqvol = ext / mie_eq.ext - 1;
  % A lossless body absorbs nothing: its absorption error is NaN.
  result.abs_error = relative_error(absorbed, mie.abs, mie.ext);
  result.abs_error_eqvol = relative_error(absorbed, mie_eq.abs, mie_eq.ext);
  result.err_E = rcs_error(cuts.E, mie.E);
  result.err_H = rcs_error(cuts.H, mie.H);
  result.err_E_eqvol = rcs_error(cuts.E, mie_eq.E);
  result.err_H_eqvol = rcs_error(cuts.H, mie_eq.H);
end

% Mesh, count the unknowns, and correct the element size until the count is within 3 % of
% the target; gmsh's counts jump irregularly with the size, so after at most six runs the
% mesh closest to the target is kept. The volume count of a simply connected dielectric is
% Ne - Nv + 1 (the coating's mesh is counted the same way) and a metal core adds one
% unknown per edge of its surface.
function [P, T, layer] = size_mesh(radii, target)
  volume = 4 / 3 * pi * (radii(end) ^ 3 - (numel(radii) > 1) * radii(1) ^ 3);
  [P, T, layer] = sized_sphere_mesh(radii, target, volume, 1, ...
                                    @(P, T, layer) count_unknowns(P, T, layer, radii));
end

% Volume unknowns (Ne - Nv + 1 on the dielectric) plus, with a metal core, about 1.5 surface
% unknowns per triangle of the core.
function n = count_unknowns(P, T, layer, radii)
  [Td, ~, t] = split_mesh(P, T, layer, radii);
  [~, Edges] = volume_mesh_tables(Td);
  n = size(Edges, 2) - numel(unique(Td(:))) + 1 + 1.5 * size(t, 2);
end

% The dielectric tetrahedra and, with a metal core, the core's surface: the boundary faces of
% the coating inside the middle radius, oriented outward, on their own vertex list.
function [Td, Pt, t] = split_mesh(P, T, layer, radii)
  if numel(radii) == 1
    Td = T;
    Pt = zeros(3, 0);
    t = zeros(3, 0);
    return;
  end
  Td = T(:, layer == 2);
  [~, ~, Faces, TET] = volume_mesh_tables(Td);
  c = (P(:, Faces(1, :)) + P(:, Faces(2, :)) + P(:, Faces(3, :))) / 3;
  inner = TET(2, :) == 0 & sqrt(sum(c .^ 2, 1)) < mean(radii);
  t = Faces(:, inner);
  c = c(:, inner);
  normal = cross(P(:, t(2, :)) - P(:, t(1, :)), P(:, t(3, :)) - P(:, t(1, :)), 1);
  flip = sum(normal .* c, 1) < 0;
  t([2 3], flip) = t([3 2], flip);
  [Pt, t] = compact_vertices(P, t);
end

function e = relative_error(value, reference, scale)
  if abs(reference) > 1e-9 * scale
    e = value / reference - 1;
  else
    e = NaN;
  end
end
