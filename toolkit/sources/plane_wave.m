% PLANE_WAVE  Electric field of a plane wave at given points.
%   E = plane_wave(points, k, khat, E0)
%
%   points  3 x N observation points.
%   k       wavenumber (real for a lossless background).
%   khat    propagation direction (3-vector, normalised here).
%   E0      complex field vector at the origin (3-vector); it must be orthogonal to khat.
%
%   E = E0 * exp(-j k khat.r) at every point (time dependence exp(j omega t)); a 3 x N
%   complex matrix. For the surface excitation sample it at the triangle centroids:
%   E = plane_wave(geom.PointsFC, k, khat, E0);  V = excite_plates(geom, E).
%
%   See also EXCITE_PLATES, EXTINCTION_CROSS_SECTION.
function E = plane_wave(points, k, khat, E0)
  if nargin ~= 4 || size(points, 1) ~= 3 || numel(khat) ~= 3 || numel(E0) ~= 3
    error('plane_wave:usage', 'usage: E = plane_wave(points (3 x N), k, khat (3), E0 (3))');
  end
  khat = reshape(double(khat), 3, 1);
  if ~(norm(khat) > 0)
    error('plane_wave:khat', 'plane_wave: khat must be a non-zero direction');
  end
  khat = khat / norm(khat);
  E0 = reshape(E0, 3, 1);
  if abs(dot(khat, E0)) > 1e-12 * norm(E0)
    error('plane_wave:E0', 'plane_wave: E0 must be orthogonal to the direction khat');
  end
  E = complex(E0 .* exp(-1i * k * (khat' * points)));
end
