"""Shared set-up for the content tools' tests."""
from __future__ import annotations

import shutil
import sys
import tempfile
import tomllib
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parent.parent
CONTENT = TOOLS.parent / "content"
for p in (TOOLS, TOOLS / "nm", CONTENT / "menu", CONTENT / "learning", CONTENT / "game", CONTENT / "art", CONTENT / "audio",
          CONTENT / "kit"):
    if str(p) not in sys.path:
        sys.path.insert(0, str(p))


def copy_fonts(res: Path) -> None:
    """The bundle's font map, fonts and licences into a test bundle, for
    measuring and drawing texts."""
    fonts = tomllib.loads((CONTENT / "fonts" / "sources.toml").read_text())["files"]
    shutil.copy(CONTENT / "fonts" / "fonts.plist", res / "fonts.plist")
    (res / "fonts").mkdir()
    for name, entry in fonts.items():
        shutil.copy(entry["from"], res / "fonts" / name)
        shutil.copy(CONTENT / "fonts" / "licences" / entry["licence"], res / "fonts" / entry["licence"])


class FontBundleCase(unittest.TestCase):
    """A test with a bundle of its own in a temporary folder (self.res),
    holding the fonts for measuring and drawing texts."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.res = Path(self.tmp.name)
        copy_fonts(self.res)

    def tearDown(self):
        self.tmp.cleanup()
