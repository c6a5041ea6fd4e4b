% SOLVE_MODEL  Solve a model for several sources over a sweep of frequencies, with results.
%   [res, info] = solve_model(model, freq, sources)
%   [res, info] = solve_model(model, freq, sources, 'name', value, ...)
%   [res, info] = solve_model(prep, freq, sources, ...)
%
%   model    a model (gmsh_model), or the record prepare_model made of it (reused as is).
%   freq     frequencies in Hz (a vector).
%   sources  source records (plane_wave_source, dipole_source), any number: at each
%            frequency they are the right-hand sides of one factorisation.
%
%   The frequency-independent records (mesh tables, basis, near tables) are built once
%   (prepare_model); per frequency only the materials (model_at_frequency), the
%   right-hand sides (model_excitation), the fill and factorisation (hybrid_matrix) and
%   the post-processing are done. A line per frequency tells its time, the elapsed and the
%   estimated remaining time, and a line per result its energy balance.
%
%   Options:
%     accuracy  'fast', 'standard' (default), 'high' or a target error (accuracy_settings);
%               used when a model (not a prep) is given
%     theta     polar angles of the far-field grid, radians (default 0:10:180 degrees)
%     phi       azimuths of the far-field grid, radians (default 0:10:360 degrees)
%     points    3 x P points outside the bodies where the scattered and total fields are
%               wanted (default none); points inside the dielectric give the warning
%               solve_model:pointInside
%     mass      averaging mass of the peak SAR in kg (default 0.010: 10 g)
%     verbose   print the progress and the balance lines (default true)
%     keep_x    keep the solution columns in the results (default true)
%
%   res is an Nf x Ns struct array (frequency f, source s) with the fields
%     freq, omega, k        frequency (Hz), angular frequency (rad/s), wavenumber (rad/m)
%     source                the source record
%     x                     hybrid_matrix's solution column (surface entries I/(j omega),
%                           then the flux-density coefficients); [] unless keep_x
%     I                     RWG currents of the metal edges (A)
%     E                     3 x Nt electric field in each tetrahedron (V/m; internal_field)
%     far                   far-field pattern on the grid: theta, phi (radians), E_theta,
%                           E_phi (Ntheta x Nphi, volts: E ~ F exp(-j k r)/r), and rcs
%                           (bistatic RCS, m^2, plane waves) or intensity (W/sr, dipoles).
%                           For a plane wave it is the scattered field; for a dipole the
%                           total field (dipole and induced currents)
%     P_abs                 absorbed power (W)
%     P_abs_region          R x 1 absorbed power of each region (W)
%     sar                   sar_statistics record (per tetrahedron, region mean and peak,
%                           peak mass-averaged SAR over `mass`), [] when no region has a
%                           density. The averaging volume is a sphere centred at each
%                           tetrahedron's centroid grown until the tissue inside weighs
%                           `mass` (averaged_sar)
%     E_sca, E_inc, E_tot   3 x P fields at the points (V/m)
%   for a plane wave (incident intensity S = |E0|^2 / (2 eta), W/m^2):
%     c_ext, c_sca, c_abs   extinction (forward-scattering theorem), scattering (integral
%                           of the far field) and absorption cross-sections (m^2)
%     P_ext, P_sca          c_ext S, c_sca S (W)
%     balance               (P_sca + P_abs) / P_ext - 1
%   for a dipole:
%     P_free                power the dipole radiates in free space (W)
%     P_source              power it delivers with the bodies present:
%                           P_free - (omega/2) Im(conj(p) . E_sca(r0)), where conj(p) .
%                           E_sca(r0) is, by reciprocity, x.' times the right-hand side of
%                           a dipole conj(p) (so it holds inside a dielectric as well)
%     P_rad                 power radiated to infinity (integral of the total far field)
%     balance               (P_rad + P_abs) / P_source - 1
%   The energy balance vanishes for an exact solution; it measures how consistent the
%   discrete currents are with themselves (a quality indicator, typically below 1 %).
%
%   info fields: prep (the prepared records), seconds (prepare, and per frequency:
%   materials, excitation, solve (fill and factorisation), post, total), unknowns.
%
%   Example:
%     model = gmsh_model('block.geo', 'mesh_size', 0.01, 'dielectric', {'block', mat});
%     res = solve_model(model, [1e9 2e9], plane_wave_source([0 0 1], [1 0 0]));
%     plot([res.freq], [res.c_abs]);
%
%   See also GMSH_MODEL, PREPARE_MODEL, MODEL_AT_FREQUENCY, MODEL_EXCITATION,
%   PLANE_WAVE_SOURCE, DIPOLE_SOURCE, SAR_STATISTICS, EXPORT_VTU.
function [res, info] = solve_model(model, freq, sources, varargin)
  opt = struct('accuracy', 'standard', 'theta', (0:10:180) * pi / 180, ...
               'phi', (0:10:360) * pi / 180, 'points', zeros(3, 0), 'mass', 0.010, ...
               'verbose', true, 'keep_x', true);
  if nargin < 3 || ~isstruct(model) || ~isnumeric(freq) || isempty(freq) ...
     || any(~(freq(:) > 0)) || ~isstruct(sources) || isempty(sources)
    error('solve_model:usage', ['usage: [res, info] = solve_model(model or prep, freq (Hz, ' ...
          '> 0), sources, ''name'', value, ...)']);
  end
  opt = name_value_options('solve_model', opt, varargin);
  if size(opt.points, 1) ~= 3 && ~isempty(opt.points)
    error('solve_model:points', 'solve_model: points must be 3 x P (metres)');
  end
  if isempty(opt.points)
    opt.points = zeros(3, 0);
  end
  if exist('hybrid_matrix') ~= 3 || exist('excite_cells') ~= 3 || exist('excite_plates') ~= 3
    error('solve_model:module', ['solve_model: the hybrid_matrix and excite modules are ' ...
          'not on the path (build the project and run toolkit_setup)']);
  end
  clock0 = tic();
  if isfield(model, 'GEOM') && isfield(model, 'face_sign')
    prep = model;
  else
    prep = prepare_model(model, 'accuracy', opt.accuracy);
  end
  info.seconds.prepare = toc(clock0);
  info.prep = prep;
  info.unknowns = prep.unknowns;
  inside = [];
  if ~isempty(prep.GEOM) && ~isempty(opt.points)
    inside = locate_points(prep.GEOM, opt.points) > 0;
  end
  if any(inside)
    warning('solve_model:pointInside', ['solve_model: %d of the points lie inside the ' ...
            'dielectric, where E_sca and E_tot are not the field there (use res.E)'], ...
            sum(inside));
  end
  freq = reshape(freq, 1, []);
  nf = numel(freq);
  m = numel(sources);
  say(opt, 'model: %d unknowns (%d surface, %d volume), %d metal triangles on dielectric faces; prepared in %.2f s', ...
      prep.unknowns, prep.surface_unknowns, prep.volume_unknowns, prep.metal_on_faces, ...
      info.seconds.prepare);

  stages = {'materials', 'excitation', 'solve', 'post', 'total'};
  for i = 1:numel(stages)
    info.seconds.(stages{i}) = zeros(1, nf);
  end
  sweep0 = tic();
  for fi = 1:nf
    f0 = tic();
    f = freq(fi);
    omega = 2 * pi * f;
    t0 = tic();
    [GEOM, const] = model_at_frequency(prep, f);
    info.seconds.materials(fi) = toc(t0);
    k = omega / const.c;

    t0 = tic();
    V = model_excitation(prep, GEOM, const, omega, sources);
    info.seconds.excitation(fi) = toc(t0);

    t0 = tic();
    x = solve_system(prep, GEOM, const, omega, V);
    info.seconds.solve(fi) = toc(t0);

    t0 = tic();
    row = post_process(prep, GEOM, const, f, omega, k, sources, x, V, opt);
    if fi == 1
      res = repmat(row, nf, 1);
    end
    res(fi, :) = row;
    info.seconds.post(fi) = toc(t0);
    info.seconds.total(fi) = toc(f0);

    elapsed = toc(sweep0);
    say(opt, 'frequency %d/%d: %.6g Hz in %.2f s (solve %.2f s); elapsed %.1f s, remaining about %.1f s', ...
        fi, nf, f, info.seconds.total(fi), info.seconds.solve(fi), elapsed, ...
        elapsed / fi * (nf - fi));
    for s = 1:m
      say(opt, '    %s', result_line(res(fi, s)));
    end
  end
