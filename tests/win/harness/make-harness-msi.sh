#!/usr/bin/env bash
# Builds the harness package: wixl cannot express a component condition, so the
# Component table is refined with msibuild afterwards.
#   make-harness-msi.sh SOURCE_DIR OUTPUT.msi
set -euo pipefail
src=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src/harness.wxs" "$src/payload.txt" "$work/"
(cd "$work" && wixl -o harness.msi harness.wxs)
msiinfo export "$work/harness.msi" Component >"$work/Component.idt"
awk -F'\t' 'BEGIN { OFS = "\t" } NR > 3 && $1 == "Main" { $5 = "WANTPAYLOAD=\"1\"" } { print }' \
  "$work/Component.idt" >"$work/Component.new"
mv "$work/Component.new" "$work/Component.idt"
(cd "$work" && msibuild harness.msi -i Component.idt)
cp "$work/harness.msi" "$out"
