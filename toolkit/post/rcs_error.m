% RCS_ERROR  Error measures of a computed RCS cut against a reference.
%   err = rcs_error(sigma, reference)
%
%   err fields:
%     rel_rms  relative RMS error norm(sigma - reference) / norm(reference)
%     rms_db   RMS of the dB difference 10 log10(sigma / reference)
%     max_db   largest absolute dB difference
%
%   See also RCS_CUTS, MIE_SPHERE.
function err = rcs_error(sigma, reference)
  if nargin ~= 2 || numel(sigma) ~= numel(reference)
    error('rcs_error:usage', 'usage: err = rcs_error(sigma, reference) of equal lengths');
  end
  sigma = sigma(:);
  reference = reference(:);
  err.rel_rms = norm(sigma - reference) / norm(reference);
  db = 10 * log10(sigma ./ reference);
  err.rms_db = sqrt(mean(db .^ 2));
  err.max_db = max(abs(db));
end
