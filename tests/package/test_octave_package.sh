#!/bin/sh
# The Octave package as a user gets it: builds hybrid-mom-<version>.tar.gz from the sources,
# installs it with `pkg install -local` into a temporary HOME (nothing outside it is touched),
# loads it in a clean octave-cli, checks that the modules come from the package (compiled by
# its src/Makefile) with the release number in their help, then runs `pkg test`: every
# self-test of every installed function must pass.
#   test_octave_package.sh CMAKE OCTAVE SOURCE_DIR
set -eu
cmake=$1
octave=$2
root=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
"$cmake" -DROOT="$root" -DOUT="$work" -P "$root/package/make_package.cmake"
version=$(head -n 1 "$root/VERSION" | tr -d '[:space:]')
tarball="$work/hybrid-mom-$version.tar.gz"
test -f "$tarball"
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
cd "$work"
exec "$octave" --no-gui --norc --quiet --no-window-system --eval "
  warning('off', 'Octave:gnuplot-graphics');
  pkg('install', '-local', '$tarball');
  pkg('load', 'hybrid-mom');
  info = pkg('list', 'hybrid-mom');
  where = info{1}.dir;
  assert(strncmp(where, '$work', numel('$work')), 'installed outside the temporary HOME: %s', where);
  assert(strcmp(info{1}.version, '$version'));
  assert(strcmp(mom_version(), '$version'));
  core = {'hybrid_matrix', 'basis', 'plate_pairs', 'seam_pairs', 'cell_pairs', ...
          'cell_plate_pairs', 'excite_cells', 'excite_plates', 'dense_system'};
  built = dir(fullfile(where, '*', '*.mex'));
  modules = regexprep({built.name}, '\\.mex\$', '');
  assert(isempty(setdiff(core, modules)), 'not built: %s', strjoin(setdiff(core, modules), ', '));
  printf('modules built by pkg install: %s\n', strjoin(modules, ' '));
  for i = 1:numel(modules)
    assert(exist(modules{i}) == 3, '%s is not a MEX file of the package', modules{i});
    assert(strncmp(which(modules{i}), '$work', numel('$work')), '%s from %s', modules{i}, ...
           which(modules{i}));
    assert(~isempty(strfind(help(modules{i}), 'hybrid-mom $version')), 'help %s', modules{i});
  end
  out = evalc('pkg test hybrid-mom');
  disp(out);
  pass = str2double(regexp(out, 'PASS\s+(\d+)', 'tokens', 'once'));
  fail = str2double(regexp(out, 'FAIL\s+(\d+)', 'tokens', 'once'));
  untested = regexp(out, '(\d+) \(of (\d+)\) \S+ files have no tests', 'tokens');
  for u = untested
    printf('files without self-tests: %s of %s\n', u{1}{1}, u{1}{2});
  end
  printf('pkg test hybrid-mom: %d passed, %d failed\n', pass, fail);
  pkg('uninstall', '-local', 'hybrid-mom');
  exit(double(~(pass > 0 && fail == 0)));
"
