% COUPLING_TABLES  Triangle-volume near-pair tables of a surface record and a volume record.
%   GEOM = coupling_tables(geom, GEOM, radius) adds to GEOM the (metal triangle, tetrahedron)
%   pairs TtIS, TtJS and the (metal triangle, face) pairs tFIS, tFJS (0-based) whose centroids
%   are closer than `radius`, with static parts approximated by the point rules of both
%   elements: TtRS (9 per pair, rows 3m + d) the mean of (x - v_m)_d / R with x on the triangle
%   and v_m its slot-m vertex, tFSS the mean of 1/R.
function GEOM = coupling_tables(geom, GEOM, radius)
  qm = geom.OrderM;  qt = GEOM.OrderT;  qf = GEOM.OrderF;
  w = geom.WM(:) * GEOM.WT(:).';
  [I, J] = pairs(geom.PointsFC, GEOM.CenterT, radius);
  RS = zeros(9, numel(I));
  for p = 1:numel(I)
    x = geom.PointsM(:, (I(p) - 1) * qm + (1:qm));
    y = GEOM.PointsT(:, (J(p) - 1) * qt + (1:qt));
    invR = w ./ sqrt((x(1, :).' - y(1, :)) .^ 2 + (x(2, :).' - y(2, :)) .^ 2 + (x(3, :).' - y(3, :)) .^ 2);
    for m = 1:3
      rho = geom.PointsMRho(:, (3 * (I(p) - 1) + m - 1) * qm + (1:qm));
      RS(3 * (m - 1) + (1:3), p) = rho * sum(invR, 2);
    end
  end
  GEOM.TtIS = I - 1;  GEOM.TtJS = J - 1;  GEOM.TtRS = RS;
  w = geom.WM(:) * GEOM.WF(:).';
  [I, J] = pairs(geom.PointsFC, GEOM.CenterF, radius);
  SS = zeros(1, numel(I));
  for p = 1:numel(I)
    x = geom.PointsM(:, (I(p) - 1) * qm + (1:qm));
    y = GEOM.PointsF(:, (J(p) - 1) * qf + (1:qf));
    SS(p) = sum(sum(w ./ sqrt((x(1, :).' - y(1, :)) .^ 2 + (x(2, :).' - y(2, :)) .^ 2 + ...
                               (x(3, :).' - y(3, :)) .^ 2)));
  end
  GEOM.tFIS = I - 1;  GEOM.tFJS = J - 1;  GEOM.tFSS = SS;
end

function [I, J] = pairs(A, B, radius)
  I = [];  J = [];
  for i = 1:columns(A)
    near = find(sum((B - A(:, i)) .^ 2, 1) < radius ^ 2);
    I = [I, i * ones(1, numel(near))];  J = [J, near];
  end
end
