#!/usr/bin/env bash
# The robustness run at any size: COUNT damaged copies of the demo setup (fixed seed, or
# SEED), each run silently under Wine and checked as the CI test checks a few dozen (an
# exit code the engine documents within 20 s, nothing left in the temporary folder, the
# package untouched). One line per variant goes to build/robust/report.txt.
#
#   scripts/robust.sh [COUNT [SEED]]      (default 200, seed 30)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
count=${1:-200}
seed=${2:-30}
tree=${OVD_ROBUST_TREE:-$top/build/win64}
out=$top/build/robust
jobs=${OVD_JOBS:-2}

if [ ! -f "$tree/build.ninja" ]; then
  bash scripts/build.sh win64
fi
cmake --build "$tree" -j "$jobs" --target robust_e2e robust_demo_package >/dev/null

echo "== $count damaged packages (seed $seed) in $out/variants"
mkdir -p "$out"
python3 tests/e2e/robust/make_variants.py "$tree/tests/e2e/robust/pkg/demo" "$out/variants" \
  "$count" "$seed"

echo "== running them under Wine (report: $out/report.txt)"
start=$(date +%s)
set +e
OVD_TEST_OUT=$out OVD_BUILD_DIR=$tree OVD_SOURCE_DIR=$top OVD_ROBUST_DIR=$out/variants \
  OVD_ROBUST_REPORT=$out/report.txt \
  "$top/cmake/wine-run.sh" "$tree/wine/prefix" "$tree/bin/robust_e2e.exe" \
  --gtest_brief=1 | grep -v '^\[' 
code=${PIPESTATUS[0]}
set -e
echo "== $(wc -l <"$out/report.txt") variants in $(( $(date +%s) - start )) s;" \
  "$(grep -c 'FAULT' "$out/report.txt" || true) with faults"
exit "$code"
