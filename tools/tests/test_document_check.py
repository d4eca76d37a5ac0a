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


if __name__ == "__main__":
    unittest.main()
