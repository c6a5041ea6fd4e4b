% DIPOLE_FIELD  Electric field of an elementary electric dipole in a homogeneous medium.
%   E = dipole_field(points, position, moment, k, epsilon)
%
%   points    3 x N observation points; position  the dipole's location (3-vector).
%   moment    dipole moment p (3-vector, C*m; complex allowed).
%   k         wavenumber of the medium; epsilon  its permittivity (F/m in SI units).
%
%   With R = r - position, R = |R|, n = R / R (time dependence exp(j omega t)):
%     E = exp(-j k R) / (4 pi epsilon) * ( k^2 (n x p) x n / R
%                                          + (3 n (n . p) - p) (1 / R^3 + j k / R^2) ),
%   i.e. (k^2 + grad div) (p G) / epsilon with G = exp(-j k R) / (4 pi R). E is 3 x N
%   complex; a point at the dipole gives non-finite values.
%
%   Example:  E = dipole_field([0; 0; 1], [0; 0; 0], [1e-12; 0; 0], 2 * pi, 8.854e-12);
%
%   See also DIPOLE_SOURCE, INCIDENT_FIELD, RADIATED_FIELD.
function E = dipole_field(points, position, moment, k, epsilon)
  if nargin ~= 5 || size(points, 1) ~= 3 || numel(position) ~= 3 || numel(moment) ~= 3
    error('dipole_field:usage', ...
          'usage: E = dipole_field(points (3 x N), position (3), moment (3), k, epsilon)');
  end
  p = reshape(moment, 3, 1);
  R = points - reshape(position, 3, 1);
  r = sqrt(sum(R .^ 2, 1));
  n = R ./ r;
  np = sum(n .* p, 1);
  g = exp(-1i * k * r) / (4 * pi * epsilon);
  far = p - n .* np;                                 % (n x p) x n
  near = 3 * n .* np - p;
  E = g .* (k ^ 2 * far ./ r + near .* (1 ./ r .^ 3 + 1i * k ./ r .^ 2));
end
