% SPHERE_GEO  Write a gmsh geometry (.geo) file of a sphere, or of concentric spheres.
%   sphere_geo(filename, radius, h)
%   sphere_geo(filename, [r1 r2 ...], h)
%   sphere_geo(filename, radii, h, grading)
%
%   filename  the .geo file to write.
%   radius    sphere radius; with several ascending radii the spheres are concentric and
%             split into a core and shells that share their interfaces (conformal meshes).
%   h         target element size (gmsh MeshSizeMin = MeshSizeMax = h).
%   grading   element size at the centre over that at the outer radius (default 1, uniform):
%             the size grows linearly in the radius from grading * h at the centre to h at
%             the outer radius (a gmsh MathEval background field).
%
%   The sphere is centred at the origin and built with gmsh's OpenCASCADE kernel. Mesh it
%   with run_gmsh(filename, 2, ...) for the surface triangles or dimension 3 for tetrahedra.
%   No physical groups are defined, so gmsh writes every element; the elementary volume
%   entity i (read_msh's tet_geo) is the layer inside radius i (the core is entity 1).
%
%   See also RUN_GMSH, SPHERE_SURFACE_MESH, READ_MSH.
function sphere_geo(filename, radius, h, grading)
  if nargin < 3 || nargin > 4 || ~ischar(filename)
    error('sphere_geo:usage', 'usage: sphere_geo(filename, radius, h, grading)');
  end
  if ~isnumeric(radius) || isempty(radius) || ~isreal(radius) || any(~(radius > 0)) ...
      || any(~isfinite(radius)) || any(diff(radius(:)) <= 0)
    error('sphere_geo:radius', 'sphere_geo: radius must hold positive ascending values');
  end
  if ~isnumeric(h) || ~isscalar(h) || ~(h > 0) || ~isfinite(h)
    error('sphere_geo:h', 'sphere_geo: h must be a positive element size');
  end
  if nargin < 4
    grading = 1;
  end
  if ~isnumeric(grading) || ~isscalar(grading) || ~(grading > 0) || ~isfinite(grading)
    error('sphere_geo:grading', 'sphere_geo: grading must be a positive size ratio');
  end
  [fid, why] = fopen(filename, 'w');
  if fid < 0
    error('sphere_geo:open', 'sphere_geo: cannot write "%s": %s', filename, why);
  end
  fprintf(fid, 'SetFactory("OpenCASCADE");\n');
  n = numel(radius);
  for i = 1:n
    fprintf(fid, 'Sphere(%d) = {0, 0, 0, %.17g};\n', i, radius(i));
  end
  if n > 1
    fprintf(fid, 'BooleanFragments{ Volume{1:%d}; Delete; }{ }\n', n);
  end
  if grading == 1
    fprintf(fid, 'Mesh.MeshSizeMin = %.17g;\nMesh.MeshSizeMax = %.17g;\n', h, h);
  else
    fprintf(fid, 'Mesh.MeshSizeMin = 0;\nMesh.MeshSizeMax = 1e22;\n');
    fprintf(fid, 'Mesh.MeshSizeFromPoints = 0;\nMesh.MeshSizeFromCurvature = 0;\n');
    fprintf(fid, 'Mesh.MeshSizeExtendFromBoundary = 0;\n');
    fprintf(fid, 'Field[1] = MathEval;\n');
    fprintf(fid, 'Field[1].F = "%.17g + %.17g * Sqrt(x*x + y*y + z*z)";\n', grading * h, ...
            (1 - grading) * h / radius(end));
    fprintf(fid, 'Background Field = 1;\n');
  end
  fclose(fid);
end
