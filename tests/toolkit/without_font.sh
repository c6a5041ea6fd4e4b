#!/bin/sh
# Runs a host test with the font Octave's text renderer loads hidden (an empty folder mounted
# over /usr/share/fonts/opentype/freefont in a private mount namespace, so nothing outside
# this process sees it) and passes only if that test then fails for want of a plot: shows
# that the plot test catches a machine without fonts-freefont-otf. Needs the right to make
# a mount namespace (root, as CI runs); exits 77 (skipped) where that is not allowed.
#   without_font.sh COMMAND...
font_dir=/usr/share/fonts/opentype/freefont
if ! unshare --mount true 2>/dev/null || [ ! -d "$font_dir" ]; then
  echo "skipped: cannot hide $font_dir here (needs unshare --mount, as root)"
  exit 77
fi
empty=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$empty" "$log"' EXIT INT TERM
unshare --mount sh -c 'mount --bind "$0" "$1" && shift && exec "$@"' \
  "$empty" "$font_dir" "$@" >"$log" 2>&1
status=$?
grep -E "unable to load font|no plot written|FAILED" "$log" | sort | uniq -c
if [ "$status" -eq 0 ]; then
  echo "the test passed without the font"
  exit 1
fi
if ! grep -q "no plot written" "$log"; then
  echo "the test failed, but not for want of a plot:"
  tail -n 20 "$log"
  exit 1
fi
echo "without the font the test fails, as it should"
