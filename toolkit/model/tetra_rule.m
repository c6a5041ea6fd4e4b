% TETRA_RULE  Symmetric quadrature rule in a tetrahedron, in barycentric coordinates.
%   [coeff, weights, degree] = tetra_rule(npoints)
%
%   npoints  number of points: 1, 4, 5 or 11.
%   coeff    4 x npoints barycentric coordinates: column q is the point
%            coeff(1,q)*V1 + ... + coeff(4,q)*V4 of a tetrahedron V1..V4.
%   weights  1 x npoints weights summing to 1 (no volume factor): the rule approximates the
%            mean value (1/V) * integral of f over the tetrahedron by sum(weights .* f(points)).
%   degree   highest total polynomial degree integrated exactly:
%              1 point: 1,  4 points: 2,  5 points: 3,  11 points: 4.
%
%   The 5- and 11-point rules carry a negative weight at the centroid; all points lie
%   strictly inside the tetrahedron.
%
%   Example:  [c, w] = tetra_rule(4);  % 4-point, degree-2 rule
%
%   See also TRIANGLE_RULE, VOLUME_RECORD, CELL_PAIRS.
function [coeff, weights, degree] = tetra_rule(npoints)
  if nargin ~= 1 || ~isnumeric(npoints) || ~isscalar(npoints)
    error('tetra_rule:usage', 'usage: [coeff, weights, degree] = tetra_rule(npoints)');
  end
  centroid = [1; 1; 1; 1] / 4;
  switch npoints
    case 1
      coeff = centroid;
      weights = 1;
      degree = 1;
    case 4
      b = (5 - sqrt(5)) / 20;
      coeff = orbit4(1 - 3 * b, b);
      weights = ones(1, 4) / 4;
      degree = 2;
    case 5
      coeff = [centroid, orbit4(1 / 2, 1 / 6)];
      weights = [-4 / 5, 9 / 20 * ones(1, 4)];
      degree = 3;
    case 11
      a = (1 + sqrt(5 / 14)) / 4;
      b = (1 - sqrt(5 / 14)) / 4;
      coeff = [centroid, orbit4(11 / 14, 1 / 14), orbit6(a, b)];
      weights = [-74 / 5625 * 6, 343 / 45000 * 6 * ones(1, 4), 56 / 2250 * 6 * ones(1, 6)];
      degree = 4;
    otherwise
      error('tetra_rule:npoints', 'tetra_rule: npoints must be 1, 4, 5 or 11');
  end
end

% The four points with one coordinate a and three coordinates b.
function c = orbit4(a, b)
  c = b * ones(4, 4) + (a - b) * eye(4);
end

% The six points with two coordinates a and two coordinates b.
function c = orbit6(a, b)
  pairs = nchoosek(1:4, 2)';
  c = b * ones(4, 6);
  for q = 1:6
    c(pairs(:, q), q) = a;
  end
end
