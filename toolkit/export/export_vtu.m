% EXPORT_VTU  Write a solution's currents, fields, absorbed power and SAR to a .vtu file.
%   info = export_vtu(filename, geom, GEOM, const, omega, x)
%   info = export_vtu(filename, geom, GEOM, const, omega, x, options)
%
%   filename  the .vtu file (VTK XML unstructured grid, ASCII; see write_vtu).
%   geom      surface record, or [] without metal.
%   GEOM      volume record (volume_record: MeshP, MeshT), or [] without dielectric.
%   const     constants record the records were built with; omega the angular frequency.
%   x         one hybrid_matrix solution column (surface entries first, then volume).
%   options   struct, all fields optional:
%     region     1 x Nt region number of each tetrahedron (default all 1)
%     rho        mass density in kg/m^3, one per region or per tetrahedron (default 0: no
%                SAR, written as 0)
%     P, t       vertices (3 x Np) and triangles (3 x Tr) of the metal surface, in the order
%                of geom's triangles; without them the triangles are rebuilt from geom
%                (PointsFC and PointsFCRho give each triangle's vertices)
%
%   One grid holds the metal triangles first, then the tetrahedra. Cell arrays:
%     J_real, J_imag  surface current density at the triangle centroids (3 comps, A/m)
%     J_abs           its magnitude sqrt(|Jx|^2 + |Jy|^2 + |Jz|^2)
%     E_real, E_imag  electric field per tetrahedron (3 comps, V/m; internal_field)
%     E_abs           its magnitude
%     p_abs           absorbed power density (W/m^3; absorbed_power)
%     SAR             specific absorption rate (W/kg; 0 where rho = 0)
%     region          region number (0 on the metal triangles)
%   Arrays that do not apply to a cell kind are 0 there. Amplitudes are peak values of the
%   exp(j omega t) phasors.
%
%   info: triangles, tetrahedra (counts), P and cells (the vertices and cells written:
%   cells.tri, cells.tet) and arrays (the struct of the cell data).
%
%   Example:  export_vtu('build/model.vtu', geom, GEOM, const, omega, x(:, 1), ...
%                        struct('region', region, 'rho', [1040 1100]));
%
%   See also WRITE_VTU, INTERNAL_FIELD, SURFACE_CURRENT_DENSITY, SAR_STATISTICS.
function info = export_vtu(filename, geom, GEOM, const, omega, x, options)
  if nargin < 6 || nargin > 7 || ~ischar(filename)
    error('export_vtu:usage', ...
          'usage: info = export_vtu(filename, geom, GEOM, const, omega, x, options)');
  end
  if nargin < 7 || isempty(options)
    options = struct();
  end
  [ns, nv] = solution_sizes('export_vtu', geom, GEOM, x);
  if size(x, 2) ~= 1
    error('export_vtu:x', 'export_vtu: x must be one solution column');
  end
  ntri = 0;
  nt = 0;
  Pt = zeros(3, 0);
  t = zeros(3, 0);
  if ~isempty(geom)
    ntri = fix(geom.TrianglesTotal);
    if isfield(options, 'P') && isfield(options, 't')
      Pt = options.P;
      t = options.t(1:3, :);
      if size(t, 2) ~= ntri
        error('export_vtu:t', 'export_vtu: options.t must hold the %d triangles of geom', ntri);
      end
    else
      [Pt, t] = triangles_of(geom);
    end
  end
  Pv = zeros(3, 0);
  T = zeros(4, 0);
  if ~isempty(GEOM)
    nt = fix(GEOM.TetrahedraTotal);
    Pv = GEOM.MeshP;
    T = GEOM.MeshT;
  end
  region = ones(1, nt);
  if isfield(options, 'region') && ~isempty(options.region)
    region = reshape(options.region, 1, []);
  end
  rho = 0;
  if isfield(options, 'rho') && ~isempty(options.rho)
    rho = options.rho;
  end

  J = zeros(3, ntri);
  if ns > 0
    J = surface_current_density(geom, 1i * omega * x(1:ns));
  end
  E = zeros(3, nt);
  p = zeros(1, nt);
  sar = zeros(1, nt);
  if nv > 0
    E = internal_field(geom, GEOM, const, x);
    pa = absorbed_power(GEOM, const, omega, E, region);
    p = pa.density';
    rho_t = reshape(double(rho), 1, []);
    if isscalar(rho_t)
      rho_t = repmat(rho_t, 1, nt);
    elseif numel(rho_t) == max(region) && numel(rho_t) ~= nt
      rho_t = rho_t(region);
    elseif numel(rho_t) ~= nt
      error('export_vtu:rho', ['export_vtu: options.rho must hold one density per region ' ...
            'or per tetrahedron']);
    end
    tissue = rho_t > 0;
    sar(tissue) = p(tissue) ./ rho_t(tissue);
  end
  z3 = @(n) zeros(3, n);
  data.J_real = [real(J), z3(nt)];
  data.J_imag = [imag(J), z3(nt)];
  data.J_abs = [sqrt(sum(abs(J) .^ 2, 1)), zeros(1, nt)];
  data.E_real = [z3(ntri), real(E)];
  data.E_imag = [z3(ntri), imag(E)];
  data.E_abs = [zeros(1, ntri), sqrt(sum(abs(E) .^ 2, 1))];
  data.p_abs = [zeros(1, ntri), p];
  data.SAR = [zeros(1, ntri), sar];
  data.region = [zeros(1, ntri), region];
  cells.tri = t;
  cells.tet = T + size(Pt, 2);
  write_vtu(filename, [Pt, Pv], cells, data);
  info.triangles = ntri;
  info.tetrahedra = nt;
  info.P = [Pt, Pv];
  info.cells = cells;
  info.arrays = data;
end

% The triangles of a surface record on a shared vertex list: vertex a of triangle i is
% PointsFC(:, i) - PointsFCRho(:, 3(i-1) + a); copies of a vertex (equal to rounding) merge.
function [P, t] = triangles_of(geom)
  nt = fix(geom.TrianglesTotal);
  V = repelem(geom.PointsFC, 1, 3) - geom.PointsFCRho(:, 1:3 * nt);
  scale = max(1, max(abs(V(:))));
  key = round(V' / (1e-9 * scale));
  [~, first, which] = unique(key, 'rows', 'first');
  P = V(:, first);
  t = reshape(which, 3, nt);
end
