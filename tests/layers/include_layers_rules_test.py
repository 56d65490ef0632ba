#!/usr/bin/env python3
"""The layer check's rules on small trees: which includes it reads, how it resolves a folder
name two trees share, and each kind of failure it reports."""

import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import include_layers_test as layers  # noqa: E402

# The module tree `lib` (`top` above `base`) and a host over it (`app` above `util`, `lib` an
# outside layer); the host has a folder `base` of its own too, as both have a `platform`.
LOWER = "<!-- include layers: lib -->\n```text\ntop  ->  base\nbase ->\n```\n"
HOST = ("<!-- include layers: host -->\n```text\n.    -> app\napp  -> util base lib\n"
        "util -> lib\nbase ->\nlib  = lib\n```\n")
# Each drawn edge used once (an angle include among them), so the clean trees pass.
CLEAN = {
    "lib/top/a.h": '#include "base/b.h"\n', "lib/top/c.h": '#include "top/a.h"\n',
    "lib/base/b.h": "#include <vector>\n", "lib/CMakeLists.txt": "",
    "host/main.cpp": '#include "app/run.h"\n',
    "host/app/run.h": '#include <util/u.h>\n#include "base/own.h"\n#include "base/b.h"\n',
    "host/util/u.h": '#include "top/a.h"\n#include <windows.h>\n#include <gtest/gtest.h>\n',
    "host/base/own.h": "",
}
UPWARD = "lib/base/b.h:1: base may not include top/a.h"
APP_LIB_UNUSED = "drawing host: app -> lib, but no include of app uses it"


def run(drawing, changes):
    """The check's errors over CLEAN with `changes` applied."""
    with tempfile.TemporaryDirectory() as directory:
        root = pathlib.Path(directory)
        for name, text in {**CLEAN, **changes}.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        (root / "architecture.md").write_text(drawing)
        return [error.replace(directory, "") for error in
                layers.check(root, root / "architecture.md")]


class IncludeLayersRules(unittest.TestCase):

    def test_each_fault_of_the_tree_is_reported(self):
        for changes, expected in [
                ({}, []),
                ({"lib/base/b.h": '#include "top/a.h"\n'}, [UPWARD]),
                ({"lib/base/b.h": "  #  include  <top/a.h>\n"}, [UPWARD]),
                ({"lib/base/b.h": '#include "top/missing.h"\n'},
                 ["lib/base/b.h:1: base may not include top/missing.h"]),
                # A folder name both trees hold resolves to the host's.
                ({"host/util/u.h": '#include "top/a.h"\n#include "base/own.h"\n'},
                 ["host/util/u.h:2: util may not include base/own.h"]),
                ({"lib/top/a.h": '#include "base/b.h"\n#include "../base/b.h"\n'},
                 ["lib/top/a.h:2: includes ../base/b.h by a relative path"]),
                ({"lib/extra/e.h": ""}, ["drawing lib: lib/extra has no line"]),
                ({"host/util/u.h": "#include <windows.h>\n"},
                 ["drawing host: util -> lib, but no include of util uses it"]),
                ({"host/main.cpp": "#include <cstdio>\n"},
                 ["drawing host: . -> app, but no include of . uses it"])]:
            with self.subTest(changes):
                self.assertEqual(run(LOWER + HOST, changes), expected)

    def test_each_fault_of_the_drawing_is_reported(self):
        for document, expected in [
                (LOWER.replace("top  ->  base", "top  ->").replace("base ->", "base -> top") + HOST,
                 ["drawing lib: base -> top, but top is not drawn below it",
                  "lib/top/a.h:1: top may not include base/b.h",
                  "drawing lib: base -> top, but no include of base uses it"]),
                (LOWER.replace("base ->", "base ->\ngone ->") + HOST,
                 ["drawing lib: gone is not a folder of lib"]),
                (LOWER + HOST.replace("lib  = lib", "lib  = nowhere"),
                 ["drawing host: outside layer lib = nowhere is not a folder", APP_LIB_UNUSED,
                  "drawing host: util -> lib, but no include of util uses it"]),
                (LOWER + HOST + HOST.replace("layers: host", "layers: gone"),
                 ["architecture.md:14: gone is not a folder"])]:
            with self.subTest(document):
                self.assertEqual(run(document, {}), expected)


if __name__ == "__main__":
    unittest.main()
