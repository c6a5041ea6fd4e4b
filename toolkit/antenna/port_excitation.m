% PORT_EXCITATION  Right-hand sides of delta-gap ports.
%   V = port_excitation(ports, n)
%   V = port_excitation(ports, n, volts)
%
%   ports  delta_gap_ports' result (P ports).
%   n      order of the system: surface unknowns first, then any volume unknowns (which a
%          delta gap does not excite).
%   volts  P x M gap voltages, one column per right-hand side (default eye(P): each port
%          at 1 V in turn, the others short-circuited, which yields the admittance matrix).
%
%   V is n x M complex: row rwg_e of column m holds sum_p volts(p, m) * sign_e * l_e.
%
%   See also DELTA_GAP_PORTS, PORT_SOLVE.
function V = port_excitation(ports, n, volts)
  if nargin < 2 || nargin > 3 || ~isstruct(ports)
    error('port_excitation:usage', 'usage: V = port_excitation(ports, n, volts)');
  end
  np = numel(ports);
  if nargin < 3
    volts = eye(np);
  end
  if size(volts, 1) ~= np
    error('port_excitation:volts', 'port_excitation: volts must have %d rows (one per port)', np);
  end
  W = sparse(n, np);
  for p = 1:np
    if any(ports(p).rwg > n)
      error('port_excitation:n', 'port_excitation: port %d refers to unknowns beyond n = %d', p, n);
    end
    W(ports(p).rwg, p) = ports(p).weight(:);
  end
  V = complex(full(W * volts));
end
