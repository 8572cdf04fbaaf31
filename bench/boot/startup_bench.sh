#!/usr/bin/env bash
# Start-up cost of the engine under Wine: time from process start to the "  <RunScript>"
# trace line for a setup whose .res holds 300 files (5 MB) and whose script has 2,000
# lines; beside it a trivial MinGW program under Wine (the platform floor) and 7zz
# extracting the same archive natively. Everything is written to tmpfs (/dev/shm).
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
printf 'int __stdcall WinMain(void* a, void* b, char* c, int d) { (void)a; (void)b; (void)c; (void)d; return 0; }\n' \
  >"$work/trivial.c"
x86_64-w64-mingw32-gcc -O2 -s -mwindows -o "$work/bin/trivial.exe" "$work/trivial.c"

winpath() { echo "Z:${1//\//\\}"; }
run=$top/cmake/wine-run.sh
prefix=$tree/wine/prefix

echo "== package: $(du -b "$work/package/setup.res" | cut -f1) bytes of setup.res," \
  "$(find "$work/source/support" -type f | wc -l) files" \
  "($(du -sb "$work/source/support" | cut -f1) bytes), $(grep -c '^line' "$work/source/setup.ovds") script lines"

echo "== engine under Wine: setup.exe /s /l=... ($runs runs)"
OVD_BENCH_TEMP=$(winpath "$work/temp") "$run" "$prefix" "$work/bin/startup_timer.exe" "$runs" \
  "$(winpath "$work/trace.log")" \
  "$(winpath "$work/package/setup.exe") /s /l=$(winpath "$work/trace.log")"

echo "== trivial MinGW program under Wine ($runs runs)"
"$run" "$prefix" "$work/bin/startup_timer.exe" "$runs" - "$(winpath "$work/bin/trivial.exe")"

echo "== 7zz x -mmt=1 of the same archive, native ($runs runs)"
times=()
for i in $(seq "$runs"); do
  rm -rf "$work/7zz-out"
  start=$(date +%s%N)
  7zz x -mmt=1 -bso0 -bsp0 -o"$work/7zz-out" "$work/package/setup.res"
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000 ))
  times+=("$ms")
  printf 'run %d: %d.%03d ms\n' "$i" $((ms / 1000)) $((ms % 1000))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
printf 'median: %d.%03d ms\n' $((median / 1000)) $((median % 1000))
rm -rf "$work"
