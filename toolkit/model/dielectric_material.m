% DIELECTRIC_MATERIAL  Material record of a dielectric region (permittivity, losses, density).
%   mat = dielectric_material('name', value, ...)
%
%   Properties (SI units; time dependence exp(j omega t), so losses are negative imaginary
%   parts):
%     eps_r      relative permittivity: a number (complex allowed, eps' - j eps'') or a
%                function handle of the frequency in Hz returning one (debye_permittivity,
%                cole_cole_permittivity); default 1
%     sigma      conductivity in S/m: a number or a function of the frequency (default 0)
%     tan_delta  loss tangent: a number or a function of the frequency (default 0)
%     density    mass density in kg/m^3, for SAR (default 0: no mass, no SAR)
%     name       a label for printed tables (default '')
%
%   The complex relative permittivity at frequency f (material_permittivity) is
%     eps_c(f) = eps_r(f) (1 - j tan_delta(f)) - j sigma(f) / (2 pi f eps0),
%   and it must be passive and positive: Re eps_c > 0 and Im eps_c <= 0.
%
%   Example:  muscle = dielectric_material('eps_r', 55, 'sigma', 0.95, 'density', 1090, ...
%                                          'name', 'muscle');
%             wet = dielectric_material('eps_r', debye_permittivity(5, 75, 8.3e-12));
%
%   See also MATERIAL_PERMITTIVITY, DEBYE_PERMITTIVITY, COLE_COLE_PERMITTIVITY, GMSH_MODEL.
function mat = dielectric_material(varargin)
  mat = struct('name', '', 'eps_r', 1, 'sigma', 0, 'tan_delta', 0, 'density', 0);
  if mod(numel(varargin), 2) ~= 0
    error('dielectric_material:usage', 'usage: mat = dielectric_material(''name'', value, ...)');
  end
  for i = 1:2:numel(varargin)
    key = varargin{i};
    if ~ischar(key) || ~isfield(mat, key)
      error('dielectric_material:option', ['dielectric_material: unknown property "%s" ' ...
            '(eps_r, sigma, tan_delta, density, name)'], num2str(key));
    end
    mat.(key) = varargin{i + 1};
  end
  for key = {'eps_r', 'sigma', 'tan_delta'}
    v = mat.(key{1});
    if ~(is_function_handle(v) || (isnumeric(v) && isscalar(v) && isfinite(v)))
      error('dielectric_material:value', ['dielectric_material: %s must be a finite number ' ...
            'or a function handle of the frequency'], key{1});
    end
  end
  for key = {'sigma', 'tan_delta'}
    v = mat.(key{1});
    if isnumeric(v) && ~(isreal(v) && v >= 0)
      error('dielectric_material:value', 'dielectric_material: %s must be real and >= 0', key{1});
    end
  end
  if ~(isnumeric(mat.density) && isscalar(mat.density) && isreal(mat.density) ...
       && mat.density >= 0 && isfinite(mat.density))
    error('dielectric_material:density', ...
          'dielectric_material: density must be a real number >= 0 (kg/m^3)');
  end
  if ~ischar(mat.name)
    error('dielectric_material:name', 'dielectric_material: name must be a string');
  end
  if isnumeric(mat.eps_r) && isnumeric(mat.sigma) && isnumeric(mat.tan_delta)
    material_permittivity(mat, 1e9);   % checks a constant material now
  end
end
