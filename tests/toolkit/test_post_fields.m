% Fields of a solution: the radiated field of current elements against an independent
% finite-difference evaluation of -j omega mu (I + grad grad / k^2) G m, its far-field and
% static limits; a small lossy sphere solved end to end, whose internal field must be the
% Rayleigh field 3 / (eps + 2) E0 and whose scattered field must be that of the Rayleigh
% dipole; absorbed power against the absorption cross-section; current densities against
% the current elements; identified errors.

% Radiated field of three elements against finite differences of G at kR from 0.1 to 10.
k = 2;
eta = 1.7;
src.points = [0.1 -0.3 0.2; -0.2 0.1 0; 0.05 0.4 -0.1];
src.moments = [0.3 + 0.1i, -0.5, 0.8i; 0.2, 1i, -0.4; 0.6 - 0.2i, 0.1, 0.3]';
G = @(r, rs) exp(-1i * k * norm(r - rs)) / (4 * pi * norm(r - rs));
pts = [0.9 0.2 -0.3; -1.5 2 1; 3 -2.5 4; 0.25 -0.1 0.05]';
E = radiated_field(src, pts, k, eta);
for p = 1:size(pts, 2)
  Efd = zeros(3, 1);
  for q = 1:size(src.points, 2)
    r = pts(:, p);
    rs = src.points(:, q);
    h = 1e-3 * norm(r - rs);
    H = zeros(3);
    for i = 1:3
      for j = 1:3
        ei = h * ((1:3)' == i);
        ej = h * ((1:3)' == j);
        H(i, j) = (G(r + ei + ej, rs) - G(r + ei - ej, rs) - G(r - ei + ej, rs) ...
                   + G(r - ei - ej, rs)) / (4 * h ^ 2);
      end
    end
    m = src.moments(:, q);
    Efd = Efd - 1i * k * eta * (G(r, rs) * m + H * m / k ^ 2);
  end
  expect_close(E(:, p), Efd, 1e-5, sprintf('radiated field at point %d', p));
end
% Far-field limit: E r exp(j k r) -> far_field at r = 1e6 / k.
rhat = [0 0 1; 1 0 0; 0.3 -0.5 0.8; -0.6 0.6 -0.5]';
rhat = rhat ./ sqrt(sum(rhat .^ 2, 1));
r = 1e6 / k;
Efar = radiated_field(src, r * rhat, k, eta) * r .* exp(1i * k * r);
expect_close(Efar, far_field(src, rhat, k, eta), 1e-5, 'far-field limit');
% Static limit: at k R = 1e-5 the element j omega p is the dipole (3 (Rhat.p) Rhat - p) /
% (4 pi eps R^3) (normalised units: eps = mu = c = 1, eta = 1, omega = k).
k = 1e-5;
d.points = [0; 0; 0];
p = [0.2; -0.7; 0.4];
d.moments = 1i * k * p;
R = [0.3; 0.8; -0.5];
Rh = R / norm(R);
expect_close(radiated_field(d, R, k, 1), (3 * (Rh' * p) * Rh - p) / (4 * pi * norm(R) ^ 3), ...
             1e-8, 'static dipole limit');
% Many points go in blocks: the result does not depend on the block split.
many = randn(3, 3000) * 3 + 5;
src.points = randn(3, 900);
src.moments = randn(3, 900) + 1i * randn(3, 900);
E = radiated_field(src, many, 1.1, 1);
expect_close(E(:, [1 1500 3000]), radiated_field(src, many(:, [1 1500 3000]), 1.1, 1), 1e-12, ...
             'blocks over points');
% The sums by matrix products against the direct sum over the elements, with the body far
% from the origin (the expansion is taken about the elements' centre).
shift = [40; -25; 60];
few = many(:, 1:7) + shift;
body.points = src.points + shift;
body.moments = src.moments;
Ed = zeros(3, 7);
for i = 1:7
  Rv = few(:, i) - body.points;
  Rn = sqrt(sum(Rv .^ 2, 1));
  u = 1 ./ (1i * 1.1 * Rn);
  rm = sum(Rv .* body.moments, 1) ./ Rn .^ 2;
  Ed(:, i) = -1i * 1.1 / (4 * pi) * sum(exp(-1i * 1.1 * Rn) ./ Rn .* ((1 + u + u .^ 2) ...
             .* body.moments - (1 + 3 * u + 3 * u .^ 2) .* rm .* Rv), 2);
end
expect_close(radiated_field(body, few, 1.1, 1), Ed, 1e-11, 'direct sum');

% A small lossy sphere (k a = 0.05, eps_r = 4, tan delta = 0.5, about 300 unknowns): the
% Rayleigh interior field is uniform, 3 / (eps + 2) E0.
s = dielectric_study('tan_delta', 0.5, 'ka', 0.05, 'unknowns', 300, 'ntheta', 7, ...
                     'time_fill', false);
GEOM = s.GEOM;
const = s.const;
omega = s.omega;
er = 4 * (1 - 0.5i);
Eq = [3 / (er + 2); 0; 0];
[Ein, D] = internal_field([], GEOM, const, s.x);
assert(isequal(size(Ein), [3, GEOM.TetrahedraTotal]));
V = GEOM.VolumeT;
expect_close(sum(Ein .* V, 2) / sum(V), Eq, 0.01, 'volume mean of the internal field');
dev = sqrt(sum(V .* sum(abs(Ein - Eq) .^ 2, 1)) / sum(V)) / abs(Eq(1));
assert(dev < 0.06, sprintf('internal field: rms deviation %.3f from the Rayleigh field', dev));
src = volume_current_elements(GEOM, s.x, omega);
expect_close(D, src.D, 1e-14, 'flux density as the current elements use it');
% Outside: the scattered field of the Rayleigh dipole p = 4 pi eps a^3 (e - 1) / (e + 2) E0
% (a of the equal volume), from 1.5 a to 5 a.
eta = sqrt(const.mu / const.epsilon);
a = s.radii_eqvol;
pts = [0 0 3; 2 1 -2; 0.5 -3 0.2; 1.5 0 0; 0 -1.2 1.2]';
Es = scattered_field([], GEOM, const, omega, s.x, pts);
dip.points = [0; 0; 0];
dip.moments = 1i * omega * 4 * pi * const.epsilon * a ^ 3 * (er - 1) / (er + 2) * [1; 0; 0];
expect_close(Es, radiated_field(dip, pts, s.k, eta), 0.02, 'scattered field of the sphere');
% Several columns are several solutions; linear in x.
Es2 = scattered_field([], GEOM, const, omega, [s.x, 2i * s.x], pts(:, 1:2));
assert(isequal(size(Es2), [3 2 2]));
expect_close(Es2(:, :, 2), 2i * Es(:, 1:2), 1e-13, 'second column');
% Far away the solution's scattered field is its far field.
src = solution_currents([], GEOM, omega, s.x);
rr = 1e6 / s.k;
expect_close(scattered_field([], GEOM, const, omega, s.x, rr * [0; 0.6; 0.8]) * rr ...
             * exp(1i * s.k * rr), far_field(src, [0; 0.6; 0.8], s.k, eta), 1e-5, ...
             'solution far field');

% Absorbed power: the same number as the absorption cross-section path, shared among
% regions, and p = (omega / 2) eps'' |E|^2.
region = 1 + (GEOM.CenterT(3, :) > 0);
pa = absorbed_power(GEOM, const, omega, Ein, region);
expect_close(pa.total / (1 / (2 * eta)), s.abs, 1e-12, 'absorbed power against sigma_abs');
expect_close(sum(pa.region), pa.total, 1e-14, 'regions add up');
expect_close(pa.region(1), sum(pa.tet(region == 1)), 1e-14, 'region 1');
t = 7;
expect_close(pa.density(t), omega / 2 * 4 * 0.5 * sum(abs(Ein(:, t)) .^ 2), 1e-13, ...
             'power density of one tetrahedron');
pa2 = absorbed_power(GEOM, const, omega, cat(3, Ein, 2 * Ein));
expect_close(pa2.total, [1 4] * pa.total, 1e-13, 'two sources');

% Surface current density at the centroids against the current elements: the centroid
% value times the area is the triangle's integral of the (linear) RWG current.
P = [1 -1 0 0 0 0; 0 0 1 -1 0 0; 0 0 0 0 1 -1] .* [1; 0.8; 1.3];
tri = [1 3 5; 3 2 5; 2 4 5; 4 1 5; 3 1 6; 2 3 6; 4 2 6; 1 4 6]';
g = surface_record(P, tri, 6, 0);
I = randn(g.EdgesTotal, 1) + 1i * randn(g.EdgesTotal, 1);
J = surface_current_density(g, I);
e = surface_current_elements(g, I);
per_tri = reshape(sum(reshape(e.moments, 3, g.OrderM, []), 2), 3, []);
expect_close(J .* g.AreaF, per_tri, 1e-13, 'surface current density');
% Metal and dielectric together: solution_currents puts the surface elements first.
both = solution_currents(g, GEOM, omega, [I / (1i * omega); s.x]);
assert(both.surface == size(e.points, 2));
expect_close(both.moments(:, 1:both.surface), e.moments, 1e-14, 'surface part');

% Points are located in their tetrahedra: every centroid in its own, points just outside
% the faceted surface (beyond the farthest vertex) and far points nowhere.
probe = [GEOM.CenterT(:, 1:37:end), [0; 0; 1.01] * max(abs(GEOM.MeshP(3, :))), [5; -5; 5]];
expect_close(locate_points(GEOM, probe), [1:37:GEOM.TetrahedraTotal, 0, 0], 0, 'located');

expect_error(@() solution_currents([], GEOM, omega, s.x(1:end - 1)), 'solution_currents:x');
expect_error(@() internal_field([], [], const, s.x), 'internal_field:GEOM');
expect_error(@() absorbed_power(GEOM, const, omega, Ein, [region 1]), 'absorbed_power:region');
expect_error(@() radiated_field(dip, [1; 2], 1, 1), 'radiated_field:points');
expect_error(@() scattered_field(g, GEOM, const, omega, s.x, pts), 'scattered_field:x');
