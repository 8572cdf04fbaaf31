#!/usr/bin/env bash
# The one command for a fresh Debian 12 machine: install what is needed, build the three
# trees, run every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup-deps.sh"
bash "$top/scripts/build.sh"
bash "$top/scripts/test.sh"
