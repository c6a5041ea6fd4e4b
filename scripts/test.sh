#!/usr/bin/env bash
# Set-up, build, then every test: GoogleTest suites of the numerical cores and the host tests
# that call the MEX files from octave-cli.
#   bash scripts/test.sh --sanitize   the same suite built with AddressSanitizer/UBSan (see
#                                     scripts/sanitize.sh); any sanitizer report fails it
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
  shift
  exec bash scripts/sanitize.sh "$@"
fi
bash scripts/setup.sh
cd build
ctest --output-on-failure -j2 "$@"
