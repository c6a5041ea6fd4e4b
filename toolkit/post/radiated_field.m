% RADIATED_FIELD  Electric field of current elements at points, with the full dyadic kernel.
%   E = radiated_field(src, points, k, eta)
%
%   src     current elements: fields points (3 x M) and moments (3 x M complex, A*m), as
%           surface_current_elements, volume_current_elements or solution_currents return
%           them (several sets concatenated add their fields).
%   points  3 x P observation points.
%   k       background wavenumber; eta  its wave impedance sqrt(mu/epsilon).
%
%   Each element m at r' radiates (time dependence exp(j omega t), R = r - r', R = |R|,
%   Rhat = R / R) the exact field of an infinitesimal current element:
%     E = -j k eta / (4 pi) exp(-j k R) / R
%         * ( (1 + 1/(j k R) - 1/(k R)^2) m - (1 + 3/(j k R) - 3/(k R)^2) (Rhat.m) Rhat ),
%   which is -j omega mu (I + grad grad / k^2) G m with G = exp(-j k R) / (4 pi R). Far away it
%   tends to far_field(src, rhat, k, eta) exp(-j k r) / r; close to a moment with kR << 1 it
%   is the static dipole field of p = m / (j omega).
%
%   The elements sample the currents at the records' quadrature points, so the field of a
%   meshed body is accurate at points farther from every triangle and tetrahedron than about
%   one element size; closer, the sum is a poor approximation of the singular integral. A
%   point that coincides with an element gives a non-finite value.
%
%   E is 3 x P complex. The work is vectorised over blocks of points (about 2e6 point-element
%   pairs at a time), so memory stays bounded for any P.
%
%   Example:  src.points = [0; 0; 0];  src.moments = [0; 0; 1e-3];
%             E = radiated_field(src, [0.5; 0; 0], 2 * pi, 376.73);
%
%   See also FAR_FIELD, SCATTERED_FIELD, SOLUTION_CURRENTS.
function E = radiated_field(src, points, k, eta)
  if nargin ~= 4 || ~isstruct(src) || ~all(isfield(src, {'points', 'moments'}))
    error('radiated_field:usage', 'usage: E = radiated_field(src, points (3 x P), k, eta)');
  end
  if ~isnumeric(points) || size(points, 1) ~= 3 || ndims(points) ~= 2
    error('radiated_field:points', 'radiated_field: points must be a 3 x P matrix');
  end
  if size(src.points, 1) ~= 3 || ~isequal(size(src.points), size(src.moments))
    error('radiated_field:src', ...
          'radiated_field: src.points and src.moments must both be 3 x M');
  end
  np = size(points, 2);
  nm = size(src.points, 2);
  E = complex(zeros(3, np));
  if nm == 0 || np == 0
    return;
  end
  sx = src.points(1, :);
  sy = src.points(2, :);
  sz = src.points(3, :);
  mx = src.moments(1, :);
  my = src.moments(2, :);
  mz = src.moments(3, :);
  c = -1i * k * eta / (4 * pi);
  block = max(1, floor(2e6 / nm));
  for p0 = 1:block:np
    p = p0:min(np, p0 + block - 1);
    dx = points(1, p)' - sx;
    dy = points(2, p)' - sy;
    dz = points(3, p)' - sz;
    R = sqrt(dx .^ 2 + dy .^ 2 + dz .^ 2);
    u = 1 ./ (1i * k * R);
    a = 1 + u + u .^ 2;                     % 1 + 1/(jkR) - 1/(kR)^2
    b = (1 + 3 * u + 3 * u .^ 2) ./ R .^ 2; % its radial partner, over R^2 for unit R
    g = exp(-1i * k * R) ./ R;
    rm = b .* (dx .* mx + dy .* my + dz .* mz);  % (Rhat.m) / R times b
    E(1, p) = c * sum(g .* (a .* mx - rm .* dx), 2).';
    E(2, p) = c * sum(g .* (a .* my - rm .* dy), 2).';
    E(3, p) = c * sum(g .* (a .* mz - rm .* dz), 2).';
  end
end
