#!/usr/bin/env bash
# Start-up of a maintenance run against a first installation's, under Wine: time from
# process start to the script's first line ("    <zovr>" in the trace) for the setup run
# from its media before the product is installed, and for the cached engine (the uninstall
# entry's program) once it is installed with a 200-component selection file. Both runs
# stop at their first line (STOP=TRUE). The rounds (first runs, install, maintenance runs,
# removal) repeat, so that a machine busy with other work weighs on both sides alike; the
# medians are over all runs. The target: the maintenance start-up within 1.1 times the
# first installation's.
#
#   bench/boot/maintenance_bench.sh [WIN64_TREE] [RUNS] [ROUNDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(cd "${1:-$top/build/win64}" && pwd)
runs=${2:-9}
rounds=${3:-3}
work=/dev/shm/ovd-maintenance-bench
here=$top/bench/boot
components=200
revision="{5A1B2C3D-0000-4000-8000-00000000E002}"

cmake --build "$tree" -j 2 --target ordovan ovd_archive_dll ovd_host_tools >/dev/null
rm -rf "$work"
mkdir -p "$work/temp" "$work/bin" "$work/source/files"

# The package: 200 components, one file, the uninstall branch for the clean-up.
echo "maintenance bench" >"$work/source/files/a.txt"
{
  echo "name setup"
  echo "title Ordovan Maintenance Bench"
  echo "version 1.0.0"
  echo "product-code {5A1B2C3D-0000-4000-8000-00000000E001}"
  echo "revision-code $revision"
  echo "variable BUILDMODE | SFX"
  for i in $(seq -w 1 $components); do echo "component-size Component$i | 1000"; done
  echo "line If | STOP | 0 | TRUE | FALSE"
  echo "line Terminate Install"
  echo "line End"
  echo "line If | REMOVE | 0 | TRUE | FALSE"
  echo "line Apply Changes | \"\" | RESULT | FALSE | TRUE"
  echo "line Else"
  for i in $(seq -w 1 $components); do
    echo "line Define Component | Component$i | TRUE | Component $i"
  done
  echo "line Install Files | files | \"\" | \$TARGETDIR\$\\files"
  echo "  .header 0000E001"
  echo "line Apply Changes | \"\" | RESULT | TRUE | FALSE"
  echo "line End"
} >"$work/source/setup.ovds"
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/source" "$work/package" >/dev/null
x86_64-w64-mingw32-g++-posix -O2 -static -s -o "$work/bin/startup_timer.exe" \
  "$here/startup_timer.cpp"

winpath() { echo "Z:${1//\//\\}"; }
run=$top/cmake/wine-run.sh
prefix=$tree/wine/prefix
media="$(winpath "$work/package/setup.exe")"
trace="$(winpath "$work/trace.log")"
cached="C:\\ProgramData\\$revision\\setup.exe"
export OVD_BENCH_TEMP=$(winpath "$work/temp")
# The runs' times on the screen; everything, the trace phases of the last run included, in
# the file $3.
timer() {
  "$run" "$prefix" "$work/bin/startup_timer.exe" "$runs" "$trace" "$1 /s /l=$trace $2" \
    "    <zovr>" | tr -d '\r' | tee -a "$3" | grep -v "^  "
}

# A product left by an earlier, interrupted bench goes first.
"$run" "$prefix" "$cached" /s REMOVE=TRUE >/dev/null 2>&1 || true

: >"$work/first.txt"
: >"$work/maintenance.txt"
for round in $(seq "$rounds"); do
  echo "== round $round: first installation, the media, product not installed ($runs runs)"
  timer "$media" "STOP=TRUE ALLUSERS=TRUE" "$work/first.txt"
  echo "== round $round: installing once"
  "$run" "$prefix" "$media" /s ALLUSERS=TRUE
  if [ "$round" = 1 ]; then
    echo "cache: $("$run" "$prefix" cmd.exe /c "dir /b C:\\ProgramData\\$revision" 2>/dev/null |
      tr -d '\r' | tr '\n' ' ')"
    echo "components named in the selection file: $("$run" "$prefix" cmd.exe /c \
      "type C:\\ProgramData\\$revision\\setup.dat" 2>/dev/null | tr -d '\r' |
      grep '^Component' | sort -u | wc -l)"
  fi
  echo "== round $round: maintenance, the cached engine ($runs runs)"
  timer "\"$cached\"" "STOP=TRUE" "$work/maintenance.txt"
  echo "== round $round: removing the product"
  "$run" "$prefix" "$cached" /s REMOVE=TRUE
done

python3 - "$work/first.txt" "$work/maintenance.txt" <<'PY'
import re
import statistics
import sys
def times(path):
    text = open(path, encoding="utf-8", errors="replace").read()
    return [float(v) for v in re.findall(r"to the line ([0-9.]+) ms", text)]
first, maintenance = (statistics.median(times(p)) for p in sys.argv[1:3])
ratio = maintenance / first
print(f"== medians over all rounds: first installation {first:.1f} ms, maintenance "
      f"{maintenance:.1f} ms: ratio {ratio:.2f} (target at most 1.10): "
      f"{'met' if ratio <= 1.10 else 'NOT met'}")
PY
# The trace lines of a file's last run, by the time they first showed (ms from start).
phases() { awk '/trace lines of the last run/ { n = 0; next } /^  [0-9]/ { l[n++] = $0 }
  END { for (i = 0; i < n; i++) print l[i] }' "$1"; }
echo "== trace phases of the last first run | of the last maintenance run (ms from start)"
paste -d '|' <(phases "$work/first.txt") <(phases "$work/maintenance.txt")
rm -rf "$work"
