#!/usr/bin/env bash
# Benchmarks: every Octave benchmark script bench/*.m (module against the host's own operation,
# timed in one process) and every Google Benchmark program built under build/bench.
# Usage: scripts/bench.sh [pattern]   (runs the scripts whose name contains the pattern)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
pattern=${1:-}
for script in bench/*.m; do
  case "$script" in *"$pattern"*) ;; *) continue ;; esac
  echo "== $script"
  octave-cli --no-gui --norc --quiet --no-window-system \
    --eval "addpath([pwd '/build/mex']); addpath([pwd '/bench']); run('$script');"
done
find build/bench -maxdepth 2 -type f -executable -name '*_bench' 2>/dev/null | sort |
  while read -r prog; do
    case "$prog" in *"$pattern"*) ;; *) continue ;; esac
    echo "== $prog"
    "$prog"
  done
