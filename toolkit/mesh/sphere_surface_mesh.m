% SPHERE_SURFACE_MESH  Triangulate a sphere surface with gmsh.
%   [P, t, h] = sphere_surface_mesh(radius, 'size', h)
%   [P, t, h] = sphere_surface_mesh(radius, 'unknowns', n)
%
%   radius  sphere radius (centred at the origin).
%   'size', h       mesh with element size h.
%   'unknowns', n   choose the element size so that the closed mesh has about n edges, i.e.
%                   about n RWG unknowns: the size is corrected from the edge count until it
%                   is within 3 % of n, for at most five gmsh runs (the last mesh is returned).
%
%   P  3 x Np vertices, t  3 x Nt triangles with outward normals, h the element size used.
%   The mesh is checked with check_surface; gmsh's orientation is corrected if it is inward.
%   Needs gmsh on the PATH.
%
%   Example:  [P, t] = sphere_surface_mesh(1, 'unknowns', 1000);
%
%   See also SPHERE_GEO, RUN_GMSH, READ_MSH, CHECK_SURFACE, SURFACE_RECORD.
function [P, t, h] = sphere_surface_mesh(radius, mode, value)
  if nargin ~= 3 || ~ischar(mode) || ~isnumeric(value) || ~isscalar(value) || ~(value > 0)
    error('sphere_surface_mesh:usage', ...
          'usage: [P, t, h] = sphere_surface_mesh(radius, ''size'' | ''unknowns'', value)');
  end
  if ~isnumeric(radius) || ~isscalar(radius) || ~(radius > 0)
    error('sphere_surface_mesh:radius', 'sphere_surface_mesh: radius must be positive');
  end
  switch lower(mode)
    case 'size'
      h = value;
      [P, t] = mesh_once(radius, h);
    case 'unknowns'
      % A closed mesh has 3/2 edges per triangle; an equilateral triangle of side h covers
      % sqrt(3)/4 h^2, so n edges need h = sqrt(6 pi r^2 / (sqrt(3)/4 n)) roughly.
      h = radius * sqrt(4 * pi * 1.5 / (sqrt(3) / 4 * value));
      for attempt = 1:5
        [P, t] = mesh_once(radius, h);
        edges = 1.5 * size(t, 2);
        if abs(edges / value - 1) < 0.03
          break;
        end
        h = h * sqrt(edges / value);
      end
    otherwise
      error('sphere_surface_mesh:mode', ...
            'sphere_surface_mesh: the mode must be ''size'' or ''unknowns''');
  end
end

function [P, t] = mesh_once(radius, h)
  m = gmsh_sphere(radius, h, 2, 1);
  [P, t] = compact_vertices(m.P, m.tri);
  [ok, info] = check_surface(P, t);
  if ~ok && info.closed && info.oriented && ~info.outward
    t = t([1 3 2], :);
    [ok, info] = check_surface(P, t);
  end
  if ~ok
    error('sphere_surface_mesh:mesh', 'sphere_surface_mesh: gmsh produced a bad surface: %s', ...
          info.message);
  end
end
