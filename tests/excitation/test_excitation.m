% excite_cells and excite_plates called from the host: worked examples, the record and argument
% conventions, and malformed input (the numerics against closed forms: excite_core_test).

function G = corner_tetrahedron(kappa)
  % The unit corner tetrahedron with the edge functions of p0p1, p0p2 and p1p2.
  G.TetrahedraTotal = 1;
  G.EdgesTotal = 3;
  G.EdgesTNI = 3;
  G.EdgesTN = [1 2 3 0 0 0]';
  G.BasisTC = [0 -2 2  2 0 -2  0 0 2  zeros(1, 9)]';
  G.VolumeT = 1/6;
  G.Contrast_real = real(kappa);
  G.Contrast_imag = imag(kappa);
end

% --- excite_cells -----------------------------------------------------------------------------

% Worked example: (0.25, -0.25, 0.25); a purely imaginary field gives a purely imaginary result.
G = corner_tetrahedron(0.75);
expect_close(excite_cells(G, [0; 0; 1]), [0.25; -0.25; 0.25], 1e-15, 'corner tetrahedron');
v = excite_cells(G, complex([0; 0; 0], [0; 0; 2]));
assert(isequal(real(v), zeros(3, 1)));
expect_close(imag(v), [0.5; -0.5; 0.5], 1e-15, 'imaginary field');
% A real field matrix reads as one with zero imaginary part.
e = [0.3; -1.2; 2.5];
assert(isequal(excite_cells(G, e), excite_cells(G, complex(e, zeros(3, 1)))));

