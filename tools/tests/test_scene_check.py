"""The scene writer and the content check, against each other: the check's
table of what the reader needs is written independently of the writer."""
from __future__ import annotations

import copy
import tempfile
import tomllib
import unittest
from pathlib import Path

from . import helpers  # noqa: F401 - sets the import paths

import check_content
import menu_scene
from PIL import Image


def fake_bundle(root: Path, doc: dict) -> None:
    """Writes a small PNG (and its -hd twin) for every picture a scene names,
    at the sizes of the real art, so that the size checks have something to read."""
    from nm.art import entries, outputs, point_size
    sizes = {}
    for e in entries():
        for dev, name in outputs(e):
            s = point_size(e, dev)
            if s:
                sizes[name] = s
    for node in check_content.Checker.nodes(doc["nodeGraph"], "root"):
        props = node[0]["properties"]
        for key in check_content.FILE_KEYS:
            name = props.get(key)
            if name:
                w, h = sizes.get(name, (4, 4))
                Image.new("RGBA", (w, h)).save(root / name)
                Image.new("RGBA", (2 * w, 2 * h)).save(root / check_content.hd(name))


class SceneFileTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.res = Path(self.tmp.name)
        manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        self.req = manifest["scenes"]["main-menu.ccb"]
        self.manifest = manifest

    def tearDown(self):
        self.tmp.cleanup()

    def problems(self, doc, device):
        fake_bundle(self.res, doc)
        c = check_content.Checker(self.res, self.manifest, ["en"], {})
        c.scene(f"main-menu~{device}.ccb", doc, self.req, device)
        return c.problems

    def test_both_devices_carry_everything_the_reader_and_the_menu_need(self):
        for device in ("ipad", "iphone"):
            with self.subTest(device=device):
                self.assertEqual(self.problems(menu_scene.build(device), device), [])

    def test_missing_or_mistyped_properties_are_reported(self):
        doc = menu_scene.build("ipad")
        frog = next(n for n, _ in check_content.Checker.nodes(doc["nodeGraph"], "root")
                    if n["properties"].get("memberVarAssignmentName") == "frog")
        del frog["properties"]["scaleX"]
        frog["properties"]["visible"] = 1
        water = next(n for n, _ in check_content.Checker.nodes(doc["nodeGraph"], "root")
                     if n["class"] == "CCParticleSystem")
        del water["properties"]["gravity"]
        found = "\n".join(self.problems(doc, "ipad"))
        self.assertIn("no 'scaleX'", found)
        self.assertIn("'visible' should be bool", found)
        self.assertIn("no 'gravity'", found)

    def test_structure_the_menu_code_relies_on(self):
        base = menu_scene.build("ipad")
        cases = {
            "cloud": lambda d: d["nodeGraph"]["children"].pop(1),
            "head": lambda d: next(k for k in d["nodeGraph"]["children"] if k["properties"]["tag"] == 31)["children"].clear(),
            "no menu item tagged 5": lambda d: next(k for k in d["nodeGraph"]["children"] if k["class"] == "CCMenu")["children"].pop(),
            "member 'water'": lambda d: next(k for k in d["nodeGraph"]["children"] if k["class"] == "CCParticleSystem")
            ["properties"].update(memberVarAssignmentName=""),
            "customClass": lambda d: d["nodeGraph"]["properties"].update(customClass="CCLayer"),
        }
        for expect, damage in cases.items():
            with self.subTest(expect):
                doc = copy.deepcopy(base)
                damage(doc)
                self.assertTrue(any(expect in p for p in self.problems(doc, "ipad")), expect)

    def test_animals_start_on_the_places_their_tags_name(self):
        doc = menu_scene.build("ipad")
        frog = next(k for k in doc["nodeGraph"]["children"] if k["properties"]["memberVarAssignmentName"] == "frog")
        frog["properties"]["tag"] = 3
        bird = next(k for k in doc["nodeGraph"]["children"] if k["properties"]["memberVarAssignmentName"] == "bird2")
        bird["properties"]["position"] = [500.0, 500.0]
        found = "\n".join(self.problems(doc, "ipad"))
        self.assertIn("the frog starts at", found)
        self.assertIn("bird2 starts at", found)

    def test_frog_targets_off_a_phone_screen_are_reported(self):
        # The tablet's targets on a 480 x 320 screen: most are off it.
        self.req = copy.deepcopy(self.req)
        self.req["iphone"]["frog_targets"] = self.req["ipad"]["frog_targets"]
        doc = menu_scene.build("iphone")
        found = [p for p in self.problems(doc, "iphone") if "leaves the 480 x 320 screen" in p]
        self.assertGreaterEqual(len(found), 7)


if __name__ == "__main__":
    unittest.main()
