% The gmsh mesh (as read_msh returns it) of a sphere or of concentric spheres (radii) with
% element size h (graded by grading, see sphere_geo), in dimension dim (2 surface triangles, 3 tetrahedra). The geometry and mesh
% files are temporary and removed afterwards, also when gmsh fails.
function m = gmsh_sphere(radii, h, dim, grading)
  base = tempname();
  geo = [base '.geo'];
  msh = [base '.msh'];
  cleanup = onCleanup(@() delete_files({geo, msh}));
  sphere_geo(geo, radii, h, grading);
  run_gmsh(geo, dim, msh);
  m = read_msh(msh);
end

function delete_files(files)
  for i = 1:numel(files)
    if exist(files{i}, 'file') == 2
      delete(files{i});
    end
  end
end
