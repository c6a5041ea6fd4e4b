% PREPARE_MODEL  The frequency-independent records of a model: built once, used at every frequency.
%   prep = prepare_model(model)
%   prep = prepare_model(model, 'name', value, ...)
%
%   model  a model (gmsh_model): vertices in metres, metal triangles, dielectric
%          tetrahedra with a region and a material each.
%
%   Options:
%     accuracy     'fast', 'standard' (default) or 'high', or a target relative error
%                  (accuracy_settings): near-pair factors, rules and the right-hand-side
%                  integration
%     verbose      print each stage (default false)
%
%   Builds everything that does not depend on the frequency: the surface record of the
%   metal with its near table (surface_record), the mesh tables and the volume basis of
%   the tetrahedra (volume_mesh_tables, basis: the independent edge functions), the faces
%   that can carry a contrast jump (the boundary of the dielectric and the faces between
%   regions of different materials), the near tables of tetrahedra and faces (cell_pairs,
%   seam_pairs) and the metal-dielectric coupling tables (coupling_tables). Metal
%   triangles that coincide with dielectric faces (metal on a dielectric) or lie between
%   tetrahedra (metal inside a dielectric) need nothing more: the coupling tables hold
%   those pairs, whose centroids coincide, with their static integrals. The static (1/R)
%   tables do not depend on the frequency either.
%
%   The contrast jump of a face, as seen by an edge function crossing it, is
%   kappa(minus side) - kappa(plus side): a fixed combination of the contrasts of the (at
%   most two) tetrahedra beside it. basis is called once with distinct contrasts in every
%   tetrahedron and the combination of every face slot is read off its jumps, so each
%   frequency only evaluates the materials (model_at_frequency) instead of running basis
%   (whose Gram factorisation is cubic in the edge count) again.
%
%   prep fields:
%     model          the model
%     settings       accuracy_settings record used
%     geom           surface record ([] without metal)
%     GEOM           volume record without the material fields ([] without dielectric);
%                    model_at_frequency completes it
%     face_tets      2 x F tetrahedra beside each kept face (0: none)
%     face_sign      2 x 6 x F: the jump in slot s of face f is
%                    face_sign(1,s,f) kappa(face_tets(1,f)) + face_sign(2,s,f) kappa(face_tets(2,f))
%     unknowns, surface_unknowns, volume_unknowns
%     metal_on_faces metal triangles that coincide with a face of a tetrahedron
%     seconds        wall-clock times: surface, basis, tables, coupling
%
%   Example:  prep = prepare_model(model, 'accuracy', 'standard');
%             [GEOM, const] = model_at_frequency(prep, 1e9);
%
%   See also GMSH_MODEL, MODEL_AT_FREQUENCY, SOLVE_MODEL, ACCURACY_SETTINGS.
function prep = prepare_model(model, varargin)
  opt = struct('accuracy', 'standard', 'verbose', false);
  if nargin < 1 || ~isstruct(model) || ~all(isfield(model, {'P', 'tri', 'tet', 'region', 'regions'}))
    error('prepare_model:usage', 'usage: prep = prepare_model(model (gmsh_model), ...)');
  end
  opt = name_value_options('prepare_model', opt, varargin);
  for need = {'basis', 'cell_pairs', 'seam_pairs', 'plate_pairs', 'cell_plate_pairs'}
    if exist(need{1}) ~= 3
      error('prepare_model:module', ['prepare_model: the %s module is not on the path ' ...
            '(build the project and run toolkit_setup)'], need{1});
    end
  end
  s = accuracy_settings(opt.accuracy);
  P = double(model.P);
  prep.model = model;
  prep.settings = s;
  prep.geom = [];
  prep.GEOM = [];
  prep.face_tets = zeros(2, 0);
  prep.face_sign = zeros(2, 6, 0);
  prep.seconds = struct('surface', 0, 'basis', 0, 'tables', 0, 'coupling', 0);
  ns = 0;
  nv = 0;

  if ~isempty(model.tri)
    say(opt, 'surface record and near table (%d metal triangles)', size(model.tri, 2));
    [prep.geom, sec] = surface_record(P, model.tri, s.face_points, s.plate_near);
    prep.seconds.surface = sec.record + sec.tables;
    ns = prep.geom.EdgesTotal;
  end
  if ~isempty(model.tet)
    say(opt, 'volume basis (%d tetrahedra)', size(model.tet, 2));
    clock0 = tic();
    [prep.GEOM, prep.face_tets, prep.face_sign] = volume_skeleton(P, model, s);
    prep.seconds.basis = toc(clock0);
    say(opt, 'near tables of tetrahedra and %d faces', prep.GEOM.FacesNontrivial);
    clock0 = tic();
    [ct, wt] = tetra_rule(s.tet_points);
    [cf, wf] = triangle_rule(s.face_points);
    tt = cell_pairs(P, prep.GEOM.MeshT, ct, wt, s.cell_near);
    prep.GEOM.TTIS = reshape(tt.IS, 1, []);
    prep.GEOM.TTJS = reshape(tt.JS, 1, []);
    prep.GEOM.TTSS = reshape(tt.SS, 1, []);
    ff = struct('IS', [], 'JS', [], 'SS', []);
    if prep.GEOM.FacesNontrivial > 0
      ff = seam_pairs(P, prep.GEOM.MeshFaces, cf, wf, s.seam_near);
    end
    prep.GEOM.FFIS = reshape(ff.IS, 1, []);
    prep.GEOM.FFJS = reshape(ff.JS, 1, []);
    prep.GEOM.FFSS = reshape(ff.SS, 1, []);
    prep.seconds.tables = toc(clock0);
    nv = prep.GEOM.EdgesTotal;
    if ~isempty(model.tri)
      say(opt, 'metal-dielectric coupling tables');
      [prep.GEOM, prep.seconds.coupling] = coupling_tables(prep.GEOM, P, model.tri, ...
                                                           s.face_points, s.coupling_near);
    end
  end
  prep.surface_unknowns = ns;
  prep.volume_unknowns = nv;
  prep.unknowns = ns + nv;
  prep.metal_on_faces = 0;
  if ~isempty(model.tri) && ~isempty(model.tet)
    faces = sort(reshape(model.tet([2 3 4 1 3 4 1 2 4 1 2 3], :), 3, []), 1)';
    prep.metal_on_faces = sum(ismember(sort(model.tri, 1)', faces, 'rows'));
  end
end

% The volume record without its material fields, and the sides of every kept face.
function [GEOM, face_tets, face_sign] = volume_skeleton(P, model, s)
  [T, Edges, Faces, TET] = volume_mesh_tables(model.tet);
  nt = size(T, 2);
  % Regions with equal materials form one medium: only faces between media (and the
  % boundary) can carry a jump.
  medium = material_classes(model.regions);
  m = medium(model.region);
  boundary = TET(2, :) == 0;
  interface = false(size(boundary));
  interface(~boundary) = m(TET(1, ~boundary)) ~= m(TET(2, ~boundary));
  keep = find(boundary | interface);
  Faces = Faces(:, keep);
  TET = TET(:, keep);

  % basis with a distinct real contrast in every tetrahedron, kappa_t = 1 - 1/(2 + t/nt).
  tag.epsilon = 1;
  tag.mu = 1;
  tag.c = 1;
  tag.Epsilon_r = 2 + (1:nt) / nt;
  tag.tan_delta = zeros(1, nt);
  S = basis(P, T, Faces, Edges, TET, tag);
  kappa = [0, 1 - 1 ./ tag.Epsilon_r];            % kappa(1) is an absent side
  ka = kappa(TET(1, :) + 1);
  kb = kappa(TET(2, :) + 1);
  J = S.DiffContrast_real;                         % 3 x F (real: the tag is lossless)
  % Boundary face: J = s kappa_a; interface: J = s (kappa_a - kappa_b), s = +-1.
  base = ka - kb;
  sgn = round(J ./ base);
  sgn((1:3)' > S.EdgesFNI) = 0;
  rebuilt = sgn .* base;
  if any(abs(sgn(:)) > 1) || max(abs(rebuilt(:) - J(:))) > 1e-9
    error('prepare_model:jumps', ['prepare_model: the contrast jumps of basis are not a ' ...
          'signed difference of the two sides (a degenerate tetrahedron?)']);
  end
  % Faces on which no kept function crosses carry nothing.
  used = S.EdgesFNI > 0;
  nf = sum(used);
  face_tets = TET(:, used);
  face_sign = zeros(2, 6, nf);
  face_sign(1, 1:3, :) = reshape(sgn(:, used), 1, 3, nf);
  face_sign(2, 1:3, :) = -reshape(sgn(:, used), 1, 3, nf) .* reshape(TET(2, used) > 0, 1, 1, nf);

  [ct, wt] = tetra_rule(s.tet_points);
  [cf, wf] = triangle_rule(s.face_points);
  % The frequency-independent tables; contrasts and jumps are filled per frequency
  % (model_at_frequency).
  GEOM = volume_geom(S, P, T, Faces, Edges, find(used), ct, wt, cf, wf);
  GEOM.Contrast_real = zeros(1, nt);
  GEOM.Contrast_imag = zeros(1, nt);
  GEOM.DiffContrast_real = zeros(6, nf);
  GEOM.DiffContrast_imag = zeros(6, nf);
end

% Regions whose material records are equal (names aside) share a class number.
function c = material_classes(regions)
  n = numel(regions);
  c = zeros(1, n);
  next = 0;
  strip = @(m) rmfield(m, 'name');
  for i = 1:n
    for j = 1:i - 1
      if isequal(strip(regions(i).material), strip(regions(j).material))
        c(i) = c(j);
        break;
      end
    end
    if c(i) == 0
      next = next + 1;
      c(i) = next;
    end
  end
end

function say(opt, varargin)
  if opt.verbose
    fprintf('  ... %s\n', sprintf(varargin{:}));
    if exist('OCTAVE_VERSION', 'builtin')
      fflush(stdout);
    end
  end
end
