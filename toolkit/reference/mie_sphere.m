% MIE_SPHERE  Mie series of a sphere: PEC, (lossy) dielectric, coated or layered.
%   mie = mie_sphere(k, radius, eps_r)
%   mie = mie_sphere(k, radius, eps_r, tan_delta)
%   mie = mie_sphere(k, radius, eps_r, tan_delta, theta)
%
%   k          background wavenumber (real).
%   radius     sphere radius, or [core_radius, outer_radius] for a coated sphere, or the
%              ascending outer radii of any number of concentric layers (core first).
%   eps_r      relative permittivity of each layer, core first; Inf makes the layer a perfect
%              conductor (only the core may be one). A PEC sphere: mie_sphere(k, a, Inf).
%   tan_delta  loss tangent of each layer (default 0); the complex permittivity of a layer
%              is eps_r (1 - j tan_delta) in the exp(j omega t) convention of the modules.
%   theta      scattering angles (radians from the forward direction) for the RCS cuts
%              (default: none).
%
%   The incident plane wave travels along khat with its electric field along e; the E-plane
%   cut holds khat and e, the H-plane cut khat and khat x e (as in rcs_cuts).
%
%   mie fields (areas in the square of the length unit of radius and 1/k):
%     ext, sca, abs  extinction, scattering and absorption cross-sections
%                    ext = 2 pi/k^2 sum (2n+1) Re(a_n + b_n),
%                    sca = 2 pi/k^2 sum (2n+1) (|a_n|^2 + |b_n|^2), abs = ext - sca
%     back           monostatic (backscattering) radar cross-section
%     theta, E, H    bistatic RCS 4 pi |S2|^2 / k^2 (E-plane) and 4 pi |S1|^2 / k^2 (H-plane)
%     abs_layer      absorption cross-section of each layer, core first (mie_layered: net
%                    inward power flux through each interface); sums to abs
%     a, b           the series coefficients (electric and magnetic multipoles, n = 1..nmax)
%     S1, S2         amplitude functions at theta
%   The series is evaluated in the exp(-i omega t) convention (refractive index
%   m = sqrt(eps_r (1 + i tan_delta))); the cross-sections and RCS do not depend on the
%   convention. It is truncated after nmax = x + 4 x^(1/3) + 2 terms (x = k * outer radius)
%   and meant for spheres up to a few tens of wavelengths. One layer and two layers use the
%   closed forms below; three or more layers the transfer of mie_layered.
%
%   Example:  mie = mie_sphere(1, 1, Inf, 0, linspace(0, pi, 181));  % PEC sphere, ka = 1
%
%   See also RCS_CUTS, EXTINCTION_CROSS_SECTION.
function mie = mie_sphere(k, radius, eps_r, tan_delta, theta)
  if nargin < 3 || nargin > 5
    error('mie_sphere:usage', 'usage: mie = mie_sphere(k, radius, eps_r, tan_delta, theta)');
  end
  if nargin < 4 || isempty(tan_delta)
    tan_delta = zeros(size(eps_r));
  end
  if nargin < 5
    theta = zeros(1, 0);
  end
  nl = numel(radius);
  if ~isscalar(k) || ~isreal(k) || ~(k > 0)
    error('mie_sphere:k', 'mie_sphere: k must be a positive real wavenumber');
  end
  if nl < 1 || any(~(radius(:) > 0)) || any(diff(radius(:)) <= 0)
    error('mie_sphere:radius', ...
          'mie_sphere: radius must be one value or ascending layer radii (core first)');
  end
  if numel(eps_r) ~= nl || numel(tan_delta) ~= nl
    error('mie_sphere:layers', 'mie_sphere: give one eps_r and one tan_delta per layer');
  end
  if any(~(eps_r(:) > 0)) || any(~(tan_delta(:) >= 0)) || any(isinf(tan_delta(:)))
    error('mie_sphere:material', ...
          'mie_sphere: eps_r must be positive (or Inf) and tan_delta non-negative');
  end
  if nl > 1 && any(isinf(eps_r(2:end)))
    error('mie_sphere:material', 'mie_sphere: only the core may be a perfect conductor');
  end
  m = sqrt(eps_r(:) .* (1 + 1i * tan_delta(:)));
  x = k * radius(end);
  nmax = max(3, ceil(x + 4 * x ^ (1 / 3) + 2));
  n = (1:nmax)';
  [px, dpx, cx, dcx] = riccati(n, x);
  xi = px - 1i * cx;
  dxi = dpx - 1i * dcx;

  [a_layered, b_layered, abs_layer] = mie_layered(k, radius, eps_r, tan_delta, nmax);
  if nl > 2
    a = a_layered;
    b = b_layered;
  elseif nl == 1 && isinf(eps_r)
    a = dpx ./ dxi;
    b = px ./ xi;
  elseif nl == 1
    [pm, dpm] = riccati(n, m * x);
    a = (m * pm .* dpx - px .* dpm) ./ (m * pm .* dxi - xi .* dpm);
    b = (pm .* dpx - m * px .* dpm) ./ (pm .* dxi - m * xi .* dpm);
  else
    % Coated sphere: core size x1 = k r1, shell index m2; the shell field is a combination
    % of psi and chi whose ratios A_n, B_n follow from the core boundary.
    x1 = k * radius(1);
    m2 = m(2);
    [p21, dp21, c21, dc21] = riccati(n, m2 * x1);
    if isinf(eps_r(1))
      % Perfect conductor: tangential E vanishes on the core.
      A = dp21 ./ dc21;
      B = p21 ./ c21;
    else
      m1 = m(1);
      [p11, dp11] = riccati(n, m1 * x1);
      A = (m2 * p21 .* dp11 - m1 * dp21 .* p11) ./ (m2 * c21 .* dp11 - m1 * dc21 .* p11);
      B = (m2 * p11 .* dp21 - m1 * p21 .* dp11) ./ (m2 * dc21 .* p11 - m1 * dp11 .* c21);
    end
    [p2, dp2, c2, dc2] = riccati(n, m2 * x);
    fa = p2 - A .* c2;
    dfa = dp2 - A .* dc2;
    fb = p2 - B .* c2;
    dfb = dp2 - B .* dc2;
    a = (px .* dfa - m2 * dpx .* fa) ./ (xi .* dfa - m2 * dxi .* fa);
    b = (m2 * px .* dfb - dpx .* fb) ./ (m2 * xi .* dfb - dxi .* fb);
  end

  c = 2 * n + 1;
  mie.ext = 2 * pi / k ^ 2 * sum(c .* real(a + b));
  mie.sca = 2 * pi / k ^ 2 * sum(c .* (abs(a) .^ 2 + abs(b) .^ 2));
  mie.abs = mie.ext - mie.sca;
  mie.back = pi / k ^ 2 * abs(sum(c .* (-1) .^ n .* (a - b))) ^ 2;
  mie.abs_layer = abs_layer;
  mie.a = a;
  mie.b = b;

  % Angular functions pi_n, tau_n by upward recurrence in mu = cos(theta).
  theta = reshape(theta, 1, []);
  mu = cos(theta);
  nth = numel(theta);
  p = zeros(nmax, nth);
  tau = zeros(nmax, nth);
  pprev = zeros(1, nth);
  pcur = ones(1, nth);
  for j = 1:nmax
    p(j, :) = pcur;
    tau(j, :) = j * mu .* pcur - (j + 1) * pprev;
    pnext = ((2 * j + 1) * mu .* pcur - (j + 1) * pprev) / j;
    pprev = pcur;
    pcur = pnext;
  end
  f = c ./ (n .* (n + 1));
  mie.theta = theta;
  mie.S1 = sum(f .* (a .* p + b .* tau), 1);
  mie.S2 = sum(f .* (a .* tau + b .* p), 1);
  mie.E = 4 * pi * abs(mie.S2) .^ 2 / k ^ 2;
  mie.H = 4 * pi * abs(mie.S1) .^ 2 / k ^ 2;
end

% Riccati-Bessel functions psi_n(z) = z j_n(z), chi_n(z) = -z y_n(z) and their derivatives
% for the orders n (column), from the half-integer order Bessel functions. All four carry the
% common factor exp(-|Im z|) (scaled Bessel functions), which keeps strongly lossy layers
% from overflowing; every ratio above is homogeneous of degree zero in the functions of one
% argument, so the factor cancels.
function [psi, dpsi, chi, dchi] = riccati(n, z)
  nu = [0; n] + 0.5;
  s = sqrt(pi * z / 2);
  all_psi = s * besselj(nu, z, 1);
  psi = all_psi(2:end);
  dpsi = all_psi(1:end - 1) - n .* psi / z;
  if nargout > 2
    all_chi = -s * bessely(nu, z, 1);
    chi = all_chi(2:end);
    dchi = all_chi(1:end - 1) - n .* chi / z;
  end
end
