#!/usr/bin/env bash
# A short libFuzzer run of the 7z reader over seeds made by 7zz:
#   run_fuzz.sh FUZZER WORKDIR SECONDS
set -euo pipefail
fuzzer=$1 work=$2 seconds=$3
export LC_ALL=C.UTF-8
mkdir -p "$work/seeds" "$work/corpus" "$work/src/dir"
if [ ! -f "$work/seeds/.done" ]; then
  printf 'a small text, a small text, a small text\n' >"$work/src/a.txt"
  printf '\xe8\x01\x02\x03\x04\xe9\x00\x00\x00\x00\x0f\x85\x10\x00\x00\x00' >"$work/src/dir/code.exe"
  : >"$work/src/empty"
  i=0
  for m in "-m0=Copy" "-m0=LZMA" "-m0=LZMA2" "-m0=BCJ -m1=LZMA" \
           "-m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0s0:1 -mb0s1:2 -mb0s2:3" "-ms=off -mhc=off" \
           "-ppw -mhe=on" "-ppw -ms=off"; do
    i=$((i + 1))
    # shellcheck disable=SC2086
    (cd "$work/src" && 7zz a -bd -bso0 -bsp0 "$work/seeds/s$i.7z" $m -- * >/dev/null)
  done
  touch "$work/seeds/.done"
fi
# Rounds of 7zAES in the seeds are 2^19; the fuzzer refuses more than 2^8, so mutated copies
# with smaller exponents still reach the decryption path.
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -timeout=10 \
  -print_final_stats=1 "$work/corpus" "$work/seeds" 2>&1 | tail -12
