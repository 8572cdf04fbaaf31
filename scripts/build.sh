#!/usr/bin/env bash
# Configures and builds the trees under build/: native (host g++, ASan/UBSan), win64
# (MinGW x86-64), win32 (MinGW i686) and fuzz (clang with the libFuzzer targets).
# Pass tree names to build only some: scripts/build.sh native win64
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${OVD_JOBS:-$(nproc)}
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win64 win32 fuzz)

# ccache, when installed, keeps rebuilds of other checkouts of the tree (git worktrees) cheap:
# paths are hashed relative to the checkout.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

for tree in "${trees[@]}"; do
  case "$tree" in
    native) args=(-DOVD_SANITIZE="${OVD_SANITIZE:-ON}") ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake") ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake") ;;
    fuzz) args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DOVD_FUZZ=ON) ;;
    *) echo "build.sh: unknown tree '$tree' (native, win64, win32, fuzz)" >&2; exit 2 ;;
  esac
  echo "== build/$tree"
  cmake -S . -B "build/$tree" -G Ninja "${args[@]}" "${launcher[@]}" >/dev/null
  cmake --build "build/$tree" -j "$jobs"
done
