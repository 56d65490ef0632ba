#!/usr/bin/env python3
"""Checks the includes between the folders of src/ against the layers drawn in
docs/architecture.md (the fenced block after the marker line: one folder a line, top layer
first, each with the folders drawn below it that it may include). Fails on an include the
drawing does not allow, a folder the drawing misses, and an allowed edge no include uses.

Usage: include_layers_test.py SOURCE_ROOT
"""

import pathlib
import re
import sys

MARKER = "<!-- include layers -->"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_layers(architecture):
    """The drawing as (folder, allowed folders) pairs, top layer first."""
    lines = architecture.read_text(encoding="utf-8").splitlines()
    start = lines.index(MARKER) + 1
    if not lines[start].startswith("```"):
        raise SystemExit(f"{architecture}: a fenced block must follow {MARKER}")
    layers = []
    for line in lines[start + 1:]:
        if line.startswith("```"):
            return layers
        folder, arrow, allowed = line.partition("->")
        if not arrow:
            raise SystemExit(f"{architecture}: not 'folder -> folders': {line!r}")
        layers.append((folder.strip(), allowed.split()))
    raise SystemExit(f"{architecture}: the layer block is not closed")


def check(root):
    src = root / "src"
    layers = read_layers(root / "docs" / "architecture.md")
    errors = []

    allowed = {}
    for index, (folder, below) in enumerate(layers):
        drawn_below = {name for name, _ in layers[index + 1:]}
        for target in below:
            if target not in drawn_below:
                errors.append(f"drawing: {folder} -> {target}, but {target} is not drawn below it")
        allowed[folder] = set(below)

    folders = sorted(p.name for p in src.iterdir() if p.is_dir())
    for folder in folders:
        if folder not in allowed:
            errors.append(f"drawing: src/{folder} has no line")
    for folder in allowed:
        if folder not in folders:
            errors.append(f"drawing: {folder} is not a folder of src/")

    used = set()
    for path in sorted(src.rglob("*")):
        if not path.is_file() or path.parent == src:
            continue
        folder = path.relative_to(src).parts[0]
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            where = f"{path.relative_to(root)}:{number}"
            if ".." in pathlib.PurePosixPath(name).parts:
                errors.append(f"{where}: includes {name} by a relative path")
                continue
            target = name.split("/", 1)[0] if "/" in name else None
            if target is None or target == folder or target not in folders:
                continue
            if target in allowed.get(folder, set()):
                used.add((folder, target))
            else:
                errors.append(f"{where}: {folder} may not include {name}")

    for folder, below in allowed.items():
        for target in sorted(below - {t for f, t in used if f == folder}):
            errors.append(f"drawing: {folder} -> {target}, but no include of {folder} uses it")

    for error in errors:
        print(error)
    return 1 if errors else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    sys.exit(check(pathlib.Path(sys.argv[1])))
