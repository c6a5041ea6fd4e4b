% EM_CONSTANTS  The constants record const in SI or normalised units.
%   const = em_constants(units)
%   const = em_constants(units, eps_r, tan_delta)
%
%   units      'si': epsilon = 8.8541878128e-12 F/m, mu = 4e-7*pi H/m (free space);
%              'normalized': epsilon = mu = 1. In both, c = 1/sqrt(epsilon*mu), so in
%              normalised units c = 1 and the angular frequency equals the wavenumber.
%   eps_r      relative permittivity of each tetrahedron (default 1); tan_delta its loss
%              tangent (default 0), scalars or one value per tetrahedron.
%
%   The material permittivity the modules read is absolute, in the unit of epsilon:
%   Epsilon_r = epsilon * eps_r (so with SI units it holds eps0*eps_r, and with normalised
%   units eps_r itself). The complex permittivity of a tetrahedron is
%   Epsilon_r * (1 - j*tan_delta) (time dependence exp(j*omega*t)).
%
%   const fields: epsilon, mu, c, Epsilon_r, tan_delta. A metal-only problem keeps the
%   defaults.
%
%   Example:  const = em_constants('si');  omega = k * const.c;
%
%   See also HYBRID_MATRIX, BASIS.
function const = em_constants(units, eps_r, tan_delta)
  if nargin < 1 || nargin > 3 || ~ischar(units)
    error('em_constants:usage', 'usage: const = em_constants(units, eps_r, tan_delta)');
  end
  if nargin < 2
    eps_r = 1;
  end
  if nargin < 3
    tan_delta = 0;
  end
  switch lower(units)
    case 'si'
      const.epsilon = 8.8541878128e-12;
      const.mu = 4e-7 * pi;
    case {'normalized', 'normalised'}
      const.epsilon = 1;
      const.mu = 1;
    otherwise
      error('em_constants:units', 'em_constants: units must be ''si'' or ''normalized''');
  end
  if ~isnumeric(eps_r) || ~isreal(eps_r) || isempty(eps_r) || any(~(eps_r(:) > 0))
    error('em_constants:eps_r', 'em_constants: eps_r must hold positive real values');
  end
  if ~isnumeric(tan_delta) || ~isreal(tan_delta) || isempty(tan_delta) ...
      || any(~(tan_delta(:) >= 0))
    error('em_constants:tan_delta', 'em_constants: tan_delta must hold non-negative values');
  end
  const.c = 1 / sqrt(const.epsilon * const.mu);
  const.Epsilon_r = const.epsilon * reshape(double(eps_r), 1, []);
  const.tan_delta = reshape(double(tan_delta), 1, []);
end
