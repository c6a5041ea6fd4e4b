% Error budget of the sphere studies: the equal-volume extinction error of the default
% ('standard') solution with one error source at a time switched to an accurate version,
% then all of them, for the PEC sphere at ka = 1 and ka = 3 and the dielectric sphere
% (eps_r = 4, ka = 0.8). Run from the repository root after building:
%
%   octave-cli --eval "run('examples/accuracy_budget.m')"
%   octave-cli --eval "unknowns = 1000; run('examples/accuracy_budget.m')"   % quicker
%
% Sources (accurate version in brackets):
%   far pairs      one-point centroid estimate of every pair outside the near tables
%                  [hybrid_matrix option FarFactor = Inf: the record's 6-point rule of the
%                  full kernel; for the volume: every pair in the near tables]
%   near quadrature  6-point (triangles) / 4-point (tetrahedra) rule of the smoothed kernel
%                  [13 / 11 points, same tables]
%   static tables  outer rule of the closed-form 1/R integrals [13 / 11 points]
%   excitation     field at the triangle centroids [13-point testing integral]; for the
%                  tetrahedra the 4-point mean [11-point mean]
%   post           6-point / 4-point radiating elements [13 / 11 points, same currents]
if ~exist('unknowns', 'var')
  unknowns = 3000;
end
root = fileparts(fileparts(mfilename('fullpath')));
addpath(fullfile(root, 'toolkit'));
toolkit_setup();
E0 = [1; 0; 0];
khat = [0; 0; 1];
row = @(name, e) fprintf('  %-22s %+9.4f %%\n', name, 100 * e);

for ka = [1 3]
  [P, t] = sphere_surface_mesh(1, 'unknowns', unknowns);
  [~, info] = check_surface(P, t);
  a_eq = (3 * info.volume / (4 * pi)) ^ (1 / 3);
  ref = mie_sphere(ka, a_eq, Inf, 0, 0).ext;
  const = em_constants('normalized');
  omega = ka * const.c;
  g6 = surface_record(P, t, 6, 9);
  g13 = surface_record(P, t, 13, 9);
  assert(isequal(g6.ttIS, g13.ttIS) && isequal(g6.ttJS, g13.ttJS));
  quad = g6;  % 13-point smoothed quadrature, 6-point static tables
  for f = {'OrderM', 'PointsM', 'PointsMRho', 'WM'}
    quad.(f{1}) = g13.(f{1});
  end
  static = g6;  % 6-point smoothed quadrature, 13-point static tables
  static.ttSS = g13.ttSS;
  static.ttRS = g13.ttRS;
  Vc = excite_plates(g6, plane_wave(g6.PointsFC, ka, khat, E0));
  Vq = excite_plates_quadrature(g13, plane_wave(g13.PointsM, ka, khat, E0));
  far = struct('FarFactor', Inf);
  solve = @(g, V, o) 1i * omega * hybrid_matrix(g, [], const, omega, 0, 1, V, [], o);
  ext = @(g, I) extinction_cross_section(surface_current_elements(g, I), ka, 1, khat, E0);
  fprintf('PEC sphere, ka = %g, %d unknowns: equal-volume extinction error\n', ka, g6.EdgesTotal);
  I0 = solve(g6, Vc, []);
  row('standard', ext(g6, I0) / ref - 1);
  row('far pairs', ext(g6, solve(g6, Vc, far)) / ref - 1);
  row('near quadrature', ext(g6, solve(quad, Vc, [])) / ref - 1);
  row('static tables', ext(g6, solve(static, Vc, [])) / ref - 1);
  row('excitation', ext(g6, solve(g6, Vq, [])) / ref - 1);
  row('post-processing', ext(g13, I0) / ref - 1);
  row('all accurate', ext(g13, solve(g13, Vq, far)) / ref - 1);
  r = sphere_study('mesh', {P, t}, 'ka', ka, 'accuracy', 'high', 'time_fill', false);
  row('''high''', r.ext_error_eqvol);
end

% Dielectric sphere: the volume tables have no far-pair option; their accurate version puts
% every pair into the near tables (closed-form static integrals), which costs O(Nt^2).
ka = 0.8;
r0 = dielectric_study('unknowns', unknowns, 'ka', ka, 'time_fill', false);
P = r0.P;
T = r0.T;
const = em_constants('normalized', 4, 0);
const.Epsilon_r = repmat(const.Epsilon_r, 1, size(T, 2));
const.tan_delta = repmat(const.tan_delta, 1, size(T, 2));
omega = ka * const.c;
G4 = volume_record(P, T, const, 4, 6, 9);
G11 = volume_record(P, T, const, 11, 13, 9);
Gall = volume_record(P, T, const, 4, 6, 1e6);
Gcells = volume_record(P, T, const, 4, 6, [1e6, 9]);
Gfaces = volume_record(P, T, const, 4, 6, [9, 1e6]);
Gall11 = volume_record(P, T, const, 11, 13, 1e6);
quad = G4;
for f = {'OrderT', 'PointsT', 'WT', 'OrderF', 'PointsF', 'WF'}
  quad.(f{1}) = G11.(f{1});
end
static = G4;
static.TTSS = G11.TTSS;
static.FFSS = G11.FFSS;
a_eq = (3 * sum(G4.VolumeT) / (4 * pi)) ^ (1 / 3);
ref = mie_sphere(ka, a_eq, 4, 0, 0).ext;
mean_field = @(G) reshape(sum(reshape(plane_wave(G.PointsT, ka, khat, E0), 3, G.OrderT, []) ...
                              .* reshape(G.WT, 1, G.OrderT), 2), 3, []);
V4 = excite_cells(G4, mean_field(G4));
V11 = excite_cells(G4, mean_field(G11));
solve = @(G, V) hybrid_matrix([], G, const, omega, 0, 1, V);
ext = @(G, x) extinction_cross_section(volume_current_elements(G, x, omega), ka, 1, khat, E0);
fprintf('Dielectric sphere (eps_r = 4), ka = %g, %d unknowns: equal-volume extinction error\n', ...
        ka, G4.EdgesTotal);
x0 = solve(G4, V4);
row('standard', ext(G4, x0) / ref - 1);
row('far pairs (tetrahedra)', ext(G4, solve(Gcells, V4)) / ref - 1);
row('far pairs (faces)', ext(G4, solve(Gfaces, V4)) / ref - 1);
row('far pairs (both)', ext(G4, solve(Gall, V4)) / ref - 1);
row('near quadrature', ext(G4, solve(quad, V4)) / ref - 1);
row('static tables', ext(G4, solve(static, V4)) / ref - 1);
row('excitation', ext(G4, solve(G4, V11)) / ref - 1);
row('post-processing', ext(G11, x0) / ref - 1);
row('all accurate', ext(G11, solve(Gall11, excite_cells(Gall11, mean_field(Gall11)))) / ref - 1);