end

% The solution columns of all right-hand sides from one fill and factorisation.
function x = solve_system(prep, GEOM, const, omega, V)
  m = size(V, 2);
  n = size(V, 1);
  geom = prep.geom;
  if isfield(prep.settings, 'hybrid_options') && ~isempty(prep.settings.hybrid_options)
    x = hybrid_matrix(geom, GEOM, const, omega, 0, m, complex(V), [], ...
                      prep.settings.hybrid_options);
  else
    x = hybrid_matrix(geom, GEOM, const, omega, 0, m, complex(V));
  end
  x = reshape(x, n, m);
end

% The results of all sources at one frequency (1 x m), the work shared between sources
% done once: the far-field phases of all directions, the internal fields, the absorbed
% power and the SAR averaging.
function row = post_process(prep, GEOM, const, f, omega, k, sources, X, V, opt)
  geom = prep.geom;
  model = prep.model;
  eta = sqrt(const.mu / const.epsilon);
  ns = prep.surface_unknowns;
  nr = numel(model.regions);
  m = numel(sources);
  dipole = strcmp({sources.type}, 'dipole');

  % Current elements of every solution, and each dipole's own element j omega p (its
  % column is zero for the other sources).
  cur = solution_currents(geom, GEOM, omega, X(:, 1));
  nq = size(cur.points, 2);
  points = [cur.points, [sources(dipole).position]];
  moments = zeros(3, size(points, 2), m);
  for s = 1:m
    if s > 1
      c = solution_currents(geom, GEOM, omega, X(:, s));
      moments(:, 1:nq, s) = c.moments;
    else
      moments(:, 1:nq, s) = cur.moments;
    end
    if dipole(s)
      moments(:, nq + sum(dipole(1:s)), s) = 1i * omega * sources(s).moment;
    end
  end

  % Far field: the user's grid, a Gauss-Legendre grid for the radiated power (as
  % scattering_cross_section) and the forward direction of every plane wave.
  [TH, PH] = ndgrid(reshape(opt.theta, [], 1), reshape(opt.phi, 1, []));
  grid = [sin(TH(:))' .* cos(PH(:))'; sin(TH(:))' .* sin(PH(:))'; cos(TH(:))'];
  % The far field of currents within a radius a of their centre is band-limited to about
  % degree k a in the direction cosines, |F|^2 to twice that: a Gauss-Legendre rule of
  % k a + 8 points (exact to degree 2 k a + 15) integrates it to rounding.
  centre = mean(points, 2);
  a = sqrt(max(sum((points - centre) .^ 2, 1)));
  [sphere_dirs, sphere_w] = sphere_rule(min(64, ceil(k * a) + 8));
  forward = [sources(~dipole).direction];
  F = far_fields(points, moments, [grid, sphere_dirs, forward], k, eta);
  ng = size(grid, 2);
  nsph = size(sphere_dirs, 2);
  eth = [cos(TH(:))' .* cos(PH(:))'; cos(TH(:))' .* sin(PH(:))'; -sin(TH(:))'];
  eph = [-sin(PH(:))'; cos(PH(:))'; zeros(1, numel(PH))];

  % Inside the dielectric: fields, absorbed power, SAR (all sources at once).
  E = zeros(3, 0, m);
  P_abs = zeros(1, m);
  P_region = zeros(nr, m);
  sar = [];
  if ~isempty(GEOM)
    E = reshape(internal_field(geom, GEOM, const, X), 3, [], m);
    rho = arrayfun(@(g) g.material.density, model.regions);
    if any(rho > 0)
      sar = sar_statistics(GEOM, const, omega, E, model.region, rho, opt.mass);
      pa = sar.power;
    else
      pa = absorbed_power(GEOM, const, omega, E, model.region);
    end
    P_abs = reshape(pa.total, 1, m);
    P_region(1:size(pa.region, 1), :) = pa.region;
  end

  % Fields at the user's points.
  np = size(opt.points, 2);
  E_inc = zeros(3, np, m);
  E_sca = zeros(3, np, m);
  if np > 0
    E_inc = reshape(incident_field(sources, opt.points, k, const), 3, np, m);
    E_sca = reshape(scattered_field(geom, GEOM, const, omega, X, opt.points), 3, np, m);
  end

  plane = 0;
  for s = 1:m
    src = sources(s);
    r.freq = f;
    r.omega = omega;
    r.k = k;
    r.source = src;
    r.x = [];
    if opt.keep_x
      r.x = X(:, s);
    end
    r.I = 1i * omega * X(1:ns, s);
    r.E = E(:, :, s);
    Fg = F(:, 1:ng, s);
    r.far.theta = reshape(opt.theta, 1, []);
    r.far.phi = reshape(opt.phi, 1, []);
    r.far.E_theta = reshape(sum(Fg .* eth, 1), size(TH));
    r.far.E_phi = reshape(sum(Fg .* eph, 1), size(TH));
    F2 = abs(r.far.E_theta) .^ 2 + abs(r.far.E_phi) .^ 2;
    radiated = sum(sphere_w .* sum(abs(F(:, ng + 1:ng + nsph, s)) .^ 2, 1)) / (2 * eta);
    r.P_abs = P_abs(s);
    r.P_abs_region = P_region(:, s);
    r.sar = [];
    if ~isempty(sar)
      r.sar = sar_columns(sar, s);
    end
    r.E_inc = E_inc(:, :, s);
    r.E_sca = E_sca(:, :, s);
    r.E_tot = r.E_inc + r.E_sca;
    if ~dipole(s)
      plane = plane + 1;
      E0 = src.E0;
      S = sum(abs(E0) .^ 2) / (2 * eta);
      r.far.rcs = 4 * pi * F2 / sum(abs(E0) .^ 2);
      r.far.intensity = [];
      % Forward-scattering theorem (extinction_cross_section).
      r.c_ext = -(4 * pi / k) * imag(sum(conj(E0) .* F(:, ng + nsph + plane, s))) ...
                / sum(abs(E0) .^ 2);
      r.c_sca = radiated / S;
      r.c_abs = r.P_abs / S;
      r.P_ext = r.c_ext * S;
      r.P_sca = radiated;
      r.P_free = NaN;
      r.P_source = NaN;
      r.P_rad = NaN;
      r.balance = (r.P_sca + r.P_abs) / r.P_ext - 1;
    else
      p = src.moment;
      r.far.rcs = [];
      r.far.intensity = F2 / (2 * eta);
      r.P_free = omega * k ^ 3 * sum(abs(p) .^ 2) / (12 * pi * const.epsilon);
      % conj(p) . E_sca(r0) = x.' * V(conj(p)) (reciprocity with the Galerkin testing).
      if isreal(p)
        Vc = V(:, s);
      else
        Vc = model_excitation(prep, GEOM, const, omega, dipole_source(src.position, conj(p)));
      end
      r.P_source = r.P_free - omega / 2 * imag(X(:, s).' * Vc);
      r.P_rad = radiated;
      r.c_ext = NaN;
      r.c_sca = NaN;
      r.c_abs = NaN;
      r.P_ext = NaN;
      r.P_sca = NaN;
      r.balance = (r.P_rad + r.P_abs) / r.P_source - 1;
    end
    r = orderfields_fixed(r);
    if s == 1
      row = repmat(r, 1, m);
    end
    row(s) = r;
  end
end

% Column s of a sar_statistics record.
function c = sar_columns(sar, s)
  c.tet = sar.tet(:, s);
  c.region_mean = sar.region_mean(:, s);
  c.region_peak = sar.region_peak(:, s);
  c.region_mass = sar.region_mass;
  c.avg = sar.avg(:, s);
  c.peak_avg = sar.peak_avg(s);
  c.peak_avg_tet = sar.peak_avg_tet(s);
  c.peak_avg_center = sar.peak_avg_center(:, s);
  c.peak_avg_radius = sar.peak_avg_radius(s);
  c.mass = sar.mass;
end

% Far-field amplitudes (far_field) of m sets of moments on the same points, 3 x D x m,
% with the phases of each block of directions computed once for all sets.
function F = far_fields(points, moments, rhat, k, eta)
  m = size(moments, 3);
  nd = size(rhat, 2);
  nq = size(points, 2);
  F = zeros(3, nd, m);
  rhat = rhat ./ sqrt(sum(rhat .^ 2, 1));
  M = reshape(permute(moments, [1 3 2]), 3 * m, nq);     % rows: component, then set
  block = max(1, floor(2e6 / max(nq, 1)));
  for a = 1:block:nd
    d = a:min(a + block - 1, nd);
    N = M * exp(1i * k * (points.' * rhat(:, d)));        % 3m x |d|
    N = reshape(N, 3, m, numel(d));
    u = reshape(rhat(:, d), 3, 1, numel(d));
    N = N - sum(N .* u, 1) .* u;
    F(:, d, :) = permute((-1i * k * eta / (4 * pi)) * N, [1 3 2]);
  end
end

% Directions and weights (summing to 4 pi) of an n-point Gauss-Legendre rule in cos(theta)
% times 2n azimuths (the rule of scattering_cross_section, which takes n = 24).
function [rhat, w] = sphere_rule(n)
  b = (1:n - 1) ./ sqrt(4 * (1:n - 1) .^ 2 - 1);
  [vec, val] = eig(diag(b, 1) + diag(b, -1));
  [x, order] = sort(diag(val));
  wx = 2 * vec(1, order) .^ 2;
  phi = (0:2 * n - 1) * pi / n;
  [X, PHI] = ndgrid(x, phi);
  s = sqrt(1 - X(:) .^ 2)';
  rhat = [s .* cos(PHI(:)'); s .* sin(PHI(:)'); X(:)'];
  W = repmat(wx(:), 1, 2 * n) * (pi / n);
  w = W(:)';
end

% One field order for every result, so results of both source types form one array.
function r = orderfields_fixed(r)
  r.far = orderfields(r.far, {'theta', 'phi', 'E_theta', 'E_phi', 'rcs', 'intensity'});
  order = {'freq', 'omega', 'k', 'source', 'x', 'I', 'E', 'far', 'P_abs', 'P_abs_region', ...
           'sar', 'E_inc', 'E_sca', 'E_tot', 'c_ext', 'c_sca', 'c_abs', 'P_ext', 'P_sca', ...
           'P_free', 'P_source', 'P_rad', 'balance'};
  r = orderfields(r, order);
end

function s = result_line(r)
  if strcmp(r.source.type, 'plane_wave')
    s = sprintf('%s: C_ext %.4g m^2, C_sca %.4g m^2, C_abs %.4g m^2, balance %+.3f %%', ...
                r.source.label, r.c_ext, r.c_sca, r.c_abs, 100 * r.balance);
  else
    s = sprintf('%s: P_source %.4g W, P_rad %.4g W, P_abs %.4g W, balance %+.3f %%', ...
                r.source.label, r.P_source, r.P_rad, r.P_abs, 100 * r.balance);
  end
  if ~isempty(r.sar)
    s = [s, sprintf(', peak %g g SAR %.4g W/kg', 1000 * r.sar.mass, r.sar.peak_avg)];
  end
end

function say(opt, varargin)
  if opt.verbose
    fprintf('%s\n', sprintf(varargin{:}));
    if exist('OCTAVE_VERSION', 'builtin')
      fflush(stdout);
    end
  end
end
