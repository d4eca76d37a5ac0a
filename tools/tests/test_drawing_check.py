"""The drawing pages' content against the check: the strokes files against
the digit pictures drawn from the same strokes, and the scene file's
palette, page buttons and page layout. The pictures the check reads pixels
of are drawn for real; the others are blank stand-ins of the right size."""
from __future__ import annotations

import copy
import plistlib
import sys
import tempfile
import tomllib
import unittest
from pathlib import Path

from . import helpers

sys.path.insert(0, str(helpers.CONTENT / "draw"))

import check_content  # noqa: E402
import draw_scene  # noqa: E402
import letters_plists  # noqa: E402
from nm import art, bundle  # noqa: E402
from PIL import Image  # noqa: E402

from .test_scene_check import fake_bundle  # noqa: E402

NUMBERS = 4         # enough numbers for every kind of stroke: corners, two strokes, curves
DRAWN = [f"num{n}.png" for n in range(1, NUMBERS + 1)] + ["draw-highlight.png", "colour-mask.png"]


def _scene_name(device: str) -> str:
    return f"draw-scene~{device}.ccb"


class DrawingCheckTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.res = Path(cls.tmp.name)
        cls.scenes = {dev: draw_scene.build(dev) for dev in ("ipad", "iphone")}
        for dev, doc in cls.scenes.items():
            fake_bundle(cls.res, doc)
            for n in range(1, NUMBERS + 1):
                size = art_size(f"animal{n}.png", dev)
                Image.new("RGBA", size).save(cls.res / f"animal{n}~{dev}.png")
        scratch = cls.res / "scratch"
        scratch.mkdir()
        for entry in art.entries():
            if entry["name"] in DRAWN:
                for dev, name in art.outputs(entry):
                    svg, (w, h) = art.svg_text(entry, dev)
                    art.render(svg, w, h, cls.res / name, scratch)
                    art.render(svg, 2 * w, 2 * h, cls.res / check_content.hd(name), scratch)
        cls.letters = {name: letters_plists.build(name) for name in letters_plists.PLISTS}
        manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        manifest["strokes"]["numbers"] = NUMBERS
        cls.manifest = manifest
        cls.content = bundle.document("en")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def problems(self, scenes=None, letters=None, content=None) -> list[str]:
        scenes = scenes or self.scenes
        for dev, doc in scenes.items():
            (self.res / _scene_name(dev)).write_bytes(plistlib.dumps(doc))
        for name, data in (letters or self.letters).items():
            (self.res / name).write_bytes(plistlib.dumps(data))
        c = check_content.Checker(self.res, self.manifest, ["en"], {})
        c.docs = {"en": content or self.content}
        for dev, doc in scenes.items():
            c.scene(_scene_name(dev), doc, self.manifest["scenes"]["draw-scene.ccb"], dev)
        check_content.check_drawing.check_strokes(c, check_content.DEVICES)
        return c.problems

    def test_the_shipped_strokes_scene_and_layout_pass(self):
        self.assertEqual(self.problems(), [])

    def test_strokes_a_child_could_not_finish_are_reported(self):
        data = copy.deepcopy(self.letters)
        tablet = data["letters_data.plist"]
        tablet[0][0].append(dict(tablet[0][0][0]))                       # 1 ends where it starts
        tablet[1][0].insert(3, dict(tablet[1][0][3]))                     # 2 stands still
        del tablet[2][0][1:-1:2]                                          # 3's stars too far apart
        tablet[3][1].insert(1, dict(tablet[3][1][-1]))                    # 4's stick ends early
        phone = data["letters_data-ip.plist"]
        phone[3][0][2]["x"] -= 24                                         # 4 off the digit
        phone[1] = []                                                     # 2 missing
        found = "\n".join(self.problems(letters=data))
        for expect in ("letters_data.plist: number 1, stroke 1 ends where it starts",
                       "letters_data.plist: number 2, stroke 1: way points 4 and 5 coincide",
                       "letters_data.plist: number 3, stroke 1: way points 1 and 2 are",
                       "letters_data.plist: number 4, stroke 2 has a way point where it ends",
                       "letters_data-ip.plist: number 4, stroke 1: way point 3",
                       "letters_data-ip.plist: number 2 has no strokes"):
            self.assertIn(expect, found)
        self.assertIn("is not on the digit in num4~iphone.png", found)
        self.assertIn("is not on the digit in num4~iphone-hd.png", found)

    def test_strokes_follow_the_origin_node_of_the_scene(self):
        scenes = copy.deepcopy(self.scenes)
        label = next(k for k in scenes["ipad"]["nodeGraph"]["children"]
                     if k["properties"]["memberVarAssignmentName"] == "letterLabel")
        label["properties"]["position"][0] += 30
        found = [p for p in self.problems(scenes=scenes) if "is not on the digit in num" in p]
        self.assertEqual({p.split(":")[0] for p in found}, {"letters_data.plist"})
        self.assertGreaterEqual(len(found), NUMBERS * 2)

    def test_palette_and_page_buttons_the_code_cannot_use_are_reported(self):
        def member(doc, name):
            return next(n for n, _ in check_content.Checker.nodes(doc["nodeGraph"], "root")
                        if n["properties"]["memberVarAssignmentName"] == name)

        def swatches(doc):
            return [k for k in member(doc, "toolsLayer")["children"] if k["properties"]["tag"] == 1]

        cases = {
            "defaultMarker's colour": lambda d: member(d, "defaultMarker")["properties"].update(color=[1, 2, 3]),
            "two swatches give the same ink": lambda d: swatches(d)[3]["properties"].update(color=swatches(d)[2]["properties"]["color"]),
            "must be visible and opaque": lambda d: member(d, "colorHighlight")["properties"].update(visible=False),
            "the highlight on swatch 5": lambda d: swatches(d)[4]["properties"]["position"].__setitem__(0, swatches(d)[4]["properties"]["position"][0] + 20),
            "buttonNext at the middle of the right edge": lambda d: member(d, "buttonNext")["properties"].update(anchorPoint=[0.5, 0.5]),
            "toolsLayer must stand at the origin": lambda d: member(d, "toolsLayer")["properties"].update(position=[10.0, 0.0]),
        }
        for expect, damage in cases.items():
            with self.subTest(expect):
                scenes = copy.deepcopy(self.scenes)
                damage(scenes["ipad"])
                self.assertTrue(any(expect in p for p in self.problems(scenes=scenes)), expect)

    def test_a_page_layout_that_crowds_the_digit_is_reported(self):
        content = copy.deepcopy(self.content)
        content["DrawScenePositions"][2]["Position"] = 512 * 1000 + 384
        content["DrawScenePositions-iphone"][3]["Position"] = 390 * 1000 + 160
        found = "\n".join(self.problems(content=content))
        self.assertIn("draw-scene~ipad.ccb: page 2: the animal stands on the digit", found)
        self.assertIn("draw-scene~iphone.ccb: page 3: the animal", found)
        self.assertIn("overlaps swatch", found)


def art_size(name: str, device: str) -> tuple[int, int]:
    from screen import size
    return size(name, device)


if __name__ == "__main__":
    unittest.main()
