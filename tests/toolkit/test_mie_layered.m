% Multilayer Mie series (mie_layered, mie_sphere with three or more layers): reduces to the
% closed forms of one and two layers, a homogeneous sphere cut into shells is the same sphere,
% lossless layers absorb nothing, the layer absorptions add up to ext - sca, and in the
% quasi-static limit each layer absorbs what the electrostatic field of a layered sphere in a
% uniform field dissipates there.

% One and two layers against mie_sphere's closed forms (lossy dielectric, PEC, coated with a
% dielectric core and with a PEC core).
k = 1.3;
cases = {0.8, 4, 0.3; 1, Inf, 0; [0.5 0.8], [6 2], [0.5 0.1]; [0.5 0.8], [Inf 2], [0 0.1]};
for i = 1:size(cases, 1)
  [r, e, t] = cases{i, :};
  m = mie_sphere(k, r, e, t);
  [a, b, p] = mie_layered(k, r, e, t, numel(m.a));
  what = sprintf('case %d', i);
  expect_close(a, m.a, 1e-12, [what ': a_n']);
  expect_close(b, m.b, 1e-12, [what ': b_n']);
  assert(abs(sum(p) - m.abs) <= 1e-12 * m.ext, [what ': layer absorptions add up']);
  expect_close(m.abs_layer, p, 1e-14, [what ': mie_sphere reports them']);
end
assert(mie_sphere(k, [0.5 0.8], [Inf 2], [0 0.1]).abs_layer(1) == 0, 'a metal core absorbs nothing');

% A homogeneous lossy sphere cut into three shells of the same material is the same sphere,
% its absorption shared among the shells.
one = mie_sphere(k, 0.8, 4, 0.3, linspace(0, pi, 7));
three = mie_sphere(k, [0.3 0.5 0.8], [4 4 4], [0.3 0.3 0.3], linspace(0, pi, 7));
expect_close([three.ext, three.sca, three.abs], [one.ext, one.sca, one.abs], 1e-12, ...
             'shells of one material');
expect_close([three.E, three.H], [one.E, one.H], 1e-12, 'shells of one material: cuts');
assert(all(three.abs_layer > 0) && abs(sum(three.abs_layer) / one.abs - 1) < 1e-12);

% Lossless layers (and a larger sphere, x = 6): nothing absorbed anywhere, ext = sca.
m = mie_sphere(3, [0.7 1.4 2], [9 2.5 5], [0 0 0]);
assert(max(abs(m.abs_layer)) < 1e-10 * m.ext, 'lossless layers absorb nothing');
assert(abs(m.ext / m.sca - 1) < 1e-10, 'lossless: extinction equals scattering');
% Loss only in the middle layer: only it absorbs.
m = mie_sphere(3, [0.7 1.4 2], [9 2.5 5], [0 0.4 0]);
assert(m.abs_layer(2) > 0 && max(abs(m.abs_layer([1 3]))) < 1e-10 * m.ext, ...
       'only the lossy layer absorbs');
assert(abs(sum(m.abs_layer) - m.abs) < 1e-10 * m.ext);

% Quasi-static limit (ka = 0.005): in a uniform field E0 z the potential of layer l is
% (A_l r + B_l / r^2) cos(theta) (B_1 = 0; outside -E0 r + B / r^2), continuous with
% eps_l d(phi)/dr at every interface. The field's squared magnitude integrates over shell
% (r1, r2) to (4 pi / 3) |A|^2 (r2^3 - r1^3) + (8 pi / 3) |B|^2 (r1^-3 - r2^-3), and the
% layer absorbs sigma_l = k eps''_l integral |E|^2 / |E0|^2 (k = omega eps0 eta).
radii = [0.3 0.6 1];
eps_r = [40 8 3];
tan_delta = [0.6 0.1 0.3];
k = 0.005;
e = [eps_r .* (1 + 1i * tan_delta), 1];   % exp(-i omega t), as the series is evaluated
L = numel(radii);
% Unknowns A_1, (A_l, B_l) for l = 2..L, B_out; two equations per interface.
nu = 2 * L;
M = zeros(nu);
rhs = zeros(nu, 1);
col_A = @(l) 1 + 2 * (l - 1) - (l > 1);     % A_1 = 1, A_2 = 2, B_2 = 3, A_3 = 4, B_3 = 5...
for l = 1:L
  r = radii(l);
  row = 2 * l - 1;
  % potential continuity: A_l r + B_l / r^2 - (A_{l+1} r + B_{l+1} / r^2) = 0
  M(row, col_A(l)) = r;
  M(row + 1, col_A(l)) = e(l);
  if l > 1
    M(row, col_A(l) + 1) = 1 / r ^ 2;
    M(row + 1, col_A(l) + 1) = -2 * e(l) / r ^ 3;
  end
  if l < L
    M(row, col_A(l + 1)) = -r;
    M(row, col_A(l + 1) + 1) = -1 / r ^ 2;
    M(row + 1, col_A(l + 1)) = -e(l + 1);
    M(row + 1, col_A(l + 1) + 1) = 2 * e(l + 1) / r ^ 3;
  else
    % outside: -E0 r + B / r^2 with E0 = 1
    M(row, nu) = -1 / r ^ 2;
    rhs(row) = -r;
    M(row + 1, nu) = 2 / r ^ 3;
    rhs(row + 1) = -1;
  end
end
c = M \ rhs;
inner = [0, radii(1:end - 1)];
sigma = zeros(1, L);
for l = 1:L
  A = c(col_A(l));
  B = 0;
  if l > 1
    B = c(col_A(l) + 1);
  end
  E2 = 4 * pi / 3 * abs(A) ^ 2 * (radii(l) ^ 3 - inner(l) ^ 3);
  if l > 1
    E2 = E2 + 8 * pi / 3 * abs(B) ^ 2 * (inner(l) ^ -3 - radii(l) ^ -3);
  end
  sigma(l) = k * eps_r(l) * tan_delta(l) * E2;
end
m = mie_sphere(k, radii, eps_r, tan_delta);
expect_close(m.abs_layer, sigma, 1e-4, 'quasi-static absorption per layer');
expect_error(@() mie_layered(1, [0.5 0.4], [2 2], [0 0], 4), 'mie_layered:radius');
expect_error(@() mie_sphere(1, [0.5 0.6 0.8], [2 Inf 2], [0 0 0]), 'mie_sphere:material');
