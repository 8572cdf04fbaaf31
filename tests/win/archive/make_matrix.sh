#!/usr/bin/env bash
# Makes the conformance matrix for the Wine tests of ovd.lib with Linux 7zz:
#   make_matrix.sh OUTDIR
# OUTDIR/src/<set>/       the payloads
# OUTDIR/<case>.7z        one archive per case, OUTDIR/ref/<case>/ its extraction by 7zz x
# OUTDIR/manifest.txt     "case|password" lines
# OUTDIR/bad/             damaged, unsupported and unsafe archives for the error tests
# Rebuilt only when this script changes.
set -euo pipefail
out=$1
stamp="$out/.stamp"
sum=$(sha256sum "$0" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
  exit 0
fi
command -v 7zz >/dev/null || { echo "7zz is not installed: run scripts/setup-deps.sh" >&2; exit 1; }
export LC_ALL=C.UTF-8
rm -rf "$out"
mkdir -p "$out/src" "$out/ref" "$out/bad"
z() { 7zz "$1" -bd -bso0 -bsp0 "${@:2}" >/dev/null; }

# mixed: texts, random bytes, x86 code, empty file and folder, deep path, names in the code page
m="$out/src/mixed"
mkdir -p "$m/empty folder" "$m/docs"
python3 - "$m" <<'PY'
import os, random, sys
m = sys.argv[1]
rnd = random.Random(11)
open(os.path.join(m, "docs", "readme.txt"), "w").write("".join(f"line {i} of the readme\n" for i in range(30000)))
open(os.path.join(m, "noise.bin"), "wb").write(bytes(rnd.getrandbits(8) for _ in range(300000)))
code = bytearray()
for i in range(200000):
    r = rnd.getrandbits(16)
    code.append(0xE8 if r % 7 == 0 else 0xE9 if r % 11 == 0 else 0x0F if r % 13 == 0 else r & 0xFF)
open(os.path.join(m, "program.exe"), "wb").write(code)
open(os.path.join(m, "empty.txt"), "wb").close()
deep = os.path.join(m, *[f"level{i:02d}-folder" for i in range(20)])
os.makedirs(deep)
open(os.path.join(deep, "deep file.txt"), "w").write("at the bottom\n")
open(os.path.join(m, "caf\u00e9 na\u00efve \u00fcber \u00c5ngstr\u00f6m.txt"), "w").write("code page name\n")
PY
# many: 2,000 small files in 20 folders
python3 - "$out/src/many" <<'PY'
import os, sys
base = sys.argv[1]
for i in range(2000):
    d = os.path.join(base, f"dir{i % 20:02d}")
    os.makedirs(d, exist_ok=True)
    open(os.path.join(d, f"file{i:04d}.txt"), "w").write(f"small file {i}\n" * (i % 7 + 1))
PY
# big: one 50 MB file, half compressible
python3 - "$out/src/big" <<'PY'
import os, random, sys
os.makedirs(sys.argv[1])
rnd = random.Random(5)
with open(os.path.join(sys.argv[1], "big.bin"), "wb") as f:
    for i in range(50):
        f.write(rnd.randbytes(512 * 1024) + (b"%08d compressible block\n" % i) * 21846)
PY

: >"$out/manifest.txt"
add() { # case set password switches...
  local name=$1 set=$2 pw=$3
  shift 3
  local pwarg=()
  [ -z "$pw" ] || pwarg=("-p$pw")
  (cd "$out/src/$set" && z a "$out/$name.7z" "${pwarg[@]}" "$@" -- *)
  z x "-o$out/ref/$name" "${pwarg[@]}" "$out/$name.7z"
  echo "$name|$pw" >>"$out/manifest.txt"
}
add copy mixed "" -m0=Copy
add lzma mixed "" -m0=LZMA
add lzma2_solid mixed "" -m0=LZMA2 -ms=on
add lzma2_nonsolid mixed "" -m0=LZMA2 -ms=off
add bcj mixed "" -m0=BCJ -m1=LZMA
add bcj2 mixed "" -m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0s0:1 -mb0s1:2 -mb0s2:3
add aes mixed "Secret pass" -m0=LZMA2
add aes_mhe mixed "Secret pass" -m0=LZMA2 -mhe=on
add aes_mhe_nonsolid mixed "Secret pass" -m0=LZMA -ms=off -mhe=on
add many_solid many "" -m0=LZMA2 -ms=on
add many_nonsolid many "" -m0=LZMA2 -ms=off
add big big "" -m0=LZMA2 -mx=1

# Damaged and refused archives.
cp "$out/lzma2_solid.7z" "$out/bad/truncated.7z"
truncate -s $(( $(stat -c %s "$out/lzma2_solid.7z") / 2 )) "$out/bad/truncated.7z"
printf 'this is not an archive at all, just text\n' >"$out/bad/text.7z"
(cd "$out/src/mixed/docs" && z a "$out/bad/ppmd.7z" -m0=PPMd -- *)
# Unsafe names: stored names rewritten to step out of the target folder.
u="$out/src/unsafe"
mkdir -p "$u/QQ"
echo good >"$u/good.txt"
echo up >"$u/QQ/up.txt"
echo abs >"$u/Xabs.txt"
echo drive >"$u/CCdrive.txt"
# Names the system's ANSI functions read as other paths: fullwidth dots and a fullwidth
# backslash (best fit: "..\\fw.txt"), and a final dot.
echo fullwidth >"$u/．．＼fw.txt"
echo dot >"$u/dot."
(cd "$u" && z a "$out/bad/unsafe.7z" -m0=Copy -mhc=off -- *)
python3 - "$out/bad/unsafe.7z" <<'PY'
import struct, sys, zlib
p = sys.argv[1]
b = bytearray(open(p, "rb").read())
for old, new in (("QQ/up.txt", "../up.txt"), ("Xabs.txt", "\\abs.txt"), ("CCdrive.txt", "C:drive.txt")):
    o, n = old.encode("utf-16-le"), new.encode("utf-16-le")
    i = b.find(o)
    assert i >= 0, old
    b[i:i + len(o)] = n
off, size = struct.unpack_from("<QQ", b, 12)
struct.pack_into("<I", b, 28, zlib.crc32(b[32 + off:32 + off + size]))
struct.pack_into("<I", b, 8, zlib.crc32(b[12:32]))
open(p, "wb").write(b)
PY
# Damaged data: a stored archive whose second file has one byte flipped, so that its CRC
# fails after the first file was written whole.
c="$out/src/crc"
mkdir -p "$c"
printf 'first file, intact\n' >"$c/a-intact.txt"
python3 -c 'import sys; open(sys.argv[1], "w").write("damaged file content\n" * 400)' "$c/b-damaged.txt"
(cd "$c" && z a "$out/bad/crc.7z" -m0=Copy -mhc=off -- *)
python3 - "$out/bad/crc.7z" <<'PY'
import sys
p = sys.argv[1]
b = bytearray(open(p, "rb").read())
i = b.find(b"damaged file content")
assert i >= 0
b[i + 2000] ^= 0x20
open(p, "wb").write(b)
PY
echo "$sum" >"$stamp"
