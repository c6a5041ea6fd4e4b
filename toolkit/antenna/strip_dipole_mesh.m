% STRIP_DIPOLE_MESH  Triangle mesh of a flat strip dipole with its centre gap.
%   [P, t, gap] = strip_dipole_mesh(L, w)
%   [P, t, gap] = strip_dipole_mesh(L, w, segments, across)
%
%   L, w      length (along z) and width (along x) of the strip (m), centred at the origin
%             in the plane y = 0.
%   segments  cells along the length, even so that a row of edges lies at z = 0
%             (rounded up to even; default 40); across  cells across the width (default 2).
%   Each rectangular cell is split into two triangles along alternating diagonals.
%
%   P 3 x Np, t 3 x Nt (1-based), gap 2 x across: the vertex pairs of the edges at z = 0,
%   ready for delta_gap_ports (port direction +z).
%
%   Example:  [P, t, gap] = strip_dipole_mesh(0.5, 0.01, 60, 2);
%             ports = delta_gap_ports(P, t, struct('edges', gap, 'direction', [0 0 1]));
%
%   See also DELTA_GAP_PORTS, SURFACE_RECORD.
function [P, t, gap] = strip_dipole_mesh(L, w, segments, across)
  if nargin < 2 || nargin > 4 || ~(isscalar(L) && L > 0 && isscalar(w) && w > 0)
    error('strip_dipole_mesh:usage', 'usage: [P, t, gap] = strip_dipole_mesh(L, w, segments, across)');
  end
  if nargin < 3 || isempty(segments)
    segments = 40;
  end
  if nargin < 4 || isempty(across)
    across = 2;
  end
  n = 2 * ceil(segments / 2);
  m = max(1, round(across));
  x = linspace(-w / 2, w / 2, m + 1);
  z = linspace(-L / 2, L / 2, n + 1);
  [X, Z] = ndgrid(x, z);
  P = [X(:)'; zeros(1, numel(X)); Z(:)'];
  [i, j] = ndgrid(1:m, 1:n);
  i = i(:)';
  j = j(:)';
  a = i + (j - 1) * (m + 1);
  b = a + 1;
  c = b + m + 1;
  d = a + m + 1;
  flip = mod(i + j, 2) == 1;
  t1 = [a; b; c];
  t2 = [a; c; d];
  t1(:, flip) = [a(flip); b(flip); d(flip)];
  t2(:, flip) = [b(flip); c(flip); d(flip)];
  t = [t1, t2];
  row = (n / 2) * (m + 1) + (1:m + 1);
  gap = [row(1:end - 1); row(2:end)];
end
