% RCS_CUTS  Bistatic radar cross-section on the E-plane and H-plane cuts.
%   cuts = rcs_cuts(src, k, eta, khat, E0, theta)
%
%   src    current elements (surface_current_elements, possibly several concatenated).
%   k, eta background wavenumber and wave impedance.
%   khat   incident direction; E0 incident field vector (orthogonal to khat).
%   theta  angles in radians from the forward direction khat (0 = forward, pi = back).
%
%   The E-plane cut holds khat and E0, the H-plane cut khat and khat x E0; in both, the
%   direction at angle theta is cos(theta) khat + sin(theta) u with u = E0/|E0| (E-plane) or
%   u = khat x E0/|E0| (H-plane). For a sphere hit along +z with E0 along x, these are the
%   xz- and yz-planes and theta is the usual polar angle. For a complex E0 (elliptic
%   polarisation) the direction of its real part (or of its imaginary part when the real part
%   vanishes) names the E-plane.
%
%   cuts fields: theta, E and H (RCS sigma = 4 pi |F|^2 / |E0|^2, in the square of the
%   length unit, one value per angle).
%
%   See also FAR_FIELD, MIE_SPHERE, RCS_ERROR.
function cuts = rcs_cuts(src, k, eta, khat, E0, theta)
  if nargin ~= 6
    error('rcs_cuts:usage', 'usage: cuts = rcs_cuts(src, k, eta, khat, E0, theta)');
  end
  khat = reshape(khat, 3, 1) / norm(khat);
  e = real(reshape(E0, 3, 1));
  if norm(e) == 0
    e = imag(reshape(E0, 3, 1));
  end
  e = e / norm(e);
  h = cross(khat, e);
  theta = reshape(theta, 1, []);
  amp2 = sum(abs(E0) .^ 2);
  cuts.theta = theta;
  FE = far_field(src, khat .* cos(theta) + e .* sin(theta), k, eta);
  FH = far_field(src, khat .* cos(theta) + h .* sin(theta), k, eta);
  cuts.E = 4 * pi * sum(abs(FE) .^ 2, 1) / amp2;
  cuts.H = 4 * pi * sum(abs(FH) .^ 2, 1) / amp2;
end
