#!/usr/bin/env bash
# Decode speed of ovd.lib's reader against 7-Zip, single thread, on the shared payload.
#   bench/archive/run_bench.sh NATIVE_BUILD_DIR [WIN64_BUILD_DIR]
# Works in /dev/shm/ovd-archive-bench. Prints best-of-3 wall times for:
#   7zz t -mmt=1 / archive_bench (decode + CRC, no writes), per archive (LZMA2 solid, LZMA)
#   7zz x -mmt=1 / native ovdarc x (extraction to tmpfs)
#   ovdarc.exe x through ovd.lib under Wine (when a win64 tree is given)
set -euo pipefail
native=$(cd "$1" && pwd)
win64=${2:+$(cd "$2" && pwd)}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=/dev/shm/ovd-archive-bench
mkdir -p "$work"
if [ ! -d "$work/payload" ]; then
  python3 "$root/../shared/bench/gen_payload.py" "$work/payload" >/dev/null
fi
if [ ! -f "$work/lzma2.7z" ]; then
  (cd "$work/payload" && 7zz a -bd -bso0 -bsp0 "$work/lzma2.7z" -m0=LZMA2 -ms=on -- * >/dev/null)
  (cd "$work/payload" && 7zz a -bd -bso0 -bsp0 "$work/lzma.7z" -m0=LZMA -ms=on -- * >/dev/null)
fi
best() { # best of three runs of a command: CPU seconds (user + system), then wall seconds
  local cpu="" wall=""
  for _ in 1 2 3; do
    local t
    t=$(python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime, r.ru_stime, wall)
PY
)
    cpu=$(python3 -c "u,s,e='$t'.split(); c=float(u)+float(s); print(min(c, float('$cpu')) if '$cpu' else c)")
    wall=$(python3 -c "u,s,e='$t'.split(); print(min(float(e), float('$wall')) if '$wall' else float(e))")
  done
  printf '%.2f %.2f' "$cpu" "$wall"
}
ratio() { python3 -c "print(f'{$1/$2*100:.0f}%')"; }
size=$(du -sb "$work/payload" | cut -f1)
echo "payload: $size bytes in $(find "$work/payload" -type f | wc -l) files"
echo "(CPU seconds user+system, then wall seconds; best of three; the ratio compares CPU time,"
echo " since wall time on a shared machine mostly measures the neighbours)"
for a in lzma2 lzma; do
  read -r refc refw <<<"$(best 7zz t -mmt=1 "$work/$a.7z")"
  read -r ourc ourw <<<"$(best "$native/bin/archive_bench" "$work/$a.7z" 1)"
  echo "$a test:    7zz t -mmt=1 ${refc} / ${refw}   archive_bench ${ourc} / ${ourw}   ours at $(ratio "$refc" "$ourc") of 7-Zip's speed"
  read -r refc refw <<<"$(best bash -c "rm -rf '$work/x7' && exec 7zz x -mmt=1 -bso0 -o'$work/x7' '$work/$a.7z'")"
  read -r ourc ourw <<<"$(best bash -c "rm -rf '$work/xo' && exec '$native/bin/ovdarc' x '$work/$a.7z' '$work/xo'")"
  echo "$a extract: 7zz x -mmt=1 ${refc} / ${refw}   ovdarc x ${ourc} / ${ourw}   ours at $(ratio "$refc" "$ourc")"
  if [ -n "$win64" ]; then
    read -r winc winw <<<"$(best bash -c "rm -rf '$work/xw' && '$root/cmake/wine-run.sh' '$win64/wine/prefix' '$win64/bin/ovdarc.exe' x '$work/$a.7z' '$work/xw'")"
    echo "$a extract under Wine: ovdarc.exe x through ovd.lib, wall ${winw} s (Wine start-up included)"
  fi
done
