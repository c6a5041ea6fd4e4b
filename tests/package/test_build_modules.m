% build_modules.m under Octave: builds every core module of modules.txt with Octave's mex
% into a temporary folder, with help files that carry the release number (as CMake's copies
% do); the modules' own self-tests pass with those binaries; and on a small coated sphere
% (metal and dielectric together, so eight modules in one solve) plus a dense solve, the
% results equal those of the CMake build. modules.txt and CMake build the same set of modules.
cmake_dir = fileparts(which('dense_system'));
bm_root = fileparts(which('build_modules'));
bm_release = strtrim(fileread(fullfile(bm_root, 'VERSION')));

% The list, as build_modules reads it: core modules must all be built by CMake too.
bm_lines = regexp(fileread(fullfile(bm_root, 'modules.txt')), '\r?\n', 'split');
bm_core = {};
bm_all = {};
for i = 1:numel(bm_lines)
  words = regexp(strtrim(regexprep(bm_lines{i}, '#.*$', '')), '\s+', 'split');
  if isempty(words{1}), continue; end
  bm_all{end+1} = words{1};
  if ~any(strcmp(words, 'optional')), bm_core{end+1} = words{1}; end
end
assert(numel(bm_core) >= 9, 'modules.txt lists %d core modules', numel(bm_core));
cmake_built = dir(fullfile(cmake_dir, '*.mex'));
cmake_built = regexprep({cmake_built.name}, '\.mex$', '');
assert(isempty(setdiff(bm_core, cmake_built)), 'not built by CMake: %s', ...
       strjoin(setdiff(bm_core, cmake_built), ', '));
assert(isempty(setdiff(cmake_built, bm_all)), 'built by CMake but missing in modules.txt: %s', ...
       strjoin(setdiff(cmake_built, bm_all), ', '));
% CMake's copies of the help files carry the release number too.
for i = 1:numel(cmake_built)
  assert(~isempty(strfind(help(cmake_built{i}), ['hybrid-mom ' bm_release])), ...
         'help %s shows release %s', cmake_built{i}, bm_release);
end

bm_dir = tempname();
unwind_protect
  printed = evalc('d = build_modules(bm_dir);');
  disp(printed);
  assert(strcmp(d, bm_dir) || strcmp(d, canonicalize_file_name(bm_dir)));
  assert(~isempty(strfind(printed, bm_dir)), 'the folder is printed');
  bm_built = dir(fullfile(bm_dir, '*.mex'));
  bm_built = regexprep({bm_built.name}, '\.mex$', '');
  assert(isempty(setdiff(bm_core, bm_built)), 'not built: %s', strjoin(setdiff(bm_core, bm_built), ', '));
  for i = 1:numel(bm_built)
    text = fileread(fullfile(bm_dir, [bm_built{i} '.m']));
    assert(~isempty(strfind(text, ['hybrid-mom ' bm_release])) && isempty(strfind(text, '@MOM_')), ...
           '%s.m carries the release number', bm_built{i});
  end

  % The same small problem with each build; the mesh is made once.
  cmake_run = dielectric_study('core', 0.6, 'radius', 1, 'ka', 1, 'unknowns', 200, ...
                               'ntheta', 37, 'time_fill', false);
  rand('seed', 3); randn('seed', 3);
  n = 60;  A = randn(n) + 1i * randn(n);  Z = A + A.' + n * eye(n);  v = randn(n, 1);
  Zc = zeros(2 * n * n, 1);  Zc(1:2:end) = real(Z(:));  Zc(2:2:end) = imag(Z(:));
  cmake_x = dense_system(Zc, 1, v);
  cmake_rc = dense_system(Zc, 0);

  addpath(bm_dir);
  clear mex;
  for i = 1:numel(bm_core)
    assert(strcmp(fileparts(which(bm_core{i})), bm_dir), '%s resolves to %s', bm_core{i}, ...
           which(bm_core{i}));
    [npass, ntests] = test(bm_core{i}, 'quiet', stdout);
    assert(ntests > 0 && npass == ntests, '%s: %d of %d self-tests pass', bm_core{i}, npass, ...
           ntests);
  end
  bm_run = dielectric_study('core', 0.6, 'radius', 1, 'ka', 1, 'ntheta', 37, ...
                            'time_fill', false, 'mesh', {cmake_run.P, cmake_run.T, cmake_run.layer});
  bm_x = dense_system(Zc, 1, v);
  bm_rc = dense_system(Zc, 0);
  rmpath(bm_dir);
  clear mex;

  assert(cmake_run.unknowns == bm_run.unknowns && cmake_run.surface_unknowns > 0);
  identical = isequal(cmake_run.GEOM, bm_run.GEOM) && isequal(cmake_run.geom, bm_run.geom) && ...
              isequal(cmake_run.x, bm_run.x) && isequal(cmake_x, bm_x) && cmake_rc == bm_rc;
  expect_close(bm_run.x, cmake_run.x, 1e-12, 'coated sphere solution');
  expect_close([bm_run.cuts.E, bm_run.cuts.H], [cmake_run.cuts.E, cmake_run.cuts.H], 1e-12, ...
               'RCS cuts');
  expect_close(bm_x, cmake_x, 1e-13, 'dense_system solution');
  expect_close(bm_rc, cmake_rc, 1e-13, 'dense_system condition estimate');
  verdict = {'equal within the tolerances', 'identical to the bit'};
  printf('coated sphere, %d unknowns, and a dense solve: the two builds'' results are %s\n', ...
         bm_run.unknowns, verdict{1 + identical});
unwind_protect_cleanup
  if exist(bm_dir, 'dir')
    confirm_recursive_rmdir(false);
    rmdir(bm_dir, 's');
  end
end_unwind_protect

