#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need on Debian 12.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine64 wine32:i386 winbind fonts-wine
  xvfb xauth x11-utils imagemagick
  msitools wixl 7zip lzma-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  nginx
)

sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi

missing=()
have_i386=$(dpkg --print-foreign-architectures | grep -c '^i386$' || true)
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ] && [ "$have_i386" = 1 ]; then
  echo "setup-deps: everything is installed"
  exit 0
fi

if [ "$have_i386" != 1 ]; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup-deps: installed ${missing[*]}"
