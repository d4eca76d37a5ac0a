"""The web page as a child's tablet app: installed, offline, updated between
games, and played by touch on a phone-sized screen, in headless Chromium.

    NM_BUILD_DIR=build NM_WEB_PAGE_DIR=build-web/play python3 -m unittest test_app
"""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402
from service import Service  # noqa: E402
from test_page import MENU_BUTTONS, SEED  # noqa: E402

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
QUERY = f"/play/?seed={SEED}&steps=fixed"
READY = "document.body.dataset.state === 'ready'"
# Where the page keeps a version: its cache's names and the files in it.
CACHES = "caches.keys()"
KEPT = "caches.keys().then(k => caches.open(k[0])).then(c => c.keys()).then(r => r.map(q => q.url.split('/').pop()))"
SCENE = "JSON.parse(Module.ccall('nm_dump_scene', 'string')).children[0].class"


class AppTest(unittest.TestCase):
    def setUp(self):
        self.service = Service()
        self.addCleanup(self.service.close)

    def browser(self, width=1024, height=768, scale=1, mobile=False):
        browser = Browser(width, height, scale, mobile)
        self.addCleanup(browser.close)
        return browser

    def load(self, browser):
        browser.navigate(self.service.url(QUERY))
        browser.wait_for(READY, timeout=120, what="the page to load")

    def play(self, browser):
        """From the start card to the menu, past the logo (a tap skips it)."""
        start = len(browser.console)
        x, y = browser.evaluate("(() => { const r = document.getElementById('play').getBoundingClientRect();"
                                "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        browser.tap(x, y)
        browser.wait_game(1)
        browser.tap(10, 10)
        browser.wait_for_line("music started bg-music.mp3", start=start)
        browser.wait_game(1)

    def set_offline(self, browser, offline):
        browser.send("Network.enable")
        browser.send("Network.emulateNetworkConditions", offline=offline, latency=0, downloadThroughput=-1,
                     uploadThroughput=-1)

    def test_installed_it_plays_offline_and_sends_the_feedback_when_back_on_line(self):
        browser = self.browser()
        self.load(browser)
        self.assertEqual(browser.send("Page.getInstallabilityErrors")["installabilityErrors"], [])
        manifest = browser.send("Page.getAppManifest")
        self.assertEqual(manifest["errors"], [])
        self.assertEqual(manifest["manifest"]["display"], "kFullscreen")
        self.assertTrue(browser.evaluate("navigator.serviceWorker.controller !== null"))
        self.play(browser)
        kept = browser.evaluate(KEPT)
        for name in ("index.html", "number-meadow.wasm", "number-meadow.worker.js", "bundle-tablet-1x.data"):
            self.assertIn(name, kept)
        self.assertNotIn("bundle-phone-1x.data", kept)

        # No network at all: the protocol's emulation, and the service gone.
        self.set_offline(browser, True)
        self.service.stop()
        start = len(browser.console)
        self.load(browser)
        self.play(browser)
        x, y = MENU_BUTTONS["LearnScene"]
        browser.tap(x, 768 - y)
        browser.wait_for(f"{SCENE} === 'LearnScene'", what="the learn book")
        browser.wait_for_line("started number1", start=start)  # the narrator reads the page's number
        # The kit without a connection: a message goes to the outbox...
        browser.tap(56, 768 - 712)
        browser.wait_for(f"{SCENE} === 'IntroScene'", what="the menu")
        browser.wait_game(1)
        browser.tap(52, 52)
        browser.wait_game(0.8)
        browser.tap(511, 291)
        browser.wait_for("document.activeElement.id === 'keyboard'", what="the keyboard element")
        browser.type_text("Offline Olga")
        browser.tap(506, 468)
        browser.type_text("Sent from the train")
        browser.tap(512, 642)
        browser.wait_for("Module.FS.readdir('/nm/Documents').includes('feedback-outbox.plist')", what="the outbox")
        self.assertEqual(self.service.feedback(), [])
        # ...and goes out when the browser is back on line.
        self.service.start()
        self.set_offline(browser, False)
        browser.wait_for("!Module.FS.readdir('/nm/Documents').includes('feedback-outbox.plist')", timeout=30,
                         what="the outbox sent")
        self.assertEqual(self.service.feedback(), [("Offline Olga", "", "Sent from the train")])
        self.assertEqual(browser.errors, [])

    def test_a_new_version_is_taken_at_the_next_start_not_during_a_game(self):
        browser = self.browser()
        self.load(browser)
        first = browser.evaluate(CACHES)
        self.assertEqual(len(first), 1)
        self.play(browser)

        # The service gets a second version of the page: one file changes.
        css = os.path.join(self.service.play, "page.css")
        with open(css) as f:
            text = f.read()
        os.unlink(css)
        os.unlink(css + ".gz")
        with open(css, "w") as f:
            f.write(text + "\n/* the second version */\n")
        subprocess.run([sys.executable, os.path.join(TOOLS, "web_offline.py"), self.service.play], check=True,
                       stdout=subprocess.DEVNULL)

        # The running game finds it (as at its return to the screen) and goes
        # on with the first while the second comes in.
        browser.evaluate("navigator.serviceWorker.getRegistration().then(r => r.update()).then(() => true)")
        browser.wait_for("navigator.serviceWorker.getRegistration().then(r => r.waiting !== null)",
                         what="the second version installed")
        browser.wait_game(2)
        self.assertEqual(len(browser.evaluate(CACHES)), 2)
        self.assertNotIn("second version", browser.evaluate("fetch('page.css').then(a => a.text())"))
        self.assertEqual(browser.evaluate(SCENE), "IntroScene")

        # The next load starts on the second, with the profile's files.
        self.load(browser)
        second = browser.evaluate(CACHES)
        self.assertEqual(len(second), 1)
        self.assertNotEqual(second, first)
        self.assertIn("second version", browser.evaluate("fetch('page.css').then(a => a.text())"))
        self.assertIn("bundle-tablet-1x.data", browser.evaluate(KEPT))
        self.play(browser)
        self.assertEqual(browser.errors, [])

    def test_a_phone_in_the_hand(self):
        # A phone held sideways: touch, 740 by 360 CSS pixels at twice the density.
        browser = self.browser(740, 360, 2, mobile=True)
        self.load(browser)
        self.assertEqual(browser.evaluate("document.body.dataset.profile"), "phone-2x")
        self.play(browser)
        self.assertTrue(browser.evaluate(
            "performance.getEntriesByType('resource').some(e => e.name.endsWith('/bundle-phone-2x.data'))"))
        # Two fingers at once are two touches, each in the phone's points (the
        # picture is 540 by 360 CSS pixels, 100 from the left).
        start = len(browser.console)
        browser.touch("touchStart", [(200, 250), (500, 100)])
        browser.pump(0.1)
        browser.touch("touchEnd", [])
        browser.wait_game(0.5)
        touches = [line for line in browser.console[start:] if line.startswith("x = ")]
        self.assertEqual(len(touches), 2, touches)
        self.assertRegex(touches[0], r"x = 88\.8\d+ +y = 97\.7\d+")
        self.assertRegex(touches[1], r"x = 355\.5\d+ +y = 231\.1\d+")
        # The feedback form's name field brings up the keyboard element,
        # which keeps its text in step with the field's.
        browser.tap(125, 25)
        browser.wait_game(0.8)
        browser.tap(372, 82)
        browser.wait_for("document.activeElement.id === 'keyboard'", what="the keyboard element")
        self.assertEqual(browser.evaluate("document.activeElement.tagName"), "INPUT")
        browser.type_text("Zoë")
        browser.wait_game(0.2)
        self.assertEqual(browser.evaluate("document.activeElement.value"), "Zoë")
        # Held upright, the page asks for the phone to be turned.
        self.assertEqual(browser.evaluate("getComputedStyle(document.getElementById('turn')).display"), "none")
        browser.set_viewport(360, 740, 2, mobile=True)
        browser.pump(0.3)
        self.assertEqual(browser.evaluate("getComputedStyle(document.getElementById('turn')).display"), "flex")
        self.assertEqual(browser.errors, [])


if __name__ == "__main__":
    unittest.main()
