% SPHERE_STUDY  Plane-wave scattering by a PEC sphere, end to end, against the Mie series.
%   result = sphere_study()
%   result = sphere_study(options)
%   result = sphere_study('name', value, ...)
%
%   Meshes the sphere with gmsh, builds the surface record (with plate_pairs' near tables),
%   samples an x-polarised plane wave travelling along +z at the triangle centroids
%   (excite_plates; with accuracy 'high' the testing integrals are integrated with the
%   triangle rule instead), fills and solves the system with hybrid_matrix, and evaluates the
%   E- and H-plane RCS cuts and the extinction cross-section, which it compares with the
%   Mie series of the sphere and of the sphere of equal volume (the faceted mesh encloses
%   less volume than the true sphere; comparing with the equal-volume sphere removes most of
%   that geometric error and leaves the discretisation error of the currents).
%
%   options (all optional):
%     radius       sphere radius (default 1)
%     ka           electrical size k * radius (default 1)
%     unknowns     target number of RWG unknowns (default 1000)
%     accuracy     'fast', 'standard' (default), 'high' or a target relative error: picks
%                  the triangle rule, the near-pair factor and the excitation integration
%                  (accuracy_settings); npoints and near_factor, when given, override it
%     npoints      triangle rule for the near quadrature and the tables (default 6)
%     near_factor  plate_pairs' near-pair factor (default 9)
%     rhs          'centroid' (excite_plates at the centroids) or 'quadrature'
%                  (excite_plates_quadrature with the record's rule); default from accuracy
%     far_factor   hybrid_matrix's FarFactor (record's rule for the unlisted triangle pairs
%                  within it; Inf all); default from accuracy
%     units        'normalized' (default) or 'si'; the RCS does not depend on it
%     ntheta       angles per cut, 0..180 degrees (default 181)
%     verbose      print each stage as it starts (default false)
%     time_fill    also time the fill alone, with a fill-only hybrid_matrix call (negative
%                  flag), to split the module time into fill and solve (default true)
%     solver       'dense' (default: hybrid_matrix), 'compressed' or a struct of
%                  compressed_solve options (hierarchical-matrix solve; its info struct is
%                  returned in seconds.compressed)
%     mesh         {P, t} to use instead of meshing with gmsh
%     ranks        0 (default): solve with hybrid_matrix in this process; P > 0: with
%                  hybrid_matrix_mpi on P MPI ranks (same solution to rounding)
%
%   result fields:
%     unknowns, triangles      problem size
%     P, t                     the mesh
%     seconds                  struct of stage times: mesh, record, tables, excitation,
%                              fill_solve (the solving hybrid_matrix call: fill,
%                              factorisation and solve), fill (the fill-only call; NaN when
%                              not timed), solve (fill_solve - fill), far_field
%     k, omega, const          wavenumber, angular frequency, constants record
%     geom, I                  surface record and RWG currents (A), I = j omega x
%     accuracy                 the settings used (accuracy_settings, with the overrides)
%     ext                      extinction cross-section (forward-scattering theorem)
%     cuts                     RCS cuts (rcs_cuts): theta, E, H
%     mie, mie_eqvol           Mie series of the sphere and of the equal-volume sphere
%     radius_eqvol             radius of the sphere enclosing the mesh's volume
%     ext_error, ext_error_eqvol  relative extinction errors against both
%     err_E, err_H             rcs_error of the cuts against the sphere's Mie series
%     err_E_eqvol, err_H_eqvol likewise against the equal-volume sphere
%
%   Example:  r = sphere_study('unknowns', 1000, 'verbose', true);
%
%   See also SPHERE_SURFACE_MESH, SURFACE_RECORD, HYBRID_MATRIX, EXCITE_PLATES, MIE_SPHERE.
function result = sphere_study(varargin)
  opt = struct('radius', 1, 'ka', 1, 'unknowns', 1000, 'accuracy', 'standard', 'npoints', [], ...
               'near_factor', [], 'rhs', [], 'units', 'normalized', 'ntheta', 181, ...
               'verbose', false, 'mesh', [], 'time_fill', true, 'far_factor', [], 'ranks', 0, ...
               'solver', 'dense');
  opt = study_options('sphere_study', opt, varargin, ...
                      {'plate_pairs', 'hybrid_matrix', 'excite_plates'});
  acc = accuracy_settings(opt.accuracy);
  acc = override(acc, 'face_points', opt.npoints);
  acc = override(acc, 'plate_near', opt.near_factor);
  acc = override(acc, 'rhs', opt.rhs);
  if ~isempty(opt.far_factor)
    acc.hybrid_options = struct('FarFactor', opt.far_factor);
  end
  opt.hybrid_options = acc.hybrid_options;

  a = opt.radius;
  k = opt.ka / a;
  const = em_constants(opt.units);
  omega = k * const.c;
  eta = sqrt(const.mu / const.epsilon);
  khat = [0; 0; 1];
  E0 = [1; 0; 0];
  theta = linspace(0, pi, opt.ntheta);

  study_say(opt, 'meshing the sphere (gmsh, about %d unknowns)', opt.unknowns);
  clock0 = tic();
  if isempty(opt.mesh)
    [P, t] = sphere_surface_mesh(a, 'unknowns', opt.unknowns);
  else
    [P, t] = opt.mesh{:};
  end
  [ok, info] = check_surface(P, t);
  if ~ok
    error('sphere_study:mesh', 'sphere_study: %s', info.message);
  end
  seconds.mesh = toc(clock0);

  study_say(opt, 'surface record and near tables (%d triangles)', size(t, 2));
  [geom, s] = surface_record(P, t, acc.face_points, acc.plate_near);
  seconds.record = s.record;
  seconds.tables = s.tables;

  clock0 = tic();
  if strcmp(acc.rhs, 'quadrature')
    V = excite_plates_quadrature(geom, plane_wave(geom.PointsM, k, khat, E0));
  else
    V = excite_plates(geom, plane_wave(geom.PointsFC, k, khat, E0));
  end
  seconds.excitation = toc(clock0);

  [x, seconds] = study_solve(opt, seconds, geom.EdgesTotal, geom, [], const, omega, V);
  % The surface block is j omega times the EFIE matrix: the unknowns are I / (j omega).
  I = 1i * omega * x;

  clock0 = tic();
  src = surface_current_elements(geom, I);
  cuts = rcs_cuts(src, k, eta, khat, E0, theta);
  ext = extinction_cross_section(src, k, eta, khat, E0);
  seconds.far_field = toc(clock0);

  a_eq = (3 * info.volume / (4 * pi)) ^ (1 / 3);
  mie = mie_sphere(k, a, Inf, 0, theta);
  mie_eq = mie_sphere(k, a_eq, Inf, 0, theta);

  result.unknowns = geom.EdgesTotal;
  result.triangles = geom.TrianglesTotal;
  result.P = P;
  result.t = t;
  result.seconds = seconds;
  result.k = k;
  result.omega = omega;
  result.const = const;
  result.geom = geom;
  result.I = I;
  result.accuracy = acc;
  result.ext = ext;
  result.cuts = cuts;
  result.mie = mie;
  result.mie_eqvol = mie_eq;
  result.radius_eqvol = a_eq;
  result.ext_error = ext / mie.ext - 1;
  result.ext_error_eqvol = ext / mie_eq.ext - 1;
  result.err_E = rcs_error(cuts.E, mie.E);
  result.err_H = rcs_error(cuts.H, mie.H);
  result.err_E_eqvol = rcs_error(cuts.E, mie_eq.E);
  result.err_H_eqvol = rcs_error(cuts.H, mie_eq.H);
end

function acc = override(acc, name, value)
  if ~isempty(value)
    acc.(name) = value;
  end
end
