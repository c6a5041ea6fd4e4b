% SURFACE_REFERENCE  Reference impedance matrix of a surface record for the host tests.
%
% The impedance matrix of a surface record, A = jw * H * M * H.', where H (Ns x 3Tr) holds
% sign * edge length at (edge, slot of its half) and M (3Tr x 3Tr) the slot-pair values
% C_As*<rho.rho' G> + C_phis*<G> of every triangle pair: the centroid rule for distinct
% triangles, replaced by quadrature of the smoothed kernel plus the static tables for every
% listed pair. With far_factor F > 0 (hybrid_matrix's option FarFactor), every unlisted pair
% of distinct triangles with |c_p - c_q|^2 < F r_p r_q (r: largest centroid-to-vertex
% distance) takes the full kernel integrated with the record's rule instead of the centroid
% rule (far_points 0) or with the three-point rule at barycentric (2/3, 1/6, 1/6) (far_points
% 3), whose points are taken here from the triangle's vertices.
function A = surface_reference(g, k, w, far_factor, far_points)
  if nargin < 4
    far_factor = 0;
  end
  if nargin < 5
    far_points = 0;
  end
  tr = g.TrianglesTotal;  ns = g.EdgesTotal;  qm = g.OrderM;
  kw = w / k.c;
  cas = 1i * w * k.mu / (16 * pi);  cphis = 1 / (4 * pi * 1i * w * k.epsilon);
  damped = @(R) (1 + imag(kw) * R + (imag(kw) * R) .^ 2 / 2 + (imag(kw) * R) .^ 3 / 6) ...
                .* exp(-1i * real(kw) * R);
  H = zeros(ns, 3 * tr);
  for e = 1:ns
    H(e, 3 * (g.TriP(e) - 1) + g.VerP(e)) += g.EdgeLength(e);
    H(e, 3 * (g.TriM(e) - 1) + g.VerM(e)) -= g.EdgeLength(e);
  end
  c = g.PointsFC;
  R = sqrt((c(1, :).' - c(1, :)) .^ 2 + (c(2, :).' - c(2, :)) .^ 2 + (c(3, :).' - c(3, :)) .^ 2);
  G = damped(R) ./ R;
  G(1:tr + 1:end) = 0;
  rho = g.PointsFCRho;
  M = kron(G, ones(3)) .* (cas * (rho.' * rho) + cphis);
  if far_factor > 0
    r = sqrt(max(reshape(sum(rho .^ 2, 1), 3, tr), [], 1));
    listed = sparse(g.ttIS + 1, g.ttJS + 1, 1, tr, tr);
    listed = listed + listed.';
    [P, Q] = find(triu(R .^ 2 < far_factor * (r.' * r) & ~listed, 1));
    for e = 1:numel(P)
      I = P(e);  J = Q(e);
      [xi, rhoi, wf] = far_rule(g, I, far_points);
      [xj, rhoj] = far_rule(g, J, far_points);
      d = sqrt((xi(1, :).' - xj(1, :)) .^ 2 + (xi(2, :).' - xj(2, :)) .^ 2 + (xi(3, :).' - xj(3, :)) .^ 2);
      full = damped(d) ./ d .* (wf(:) * wf(:).');
      blk = zeros(3);
      for a = 1:3
        ra = rhoi{a};
        for b = 1:3
          rb = rhoj{b};
          blk(a, b) = cas * sum(sum((ra.' * rb) .* full)) + cphis * sum(full(:));
        end
      end
      M(3 * (I - 1) + (1:3), 3 * (J - 1) + (1:3)) = blk;
      M(3 * (J - 1) + (1:3), 3 * (I - 1) + (1:3)) = blk.';
    end
  end
  for p = 1:numel(g.ttIS)
    I = g.ttIS(p) + 1;  J = g.ttJS(p) + 1;
    xi = g.PointsM(:, (I - 1) * qm + (1:qm));  xj = g.PointsM(:, (J - 1) * qm + (1:qm));
    d = sqrt((xi(1, :).' - xj(1, :)) .^ 2 + (xi(2, :).' - xj(2, :)) .^ 2 + (xi(3, :).' - xj(3, :)) .^ 2);
    sm = (damped(d) - 1) ./ d;
    sm(d == 0) = -1i * kw;
    sm = sm .* (g.WM(:) * g.WM(:).');
    blk = zeros(3);
    for a = 1:3
      ra = g.PointsMRho(:, (3 * (I - 1) + a - 1) * qm + (1:qm));
      for b = 1:3
        rb = g.PointsMRho(:, (3 * (J - 1) + b - 1) * qm + (1:qm));
        blk(a, b) = cas * (sum(sum((ra.' * rb) .* sm)) + g.ttRS(3 * (a - 1) + b, p)) ...
                    + cphis * (sum(sm(:)) + g.ttSS(p));
      end
    end
    si = 3 * (I - 1) + (1:3);  sj = 3 * (J - 1) + (1:3);
    if I ~= J
      blk -= M(si, sj);  % the centroid rule is replaced, not added to
      M(sj, si) += blk.';
    end
    M(si, sj) += blk;
  end
  A = 1i * w * H * M * H.';
end

% Points, slot vectors (rho{s}: 3 x n) and weights of the far-pair rule of triangle I.
function [x, rho, w] = far_rule(g, I, far_points)
  qm = g.OrderM;
  if far_points == 3
    c = g.PointsFC(:, I);
    v = c - g.PointsFCRho(:, 3 * (I - 1) + (1:3));  % vertices
    x = (v + c) / 2;  % barycentric (2/3, 1/6, 1/6) and its rotations
    rho = {x - v(:, 1), x - v(:, 2), x - v(:, 3)};
    w = [1 1 1] / 3;
  else
    x = g.PointsM(:, (I - 1) * qm + (1:qm));
    rho = cell(1, 3);
    for s = 1:3
      rho{s} = g.PointsMRho(:, (3 * (I - 1) + s - 1) * qm + (1:qm));
    end
    w = g.WM;
  end
end
