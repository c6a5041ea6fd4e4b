% Touchstone files and network parameters. The reader follows the version 1.1 rules (option
% line in any order and case with its defaults, frequency units, '!' comments anywhere, data
% records spread over lines, the two-port order N11 N21 N12 N22, rows for more ports,
% normalised Z/Y, a two-port noise block); it is checked on hand-written files whose values
% are known, then on the writer's files against the values written.

tmp = tempname();
mkdir(tmp);
confirm_recursive_rmdir(false);
cleanup = onCleanup(@() rmdir(tmp, 's'));

% Hand-written two-port, MHz, dB/angle, comments, default R: S21 is the second pair.
file = fullfile(tmp, 'amp.s2p');
fid = fopen(file, 'w');
fprintf(fid, '! an amplifier\n!second comment line\n#  mhz s db r 75 \n');
fprintf(fid, '100  -20 10   6.0206 -90  -40 0  -3.0103 180 ! first point\n');
fprintf(fid, '200  -20 20\n  6.0206 -80  -40 0\n -3.0103 170\n');
fprintf(fid, '# GHz Z RI R 1\n');          % a second option line is ignored
fprintf(fid, '! noise parameters follow\n150 1.5 0.5 45 0.3\n');
fclose(fid);
net = touchstone_read(file);
assert(strcmp(net.parameter, 'S') && net.z0 == 75, 'two-port options');
expect_close(net.f, [100e6 200e6], 1e-15, 'two-port frequencies (MHz)');
s21 = 2 * exp(-1i * pi / 2);
expect_close(squeeze(net.data(2, 1, :)), [s21; 2 * exp(-1i * 80 * pi / 180)], 1e-5, 'S21');
expect_close(net.data(1, 2, 1), 0.01, 1e-9, 'S12 (third pair)');
expect_close(net.data(2, 2, 2), sqrt(0.5) * exp(1i * 170 * pi / 180), 1e-5, 'S22');
expect_close(net.data(1, 1, 1), 0.1 * exp(1i * pi / 18), 1e-9, 'S11');
assert(any(strcmp(net.comments, 'an amplifier')) && any(strcmp(net.comments, 'first point')), ...
       'comments kept');

% Defaults (GHz, S, MA, 50 ohm) and normalised Z parameters.
file = fullfile(tmp, 'x.s1p');
fid = fopen(file, 'w');
fprintf(fid, '#\n1.5 0.5 -90\n');
fclose(fid);
net = touchstone_read(file);
assert(net.f == 1.5e9 && net.z0 == 50, 'default unit and resistance');
expect_close(net.data, -0.5i, 1e-12, 'MA default');
file = fullfile(tmp, 'z.z1p');
fid = fopen(file, 'w');
fprintf(fid, '# kHz Z RI R 50\n10 1 0.5\n');
fclose(fid);
net = touchstone_read(file);
expect_close(net.data, 50 + 25i, 1e-12, 'Z de-normalised by R');
assert(net.f == 1e4, 'kHz');
% Three ports: rows, at most four pairs a line.
file = fullfile(tmp, 't.s3p');
fid = fopen(file, 'w');
fprintf(fid, '# Hz S RI\n1 11 0 12 0 13 0\n21 0 22 0 23 0\n31 0 32 0 33 0\n');
fclose(fid);
net = touchstone_read(file);
expect_close(net.data, [11 12 13; 21 22 23; 31 32 33], 1e-15, 'three-port rows');
expect_error(@() touchstone_read(fullfile(tmp, 'amp.txt')), 'touchstone_read:ports');
fid = fopen(fullfile(tmp, 'bad.s1p'), 'w');
fprintf(fid, '# Hz S RI\n1 0.5\n');
fclose(fid);
expect_error(@() touchstone_read(fullfile(tmp, 'bad.s1p')), 'touchstone_read:count');

% Writer against the reader: 1, 2 and 5 ports; the written text has the required option line.
rng_state = rand('state');
rand('state', 7);
f = [1e6, 2.5e6, 1e9];
for np = [1 2 5]
  S = complex(rand(np, np, 3) - 0.5, rand(np, np, 3) - 0.5);
  file = fullfile(tmp, sprintf('w.s%dp', np));
  touchstone_write(file, f, S, 50, {'written by the test', 'second line'});
  net = touchstone_read(file);
  expect_close(net.f, f, 1e-12, sprintf('%d-port frequencies', np));
  expect_close(net.data, S, 1e-11, sprintf('%d-port values', np));
  assert(strcmp(net.comments{1}, 'written by the test'), 'writer comments');
  text = fileread(file);
  assert(~isempty(regexp(text, '^# Hz S RI R 50$', 'lineanchors', 'once')), 'option line');
  lines = regexp(strtrim(text), '\n', 'split');
  data = lines(cellfun(@(s) s(1) ~= '!' && s(1) ~= '#', lines));
  if np <= 2
    assert(numel(data) == 3, 'one data line per frequency');
  else
    assert(numel(data) == 3 * np * 2, 'five ports: rows of four and one pairs');
  end
end
rand('state', rng_state);
S = zeros(2, 2, 1);
S(2, 1) = 1;
touchstone_write(fullfile(tmp, 'o.s2p'), 5, S);
v = sscanf(regexprep(fileread(fullfile(tmp, 'o.s2p')), '#[^\n]*', ''), '%f');
assert(isequal(v(:)', [5 0 0 1 0 0 0 0 0]), 'two-port writer order S11 S21 S12 S22');
expect_error(@() touchstone_write(fullfile(tmp, 'd.s1p'), [2 1], [0 0]), 'touchstone_write:f');

% Network parameters: one-port formula, per-port references, reciprocity and losslessness.
net = network_parameters(reshape([25, 50, 100 + 50i], 1, 1, 3), 50, 'Z');
expect_close(squeeze(net.S), [-1/3; 0; (50 + 50i) / (150 + 50i)], 1e-14, 'one-port S');
Z = [20 + 30i, 5 - 2i; 5 - 2i, 60 - 10i];
net = network_parameters(inv(Z), [50 75]);
expect_close(net.Z, Z, 1e-13, 'Z from Y');
S = net.S;
expect_close(S, S.', 1e-14, 'reciprocal S');
% S from the definitions: incident and reflected power waves a = (V + R I)/(2 sqrt R),
% b = (V - R I)/(2 sqrt R) for two independent current vectors.
R = diag([50 75]);
Icur = [1 0.3; -0.2i 1];
Vv = Z * Icur;
a = sqrt(R) \ (Vv + R * Icur) / 2;
b = sqrt(R) \ (Vv - R * Icur) / 2;
expect_close(S, b / a, 1e-13, 'S from power waves');
Zl = 1i * [10 4; 4 -30];   % lossless: unitary S
Sl = network_parameters(Zl, 50, 'Z').S;
expect_close(Sl' * Sl, eye(2), 1e-13, 'lossless network has unitary S');
