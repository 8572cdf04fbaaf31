#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need on Debian 12.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3 ccache
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine64 wine32:i386 winbind fonts-wine
  xvfb xauth x11-utils imagemagick
  msitools wixl 7zip lzma-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  nginx locales
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
# A mirror in the middle of a sync fails one index now and then: try again, and go on
# with what was fetched when it keeps failing (the install says what it cannot find).
for attempt in 1 2 3; do
  if $sudo apt-get update -q; then break; fi
  echo "setup-deps: apt-get update failed (attempt $attempt)" >&2
  sleep $((attempt * 5))
done
# The 32-bit Wine comes last and alone: when the mirror cannot give its i386 libraries,
# everything else is still installed and the 32-bit Wine tests are reported as not run.
native=()
foreign=()
for p in "${missing[@]}"; do
  case "$p" in *:i386) foreign+=("$p") ;; *) native+=("$p") ;; esac
done
if [ "${#native[@]}" -gt 0 ]; then
  $sudo apt-get install -y -q --no-install-recommends "${native[@]}"
  echo "setup-deps: installed ${native[*]}"
fi
if [ "${#foreign[@]}" -gt 0 ]; then
  if $sudo apt-get install -y -q --no-install-recommends "${foreign[@]}"; then
    echo "setup-deps: installed ${foreign[*]}"
  else
    echo "setup-deps: could not install ${foreign[*]}; 32-bit programs will not run under Wine" >&2
  fi
fi
