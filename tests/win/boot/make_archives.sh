#!/usr/bin/env bash
# Archives for the archive-binding tests: plain.7z (files in a subfolder), secret.7z
# (encrypted data, names listed) and hidden.7z (encrypted names), all with 7zz.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/src/sub"
printf 'first file\r\n' >"$out/src/a.txt"
printf 'second file\r\n' >"$out/src/sub/b.txt"
cd "$out/src"
7zz a -bd -bso0 ../plain.7z a.txt sub
7zz a -bd -bso0 -pOpenSesame ../secret.7z a.txt sub
7zz a -bd -bso0 -pOpenSesame -mhe=on ../hidden.7z a.txt sub
printf 'this is not an archive' >../garbage.7z
