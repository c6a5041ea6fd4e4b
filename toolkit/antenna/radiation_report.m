% RADIATION_REPORT  Powers, efficiency, directivity and gain of a port-driven solution.
%   rad = radiation_report(geom, GEOM, const, sol, ports)
%   rad = radiation_report(geom, GEOM, const, sol, ports, options)
%   rad = radiation_report(..., 'name', value, ...)
%
%   geom, GEOM, const  the records of port_solve (GEOM [] without dielectric; SI constants).
%   sol                port_solve's second result; ports  delta_gap_ports' result.
%   options: column  the excitation (column of sol.volts) to report (default 1)
%            z0      reference impedance of the generators for the realised gain (50 ohm)
%            n       Gauss-Legendre order of the sphere integration of the radiated power
%                    (default 24: exact for patterns of degree < 48 in the direction
%                    cosines, ample up to a few wavelengths)
%            ntheta, nphi  sample counts of the full-sphere pattern (91, 73) and ncut of
%                    the principal-plane cuts (361)
%
%   Powers (W, time-averaged, gap voltages as peak amplitudes):
%     P_in   = 1/2 Re sum_p V_p conj(I_p), the power the gap sources deliver;
%     P_rad  = integral of U over the sphere, U = |F|^2 / (2 eta) the radiation intensity
%              (E ~ F exp(-jkr)/r, far_field of the surface and volume current elements);
%     P_abs  = 1/2 omega sum_t eps''_t V_t |E_t|^2 in the lossy tetrahedra;
%     balance = (P_rad + P_abs) / P_in - 1, zero for an exact solution (the metal is
%              lossless): a quality indicator of the discretisation.
%   efficiency = P_rad / P_in (radiation efficiency). Directivity D = 4 pi U / P_rad,
%   IEEE gain G = 4 pi U / P_in = efficiency * D, realised gain G_r = 4 pi U / P_avail with
%   the available power of generators of internal resistance z0 that produce the gap
%   voltages, P_avail = sum_p |V_p|^2 |Z_p + z0|^2 / (8 z0 |Z_p|^2) (Z_p = V_p / I_p the
%   active input impedance), i.e. G_r = G (1 - |Gamma|^2) for one driven port.
%
%   rad fields: P_in, P_rad, P_abs, balance, efficiency, Z_active (per port), mismatch
%   (P_in / P_avail), D_max, G_max, G_real_max (linear), dir_max (3 x 1 direction of D_max);
%   sphere: theta, phi (grids, rad), D, G, G_real (linear, ntheta x nphi), and the
%   components G_theta, G_phi (IEEE gain of each polarisation); cuts: angle (1 x ncut, rad,
%   0..2 pi) and, for the planes xz (phi = 0, angle = theta from +z towards +x), yz
%   (phi = 90 deg, theta from +z towards +y) and xy (theta = 90 deg, angle = phi from +x),
%   the IEEE gains G_xz, G_yz, G_xy and realised gains R_xz, R_yz, R_xy (linear).
%
%   Example:  [Y, sol] = port_solve(geom, GEOM, const, f, ports);
%             rad = radiation_report(geom, GEOM, const, sol, ports);  print_radiation(rad);
%
%   See also PORT_SOLVE, PRINT_RADIATION, FAR_FIELD, SCATTERING_CROSS_SECTION.
function rad = radiation_report(geom, GEOM, const, sol, ports, varargin)
  if nargin < 5 || ~isstruct(sol) || ~isstruct(ports)
    error('radiation_report:usage', ...
          'usage: rad = radiation_report(geom, GEOM, const, sol, ports, options)');
  end
  opt = struct('column', 1, 'z0', 50, 'n', 24, 'ntheta', 91, 'nphi', 73, 'ncut', 361);
  if numel(varargin) == 1 && isstruct(varargin{1})
    names = fieldnames(varargin{1});
    values = struct2cell(varargin{1});
  elseif mod(numel(varargin), 2) == 0
    names = varargin(1:2:end);
    values = varargin(2:2:end);
  else
    error('radiation_report:usage', 'radiation_report: options as a struct or name/value pairs');
  end
  for i = 1:numel(names)
    if ~ischar(names{i}) || ~isfield(opt, names{i})
      error('radiation_report:option', 'radiation_report: unknown option "%s"', num2str(names{i}));
    end
    opt.(names{i}) = values{i};
  end
  m = opt.column;
  if ~(isscalar(m) && m >= 1 && m <= size(sol.x, 2) && m == fix(m))
    error('radiation_report:column', 'radiation_report: column must be 1..%d', size(sol.x, 2));
  end
  omega = sol.omega;
  k = omega / const.c;
  eta = sqrt(const.mu / const.epsilon);
  ns = sol.Ns;
  src = surface_current_elements(geom, sol.I(:, m));
  P_abs = 0;
  if ~isempty(GEOM)
    vsrc = volume_current_elements(GEOM, sol.x(ns + 1:end, m), omega);
    src.points = [src.points, vsrc.points];
    src.moments = [src.moments, vsrc.moments];
    % absorption_cross_section is P_abs over the intensity |E0|^2 / (2 eta): take |E0| = 1.
    P_abs = absorption_cross_section(GEOM, const, vsrc.D, omega, 1) / (2 * eta);
  end

  V = sol.volts(:, m);
  Ip = port_currents(ports, sol.I(:, m));
  P_in = 0.5 * real(sum(V .* conj(Ip)));
  driven = abs(V) > 0;
  Z = V ./ Ip;
  P_avail = sum(abs(V(driven)) .^ 2 .* abs(Z(driven) + opt.z0) .^ 2 ...
                ./ (8 * opt.z0 * abs(Z(driven)) .^ 2));
  P_rad = scattering_cross_section(src, k, eta, 1, opt.n) / (2 * eta);

  rad.P_in = P_in;
  rad.P_rad = P_rad;
  rad.P_abs = P_abs;
  rad.balance = (P_rad + P_abs) / P_in - 1;
  rad.efficiency = P_rad / P_in;
  rad.Z_active = Z.';
  rad.mismatch = P_in / P_avail;

  % Full sphere.
  theta = linspace(0, pi, opt.ntheta);
  phi = linspace(0, 2 * pi, opt.nphi);
  [TH, PH] = ndgrid(theta, phi);
  [Ut, Up] = intensity(src, k, eta, TH(:)', PH(:)');
  shape = size(TH);
  rad.sphere.theta = TH;
  rad.sphere.phi = PH;
  rad.sphere.D = reshape(4 * pi * (Ut + Up) / P_rad, shape);
  rad.sphere.G = reshape(4 * pi * (Ut + Up) / P_in, shape);
  rad.sphere.G_theta = reshape(4 * pi * Ut / P_in, shape);
  rad.sphere.G_phi = reshape(4 * pi * Up / P_in, shape);
  rad.sphere.G_real = reshape(4 * pi * (Ut + Up) / P_avail, shape);
  [rad.D_max, at] = max(rad.sphere.D(:));
  rad.G_max = rad.sphere.G(at);
  rad.G_real_max = rad.sphere.G_real(at);
  rad.dir_max = [sin(TH(at)) * cos(PH(at)); sin(TH(at)) * sin(PH(at)); cos(TH(at))];

  % Principal-plane cuts: directions (sin a, 0, cos a), (0, sin a, cos a), (cos a, sin a, 0).
  a = linspace(0, 2 * pi, opt.ncut);
  rad.cuts.angle = a;
  planes = {'xz', [sin(a); zeros(size(a)); cos(a)]; ...
            'yz', [zeros(size(a)); sin(a); cos(a)]; ...
            'xy', [cos(a); sin(a); zeros(size(a))]};
  for i = 1:3
    U = sum(abs(far_field(src, planes{i, 2}, k, eta)) .^ 2, 1) / (2 * eta);
    rad.cuts.(['G_' planes{i, 1}]) = 4 * pi * U / P_in;
    rad.cuts.(['R_' planes{i, 1}]) = 4 * pi * U / P_avail;
  end
end

% Radiation intensity of each polarisation in the directions (theta, phi).
function [Ut, Up] = intensity(src, k, eta, th, ph)
  rhat = [sin(th) .* cos(ph); sin(th) .* sin(ph); cos(th)];
  that = [cos(th) .* cos(ph); cos(th) .* sin(ph); -sin(th)];
  phat = [-sin(ph); cos(ph); zeros(size(ph))];
  F = far_field(src, rhat, k, eta);
  Ut = abs(sum(F .* that, 1)) .^ 2 / (2 * eta);
  Up = abs(sum(F .* phat, 1)) .^ 2 / (2 * eta);
end
