#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the static checks
# of the 32-bit exe and the end-to-end tests of the 64-bit exe under Wine
# (each starts its own Xvfb). Run as root on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
QZ_BUILD_DIR=$build "$root/scripts/build.sh"
status=0
for tree in host win32 win64; do
  echo "=== tests: $tree"
  ctest --test-dir "$build/$tree" --output-on-failure -j "$(nproc)" --timeout 300 || status=1
done
[ "$status" -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit "$status"
