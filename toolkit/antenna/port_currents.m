% PORT_CURRENTS  Currents through delta-gap ports from a surface solution.
%   Ip = port_currents(ports, I)
%
%   ports  delta_gap_ports' result (P ports).
%   I      Ns x M RWG current coefficients (A/m normal current density across each edge;
%          I = 1j * omega * x(1:Ns, :) for hybrid_matrix's solution x).
%
%   Ip (P x M): Ip(p, m) = sum over the port's edges of sign_e l_e I(rwg_e, m), the total
%   current crossing gap p along its direction (A). With the unit excitations of
%   port_excitation's default, Ip is the admittance matrix Y.
%
%   See also DELTA_GAP_PORTS, PORT_EXCITATION, PORT_SOLVE.
function Ip = port_currents(ports, I)
  if nargin ~= 2 || ~isstruct(ports)
    error('port_currents:usage', 'usage: Ip = port_currents(ports, I)');
  end
  Ip = zeros(numel(ports), size(I, 2));
  for p = 1:numel(ports)
    Ip(p, :) = ports(p).weight * I(ports(p).rwg, :);
  end
end
