% IMPEDANCE_RESONANCE  Resonances of an input impedance sampled over frequency.
%   [f0, R0] = impedance_resonance(f, Z)
%   [f0, R0] = impedance_resonance(f, Z, 'peak')
%
%   f  increasing frequencies (Hz); Z  the input impedance at each (ohm).
%   Default ('zero'): the frequencies where X = Im Z crosses zero, found on the piecewise
%   cubic (pchip) interpolant of X between the samples that bracket each sign change; R0 the
%   interpolated resistance there. With 'peak': the maxima of R = Re Z (parallel
%   resonances, e.g. a patch antenna), from the parabola through each interior peak sample
%   and its neighbours. f0 and R0 are empty when the sweep holds none.
%
%   Example:  [f0, R0] = impedance_resonance(net.f, squeeze(net.Z(1, 1, :)));
%
%   See also PORT_SWEEP.
function [f0, R0] = impedance_resonance(f, Z, kind)
  if nargin < 2 || nargin > 3 || numel(f) ~= numel(Z) || numel(f) < 2
    error('impedance_resonance:usage', 'usage: [f0, R0] = impedance_resonance(f, Z, kind)');
  end
  if nargin < 3
    kind = 'zero';
  end
  f = reshape(double(f), 1, []);
  Z = reshape(Z, 1, []);
  if any(diff(f) <= 0)
    error('impedance_resonance:f', 'impedance_resonance: frequencies must increase');
  end
  R = real(Z);
  X = imag(Z);
  f0 = zeros(1, 0);
  R0 = zeros(1, 0);
  switch lower(kind)
    case 'zero'
      for i = find(X(1:end - 1) .* X(2:end) <= 0 & X(1:end - 1) ~= X(2:end))
        if X(i) == 0 && i > 1
          continue;  % counted with the previous interval
        end
        g = @(x) interp1(f, X, x, 'pchip');
        x0 = fzero(g, [f(i), f(i + 1)]);
        f0(end + 1) = x0; %#ok<AGROW>
        R0(end + 1) = interp1(f, R, x0, 'pchip'); %#ok<AGROW>
      end
    case 'peak'
      for i = find(R(2:end - 1) > R(1:end - 2) & R(2:end - 1) >= R(3:end)) + 1
        p = polyfit(f(i - 1:i + 1) - f(i), R(i - 1:i + 1), 2);
        x0 = -p(2) / (2 * p(1));
        f0(end + 1) = f(i) + x0; %#ok<AGROW>
        R0(end + 1) = polyval(p, x0); %#ok<AGROW>
      end
    otherwise
      error('impedance_resonance:kind', 'impedance_resonance: kind must be ''zero'' or ''peak''');
  end
end
