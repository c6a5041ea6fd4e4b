% PATCH_RESONANCE  First resonance of a rectangular microstrip patch (transmission-line model).
%   [f0, eps_eff, dL] = patch_resonance(L, W, h, eps_r)
%
%   L  resonant length of the patch, W its width, h the substrate thickness (m); eps_r the
%   substrate's relative permittivity. f0 (Hz) the TM010 resonance of the cavity under the
%   patch lengthened by its fringing fields:
%     eps_eff = (eps_r + 1)/2 + (eps_r - 1)/2 (1 + 12 h/W)^(-1/2)        (Hammerstad)
%     dL = 0.412 h (eps_eff + 0.3)(W/h + 0.264) / ((eps_eff - 0.258)(W/h + 0.8))
%     f0 = c0 / (2 (L + 2 dL) sqrt(eps_eff)).
%   The classic design model for thin substrates (h << lambda, infinite ground); it is good
%   to a few per cent.
%
%   Example:  f0 = patch_resonance(0.03, 0.04, 0.0016, 2.2)   % about 3.27 GHz
%
%   See also PATCH_ANTENNA_GEO.
function [f0, eps_eff, dL] = patch_resonance(L, W, h, eps_r)
  if nargin ~= 4 || ~(L > 0 && W > 0 && h > 0 && eps_r >= 1)
    error('patch_resonance:usage', 'usage: f0 = patch_resonance(L, W, h, eps_r >= 1), sizes > 0');
  end
  c0 = 299792458;
  eps_eff = (eps_r + 1) / 2 + (eps_r - 1) / 2 / sqrt(1 + 12 * h / W);
  dL = 0.412 * h * (eps_eff + 0.3) * (W / h + 0.264) / ((eps_eff - 0.258) * (W / h + 0.8));
  f0 = c0 / (2 * (L + 2 * dL) * sqrt(eps_eff));
end
