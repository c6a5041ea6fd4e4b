% EXPORT_RESULT  Write one result of solve_model to ParaView files (.vtu), with its far field.
%   files = export_result(basename, prep, r)
%
%   basename  path without extension, e.g. 'build/plate'.
%   prep      the prepared model (info.prep of solve_model, or prepare_model).
%   r         one result of solve_model (one frequency, one source), kept with keep_x.
%
%   Writes
%     BASENAME.vtu      the metal triangles (surface current density J, A/m) and the
%                       tetrahedra (complex field E, |E|, absorbed power density, SAR and
%                       the region number), through export_vtu
%     BASENAME_far.vtu  the far-field pattern of r on its (theta, phi) grid as a surface on
%                       the unit sphere (write_far_field; with the bistatic RCS for a
%                       plane wave)
%     BASENAME_far.csv  the same pattern as a table
%   and returns the three file names (cell array). Open the .vtu files in ParaView.
%
%   Example:  [res, info] = solve_model(model, 1e9, dipole_source([0 0 0.1], [0 0 1e-12]));
%             export_result('build/model', info.prep, res(1));
%
%   See also SOLVE_MODEL, EXPORT_VTU, WRITE_FAR_FIELD.
function files = export_result(basename, prep, r)
  if nargin ~= 3 || ~ischar(basename) || ~isstruct(prep) || ~isstruct(r) || ~isscalar(r)
    error('export_result:usage', 'usage: files = export_result(basename, prep, r)');
  end
  if isempty(r.x)
    error('export_result:x', 'export_result: the result holds no solution (solve with keep_x)');
  end
  [GEOM, const] = model_at_frequency(prep, r.freq);
  model = prep.model;
  options = struct('region', model.region, 'P', model.P, 't', model.tri);
  if ~isempty(model.regions)
    options.rho = arrayfun(@(g) g.material.density, model.regions);
  end
  files = {[basename '.vtu'], [basename '_far.vtu'], [basename '_far.csv']};
  export_vtu(files{1}, prep.geom, GEOM, const, r.omega, r.x, options);
  if strcmp(r.source.type, 'plane_wave')
    E0 = norm(r.source.E0);
    write_far_field(files{2}, r.far.theta, r.far.phi, r.far.E_theta, r.far.E_phi, E0);
    write_far_field(files{3}, r.far.theta, r.far.phi, r.far.E_theta, r.far.E_phi, E0);
  else
    write_far_field(files{2}, r.far.theta, r.far.phi, r.far.E_theta, r.far.E_phi);
    write_far_field(files{3}, r.far.theta, r.far.phi, r.far.E_theta, r.far.E_phi);
  end
end
