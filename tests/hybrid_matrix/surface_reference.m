% SURFACE_REFERENCE  Reference impedance matrix of a surface record for the host tests.
%
% The impedance matrix of a surface record, A = jw * H * M * H.', where H (Ns x 3Tr) holds
% sign * edge length at (edge, slot of its half) and M (3Tr x 3Tr) the slot-pair values
% C_As*<rho.rho' G> + C_phis*<G> of every triangle pair: the centroid rule for distinct
% triangles, replaced by quadrature of the smoothed kernel plus the static tables for every
% listed pair.
function A = surface_reference(g, k, w)
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
