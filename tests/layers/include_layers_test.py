#!/usr/bin/env python3
"""Checks the includes between the folders of each source tree against the layers drawn for it
in docs/architecture.md, which says how a drawing reads and what an include names; a line "."
stands for the files at the tree's root.

Usage: include_layers_test.py SOURCE_ROOT
"""

import pathlib
import re
import sys

MARKER = re.compile(r"^<!-- include layers: (\S+) -->$")
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)')
ROOT = "."
# Files whose includes the compiler reads; the root of a tree is a layer when it holds one.
SOURCE_SUFFIXES = {".c", ".cc", ".cpp", ".h", ".hpp", ".inl", ".rc", ".idl"}


class Drawing:
    """One tree's block: its folder lines top first, and the outside layers it names."""

    def __init__(self, tree, where):
        self.tree = tree
        self.where = where
        self.layers = []  # (name, allowed names), top layer first
        self.outside = {}  # name -> repository-relative path


def read_drawings(architecture):
    """Every block of the document, in the order written."""
    lines = architecture.read_text(encoding="utf-8").splitlines()
    drawings = []
    for index, line in enumerate(lines):
        marker = MARKER.match(line)
        if not marker:
            continue
        where = f"{architecture.name}:{index + 1}"
        drawing = Drawing(marker.group(1), where)
        if index + 1 >= len(lines) or not lines[index + 1].startswith("```"):
            raise SystemExit(f"{where}: a fenced block must follow the marker")
        for body in lines[index + 2:]:
            if body.startswith("```"):
                break
            name, arrow, allowed = body.partition("->")
            if arrow:
                drawing.layers.append((name.strip(), allowed.split()))
                continue
            name, equals, path = body.partition("=")
            if equals and len(path.split()) == 1:
                drawing.layers.append((name.strip(), []))
                drawing.outside[name.strip()] = path.strip()
                continue
            raise SystemExit(f"{where}: not 'folder -> layers' nor 'name = path': {body!r}")
        else:
            raise SystemExit(f"{where}: the layer block is not closed")
        drawings.append(drawing)
    if not drawings:
        raise SystemExit(f"{architecture}: no '<!-- include layers: TREE -->' block")
    return drawings


def layer_of(name, tree, folders, outside):
    """The layer an include names: a folder of the tree, an outside layer, or None."""
    first = name.split("/", 1)[0] if "/" in name else None
    if first is None:
        return None
    if (tree / name).is_file():
        return first
    for layer, path in outside.items():
        if (path / name).is_file():
            return layer
    # A file not there yet (a typo, a header still to come) counts for the folder it names.
    return first if first in folders else None


def check_tree(root, drawing):
    tree = root / drawing.tree
    if not tree.is_dir():
        return [f"{drawing.where}: {drawing.tree} is not a folder"]
    errors = []
    allowed = {}
    for index, (layer, below) in enumerate(drawing.layers):
        drawn_below = {name for name, _ in drawing.layers[index + 1:]}
        errors += [f"drawing {drawing.tree}: {layer} -> {target}, but {target} is not drawn "
                   "below it" for target in below if target not in drawn_below]
        if layer not in drawing.outside:
            allowed[layer] = set(below)
    outside = {layer: root / path for layer, path in drawing.outside.items()}
    errors += [f"drawing {drawing.tree}: outside layer {layer} = {path} is not a folder"
               for layer, path in drawing.outside.items() if not outside[layer].is_dir()]

    folders = sorted(p.name for p in tree.iterdir() if p.is_dir())
    sources_at_root = [p for p in tree.iterdir() if p.is_file() and p.suffix in SOURCE_SUFFIXES]
    expected = set(folders) | ({ROOT} if sources_at_root else set())
    for layer in sorted(expected - set(allowed)):
        what = f"{drawing.tree}/{layer}" if layer != ROOT else f"the root of {drawing.tree}"
        errors.append(f"drawing {drawing.tree}: {what} has no line")
    errors += [f"drawing {drawing.tree}: {layer} is not a folder of {drawing.tree}"
               for layer in allowed if layer not in expected]
    used = set()
    for path in sorted(tree.rglob("*")):
        if not path.is_file():
            continue
        if path.parent == tree and path.suffix not in SOURCE_SUFFIXES:
            continue
        layer = path.relative_to(tree).parts[0] if path.parent != tree else ROOT
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1) or match.group(2)
            where = f"{path.relative_to(root)}:{number}"
            if ".." in pathlib.PurePosixPath(name).parts:
                errors.append(f"{where}: includes {name} by a relative path")
                continue
            target = layer_of(name, tree, folders, outside)
            if target in allowed.get(layer, set()):
                used.add((layer, target))
            elif target is not None and target != layer:
                errors.append(f"{where}: {layer} may not include {name}")
    for layer, below in allowed.items():
        for target in sorted(below - {t for f, t in used if f == layer}):
            errors.append(
                f"drawing {drawing.tree}: {layer} -> {target}, but no include of {layer} uses it")
    return errors


def check(root, architecture):
    """Every problem found, one line each, tree by tree."""
    return [error for drawing in read_drawings(architecture)
            for error in check_tree(root, drawing)]


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    source_root = pathlib.Path(sys.argv[1])
    found = check(source_root, source_root / "docs" / "architecture.md")
    for error in found:
        print(error)
    sys.exit(1 if found else 0)
