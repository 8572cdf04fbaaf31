#!/usr/bin/env python3
"""Writes an engine language file for the start-up cases: a first block, then German,
English and French entries. Every text names its entry, so a test sees which one won."""
import sys

# Message carried by each of the 114 lines of a block; 0 for the ignored lines.
ORDER = (list(range(1, 23)) + list(range(66, 83)) + [23, 83, 84] + list(range(24, 30)) +
         list(range(85, 90)) + list(range(30, 65)) + [90, 91] + [0] * 20 + [65, 92, 93, 94])
assert len(ORDER) == 114


def block(entry):
    return [f"{entry} message {m}" if m else "" for m in ORDER]


lines = block("First")
for entry in ("German", "English", "French"):
    lines += [entry] + block(entry)
with open(sys.argv[1], "wb") as f:
    f.write("".join(line + "\r\n" for line in lines).encode("ascii"))
