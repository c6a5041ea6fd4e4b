% PRINT_RADIATION  Print radiation_report's powers, balance, efficiency and gains.
%   print_radiation(rad)
%   print_radiation(rad, label)
%
%   One block of lines: the input, radiated and absorbed powers, the power balance
%   P_in = P_rad + P_abs as a quality indicator (its relative mismatch), the radiation
%   efficiency, and the maximum directivity, IEEE gain and realised gain in dBi with the
%   direction of the maximum.
%
%   See also RADIATION_REPORT.
function print_radiation(rad, label)
  if nargin < 1 || ~isstruct(rad)
    error('print_radiation:usage', 'usage: print_radiation(rad, label)');
  end
  if nargin >= 2
    fprintf('%s\n', label);
  end
  fprintf('  P_in %.6g W, P_rad %.6g W, P_abs %.6g W\n', rad.P_in, rad.P_rad, rad.P_abs);
  fprintf('  balance: P_rad + P_abs = P_in %+.3f %%\n', 100 * rad.balance);
  fprintf('  radiation efficiency %.2f %%\n', 100 * rad.efficiency);
  d = rad.dir_max;
  fprintf(['  directivity %.2f dBi, gain %.2f dBi, realised gain %.2f dBi (mismatch %.3f), ' ...
           'towards theta %.0f deg, phi %.0f deg\n'], 10 * log10(rad.D_max), ...
          10 * log10(rad.G_max), 10 * log10(rad.G_real_max), rad.mismatch, ...
          acosd(max(-1, min(1, d(3)))), mod(atan2d(d(2), d(1)), 360));
end
