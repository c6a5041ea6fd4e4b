% ACCURACY_SETTINGS  Near-pair factors, rules and excitation integration for an accuracy level.
%   s = accuracy_settings()
%   s = accuracy_settings(accuracy)
%
%   accuracy  'fast', 'standard' (default) or 'high', or a number: the target relative
%             error of the cross-sections (for instance 1e-3). A number picks the cheapest
%             level whose expected error (field target) is at most the number; below the
%             reach of 'high' it returns 'high'. An accuracy struct (a result of this
%             function) is returned unchanged, so functions may pass either.
%
%   The error of a study has three tunable sources besides the mesh: the interactions of
%   element pairs that are not in a near-pair table are one-point (centroid) estimates of
%   the kernel; the near pairs use a quadrature rule plus closed-form static integrals; the
%   incident field is sampled at one point per triangle. 'standard' is the set of defaults
%   the studies and records have always used; 'high' widens every near-pair table so that
%   no coupling of the discretised sphere studies is left to a centroid estimate at the
%   sizes they are run at, and integrates the excitation with the triangle rule.
%
%   s fields (stable names):
%     name           'fast', 'standard' or 'high'
%     target         expected relative cross-section error of the level at about 3000
%                    unknowns (a guide, not a guarantee)
%     plate_near     near-pair factor of plate_pairs (metal triangle pairs)
%     seam_near      near-pair factor of seam_pairs (dielectric face pairs)
%     cell_near      near-pair factor of cell_pairs (tetrahedron pairs)
%     coupling_near  near-pair factor of the coupling tables (coupling_tables)
%     face_points    triangle rule (points) of metal triangles, faces and their tables
%     tet_points     tetrahedron rule (points) of PointsT and cell_pairs
%     rhs            'centroid': the incident field at the triangle centroids
%                    (excite_plates) and its mean over each tetrahedron (excite_cells);
%                    'quadrature': the testing integrals of the metal triangles with the
%                    surface record's rule (excite_plates_quadrature); the tetrahedra keep
%                    the mean over their rule, which is exact for their constant vectors
%     hybrid_options options struct passed as hybrid_matrix's ninth argument, or [] for
%                    none (the default fill)
%
%   Near-pair factors: elements i and j form a near pair when
%   |c_i - c_j|^2 < factor * r_i * r_j (centroids c, centroid-to-vertex radii r).
%
%   Example:
%     s = accuracy_settings('high');
%     geom = surface_record(P, t, s.face_points, s.plate_near);
%
%   See also SPHERE_STUDY, DIELECTRIC_STUDY, SURFACE_RECORD, VOLUME_RECORD.
function s = accuracy_settings(accuracy)
  if nargin < 1 || isempty(accuracy)
    accuracy = 'standard';
  end
  if nargin > 1
    error('accuracy_settings:usage', 'usage: s = accuracy_settings(accuracy)');
  end
  if isstruct(accuracy) && isscalar(accuracy) && isfield(accuracy, 'name')
    s = accuracy;
    return;
  end
  levels = {'fast', 'standard', 'high'};
  if ischar(accuracy)
    name = lower(accuracy);
    if ~any(strcmp(name, levels))
      error('accuracy_settings:accuracy', ['accuracy_settings: accuracy must be ''fast'', ' ...
            '''standard'', ''high'' or a positive number (target relative error)']);
    end
  elseif isnumeric(accuracy) && isscalar(accuracy) && isreal(accuracy) && accuracy > 0
    name = 'high';
    for i = 1:numel(levels)
      if level(levels{i}).target <= accuracy
        name = levels{i};
        break;
      end
    end
  else
    error('accuracy_settings:accuracy', ['accuracy_settings: accuracy must be ''fast'', ' ...
          '''standard'', ''high'' or a positive number (target relative error)']);
  end
  s = level(name);
end

function s = level(name)
  s.name = name;
  switch name
    case 'fast'
      s.target = 1e-2;
      s.plate_near = 4;
      s.seam_near = 4;
      s.cell_near = 4;
      s.coupling_near = 4;
      s.face_points = 3;
      s.tet_points = 4;
      s.rhs = 'centroid';
      s.hybrid_options = [];
    case 'standard'
      s.target = 5e-3;
      s.plate_near = 9;
      s.seam_near = 9;
      s.cell_near = 9;
      s.coupling_near = 9;
      s.face_points = 6;
      s.tet_points = 4;
      s.rhs = 'centroid';
      s.hybrid_options = [];
    case 'high'
      s.target = 3e-4;
      s.plate_near = 9;
      s.seam_near = 9;
      s.cell_near = 9;
      s.coupling_near = 9;
      s.face_points = 6;
      s.tet_points = 4;
      s.rhs = 'quadrature';
      s.hybrid_options = struct('FarFactor', Inf, 'FarPoints', 3);
  end
end
