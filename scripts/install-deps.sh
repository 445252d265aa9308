#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root).
# Only the 64-bit Wine loader: these machines cannot run 32-bit code, and the
# 32-bit Wine package would take over the wine command and break it.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config file
  libgtest-dev libcairo2-dev fonts-dejavu-core poppler-utils
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 icoutils
  wine wine64 xvfb xdotool imagemagick util-linux procps
)
[ "${QZ_WITH_BENCH:-0}" = 1 ] && packages+=(hyperfine)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
