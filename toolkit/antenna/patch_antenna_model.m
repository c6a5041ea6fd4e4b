% PATCH_ANTENNA_MODEL  Mesh, prepare and port a probe-fed patch antenna on a finite substrate.
%   [prep, ports, model] = patch_antenna_model(p, material)
%   [prep, ports, model] = patch_antenna_model(p, material, 'name', value, ...)
%
%   p         the geometry (metres) of patch_antenna_geo: patch_L, patch_W, sub_h, sub_size,
%             feed_x, probe_w, mesh_size (and optionally probe_mesh).
%   material  the substrate (dielectric_material, or a number: a complex relative
%             permittivity). To change it later, set prep.model.regions(1).material: the
%             prepared records do not depend on it.
%   Further name/value pairs go to prepare_model (e.g. 'verbose', true).
%
%   Writes the geometry into a temporary folder, meshes it with gmsh (gmsh_model: metal
%   "patch", "ground" and "probe", dielectric "substrate"), builds the frequency-independent
%   records (prepare_model) and puts a delta-gap port on the physical curve "feed", the
%   probe's foot on the ground plane: a 1 V gap drives current up the probe into the patch
%   (port direction +z). The probe strip of width probe_w stands for a round probe of
%   radius about probe_w / 4.
%
%   Example:
%     p = struct('patch_L', 0.03, 'patch_W', 0.04, 'sub_h', 0.0016, 'sub_size', 0.06, ...
%                'feed_x', 0.007, 'probe_w', 0.0015, 'mesh_size', 0.006);
%     [prep, ports] = patch_antenna_model(p, dielectric_material('eps_r', 2.2));
%     net = port_sweep(prep, linspace(3.1e9, 3.4e9, 7), ports);
%
%   See also PATCH_ANTENNA_GEO, GMSH_MODEL, PREPARE_MODEL, CURVE_EDGES, DELTA_GAP_PORTS.
function [prep, ports, model] = patch_antenna_model(p, material, varargin)
  if nargin < 2 || ~isstruct(p)
    error('patch_antenna_model:usage', 'usage: [prep, ports, model] = patch_antenna_model(p, material)');
  end
  folder = tempname();
  mkdir(folder);
  cleanup = onCleanup(@() remove_folder(folder));
  geo = fullfile(folder, 'patch.geo');
  msh = fullfile(folder, 'patch.msh');
  patch_antenna_geo(geo, p);
  model = gmsh_model(geo, 'metal', {'patch', 'ground', 'probe'}, ...
                     'dielectric', {'substrate', material}, 'save_msh', msh);
  gap = curve_edges(msh, 'feed', model.P);
  prep = prepare_model(model, varargin{:});
  ports = delta_gap_ports(model.P, model.tri, struct('edges', gap, 'direction', [0 0 1]));
end

function remove_folder(folder)
  if exist(folder, 'dir')
    confirm_recursive_rmdir(false, 'local');
    rmdir(folder, 's');
  end
end
