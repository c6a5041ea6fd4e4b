#!/usr/bin/env bash
# Set-up, build, then the worked example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "addpath([pwd '/build/mex']); run('examples/dense_solve_demo.m');"
