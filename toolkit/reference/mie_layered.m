% MIE_LAYERED  Mie coefficients and absorbed power per layer of a sphere of any number of layers.
%   [a, b, abs_layer] = mie_layered(k, radii, eps_r, tan_delta, nmax)
%
%   k          background wavenumber (real, positive).
%   radii      outer radius of each layer, ascending (core first).
%   eps_r      relative permittivity of each layer; Inf makes the core a perfect conductor
%              (only the core may be one).
%   tan_delta  loss tangent of each layer; the permittivity of a layer is eps_r (1 - j
%              tan_delta) in the exp(j omega t) convention of the modules.
%   nmax       number of multipole orders.
%
%   a, b       nmax x 1 electric and magnetic scattering coefficients (the a_n, b_n of
%              mie_sphere, exp(-i omega t) convention).
%   abs_layer  1 x L absorption cross-section of each layer (area in the unit of radii
%              squared); their sum is ext - sca. Times the incident intensity |E0|^2/(2 eta)
%              it is the power each layer dissipates.
%
%   Method (transfer of the tangential fields): in layer l of refractive index m_l the
%   radial function of order n is g = A psi_n(m_l k r) + B chi_n(m_l k r) (Riccati-Bessel
%   psi_n(z) = z j_n(z), chi_n(z) = -z y_n(z)); for the electric (TM) multipoles the pair
%   u = g, v = g'/m_l, for the magnetic (TE) ones u = g, v = m_l g', is proportional to
%   the tangential (H, E) resp. (E, H) on a sphere r = const and so is continuous across
%   every interface. The core starts with (A, B) = (1, 0) (regular at the centre), or with
%   the vanishing tangential E of a perfect conductor; each interface gives the next
%   layer's (A, B) from (u, v); outside, u, v match psi_n(kr) - a_n xi_n(kr) up to a factor
%   alpha_n (xi = psi - i chi). The net inward power through the sphere r = r_l is then
%     sigma_in(r_l) = (2 pi / k^2) sum_n (2n+1) |alpha_n|^2 ( Im(u v*)_TM + Im(u v*)_TE ),
%   evaluated with layer l's expansion at r_l (the expression is continuous, and outside
%   it gives the familiar Re(a_n) - |a_n|^2 + Re(b_n) - |b_n|^2), and layer l absorbs
%   sigma_in(r_l) - sigma_in(r_(l-1)). The functions are evaluated unscaled: meant for
%   layers with |Im(m_l) k r_l| up to a few tens.
%
%   Example:  [a, b, p] = mie_layered(2, [0.2 0.4 0.5], [40 10 2], [0.5 0.2 0], 8);
%
%   See also MIE_SPHERE.
function [a, b, abs_layer] = mie_layered(k, radii, eps_r, tan_delta, nmax)
  if nargin ~= 5
    error('mie_layered:usage', ...
          'usage: [a, b, abs_layer] = mie_layered(k, radii, eps_r, tan_delta, nmax)');
  end
  L = numel(radii);
  if L < 1 || any(~(radii(:) > 0)) || any(diff(radii(:)) <= 0)
    error('mie_layered:radius', 'mie_layered: radii must be positive and ascending');
  end
  if numel(eps_r) ~= L || numel(tan_delta) ~= L
    error('mie_layered:layers', 'mie_layered: give one eps_r and one tan_delta per layer');
  end
  if any(isinf(eps_r(2:end)))
    error('mie_layered:material', 'mie_layered: only the core may be a perfect conductor');
  end
  n = (1:nmax)';
  m = sqrt(eps_r(:) .* (1 + 1i * tan_delta(:)));
  pec = isinf(eps_r(1));
  m(pec) = 1;  % unused: the metal core carries no field
  % Mode 1: TM (a_n, v = g'/m); mode 2: TE (b_n, v = m g').
  flux = zeros(nmax, L, 2);
  coef = zeros(nmax, 2);
  for mode = 1:2
    if mode == 2
      s = m;
    else
      s = 1 ./ m;
    end
    U = zeros(nmax, L);
    V = zeros(nmax, L);
    if pec
      % Tangential E vanishes on the metal: v = 0 for TM, u = 0 for TE (scale is free).
      U(:, 1) = (mode == 1);
      V(:, 1) = (mode == 2);
    else
      % The regular solution psi in the core.
      z = m(1) * k * radii(1);
      [p, dp] = riccati(n, z);
      U(:, 1) = p;
      V(:, 1) = s(1) * dp;
    end
    for l = 2:L
      % Layer l from the continuous pair at r_(l-1), then evaluated at r_l.
      z = m(l) * k * radii(l - 1);
      [p, dp, c, dc] = riccati(n, z);
      det = s(l) * (p .* dc - c .* dp);
      A = (U(:, l - 1) .* s(l) .* dc - c .* V(:, l - 1)) ./ det;
      B = (p .* V(:, l - 1) - s(l) * dp .* U(:, l - 1)) ./ det;
      z = m(l) * k * radii(l);
      [p, dp, c, dc] = riccati(n, z);
      U(:, l) = A .* p + B .* c;
      V(:, l) = s(l) * (A .* dp + B .* dc);
    end
    x = k * radii(L);
    [px, dpx, cx, dcx] = riccati(n, x);
    xi = px - 1i * cx;
    dxi = dpx - 1i * dcx;
    u = U(:, L);
    v = V(:, L);
    coef(:, mode) = (dpx .* u - px .* v) ./ (dxi .* u - xi .* v);
    alpha = (px .* dxi - dpx .* xi) ./ (u .* dxi - v .* xi);
    flux(:, :, mode) = abs(alpha) .^ 2 .* imag(U .* conj(V));
  end
  a = coef(:, 1);
  b = coef(:, 2);
  inside = 2 * pi / k ^ 2 * sum((2 * n + 1) .* sum(flux, 3), 1);  % 1 x L, through r_l
  abs_layer = diff([0, inside]);
end

% Riccati-Bessel functions psi_n(z) = z j_n(z), chi_n(z) = -z y_n(z) and their derivatives
% for the orders n (column), unscaled.
function [psi, dpsi, chi, dchi] = riccati(n, z)
  nu = [0; n] + 0.5;
  s = sqrt(pi * z / 2);
  all_psi = s * besselj(nu, z);
  psi = all_psi(2:end);
  dpsi = all_psi(1:end - 1) - n .* psi / z;
  if nargout > 2
    all_chi = -s * bessely(nu, z);
    chi = all_chi(2:end);
    dchi = all_chi(1:end - 1) - n .* chi / z;
  end
end
