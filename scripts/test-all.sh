#!/usr/bin/env bash
# The one command for a fresh Debian 12 machine: install what is needed, build the trees,
# run every test. Each stage's seconds are printed at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stages=()
# stage NAME COMMAND...: runs a stage and keeps its seconds for the closing table.
stage() {
  local name=$1 start=$SECONDS rc=0
  shift
  "$@" || rc=$?
  stages+=("$(printf '%-12s %5d s' "$name" $((SECONDS - start)))")
  return $rc
}
report() {
  echo
  echo "== Stages"
  printf '  %s\n' "${stages[@]}"
}
trap report EXIT
stage setup-deps bash "$top/scripts/setup-deps.sh"
stage build bash "$top/scripts/build.sh"
stage test bash "$top/scripts/test.sh"
