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
%   E is 3 x P complex. The kernels are formed for blocks of points (about 4e5 point-element
%   pairs at a time, so memory stays bounded for any P) and summed over the elements by
%   matrix products; for a real k (lossless background) and points farther than about 1e-6
%   of the body's size from every element the result agrees with the direct sum to about
%   1e-12.
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
  % Coordinates about the elements' centre keep the expanded sums below well conditioned.
  c0 = mean(src.points, 2);
  q = src.points - c0;
  p = points - c0;
  m = src.moments;
  % With R = p - q the radial term sum_q G2 (R.m_q) R_d expands into sums of G2 against
  % columns that depend on the elements alone: m_e, c = q.m, m_e q_d and c q_d:
  %   sum_e p_e p_d S(m_e) - p_d S(c) - sum_e p_e S(m_e q_d) + S(c q_d),  S(v) = G2 * v,
  % so both sums are matrix products (BLAS) and only the kernels are formed pair by pair.
  cq = sum(q .* m, 1);
  mq = zeros(nm, 9);
  for e = 1:3
    for d = 1:3
      mq(:, 3 * (e - 1) + d) = (m(e, :) .* q(d, :)).';
    end
  end
  Vb = [m.', cq.', mq, (cq .* q).'];     % nm x 16
  Va = m.';                              % nm x 3
  c = -1i * k * eta / (4 * pi);
  block = max(1, floor(4e5 / nm));
  for p0 = 1:block:np
    idx = p0:min(np, p0 + block - 1);
    pp = p(:, idx);
    R2 = (pp(1, :)' - q(1, :)) .^ 2 + (pp(2, :)' - q(2, :)) .^ 2 + (pp(3, :)' - q(3, :)) .^ 2;
    R = sqrt(R2);
    s = 1 ./ (k * R);
    g = exp(-1i * k * R) ./ R;
    G1 = g .* complex(1 - s .^ 2, -s);              % g (1 + 1/(jkR) - 1/(kR)^2)
    G2 = g .* complex(1 - 3 * s .^ 2, -3 * s) ./ R2; % g (1 + 3/(jkR) - 3/(kR)^2) / R^2
    A = G1 * Va;
    B = G2 * Vb;
    pt = pp.';
    for d = 1:3
      t = B(:, 13 + d) - pt(:, d) .* B(:, 4);
      for e = 1:3
        t = t + pt(:, e) .* (pt(:, d) .* B(:, e) - B(:, 4 + 3 * (e - 1) + d));
      end
      E(d, idx) = c * (A(:, d) - t).';
    end
  end
end
