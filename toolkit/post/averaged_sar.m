% AVERAGED_SAR  Mass-averaged SAR over spheres holding a given tissue mass (e.g. 10 g).
%   [avg, radius] = averaged_sar(centers, volumes, rho, power)
%   [avg, radius] = averaged_sar(centers, volumes, rho, power, mass)
%
%   centers  3 x Nt tetrahedron centroids (m); volumes  1 x Nt volumes (m^3).
%   rho      1 x Nt mass density (kg/m^3); tetrahedra with rho <= 0 are not tissue: they
%            hold no mass and are left out of every average (their avg is NaN).
%   power    Nt x m absorbed power of each tetrahedron (W), m sources.
%   mass     averaging mass in kg (default 0.010, 10 g).
%
%   Averaging volume: for each tissue tetrahedron i, a sphere centred at its centroid grows
%   until the tissue tetrahedra whose centroids it encloses hold the mass; tetrahedra are
%   taken whole in the order of the distance of their centroids from c_i, and the last one
%   only with the fraction of its mass that completes the total. The averaged SAR is the
%   power of that mass divided by the mass:
%     avg_i = (sum_{j before last} P_j + f P_last) / mass,  f = (mass - M_before) / M_last,
%   and radius_i is the centroid distance of the last tetrahedron. When the whole tissue
%   holds less than the mass, every average is the whole-body SAR (total power over total
%   mass) and the warning averaged_sar:lightBody is issued. The peak spatial-average SAR is
%   max(avg). The averaging sphere may reach beyond the body surface (only tissue counts).
%
%   avg is Nt x m (W/kg), radius 1 x Nt (m). Neighbours are searched in a grid of cells of
%   3/4 of the radius a sphere full of tissue would have, so the cost grows about linearly
%   with Nt (times the number of tetrahedra in one averaging sphere).
%
%   Example:  [avg, r] = averaged_sar(GEOM.CenterT, GEOM.VolumeT, rho, pa.tet);
%             peak = max(avg);
%
%   See also SAR_STATISTICS, ABSORBED_POWER.
function [avg, radius] = averaged_sar(centers, volumes, rho, power, mass)
  if nargin < 4 || nargin > 5
    error('averaged_sar:usage', ...
          'usage: [avg, radius] = averaged_sar(centers, volumes, rho, power, mass)');
  end
  if nargin < 5
    mass = 0.010;
  end
  nt = size(centers, 2);
  if size(centers, 1) ~= 3 || numel(volumes) ~= nt || numel(rho) ~= nt || size(power, 1) ~= nt
    error('averaged_sar:size', ['averaged_sar: centers (3 x Nt), volumes, rho (Nt values) ' ...
          'and power (Nt x m) must agree']);
  end
  if ~isscalar(mass) || ~(mass > 0)
    error('averaged_sar:mass', 'averaged_sar: mass must be a positive number of kilograms');
  end
  m = size(power, 2);
  avg = NaN(nt, m);
  radius = NaN(1, nt);
  tissue = find(reshape(rho, 1, []) > 0);
  if isempty(tissue)
    return;
  end
  c = centers(:, tissue);
  w = reshape(rho(tissue), 1, []) .* reshape(volumes(tissue), 1, []);  % masses
  p = power(tissue, :);
  nq = numel(tissue);
  if sum(w) < mass
    warning('averaged_sar:lightBody', ['averaged_sar: the tissue holds %.3g kg, less than ' ...
            'the averaging mass %.3g kg: whole-body averages returned'], sum(w), mass);
    avg(tissue, :) = repmat(sum(p, 1) / sum(w), nq, 1);
    radius(tissue) = Inf;
    return;
  end
  % Expected radius r0 of a sphere full of tissue of the mean density; cells of 0.75 r0.
  mean_rho = sum(w) / sum(volumes(tissue));
  r0 = (3 * mass / (4 * pi * mean_rho)) ^ (1 / 3);
  h = 0.75 * r0;
  lo = min(c, [], 2);
  cell_of = floor((c - lo) / h);
  dims = max(cell_of, [], 2) + 1;
  key = cell_of(1, :) + dims(1) * (cell_of(2, :) + dims(2) * cell_of(3, :));
  [key, order] = sort(key);
  % ptr(j + 1) .. ptr(j + 2) - 1: the positions in `order` of the tetrahedra of cell key j.
  ptr = cumsum([1; accumarray(key(:) + 1, 1, [prod(dims), 1])]);
  % The tetrahedra of one cell at a time. Candidates: the tissue centroids within `limit`
  % of one of them (gathered from the cells within reach, one run of keys per row of
  % cells); when the mass is not complete inside that limit for every centre, the limit
  % doubles, and finally all tissue counts.
  starts = [1, find(diff(key)) + 1];
  stops = [starts(2:end) - 1, nq];
  for s = 1:numel(starts)
    rows = order(starts(s):stops(s));
    cc = cell_of(:, rows(1));
    done = false;
    for limit = r0 * [1.5, 3, 6]
      near = order(cells_within(cc, ceil(limit / h), dims, ptr));
      [a, r, ok] = sphere_average(c(:, rows), c(:, near), w(near), p(near, :), mass, limit);
      if all(ok)
        done = true;
        break;
      end
    end
    if ~done
      [a, r] = sphere_average(c(:, rows), c, w, p, mass, Inf);
    end
    avg(tissue(rows), :) = a;
    radius(tissue(rows)) = r;
  end
