% VOLUME_CURRENT_ELEMENTS  Current elements (point, J dV) of the volume solution.
%   src = volume_current_elements(GEOM, X, omega)
%
%   GEOM   volume record (volume_record).
%   X      GEOM.EdgesTotal complex coefficients of the flux density D = sum X(n) b_n (the
%          volume part of hybrid_matrix's solution, in its order).
%   omega  angular frequency.
%
%   In tetrahedron t the flux density is constant, D_t = sum over its packed functions of
%   X(EdgesTN(k, t)) * BasisTC slot k, and the polarisation current is
%   J_t = j omega kappa_t D_t (kappa_t the complex contrast). It is placed at the record's
%   tetrahedron quadrature points PointsT with moments WT(q) * VolumeT(t) * J_t, so the far
%   field of the elements integrates the phase over each tetrahedron with the record's rule.
%
%   src fields: points (3 x QT*Nt), moments (3 x QT*Nt complex), and D (3 x Nt, the flux
%   density per tetrahedron). Concatenate points and moments with the surface elements
%   (surface_current_elements) for the field of a metal and dielectric body.
%
%   See also SURFACE_CURRENT_ELEMENTS, FAR_FIELD, ABSORPTION_CROSS_SECTION.
function src = volume_current_elements(GEOM, X, omega)
  if nargin ~= 3 || ~isstruct(GEOM)
    error('volume_current_elements:usage', ...
          'usage: src = volume_current_elements(GEOM, X, omega)');
  end
  nv = fix(GEOM.EdgesTotal);
  if numel(X) ~= nv
    error('volume_current_elements:X', ['volume_current_elements: X must hold %d values ' ...
          '(GEOM.EdgesTotal), not %d'], nv, numel(X));
  end
  nt = fix(GEOM.TetrahedraTotal);
  qt = fix(GEOM.OrderT);
  D = flux_density(GEOM, X);
  kappa = complex(GEOM.Contrast_real(:), GEOM.Contrast_imag(:)).';
  J = 1i * omega * kappa .* D;
  moments = reshape(J .* reshape(GEOM.VolumeT, 1, nt), 3, 1, nt) .* reshape(GEOM.WT, 1, qt);
  src.points = GEOM.PointsT;
  src.moments = reshape(moments, 3, qt * nt);
  src.D = D;
end

% D_t = sum over the packed slots of X(EdgesTN(k, t)) * BasisTC(3k-2:3k, t).
function D = flux_density(GEOM, X)
  nt = fix(GEOM.TetrahedraTotal);
  B = reshape(GEOM.BasisTC, 3, 6, nt);
  n = reshape(GEOM.EdgesTN, 6, nt);
  used = (1:6)' <= reshape(GEOM.EdgesTNI, 1, nt);
  c = zeros(6, nt);
  c(used) = X(n(used));
  D = squeeze(sum(B .* reshape(c, 1, 6, nt), 2));
  D = reshape(D, 3, nt);
end
