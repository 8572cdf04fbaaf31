#!/usr/bin/env bash
# Start-up cost of the engine under Wine: time from process start to the "  <RunScript>"
# trace line for a setup whose .res holds 300 files (5 MB) and whose script has 2,000
# lines and 10 dialogs, with the first line, the extraction and the dialogs on their own.
# Beside it, measured in the same run, the floors the goals are made of:
#   GUI floor    a trivial GUI program importing user32, comctl32 (6), shell32 and ole32,
#                to its one trace line (bench/boot/gui_floor.c)
#   7zz          7zz x -mmt=1 of the same archive, natively
#   file floor   300 empty files in 12 folders written by a trivial program under Wine
#                (bench/boot/file_floor.c)
# and at the end each goal beside its figure (medians; the spread is min-max of the runs).
# Everything is written to tmpfs (/dev/shm).
#
#   bench/boot/startup_bench.sh [WIN64_TREE] [RUNS]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(cd "${1:-$top/build/win64}" && pwd)
runs=${2:-7}
work=/dev/shm/ovd-boot-bench
here=$top/bench/boot

cmake --build "$tree" -j 2 --target ordovan ovd_archive_dll ovd_host_tools >/dev/null
rm -rf "$work"
mkdir -p "$work/temp" "$work/bin"

python3 "$here/make_bench_package.py" "$work/source" "$top/tests/e2e/startup/basic/startup.wxs"
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/source" "$work/package"
x86_64-w64-mingw32-g++-posix -O2 -static -s -o "$work/bin/startup_timer.exe" \
  "$here/startup_timer.cpp"
# The GUI floor carries the engine's manifest: common controls 6 are part of the floor.
cp "$top/src/boot/res/ordovan.manifest" "$work/floor.manifest"
printf '1 24 "%s"\n' "$work/floor.manifest" >"$work/floor.rc"
x86_64-w64-mingw32-windres "$work/floor.rc" -O coff -o "$work/floor.res.o"
x86_64-w64-mingw32-gcc -O2 -s -mwindows -o "$work/bin/gui_floor.exe" "$here/gui_floor.c" \
  "$work/floor.res.o" -lcomctl32 -lshell32 -lole32
x86_64-w64-mingw32-gcc -O2 -s -o "$work/bin/file_floor.exe" "$here/file_floor.c"

winpath() { echo "Z:${1//\//\\}"; }
run=$top/cmake/wine-run.sh
prefix=$tree/wine/prefix
dialogs=$(grep -c '^line Display Dialog' "$work/source/setup.ovds")

echo "== package: $(du -b "$work/package/setup.res" | cut -f1) bytes of setup.res," \
  "$(find "$work/source/support" -type f | wc -l) files" \
  "($(du -sb "$work/source/support" | cut -f1) bytes), $(grep -c '^line' "$work/source/setup.ovds")" \
  "script lines, $dialogs dialogs"

# The machine may be shared: the figures mean little when it is busy.
echo "== load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== engine under Wine: setup.exe /s /l=... ($runs runs)"
OVD_BENCH_TEMP=$(winpath "$work/temp") "$run" "$prefix" "$work/bin/startup_timer.exe" "$runs" \
  "$(winpath "$work/trace.log")" \
  "$(winpath "$work/package/setup.exe") /s /l=$(winpath "$work/trace.log")" | tee "$work/engine.txt"

echo "== GUI floor under Wine: user32, comctl32, shell32, ole32 to one trace line ($runs runs)"
"$run" "$prefix" "$work/bin/startup_timer.exe" "$runs" "$(winpath "$work/floor.log")" \
  "$(winpath "$work/bin/gui_floor.exe") $(winpath "$work/floor.log")" ready | tee "$work/gui.txt"

echo "== file floor under Wine: 300 empty files in 12 folders ($runs runs)"
"$run" "$prefix" "$work/bin/file_floor.exe" "$runs" "$(winpath "$work/files")" |
  tee "$work/files.txt"

echo "== 7zz x -mmt=1 of the same archive, native ($runs runs)"
times=()
for i in $(seq "$runs"); do
  rm -rf "$work/7zz-out"
  start=$(date +%s%N)
  7zz x -mmt=1 -bso0 -bsp0 -o"$work/7zz-out" "$work/package/setup.res"
  end=$(date +%s%N)
  us=$(((end - start) / 1000))
  times+=("$us")
  printf 'run %d: %d.%03d ms\n' "$i" $((us / 1000)) $((us % 1000))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
printf 'median 7zz: %s ms (min %s, max %s)\n' \
  "$(echo "$sorted" | sed -n "$((runs / 2 + 1))p" | awk '{printf "%.1f", $1 / 1000}')" \
  "$(echo "$sorted" | head -1 | awk '{printf "%.1f", $1 / 1000}')" \
  "$(echo "$sorted" | tail -1 | awk '{printf "%.1f", $1 / 1000}')" | tee "$work/7zz.txt"

# The median of a "median NAME: M ms" line.
median() { sed -n "s/^median $2: \([0-9.]*\) ms.*/\1/p" "$1" | tr -d '\r'; }
spread() { sed -n "s/^median $2: [0-9.]* ms (\(.*\)).*/\1/p" "$1" | tr -d '\r'; }
engine=$(median "$work/engine.txt" 'to the line')
first=$(median "$work/engine.txt" 'to <Ordovan>')
extract=$(median "$work/engine.txt" ExtractArchive)
dialog=$(median "$work/engine.txt" Dialogs)
gui=$(median "$work/gui.txt" 'to the line')
files=$(median "$work/files.txt" 'file floor')
sevenzip=$(median "$work/7zz.txt" 7zz)

echo
echo "== goals (medians of $runs runs; the engine's spread in brackets)"
goal() { # figure spread goal limit
  awk -v f="$1" -v s="$2" -v g="$3" -v l="$4" 'BEGIN {
    printf "%-44s %7.1f ms (%s)  limit %.1f ms: %s\n", g, f, s, l, (f != "" && f <= l ? "met" : "MISSED")
  }'
}
goal "$engine" "$(spread "$work/engine.txt" 'to the line')" "to <RunScript> <= 400 ms" 400
goal "$engine" "$(spread "$work/engine.txt" 'to the line')" \
  "to <RunScript> <= GUI floor + 2 x 7zz + 50" \
  "$(awk -v a="$gui" -v b="$sevenzip" 'BEGIN { print a + 2 * b + 50 }')"
goal "$first" "$(spread "$work/engine.txt" 'to <Ordovan>')" "<Ordovan> <= GUI floor + 20" \
  "$(awk -v a="$gui" 'BEGIN { print a + 20 }')"
goal "$extract" "$(spread "$work/engine.txt" ExtractArchive)" \
  "<ExtractArchive> <= 1.6 x 7zz + file floor" \
  "$(awk -v a="$sevenzip" -v b="$files" 'BEGIN { print 1.6 * a + b }')"
goal "$dialog" "$(spread "$work/engine.txt" Dialogs)" "<Dialogs> <= 10 ms x $dialogs dialogs" \
  "$((10 * dialogs))"
echo "floors: GUI $gui ms, 7zz x $sevenzip ms, file floor $files ms;" \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$work"
