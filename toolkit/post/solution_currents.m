% SOLUTION_CURRENTS  Current elements of a hybrid_matrix solution column (metal and dielectric).
%   src = solution_currents(geom, GEOM, omega, x)
%
%   geom   surface record, or [] without metal.
%   GEOM   volume record, or [] without dielectric.
%   omega  angular frequency (the one the system was solved at).
%   x      one solution column of hybrid_matrix: geom.EdgesTotal surface entries (I / (j
%          omega), the unknowns of its surface block) first, then GEOM.EdgesTotal volume
%          entries (the flux density coefficients).
%
%   src fields: points (3 x M) and moments (3 x M complex, A*m), the surface elements
%   (surface_current_elements with I = j omega x_s) followed by the volume polarisation
%   elements (volume_current_elements); D (3 x Nt, flux density per tetrahedron, 3 x 0
%   without dielectric); surface (the number of surface elements, the first columns).
%   Feed src to far_field, radiated_field, extinction_cross_section, rcs_cuts.
%
%   Example:  x = hybrid_matrix(geom, GEOM, const, omega, 0, 1, V);
%             src = solution_currents(geom, GEOM, omega, x(:, 1));
%
%   See also SURFACE_CURRENT_ELEMENTS, VOLUME_CURRENT_ELEMENTS, SCATTERED_FIELD.
function src = solution_currents(geom, GEOM, omega, x)
  if nargin ~= 4
    error('solution_currents:usage', 'usage: src = solution_currents(geom, GEOM, omega, x)');
  end
  [ns, nv] = solution_sizes('solution_currents', geom, GEOM, x);
  if size(x, 2) ~= 1
    error('solution_currents:x', 'solution_currents: x must be one solution column');
  end
  src.points = zeros(3, 0);
  src.moments = complex(zeros(3, 0));
  src.D = zeros(3, 0);
  if ns > 0
    s = surface_current_elements(geom, 1i * omega * x(1:ns));
    src.points = s.points;
    src.moments = s.moments;
  end
  src.surface = size(src.points, 2);
  if nv > 0
    v = volume_current_elements(GEOM, x(ns + 1:ns + nv), omega);
    src.points = [src.points, v.points];
    src.moments = [src.moments, v.moments];
    src.D = v.D;
  end
end
