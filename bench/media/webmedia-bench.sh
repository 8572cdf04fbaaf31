#!/usr/bin/env bash
# Fetch of one web media block of the shared benchmark payload (68 MB, 2,025 files) from
# nginx on loopback: the engine's download (HTTP client) and extraction (ovd.lib) under
# Wine against `curl` of the same URL plus `7zz x` of the file, everything on tmpfs (the
# Wine prefix too). The engine's fetch time is the run that fetches the block minus the
# same run once the block is marked as fetched (start-up, Wine and the rest of the run
# cancel out). Prints each run, the medians and their ratio beside the goal (1.3), and for
# the breakdown the engine's fetch of the same block lying beside the setup (extraction and
# placement only, no download).
#
#   bench/media/webmedia-bench.sh BUILD_TREE [RUNS]     (BUILD_TREE: a built x86-64 tree)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(realpath "${1:?usage: webmedia-bench.sh BUILD_TREE [RUNS]}")
runs=${2:-3}
work=/dev/shm/ovd-webmedia-bench
prefix=$work/prefix
run=$top/cmake/wine-run.sh
revision='{5A1B2C3D-0000-4000-8000-00000000BE12}'

rm -rf "$work"
mkdir -p "$work/src/blocks"
if [ -d "$tree/wine/prefix" ]; then
  cp -a "$tree/wine/prefix" "$prefix"
fi
# The shared payload generator lies beside the checkout (OVD_PAYLOAD_GEN names another).
python3 "${OVD_PAYLOAD_GEN:-$top/../shared/bench/gen_payload.py}" "$work/src/blocks/payload" >/dev/null
cat >"$work/src/setup.ovds" <<SCRIPT
name setup
title Ordovan Web Media Benchmark
version 1.0.0
product-code {5A1B2C3D-0000-4000-8000-00000000BE11}
revision-code $revision
build-mode 2
variable BUILDMODE | SFX
web-media-block PAYLOAD | blocks/payload
line Web Media Block | PAYLOAD | \$BASEURL\$PAYLOAD.7zip
line Install Files | blocks/payload | "" | \$APPDIR\$
  .header 0000BE11
  .web-media PAYLOAD\\
SCRIPT
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  "$work/src" "$work/pkg" >/dev/null
"$top/tests/e2e/webmedia/nginx.sh" start "$work/nginx" >/dev/null
trap '"$top/tests/e2e/webmedia/nginx.sh" stop "$work/nginx"; [ -n "${OVD_BENCH_KEEP:-}" ] || rm -rf "$work"' EXIT
cp "$work/pkg/web/PAYLOAD.7zip" "$work/nginx/www/"
url="http://127.0.0.1:$(cat "$work/nginx/port")/"
echo "block: $(stat -c %s "$work/pkg/web/PAYLOAD.7zip") bytes packed, $(du -sb "$work/src/blocks/payload" | cut -f1) bytes in $(find "$work/src/blocks/payload" -type f | wc -l) files"

now() { date +%s.%N; }
engine() {
  "$run" "$prefix" "$work/pkg/setup.exe" /s ALLUSERS=TRUE "BASEURL=$url" 'APPDIR=C:\bench' >/dev/null 2>&1
}
cache() { find "$prefix/drive_c" -maxdepth 3 -type d -name "$revision" 2>/dev/null; }

fetch_times=()
local_times=()
ref_times=()
for i in $(seq 1 "$runs"); do
  for c in $(cache); do rm -rf "$c"; done
  t0=$(now); engine; t1=$(now)
  c=$(cache)
  files=$(find "$c/PAYLOAD" -type f | wc -l)
  t2=$(now); engine; t3=$(now) # marked: nothing fetched
  fetch_times+=("$(echo "($t1 - $t0) - ($t3 - $t2)" | bc)")
  echo "engine run $i: $(echo "$t1 - $t0" | bc) s with the fetch, $(echo "$t3 - $t2" | bc) s without: fetch ${fetch_times[-1]} s, $files files"

  # The same block beside the setup: no request, extraction and placement only.
  for c in $(cache); do rm -rf "$c"; done
  cp "$work/pkg/web/PAYLOAD.7zip" "$work/pkg/"
  t0=$(now); engine; t1=$(now)
  rm -f "$work/pkg/PAYLOAD.7zip"
  local_times+=("$(echo "($t1 - $t0) - ($t3 - $t2)" | bc)")
  echo "engine run $i, block beside the setup: extraction ${local_times[-1]} s"

  rm -rf "$work/ref"; mkdir -p "$work/ref"
  t0=$(now)
  curl -s -o "$work/ref/PAYLOAD.7zip" "${url}PAYLOAD.7zip"
  7zz x -y -bd -bso0 -bsp0 -o"$work/ref/out" "$work/ref/PAYLOAD.7zip" >/dev/null
  t1=$(now)
  ref_times+=("$(echo "$t1 - $t0" | bc)")
  echo "curl + 7zz x run $i: ${ref_times[-1]} s, $(find "$work/ref/out" -type f | wc -l) files"
done
for c in $(cache); do rm -rf "$c"; done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
e=$(median "${fetch_times[@]}")
l=$(median "${local_times[@]}")
r=$(median "${ref_times[@]}")
echo "median: engine fetch $e s (of which extraction $l s), curl + 7zz x $r s"
echo "ratio $(echo "scale=3; $e / $r" | bc) (goal: at most 1.3)"
