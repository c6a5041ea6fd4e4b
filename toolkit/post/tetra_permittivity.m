% TETRA_PERMITTIVITY  Complex permittivity of each tetrahedron from a constants record.
%   eps_t = tetra_permittivity(const, nt, caller)
%
%   eps_t = Epsilon_r (1 - j tan_delta) as a 1 x nt row (absolute, in the unit of
%   const.epsilon; time dependence exp(j omega t)); scalar fields are spread over all nt
%   tetrahedra. Ends with CALLER:const when a field holds fewer than nt values. A helper of
%   the post-processing functions.
%
%   Example:  eps_t = tetra_permittivity(const, GEOM.TetrahedraTotal, 'absorbed_power');
%
%   See also INTERNAL_FIELD, EM_CONSTANTS.
function eps_t = tetra_permittivity(const, nt, caller)
  er = reshape(double(const.Epsilon_r), 1, []);
  td = reshape(double(const.tan_delta), 1, []);
  if isscalar(er)
    er = repmat(er, 1, nt);
  end
  if isscalar(td)
    td = repmat(td, 1, nt);
  end
  if numel(er) < nt || numel(td) < nt
    error([caller ':const'], ['%s: const.Epsilon_r and const.tan_delta must hold one ' ...
          'value per tetrahedron (%d)'], caller, nt);
  end
  eps_t = er(1:nt) .* (1 - 1i * td(1:nt));
end
