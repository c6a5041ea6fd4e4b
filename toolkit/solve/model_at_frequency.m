% MODEL_AT_FREQUENCY  The material fields of a prepared model at one frequency.
%   [GEOM, const, eps_c] = model_at_frequency(prep, freq)
%
%   prep  prepare_model's record; freq  the frequency in Hz.
%
%   Evaluates the material of every region (material_permittivity: eps_c = eps' - j eps'',
%   relative, exp(j omega t)) and fills what depends on it: the constants record in SI units
%   (em_constants('si'): free-space background, Epsilon_r = eps0 eps' and tan_delta =
%   eps''/eps' per tetrahedron), the contrast kappa_t = 1 - 1/eps_c of every tetrahedron and
%   the contrast jump of every face slot (kappa on its minus side less kappa on its plus
%   side, from prep.face_sign). These are the fields basis would give for the same
%   materials; nothing else in the records changes with the frequency.
%
%   GEOM   the completed volume record ([] without dielectric)
%   const  constants record for hybrid_matrix and the post-processing functions
%   eps_c  1 x R complex relative permittivity of each region
%
%   Example:  [GEOM, const] = model_at_frequency(prep, 2.45e9);
%             omega = 2 * pi * 2.45e9;
%
%   See also PREPARE_MODEL, MATERIAL_PERMITTIVITY, SOLVE_MODEL.
function [GEOM, const, eps_c] = model_at_frequency(prep, freq)
  if nargin ~= 2 || ~isstruct(prep) || ~isfield(prep, 'GEOM') || ~isscalar(freq) ...
     || ~(freq > 0)
    error('model_at_frequency:usage', ...
          'usage: [GEOM, const, eps_c] = model_at_frequency(prep, freq > 0 (Hz))');
  end
  regions = prep.model.regions;
  eps_c = zeros(1, numel(regions));
  for r = 1:numel(regions)
    eps_c(r) = material_permittivity(regions(r).material, freq);
  end
  GEOM = prep.GEOM;
  if isempty(GEOM)
    const = em_constants('si');
    return;
  end
  e = eps_c(prep.model.region);
  const = em_constants('si', real(e), -imag(e) ./ real(e));
  kappa = 1 - 1 ./ e;
  GEOM.Contrast_real = real(kappa);
  GEOM.Contrast_imag = imag(kappa);
  k0 = [0, kappa];                                  % k0(1): an absent side
  a = reshape(k0(prep.face_tets(1, :) + 1), 1, 1, []);
  b = reshape(k0(prep.face_tets(2, :) + 1), 1, 1, []);
  jump = reshape(prep.face_sign(1, :, :) .* a + prep.face_sign(2, :, :) .* b, 6, []);
  GEOM.DiffContrast_real = real(jump);
  GEOM.DiffContrast_imag = imag(jump);
end
