"""The arithmetic game's scene files and menu places against the content
check: the shipped layout passes on both devices in every language, and the
faults the check exists for are caught (a number off what is drawn for it, a
ship rocking under a number, option squares that collide, texts too long for
the menu, a firework that never ends)."""
from __future__ import annotations

import copy
import functools
import plistlib
import shutil
import tempfile
import tomllib
import unittest
from pathlib import Path

from . import helpers  # noqa: F401 - sets the import paths

import check_content
import firework_scene
import game_scene
from PIL import Image

from .test_scene_check import fake_bundle

# Pictures whose drawn pixels the check reads (ships, flags, the panel's hole).
DRAWN = ["game-ship1.png", "game-ship2.png", "game-panel.png"] + [f"team{i}.png" for i in range(1, 7)]


@functools.cache
def drawn(name: str, device: str, scratch: str) -> Path:
    from nm.art import entries, outputs, render, svg_text
    for e in entries():
        for dev, out in outputs(e):
            if dev == device and e["name"] == name:
                svg, (w, h) = svg_text(e, dev)
                path = Path(scratch) / out
                render(svg, w, h, path, Path(scratch))
                return path
    raise KeyError(name)


class GameSceneTest(helpers.FontBundleCase):
    @classmethod
    def setUpClass(cls):
        cls.art = tempfile.TemporaryDirectory()
        cls.manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        cls.req = cls.manifest["scenes"][game_scene.NAME]
        from nm import bundle
        cls.docs = {lang: bundle.document(lang) for lang in bundle.languages()}

    @classmethod
    def tearDownClass(cls):
        cls.art.cleanup()

    def problems(self, doc, device, docs=None, touch=None):
        fake_bundle(self.res, doc)
        for name in DRAWN + [self.req["menu"]["marker"]]:
            out = check_content.with_device(name, device)
            src = drawn(name, device, self.art.name) if name in DRAWN else None
            picture = Image.open(src) if src else Image.open(self.res / out) if (self.res / out).exists() else \
                Image.new("RGBA", (64, 64) if device == "ipad" else (32, 32))
            picture.save(self.res / out)
            picture.resize((picture.width * 2, picture.height * 2)).save(self.res / check_content.hd(out))
        if touch:
            touch(self.res)
        c = check_content.Checker(self.res, self.manifest, list(self.docs), {})
        c.docs = docs or self.docs
        c.scene(check_content.with_device(game_scene.NAME, device), doc, self.req, device)
        return c.problems

    def test_the_shipped_layout_passes_on_both_devices_in_both_languages(self):
        for device in ("ipad", "iphone"):
            with self.subTest(device=device):
                self.assertEqual(self.problems(game_scene.build(device), device), [])

    def test_scene_faults_are_caught(self):
        def member(d, name):
            return next(n for n, _ in check_content.Checker.nodes(d["nodeGraph"], "root")
                        if n["properties"].get("memberVarAssignmentName") == name)

        def tagged(nodes, tag):
            return next(n for n in nodes if n["properties"].get("tag") == tag)

        def menu_of(d):
            return next(k for k in member(d, "menuLayer")["children"] if k["class"] == "CCMenu")

        def blot_the_hole(res):
            panel = res / "game-panel~ipad.png"
            picture = Image.open(panel)
            picture.paste((20, 60, 120, 255), (300, 520, 500, 600))
            picture.save(panel)

        cases = {
            "would mark 2 plates": (lambda d: tagged(d["nodeGraph"]["children"], 101)["properties"]
                                    .update(position=[200.0, 60.0]), None),
            "leaves its board when the ship rocks": (lambda d: tagged(member(d, "ship1")["children"], 2)["properties"]
                                                     .update(scaleX=0.5), None),
            "ship2 reaches under the answer moved after": (lambda d: member(d, "ship2")["properties"]
                                                           .update(position=[800.0, 360.0]), None),
            "anchored at its left end": (lambda d: member(d, "progressBar")["properties"]
                                         .update(anchorPoint=[0.5, 0.5]), None),
            "burst 3 never stops emitting": (lambda d: tagged(member(d, "effectsLayer")["children"], 3)["properties"]
                                             .update(duration=-1.0), None),
            "must start hidden": (lambda d: member(d, "effectsLayer")["properties"].update(visible=True), None),
            "hiding the caption": (lambda d: menu_of(d)["properties"].update(zOrder=5), None),
            "panel hides the start button": (lambda d: None, blot_the_hole),
            "drawn over the numbers": (lambda d: member(d, "ship1")["properties"].update(zOrder=0), None),
        }
        for expect, (damage, touch) in cases.items():
            with self.subTest(expect):
                doc = game_scene.build("ipad")
                damage(doc)
                found = self.problems(doc, "ipad", touch=touch)
                self.assertTrue(any(expect in p for p in found), f"{expect}: {found}")

    def test_menu_faults_are_caught_in_the_language_they_happen_in(self):
        docs = copy.deepcopy(self.docs)
        it, en = docs["it"], docs["en"]
        phone = it["GameMenu-iphone"]
        phone["Rectangels"][6] = phone["Rectangels"][5] + 20 * 1000                   # two level squares collide
        it["GameMenu"]["Strings"]["Type"]["Types"][3] = "Moltiplicazione con le tabelline"   # too long for its place
        it["GameMenu"]["Strings"]["Start"] = "Cominciamo a giocare"                    # wider than the button
        en["GameMenu"]["StringsPos"]["Team"]["Teams"][2] += 70 * 1000                  # drifts to the next square
        en["GameMenu"]["Strings"]["YouWin"] = "You won the whole game!"                # wider than its panel
        found = "\n".join(self.problems(game_scene.build("ipad"), "ipad", docs)
                          + self.problems(game_scene.build("iphone"), "iphone", docs))
        self.assertIn("it GameMenu-iphone: option squares 5 and 6 overlap", found)
        self.assertIn("it GameMenu: Types[3] 'Moltiplicazione con le tabelline' overlaps", found)
        self.assertIn("it GameMenu: the start caption does not fit on the start button", found)
        self.assertIn("en GameMenu: Teams[2] 'Bees' does not stand beside its own option square 10", found)
        self.assertIn("en GameMenu: YouWin 'You won the whole game!' does not fit on youWin", found)
        self.assertNotIn("en GameMenu: Types", found)

    def test_the_score_firework_is_one_file_that_ends(self):
        manifest = self.manifest
        self.assertEqual(getattr(firework_scene, "DEVICES", None), (None,))
        for duration, expect in ((0.12, []), (-1.0, ["never stops emitting"])):
            doc = firework_scene.build(None)
            doc["nodeGraph"]["properties"]["duration"] = duration
            (self.res / firework_scene.NAME).write_bytes(plistlib.dumps(doc))
            fake_bundle(self.res, doc)
            c = check_content.Checker(self.res, manifest, ["en"], {})
            c.check_scenes()
            mine = [p for p in c.problems if firework_scene.NAME in p]
            self.assertEqual(len(mine), len(expect), mine)
            for e, p in zip(expect, mine):
                self.assertIn(e, p)


if __name__ == "__main__":
    unittest.main()
