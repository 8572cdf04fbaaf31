#!/usr/bin/env bash
# Whole silent install of the shared benchmark payload (68 MB, 2,025 files) as one setup:
# the engine (setup.exe /s, "Install Files" + "Apply Changes") against bare
# "msiexec /i setup.msi /qn" of the same database with the same properties, interleaved,
# everything on tmpfs. Prints each run, the medians and their ratio, and the peak resident
# size of the Wine process that ran the engine (an upper bound of its working set: under
# Wine the installer runs inside the engine's process, and Wine's own libraries count too),
# beside that of the same engine running a script that installs nothing.
#
#   bench/msi/install-bench.sh BUILD_TREE [RUNS]     (BUILD_TREE: a built x86-64 tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(realpath "${1:?usage: install-bench.sh BUILD_TREE [RUNS]}")
runs=${2:-3}
work=/dev/shm/ovd-msi-bench
prefix=$tree/wine/prefix
run=$top/cmake/wine-run.sh
winpath() { echo "Z:${1//\//\\}"; }

rm -rf "$work"
mkdir -p "$work/src"
python3 "$top/../shared/bench/gen_payload.py" "$work/src/payload" >/dev/null
cat >"$work/src/setup.ovds" <<'SCRIPT'
name setup
title Ordovan Install Benchmark
version 1.0.0
product-code {5A1B2C3D-0000-4000-8000-00000000BE01}
revision-code {5A1B2C3D-0000-4000-8000-00000000BE02}
variable BUILDMODE | SFX
line Install Files | payload | "" | $APPDIR$
  .header 0000BE01
line Apply Changes | "" | RESULT | $INSTALL$ | $UNINSTALL$
SCRIPT
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/src" "$work/pkg" >/dev/null
mkdir -p "$work/idle"
cat >"$work/idle/setup.ovds" <<'SCRIPT'
name setup
title Ordovan Idle Engine
version 1.0.0
product-code {5A1B2C3D-0000-4000-8000-00000000BE03}
revision-code {5A1B2C3D-0000-4000-8000-00000000BE04}
variable BUILDMODE | SFX
line Set Variable | RESULT | NOTHING
SCRIPT
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/idle" "$work/idlepkg" >/dev/null
code='{5A1B2C3D-0000-4000-8000-00000000BE01}'
target=$work/target

now() { date +%s.%N; }
remove() {
  "$run" "$prefix" 'C:\windows\system32\msiexec.exe' /x "$code" /qn REMOVE=ALL >/dev/null 2>&1 || true
  rm -rf "$target"
}

engine_times=()
msiexec_times=()
remove
for i in $(seq 1 "$runs"); do
  t0=$(now)
  /usr/bin/time -f %M -o "$work/rss.txt" "$run" "$prefix" "$work/pkg/setup.exe" /s \
    "APPDIR=$(winpath "$target")" INSTALL=TRUE UNINSTALL=FALSE
  t1=$(now)
  files=$(find "$target" -type f | wc -l)
  engine_times+=("$(echo "$t1 - $t0" | bc)")
  echo "engine  run $i: ${engine_times[-1]} s, $files files, peak RSS of its Wine process $(cat "$work/rss.txt") KiB"
  remove

  t0=$(now)
  /usr/bin/time -f %M -o "$work/rss.txt" "$run" "$prefix" 'C:\windows\system32\msiexec.exe' /i \
    "$(winpath "$work/pkg/setup.msi")" /qn \
    A0000BE01=TRUE "P0000BE01_1=$(winpath "$target")"
  t1=$(now)
  files=$(find "$target" -type f | wc -l)
  msiexec_times+=("$(echo "$t1 - $t0" | bc)")
  echo "msiexec run $i: ${msiexec_times[-1]} s, $files files, peak RSS of its Wine processes $(cat "$work/rss.txt") KiB"
  remove
done

/usr/bin/time -f %M -o "$work/rss.txt" "$run" "$prefix" "$work/idlepkg/setup.exe" /s
echo "engine running a script that installs nothing: peak RSS of its Wine process $(cat "$work/rss.txt") KiB"

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
e=$(median "${engine_times[@]}")
m=$(median "${msiexec_times[@]}")
echo "median: engine $e s, msiexec $m s, ratio $(echo "scale=3; $e / $m" | bc)"
rm -rf "$work"
