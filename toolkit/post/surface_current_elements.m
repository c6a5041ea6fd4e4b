% SURFACE_CURRENT_ELEMENTS  Current elements (point, J dS) of an RWG surface current.
%   src = surface_current_elements(geom, I)
%
%   geom  surface mesh record (surface_record).
%   I     Ns complex RWG current coefficients (amperes). hybrid_matrix solves for I / (j omega):
%         its surface block is j omega times the usual EFIE matrix, so I = 1j * omega * x.
%
%   The current on the plus triangle of edge n is I_n l_n / (2 A) rho and on the minus
%   triangle -I_n l_n / (2 A) rho (rho from the free vertex). Integrated with the record's
%   triangle rule, triangle i contributes sum_a WM(a) * A_i * J(point a) e^(...), and the
%   areas cancel: the moment at point a is WM(a) * sum over edges of +-I_n l_n / 2 rho.
%
%   src fields: points (3 x QM*Nt, geom.PointsM) and moments (3 x QM*Nt complex, in A*m),
%   so that integral of J(r) f(r) dS ~ sum_q moments(:, q) f(points(:, q)) for smooth f.
%   Concatenate the fields of several sources to add currents (for example volume currents).
%
%   See also FAR_FIELD, RCS_CUTS, EXTINCTION_CROSS_SECTION.
function src = surface_current_elements(geom, I)
  if nargin ~= 2 || ~isstruct(geom)
    error('surface_current_elements:usage', 'usage: src = surface_current_elements(geom, I)');
  end
  ns = fix(geom.EdgesTotal);
  if numel(I) ~= ns
    error('surface_current_elements:I', ...
          'surface_current_elements: I must hold %d values (geom.EdgesTotal), not %d', ns, ...
          numel(I));
  end
  qm = fix(geom.OrderM);
  nt = fix(geom.TrianglesTotal);
  I = reshape(I, 1, ns);
  coef = I .* reshape(geom.EdgeLength, 1, ns) / 2;
  % Column of rho for edge n, point a: ((tri-1)*3 + slot-1)*QM + a; current point (tri-1)*QM + a.
  a = (1:qm)';
  rcol = [((geom.TriP(:)' - 1) * 3 + geom.VerP(:)' - 1) * qm + a, ...
          ((geom.TriM(:)' - 1) * 3 + geom.VerM(:)' - 1) * qm + a];
  pcol = [(geom.TriP(:)' - 1) * qm + a, (geom.TriM(:)' - 1) * qm + a];
  c = [repmat(coef, qm, 1), -repmat(coef, qm, 1)] .* reshape(geom.WM, qm, 1);
  m = zeros(3, qm * nt);
  for d = 1:3
    r = geom.PointsMRho(d, :);
    m(d, :) = accumarray(pcol(:), c(:) .* reshape(r(rcol), [], 1), [qm * nt, 1]).';
  end
  src.points = geom.PointsM;
  src.moments = m;
end
