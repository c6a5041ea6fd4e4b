% RUN_GMSH  Mesh a gmsh geometry file and write the mesh in format 2.2 (ASCII).
%   run_gmsh(geo_file, dim, msh_file)
%   run_gmsh(geo_file, dim, msh_file, gmsh_command)
%   run_gmsh(geo_file, dim, msh_file, gmsh_command, options)
%
%   geo_file      a .geo file (for example from sphere_geo).
%   dim           2 for surface triangles, 3 for tetrahedra.
%   msh_file      the mesh file to write; read it with read_msh.
%   gmsh_command  the gmsh executable (default 'gmsh', found on the PATH; [] for the default).
%   options       further gmsh command-line options, e.g. '-clmax 0.01' (largest element
%                 size, in the unit of the geometry); default none.
%
%   Ends with an error that quotes gmsh's last output lines when gmsh fails or is missing
%   (Debian/Ubuntu: apt-get install gmsh).
%
%   See also SPHERE_GEO, READ_MSH.
function run_gmsh(geo_file, dim, msh_file, gmsh_command, options)
  if nargin < 3 || nargin > 5 || ~ischar(geo_file) || ~ischar(msh_file)
    error('run_gmsh:usage', 'usage: run_gmsh(geo_file, dim, msh_file, gmsh_command, options)');
  end
  if nargin < 4 || isempty(gmsh_command)
    gmsh_command = 'gmsh';
  end
  if nargin < 5
    options = '';
  end
  if ~ischar(options)
    error('run_gmsh:options', 'run_gmsh: options must be a string of gmsh options');
  end
  if ~isscalar(dim) || ~any(dim == [1 2 3])
    error('run_gmsh:dim', 'run_gmsh: dim must be 1, 2 or 3');
  end
  if exist(geo_file, 'file') ~= 2
    error('run_gmsh:geo', 'run_gmsh: no geometry file "%s"', geo_file);
  end
  cmd = sprintf('"%s" -%d -format msh22 %s -o "%s" "%s" 2>&1', gmsh_command, dim, options, ...
                msh_file, geo_file);
  [status, out] = system(cmd);
  if status ~= 0 || exist(msh_file, 'file') ~= 2
    lines = strsplit(strtrim(out), char(10));
    tail = strjoin(lines(max(1, end - 4):end), char(10));
    error('run_gmsh:failed', 'run_gmsh: gmsh failed (status %d) on "%s":\n%s', status, ...
          geo_file, tail);
  end
end
