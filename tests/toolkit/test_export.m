% Exported files read back by independent readers: a solved PEC sphere with a lossy coating
% (metal triangles and tetrahedra in one grid) and a far-field pattern as a .vtu surface,
% each read by meshio and by VTK's XML reader (tests/toolkit/check_vtu.py) and compared with
% the values written; the far-field CSV read back; the physics of the exported arrays.

here = fileparts(mfilename('fullpath'));
if isempty(here)
  here = pwd;
end
checker = fullfile(fileparts(which('test_export.m')), 'check_vtu.py');
if ~exist(checker, 'file')
  checker = fullfile(here, 'check_vtu.py');
end
% A python with meshio and VTK (Debian python3-meshio, python3-vtk9).
py = '';
for cand = {'python3', '/usr/bin/python3'}
  if system([cand{1} ' -c "import meshio, vtk" > /dev/null 2>&1']) == 0
    py = cand{1};
    break;
  end
end
assert(~isempty(py), 'no python3 with meshio and vtk (install python3-meshio python3-vtk9)');
out = tempname();
mkdir(out);

function put(fid, kind, name, values)
  fprintf(fid, '%s %s %d %d\n', kind, name, size(values, 1), size(values, 2));
  fprintf(fid, '%.17g\n', values);
end

function check(py, checker, vtu, expected)
  [status, text] = system(sprintf('%s %s %s %s 2>&1', py, checker, vtu, expected));
  assert(status == 0, sprintf('check_vtu failed:\n%s', text));
end

% PEC core 0.6 in a lossy coating, k a = 1, about 400 unknowns.
s = dielectric_study('core', 0.6, 'ka', 1, 'tan_delta', 0.5, 'unknowns', 400, 'ntheta', 7, ...
                     'time_fill', false);
geom = s.geom;
GEOM = s.GEOM;
region = 1 + (GEOM.CenterT(3, :) > 0);
vtu = fullfile(out, 'coated.vtu');
info = export_vtu(vtu, geom, GEOM, s.const, s.omega, s.x, struct('region', region, ...
                  'rho', [1000 2000]));
