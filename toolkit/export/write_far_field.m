% WRITE_FAR_FIELD  Write a far-field pattern on a (theta, phi) grid as CSV or as a .vtu surface.
%   write_far_field(filename, theta, phi, Etheta, Ephi)
%   write_far_field(filename, theta, phi, Etheta, Ephi, E0)
%
%   filename   ends in .csv (table) or .vtu (surface on the unit sphere for ParaView).
%   theta      1 x Nth polar angles, phi 1 x Nph azimuths (radians).
%   Etheta, Ephi  Nth x Nph complex far-field amplitudes F (volts: E ~ F exp(-j k r) / r),
%              e.g. the theta and phi components of far_field over the grid.
%   E0         incident amplitude |E0| (V/m) of a plane wave: adds the bistatic RCS
%              4 pi |F|^2 / |E0|^2 (m^2). Omit it for other sources.
%
%   CSV: header theta_deg,phi_deg,Etheta_real,Etheta_imag,Ephi_real,Ephi_imag,F_abs_V
%   (and rcs_m2), one row per direction, theta fastest.
%   VTU: the grid's points on the unit sphere joined by quadrilaterals (the poles and the
%   phi seam are not closed unless the grid includes them), with point arrays Etheta,
%   Ephi (complex: _real/_imag), F (Cartesian vector, complex), F_abs (V) and rcs (m^2).
%   Scale the surface by F_abs in ParaView (Warp By Scalar) for a 3-D pattern.
%
%   Example:  th = linspace(0, pi, 37);  ph = linspace(0, 2 * pi, 73);
%             [TH, PH] = ndgrid(th, ph);
%             rhat = [sin(TH(:))'.*cos(PH(:))'; sin(TH(:))'.*sin(PH(:))'; cos(TH(:))'];
%             F = far_field(src, rhat, k, eta);
%             eth = [cos(TH(:))'.*cos(PH(:))'; cos(TH(:))'.*sin(PH(:))'; -sin(TH(:))'];
%             eph = [-sin(PH(:))'; cos(PH(:))'; zeros(1, numel(PH))];
%             write_far_field('ff.csv', th, ph, reshape(sum(F .* eth), size(TH)), ...
%                             reshape(sum(F .* eph), size(TH)), 1);
%
%   See also FAR_FIELD, WRITE_VTU, RCS_CUTS.
function write_far_field(filename, theta, phi, Etheta, Ephi, E0)
  if nargin < 5 || nargin > 6 || ~ischar(filename)
    error('write_far_field:usage', ...
          'usage: write_far_field(filename, theta, phi, Etheta, Ephi, E0)');
  end
  nth = numel(theta);
  nph = numel(phi);
  if ~isequal(size(Etheta), [nth, nph]) || ~isequal(size(Ephi), [nth, nph])
    error('write_far_field:size', ...
          'write_far_field: Etheta and Ephi must be %d x %d (theta by phi)', nth, nph);
  end
  [TH, PH] = ndgrid(reshape(theta, [], 1), reshape(phi, 1, []));
  th = TH(:)';
  ph = PH(:)';
  et = Etheta(:).';
  ep = Ephi(:).';
  Fabs = sqrt(abs(et) .^ 2 + abs(ep) .^ 2);
  with_rcs = nargin > 5 && ~isempty(E0);
  [~, ~, ext] = fileparts(filename);
  switch lower(ext)
    case '.csv'
      [fid, why] = fopen(filename, 'w');
      if fid < 0
        error('write_far_field:open', 'write_far_field: cannot write "%s": %s', filename, why);
      end
      closer = onCleanup(@() fclose(fid));
      head = 'theta_deg,phi_deg,Etheta_real,Etheta_imag,Ephi_real,Ephi_imag,F_abs_V';
      cols = [th * 180 / pi; ph * 180 / pi; real(et); imag(et); real(ep); imag(ep); Fabs];
      if with_rcs
        head = [head ',rcs_m2'];
        cols = [cols; 4 * pi * Fabs .^ 2 / abs(E0) ^ 2];
      end
      fprintf(fid, '%s\n', head);
      fprintf(fid, [repmat('%.17g,', 1, size(cols, 1) - 1), '%.17g\n'], cols);
    case '.vtu'
      P = [sin(th) .* cos(ph); sin(th) .* sin(ph); cos(th)];
      id = reshape(1:nth * nph, nth, nph);
      q = id(1:end - 1, 1:end - 1);
      cells.quad = [q(:)'; q(:)' + 1; q(:)' + 1 + nth; q(:)' + nth];
      eth = [cos(th) .* cos(ph); cos(th) .* sin(ph); -sin(th)];
      eph = [-sin(ph); cos(ph); zeros(1, nth * nph)];
      data.Etheta = et;
      data.Ephi = ep;
      data.F = eth .* et + eph .* ep;
      data.F_abs = Fabs;
      if with_rcs
        data.rcs = 4 * pi * Fabs .^ 2 / abs(E0) ^ 2;
      end
      write_vtu(filename, P, cells, [], data);
    otherwise
      error('write_far_field:format', 'write_far_field: "%s" must end in .csv or .vtu', filename);
  end
end
