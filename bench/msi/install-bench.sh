#!/usr/bin/env bash
# Whole silent install of the shared benchmark payload (68 MB, 2,025 files) as one setup:
# the engine (setup.exe /s, "Install Files" + "Apply Changes") against bare
# "msiexec /i setup.msi /qn" of the same database with the same properties, interleaved,
# everything on tmpfs (the Wine prefix too: the engine copies the database into its
# temporary folder, which lies in the prefix). Prints each run, the medians and their
# ratio, and the peak working set of the engine's process (VmHWM of the Linux process
# running setup.exe, sampled while it runs: under Wine the installer works inside the
# engine's process, and Wine's own libraries count too), beside that of the same engine
# running a script that installs nothing, and each figure's goal. OVD_BENCH_PROFILE=1
# also prints what the working set of each (at its highest) is made of.
#
#   bench/msi/install-bench.sh BUILD_TREE [RUNS]     (BUILD_TREE: a built x86-64 tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(realpath "${1:?usage: install-bench.sh BUILD_TREE [RUNS]}")
runs=${2:-3}
work=/dev/shm/ovd-msi-bench
prefix=$work/prefix
run=$top/cmake/wine-run.sh
winpath() { echo "Z:${1//\//\\}"; }

rm -rf "$work"
mkdir -p "$work/src"
# A copy of the tree's prefix (made by its first test run, else by the launcher here).
if [ -d "$tree/wine/prefix" ]; then
  cp -a "$tree/wine/prefix" "$prefix"
fi
python3 "${OVD_PAYLOAD_GEN:-$top/../shared/bench/gen_payload.py}" "$work/src/payload" >/dev/null
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
line If | NEVER | 0 | TRUE | FALSE
line Create Folder | $TEMPDIR$\never
  .header 0000BE05
line End
SCRIPT
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/idle" "$work/idlepkg" >/dev/null
code='{5A1B2C3D-0000-4000-8000-00000000BE01}'
target=$work/target

now() { date +%s.%N; }
# Runs a command, printing the highest VmHWM (KiB) of the processes named NAME (the
# Windows program's name, which Wine gives its process) while it runs: peak_of NAME
# COMMAND... The sampler forks nothing but its sleep and reads only /proc/PID/comm and
# /proc/PID/status: one that ran pgrep and awk ten times a second added about a second
# to each run it measured, on both sides, and most of their spread. VmHWM is the
# process's high-water mark, so a sample shortly before the exit holds the peak. With
# OVD_BENCH_PROFILE set, the process's memory map is kept each time its working set
# reaches a new high ($work/peak.smaps), for profile_of.
peak_of() {
  local name=$1 best=0 rss=0 v r p c comm key value
  shift
  rm -f "$work/peak.smaps"
  "$@" &
  local job=$!
  while kill -0 "$job" 2>/dev/null; do
    for c in /proc/[0-9]*/comm; do
      read -r comm 2>/dev/null <"$c" || continue
      [ "$comm" = "$name" ] || continue
      p=${c%/comm}
      v=0 r=0
      while read -r key value _; do
        case $key in
          VmHWM:) v=$value ;;
          VmRSS:) r=$value ;;
        esac
      done 2>/dev/null <"$p/status"
      [ "$v" -gt "$best" ] && best=$v
      if [ -n "${OVD_BENCH_PROFILE:-}" ] && [ "$r" -gt "$rss" ]; then
        rss=$r
        cat "$p/smaps" >"$work/peak.smaps.new" 2>/dev/null &&
          mv "$work/peak.smaps.new" "$work/peak.smaps"
      fi
    done
    sleep 0.1
  done
  wait "$job"
  echo "$best" >"$work/peak.txt"
}
# The resident KiB of the kept memory map by what is mapped (a file, the heaps, anonymous
# memory), largest first: profile_of LABEL
profile_of() {
  [ -f "$work/peak.smaps" ] || return 0
  cp "$work/peak.smaps" "$work/$1.smaps"
  awk '/^Rss:/ {t += $2} END {print t}' "$work/$1.smaps" >"$work/total.txt"
  echo "$1: resident $(cat "$work/total.txt") KiB at its highest, by mapping:"
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anonymous]" : $6; for (i = 7; i <= NF; i++) name = name " " $i; next }
    /^Rss:/ { rss[name] += $2 }
    END { for (n in rss) if (rss[n] >= 128) printf "  %7d KiB  %s\n", rss[n], n }' "$work/$1.smaps" |
    sort -rn
}
remove() {
  "$run" "$prefix" 'C:\windows\system32\msiexec.exe' /x "$code" /qn REMOVE=ALL >/dev/null 2>&1 || true
  rm -rf "$target"
}

engine_times=()
msiexec_times=()
engine_peaks=()
msiexec_peaks=()
remove
for i in $(seq 1 "$runs"); do
  t0=$(now)
  peak_of setup.exe "$run" "$prefix" "$work/pkg/setup.exe" /s \
    "APPDIR=$(winpath "$target")" INSTALL=TRUE UNINSTALL=FALSE
  t1=$(now)
  files=$(find "$target" -type f | wc -l)
  engine_times+=("$(echo "$t1 - $t0" | bc)")
  engine_peaks+=("$(cat "$work/peak.txt")")
  echo "engine  run $i: ${engine_times[-1]} s, $files files, peak working set ${engine_peaks[-1]} KiB"
  [ "$i" != 1 ] || profile_of engine
  remove

  t0=$(now)
  peak_of msiexec.exe "$run" "$prefix" 'C:\windows\system32\msiexec.exe' /i \
    "$(winpath "$work/pkg/setup.msi")" /qn \
    A0000BE01=TRUE "P0000BE01_1=$(winpath "$target")"
  t1=$(now)
  files=$(find "$target" -type f | wc -l)
  msiexec_times+=("$(echo "$t1 - $t0" | bc)")
  msiexec_peaks+=("$(cat "$work/peak.txt")")
  echo "msiexec run $i: ${msiexec_times[-1]} s, $files files, peak working set ${msiexec_peaks[-1]} KiB"
  [ "$i" != 1 ] || profile_of msiexec
  remove
done

peak_of setup.exe "$run" "$prefix" "$work/idlepkg/setup.exe" /s
echo "engine running a script that installs nothing: peak working set $(cat "$work/peak.txt") KiB"
profile_of idle

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
spread() { printf '%s\n' "$@" | sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {print lo "-" hi}'; }
e=$(median "${engine_times[@]}")
m=$(median "${msiexec_times[@]}")
echo "median: engine $e s ($(spread "${engine_times[@]}")), msiexec $m s ($(spread "${msiexec_times[@]}")), ratio $(echo "scale=3; $e / $m" | bc) (goal: at most 1.05)"
ep=$(median "${engine_peaks[@]}")
mp=$(median "${msiexec_peaks[@]}")
echo "peak working set, median: engine $ep KiB ($(spread "${engine_peaks[@]}")), msiexec $mp KiB ($(spread "${msiexec_peaks[@]}")), the engine's own share $((ep - mp)) KiB (goal: at most 3072 KiB)"
[ -n "${OVD_BENCH_KEEP:-}" ] || rm -rf "$work"