assert(info.triangles == geom.TrianglesTotal && info.tetrahedra == GEOM.TetrahedraTotal);
d = info.arrays;
ntri = info.triangles;
tets = ntri + 1:ntri + info.tetrahedra;
% The arrays are the post-processing results: field, power density, SAR = p / rho, regions.
E = internal_field(geom, GEOM, s.const, s.x);
pa = absorbed_power(GEOM, s.const, s.omega, E, region);
expect_close(d.E_real(:, tets) + 1i * d.E_imag(:, tets), E, 1e-15, 'exported field');
expect_close(d.p_abs(tets), pa.density', 1e-15, 'exported power density');
rho = [1000 2000];
expect_close(d.SAR(tets), pa.density' ./ rho(region), 1e-15, 'exported SAR');
assert(isequal(d.region, [zeros(1, ntri), region]));
J = surface_current_density(geom, 1i * s.omega * s.x(1:geom.EdgesTotal));
expect_close(d.J_real(:, 1:ntri) + 1i * d.J_imag(:, 1:ntri), J, 1e-15, 'exported current');
assert(all(d.J_abs(tets) == 0) && all(d.E_abs(1:ntri) == 0));
% The triangles rebuilt from the record share their vertices: a closed surface, V - E + F = 2.
t = info.cells.tri;
edges = unique(sort([t([1 2], :), t([2 3], :), t([3 1], :)], 1)', 'rows');
assert(numel(unique(t(:))) - size(edges, 1) + ntri == 2, 'rebuilt metal surface is closed');

expected = fullfile(out, 'coated.txt');
fid = fopen(expected, 'w');
put(fid, 'points', '-', info.P);
put(fid, 'tri', '-', info.cells.tri);
put(fid, 'tet', '-', info.cells.tet);
for name = {'J_real', 'J_imag', 'J_abs', 'E_real', 'E_imag', 'E_abs', 'p_abs', 'SAR', 'region'}
  put(fid, 'cell', name{1}, d.(name{1}));
end
put(fid, 'tri_area', '-', geom.AreaF);
fclose(fid);
check(py, checker, vtu, expected);

% Far-field pattern on a (theta, phi) grid: .vtu surface and CSV.
k = s.k;
eta = sqrt(s.const.mu / s.const.epsilon);
src = solution_currents(geom, GEOM, s.omega, s.x);
th = linspace(0, pi, 13);
ph = linspace(0, 2 * pi, 25);
[TH, PH] = ndgrid(th, ph);
TH = TH(:)';
PH = PH(:)';
rhat = [sin(TH) .* cos(PH); sin(TH) .* sin(PH); cos(TH)];
F = far_field(src, rhat, k, eta);
eth = [cos(TH) .* cos(PH); cos(TH) .* sin(PH); -sin(TH)];
eph = [-sin(PH); cos(PH); zeros(size(PH))];
Eth = reshape(sum(F .* eth, 1), 13, 25);
Eph = reshape(sum(F .* eph, 1), 13, 25);
[Eth2, Eph2, rhat2] = far_field_grid(src, th, ph, k, eta);
expect_close([Eth2, Eph2], [Eth, Eph], 1e-14, 'far_field_grid');
expect_close(rhat2, rhat, 1e-15, 'far_field_grid directions');
ffv = fullfile(out, 'pattern.vtu');
write_far_field(ffv, th, ph, Eth, Eph, 1);
expected = fullfile(out, 'pattern.txt');
fid = fopen(expected, 'w');
put(fid, 'points', '-', rhat);
put(fid, 'point', 'F_real', real(F));       % the transverse far field itself
put(fid, 'point', 'F_imag', imag(F));
put(fid, 'quad', '-', reshape(1:13 * 25, 13, 25)(1:12, 1:24)(:)' + [0; 1; 14; 13]);
put(fid, 'point', 'Etheta_real', real(Eth(:).'));
put(fid, 'point', 'Ephi_imag', imag(Eph(:).'));
put(fid, 'point', 'rcs', 4 * pi * sum(abs(F) .^ 2, 1));
fclose(fid);
check(py, checker, ffv, expected);
% The RCS column in the plane of the cuts (phi = 0: E-plane) is rcs_cuts' E-plane cut.
csv = fullfile(out, 'pattern.csv');
write_far_field(csv, th, ph, Eth, Eph, 1);
fid = fopen(csv);
head = fgetl(fid);
fclose(fid);
assert(strcmp(head, 'theta_deg,phi_deg,Etheta_real,Etheta_imag,Ephi_real,Ephi_imag,F_abs_V,rcs_m2'));
tab = dlmread(csv, ',', 1, 0);
assert(size(tab, 1) == 13 * 25);
expect_close(tab(:, 1:2), [TH; PH]' * 180 / pi, 1e-15, 'CSV angles');
expect_close(tab(:, 3) + 1i * tab(:, 4), Eth(:), 1e-15, 'CSV E_theta');
cuts = rcs_cuts(src, k, eta, [0; 0; 1], [1; 0; 0], th);
expect_close(tab(1:13, 8)', cuts.E, 1e-10, 'CSV RCS at phi = 0 against the E-plane cut');

% A sweep plot is a PNG file.
png = fullfile(out, 'sweep.png');
assert(plot_sweep(png, [1 2 3], [1 4 9; 2 3 4], {'a', 'b'}, 'f [GHz]', 'value', 'sweep'), ...
       'sweep plot');
fid = fopen(png);
magic = fread(fid, 8)';
fclose(fid);
assert(isequal(magic, [137 80 78 71 13 10 26 10]), 'PNG signature');
expect_error(@() write_far_field(fullfile(out, 'x.txt'), th, ph, Eth, Eph), ...
             'write_far_field:format');
expect_error(@() write_vtu(fullfile(out, 'x.vtu'), rhat, struct('tri', [1; 2; 1e6]), []), ...
             'write_vtu:cells');
confirm_recursive_rmdir(false);
rmdir(out, 's');
