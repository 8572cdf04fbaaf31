#!/usr/bin/env bash
# Configures and builds the trees under build/: native (host g++ at -O3, ASan/UBSan), win64
# (MinGW x86-64, no debug information), win32 (MinGW i686; only what ships where no 32-bit
# program can run) and fuzz (clang, its libFuzzer targets only), every one
# with warnings as errors (OVD_WERROR; a build with the project's defaults keeps them
# warnings). The native tree is optimised as a user's Release build is, so that a warning
# only the optimiser sees stops the build the day it appears.
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
  # The tests' precompiled headers (a GCC one is 100-220 MB): the sloppiness lets ccache
  # cache their users at all; the inode cache keeps it from hashing the header again for
  # every file, and the depend mode from preprocessing every file it has not seen (the
  # compiler's dependency list is what it hashes). Without these a cold build spent more
  # on ccache than the headers saved.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
  export CCACHE_INODECACHE="${CCACHE_INODECACHE:-true}" CCACHE_DEPEND="${CCACHE_DEPEND:-true}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The Linux tools both Windows trees run (ovdpack) are built once, in build/host-tools,
# lightly optimised: their work is parsing a package's sources and running 7zz and wixl.
host_tools=()
for tree in "${trees[@]}"; do
  case "$tree" in
    win64 | win32)
      if [ ${#host_tools[@]} -eq 0 ]; then
        echo "== build/host-tools"
        cmake -S . -B build/host-tools -G Ninja -DOVD_HOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release \
          "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG" \
          -DOVD_WERROR=ON -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++ "${launcher[@]}" >/dev/null
        host_tools=(-DOVD_HOST_TOOLS_DIR="$top/build/host-tools")
      fi
      ;;
  esac
done

for tree in "${trees[@]}"; do
  start=$SECONDS
  case "$tree" in
    native) args=(-DOVD_SANITIZE="${OVD_SANITIZE:-ON}" -DCMAKE_BUILD_TYPE=Release
                  "-DCMAKE_CXX_FLAGS_RELEASE=-O3 -g -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O3 -g -DNDEBUG") ;;
    # The Windows trees without debug information: it doubled their link times, and Wine's
    # debugger is not how their tests are read (configure one with RelWithDebInfo to debug).
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" "${host_tools[@]}"
                 -DCMAKE_BUILD_TYPE=Release) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" "${host_tools[@]}"
                 -DCMAKE_BUILD_TYPE=Release) ;;
    fuzz) args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DOVD_FUZZ=ON) ;;
    *) echo "build.sh: unknown tree '$tree' (native, win64, win32, fuzz)" >&2; exit 2 ;;
  esac
  echo "== build/$tree"
  targets=()
  if [ "$tree" = fuzz ]; then
    # The fuzz targets only: the native tree builds and runs the unit tests, and each
    # configure lists the targets anew.
    rm -rf build/fuzz/fuzz-targets
  fi
  cmake -S . -B "build/$tree" -G Ninja -DOVD_WERROR=ON "${args[@]}" "${launcher[@]}" >/dev/null
  if [ "$tree" = fuzz ]; then
    mapfile -t targets < <(cd build/fuzz/fuzz-targets && ls -- *.txt | sed 's/\.txt$//')
    targets=(--target "${targets[@]}")
  fi
  if [ "$tree" = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    # Where no 32-bit program can run, the i686 tree's Wine tests cannot either: only what
    # ships is built, and its checks without Wine (label host) run (scripts/test.sh).
    targets=(--target ordovan ovd_archive_dll ovdarc mgac)
  fi
  cmake --build "build/$tree" -j "$jobs" "${targets[@]}"
  echo "build/$tree: $((SECONDS - start)) s"
done
