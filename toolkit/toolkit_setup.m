% TOOLKIT_SETUP  Put the study toolkit and the built modules on the path.
%   toolkit_setup() adds the toolkit's subsystem folders (mesh, model, sources, post,
%   reference, studies, solve) to the path and, when the CMake build exists, the folder of the
%   built modules (build/mex beside this folder). Call it once per session, e.g.
%
%     addpath('/path/to/project/toolkit'); toolkit_setup();
%
%   toolkit_setup(MEXDIR) adds MEXDIR as the folder of the modules instead.
%
%   Folders:  mesh       gmsh meshes, mesh tables and surface checks
%             model      records for the modules, quadrature rules, constants
%             sources    incident fields
%             post       far fields, cross-sections, cuts, plots
%             reference  analytic solutions (Mie series)
%             studies    complete scattering studies
%             solve      alternative solvers (hybrid_matrix_mpi: MPI ranks, ScaLAPACK)
function toolkit_setup(mexdir)
  here = fileparts(mfilename('fullpath'));
  subs = {'mesh', 'model', 'sources', 'post', 'reference', 'studies', 'solve'};
  for i = 1:numel(subs)
    d = fullfile(here, subs{i});
    if exist(d, 'dir')
      addpath(d);
    end
  end
  if nargin < 1
    mexdir = fullfile(fileparts(here), 'build', 'mex');
  end
  if exist(mexdir, 'dir')
    addpath(mexdir);
  end
end
