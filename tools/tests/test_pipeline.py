"""The build driver's incremental runs, the string tables and bitmap fonts."""
from __future__ import annotations

import re
import tempfile
import unittest
from pathlib import Path

from . import helpers  # noqa: F401

from nm import bmfont, bundle
from nm.jobs import Job, Runner


class RunnerTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        base = Path(self.tmp.name)
        self.out, self.cache, self.src = base / "out", base / "cache", base / "src.txt"
        self.out.mkdir()
        self.src.write_text("one")
        self.runs = 0

    def tearDown(self):
        self.tmp.cleanup()

    def job(self, name="a.txt", fail=False):
        def go(w):
            self.runs += 1
            w.out(name).write_text(self.src.read_text())
            if fail:
                raise RuntimeError("broken tool")
        return Job("copy", [name], go, [self.src])

    def build(self, *jobs):
        return Runner(self.out, self.cache, 2).run(list(jobs))

    def test_only_what_changed_is_redone(self):
        self.assertEqual(self.build(self.job()), 0)
        self.assertEqual(self.build(self.job()), 0)
        self.assertEqual(self.runs, 1)
        self.src.write_text("two")
        self.build(self.job())
        self.assertEqual((self.runs, (self.out / "a.txt").read_text()), (2, "two"))

    def test_a_deleted_output_is_made_again(self):
        self.build(self.job())
        (self.out / "a.txt").unlink()
        self.build(self.job())
        self.assertTrue((self.out / "a.txt").is_file())

    def test_outputs_no_job_makes_any_more_are_removed_but_foreign_files_stay(self):
        (self.out / "foreign.txt").write_text("x")
        self.build(self.job("a.txt"), self.job("b.txt"))
        self.build(self.job("a.txt"))
        self.assertEqual(sorted(p.name for p in self.out.iterdir()), ["a.txt", "foreign.txt"])

    def test_a_failing_job_fails_the_build_and_leaves_nothing_behind(self):
        self.assertEqual(self.build(self.job(fail=True)), 1)
        self.assertFalse((self.out / "a.txt").exists())
        self.assertEqual(self.build(self.job()), 0)     # and is retried next time


class StringsTest(unittest.TestCase):
    def test_quotes_backslashes_and_newlines_are_escaped(self):
        text = bundle._strings_text({"Error": 'Say "hi"\\\nnow'})
        self.assertEqual(text, '"Error" = "Say \\"hi\\"\\\\\\nnow";\n')

    def test_document_merge_refuses_a_key_set_twice(self):
        self.assertEqual(bundle.merge({"a": {"x": 1}}, {"a": {"y": 2}}), {"a": {"x": 1, "y": 2}})
        with self.assertRaises(ValueError):
            bundle.merge({"a": 1}, {"a": 2})


class BitmapFontTest(unittest.TestCase):
    def test_glyphs_lie_inside_the_page(self):
        chars = bmfont.charset([[32, 126], [0x410, 0x44F]])
        text, page = bmfont.build(Path("/usr/share/fonts/truetype/andika/Andika-Bold.ttf"), 24, chars,
                                  "p.png", 256, "Andika", True)
        rows = re.findall(r"^char id=(\d+) x=(\d+) y=(\d+) width=(\d+) height=(\d+)", text, re.M)
        self.assertEqual(len(rows), len(chars))
        self.assertIn(f"scaleW={page.width} scaleH={page.height}", text)
        for cid, x, y, w, h in rows:
            self.assertLessEqual(int(x) + int(w), page.width, cid)
            self.assertLessEqual(int(y) + int(h), page.height, cid)
        space = next(r for r in rows if r[0] == "32")
        self.assertEqual(space[3:], ("0", "0"))
        # Every glyph but the space leaves ink on the page.
        a = next(r for r in rows if r[0] == str(ord("Ж")))
        box = page.crop((int(a[1]), int(a[2]), int(a[1]) + int(a[3]), int(a[2]) + int(a[4])))
        self.assertGreater(max(box.getchannel("A").getdata()), 200)


if __name__ == "__main__":
    unittest.main()
