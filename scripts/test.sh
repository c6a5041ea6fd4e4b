#!/usr/bin/env bash
# Set-up, build, then every test: GoogleTest suites of the numerical cores and the host tests
# that call the MEX files from octave-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
ctest --output-on-failure -j2 "$@"
