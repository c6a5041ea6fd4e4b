% Mie series against independent facts: Rayleigh limits, the optical theorem, the scattered
% power integrated over all directions, energy conservation without loss, the PEC limit of a
% good conductor, and the coated sphere reducing to simpler spheres.

% Scattering cross-section by integrating the RCS cuts over the sphere: for x-polarised
% incidence the differential cross-section is (|S1|^2 sin^2 phi + |S2|^2 cos^2 phi) / k^2, so
% sigma_sca = (pi / k^2) * integral over theta of (|S1|^2 + |S2|^2) sin(theta).
function s = integrated_sca(k, radius, eps_r, tan_delta)
  n = 64;
  b = (1:n - 1) ./ sqrt(4 * (1:n - 1) .^ 2 - 1);
  [v, d] = eig(diag(b, 1) + diag(b, -1));
  [x, o] = sort(diag(d));
  w = 2 * v(1, o) .^ 2;
  m = mie_sphere(k, radius, eps_r, tan_delta, acos(x'));
  s = (pi / k ^ 2) * sum(w .* (abs(m.S1) .^ 2 + abs(m.S2) .^ 2));
end

% Rayleigh limits (x = ka = 0.01): PEC sigma_sca = (10/3) pi a^2 x^4, backscatter 9 pi a^2 x^4;
% dielectric sigma_sca = (8/3) pi a^2 x^4 |K|^2 and sigma_abs = 4 pi a^2 x Im K with
% K = (m^2 - 1)/(m^2 + 2), m^2 = eps_r (1 + i tan_delta).
a = 2.5;
k = 0.01 / a;
x = k * a;
m = mie_sphere(k, a, Inf);
expect_close(m.sca, 10 / 3 * pi * a ^ 2 * x ^ 4, 1e-3, 'PEC Rayleigh scattering');
expect_close(m.back, 9 * pi * a ^ 2 * x ^ 4, 1e-3, 'PEC Rayleigh backscatter');
e = 4 * (1 + 0.5i);
K = (e - 1) / (e + 2);
m = mie_sphere(k, a, 4, 0.5);
expect_close(m.sca, 8 / 3 * pi * a ^ 2 * x ^ 4 * abs(K) ^ 2, 1e-3, ...
             'dielectric Rayleigh scattering');
expect_close(m.abs, 4 * pi * a ^ 2 * x * imag(K), 1e-3, 'dielectric Rayleigh absorption');
% A Rayleigh dielectric sphere scatters like a dipole: E-plane cos^2, H-plane flat.
th = linspace(0, pi, 7);
m = mie_sphere(k, a, 4, 0, th);
expect_close(m.E, m.H(1) * cos(th) .^ 2, 1e-3, 'dipole E-plane pattern');
expect_close(m.H, m.H(1) * ones(size(th)), 1e-3, 'dipole H-plane pattern');

% Larger spheres of every kind: optical theorem, integrated scattering, lossless balance,
% and the monostatic value equal to both cuts at theta = pi.
cases = {{1.3, 1, Inf, 0}, {0.8, 1, 4, 0}, {0.8, 1, 4, 0.5}, {2.7, 1, 2.2, 0.05}, ...
         {1, [0.6 1], [Inf 4], [0 0]}, {1, [0.6 1], [Inf 4], [0 0.5]}, ...
         {1.5, [0.5 1], [6 2], [0.1 0]}};
for i = 1:numel(cases)
  [k, r, er, td] = cases{i}{:};
  m = mie_sphere(k, r, er, td, [0 pi]);
  what = sprintf('case %d', i);
  % Optical theorem: sigma_ext = (4 pi / k^2) Re S(0), with S1(0) = S2(0).
  assert(abs(m.S1(1) - m.S2(1)) < 1e-12 * abs(m.S1(1)), [what ': S1(0) = S2(0)']);
  expect_close(4 * pi / k ^ 2 * real(m.S1(1)), m.ext, 1e-12, [what ': optical theorem']);
  expect_close(integrated_sca(k, r, er, td), m.sca, 1e-10, [what ': integrated scattering']);
  expect_close([m.E(2), m.H(2)], [m.back, m.back], 1e-12, [what ': backscatter']);
  if all(td == 0)
    assert(abs(m.abs) < 1e-12 * m.ext, [what ': no absorption without loss']);
  else
    assert(m.abs > 0.01 * m.ext, [what ': a lossy body absorbs']);
  end
end

% A very good conductor (m ~ 1e4 (1 + i)) approaches the perfect conductor.
p = mie_sphere(1, 1, Inf);
g = mie_sphere(1, 1, 1, 2e8);
expect_close([g.ext g.sca], [p.ext p.sca], 1e-3, 'good conductor');

% Coated spheres: a coating of air leaves the PEC core; a shell of the core material is the
% homogeneous sphere; a vanishing core leaves the homogeneous shell sphere.
th = linspace(0, pi, 19);
c = mie_sphere(2, [0.6 1.4], [Inf 1], [0 0], th);
p = mie_sphere(2, 0.6, Inf, 0, th);
expect_close([c.ext c.sca c.E c.H], [p.ext p.sca p.E p.H], 1e-10, 'air coating');
c = mie_sphere(1.2, [0.6 1], [4 4], [0.5 0.5], th);
h = mie_sphere(1.2, 1, 4, 0.5, th);
expect_close([c.ext c.abs c.E c.H], [h.ext h.abs h.E h.H], 1e-10, 'coating of the core material');
c = mie_sphere(1.2, [1e-4 1], [Inf 3], [0 0.2], th);
h = mie_sphere(1.2, 1, 3, 0.2, th);
expect_close([c.ext c.abs c.E c.H], [h.ext h.abs h.E h.H], 1e-6, 'vanishing core');

% Bad input is refused.
expect_error(@() mie_sphere(1, [1 0.5], [Inf 2]), 'mie_sphere:radius');
expect_error(@() mie_sphere(1, [0.5 1], [2 Inf]), 'mie_sphere:material');
expect_error(@() mie_sphere(1, 1, [2 3]), 'mie_sphere:layers');
expect_error(@() mie_sphere(-1, 1, 2), 'mie_sphere:k');
