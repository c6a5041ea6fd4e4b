% COLE_COLE_PERMITTIVITY  Multi-pole Cole-Cole model of a relative permittivity, a function of f.
%   eps = cole_cole_permittivity(eps_inf, delta_eps, tau, alpha)
%   eps = cole_cole_permittivity(eps_inf, delta_eps, tau, alpha, sigma)
%
%   eps_inf    permittivity at high frequency.
%   delta_eps  pole strengths, tau their relaxation times (s), alpha their broadening
%              parameters (0 <= alpha < 1; 0 is a Debye pole): vectors of equal length.
%   sigma      static ionic conductivity in S/m (default 0).
%
%   Returns a function handle of the frequency f in Hz (any shape) giving
%     eps(f) = eps_inf + sum_i delta_eps_i / (1 + (j omega tau_i)^(1 - alpha_i))
%              - j sigma / (omega eps0),
%   omega = 2 pi f, time dependence exp(j omega t): the form in which tissue permittivities
%   are usually tabulated (four poles for most tissues).
%
%   Example:  muscle = cole_cole_permittivity(4, [50 7000 1.2e6 2.5e7], ...
%                 [7.234e-12 353.678e-9 318.31e-6 2.274e-3], [0.1 0.1 0.1 0], 0.2);
%             mat = dielectric_material('eps_r', muscle, 'density', 1090);
%
%   See also DEBYE_PERMITTIVITY, DIELECTRIC_MATERIAL, MATERIAL_PERMITTIVITY.
function eps = cole_cole_permittivity(eps_inf, delta_eps, tau, alpha, sigma)
  if nargin < 4 || nargin > 5
    error('cole_cole_permittivity:usage', ...
          'usage: eps = cole_cole_permittivity(eps_inf, delta_eps, tau, alpha, sigma)');
  end
  if nargin < 5
    sigma = 0;
  end
  delta_eps = reshape(double(delta_eps), 1, []);
  tau = reshape(double(tau), 1, []);
  alpha = reshape(double(alpha), 1, []);
  if ~isscalar(eps_inf) || ~isreal(eps_inf) || ~(eps_inf > 0) || numel(tau) ~= numel(delta_eps) ...
     || numel(alpha) ~= numel(tau) || any(~(tau > 0)) || any(~(alpha >= 0 & alpha < 1)) ...
     || ~isreal(delta_eps) || any(~(delta_eps >= 0)) || ~isscalar(sigma) || ~(sigma >= 0)
    error('cole_cole_permittivity:value', ['cole_cole_permittivity: eps_inf > 0, delta_eps ' ...
          '>= 0, tau > 0 and 0 <= alpha < 1 (vectors of equal length), sigma >= 0']);
  end
  eps0 = 8.8541878128e-12;
  eps = @(f) model(f, eps_inf, delta_eps, tau, alpha, sigma, eps0);
end

function e = model(f, eps_inf, delta_eps, tau, alpha, sigma, eps0)
  w = 2 * pi * f;
  e = eps_inf - 1i * sigma ./ (w * eps0);
  for i = 1:numel(tau)
    e = e + delta_eps(i) ./ (1 + (1i * w * tau(i)) .^ (1 - alpha(i)));
  end
end