end

% Positions (in the sorted order) of the tetrahedra in the cells within n cells of cell cc
% in every direction: for each row of cells (fixed y and z) the x-run is one run of keys.
function pos = cells_within(cc, n, dims, ptr)
  x0 = max(cc(1) - n, 0);
  x1 = min(cc(1) + n, dims(1) - 1);
  [Y, Z] = ndgrid(max(cc(2) - n, 0):min(cc(2) + n, dims(2) - 1), ...
                  max(cc(3) - n, 0):min(cc(3) + n, dims(3) - 1));
  base = dims(1) * (Y(:) + dims(2) * Z(:));
  first = ptr(base + x0 + 1);
  last = ptr(base + x1 + 2) - 1;
  len = last - first + 1;
  keep = len > 0;
  first = first(keep);
  len = len(keep);
  if isempty(len)
    pos = zeros(1, 0);
    return;
  end
  % Concatenated runs first(i) .. first(i) + len(i) - 1 without a loop.
  step = ones(1, sum(len));
  starts = cumsum([1; len(1:end - 1)]);
  step(starts) = [first(1); first(2:end) - (first(1:end - 1) + len(1:end - 1) - 1)];
  pos = cumsum(step);
end

% Averages for the centres c0 (3 x b) from candidates (cq, wq, pq); ok(i) is false when the
% candidates within `limit` of centre i do not hold the mass (the answer is then unsafe).
function [a, r, ok] = sphere_average(c0, cq, wq, pq, mass, limit)
  b = size(c0, 2);
  m = size(pq, 2);
  % One column per centre (sorting along columns is the fast direction).
  d2 = (cq(1, :)' - c0(1, :)) .^ 2 + (cq(2, :)' - c0(2, :)) .^ 2 + (cq(3, :)' - c0(3, :)) .^ 2;
  if isfinite(limit)
    % Only candidates within the limit of some centre can matter.
    keep = any(d2 <= limit ^ 2, 2);
    d2 = d2(keep, :);
    wq = wq(keep);
    pq = pq(keep, :);
  end
  nc = size(d2, 1);
  if nc == 0
    a = zeros(b, m);
    r = zeros(1, b);
    ok = false(b, 1);
    return;
  end
  [d2, idx] = sort(d2, 1);
  W = reshape(wq(idx), nc, b);
  cw = cumsum(W, 1);
  % First row where the cumulative mass reaches the target.
  last = sum(cw < mass, 1)' + 1;
  ok = last <= nc;
  last = min(last, nc);
  lin = sub2ind([nc, b], last, (1:b)');
  ok = ok & sqrt(d2(lin)) <= limit;
  before = cw(lin) - W(lin);
  frac = (mass - before) ./ W(lin);
  r = sqrt(d2(lin))';
  a = zeros(b, m);
  for j = 1:m
    Pj = reshape(pq(idx, j), nc, b);
    cp = cumsum(Pj, 1);
    a(:, j) = (cp(lin) - Pj(lin) + frac .* Pj(lin)) / mass;
  end
end
