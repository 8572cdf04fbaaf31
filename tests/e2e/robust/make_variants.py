#!/usr/bin/env python3
"""Damaged copies of a setup package, for the robustness run.

    make_variants.py PACKAGE_DIR OUT_DIR COUNT [SEED]

Each variant OUT_DIR/vNNNN/ is the package with exactly one part damaged: the compiled
script behind setup.exe, setup.res as a whole, the language file behind ovd.lib, one
dialog form or one translation file inside setup.res (unpacked and packed again with
7zz), or setup.msi. A damage is a few flipped bytes, a truncation or an insertion of
random bytes. One more variant, whatever the count, has a database whose directory chain
loops (the platform's reader loops with it). Unchanged files are hard links to the package's own (no copies of
megabytes for thousands of variants). OUT_DIR/variants.txt lists one variant a line:
name, part, damage. The same seed gives the same variants.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile


def pe_stub_size(data):
    """End of the last section of a PE image: where its overlay begins."""
    pe = int.from_bytes(data[0x3C:0x40], "little")
    sections = int.from_bytes(data[pe + 6:pe + 8], "little")
    optional = int.from_bytes(data[pe + 20:pe + 22], "little")
    table = pe + 24 + optional
    end = 0
    for i in range(sections):
        entry = table + 40 * i
        size = int.from_bytes(data[entry + 16:entry + 20], "little")
        pointer = int.from_bytes(data[entry + 20:entry + 24], "little")
        end = max(end, pointer + size)
    return end


def damage(rng, data):
    """One damage of `data` (bytes); returns (new bytes, description)."""
    data = bytearray(data)
    kind = rng.choice(["flip", "flip", "truncate", "insert"])
    if not data:
        kind = "insert"
    if kind == "flip":
        count = rng.randint(1, 8)
        at = []
        for _ in range(count):
            i = rng.randrange(len(data))
            data[i] ^= rng.randint(1, 255)
            at.append(i)
        return bytes(data), "flip %s" % ",".join(map(str, sorted(at)))
    if kind == "truncate":
        cut = rng.randrange(len(data))
        return bytes(data[:cut]), "truncate %d of %d" % (cut, len(data))
    at = rng.randrange(len(data) + 1)
    extra = bytes(rng.randrange(256) for _ in range(rng.randint(1, 64)))
    return bytes(data[:at]) + extra + bytes(data[at:]), "insert %d at %d" % (len(extra), at)


def link_package(package, target):
    os.makedirs(target)
    for name in os.listdir(package):
        source = os.path.join(package, name)
        if os.path.isdir(source):
            shutil.copytree(source, os.path.join(target, name))
        else:
            os.link(source, os.path.join(target, name))


def replace(target, name, data):
    path = os.path.join(target, name)
    os.unlink(path)  # a hard link: never write through it into the package
    with open(path, "wb") as f:
        f.write(data)


def damage_overlay(rng, target, name):
    with open(os.path.join(target, name), "rb") as f:
        image = f.read()
    stub = pe_stub_size(image)
    overlay, what = damage(rng, image[stub:])
    replace(target, name, image[:stub] + overlay)
    return what


def damage_file(rng, target, name):
    with open(os.path.join(target, name), "rb") as f:
        data = f.read()
    data, what = damage(rng, data)
    replace(target, name, data)
    return what


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    package, out, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) == 5 else 30)
    exe = next(n for n in os.listdir(package) if n.lower().endswith(".exe"))
    base = exe[:-4]
    res, msi = base + ".res", base + ".msi"

    # The support archive's forms and translation files, from one unpacked copy.
    members = {"form": [], "translation": []}
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["7zz", "x", "-bd", "-bso0", "-bsp0", "-o" + work,
                        os.path.join(package, res)], check=True)
        for root, _, files in os.walk(work):
            for name in files:
                relative = os.path.relpath(os.path.join(root, name), work)
                if name.lower().endswith(".dfm"):
                    members["form"].append(relative)
                elif not name.lower().endswith((".txt", ".ovdf", ".bmp", ".dll")):
                    members["translation"].append(relative)

    parts = ["script", "res", "lang", "form", "msi"]
    if members["translation"]:
        parts.append("translation")

    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)
    listing = []
    for n in range(1, count + 1):
        part = parts[(n - 1) % len(parts)]
        name = "v%04d" % n
        target = os.path.join(out, name)
        link_package(package, target)
        if part == "script":
            what = damage_overlay(rng, target, exe)
        elif part == "lang":
            what = damage_overlay(rng, target, "ovd.lib")
        elif part == "res":
            what = damage_file(rng, target, res)
        elif part == "msi":
            what = damage_file(rng, target, msi)
        else:
            with tempfile.TemporaryDirectory() as work:
                subprocess.run(["7zz", "x", "-bd", "-bso0", "-bsp0", "-o" + work,
                                os.path.join(package, res)], check=True)
                what = damage_member_in(rng, target, res, work, members[part])
        listing.append("%s|%s|%s" % (name, part, what))
    # One damage the platform's database reader loops on for ever: the directory's sector
    # chain points back at itself. The engine must end such a run on its own.
    name = "v%04d" % (count + 1)
    target = os.path.join(out, name)
    link_package(package, target)
    with open(os.path.join(target, msi), "rb") as f:
        data = bytearray(f.read())
    shift = int.from_bytes(data[0x1E:0x20], "little")
    directory = int.from_bytes(data[0x30:0x34], "little")
    fat = int.from_bytes(data[0x4C:0x50], "little")
    entry = ((fat + 1) << shift) + 4 * directory
    data[entry:entry + 4] = directory.to_bytes(4, "little")
    replace(target, msi, bytes(data))
    listing.append("%s|msi|directory chain loops at sector %d" % (name, directory))
    with open(os.path.join(out, "variants.txt"), "w") as f:
        f.write("\n".join(listing) + "\n")
    print("%d variants in %s" % (count + 1, out))


def damage_member_in(rng, target, res_name, work, members):
    """Damages one member of an unpacked support archive in `work`, packs it as res."""
    member = rng.choice(members)
    path = os.path.join(work, member)
    with open(path, "rb") as f:
        data = f.read()
    data, what = damage(rng, data)
    with open(path, "wb") as f:
        f.write(data)
    archive = work + ".7z"
    subprocess.run(["7zz", "a", "-t7z", "-bd", "-bso0", "-bsp0", archive, "."],
                   cwd=work, check=True)
    with open(archive, "rb") as f:
        packed = f.read()
    os.unlink(archive)
    replace(target, res_name, packed)
    return "%s: %s" % (member, what)


if __name__ == "__main__":
    main()
