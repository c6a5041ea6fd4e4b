% PORT_SOLVE  Solve a metal (and dielectric) structure driven at its delta-gap ports.
%   [Y, sol] = port_solve(geom, GEOM, const, f, ports)
%   [Y, sol] = port_solve(geom, GEOM, const, f, ports, volts)
%
%   geom, GEOM, const  surface record, volume record ([] without dielectric) and constants
%                      record in SI units (em_constants('si')), built once for all
%                      frequencies: none of them depends on frequency.
%   f                  frequency (Hz), a scalar.
%   ports              delta_gap_ports' result (P ports).
%   volts              P x M gap voltages, one column per excitation (default eye(P)).
%
%   One fill and one factorisation of hybrid_matrix serve all M right-hand sides.
%   Y (P x M): Y(p, m) the current (A) through port p, along its direction, under
%   excitation m; with the default unit voltages it is the admittance matrix.
%   sol fields: f, omega, volts, x (N x M hybrid_matrix solutions: surface part I/(j omega),
%   volume part the flux-density coefficients), I (Ns x M RWG currents), Ns.
%
%   Example:
%     geom = surface_record(P, t);  ports = delta_gap_ports(P, t, gap);
%     Y = port_solve(geom, [], em_constants('si'), 300e6, ports);  Zin = 1 / Y
%
%   See also DELTA_GAP_PORTS, PORT_SWEEP, NETWORK_PARAMETERS, RADIATION_REPORT.
function [Y, sol] = port_solve(geom, GEOM, const, f, ports, volts)
  if nargin < 5 || nargin > 6 || ~isstruct(geom) || ~isstruct(ports)
    error('port_solve:usage', 'usage: [Y, sol] = port_solve(geom, GEOM, const, f, ports, volts)');
  end
  if ~(isscalar(f) && isreal(f) && f > 0)
    error('port_solve:f', 'port_solve: f must be a positive frequency in Hz');
  end
  if nargin < 6
    volts = eye(numel(ports));
  end
  ns = fix(geom.EdgesTotal);
  nv = 0;
  if ~isempty(GEOM)
    nv = fix(GEOM.EdgesTotal);
  end
  n = ns + nv;
  omega = 2 * pi * f;
  V = port_excitation(ports, n, volts);
  m = size(V, 2);
  x = reshape(hybrid_matrix(geom, GEOM, const, omega, 0, m, V), n, m);
  I = 1i * omega * x(1:ns, :);
  Y = port_currents(ports, I);
  sol.f = f;
  sol.omega = omega;
  sol.volts = volts;
  sol.x = x;
  sol.I = I;
  sol.Ns = ns;
end
