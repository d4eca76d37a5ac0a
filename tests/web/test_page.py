"""The game's web page in headless Chromium, served by the publisher service,
against the desktop build's game on the same scripts.

    NM_BUILD_DIR=build NM_WEB_PAGE_DIR=build-web/play python3 -m unittest test_page

Touches are the browser's own (the DevTools protocol's touch input); the
game's log lines come from the page's console.
"""
import io
import json
import math
import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402
from service import BUILD, Service  # noqa: E402

from PIL import Image, ImageChops  # noqa: E402

SEED = "3"
SKIP_LOGO = "wait 0.1\ntap 2 2\nwait 1.1\n"
# The menu's activity buttons, in the scripts' points (origin bottom-left), on
# the tablet.
MENU_BUTTONS = {"LearnScene": (128, 92), "DrawScene": (330, 92), "CountScene": (694, 92), "GameScene": (896, 92)}


def desktop_run(service, script, device="tablet", scale=1, lang="en"):
    """The desktop game, headless, on the same script and seed: its dumps and
    screenshots land in a folder of its own."""
    out = tempfile.mkdtemp(prefix="nm-desktop-")
    text = script.replace("@/", out + "/")
    with open(os.path.join(out, "script.txt"), "w") as f:
        f.write(text)
    host = f"127.0.0.1:{service.port}"
    done = subprocess.run(
        [os.path.join(BUILD, "bin", "number-meadow"), "--headless", "--seed", SEED, "--device", device,
         "--scale", str(scale), "--lang", lang, "--data-dir", os.path.join(out, "data"),
         "--api-host", host, "--analytics-host", host, "--script", os.path.join(out, "script.txt")],
        capture_output=True, text=True, timeout=300,
        env=dict(os.environ, SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null"))
    assert done.returncode == 0, done.stderr
    return out


def find(node, want, origin=(0.0, 0.0)):
    """Where the first node `want` takes stands in the scene, adding up the
    positions above it (layers and menus are placed by their origin)."""
    here = (origin[0] + node["position"][0], origin[1] + node["position"][1])
    if want(node):
        return here
    for child in node.get("children", []):
        found = find(child, want, here)
        if found:
            return found
    return None


def trace_script(number, origin=(512, 384), step=16):
    """Every stroke of a number on the tablet, as a finger follows it: down on
    its first way point, a move a frame, up on its last."""
    with open(os.path.join(BUILD, "Resources", "letters_data.plist"), "rb") as f:
        strokes = plistlib.load(f)[number - 1]
    lines = []
    for stroke in strokes:
        px, py = stroke[0]["x"] + origin[0], stroke[0]["y"] + origin[1]
        lines += [f"down {px:.2f} {py:.2f}", "wait 0.02"]
        for p in stroke:
            x, y = p["x"] + origin[0], p["y"] + origin[1]
            steps = max(1, math.ceil(math.hypot(x - px, y - py) / step))
            for k in range(1, steps + 1):
                lines += [f"move {px + (x - px) * k / steps:.2f} {py + (y - py) * k / steps:.2f}", "wait 0.02"]
            px, py = x, y
        lines += [f"up {px:.2f} {py:.2f}", "wait 1.2"]
    return "\n".join(lines) + "\n"


def tree_shape(node):
    """What must agree between the two builds: classes, tags and positions."""
    position = [round(v, 1) for v in node.get("position", [])]
    return {"class": node.get("class"), "tag": node.get("tag"), "position": position,
            "children": [tree_shape(c) for c in node.get("children", [])]}


def differing_pixels(a, b, threshold):
    """The share of pixels whose largest channel difference exceeds threshold."""
    a = Image.open(io.BytesIO(a) if isinstance(a, bytes) else a).convert("RGB")
    b = Image.open(io.BytesIO(b) if isinstance(b, bytes) else b).convert("RGB")
    assert a.size == b.size, (a.size, b.size)
    diff = ImageChops.difference(a, b).split()
    worst = ImageChops.lighter(ImageChops.lighter(diff[0], diff[1]), diff[2])
    histogram = worst.histogram()
    return sum(histogram[threshold + 1:]) / (a.size[0] * a.size[1])


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = Service()

    @classmethod
    def tearDownClass(cls):
        cls.service.close()

    def setUp(self):
        self.browsers = []

    def tearDown(self):
        for b in self.browsers:
            b.close()

    def open_page(self, query, width=1024, height=768, scale=1):
        browser = Browser(width, height, scale)
        self.browsers.append(browser)
        browser.navigate(self.service.url("/play/?" + query))
        browser.wait_for("document.body.dataset.state === 'ready'", timeout=120, what="the page to load")
        return browser

    def press_play(self, browser):
        x, y = browser.evaluate("(() => { const r = document.getElementById('play').getBoundingClientRect();"
                                "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        browser.tap(x, y)
        browser.wait_for("document.body.dataset.state !== 'ready'", what="the start card to go")

    def reach_menu(self, browser):
        """Past the start card and the logo (a tap skips it), until the menu
        takes touches."""
        self.press_play(browser)
        browser.wait_game(1)
        browser.tap(10, 10)
        browser.wait_for_line("music started bg-music.mp3")
        browser.wait_game(1)

    def play_script(self, name, script, device="tablet", scale=1, width=1024, height=768, lang="en"):
        """The same script on the page (fixed steps, as the desktop's headless
        runs) and on the desktop; returns the browser and the desktop's folder."""
        self.service.add_script(name, script.replace("@/", "/"))
        browser = self.open_page(f"device={device}&scale={scale}&lang={lang}&seed={SEED}&steps=fixed&script={name}",
                                 width // scale, height // scale, scale)
        self.press_play(browser)
        browser.wait_for("document.body.dataset.state === 'ended:0'", timeout=240, what="the script to end")
        desktop = desktop_run(self.service, script, device, scale, lang)
        self.addCleanup(shutil.rmtree, desktop, True)
        return browser, desktop

    def test_menu_and_activities_match_the_desktop_build(self):
        # Each scene a little after it opened: its tree and its picture.
        script = SKIP_LOGO + "wait 5\ndump @/menu.json\nscreenshot @/menu.png\n"
        for scene, (x, y) in MENU_BUTTONS.items():
            script += f"tap {x} {y}\nwait 2\ndump @/{scene}.json\nscreenshot @/{scene}.png\ntap 56 712\nwait 1\n"
        script += "quit\n"
        browser, desktop = self.play_script("tour.txt", script)
        self.assertEqual(browser.errors, [])
        for name in ["menu"] + list(MENU_BUTTONS):
            with self.subTest(scene=name):
                page_tree = json.loads(browser.read_file(f"/{name}.json"))
                with open(os.path.join(desktop, f"{name}.json")) as f:
                    desktop_tree = json.load(f)
                self.assertEqual(tree_shape(page_tree), tree_shape(desktop_tree))
                # WebGL on SwiftShader and Mesa's llvmpipe round a little
                # differently at the edges of scaled pictures: measured, at most
                # 0.08 % of a scene's pixels differ by more than 2 levels, and
                # 0.002 % by more than 24. A picture, node or position out of
                # place changes thousands of pixels by far more.
                share = differing_pixels(browser.read_file(f"/{name}.png"), os.path.join(desktop, f"{name}.png"), 16)
                self.assertLess(share, 0.001, f"{name}: {share:.3%} of pixels differ")

    def test_a_count_answered_a_one_traced_and_a_sum_answered(self):
        # The desktop game shows what this seed asks at each step; the page,
        # on the same seed and frames, answers it right.
        script = SKIP_LOGO + "tap 694 92\nwait 1.5\n"
        layer = self.desktop_dump(script)["children"][0]
        animals = sum(1 for child in layer["children"] for a in child.get("children", [])
                      if (a.get("texture") or "").startswith("animal"))
        right = next(c for c in layer["children"]
                     if c["class"] == "CCLabelTTF" and c.get("z") == 100 and c["tag"] == animals)
        script += "tap {} {}\nwait 3\ntap 56 712\nwait 1\ntap 330 92\nwait 1.8\n".format(*right["position"])
        script += trace_script(1) + "wait 3.5\ntap 56 712\nwait 1\ntap 896 92\nwait 0.5\n"
        start = find(self.desktop_dump(script)["children"][0],
                     lambda n: n["class"] == "CCMenuItemImage" and n["tag"] == 1)
        script += "tap {} {}\nwait 1.2\n".format(*start)
        layer = self.desktop_dump(script)["children"][0]
        right = next(c for c in layer["children"] if c["class"] == "CCLabelTTF" and c.get("z") == 10 and c["tag"] == 1)
        script += "tap {} {}\nwait 2\nquit\n".format(*right["position"])
        self.service.add_script("answers.txt", script)
        browser = self.open_page(f"device=tablet&scale=1&seed={SEED}&steps=fixed&script=answers.txt")
        self.press_play(browser)
        browser.wait_for("document.body.dataset.state === 'ended:0'", timeout=240, what="the script to end")
        heard = "\n".join(browser.console)
        self.assertIn("started count-", heard)
        self.assertEqual(heard.count("started soundrightansweraaa.mp3"), 2)  # the count and the sum right
        self.assertIn("started soundrightanswer.mp3", heard)                # the 1 traced
        self.assertIn("started trace2.m4a", heard)                          # and the book turned to 2
        self.assertNotIn("started soundwronganswer.mp3", heard)
        self.assertEqual(browser.errors, [])

    def desktop_dump(self, script):
        """The scene the desktop game shows at the end of script."""
        out = desktop_run(self.service, script + "dump @/end.json\nquit\n")
        self.addCleanup(shutil.rmtree, out, True)
        with open(os.path.join(out, "end.json")) as f:
            return json.load(f)

    def test_activities_open_by_touch_and_take_answers(self):
        browser = self.open_page(f"device=tablet&scale=1&seed={SEED}&steps=fixed")
        self.reach_menu(browser)
        for scene, (x, y) in MENU_BUTTONS.items():
            with self.subTest(scene=scene):
                browser.tap(x, 768 - y)
                browser.wait_for(f"JSON.parse(Module.ccall('nm_dump_scene', 'string'))"
                                 f".children[0].class === '{scene}'", what=scene)
                browser.wait_game(1.5)
                browser.tap(56, 768 - 712)  # back
                browser.wait_for("JSON.parse(Module.ccall('nm_dump_scene', 'string'))"
                                 ".children[0].class === 'IntroScene'", what="the menu again")
                browser.wait_game(1)
        self.assertEqual(browser.errors, [])

    def test_the_shelf_and_a_message_typed_on_the_keyboard(self):
        browser = self.open_page(f"device=tablet&scale=1&seed={SEED}&steps=fixed")
        self.reach_menu(browser)
        browser.tap(512, 758)  # the shelf's tab
        end = time.monotonic() + 30
        while self.service.requests("GET /files/icon-") < 7 and time.monotonic() < end:
            browser.pump(0.2)
        self.assertEqual(self.service.requests("GET /files/icon-"), 7)
        browser.tap(512, 144)  # closes the shelf
        browser.wait_game(0.5)
        # The envelope, then the form's name, e-mail and message, each tapped
        # and typed on the browser's keyboard (Enter among the keys).
        browser.tap(52, 52)
        browser.wait_game(0.8)
        browser.tap(511, 291)
        browser.type_text("Anna Perché")
        browser.tap(511, 331)
        browser.type_text("a&b=c+d")
        browser.tap(506, 468)
        browser.type_text("Ciao! Привет, ёжик.")
        browser.key("Enter")
        browser.type_text("100%")
        browser.wait_game(0.3)
        browser.tap(512, 642)  # send
        end = time.monotonic() + 20
        while not self.service.feedback() and time.monotonic() < end:
            browser.pump(0.2)
        self.assertEqual(self.service.feedback(), [("Anna Perché", "a&b=c+d", "Ciao! Привет, ёжик.\n100%")])
        self.assertEqual(browser.errors, [])

    def test_preferences_survive_a_reload(self):
        browser = self.open_page(f"device=tablet&scale=1&seed={SEED}&steps=fixed")
        self.reach_menu(browser)
        x, y = MENU_BUTTONS["CountScene"]
        browser.tap(x, 768 - y)
        browser.wait_for("JSON.parse(Module.ccall('nm_dump_scene', 'string')).children[0].class === 'CountScene'")
        browser.wait_game(1)
        # The count scene's music button, top right, turns the music off: a preference.
        browser.tap(968, 56)
        browser.wait_for("Module.FS.readdir('/nm').some(f => f.endsWith('.plist') &&"
                         " new TextDecoder().decode(Module.FS.readFile('/nm/' + f)).includes('<false/>'))",
                         what="the preference written")
        browser.pump(1)  # the write-back to the browser's storage, which the page does at once
        browser.navigate(self.service.url(f"/play/?device=tablet&scale=1&seed={SEED}"))
        browser.wait_for("document.body.dataset.state === 'ready'", timeout=120)
        preferences = browser.evaluate(
            "(() => { const f = Module.FS.readdir('/nm').find(f => f.endsWith('.plist'));"
            "return f ? new TextDecoder().decode(Module.FS.readFile('/nm/' + f)) : ''; })()")
        self.assertIn("<key>music</key>", preferences)
        self.assertRegex(preferences, r"<key>music</key>\s*<false/>")


if __name__ == "__main__":
    unittest.main()
