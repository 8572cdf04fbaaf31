#!/usr/bin/env bash
# Runs every test of the built trees: native unit tests, then the Windows tests under
# Wine. One Xvfb display serves the whole run when none is set. Exits non-zero when any
# test fails or a tree cannot be tested.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${OVD_JOBS:-$(nproc)}
status=0
summary=()

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
  trap 'kill $xvfb_pid 2>/dev/null' EXIT
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
  if (cd "build/$tree" && ctest --output-on-failure "$@"); then
    summary+=("$title: passed")
  else
    status=1
    summary+=("$title: FAILED")
  fi
}

# The layer rules of src/ (docs/architecture.md).
if python3 scripts/check-layers.py; then
  summary+=("layers: passed")
else
  status=1
  summary+=("layers: FAILED")
fi

run_tree native -j "$jobs" -LE fuzz
run_tree fuzz -j "$jobs" -L fuzz
run_tree win64

# The 32-bit tree runs under Wine only where the kernel can execute 32-bit programs.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  run_tree win32
elif [ -d build/win32 ]; then
  # Checks that need no Wine (labelled host) still run.
  OVD_TREE_TITLE="win32 (checks without Wine)" run_tree win32 -L host
  summary+=("win32: Wine tests not run: this kernel cannot execute 32-bit programs")
fi

echo
echo "== Summary"
printf '  %s\n' "${summary[@]}"
exit $status
