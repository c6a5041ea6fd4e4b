% PLANE_WAVE_SOURCE  A plane-wave source record for solve_model.
%   src = plane_wave_source(direction, polarization)
%   src = plane_wave_source(direction, polarization, amplitude)
%
%   direction     propagation direction (3-vector, normalised here).
%   polarization  direction of the electric field (3-vector, complex allowed for elliptic
%                 polarisation; normalised here), orthogonal to direction.
%   amplitude     peak field strength in V/m (default 1).
%
%   The incident field is E0 exp(-j k direction . r), E0 = amplitude * polarization /
%   |polarization| (time dependence exp(j omega t), r in metres).
%
%   src fields: type ('plane_wave'), label, direction (3 x 1), E0 (3 x 1, V/m), position
%   and moment (empty). Records of plane waves and dipoles concatenate into one array:
%   [plane_wave_source(...), dipole_source(...)] are solved together, as right-hand sides
%   of one factorisation.
%
%   Example:  src = plane_wave_source([0 0 1], [1 0 0]);        % along +z, x-polarised
%
%   See also DIPOLE_SOURCE, INCIDENT_FIELD, SOLVE_MODEL.
function src = plane_wave_source(direction, polarization, amplitude)
  if nargin < 2 || nargin > 3 || ~isnumeric(direction) || numel(direction) ~= 3 ...
     || ~isnumeric(polarization) || numel(polarization) ~= 3
    error('plane_wave_source:usage', ...
          'usage: src = plane_wave_source(direction (3), polarization (3), amplitude)');
  end
  if nargin < 3
    amplitude = 1;
  end
  d = reshape(double(direction), 3, 1);
  e = reshape(double(polarization), 3, 1);
  if ~isreal(d) || ~(norm(d) > 0) || ~(norm(e) > 0) || any(~isfinite([d; e]))
    error('plane_wave_source:vector', ['plane_wave_source: direction must be a real ' ...
          'non-zero vector and polarization a non-zero vector']);
  end
  d = d / norm(d);
  e = e / norm(e);
  if abs(dot(d, e)) > 1e-9
    error('plane_wave_source:polarization', ...
          'plane_wave_source: the polarization must be orthogonal to the direction');
  end
  e = e - d * dot(d, e);
  e = e / norm(e);
  if ~isscalar(amplitude) || ~isfinite(amplitude) || amplitude == 0
    error('plane_wave_source:amplitude', 'plane_wave_source: amplitude must be a non-zero number');
  end
  src = struct('type', 'plane_wave', 'label', sprintf('plane wave along [%g %g %g]', d), ...
               'direction', d, 'E0', amplitude * e, 'position', [], 'moment', []);
end
