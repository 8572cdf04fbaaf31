#!/usr/bin/env bash
# The engine binds ovd.lib by plain names: the export table must list exactly the four
# functions, undecorated (no leading '_' and no '@n' of stdcall), and the image must end at its
# last section (stripped: appended bytes are the language-file overlay).
#   check_exports.sh OBJDUMP ovd.lib
set -euo pipefail
objdump=$1 dll=$2
names=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR>1 && NF {print $NF}' | sort | tr '\n' ' ')
expected="CloseListArchive ExtractArchive GetLastArchiveError OpenListArchive "
if [ "$names" != "$expected" ]; then
  echo "exports are '$names', expected '$expected'" >&2
  exit 1
fi
if "$objdump" -h "$dll" | grep -q '\.debug\|\.symtab'; then
  echo "ovd.lib is not stripped" >&2
  exit 1
fi
echo "exports: $names"
