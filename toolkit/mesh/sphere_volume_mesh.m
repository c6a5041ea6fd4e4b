% SPHERE_VOLUME_MESH  Tetrahedral mesh of a sphere or of concentric layers, with gmsh.
%   [P, T, layer] = sphere_volume_mesh(radii, h)
%   [P, T, layer] = sphere_volume_mesh(radii, h, grading)
%
%   radii  sphere radius, or ascending radii of concentric layers (core first).
%   h      target element size.
%   grading  element size at the centre over that at the outer radius (default 1, uniform;
%          see sphere_geo).
%
%   P      3 x Np vertices (only those the tetrahedra use), T 4 x Nt tetrahedra (1-based),
%   layer  1 x Nt layer of each tetrahedron: 1 for the core (inside radii(1)), i for the
%          shell between radii(i-1) and radii(i). The layers share their interface vertices
%          (conformal mesh). Needs gmsh on the PATH.
%
%   Example:  [P, T, layer] = sphere_volume_mesh([0.6 1], 0.2);
%
%   See also SPHERE_GEO, RUN_GMSH, READ_MSH, VOLUME_RECORD.
function [P, T, layer] = sphere_volume_mesh(radii, h, grading)
  if nargin < 2 || nargin > 3
    error('sphere_volume_mesh:usage', ...
          'usage: [P, T, layer] = sphere_volume_mesh(radii, h, grading)');
  end
  if nargin < 3
    grading = 1;
  end
  m = gmsh_sphere(radii, h, 3, grading);
  if isempty(m.tet)
    error('sphere_volume_mesh:mesh', 'sphere_volume_mesh: gmsh produced no tetrahedra');
  end
  % gmsh numbers the volume entities in the order of the spheres (see sphere_geo); rank
  % the entity tags to get layer numbers 1..n.
  [~, ~, layer] = unique(m.tet_geo);
  layer = reshape(layer, 1, []);
  if max(layer) ~= numel(radii)
    error('sphere_volume_mesh:mesh', 'sphere_volume_mesh: %d volumes meshed for %d layers', ...
          max(layer), numel(radii));
  end
  [P, T] = compact_vertices(m.P, m.tet);
  % Check the layer numbering by the centroid radii: the median centroid of layer i lies
  % between radii(i-1) and radii(i) (single tetrahedra at a faceted interface may not).
  c = reshape(sum(reshape(P(:, T), 3, 4, []), 2) / 4, 3, []);
  rc = sqrt(sum(c .^ 2, 1));
  inner = [0, reshape(radii(1:end - 1), 1, [])];
  for i = 1:numel(radii)
    m = median(rc(layer == i));
    if ~(m < radii(i) && m > inner(i))
      error('sphere_volume_mesh:layers', ...
            'sphere_volume_mesh: gmsh volume %d does not match layer %d', i, i);
    end
  end
end
