"""Languages against the content check: every shipped language's captions
fit their boards on both devices; a caption too long for its board, a letter
the fonts cannot draw, and a text or voice line that one language lacks are
caught; the report counts each language's texts and voice lines."""
from __future__ import annotations

import copy
import plistlib
import tomllib
import unittest

from . import helpers  # sets the import paths, copies fonts

import check_content
import count_scene
import learn_scene
import menu_scene

from .test_scene_check import fake_bundle



class CaptionTest(helpers.FontBundleCase):
    SCENES = (menu_scene, learn_scene, count_scene)

    @classmethod
    def setUpClass(cls):
        from nm import bundle
        cls.manifest = tomllib.loads((helpers.CONTENT / "manifest.toml").read_text())
        cls.langs = bundle.languages()
        cls.docs = {lang: bundle.document(lang) for lang in cls.langs}

    def problems(self, scene, device, docs) -> str:
        doc = scene.build(device)
        fake_bundle(self.res, doc)
        c = check_content.Checker(self.res, self.manifest, self.langs, {})
        c.docs = docs
        c.scene(check_content.with_device(scene.NAME, device), doc, self.manifest["scenes"][scene.NAME], device)
        return "\n".join(c.problems)

    def test_every_shipped_language_fits_its_boards_on_both_devices(self):
        self.assertGreaterEqual(len(self.langs), 3)
        for scene in self.SCENES:
            for device in ("ipad", "iphone"):
                with self.subTest(scene=scene.NAME, device=device):
                    self.assertEqual(self.problems(scene, device, self.docs), "")

    def test_captions_too_long_for_their_boards_are_caught(self):
        docs = copy.deepcopy(self.docs)
        ru = docs["ru"]
        ru["MainMenuStrings"][2] = "Посчитаем-ка"
        ru["LearnSceneStrings"][4] = "Четыре рыжих котёнка"   # a sign too narrow
        ru["CountAnimal"]["Strings"][0] = "Сколько тут зелёных лягушек?"
        for device in ("ipad", "iphone"):
            with self.subTest(device=device):
                found = {scene: self.problems(scene, device, docs) for scene in self.SCENES}
                self.assertIn("ru MainMenuStrings[2] 'Посчитаем-ка'", found[menu_scene])
                self.assertIn("does not fit on main-menu-button-count", found[menu_scene])
                self.assertIn("ru LearnSceneStrings[4] 'Четыре рыжих котёнка'", found[learn_scene])
                self.assertIn("ru CountAnimal/Strings[0]", found[count_scene])
                # Only those: the other languages and texts still fit.
                self.assertEqual(sum(text.count("does not fit") for text in found.values()), 3)

    def test_italian_captions_fit_only_at_their_smaller_size(self):
        # The menu draws Italian smaller; the check measures it so.
        manifest = copy.deepcopy(self.manifest)
        for device in ("ipad", "iphone"):
            manifest["scenes"][menu_scene.NAME][device]["captions"][0]["sizes"] = {}
        self.manifest, saved = manifest, self.manifest
        try:
            docs = copy.deepcopy(self.docs)
            docs["it"]["MainMenuStrings"][1] = "Disegniamo"
            self.assertIn("it MainMenuStrings[1] 'Disegniamo' at size 31", self.problems(menu_scene, "ipad", docs))
        finally:
            self.manifest = saved
        self.assertEqual(self.problems(menu_scene, "ipad", docs), "")


class LanguageReportTest(helpers.FontBundleCase):
    """A small bundle in three languages, one of them short of a text, a
    voice line and a glyph."""

    MANIFEST = {
        "files": {"localized": ["data1.plist", "Localizable.strings"], "strings": ["Error"]},
        "fonts": {"names": ["P22UndergroundCYPro-Book", "DR Agu"]},
        "document": {"MainMenuStrings": {"type": "array", "of": "text"}},
    }
    LINES = {"number1": {"en": "One!", "it": "Uno!", "ru": "Один!"}, "good.mp3": {"en": "Good!", "it": "Bravo!"}}

    def setUp(self):
        super().setUp()
        texts = {"en": (["Learn", "Draw"], "Error"), "it": (["Impara", "Disegna"], "Errore"),
                 "ru": (["Учим ☃"], "Ошибка")}
        for lang, (menu, error) in texts.items():
            folder = self.res if lang == "en" else self.res / f"{lang}.lproj"
            folder.mkdir(exist_ok=True)
            (folder / "data1.plist").write_bytes(plistlib.dumps({"MainMenuStrings": menu}))
            (folder / "Localizable.strings").write_text(f'"Error" = "{error}";\n', encoding="utf-8")
            (folder / "number1.m4a").write_bytes(b"\0\0\0\x18ftypM4A ")
            if lang != "ru":
                (folder / "good.mp3").write_bytes(b"ID3")

    def test_the_report_counts_each_language_and_names_its_gaps(self):
        c = check_content.Checker(self.res, self.MANIFEST, ["en", "it", "ru"], self.LINES)
        found = "\n".join(c.run())
        self.assertEqual(c.report(), [
            "en: 3 texts, 2 voice lines",
            "it: 3 texts, 2 voice lines",
            "ru: 2 texts, 1 voice lines; lacks MainMenuStrings[1], voice good.mp3",
        ])
        self.assertIn("voice line good.mp3 has no ru text", found)
        # Every font the game may ask for must draw every letter; the snowman is in none.
        self.assertIn("ru: font 'P22UndergroundCYPro-Book' (fonts/Andika-Regular.ttf) has no glyph for '☃'", found)
        self.assertIn("ru: font 'DR Agu' (fonts/Comfortaa-Bold.ttf) has no glyph for '☃'", found)
        self.assertNotIn("'У", found)
        self.assertNotIn("en: font", found)


if __name__ == "__main__":
    unittest.main()
