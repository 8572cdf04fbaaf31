#!/usr/bin/env bash
# Wizard paint on a loaded machine: builds the demo setup (examples/demo) with the tree's
# ovdpack, starts LOAD busy shell loops, walks the wizard RUNS times with wizard_walk and
# prints each walk's times after the click (licence, folder, features, options, progress),
# then each page's median and spread beside the goal. LOAD 0 is a quiet machine. Each walk
# is followed by one of page_floor (the licence page as a bare Win32 program): the floor
# that this platform sets under the licence page on the same machine at the same time.
#
#   bench/dialogs/loaded-walk.sh BUILD_TREE [LOAD] [RUNS]     (BUILD_TREE: a built x86-64 tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(realpath "${1:?usage: loaded-walk.sh BUILD_TREE [LOAD] [RUNS]}")
load=${2:-4}
runs=${3:-5}
work=$(mktemp -d /tmp/ovd-walk.XXXXXX)
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$top/examples/demo" "$work/package" >/dev/null

loops=()
stop() {
  for p in "${loops[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap 'stop; rm -rf "$work"' EXIT
for _ in $(seq 1 "$load"); do
  (while :; do :; done) &
  loops+=($!)
done

pages=(licence folder features options progress)
for run in $(seq 1 "$runs"); do
  times=$(OVD_TEST_OUT=$work "$top/cmake/wine-run.sh" "$tree/wine/prefix" "$tree/bin/wizard_walk.exe" \
    "Z:${work//\//\\}\\package\\setup.exe" 2>/dev/null |
    sed -n 's/.* painted \([0-9.]*\) ms after the click.*/\1/p' | tr '\n' ' ')
  floor=$(OVD_TEST_OUT=$work "$top/cmake/wine-run.sh" "$tree/wine/prefix" "$tree/bin/wizard_walk.exe" \
    "Z:${tree//\//\\}\\bin\\page_floor.exe" 2 2>/dev/null |
    sed -n 's/.* painted \([0-9.]*\) ms after the click.*/\1/p')
  echo "walk $run: $times (floor: licence $floor)"
  echo "$times" >>"$work/times"
  echo "$floor" >>"$work/floor"
done
stop
echo "== $load busy loops, $runs walks: median (spread) of each page"
for i in "${!pages[@]}"; do
  awk -v c=$((i + 1)) '{print $c}' "$work/times" | sort -n |
    awk -v page="${pages[$i]}" -v load="$load" '{a[NR] = $1} END {
      if (NR == 0) { print page ": no figure"; exit }
      m = a[int((NR + 1) / 2)]
      verdict = load == 0 ? "(a quiet machine: no verdict)" : (m < 50 ? "met" : "not met")
      printf "%-9s %6.1f ms (%.1f-%.1f)  goal: under 50 ms on a loaded machine: %s\n",
        page, m, a[1], a[NR], verdict }'
done
sort -n "$work/floor" | awk '{a[NR] = $1} END {
  if (NR) printf "floor     %6.1f ms (%.1f-%.1f)  the licence page of page_floor, a bare Win32 program\n",
    a[int((NR + 1) / 2)], a[1], a[NR] }'
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
