% INTERNAL_FIELD  Electric field inside the dielectric, one vector per tetrahedron.
%   E = internal_field(geom, GEOM, const, x)
%   [E, D] = internal_field(...)
%
%   geom   surface record or [] (only its EdgesTotal is used, to skip the surface entries).
%   GEOM   volume record.
%   const  constants record the records were built with: Epsilon_r (absolute permittivity
%          in the unit of epsilon, one value per tetrahedron or one for all) and tan_delta.
%   x      hybrid_matrix solution columns (surface entries first, then volume entries).
%
%   In tetrahedron t the flux density of the edge functions is constant,
%   D_t = sum_k x(EdgesTN(k, t)) BasisTC(:, k, t), and the field is E_t = D_t / eps_t with
%   eps_t = Epsilon_r(t) (1 - j tan_delta(t)) (time dependence exp(j omega t)). With the
%   incident field in V/m, E is in V/m and D in the unit of epsilon times V/m.
%
%   E and D are 3 x Nt x m complex (m = columns of x; 3 x Nt for one column).
%
%   Example:  E = internal_field(geom, GEOM, const, x);
%             magnitude = sqrt(sum(abs(E) .^ 2, 1));
%
%   See also VOLUME_CURRENT_ELEMENTS, ABSORBED_POWER, SAR_STATISTICS.
function [E, D] = internal_field(geom, GEOM, const, x)
  if nargin ~= 4 || ~isstruct(const) || ~all(isfield(const, {'Epsilon_r', 'tan_delta'}))
    error('internal_field:usage', ['usage: E = internal_field(geom, GEOM, const, x) ' ...
          '(const with Epsilon_r and tan_delta)']);
  end
  if isempty(GEOM)
    error('internal_field:GEOM', 'internal_field: GEOM must be a volume record');
  end
  [ns, nv] = solution_sizes('internal_field', geom, GEOM, x);
  nt = fix(GEOM.TetrahedraTotal);
  eps_t = tetra_permittivity(const, nt, 'internal_field');
  m = size(x, 2);
  B = reshape(GEOM.BasisTC, 3, 6, nt);
  n = reshape(GEOM.EdgesTN, 6, nt);
  used = (1:6)' <= reshape(GEOM.EdgesTNI, 1, nt);
  D = complex(zeros(3, nt, m));
  for j = 1:m
    xv = x(ns + 1:ns + nv, j);
    c = zeros(6, nt);
    c(used) = xv(n(used));
    D(:, :, j) = reshape(sum(B .* reshape(c, 1, 6, nt), 2), 3, nt);
  end
  E = D ./ eps_t;
end
