#!/usr/bin/env bash
# The one command for a fresh Debian 12 machine: install what is needed, build the trees,
# run every test. Each stage's seconds are printed at the end.
#
# The Windows tests under Wine spend most of their time waiting (on the installer, the
# window server, the loopback web server), so they do not wait for the other trees: once
# the native and win64 trees are built, the win64 tests start, and the win32 and fuzz
# trees build and the native and fuzz tests run beside them at a lower priority (nice), on
# the processor time the Wine tests leave. The win64 tests' output is kept in
# build/test-win64.log and printed when they are done.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
stages=()
status=0
# row NAME SECONDS RC: a line of the closing table; a failed stage fails the run.
row() {
  stages+=("$(printf '%-34s %5d s%s' "$1" "$2" "$([ "$3" -eq 0 ] || echo "  FAILED ($3)")")")
  [ "$3" -eq 0 ] || status=1
}
# stage NAME COMMAND...: runs a stage and keeps its seconds for the closing table.
stage() {
  local name=$1 start=$SECONDS rc=0
  shift
  "$@" || rc=$?
  row "$name" $((SECONDS - start)) $rc
  return $rc
}
report() {
  echo
  echo "== Stages"
  printf '  %s\n' "${stages[@]}"
}
trap report EXIT

stage setup-deps bash scripts/setup-deps.sh || exit 1
stage "build native, win64" bash scripts/build.sh native win64 || exit 1

log=build/test-win64.log
echo "== win64 tests under Wine, beside the rest (output in $log when they are done)"
(
  start=$SECONDS rc=0
  bash scripts/test.sh win64 >"$log" 2>&1 || rc=$?
  echo "$((SECONDS - start)) $rc" >"$log.result"
) &
win64_tests=$!

stage "build win32, fuzz (beside)" nice -n 10 bash scripts/build.sh win32 fuzz
stage "test native, fuzz, win32 (beside)" nice -n 10 bash scripts/test.sh native fuzz win32

wait_start=$SECONDS
wait "$win64_tests"
echo
echo "== win64 tests under Wine (build/test-win64.log)"
cat "$log"
read -r seconds rc <"$log.result" || { seconds=0 rc=1; }
row "test win64" "$seconds" "$rc"
row "  of which after the rest" $((SECONDS - wait_start)) 0
exit $status
