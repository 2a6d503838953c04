#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need, when
# any is missing. Needs root; does nothing when everything is present.
set -euo pipefail
packages=(
  cmake make clang libclang-rt-14-dev g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libdeflate-dev
  libfreetype-dev libpng-dev fonts-dejavu-core
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb x11-apps imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
