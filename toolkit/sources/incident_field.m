% INCIDENT_FIELD  Incident electric field of source records at points.
%   E = incident_field(sources, points, k, const)
%
%   sources  one or more source records (plane_wave_source, dipole_source).
%   points   3 x N points (m); k  free-space wavenumber (rad/m); const  constants record
%            (em_constants('si'): its epsilon is the background permittivity).
%
%   E is 3 x N x m (m sources; 3 x N for one) complex, V/m: E0 exp(-j k d . r) for a plane
%   wave, dipole_field for a dipole.
%
%   Example:  E = incident_field(src, [0; 0; 1], omega / const.c, const);
%
%   See also PLANE_WAVE_SOURCE, DIPOLE_SOURCE, DIPOLE_FIELD, PLANE_WAVE.
function E = incident_field(sources, points, k, const)
  if nargin ~= 4 || ~isstruct(sources) || size(points, 1) ~= 3 || ~isstruct(const)
    error('incident_field:usage', 'usage: E = incident_field(sources, points (3 x N), k, const)');
  end
  E = zeros(3, size(points, 2), numel(sources));
  for s = 1:numel(sources)
    src = sources(s);
    switch src.type
      case 'plane_wave'
        E(:, :, s) = plane_wave(points, k, src.direction, src.E0);
      case 'dipole'
        E(:, :, s) = dipole_field(points, src.position, src.moment, k, const.epsilon);
      otherwise
        error('incident_field:type', 'incident_field: unknown source type "%s"', src.type);
    end
  end
end
