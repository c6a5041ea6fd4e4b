% SURFACE_CURRENT_DENSITY  Surface current density of an RWG current at the triangle centroids.
%   J = surface_current_density(geom, I)
%
%   geom  surface record (surface_record).
%   I     Ns x m complex RWG coefficients in amperes (for a hybrid_matrix solution x,
%         I = 1j * omega * x(1:geom.EdgesTotal, :)).
%
%   On the plus triangle of edge n the current density is I_n l_n / (2 A) rho and on the
%   minus triangle -I_n l_n / (2 A) rho, rho running from the free vertex (A/m). J is
%   3 x Tr x m: the sum over the edges of each triangle at its centroid (PointsFCRho).
%
%   Example:  J = surface_current_density(geom, 1i * omega * x(1:geom.EdgesTotal));
%
%   See also SURFACE_CURRENT_ELEMENTS, EXPORT_VTU.
function J = surface_current_density(geom, I)
  if nargin ~= 2 || ~isstruct(geom)
    error('surface_current_density:usage', 'usage: J = surface_current_density(geom, I)');
  end
  ns = fix(geom.EdgesTotal);
  if size(I, 1) ~= ns && ~(isvector(I) && numel(I) == ns)
    error('surface_current_density:I', ...
          'surface_current_density: I must have %d rows (geom.EdgesTotal)', ns);
  end
  if isvector(I)
    I = reshape(I, ns, 1);
  end
  nt = fix(geom.TrianglesTotal);
  m = size(I, 2);
  tri = [geom.TriP(:); geom.TriM(:)];
  col = [(geom.TriP(:) - 1) * 3 + geom.VerP(:); (geom.TriM(:) - 1) * 3 + geom.VerM(:)];
  area = reshape(geom.AreaF, [], 1);
  w = [1; -1] .* reshape(geom.EdgeLength, 1, ns) / 2;    % 2 x Ns
  w = reshape(w', [], 1) ./ area(tri);                     % plus rows, then minus rows
  J = complex(zeros(3, nt, m));
  for j = 1:m
    c = w .* [I(:, j); I(:, j)];
    for d = 1:3
      J(d, :, j) = accumarray(tri, c .* reshape(geom.PointsFCRho(d, col), [], 1), [nt, 1]).';
    end
  end
end
