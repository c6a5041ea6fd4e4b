% MATERIAL_PERMITTIVITY  Complex relative permittivity of a material at given frequencies.
%   eps_c = material_permittivity(mat, freq)
%
%   mat   material record (dielectric_material), or a plain number (a complex relative
%         permittivity that does not depend on frequency).
%   freq  frequencies in Hz (any shape, > 0).
%
%   eps_c (the shape of freq) = eps_r(f) (1 - j tan_delta(f)) - j sigma(f) / (2 pi f eps0),
%   time dependence exp(j omega t). Ends with material_permittivity:passive when a value
%   has Re eps_c <= 0 or Im eps_c > 0 (an active or non-dielectric material), and with
%   material_permittivity:value when a function of the frequency returns something else
%   than one finite number per frequency.
%
%   The modules take the permittivity as the absolute real part and a loss tangent:
%   Epsilon_r = eps0 Re(eps_c) and tan_delta = -Im(eps_c) / Re(eps_c).
%
%   Example:  material_permittivity(dielectric_material('eps_r', 4, 'sigma', 0.1), 1e9)
%
%   See also DIELECTRIC_MATERIAL, DEBYE_PERMITTIVITY.
function eps_c = material_permittivity(mat, freq)
  if nargin ~= 2 || ~isnumeric(freq) || isempty(freq) || any(~(freq(:) > 0))
    error('material_permittivity:usage', ...
          'usage: eps_c = material_permittivity(mat, freq), freq > 0 in Hz');
  end
  eps0 = 8.8541878128e-12;
  if isnumeric(mat)
    mat = struct('name', '', 'eps_r', mat, 'sigma', 0, 'tan_delta', 0);
  end
  er = evaluate(mat.eps_r, freq, 'eps_r');
  sigma = evaluate(mat.sigma, freq, 'sigma');
  td = evaluate(mat.tan_delta, freq, 'tan_delta');
  eps_c = er .* (1 - 1i * td) - 1i * sigma ./ (2 * pi * freq * eps0);
  bad = ~(real(eps_c) > 0) | imag(eps_c) > 1e-12 * abs(eps_c);
  if any(bad(:))
    f = freq(find(bad, 1));
    error('material_permittivity:passive', ['material_permittivity: material "%s" has ' ...
          'eps_c = %s at %g Hz; it must have Re > 0 and Im <= 0 (a passive dielectric, ' ...
          'time dependence exp(j omega t))'], mat.name, num2str(eps_c(find(bad, 1))), f);
  end
  eps_c = min(real(eps_c), Inf) + 1i * min(imag(eps_c), 0);
end

% A property at the frequencies: a constant, or a function of the frequency in Hz.
function v = evaluate(p, freq, name)
  if is_function_handle(p)
    v = p(freq);
    if ~isnumeric(v) || ~(isscalar(v) || isequal(size(v), size(freq)))
      v = arrayfun(@(f) p(f), freq);
    end
  else
    v = p;
  end
  if ~isnumeric(v) || any(~isfinite(v(:)))
    error('material_permittivity:value', ['material_permittivity: %s must give one finite ' ...
          'number per frequency'], name);
  end
  v = v .* ones(size(freq));
end
