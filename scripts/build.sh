#!/usr/bin/env bash
# Builds the three trees from one source tree:
#   build/host   Linux: data tools, generated data, unit tests
#   build/win32  QZ_LoadingModule.exe for 32-bit Windows (the release)
#   build/win64  the same sources for 64-bit Windows, run under Wine by the tests
# QZ_FIRMWARE_DIR=/path embeds real firmware images named as on the drive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

cmake -S "$root" -B "$build/host" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DQZ_FIRMWARE_DIR="${QZ_FIRMWARE_DIR:-}" >/dev/null
cmake --build "$build/host"
for arch in win32:i686 win64:x86_64; do
  dir=${arch%%:*}
  cmake -S "$root" -B "$build/$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${arch##*:}.cmake" -DQZ_HOST_BUILD_DIR="$build/host" >/dev/null
  cmake --build "$build/$dir"
done
echo "Release exe: $build/win32/QZ_LoadingModule.exe"
