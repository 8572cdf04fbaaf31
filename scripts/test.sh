#!/usr/bin/env bash
# Runs every test of the built trees: native unit tests (and the layer rules of src/), the
# short fuzz runs, then the Windows tests under Wine. One Xvfb display serves the whole run
# when none is set, and one wineserver a tree's Windows tests. Exits non-zero when any test
# fails or a tree cannot be tested.
# Pass tree names to test only some: scripts/test.sh win64
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${OVD_JOBS:-$(nproc)}
status=0
summary=()
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native fuzz win64 win32)
for tree in "${trees[@]}"; do
  case "$tree" in
    native | fuzz | win64 | win32) ;;
    *) echo "test.sh: unknown tree '$tree' (native, fuzz, win64, win32)" >&2; exit 2 ;;
  esac
done
wanted() { [[ " ${trees[*]} " == *" $1 "* ]]; }

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || { echo "test.sh: Xvfb is not installed (scripts/setup-deps.sh)" >&2; exit 1; }
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo" || true
  rm -f "$fifo"
  [ -n "${display_number:-}" ] || { echo "test.sh: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$display_number
fi

# run_tree TREE [CTEST ARGS...]; OVD_TREE_TITLE names it in the summary.
run_tree() {
  local tree=$1
  local title=${OVD_TREE_TITLE:-$1}
  shift
  if [ ! -f "build/$tree/CTestTestfile.cmake" ]; then
    echo "test.sh: build/$tree is not built (scripts/build.sh $tree)" >&2
    status=1
    summary+=("$tree: NOT BUILT")
    return
  fi
  echo "== ctest build/$tree"
  local start=$SECONDS result=passed
  (cd "build/$tree" && ctest --output-on-failure "$@") || { status=1; result=FAILED; }
  stop_wineserver "$tree"
  summary+=("$title: $result ($((SECONDS - start)) s)")
}

# The Windows tests of a tree share one wineserver that stays up between them
# (cmake/wine-run.sh starts it); it is stopped when the tree's tests are done.
export OVD_WINE_SERVER=persistent
stop_wineserver() {
  local prefix=build/$1/wine/prefix
  [ -d "$prefix" ] && command -v wineserver >/dev/null || return 0
  WINEPREFIX=$(realpath "$prefix") wineserver -k 2>/dev/null
  WINEPREFIX=$(realpath "$prefix") wineserver -w
}

trap 'for t in win64 win32; do if wanted $t; then stop_wineserver $t; fi; done; [ -z "$xvfb_pid" ] || kill $xvfb_pid 2>/dev/null' EXIT

if wanted native; then
  # The layer rules of src/ (docs/architecture.md).
  if python3 scripts/check-layers.py; then
    summary+=("layers: passed")
  else
    status=1
    summary+=("layers: FAILED")
  fi
  run_tree native -j "$jobs" -LE fuzz
fi
if wanted fuzz; then run_tree fuzz -j "$jobs" -L fuzz; fi
if wanted win64; then run_tree win64; fi

if wanted win32; then
  # The 32-bit tree runs under Wine only where the kernel can execute 32-bit programs.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    run_tree win32
  elif [ -d build/win32 ]; then
    # Checks that need no Wine (labelled host) still run.
    OVD_TREE_TITLE="win32 (checks without Wine)" run_tree win32 -L host
    summary+=("win32: Wine tests not run: this kernel cannot execute 32-bit programs")
  fi
fi

echo
echo "== Summary"
printf '  %s\n' "${summary[@]}"
exit $status
