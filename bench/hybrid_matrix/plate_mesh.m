% PLATE_MESH  Triangulated rectangular plate in the z = 0 plane.
%   [P, T] = plate_mesh(nx, ny, lx, ly, jitter, seed) returns the 3 x Np node coordinates and
%   the 3 x Tr (1-based, counter-clockwise) triangles of an nx x ny grid of cells of the plate
%   [0, lx] x [0, ly], each cell cut along a diagonal whose direction alternates. Interior nodes
%   are moved at random by up to jitter times the cell size (seeded), so that no two triangles
%   are congruent by accident.
function [P, T] = plate_mesh(nx, ny, lx, ly, jitter, seed)
  if nargin < 5, jitter = 0; end
  if nargin < 6, seed = 1; end
  [x, y] = ndgrid((0:nx) * lx / nx, (0:ny) * ly / ny);
  rand('seed', seed);
  inner = x > 0 & x < lx & y > 0 & y < ly;
  x(inner) += jitter * lx / nx * (rand(nnz(inner), 1) - 0.5);
  y(inner) += jitter * ly / ny * (rand(nnz(inner), 1) - 0.5);
  P = [x(:).'; y(:).'; zeros(1, numel(x))];
  node = @(i, j) i + (nx + 1) * j + 1;
  T = zeros(3, 2 * nx * ny);
  k = 0;
  for j = 0:ny-1
    for i = 0:nx-1
      a = node(i, j); b = node(i + 1, j); c = node(i + 1, j + 1); d = node(i, j + 1);
      if mod(i + j, 2) == 0
        T(:, k + 1) = [a; b; c];  T(:, k + 2) = [a; c; d];
      else
        T(:, k + 1) = [a; b; d];  T(:, k + 2) = [b; c; d];
      end
      k += 2;
    end
  end
end
