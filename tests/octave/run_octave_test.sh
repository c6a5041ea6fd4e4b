#!/bin/sh
# Runs one host test in a fresh octave-cli.
#   run_octave_test.sh OCTAVE MEXDIR SCRIPT.m [DIRS]   source the script; any error fails
#                                                      (DIRS: extra path, colon-separated)
#   run_octave_test.sh OCTAVE MEXDIR --selftest NAME   run `test NAME`; all blocks must pass
octave=$1
mexdir=$2
helpers=$(cd "$(dirname "$0")" && pwd)
flags="--no-gui --norc --quiet --no-window-system"
if [ "$3" = "--selftest" ]; then
  exec "$octave" $flags --eval "addpath('$mexdir'); addpath('$helpers'); \
    [n, m] = test('$4', 'quiet', stdout); printf('%d passed, %d failed\n', n, m - n); \
    exit(double(n ~= m || m == 0));"
fi
script=$3
extra=${4:-}
exec "$octave" $flags --eval "addpath('$mexdir'); addpath('$helpers'); \
  if ~isempty('$extra'), addpath(strsplit('$extra', ':'){:}); end; \
  if exist('toolkit_setup', 'file'), toolkit_setup('$mexdir'); end; \
  try, source('$script'); catch err, fprintf(2, 'FAILED: %s\n', err.message); \
  for s = err.stack', fprintf(2, '  at %s line %d\n', s.name, s.line); end; exit(1); end; \
  disp('all checks passed'); exit(0);"
