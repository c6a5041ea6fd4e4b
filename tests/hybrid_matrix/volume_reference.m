% VOLUME_REFERENCE  Reference volume-volume and coupling blocks for the host tests.
%   [Zvv, Zvs] = volume_reference(geom, GEOM, k, w) writes, from the closing formulas, the lower
%   triangle Zvv (Nv x Nv) of
%     Z(a, b) = sum_t q_t V_t (b_t,a . n_t,b) + C_A sum_(t,u) kappa_t kappa_u V_t V_u
%               (b_t,a . b_u,b) G_tu - C_phi sum_(f,g) D_f,a D_g,b G_fg       (a >= b)
%   and, when geom is not empty, the coupling block Zvs (Nv x Ns)
%     Z(a, e) = sum_halves +-L_e [sum_t h_t <b_t,a . rho> G_tr,t + sum_f C_phi D_f,a G_tr,f],
%   with q_t = kappa_t / (Epsilon_r (1 - j tan_delta)), h_t = C_A V_t kappa_t / 2, and G the
%   centroid kernel (0 closer than 1e-8) for pairs that are not listed, replaced for every
%   listing by the point quadrature of the smoothed kernel plus the static value. The element
%   matrices are assembled as P * M * P.' with slot incidence matrices P.
%   With far_factor F > 0 (hybrid_matrix's option VolumeFarFactor) the unlisted pairs of
%   distinct tetrahedra and of faces with |c_1 - c_2|^2 < F r_1 r_2 (r: largest
%   centroid-to-quadrature-point distance) take the point quadrature of the full kernel
%   instead of the centroid kernel.
function [Zvv, Zvs] = volume_reference(g, G, k, w, far_factor)
  if nargin < 5
    far_factor = 0;
  end
  nt = G.TetrahedraTotal;  nv = G.EdgesTotal;  F = G.FacesNontrivial;
  kw = w / k.c;
  damped = @(R) (1 + imag(kw) * R + (imag(kw) * R) .^ 2 / 2 + (imag(kw) * R) .^ 3 / 6) ...
                .* exp(-1i * real(kw) * R);
  CA = -k.mu * w ^ 2 / (4 * pi);  Cphi = -1 / (4 * pi * k.epsilon);

  PT = incidence(G.EdgesTN, G.EdgesTNI, nv);
  PF = incidence(G.EdgesFN, G.EdgesFNI, nv);
  B = reshape(G.BasisTC, 3, 6 * nt);  Bn = reshape(G.BasisTCn, 3, 6 * nt);
  kap = G.Contrast_real(:) + 1i * G.Contrast_imag(:);
  cv = G.VolumeT(:) .* kap;
  D = G.DiffContrast_real(:) + 1i * G.DiffContrast_imag(:);
  eps_t = k.Epsilon_r(1:nt).' .* (1 - 1i * k.tan_delta(1:nt).');

  Gtt = element_kernel(G.CenterT, G.PointsT, G.WT, G.TTIS, G.TTJS, G.TTSS, damped, kw, far_factor);
  Gff = element_kernel(G.CenterF, G.PointsF, G.WF, G.FFIS, G.FFJS, G.FFSS, damped, kw, far_factor);
  M = CA * kron(Gtt .* (cv * cv.'), ones(6)) .* (B.' * B) ...
      + kron(diag(kap ./ eps_t .* G.VolumeT(:)), ones(6)) .* (B.' * Bn);
  Zvv = tril(PT * M * PT.' - Cphi * PF * (kron(Gff, ones(6)) .* (D * D.')) * PF.');
  Zvs = zeros(nv, 0);
  if isempty(g)
    return;
  end

  tr = g.TrianglesTotal;  ns = g.EdgesTotal;  qm = g.OrderM;  qt = G.OrderT;
  H = zeros(ns, 3 * tr);  Ht = zeros(ns, tr);
  for e = 1:ns
    H(e, 3 * (g.TriP(e) - 1) + g.VerP(e)) += g.EdgeLength(e);
    H(e, 3 * (g.TriM(e) - 1) + g.VerM(e)) -= g.EdgeLength(e);
    Ht(e, g.TriP(e)) += g.EdgeLength(e);
    Ht(e, g.TriM(e)) -= g.EdgeLength(e);
  end
  % Current coupling X(3(tr-1)+m, 6(t-1)+i) = <b_t,i . rho_tr,m> G_tr,t.
  X = (g.PointsFCRho.' * B) .* kron(centre(g.PointsFC, G.CenterT, damped), ones(3, 6));
  for p = 1:numel(G.TtIS)
    I = G.TtIS(p) + 1;  J = G.TtJS(p) + 1;
    rows_ = 3 * (I - 1) + (1:3);  cols_ = 6 * (J - 1) + (1:6);
    x = g.PointsM(:, (I - 1) * qm + (1:qm));  y = G.PointsT(:, (J - 1) * qt + (1:qt));
    K = (g.WM(:) * G.WT(:).') .* smooth(distances(x, y), damped, kw);
    for m = 1:3
      rho = g.PointsMRho(:, (3 * (I - 1) + m - 1) * qm + (1:qm));
      quad = sum((rho.' * B(:, cols_)) .* sum(K, 2), 1);
      X(rows_(m), cols_) += quad + G.TtRS(3 * (m - 1) + (1:3), p).' * B(:, cols_) ...
                            - (g.PointsFCRho(:, rows_(m)).' * B(:, cols_)) ...
                              * centre(g.PointsFC(:, I), G.CenterT(:, J), damped);
    end
  end
  if far_factor > 0
    rt = sqrt(max(reshape(sum(g.PointsFCRho .^ 2, 1), 3, tr), [], 1));
    [P1, P2] = far_pairs(g.PointsFC, rt, G.CenterT, G.PointsT, qt, G.TtIS, G.TtJS, far_factor);
    for e = 1:numel(P1)
      I = P1(e);  J = P2(e);
      rows_ = 3 * (I - 1) + (1:3);  cols_ = 6 * (J - 1) + (1:6);
      x = g.PointsM(:, (I - 1) * qm + (1:qm));  y = G.PointsT(:, (J - 1) * qt + (1:qt));
      R = distances(x, y);
      K = (g.WM(:) * G.WT(:).') .* damped(R) ./ R;
      for m = 1:3
        rho = g.PointsMRho(:, (3 * (I - 1) + m - 1) * qm + (1:qm));
        X(rows_(m), cols_) = sum((rho.' * B(:, cols_)) .* sum(K, 2), 1);
      end
    end
  end
  X = X .* kron(CA * cv.' / 2, ones(1, 6));
  % Charge coupling Y(tr, 6(f-1)+i) = C_phi D_f,i G_tr,f.
  Gtf = centre(g.PointsFC, G.CenterF, damped);
  qf = G.OrderF;
  for p = 1:numel(G.tFIS)
    I = G.tFIS(p) + 1;  J = G.tFJS(p) + 1;
    x = g.PointsM(:, (I - 1) * qm + (1:qm));  y = G.PointsF(:, (J - 1) * qf + (1:qf));
    Gtf(I, J) += sum(sum((g.WM(:) * G.WF(:).') .* smooth(distances(x, y), damped, kw))) ...
                 + G.tFSS(p) - centre(g.PointsFC(:, I), G.CenterF(:, J), damped);
  end
  if far_factor > 0
    [P1, P2] = far_pairs(g.PointsFC, rt, G.CenterF, G.PointsF, qf, G.tFIS, G.tFJS, far_factor);
    for e = 1:numel(P1)
      x = g.PointsM(:, (P1(e) - 1) * qm + (1:qm));  y = G.PointsF(:, (P2(e) - 1) * qf + (1:qf));
      R = distances(x, y);
      Gtf(P1(e), P2(e)) = sum(sum((g.WM(:) * G.WF(:).') .* damped(R) ./ R));
    end
  end
  Y = Cphi * kron(Gtf, ones(1, 6)) .* D.';
  Zvs = PT * X.' * H.' + PF * Y.' * Ht.';
end

% Slot incidence: P(a, 6(e-1)+i) = 1 when slot i of element e holds unknown a.
function P = incidence(numbers, counts, nv)
  valid = (1:6).' <= counts(:).';
  P = sparse(numbers(valid), find(valid), 1, nv, numel(valid));
end

function R = distances(A, B)
  R = sqrt((A(1, :).' - B(1, :)) .^ 2 + (A(2, :).' - B(2, :)) .^ 2 + (A(3, :).' - B(3, :)) .^ 2);
end

function G = centre(A, B, damped)
  R = distances(A, B);
  G = damped(R) ./ R;
  G(R < 1e-8) = 0;
end

function g = smooth(R, damped, kw)
  g = (damped(R) - 1) ./ R;
  g(R == 0) = -1i * kw;
end

% Element kernel matrix: centroid values, each listing replacing them by quadrature + static.
function K = element_kernel(C, points, W, IS, JS, SS, damped, kw, far_factor)
  K = centre(C, C, damped);
  q = numel(W);
  if far_factor > 0
    n = columns(C);
    r = sqrt(max(reshape(sum((points - kron(C, ones(1, q))) .^ 2, 1), q, n), [], 1));
    listed = sparse(IS + 1, JS + 1, 1, n, n);
    d2 = (C(1, :).' - C(1, :)) .^ 2 + (C(2, :).' - C(2, :)) .^ 2 + (C(3, :).' - C(3, :)) .^ 2;
    [P1, P2] = find(triu(d2 < far_factor * (r.' * r) & ~(listed + listed.'), 1));
    for e = 1:numel(P1)
      R = distances(points(:, (P1(e) - 1) * q + (1:q)), points(:, (P2(e) - 1) * q + (1:q)));
      K(P1(e), P2(e)) = sum(sum((W(:) * W(:).') .* damped(R) ./ R));
      K(P2(e), P1(e)) = K(P1(e), P2(e));
    end
  end
  for p = 1:numel(IS)
    I = IS(p) + 1;  J = JS(p) + 1;
    s = sum(sum((W(:) * W(:).') .* smooth(distances(points(:, (I - 1) * q + (1:q)), ...
                                                      points(:, (J - 1) * q + (1:q))), damped, kw)));
    s += SS(p) - (I ~= J) * centre(C(:, I), C(:, J), damped);
    K(I, J) += s;
    if I ~= J
      K(J, I) += s;
    end
  end
end

% Unlisted (triangle, element) pairs within the far factor: triangle centroids c with radii
% rt, element centroids C with q points each (radius: farthest point), listed pairs IS, JS.
function [P1, P2] = far_pairs(c, rt, C, points, q, IS, JS, far_factor)
  n = columns(C);
  re = sqrt(max(reshape(sum((points - kron(C, ones(1, q))) .^ 2, 1), q, n), [], 1));
  d2 = (c(1, :).' - C(1, :)) .^ 2 + (c(2, :).' - C(2, :)) .^ 2 + (c(3, :).' - C(3, :)) .^ 2;
  listed = sparse(IS + 1, JS + 1, 1, columns(c), n) > 0;
  [P1, P2] = find(d2 < far_factor * (rt.' * re) & ~listed);
end
