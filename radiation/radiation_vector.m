% RADIATION_VECTOR  Radiation sum of current elements in given directions.
%
%   N = radiation_vector(points, moments, rhat, k)
%
%   points   3 x M real element positions.
%   moments  3 x M current moments (A*m), real or complex.
%   rhat     3 x D real directions, used as given (normalise them first).
%   k        real wavenumber.
%
%   N        3 x D complex: N(:, d) = sum_q moments(:, q) * exp(1i*k*rhat(:, d).'*points(:, q)).
%
%   The far field of the elements is -1i*k*eta/(4*pi) * (N - (N.rhat) rhat) (far_field does
%   this). The sum runs in compiled code with vectorised sines and cosines, several times
%   faster than forming the D x M phase matrix in Octave; the result agrees with it to
%   rounding. Malformed input ends with "radiation_vector:<mnemonic>" (usage, badSize,
%   badType, badScalar).
%
%   Example:
%       src = surface_current_elements(geom, I);
%       N = radiation_vector(src.points, src.moments, [0; 0; 1], k);  % forward direction
%
%   See also FAR_FIELD, RCS_CUTS, SCATTERING_CROSS_SECTION.
%
%   hybrid-mom @MOM_VERSION@ (MOM_VERSION in the toolkit returns the release number).

%!test
%! % One element at the origin radiates its moment in every direction.
%! N = radiation_vector([0; 0; 0], [1; 2i; 3], eye(3), 5);
%! assert(N, repmat([1; 2i; 3], 1, 3), 1e-15);
%!test
%! % Two elements half a wavelength apart along z cancel along z and add broadside.
%! N = radiation_vector([0 0; 0 0; 0 pi], [1 1; 0 0; 0 0], [0 1; 0 0; 1 0], 1);
%! assert(N(1, :), [0, 2], 1e-15);
%!error <usage> radiation_vector(1, 2, 3)
%!error <moments> radiation_vector(zeros(3, 2), zeros(3, 1), eye(3), 1)
