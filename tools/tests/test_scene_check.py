"""The scene writer and the content check, against each other: the check's
table of what the reader needs is written independently of the writer."""
from __future__ import annotations

import copy
import functools
import tempfile
import tomllib
import unittest
from pathlib import Path

from . import helpers  # noqa: F401 - sets the import paths

import check_content
import count_scene
import learn_scene
import menu_scene
from PIL import Image


@functools.cache
def art_sizes() -> dict:
    from nm.art import entries, outputs, point_size, svg_text
    sizes = {}
    for e in entries():
        for dev, name in outputs(e):
            # Pictures that size themselves (the meadows) say so when drawn.
            sizes[name] = point_size(e, dev) or svg_text(e, dev)[1]
    return sizes


def fake_bundle(root: Path, doc: dict) -> None:
    """Writes a small PNG (and its -hd twin) for every picture a scene names,
    at the sizes of the real art, so that the size checks have something to read."""
    sizes = art_sizes()
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


class LearningScenesTest(helpers.FontBundleCase):
    """The learn pages' and the counting game's scene files and layouts,
    against what their code finds in them and the places it fixes (the
    captions are measured)."""

    def setUp(self):
        super().setUp()
        self.manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        from nm import bundle
        self.doc = bundle.document("en")

    def problems(self, module, doc, device, content=None):
        fake_bundle(self.res, doc)
        c = check_content.Checker(self.res, self.manifest, ["en"], {})
        c.docs = {"en": content or self.doc}
        c.scene(f"{module.NAME}~{device}", doc, self.manifest["scenes"][module.NAME], device)
        return c.problems

    def test_both_scenes_on_both_devices_carry_what_their_code_needs(self):
        for module in (learn_scene, count_scene):
            for device in ("ipad", "iphone"):
                with self.subTest(scene=module.NAME, device=device):
                    self.assertEqual(self.problems(module, module.build(device), device), [])

    def test_damaged_scene_files_are_reported(self):
        def child(d, **match):
            return next(k for k, _ in check_content.Checker.nodes(d["nodeGraph"], "root")
                        if all(k["properties"].get(a) == v for a, v in match.items()))

        def move(name, x):
            return lambda d: child(d, memberVarAssignmentName=name)["properties"]["position"].__setitem__(0, x)

        cases = {
            learn_scene: {
                "layer tagged 2": lambda d: d["nodeGraph"]["children"].remove(child(d, tag=2)),
                "outside the digit's tap area": move("numberPos", 100.0),
                "distance stands left of curMenuItem": move("distance", 100.0),
                "leave the strip": move("distance", 300.0),
            },
            count_scene: {
                "sprite tagged 3 among mainLayer's children": lambda d: child(d, memberVarAssignmentName="mainLayer")["children"].pop(),
                "mainLayer must cover the": lambda d: child(d, memberVarAssignmentName="mainLayer")["properties"].update(scaleX=0.5),
            },
        }
        for module, damages in cases.items():
            for expect, damage in damages.items():
                with self.subTest(expect):
                    doc = module.build("ipad")
                    damage(doc)
                    self.assertTrue(any(expect in p for p in self.problems(module, doc, "ipad")), expect)

    def test_layouts_that_leave_the_codes_areas_are_reported(self):
        content = copy.deepcopy(self.doc)
        content["Positions"][4]["Points"][0] = 1000000 + 600 * 1000 + 300     # among the digit's taps
        content["Positions-Iphone"][7]["PointCont"] = 6
        game = content["CountAnimal"]
        game["LabelPositions"][2] = 512 * 1000 + 60                              # comes to rest below the screen
        game["LabelPositions-iphone"][1] = game["LabelPositions-iphone"][0] + 30 * 1000
        game["Positions"][1][8][0] = 7 * 1000000 + 512 * 1000 + 100              # stands among the answers
        learn = "\n".join(self.problems(learn_scene, learn_scene.build("ipad"), "ipad", content)
                          + self.problems(learn_scene, learn_scene.build("iphone"), "iphone", content))
        self.assertIn("Positions[4]: animal 1600300 stands outside", learn)
        self.assertIn("Positions-Iphone[7]: page 7 should show 7 animals", learn)
        count = "\n".join(self.problems(count_scene, count_scene.build("ipad"), "ipad", content)
                          + self.problems(count_scene, count_scene.build("iphone"), "iphone", content))
        self.assertIn("LabelPositions: an answer comes to rest at (512, 5)", count)
        self.assertIn("LabelPositions-iphone: answers' tap areas overlap", count)
        self.assertIn("Positions[1][8]: animal 7512100", count)

    def test_animals_never_hide_each_other(self):
        """A child must see each animal to count it: on a learn page no two
        animals' boxes share more than a tenth of one's area, nor do two
        animals in the same depth row of the counting game (rows behind are
        drawn smaller and higher, and may tuck behind the front row)."""
        import count_layout
        import learn_layout
        from screen import size

        def overlap(a, b):
            w = min(a[2], b[2]) - max(a[0], b[0])
            h = min(a[3], b[3]) - max(a[1], b[1])
            return max(0, w) * max(0, h) / min((a[2] - a[0]) * (a[3] - a[1]), (b[2] - b[0]) * (b[3] - b[1]))

        for device in ("ipad", "iphone"):
            for n in range(1, 11):
                scale, animals = learn_layout.page(n, device)
                w, h = (v * scale for v in size(f"animal{n}.png", device))
                boxes = [(x - w / 2, y - h / 2, x + w / 2, y + h / 2) for x, y, _ in animals]
                worst = max((overlap(a, b) for i, a in enumerate(boxes) for b in boxes[i + 1:]), default=0)
                self.assertLess(worst, 0.1, f"{device} page {n}")
        widest = max(size(f"animal{k}.png", "ipad")[0] for k in count_layout.KINDS)
        for s, sets in enumerate(count_layout.layouts()):
            for n, group in enumerate(sets, start=1):
                for z, scale, _ in count_layout.DEPTHS:
                    xs = sorted(x for zz, x, _, _ in group if zz == z)
                    gaps = [b - a for a, b in zip(xs, xs[1:])]
                    self.assertGreater(min(gaps, default=widest), widest * scale * 0.9, f"set {s}, {n} animals, z {z}")


if __name__ == "__main__":
    unittest.main()
