% TOOLKIT_SETUP  Put the study toolkit and the built modules on the path.
%   toolkit_setup() adds the toolkit's subsystem folders (every folder beside this file) to
%   the path and, when the CMake build exists, the folder of the built modules (build/mex
%   beside this folder). Call it once per session, e.g.
%
%     addpath('/path/to/project/toolkit'); toolkit_setup();
%
%   toolkit_setup(MEXDIR) adds MEXDIR as the folder of the modules instead. Without a CMake
%   build, the folder build_modules.m writes by default (mex/ beside this folder) is taken.
%
%   Folders:  mesh       gmsh meshes and models, mesh tables and surface checks
%             model      records for the modules, materials, accuracy settings, quadrature
%                        rules, constants
%             sources    incident fields: plane waves, dipoles
%             solve      models of your own: prepared records, sources, frequency sweeps;
%                        the distributed solver's front end
%             post       far fields, cross-sections, cuts, plots, near and internal fields,
%                        absorbed power, SAR
%             export     VTK (.vtu) and CSV files, sweep plots
%             antenna    delta-gap ports, network parameters, Touchstone files, radiation
%             reference  analytic solutions (Mie series, thin-wire dipole)
%             studies    complete scattering studies
function toolkit_setup(mexdir)
  here = fileparts(mfilename('fullpath'));
  % every subsystem folder (private folders are found by Octave on its own)
  entries = dir(here);
  for i = 1:numel(entries)
    name = entries(i).name;
    if entries(i).isdir && name(1) ~= '.' && ~strcmp(name, 'private')
      addpath(fullfile(here, name));
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
