"""The content check's reading of the content document and voices."""
from __future__ import annotations

import plistlib
import tempfile
import unittest
from pathlib import Path

from . import helpers  # noqa: F401

import check_content

MANIFEST = {
    "document": {
        "sounds": {"type": "dict", "keys": {"button": "sound"}},
        "MainMenuStrings": {"type": "array", "of": "string", "min": 4},
        "VoiceNumbers": {"type": "array", "of": "voice"},
    }
}


class DocumentTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.res = Path(self.tmp.name)
        (self.res / "it.lproj").mkdir()
        (self.res / "click.mp3").write_bytes(b"ID3")
        for rel in ("one.m4a", "it.lproj/one.m4a"):
            (self.res / rel).write_bytes(b"\0\0\0\x18ftypM4A ")

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, rel, doc):
        (self.res / rel).write_bytes(plistlib.dumps(doc))

    def problems(self):
        return check_content.Checker(self.res, MANIFEST, ["en", "it"], {}).run_document()

    def good(self):
        return {"sounds": {"button": "click.mp3"}, "MainMenuStrings": ["a", "b", "c", "d"], "VoiceNumbers": ["one"]}

    def test_complete_documents_pass(self):
        self.write("data1.plist", self.good())
        self.write("it.lproj/data1.plist", self.good())
        self.assertEqual(self.problems(), [])

    def test_every_language_is_checked(self):
        self.write("data1.plist", self.good())
        bad = self.good()
        bad["MainMenuStrings"] = ["a", "b", 3]
        del bad["sounds"]
        self.write("it.lproj/data1.plist", bad)
        found = "\n".join(self.problems())
        self.assertIn("it.lproj/data1.plist: no key 'sounds'", found)
        self.assertIn("has 3 items", found)
        self.assertIn("MainMenuStrings[2] should be string", found)
        self.assertIn("other top-level keys", found)

    def test_named_files_must_exist(self):
        doc = self.good()
        doc["sounds"]["button"] = "nope.mp3"
        doc["VoiceNumbers"] = ["two"]
        self.write("data1.plist", doc)
        self.write("it.lproj/data1.plist", doc)
        found = "\n".join(self.problems())
        self.assertIn("'nope.mp3', which is not in the bundle", found)
        self.assertIn("voice 'two' missing in en", found)
        self.assertIn("voice 'two' missing in it", found)


class LocalizedSoundsAndArraysTest(unittest.TestCase):
    """Sounds found as the game looks them up, MP3 voice lines said in every
    language, filler items and layout lists of growing length."""

    MANIFEST = {"document": {
        "Praise": {"type": "array", "of": "sound"},
        "Pages": {"type": "array", "of": "voice", "from": 1},
        "Groups": {"type": "array", "of": {"type": "array", "of": "int"}, "counting": True},
    }}

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.res = Path(self.tmp.name)
        (self.res / "it.lproj").mkdir()
        for rel in ("good.mp3", "it.lproj/good.mp3", "moo.mp3", "ask.m4a"):
            (self.res / rel).write_bytes(b"ID3" if rel.endswith("mp3") else b"\0\0\0\x18ftypM4A ")

    def tearDown(self):
        self.tmp.cleanup()

    def problems(self, doc, lines):
        for rel in ("data1.plist", "it.lproj/data1.plist"):
            (self.res / rel).write_bytes(plistlib.dumps(doc))
        return "\n".join(check_content.Checker(self.res, self.MANIFEST, ["en", "it"], lines).run_document())

    def test_good_documents_pass(self):
        doc = {"Praise": ["good.mp3", "moo.mp3"], "Pages": ["", "good.mp3"], "Groups": [[1], [1, 2]]}
        self.assertEqual(self.problems(doc, {"good.mp3": {"en": "Good!", "it": "Bravo!"}}), "")

    def test_lines_said_in_one_language_only_and_bad_shapes_are_reported(self):
        doc = {"Praise": ["ask.m4a"], "Pages": [0, "good.mp3", ""], "Groups": [[1], [1]]}
        lines = {"ask": {"en": "How many?", "it": "Quanti?"}, "good.mp3": {"en": "Good!", "it": "Bravo!"}}
        (self.res / "it.lproj/good.mp3").unlink()
        found = self.problems(doc, lines)
        self.assertIn("Praise[0] names 'ask.m4a', which is not in the bundle for it", found)
        self.assertNotIn("Pages[0]", found)
        self.assertIn("voice 'good.mp3' missing in it: it.lproj/good.mp3", found)
        self.assertIn("Pages[2] should name a voice", found)
        self.assertIn("Groups[1] should hold 2 entries", found)


if __name__ == "__main__":
    unittest.main()
