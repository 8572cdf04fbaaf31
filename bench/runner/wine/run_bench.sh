#!/usr/bin/env bash
# The runner under Wine: a setup whose script executes about a million lines in a tight
# loop, against the same setup with an empty loop (start-up and Wine's own cost).
#   bench/runner/wine/run_bench.sh WIN64_BUILD_DIR [RUNS]
set -euo pipefail
tree=$(cd "$1" && pwd)
runs=${2:-3}
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
best() {
  local pkg=$1 best=""
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    "$top/cmake/wine-run.sh" "$tree/wine/prefix" "$work/$pkg/setup.exe" /s >/dev/null 2>&1 || true
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
loop=$(best loop)
empty=$(best empty)
lines=1000002
echo "setup with the loop: ${loop} ms, with an empty loop: ${empty} ms (best of $runs, wall, incl. wineserver settling)"
echo "about $(( lines * 1000 / (loop - empty > 0 ? loop - empty : 1) )) lines/s under Wine"
