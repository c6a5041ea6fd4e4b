% TOOLKIT_SETUP  Put the study toolkit and the built modules on the path.
%   toolkit_setup() adds the toolkit's subsystem folders (mesh, model, sources, post,
%   export, reference, studies) to the path and, when the CMake build exists, the folder of the
%   built modules (build/mex beside this folder). Call it once per session, e.g.
%
%     addpath('/path/to/project/toolkit'); toolkit_setup();
%
%   toolkit_setup(MEXDIR) adds MEXDIR as the folder of the modules instead. Without a CMake
%   build, the folder build_modules.m writes by default (mex/ beside this folder) is taken.
%
%   Folders:  mesh       gmsh meshes, mesh tables and surface checks
%             model      records for the modules, quadrature rules, constants
%             sources    incident fields
%             post       far fields, cross-sections, cuts, plots, near and internal
%                        fields, absorbed power, SAR
%             export     VTK (.vtu) and CSV files, sweep plots
%             reference  analytic solutions (Mie series)
%             studies    complete scattering studies
function toolkit_setup(mexdir)
  here = fileparts(mfilename('fullpath'));
  subs = {'mesh', 'model', 'sources', 'post', 'export', 'reference', 'studies'};
  for i = 1:numel(subs)
    d = fullfile(here, subs{i});
    if exist(d, 'dir')
      addpath(d);
    end
  end
  if nargin < 1
    % The CMake build's folder, else the one build_modules.m writes by default.
    mexdir = fullfile(fileparts(here), 'build', 'mex');
    if ~exist(mexdir, 'dir')
      mexdir = fullfile(fileparts(here), 'mex');
    end
  end
  if exist(mexdir, 'dir')
    addpath(mexdir);
  end
end
