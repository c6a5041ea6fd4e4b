#!/usr/bin/env bash
# Set-up, build, then the default study: plane-wave scattering by a perfectly conducting
# sphere (ka = 1, about 1000 unknowns) against the Mie series. Prints the problem size, stage
# times and errors, and writes build/pec_sphere_rcs.png (and .csv).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "run('examples/pec_sphere_study.m');"
