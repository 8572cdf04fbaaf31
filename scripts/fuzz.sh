#!/usr/bin/env bash
# Fuzzes every libFuzzer target of the fuzz tree for SECONDS each (default 60), starting
# from its committed seeds (tests/fuzz/*/seeds) with its dictionary. New inputs that reach
# new code are kept, merged to a minimal set, in build/fuzz-corpus/<target>/ and grow
# from run to run; a crash is saved in build/fuzz-corpus/<target>-crashes/ (make it a
# seed: it then runs in CI as a regression test). Prints executions per target.
#
#   scripts/fuzz.sh [SECONDS]        OVD_JOBS targets at a time (default: the cores)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
jobs=${OVD_JOBS:-$(nproc)}
tree=$top/build/fuzz
store=$top/build/fuzz-corpus

if [ ! -f "$tree/build.ninja" ]; then
  cmake -S . -B "$tree" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DOVD_FUZZ=ON >/dev/null || exit 1
fi
# The targets only (the tree holds the unit tests too): their list comes from configuring.
cmake "$tree" >/dev/null || exit 1
mapfile -t targets < <(cd "$tree/fuzz-targets" && ls -- *.txt | sed 's/\.txt$//')
cmake --build "$tree" -j "$jobs" --target "${targets[@]}" >/dev/null || exit 1
mkdir -p "$store"

fuzz_one() {
  local name=$1 seeds args work corpus log
  seeds=$(sed -n 's/^SEEDS=//p' "$tree/fuzz-targets/$name.txt")
  args=$(sed -n 's/^ARGS=//p' "$tree/fuzz-targets/$name.txt")
  work=$(sed -n 's/^WORK=//p' "$tree/fuzz-targets/$name.txt")
  corpus=$store/$name
  log=$store/$name.log
  mkdir -p "$corpus" "$store/$name-crashes"
  if [ "$name" = archive_fuzz ]; then
    # Its seeds are archives 7zz makes (tests/fuzz/archive/run_fuzz.sh, one second).
    bash tests/fuzz/archive/run_fuzz.sh "$tree/bin/$name" "$work/work" 1 >/dev/null 2>&1
    seeds=$work/work/seeds
    args="-max_len=4096"
  fi
  # shellcheck disable=SC2086
  "$tree/bin/$name" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$store/$name-crashes/" $args \
    "$corpus" $seeds >"$log" 2>&1
  local code=$?
  # Only what adds coverage stays.
  rm -rf "$corpus.merged"
  mkdir -p "$corpus.merged"
  # shellcheck disable=SC2086
  "$tree/bin/$name" -merge=1 -rss_limit_mb=1024 -timeout=10 $args "$corpus.merged" "$corpus" \
    >/dev/null 2>&1 && rm -rf "$corpus" && mv "$corpus.merged" "$corpus"
  local runs speed crashes
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  crashes=$(find "$store/$name-crashes" -type f | wc -l)
  printf '%-28s %12s runs %8s/s %6s inputs %3s crashes%s\n' "$name" "${runs:-?}" \
    "${speed:-?}" "$(find "$corpus" -type f | wc -l)" "$crashes" \
    "$([ $code -ne 0 ] && echo "  (exit $code: $log)")"
  return $code
}

echo "== ${#targets[@]} targets, $seconds s each, $jobs at a time; corpus in $store"
status=0
running=0
for name in "${targets[@]}"; do
  fuzz_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
