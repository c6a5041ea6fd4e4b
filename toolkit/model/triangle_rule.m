% TRIANGLE_RULE  Symmetric quadrature rule on a triangle, in barycentric coordinates.
%   [coeff, weights, degree] = triangle_rule(npoints)
%
%   npoints  number of points: 1, 3, 4, 6, 7 or 13.
%   coeff    3 x npoints barycentric coordinates: column q is the point
%            coeff(1,q)*V1 + coeff(2,q)*V2 + coeff(3,q)*V3 of a triangle V1, V2, V3.
%   weights  1 x npoints weights summing to 1 (no area factor): the rule approximates the
%            mean value (1/A) * integral of f over the triangle by sum(weights .* f(points)).
%   degree   highest total polynomial degree integrated exactly:
%              1 point: 1,  3 points: 2,  4 points: 3,  6 points: 4,  7 points: 5,
%              13 points: 7.
%
%   The 4- and 13-point rules carry a negative weight at the centroid; all points of every
%   rule lie strictly inside the triangle.
%
%   Example:  [c, w] = triangle_rule(7);  % 7-point, degree-5 rule
%
%   See also SURFACE_RECORD, PLATE_PAIRS.
function [coeff, weights, degree] = triangle_rule(npoints)
  if nargin ~= 1 || ~isnumeric(npoints) || ~isscalar(npoints)
    error('triangle_rule:usage', 'usage: [coeff, weights, degree] = triangle_rule(npoints)');
  end
  third = 1 / 3;
  switch npoints
    case 1
      coeff = [third; third; third];
      weights = 1;
      degree = 1;
    case 3
      [coeff, weights] = orbit3(1 / 6, 1 / 3);
      degree = 2;
    case 4
      [c3, w3] = orbit3(0.2, 25 / 48);
      coeff = [[third; third; third], c3];
      weights = [-27 / 48, w3];
      degree = 3;
    case 6
      [ca, wa] = orbit3(0.445948490915965, 0.223381589678011);
      [cb, wb] = orbit3(0.091576213509771, 0.109951743655322);
      coeff = [ca, cb];
      weights = [wa, wb];
      degree = 4;
    case 7
      [ca, wa] = orbit3(0.470142064105115, 0.132394152788506);
      [cb, wb] = orbit3(0.101286507323456, 0.125939180544827);
      coeff = [[third; third; third], ca, cb];
      weights = [0.225, wa, wb];
      degree = 5;
    case 13
      [ca, wa] = orbit3(0.260345966079040, 0.175615257433208);
      [cb, wb] = orbit3(0.065130102902216, 0.053347235608838);
      [cc, wc] = orbit6(0.048690315425316, 0.312865496004874, 0.077113760890257);
      coeff = [[third; third; third], ca, cb, cc];
      weights = [-0.149570044467682, wa, wb, wc];
      degree = 7;
    otherwise
      error('triangle_rule:npoints', ...
            'triangle_rule: npoints must be 1, 3, 4, 6, 7 or 13 (got %g)', npoints);
  end
  % Make the weights sum to 1 to the last bit (the tabulated decimals carry 15 digits).
  weights = weights / sum(weights);
end

% The three points (1-2a, a, a) and its rotations, each with weight w.
function [c, w] = orbit3(a, w)
  b = 1 - 2 * a;
  c = [b a a; a b a; a a b];
  w = [w w w];
end

% The six permutations of (a, b, 1-a-b), each with weight w.
function [c, w] = orbit6(a, b, w)
  g = 1 - a - b;
  c = [a a b b g g; b g a g a b; g b g a b a];
  w = repmat(w, 1, 6);
end
