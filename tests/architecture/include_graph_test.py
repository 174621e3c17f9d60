#!/usr/bin/env python3
"""Holds every #include of the tree against the allowed table in docs/architecture.md.

The table lists, for each folder, the folders it may include. A file belongs to the longest folder
of the table that holds it; an include names a header by its source-rooted path (or, for a test's
own helpers, by a path relative to the including file). The check fails on:
  - an include from one folder into another that the table does not list;
  - an include of a folder's internal/ header from any other folder than its own tests
    (tests/<folder>/);
  - a source file, or an included header, in no folder of the table;
  - a loop among the layers' arrows (tests, fuzz targets and benchmarks stand outside the layers);
  - a CMake file that hands the source root to a target as an include folder, which would make
    every header of every library reachable again.

Usage: include_graph_test.py SOURCE_DIR
"""

import os
import re
import sys
import tempfile
import unittest

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]+"([^"]+)"', re.M)
# Folders whose programs stand outside the layers: they may include each other's helpers.
OUTSIDE_LAYERS = {"tests", "fuzz", "bench"}
# An include folder that is the source root itself: ${CMAKE_SOURCE_DIR} not followed by a path.
SOURCE_ROOT_INCLUDE = re.compile(r"include_directories\([^)]*\$\{CMAKE_SOURCE_DIR\}(?![/\w])[^)]*\)", re.S)
# Headers the build writes; they belong to the folder their path names.
GENERATED = {"resources/window_ids.h"}


def parse_allowed_table(doc_text):
    """{folder: set of folders it may include}, from the table under "## Allowed includes"."""
    section = re.search(r"^## Allowed includes\n(.*?)(?=^## |\Z)", doc_text, re.M | re.S)
    if section is None:
        raise ValueError('docs/architecture.md has no "## Allowed includes" section')
    table = {}
    for line in section.group(1).splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 2 or not cells[0].startswith("`"):
            continue
        folder = cells[0].strip("`").rstrip("/")
        targets = {t.rstrip("/") for t in re.findall(r"`([^`]+)`", cells[1])}
        if folder in table:
            raise ValueError(f"folder {folder} has two rows")
        table[folder] = targets
    if not table:
        raise ValueError("the allowed-includes table has no rows")
    for folder, targets in table.items():
        for target in targets:
            if target not in table:
                raise ValueError(f"{folder} may include {target}, which has no row of its own")
    return table


def folder_of(path, folders):
    best = None
    for folder in folders:
        if (path == folder or path.startswith(folder + "/")) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        # Build trees and hidden folders hold no sources of ours.
        subdirs[:] = sorted(d for d in subdirs if not d.startswith((".", "build")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def resolve(root, including, header):
    """The source-rooted path of an included header, or None when it is not one of ours."""
    sibling = os.path.normpath(os.path.join(os.path.dirname(including), header)).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, sibling)):
        return sibling
    if os.path.isfile(os.path.join(root, header)) or header in GENERATED:
        return header
    return None


