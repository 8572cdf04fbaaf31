#!/usr/bin/env bash
# The program's import table names only what the splash needs: the libraries it loads on
# first use (COM, automation, the shell, version resources, the internet functions) are
# delay imports. A call that brings one of them back into the import table would load it
# before the first trace line again.
#   check_imports.sh OBJDUMP ordovan.exe
set -euo pipefail
objdump=$1 exe=$2
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for late in ole32.dll oleaut32.dll shell32.dll version.dll wininet.dll; do
  case " $imports" in
    *" $late "*)
      echo "$late is imported at start: $imports" >&2
      exit 1
      ;;
  esac
done
for needed in user32.dll comctl32.dll kernel32.dll; do
  case " $imports" in
    *" $needed "*) ;;
    *)
      echo "$needed missing from the imports ($imports): is this the program?" >&2
      exit 1
      ;;
  esac
done
echo "imports: $imports"
