% DEBYE_PERMITTIVITY  Debye relaxation model of a relative permittivity, as a function of f.
%   eps = debye_permittivity(eps_inf, delta_eps, tau)
%   eps = debye_permittivity(eps_inf, delta_eps, tau, sigma)
%
%   eps_inf    permittivity at high frequency; delta_eps, tau  strengths and relaxation times
%              (s) of one or more poles (vectors of equal length); sigma  static ionic
%              conductivity in S/m (default 0).
%
%   Returns a function handle of the frequency f in Hz (any shape) giving
%     eps(f) = eps_inf + sum_i delta_eps_i / (1 + j omega tau_i) - j sigma / (omega eps0),
%   omega = 2 pi f, time dependence exp(j omega t). Use it as the eps_r of a material
%   (dielectric_material); leave the material's own sigma at 0 when sigma is given here.
%
%   Example:  water = debye_permittivity(4.9, 75.3, 8.27e-12);   % pure water near 25 C
%             water(2.45e9)                                    % about 79.0 - 9.4i
%
%   See also COLE_COLE_PERMITTIVITY, DIELECTRIC_MATERIAL.
function eps = debye_permittivity(eps_inf, delta_eps, tau, sigma)
  if nargin < 3 || nargin > 4
    error('debye_permittivity:usage', ...
          'usage: eps = debye_permittivity(eps_inf, delta_eps, tau, sigma)');
  end
  if nargin < 4
    sigma = 0;
  end
  eps = cole_cole_permittivity(eps_inf, delta_eps, tau, zeros(size(tau)), sigma);
end