def find_loop(table):
    """One loop among the layers' arrows, as a list of folders, or None."""
    graph = {f: {t for t in ts if t not in OUTSIDE_LAYERS} for f, ts in table.items() if f not in OUTSIDE_LAYERS}
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
            if nxt not in state:
                found = visit(nxt, trail + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for start in sorted(graph):
        if start not in state:
            found = visit(start, [start])
            if found:
                return found
    return None


def cmake_files(root):
    for directory, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs if not d.startswith((".", "build")))
        for name in sorted(files):
            if name == "CMakeLists.txt" or name.endswith(".cmake"):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def check_tree(root, table):
    """Every fault of the tree against the table, as readable lines."""
    faults = []
    for path in cmake_files(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in SOURCE_ROOT_INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            faults.append(f"{path}:{line}: the source root as an include folder")
    loop = find_loop(table)
    if loop:
        faults.append("the table's arrows form a loop: " + " -> ".join(loop))
    folders = list(table)
    for path in source_files(root):
        if path.split("/")[0] in ("docs", "scripts"):
            continue
        source = folder_of(path, folders)
        if source is None:
            faults.append(f"{path}: its folder has no row in the allowed-includes table")
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            header = resolve(root, path, match.group(1))
            if header is None:
                if "/" in match.group(1):
                    faults.append(f"{path}:{line}: includes {match.group(1)}, which is not in the tree")
                continue
            target = folder_of(header, folders)
            if target is None:
                faults.append(f"{path}:{line}: includes {header}, whose folder has no row")
            elif "/internal/" in "/" + header and target != source and not path.startswith(f"tests/{target}/"):
                faults.append(f"{path}:{line}: includes {header}, internal to {target}/")
            elif target != source and target not in table[source]:
                faults.append(f"{path}:{line}: {source}/ may not include {header} ({target}/)")
    return faults


class SyntheticTree(unittest.TestCase):
    """The check itself: each kind of fault in a small tree of its own."""

    TABLE = """# Map
## Allowed includes
| folder | may include |
|---|---|
| `top/` | `low/`, `low/deep/` |
| `low/` | `low/deep/` |
| `low/deep/` | |
| `tests/` | `top/`, `low/` |
## Next
| `ignored/` | `top/` |
"""

    def make_tree(self, files):
        root = tempfile.mkdtemp()
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        return root

    def faults(self, files, doc=TABLE):
        return check_tree(self.make_tree(files), parse_allowed_table(doc))

    def test_the_table_is_read_from_its_section_only(self):
        table = parse_allowed_table(self.TABLE)
        self.assertEqual(table["top"], {"low", "low/deep"})
        self.assertEqual(table["low/deep"], set())
        self.assertNotIn("ignored", table)

    def test_downward_includes_pass(self):
        self.assertEqual(self.faults({
            "low/deep/a.h": "",
            "low/b.h": '#include "low/deep/a.h"\n',
            "top/c.cpp": '#include "low/b.h"\n#include "low/deep/a.h"\n#include <vector>\n',
            "tests/t.cpp": '#include "top/c.h"\n#include "helper.h"\n',
            "tests/helper.h": "",
            "top/c.h": "",
        }), [])

    def test_a_wrong_way_include_fails(self):
        faults = self.faults({"low/b.cpp": '#include "top/c.h"\n', "top/c.h": ""})
        self.assertEqual(len(faults), 1)
        self.assertIn("low/b.cpp:1: low/ may not include top/c.h", faults[0])

    def test_an_arrow_skipping_a_row_fails(self):
        faults = self.faults({"low/deep/x.cpp": "\n#include \"low/b.h\"\n", "low/b.h": ""})
        self.assertEqual(faults, ["low/deep/x.cpp:2: low/deep/ may not include low/b.h (low/)"])

    def test_another_folders_internal_header_fails(self):
        files = {"low/internal/i.h": "", "low/b.cpp": '#include "low/internal/i.h"\n',
                 "top/c.cpp": '#include "low/internal/i.h"\n'}
        files["tests/low/t.cpp"] = '#include "low/internal/i.h"\n'
        files["tests/top/t.cpp"] = '#include "low/internal/i.h"\n'
        self.assertEqual(self.faults(files), ["tests/top/t.cpp:1: includes low/internal/i.h, internal to low/",
                                              "top/c.cpp:1: includes low/internal/i.h, internal to low/"])

    def test_a_folder_without_row_and_a_missing_header_fail(self):
        faults = self.faults({"stray/s.cpp": "", "top/c.cpp": '#include "low/gone.h"\n'})
        self.assertEqual(len(faults), 2)
        self.assertIn("stray/s.cpp", faults[0])
        self.assertIn("low/gone.h, which is not in the tree", faults[1])

    def test_the_source_root_as_include_folder_fails(self):
        faults = self.faults({
            "top/CMakeLists.txt": "target_include_directories(t PUBLIC ${CMAKE_SOURCE_DIR})\n",
            "low/CMakeLists.txt": "target_include_directories(t PRIVATE ${CMAKE_SOURCE_DIR}/low/x)\n",
        })
        self.assertEqual(faults, ["top/CMakeLists.txt:1: the source root as an include folder"])

    def test_a_loop_in_the_table_fails(self):
        doc = self.TABLE.replace("| `low/deep/` | |", "| `low/deep/` | `top/` |")
        faults = self.faults({}, doc)
        self.assertEqual(len(faults), 1)
        self.assertIn("loop", faults[0])

    def test_a_target_without_row_is_refused(self):
        with self.assertRaises(ValueError):
            parse_allowed_table(self.TABLE.replace("| `low/deep/` | |\n", ""))


class ThisTree(unittest.TestCase):
    root = None

    def test_every_include_follows_the_table(self):
        with open(os.path.join(self.root, "docs", "architecture.md"), encoding="utf-8") as f:
            table = parse_allowed_table(f.read())
        faults = check_tree(self.root, table)
        self.assertEqual(faults, [], "\n" + "\n".join(faults))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    ThisTree.root = os.path.abspath(sys.argv[1])
    unittest.main(argv=sys.argv[:1], verbosity=2)
