#!/usr/bin/env bash
# Configures and builds the three trees under build/: native, win64 (MinGW x86-64) and
# win32 (MinGW i686). Pass tree names to build only some: scripts/build.sh native win64
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${OVD_JOBS:-$(nproc)}
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win64 win32)

for tree in "${trees[@]}"; do
  case "$tree" in
    native) args=(-DOVD_SANITIZE="${OVD_SANITIZE:-ON}") ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake") ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake") ;;
    *) echo "build.sh: unknown tree '$tree' (native, win64, win32)" >&2; exit 2 ;;
  esac
  echo "== build/$tree"
  cmake -S . -B "build/$tree" -G Ninja "${args[@]}" >/dev/null
  cmake --build "build/$tree" -j "$jobs"
done
