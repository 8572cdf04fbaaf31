#!/usr/bin/env bash
# The runner under Wine: a setup whose script executes about a million lines in a tight
# loop, against the same setup with an empty loop (start-up and Wine's own cost). Both run
# inside one Wine session (loop_timer.exe starts them), so the wineserver's start and
# settling are not counted. While they run, the engine's windows are sent WM_NULL every
# 2 ms: the answer times show whether the user interface keeps answering.
#   bench/runner/wine/run_bench.sh WIN64_BUILD_DIR [RUNS]
set -euo pipefail
tree=$(cd "$1" && pwd)
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
work=/dev/shm/ovd-runner-bench
rm -rf "$work" && mkdir -p "$work"
sed 's/249999/0/' "$here/loop.ovds" >"$work/empty.ovds"
for pkg in loop empty; do
  script=$here/loop.ovds
  [ "$pkg" = empty ] && script=$work/empty.ovds
  "$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
    --script "$script" "$top/tests/e2e/startup/basic" "$work/$pkg" >/dev/null
done
x86_64-w64-mingw32-g++-posix -O2 -static -s -o "$work/loop_timer.exe" "$here/loop_timer.cpp"

winpath() { echo "Z:${1//\//\\}"; }
timed() { # PKG -> the loop_timer report; the median's milliseconds on the last line
  "$top/cmake/wine-run.sh" "$tree/wine/prefix" "$work/loop_timer.exe" "$runs" \
    "$(winpath "$work/$1/setup.exe") /s" | tee "$work/$1.report" >&2
  sed -n 's/^median to exit: \([0-9]*\)\..*/\1/p' "$work/$1.report"
}
echo "== the million-line loop ($runs runs)" >&2
loop=$(timed loop)
echo "== the same setup with an empty loop ($runs runs)" >&2
empty=$(timed empty)
lines=1000002
rate=$(( lines * 1000 / (loop - empty > 0 ? loop - empty : 1) ))
echo "setup with the loop: ${loop} ms, with an empty loop: ${empty} ms (medians of $runs, one Wine session)"
echo "runner: about ${rate} lines/s under Wine (goal: at least 1,000,000 lines/s)"
echo "window answers during the loop: $(sed -n 's/^window answers: //p' "$work/loop.report") (goal: within 10 ms)"
