#!/usr/bin/env python3
"""Checks the layer rules of src/ (docs/architecture.md): a folder includes only from
itself and from folders of lower layers. Prints each breach; exits 1 when there is one.
(That OS-free code includes no <windows.h> is enforced by the native tree, which compiles
every OS-free file with the host compiler.)"""
import pathlib
import re
import sys

LAYERS = {
    "core": 0, "win32": 1, "archive": 1, "archive/client": 2,
    "engine/store": 2, "engine/eval": 3, "engine/runner": 4,
    # ui, bottom to top: forms; the hidden main form; workers; progress display and message
    # boxes; tray; dialogs; language.
    "ui/forms": 5.0, "ui/mainform": 5.1, "ui/workers": 5.2, "ui/progress": 5.3,
    "ui/tray": 5.4, "ui/dialogs": 5.5, "ui/language": 5.6,
    "commands": 6, "msi": 6, "media": 6, "extras": 6,
    "boot": 7, "pack": 7,
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)

src = pathlib.Path(__file__).resolve().parent.parent / "src"


def module(path):
    parts = path.relative_to(src).parts
    two = parts[0] in ("engine", "ui") or tuple(parts[:2]) == ("archive", "client")
    return "/".join(parts[:2]) if two else parts[0]


files = [p for p in src.rglob("*") if p.suffix in (".h", ".cpp", ".c")]
headers = {}
for p in files:
    if p.suffix == ".h":
        headers.setdefault(p.name, []).append(p)

breaches = []
for p in files:
    mod = module(p)
    text = p.read_text(errors="replace")
    for kind, name in INCLUDE.findall(text):
        if kind == "<":
            continue
        local = p.parent / name
        if local.exists():
            target = local
        else:
            found = headers.get(pathlib.Path(name).name, [])
            if len(found) != 1:
                continue
            target = found[0]
        tmod = module(target)
        if tmod == mod:
            continue
        if LAYERS.get(tmod, 99) >= LAYERS.get(mod, 99):
            breaches.append(f"{p.relative_to(src)}: includes {name} from {tmod}, "
                            f"which is not below {mod}")

for b in breaches:
    print("check-layers:", b)
print(f"check-layers: {len(files)} files, {len(breaches)} breaches")
sys.exit(1 if breaches else 0)
