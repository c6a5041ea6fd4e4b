% EXCITE_PLATES_QUADRATURE  Surface right-hand side by quadrature of the testing integrals.
%   V = excite_plates_quadrature(geom, E)
%
%   geom  surface record (surface_record) with PointsM, PointsMRho, WM, OrderM.
%   E     3 x (QM*Nt) complex incident field at the record's quadrature points geom.PointsM
%         (column (i-1)*QM + a: point a of triangle i), e.g.
%         E = plane_wave(geom.PointsM, k, khat, E0).
%
%   V(e) = (l_e / 2) * (sum_a w_a rho+_a . E(x+_a) - sum_a w_a rho-_a . E(x-_a)): the
%   testing integral of RWG function e against the field, (l/2A) int rho . E over each of
%   its triangles, with the record's triangle rule instead of the one-point centroid value
%   that excite_plates takes (both agree for a field that is constant over each triangle).
%   The same sign and scaling as excite_plates, so V can replace its result.
%
%   Example:
%     geom = surface_record(P, t, 6);
%     V = excite_plates_quadrature(geom, plane_wave(geom.PointsM, k, [0;0;1], [1;0;0]));
%
%   See also EXCITE_PLATES, PLANE_WAVE, SURFACE_RECORD, ACCURACY_SETTINGS.
function V = excite_plates_quadrature(geom, E)
  if nargin ~= 2 || ~isstruct(geom)
    error('excite_plates_quadrature:usage', 'usage: V = excite_plates_quadrature(geom, E)');
  end
  qm = geom.OrderM;
  nt = geom.TrianglesTotal;
  if ~isnumeric(E) || ~isequal(size(E), [3, qm * nt])
    error('excite_plates_quadrature:E', ...
          'excite_plates_quadrature: E must be 3 x %d (the field at geom.PointsM)', qm * nt);
  end
  % F(s, i) = sum_a w_a rho_{i,s}(a) . E_i(a): slot s of triangle i.
  rho = reshape(geom.PointsMRho, 3, qm, 3, nt);
  Ew = reshape(E, 3, qm, 1, nt) .* reshape(geom.WM, 1, qm);
  F = reshape(sum(sum(rho .* Ew, 1), 2), 3, nt);
  plus = F(sub2ind([3, nt], geom.VerP, geom.TriP));
  minus = F(sub2ind([3, nt], geom.VerM, geom.TriM));
  V = reshape(geom.EdgeLength / 2 .* (plus - minus), [], 1);
end
