#!/usr/bin/env python3
"""Writes the start-up benchmark's package source into a folder: 300 support files of
5 MB in all (texts, incompressible blobs, dialogs), a 2,000-line script, a database."""
import os
import random
import sys

out = sys.argv[1]
wxs = sys.argv[2]
rng = random.Random(20261208)
support = os.path.join(out, "support")
os.makedirs(support, exist_ok=True)

DIALOGS = 10
TOTAL = 5 * 1024 * 1024
files = 300 - 2 * DIALOGS
per_file = (TOTAL - DIALOGS * 2 * 1024) // files
words = ["setup", "engine", "dialog", "variable", "install", "folder", "product", "value"]
for i in range(files):
    folder = os.path.join(support, f"dir{i % 12:02d}")
    os.makedirs(folder, exist_ok=True)
    if i % 3 == 0:
        data = rng.randbytes(per_file)  # incompressible
        name = f"blob{i:03d}.bin"
    else:
        text = []
        size = 0
        while size < per_file:
            line = " ".join(rng.choice(words) for _ in range(10)) + "\r\n"
            text.append(line)
            size += len(line)
        data = "".join(text).encode()[:per_file]
        name = f"text{i:03d}.txt"
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)

script = [
    "name setup", "title Startup Benchmark", "version 1.0.0",
    "product-code {8E1D4C6F-2B3A-4D7E-9F0A-1B2C3D4E5F01}",
    "revision-code {8E1D4C6F-2B3A-4D7E-9F0A-1B2C3D4E5F02}",
    "variable BUILDMODE | SFX", ""]
for d in range(DIALOGS):
    form = f"object Page{d}: TPoolTemplate\r\n  Caption = 'Page {d}'\r\n" + \
        "  ClientHeight = 313\r\n  ClientWidth = 497\r\n" + " " * 1900 + "\r\nend\r\n"
    with open(os.path.join(support, f"Page{d}.dfm"), "w") as f:
        f.write(form)
    with open(os.path.join(support, f"Page{d}.dfm.ovdf"), "w") as f:
        f.write(" " * 1024)
lines = 0
for i in range(2000 - DIALOGS):
    script.append(f"line Set Variable | V{i}$ZOVR$ZOVR$FALSE | value {i} of the benchmark script")
    lines += 1
    if i % 199 == 0 and i // 199 < DIALOGS:
        script.append(f"line Display Dialog | Page{i // 199} | RESULT | FALSE")
        lines += 1
assert lines == 2000, lines
with open(os.path.join(out, "setup.ovds"), "w") as f:
    f.write("\n".join(script) + "\n")
with open(wxs) as src, open(os.path.join(out, "bench.wxs"), "w") as dst:
    dst.write(src.read())
