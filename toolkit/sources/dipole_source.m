% DIPOLE_SOURCE  An elementary electric dipole source record for solve_model.
%   src = dipole_source(position, moment)
%
%   position  location in metres (3-vector), outside the bodies or inside a dielectric
%             (not on a metal triangle).
%   moment    electric dipole moment p in C*m (3-vector, complex allowed). Its current
%             moment is j omega p (A*m): a short wire of length l carrying I has p = I l /
%             (j omega).
%
%   The incident field is the field of the dipole in free space (dipole_field). In the
%   records of solve_model it is projected onto the volume functions as its mean over each
%   tetrahedron, integrated so that a dipole inside a tetrahedron is handled too.
%
%   src fields: type ('dipole'), label, position (3 x 1), moment (3 x 1), direction and
%   E0 (empty).
%
%   Example:  src = [dipole_source([0 0 0.1], [0 0 1e-12]), dipole_source([0.1 0 0], [1e-12 0 0])];
%
%   See also PLANE_WAVE_SOURCE, DIPOLE_FIELD, SOLVE_MODEL.
function src = dipole_source(position, moment)
  if nargin ~= 2 || ~isnumeric(position) || numel(position) ~= 3 || ~isnumeric(moment) ...
     || numel(moment) ~= 3
    error('dipole_source:usage', 'usage: src = dipole_source(position (3), moment (3))');
  end
  r = reshape(double(position), 3, 1);
  p = reshape(double(moment), 3, 1);
  if ~isreal(r) || any(~isfinite(r)) || any(~isfinite(p)) || ~(norm(p) > 0)
    error('dipole_source:value', ['dipole_source: position must be real and finite, the ' ...
          'moment finite and non-zero']);
  end
  src = struct('type', 'dipole', 'label', sprintf('dipole at [%g %g %g] m', r), ...
               'direction', [], 'E0', [], 'position', r, 'moment', p);
end