% A lossy tetrahedron: the complex contrast multiplies the complex field.
kappa = 0.75 - 0.25i;                        % eps_r = 2, tan(delta) = 1
G = corner_tetrahedron(kappa);
e = [1 + 2i; -0.5; 0.3 - 1i];
b = reshape(G.BasisTC, 3, 6)(:, 1:3);
want = kappa / 6 * (b.' * e);
expect_close(excite_cells(G, e), want, 1e-15, 'lossy tetrahedron');
assert(abs(imag(excite_cells(G, [0; 0; 1])(3)) - (-0.25 / 6 * 2)) < 1e-16, 'loss from a real field');

% Functions shared by two tetrahedra sum; BasisTC may be 3 x 6*Nt; a taller field's extra rows
% are ignored; functions that no tetrahedron names stay 0.
G2 = G;
G2.TetrahedraTotal = 2;  G2.EdgesTotal = 4;  G2.EdgesTNI = [3 1];
G2.EdgesTN = [1 2 3 0 0 0; 2 0 0 0 0 0]';
G2.BasisTC = reshape([G.BasisTC; 1; 1; 1; zeros(15, 1)], 3, 12);  G2.VolumeT = [1/6 2];
G2.Contrast_real = [0.75 0.5];  G2.Contrast_imag = [-0.25 0];
E = [1 + 2i, 1i; -0.5, 2; 0.3 - 1i, -1; NaN, NaN];
want = [kappa / 6 * (b.' * E(1:3, 1)); 0];
want(2) = want(2) + 0.5 * 2 * sum(E(1:3, 2));
expect_close(excite_cells(G2, E), want, 1e-15, 'two tetrahedra');

% No tetrahedra: a zero column of length EdgesTotal, whatever the field.
G0 = corner_tetrahedron(0.75);
G0.TetrahedraTotal = 0;
assert(isequal(excite_cells(G0, []), zeros(3, 1)));
% No dielectric part: an empty column.
assert(isequal(size(excite_cells([], [])), [0 1]));

% --- excite_plates ----------------------------------------------------------------------------

% Worked examples: rho+ = (1,0,0), rho- = (-1,0,0), l = 2, the field (1,0,0) on both sides: 2;
% a field orthogonal to both vectors: 0.
g = struct('EdgesTotal', 1, 'TriP', 1, 'TriM', 2, 'VerP', 1, 'VerM', 1, 'EdgeLength', 2);
g.PointsFCRho = [1 0 0; 0 0 0; 0 0 0; -1 0 0; 0 0 0; 0 0 0]';
assert(excite_plates(g, [1 1; 0 0; 0 0]) == 2);
assert(excite_plates(g, [0 0; 1 + 1i, 1 + 1i; -3i -3i]) == 0);
v = excite_plates(g, [2i -1i; 0 0; 0 0]);
assert(real(v) == 0 && imag(v) == 1);          % (2i/2 - (-1)(-1i)/2) * 2

% Functions read their own triangles and slots; extra field rows are ignored; a real field reads
% as zero imaginary part.
h = g;
h.EdgesTotal = 2;  h.TriP = [1 3];  h.TriM = [2 1];  h.VerP = [1 3];  h.VerM = [1 2];
h.EdgeLength = [2 0.5];  h.PointsFCRho = [g.PointsFCRho, [0 0 0; 0 1 0; 0 0 1]'];
Ec = [1 -1i 3; 2 0 1; 1i 5 -2; NaN NaN NaN];
assert(isequal(excite_plates(h, Ec), [(1 - 1i) / 2 * 2; (-2 / 2 - 0) * 0.5]));
assert(isequal(excite_plates(h, real(Ec)), excite_plates(h, complex(real(Ec), zeros(4, 3)))));

% No functions, or no metal part: an empty column.
g0 = g;
g0.EdgesTotal = 0;
assert(isequal(size(excite_plates(g0, zeros(3, 0))), [0 1]));
assert(isequal(size(excite_plates([], [])), [0 1]));

% --- malformed input ends the call with a message --------------------------------------------

G = corner_tetrahedron(0.75);
g = h;                                     % 2 functions on 3 triangles
use = 'this function requires 2 inputs: GEOM,EfieldD';
msg = expect_error(@() excite_cells(), 'excite_cells:usage', use);
assert(strcmp(msg, ['excite_cells: ' use]), msg);
expect_error(@() excite_cells(G), 'excite_cells:usage', use);
expect_error(@() excite_cells(G, [0; 0; 1], 1), 'excite_cells:usage', use);
use = 'this function requires 2 inputs: geom,EfieldM';
msg = expect_error(@() excite_plates(g), 'excite_plates:usage', use);
assert(strcmp(msg, ['excite_plates: ' use]), msg);
expect_error(@() excite_plates(g, Ec, 3), 'excite_plates:usage', use);

% Every field read is required.
for f = {'TetrahedraTotal', 'EdgesTotal', 'EdgesTNI', 'EdgesTN', 'BasisTC', 'VolumeT', ...
         'Contrast_real', 'Contrast_imag'}
  expect_error(@() excite_cells(rmfield(G, f{1}), [0; 0; 1]), 'excite_cells:missingField', ...
               ['has no field ''' f{1} '''']);
end
for f = {'EdgesTotal', 'TriP', 'TriM', 'VerP', 'VerM', 'EdgeLength', 'PointsFCRho'}
  expect_error(@() excite_plates(rmfield(g, f{1}), Ec), 'excite_plates:missingField', ...
               ['has no field ''' f{1} '''']);
end
expect_error(@() excite_cells(7, [0; 0; 1]), 'excite_cells:badRecord', 'GEOM');
expect_error(@() excite_plates({g}, Ec), 'excite_plates:badRecord', 'geom');

% Short field matrices and tables.
expect_error(@() excite_cells(G, [0; 1]), 'excite_cells:badSize', 'EfieldD');
G3 = G;  G3.TetrahedraTotal = 2;
expect_error(@() excite_cells(G3, [0 0; 0 0; 1 1]), 'excite_cells:badSize', 'EdgesTNI');
expect_error(@() excite_cells(G2, [0; 0; 1]), 'excite_cells:badSize', 'EfieldD');
G3 = G;  G3.BasisTC = G.BasisTC(1:17);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badSize', 'BasisTC');
expect_error(@() excite_plates(g, Ec(1:2, :)), 'excite_plates:badSize', 'EfieldM');
expect_error(@() excite_plates(g, Ec(:, 1:2)), 'excite_plates:badIndex', 'EfieldM');
h = g;  h.PointsFCRho = g.PointsFCRho(:, 1:8);
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'PointsFCRho');
h = g;  h.EdgeLength = 1;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badSize', 'EdgeLength');

% Numbers out of range.
G3 = G;  G3.EdgesTN(3) = 4;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'EdgesTN');
G3 = G;  G3.EdgesTNI = 7;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'EdgesTNI');
G3 = G;  G3.EdgesTNI = 4;                  % the fourth slot holds 0
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badIndex', 'slot 4 of tetrahedron 1');
G3 = G;  G3.TetrahedraTotal = -1;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badCount', 'TetrahedraTotal');
h = g;  h.TriP(2) = 0;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'basis function 2');
h = g;  h.VerM(2) = 4;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'VerM');
h = g;  h.TriM(1) = NaN;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badIndex', 'TriM');

% Wrong types.
expect_error(@() excite_cells(G, single([0; 0; 1])), 'excite_cells:badType', 'EfieldD');
% Complex tables are refused, not read by their real parts.
G3 = G;  G3.EdgesTN = complex(G.EdgesTN, 1);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badType', ...
             'field ''EdgesTN'' of ''GEOM'' must be real');
G3 = G;  G3.Contrast_real = complex(G.Contrast_real, 0);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badType', 'Contrast_real');
h = g;  h.TriP = complex(h.TriP, 1);
expect_error(@() excite_plates(h, Ec), 'excite_plates:badType', ...
             'field ''TriP'' of ''geom'' must be real');
h = g;  h.PointsFCRho = complex(h.PointsFCRho, 0);
expect_error(@() excite_plates(h, Ec), 'excite_plates:badType', 'PointsFCRho');

% Non-finite values that are read end the call with the table and the position; values that
% are not read (rows of the field beyond the third) may be anything.
G3 = G;  G3.VolumeT = NaN;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badValue', ...
             'field ''VolumeT'' of ''GEOM'': value NaN at position 1');
G3 = G;  G3.BasisTC(5) = Inf;
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badValue', ...
             'field ''BasisTC'' of ''GEOM'': value Inf at position 5');
expect_error(@() excite_cells(G, [0; complex(0, NaN); 1]), 'excite_cells:badValue', ...
             'argument ''EfieldD'' (imaginary part)');
assert(all(isfinite(excite_cells(G, [0; 0; 1; NaN]))));
h = g;  h.EdgeLength(2) = -Inf;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badValue', ...
             'field ''EdgeLength'' of ''geom'': value -Inf at position 2');
h = g;  h.PointsFCRho(:) = NaN;
expect_error(@() excite_plates(h, Ec), 'excite_plates:badValue', 'PointsFCRho');
Eb = Ec;  Eb(2, g.TriM(1)) = NaN;
expect_error(@() excite_plates(g, Eb), 'excite_plates:badValue', 'argument ''EfieldM''');

% A result larger than the memory the process may map ends as outOfMemory naming the field
% that sized it, also under an address-space limit (ulimit -v), where the host's own
% allocation would fail. (Not under the sanitizer, whose shadow memory needs the address space.)
expect_error(@() excite_cells(setfield(G0, 'EdgesTotal', 1e15), []), 'excite_cells:outOfMemory', ...
             '''EdgesTotal'' of ''GEOM''');
if isempty(getenv('LD_PRELOAD'))
  code = sprintf(['addpath(''%s''); G = struct(''TetrahedraTotal'', 0, ''EdgesTotal'', 1e9, ' ...
                  '''EdgesTNI'', [], ''EdgesTN'', [], ''BasisTC'', [], ''VolumeT'', [], ' ...
                  '''Contrast_real'', [], ''Contrast_imag'', []); try, excite_cells(G, []); ' ...
                  'catch e, printf(''%%s|%%s\\n'', e.identifier, e.message); end'], ...
                 fileparts(which('excite_cells')));
  [~, out] = system(sprintf(['ulimit -v 3000000; %s --norc --quiet --no-window-system ' ...
                             '--eval "%s" 2>/dev/null'], ...
                            fullfile(OCTAVE_HOME, 'bin', 'octave-cli'), code));
  assert(~isempty(strfind(out, 'excite_cells:outOfMemory|')), out);
  assert(~isempty(strfind(out, '''EdgesTotal'' of ''GEOM''')), out);
end
expect_error(@() excite_plates(g, 'abc'), 'excite_plates:badType', 'EfieldM');
G3 = G;  G3.EdgesTN = int32(G.EdgesTN);
expect_error(@() excite_cells(G3, [0; 0; 1]), 'excite_cells:badType', 'EdgesTN');
