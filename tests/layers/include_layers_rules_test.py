#!/usr/bin/env python3
"""The layer check's rules on small trees: which includes it reads, how it resolves a folder
name two trees share, and each kind of failure it reports."""

import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import include_layers_test as layers  # noqa: E402

# The module tree: `top` above `base`.
LOWER = """<!-- include layers: lib -->
```text
top  ->  base
base ->
```
"""

# A host over it: `app` above `util`, with `lib` drawn as an outside layer; the host has a
# folder `base` of its own too, as the host and the module both have a `platform`.
HOST = """<!-- include layers: host -->
```text
.    -> app
app  -> util base lib
util -> lib
base ->
lib  = lib
```
"""

# Files every case starts from: each drawn edge used once, so the clean tree passes.
CLEAN = {
    "lib/top/a.h": '#include "base/b.h"\n',
    "lib/top/c.h": '#include "top/a.h"\n',
    "lib/base/b.h": "#include <vector>\n",
    "lib/CMakeLists.txt": "",
    "host/main.cpp": '#include "app/run.h"\n',
    "host/app/run.h": '#include <util/u.h>\n#include "base/own.h"\n#include "base/b.h"\n',
    "host/util/u.h": '#include "top/a.h"\n#include <windows.h>\n#include <gtest/gtest.h>\n',
    "host/base/own.h": "",
}


def run(drawing, changes):
    """The check's errors over CLEAN with `changes` applied (None removes a file)."""
    files = dict(CLEAN)
    files.update(changes)
    with tempfile.TemporaryDirectory() as directory:
        root = pathlib.Path(directory)
        for name, text in files.items():
            if text is None:
                continue
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        (root / "architecture.md").write_text(drawing)
        return [error.replace(directory, "") for error in
                layers.check(root, root / "architecture.md")]


class IncludeLayersRules(unittest.TestCase):

    def test_the_clean_trees_pass(self):
        self.assertEqual(run(LOWER + HOST, {}), [])

    def test_each_fault_is_reported(self):
        cases = [
            ("a quoted include upward",
             {"lib/base/b.h": '#include "top/a.h"\n'},
             ["lib/base/b.h:1: base may not include top/a.h"]),
            ("an angle include upward",
             {"lib/base/b.h": "#include <top/a.h>\n"},
             ["lib/base/b.h:1: base may not include top/a.h"]),
            ("an include written with blanks after the hash",
             {"lib/base/b.h": "  #  include  <top/a.h>\n"},
             ["lib/base/b.h:1: base may not include top/a.h"]),
            ("an include upward of a header not there yet",
             {"lib/base/b.h": '#include "top/missing.h"\n'},
             ["lib/base/b.h:1: base may not include top/missing.h"]),
            ("an include upward inside the host",
             {"host/util/u.h": '#include "top/a.h"\n#include "app/run.h"\n'},
             ["host/util/u.h:2: util may not include app/run.h"]),
            ("a shared folder name that resolves to the host's folder",
             {"host/util/u.h": '#include "top/a.h"\n#include "base/own.h"\n'},
             ["host/util/u.h:2: util may not include base/own.h"]),
            ("a path both trees hold that resolves to the host's file",
             {"host/base/b.h": "", "host/util/u.h": '#include "top/a.h"\n#include "base/b.h"\n'},
             ["host/util/u.h:2: util may not include base/b.h",
              "drawing host: app -> lib, but no include of app uses it"]),
            ("an include by a relative path",
             {"lib/top/a.h": '#include "base/b.h"\n#include "../base/b.h"\n'},
             ["lib/top/a.h:2: includes ../base/b.h by a relative path"]),
            ("a folder without a line",
             {"lib/extra/e.h": ""},
             ["drawing lib: lib/extra has no line"]),
            ("a root source without a line",
             {"lib/main.cpp": ""},
             ["drawing lib: the root of lib has no line"]),
            ("an edge no include uses",
             {"host/util/u.h": "#include <windows.h>\n"},
             ["drawing host: util -> lib, but no include of util uses it"]),
            ("an edge to the outside layer no include uses",
             {"host/app/run.h": '#include <util/u.h>\n#include "base/own.h"\n'},
             ["drawing host: app -> lib, but no include of app uses it"]),
            ("the root's edge unused",
             {"host/main.cpp": "#include <cstdio>\n"},
             ["drawing host: . -> app, but no include of . uses it"]),
        ]
        for what, changes, expected in cases:
            with self.subTest(what):
                self.assertEqual(run(LOWER + HOST, changes), expected)

    def test_drawing_faults_are_reported(self):
        cases = [
            ("an edge to a layer drawn above",
             LOWER.replace("top  ->  base", "top  ->").replace("base ->", "base -> top") + HOST,
             ["drawing lib: base -> top, but top is not drawn below it",
              "lib/top/a.h:1: top may not include base/b.h",
              "drawing lib: base -> top, but no include of base uses it"]),
            ("a layer drawn below itself",
             LOWER.replace("base ->", "base -> base") + HOST,
             ["drawing lib: base -> base, but base is not drawn below it",
              "drawing lib: base -> base, but no include of base uses it"]),
            ("a line for no folder",
             LOWER.replace("base ->", "base ->\ngone ->") + HOST,
             ["drawing lib: gone is not a folder of lib"]),
            ("an outside layer that is no folder",
             LOWER + HOST.replace("lib  = lib", "lib  = nowhere"),
             ["drawing host: outside layer lib = nowhere is not a folder",
              "drawing host: app -> lib, but no include of app uses it",
              "drawing host: util -> lib, but no include of util uses it"]),
            ("a block for no tree",
             LOWER + HOST + HOST.replace("layers: host", "layers: gone"),
             ["architecture.md:14: gone is not a folder"]),
        ]
        for what, document, expected in cases:
            with self.subTest(what):
                self.assertEqual(run(document, {}), expected)

    def test_a_malformed_document_is_refused(self):
        documents = [
            ("no block", "# Architecture\n"),
            ("no fence after the marker", "<!-- include layers: lib -->\ntop ->\n```text\n```\n"),
            ("a line neither an edge nor an outside layer", LOWER.replace("base ->", "base")),
            ("an outside layer of two paths", LOWER.replace("base ->", "base ->\nx = a b")),
            ("a block not closed", LOWER.rstrip("`\n")),
        ]
        for what, document in documents:
            with self.subTest(what), self.assertRaises(SystemExit):
                run(document, {})


if __name__ == "__main__":
    unittest.main()
