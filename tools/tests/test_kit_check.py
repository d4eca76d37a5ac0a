"""The publisher's kit's content against the check: the app shelf's pictures
and the feedback form as shipped pass on both devices, in every language
their texts come in (Russian too, before it ships), and the faults the
check exists for are caught: a shelf top that lets buttons show where taps
are ignored, a plate that hides a row's last name below the screen, icons
too big for their buttons, a name or title too long, a tab on a menu
button or under the banner's, a control over a button, a label that
cannot be read, a card off whole points, a held icon leaving its button, a
closed card or an opener that would swallow the menu's touches."""
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

import banner_scene
import check_content
import check_kit
import feedback_scene
import kit_layout
import menu_scene
from PIL import Image

from .test_scene_check import fake_bundle

FORM_PICTURES = ["feedback-card.png", "feedback-send.png", "feedback-close.png", "feedback-facebook.png",
                 "feedback-twitter.png", "feedback-facebook-icon.png", "feedback-twitter-icon.png"]


@functools.cache
def drawn(scratch: str) -> dict:
    """The kit's real pictures, rendered once: {bundle name: path}."""
    from nm.art import entries, outputs, render, svg_text
    from nm.common import scaled_name
    out = {}
    for e in entries():
        if not (e.get("shelf") or e["name"] in FORM_PICTURES + ["feedback-dot.png"]):
            continue
        for dev, name in outputs(e):
            svg, (w, h) = svg_text(e, dev)
            for scale in (1, 2):
                path = Path(scratch) / scaled_name(name, scale)
                render(svg, w * scale, h * scale, path, Path(scratch))
                out[path.name] = path
    return out


class KitCheckTest(helpers.FontBundleCase):
    @classmethod
    def setUpClass(cls):
        cls.art = tempfile.TemporaryDirectory()
        cls.pictures = drawn(cls.art.name)
        cls.manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        from nm import bundle
        cls.docs = {lang: bundle.document(lang) for lang in bundle.languages()}

    @classmethod
    def tearDownClass(cls):
        cls.art.cleanup()

    def setUp(self):
        super().setUp()
        (self.res / "Info.plist").write_bytes(plistlib.dumps({"CFBundleName": "NumberMeadow"}))
        for name, path in self.pictures.items():
            shutil.copy(path, self.res / name)
        for dev in ("ipad", "iphone"):
            menu = menu_scene.build(dev)
            fake_bundle(self.res, menu)
            (self.res / f"main-menu~{dev}.ccb").write_bytes(plistlib.dumps(menu))
            (self.res / banner_scene.file_name(dev)).write_bytes(plistlib.dumps(banner_scene.build(dev)))
            tab = f"advert-tab-placeholder~{dev}.png"
            Image.new("RGBA", kit_layout.TAB[dev]).save(self.res / tab)

    def checker(self, manifest=None) -> check_content.Checker:
        c = check_content.Checker(self.res, manifest or self.manifest, list(self.docs), {})
        c.docs = self.docs
        return c

    def form_problems(self, doc, device, manifest=None) -> list[str]:
        c = self.checker(manifest)
        req = (manifest or self.manifest)["scenes"][feedback_scene.NAME]
        c.scene(f"feedback-form~{device}.ccb", doc, req, device)
        return c.problems

    def shelf_problems(self, manifest=None) -> list[str]:
        c = self.checker(manifest)
        check_kit.shelf(c, check_content.DEVICES)
        return c.problems

    def blank(self, name: str, size: tuple[int, int]) -> None:
        """A shelf picture of another size (both scales)."""
        Image.new("RGBA", size).save(self.res / name)
        Image.new("RGBA", (size[0] * 2, size[1] * 2)).save(self.res / check_content.hd(name))

    def test_the_shipped_kit_passes_on_both_devices_in_every_language(self):
        self.assertEqual(self.shelf_problems(), [])
        for device in ("ipad", "iphone"):
            with self.subTest(device=device):
                self.assertEqual(self.form_problems(feedback_scene.build(device), device), [])

    def test_shelf_faults_are_caught(self):
        cases = {
            # The open view starts above the tablet's tap limit.
            "taps that begin at 536 or more never open an application":
                lambda m: self.blank("shelf-top-landscape-ipad.png", (1024, 60)),
            # Taller plates push the last row's name below the screen at the furthest scroll.
            "button 6's plate never scrolls wholly into view":
                lambda m: [self.blank(n, s) for n, s in (("plate.png", (136, 44)), ("shelf-landscape.png", (480, 104)),
                                                          ("shadow.png", (140, 104)), ("button.png", (140, 104)),
                                                          ("button-highlight.png", (140, 104)))],
            "button 0's icon reaches out of its touch area": lambda m: m["catalogue"]["iphone"].update(icon=[60, 90]),
            "does not fit its plate": lambda m: self.blank("plate-ipad.png", (90, 56)),
            "the closed tab": lambda m: (self.blank("shelf-button-closed.png", (120, 36)),
                                         self.blank("shelf-button-opened.png", (120, 36))),
            "pictures standing in one place differ in size": lambda m: self.blank("button-ipad.png", (220, 150)),
            "runs into the advert banner's tab": lambda m: (self.blank("shelf-button-closed.png", (66, 40)),
                                                            self.blank("shelf-button-opened.png", (66, 40))),
        }
        for expect, damage in cases.items():
            with self.subTest(expect):
                for name, path in self.pictures.items():
                    shutil.copy(path, self.res / name)
                manifest = copy.deepcopy(self.manifest)
                damage(manifest)
                found = self.shelf_problems(manifest)
                self.assertTrue(any(expect in p for p in found), f"{expect}: {found}")

    def test_form_faults_are_caught(self):
        def member(d, name):
            return next(n for n, _ in check_content.Checker.nodes(d["nodeGraph"], "root")
                        if n["properties"].get("memberVarAssignmentName") == name)

        def move(name, at):
            return lambda d, m: member(d, name)["properties"].update(position=at)

        def form(m):
            return m["scenes"][feedback_scene.NAME]

        cases = {
            "the text_view control lies over buttonSend": move("buttonSend", [346.0, 200.0]),
            "is not on whole points": move("formFeedback", [512.5, 384.0]),
            "the closed card": move("formFeedback", [300.0, 300.0]),
            "lies on a main menu button": move("buttonInfo", [52.0, 716.0]),
            "buttonFacebookIcon leaves buttonFacebook when held": lambda d, m: form(m)["ipad"].update(press=60),
            "Name 'Name' is hard to read on the card": lambda d, m: form(m)["form"]["white"].update(Name=True),
            "Email 'E-mail' does not stand left of its field_email control":
                lambda d, m: form(m)["ipad"]["places"].update(Email=[180, 377]),
        }
        for expect, damage in cases.items():
            with self.subTest(expect):
                doc = feedback_scene.build("ipad")
                manifest = copy.deepcopy(self.manifest)
                damage(doc, manifest)
                found = self.form_problems(doc, "ipad", manifest)
                self.assertTrue(any(expect in p for p in found), f"{expect}: {found}")

    def test_texts_are_measured_in_the_language_they_come_in(self):
        docs = copy.deepcopy(self.docs)
        docs["ru"]["FeedbackStrings"]["WriteToUs"] = "Напишите нам письмо о нашей игре"
        self.docs, saved = docs, self.docs
        try:
            found = "\n".join(self.form_problems(feedback_scene.build("iphone"), "iphone"))
        finally:
            self.docs = saved
        self.assertIn("(ru): WriteToUs 'Напишите нам письмо о нашей игре'", found)
        self.assertNotIn("(en)", found)


if __name__ == "__main__":
    unittest.main()
