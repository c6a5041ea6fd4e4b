% SCATTERED_FIELD  Scattered electric field of a solution at points outside the bodies.
%   Es = scattered_field(geom, GEOM, const, omega, x, points)
%
%   geom, GEOM  surface and volume records ([] for an absent part).
%   const       constants record (epsilon, mu, c of the background).
%   omega       angular frequency; x  hybrid_matrix solution columns (surface entries first,
%               then volume entries), one column per right-hand side.
%   points      3 x P observation points, outside the dielectric and off the metal, farther
%               from the mesh than about one element size (see radiated_field).
%
%   Inside the dielectric the sum of current elements is not a field value: route such
%   points (locate_points) to internal_field instead.
%
%   Es is 3 x P x m (m = columns of x): the field radiated by the metal surface currents and
%   the dielectric polarisation currents J = j omega kappa D, with the exact near-field
%   kernel (radiated_field). The total field is Es plus the incident field at the same
%   points, e.g. Es + plane_wave(points, k, khat, E0) for a plane wave.
%
%   Example:  Es = scattered_field(geom, GEOM, const, omega, x, [0; 0; 2]);
%             Et = Es + plane_wave([0; 0; 2], omega / const.c, [0 0 1], [1 0 0]);
%
%   See also RADIATED_FIELD, SOLUTION_CURRENTS, INTERNAL_FIELD, FAR_FIELD.
function Es = scattered_field(geom, GEOM, const, omega, x, points)
  if nargin ~= 6 || ~isstruct(const)
    error('scattered_field:usage', ...
          'usage: Es = scattered_field(geom, GEOM, const, omega, x, points)');
  end
  solution_sizes('scattered_field', geom, GEOM, x);
  if ~isnumeric(points) || size(points, 1) ~= 3 || ndims(points) ~= 2
    error('scattered_field:points', 'scattered_field: points must be a 3 x P matrix');
  end
  k = omega / const.c;
  eta = sqrt(const.mu / const.epsilon);
  m = size(x, 2);
  Es = complex(zeros(3, size(points, 2), m));
  for j = 1:m
    src = solution_currents(geom, GEOM, omega, x(:, j));
    Es(:, :, j) = radiated_field(src, points, k, eta);
  end
end
