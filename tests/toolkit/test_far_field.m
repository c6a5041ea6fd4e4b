% Post-processing against closed forms: a small lossy sphere's induced dipole must reproduce
% the Mie RCS cuts, extinction and scattering in both unit systems and wherever it sits; the
% RWG current elements must carry the exact moment of each RWG function; constants.

% The Rayleigh dielectric sphere is the electric dipole p = 4 pi eps a^3 K E0 (exp(j w t):
% K = (e - 1)/(e + 2) with e = eps_r (1 - j tan_delta)), i.e. the current element j w p.
a = 0.02;
k = 0.5;
eps_r = 3;
tan_delta = 0.4;
er = eps_r * (1 - 1i * tan_delta);
K = (er - 1) / (er + 2);
khat = [0; 0; 1];
E0 = [2; 0; 0];
th = linspace(0, pi, 13);
mie = mie_sphere(k, a, eps_r, tan_delta, th);
for units = {'normalized', 'si'}
  const = em_constants(units{1});
  omega = k * const.c;
  eta = sqrt(const.mu / const.epsilon);
  for r0 = [[0; 0; 0], [0.3; -1.1; 2.4]]
    % The dipole responds to the incident field at its own position.
    Einc = plane_wave(r0, k, khat, E0);
    src.points = r0;
    src.moments = 1i * omega * 4 * pi * const.epsilon * a ^ 3 * K * Einc;
    what = sprintf('%s units, dipole at %s', units{1}, mat2str(r0'));
    cuts = rcs_cuts(src, k, eta, khat, E0, th);
    expect_close(cuts.E, mie.E, 2e-3, [what ': E-plane RCS']);
    expect_close(cuts.H, mie.H, 2e-3, [what ': H-plane RCS']);
    % Extinction: the Rayleigh absorption dominates; the phase of the far field must cancel
    % the incident phase at r0 for the value not to depend on the position.
    expect_close(extinction_cross_section(src, k, eta, khat, E0), mie.ext, 2e-3, ...
                 [what ': extinction']);
    expect_close(scattering_cross_section(src, k, eta, E0), mie.sca, 2e-3, [what ': scattering']);
  end
end

% Far field of a dipole is transverse and falls as the sine of the angle to the moment.
src.points = [0; 0; 0];
src.moments = [0; 0; 1];
rhat = [sin(th); zeros(size(th)); cos(th)];
F = far_field(src, rhat, 2, 1);
assert(max(abs(sum(F .* rhat, 1))) < 1e-14, 'transverse far field');
expect_close(sqrt(sum(abs(F) .^ 2, 1)), 2 / (4 * pi) * abs(sin(th)), 1e-14, 'dipole pattern');

% Each RWG function's current integrates to l (c- - c+) (from integral f dS = -integral of
% r div f dS, div f = +-l/A), whatever the rule, on an open and a closed mesh.
P = [1 -1 0 0 0 0; 0 0 1 -1 0 0; 0 0 0 0 1 -1] .* [1; 0.8; 1.3];
t = [1 3 5; 3 2 5; 2 4 5; 4 1 5; 3 1 6; 2 3 6; 4 2 6; 1 4 6]';
for sel = {1:8, [1 2 4 5 8]}
  for npts = [1 4 13]
    g = surface_record(P, t(:, sel{1}), npts, 0);
    for n = 1:g.EdgesTotal
      I = zeros(1, g.EdgesTotal);
      I(n) = 1;
      e = surface_current_elements(g, I);
      expected = g.EdgeLength(n) * (g.PointsFC(:, g.TriM(n)) - g.PointsFC(:, g.TriP(n)));
      assert(norm(sum(e.moments, 2) - expected) < 1e-14, sprintf('edge %d moment', n));
    end
  end
end
expect_error(@() surface_current_elements(g, ones(1, g.EdgesTotal + 1)), ...
             'surface_current_elements:I');

% Constants: the speed of light from eps0 and mu0, absolute material permittivities.
si = em_constants('si', [2 4], [0 0.5]);
assert(abs(si.c / 299792458 - 1) < 1e-9);
expect_close(si.Epsilon_r, si.epsilon * [2 4], 1e-15, 'SI permittivities are absolute');
nu = em_constants('normalized', 4, 0.5);
assert(nu.c == 1 && nu.Epsilon_r == 4 && nu.tan_delta == 0.5);
expect_error(@() em_constants('cgs'), 'em_constants:units');
expect_error(@() em_constants('si', -1), 'em_constants:eps_r');
expect_error(@() plane_wave([0; 0; 0], 1, [0 0 1], [0 0 1]), 'plane_wave:E0');

% Error measures of RCS cuts.
err = rcs_error([1 10 100], [1 1 100]);
assert(abs(err.max_db - 10) < 1e-12 && abs(err.rms_db - 10 / sqrt(3)) < 1e-12);
assert(abs(err.rel_rms - 9 / norm([1 1 100])) < 1e-15);
