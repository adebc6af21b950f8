#!/usr/bin/env python3
"""The layer check on the repository itself, and on small trees that break the order."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import check_layers  # noqa: E402

REPO = pathlib.Path(__file__).resolve().parents[2]

TABLE = """# x

| Rank | Folder | Holds | Uses |
|---|---|---|---|
| 1 | `src/base/` | text | — |
| 2 | `src/ui/` | windows | base |
| 3 | `src/capture/` | grabs | ui |
| 3 | `src/settings/` | ini | ui, base |
"""

LINKS = {"base": "", "ui": "DEPENDS base", "capture": "DEPENDS ui",
         "settings": "DEPENDS ui base"}

SOURCES = {
    "base/text.h": "#pragma once\n",
    "ui/form.cpp": '#include "ui/form.h"\n#include "base/text.h"\n',
    "ui/form.h": "#pragma once\n",
    "capture/grab.cpp": '#include "capture/grab.h"\n#include "ui/form.h"\n',
    "capture/grab.h": "#pragma once\n",
    "settings/ini.cpp": '#include "ui/form.h"\n#include "base/text.h"\n',
}


def make_tree(root, table=TABLE, links=LINKS, sources=SOURCES):
    (root / "README.md").write_text(table, encoding="utf-8")
    for folder, depends in links.items():
        (root / "src" / folder).mkdir(parents=True, exist_ok=True)
        (root / "src" / folder / "CMakeLists.txt").write_text(
            f"vellum_layer({folder}\n    CORE\n        a.cpp\n    {depends}\n)\n",
            encoding="utf-8")
    for path, text in sources.items():
        (root / "src" / path).write_text(text, encoding="utf-8")


class LayerCheck(unittest.TestCase):
    def faults(self, **changes):
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            make_tree(root, **changes)
            return check_layers.check(root)

    def test_the_repository_follows_its_order(self):
        self.assertEqual(check_layers.check(REPO), [])

    def test_a_tree_in_order_passes(self):
        self.assertEqual(self.faults(), [])

    def test_includes_and_links_against_the_order_fail(self):
        cases = [
            # an include up the order, and one across it
            (dict(sources={**SOURCES, "ui/form.cpp": '#include "capture/grab.h"\n'
                                                     '#include "base/text.h"\n'}),
             "src/ui/form.cpp includes capture/ (rank 3 against 2): up or across the order"),
            (dict(sources={**SOURCES, "capture/grab.h": '#include "settings/x.h"\n'}),
             "src/capture/grab.h includes settings/ (rank 3 against 3): up or across the order"),
            # an include below that the library does not link
            (dict(sources={**SOURCES, "capture/grab.h": '#include "base/text.h"\n'}),
             "src/capture/grab.h includes base/, which vellum_capture does not link"),
            # a link up the order
            (dict(links={**LINKS, "base": "DEPENDS ui"},
                  table=TABLE.replace("| text | — |", "| text | ui |")),
             "src/base (rank 1) links ui (rank 2): up or across the order"),
            # the README's column and the CMake links disagree
            (dict(table=TABLE.replace("| ini | ui, base |", "| ini | ui |")),
             "the README says src/settings uses ui, its CMakeLists.txt links ui, base"),
            # a folder that the table leaves out, and a row without a folder
            (dict(table=TABLE.replace("| 3 | `src/settings/` | ini | ui, base |\n", "")),
             "src/settings/ is not in the README's table of layers"),
            (dict(table=TABLE + "| 4 | `src/app/` | main | capture |\n"),
             "the README's table of layers names src/app/, which is not there"),
        ]
        for changes, expected in cases:
            with self.subTest(expected=expected):
                self.assertIn(expected, self.faults(**changes))

    def test_a_link_nothing_includes_is_a_fault(self):
        faults = self.faults(links={**LINKS, "capture": "DEPENDS ui base"},
                             table=TABLE.replace("| grabs | ui |", "| grabs | ui, base |"))
        self.assertEqual(faults, ["vellum_capture links base without including it"])


if __name__ == "__main__":
    unittest.main()
