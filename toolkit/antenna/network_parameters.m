% NETWORK_PARAMETERS  Impedance, admittance and scattering matrices of a multiport.
%   net = network_parameters(Y)
%   net = network_parameters(Y, z0)
%   net = network_parameters(Z, z0, 'Z')
%
%   Y    P x P x F admittance matrices (S), one per frequency (port_solve's Y); or, with
%        'Z' as third argument, impedance matrices (ohm).
%   z0   reference impedance (ohm), a positive real scalar (default 50) or one value per port.
%
%   net fields (P x P x F): Z, Y, S, and z0 (1 x P). The scattering matrix is that of power
%   waves for real reference impedances R = diag(z0):
%     S = R^(-1/2) (Z - R) (Z + R)^(-1) R^(1/2) = I - 2 R^(1/2) (Z + R)^(-1) R^(1/2),
%   so a one-port has S11 = (Z - z0) / (Z + z0); a reciprocal network (Z = Z.') gives
%   S = S.', and a lossless one a unitary S.
%
%   Example:  net = network_parameters(50 + 10i, 50, 'Z');  net.S   % 0.0099 + 0.0990i
%
%   See also PORT_SOLVE, TOUCHSTONE_WRITE.
function net = network_parameters(M, z0, kind)
  if nargin < 1 || nargin > 3 || ~isnumeric(M) || size(M, 1) ~= size(M, 2)
    error('network_parameters:usage', 'usage: net = network_parameters(Y, z0) or (Z, z0, ''Z'')');
  end
  if nargin < 2 || isempty(z0)
    z0 = 50;
  end
  if nargin < 3
    kind = 'Y';
  end
  np = size(M, 1);
  nf = size(M, 3);
  if isscalar(z0)
    z0 = repmat(z0, 1, np);
  end
  if ~isreal(z0) || numel(z0) ~= np || any(~(z0(:) > 0))
    error('network_parameters:z0', ['network_parameters: z0 must be positive real, one ' ...
          'value or %d'], np);
  end
  z0 = reshape(double(z0), 1, np);
  Z = zeros(np, np, nf);
  Y = zeros(np, np, nf);
  S = zeros(np, np, nf);
  R = diag(z0);
  r = diag(sqrt(z0));
  for q = 1:nf
    switch upper(kind)
      case 'Y'
        Y(:, :, q) = M(:, :, q);
        Z(:, :, q) = inv(M(:, :, q));
      case 'Z'
        Z(:, :, q) = M(:, :, q);
        Y(:, :, q) = inv(M(:, :, q));
      otherwise
        error('network_parameters:kind', 'network_parameters: kind must be ''Y'' or ''Z''');
    end
    S(:, :, q) = eye(np) - 2 * r * ((Z(:, :, q) + R) \ r);
  end
  net.Z = Z;
  net.Y = Y;
  net.S = S;
  net.z0 = z0;
end
