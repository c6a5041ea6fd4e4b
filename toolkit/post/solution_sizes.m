% SOLUTION_SIZES  Surface and volume unknown counts of a solution, checked against x.
%   [ns, nv] = solution_sizes(caller, geom, GEOM, x)
%
%   ns = geom.EdgesTotal (0 for geom = []) and nv = GEOM.EdgesTotal (0 for GEOM = []).
%   Ends with the error CALLER:x unless x has ns + nv rows (surface entries first, as
%   hybrid_matrix returns them), and CALLER:records when a record is neither [] nor a struct.
%   A helper of the post-processing functions.
%
%   Example:  [ns, nv] = solution_sizes('internal_field', geom, GEOM, x);
%
%   See also SOLUTION_CURRENTS, INTERNAL_FIELD.
function [ns, nv] = solution_sizes(caller, geom, GEOM, x)
  ns = 0;
  nv = 0;
  if ~isempty(geom)
    if ~isstruct(geom) || ~isfield(geom, 'EdgesTotal')
      error([caller ':records'], '%s: geom must be a surface record or []', caller);
    end
    ns = fix(geom.EdgesTotal);
  end
  if ~isempty(GEOM)
    if ~isstruct(GEOM) || ~isfield(GEOM, 'EdgesTotal')
      error([caller ':records'], '%s: GEOM must be a volume record or []', caller);
    end
    nv = fix(GEOM.EdgesTotal);
  end
  if ~isnumeric(x) || size(x, 1) ~= ns + nv || ndims(x) ~= 2
    error([caller ':x'], ['%s: x must have %d rows (%d surface then %d volume unknowns), ' ...
          'not %d'], caller, ns + nv, ns, nv, size(x, 1));
  end
end
