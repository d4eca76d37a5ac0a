#!/usr/bin/python3
"""The publisher's page as a browser shows it: the real service with
hostile feedback in its store, a login as a publisher's browser would make
it, then the page in headless Chromium (Debian's chromium, driven over the
DevTools protocol with python3-websocket). The hostile texts must show as
text and run nothing, and both charts must render.

usage: publisher_page_in_chromium.py PUBLISHER_EXECUTABLE [SCREENSHOT.png]"""
from __future__ import annotations

import hashlib
import http.cookiejar
import plistlib
import re
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "web"))
from devtools import Browser, free_port  # noqa: E402

HOSTILE_NAME = '<img src=x onerror="window.pwned=1">'
HOSTILE_TEXT = '<script>window.pwned=2</script></td></tr></table><b id="injected">bold</b>'


def start_service(program: str, data: Path) -> tuple[subprocess.Popen, int, str]:
    port = free_port()
    service = subprocess.Popen([program, "--port", str(port), "--data-dir", str(data)], stderr=subprocess.PIPE, text=True)
    password = ""
    for line in service.stderr:
        if "shown only now: " in line:
            password = line.split("shown only now: ", 1)[1].strip()
        if "listening on" in line:
            break
    return service, port, password


def send_game_traffic(base: str, resources: Path) -> None:
    token = plistlib.loads((resources / "data1.plist").read_bytes())["analytics-auth-token"]
    auth = hashlib.md5(("NumberMeadow" + token).encode()).hexdigest()
    who = f"auth_token={auth}&appName=NumberMeadow&appVersion=1"
    body = urllib.parse.urlencode({"actions[0][actionType]": "feedback", "actions[0][name]": HOSTILE_NAME,
                                   "actions[0][email]": "parent@example.org", "actions[0][text]": HOSTILE_TEXT})
    urllib.request.urlopen(urllib.request.Request(f"{base}/api/qz_app_api.php?{who}", data=body.encode()))
    for target in ("LetterGarden", "ShapeParade", "LetterGarden"):
        urllib.request.urlopen(f"{base}/?{who}&actions[0][actionType]=clickApp&actions[0][targetAppName]={target}"
                               "&actions[1][actionType]=showApp")


def log_in(base: str, password: str) -> str:
    """The session cookie a publisher's browser gets."""
    jar = http.cookiejar.CookieJar()
    opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(jar))
    form = opener.open(f"{base}/publisher/login").read().decode()
    csrf = re.search(r'name="csrf" value="([^"]+)"', form)[1]
    opener.open(f"{base}/publisher/login", data=urllib.parse.urlencode({"csrf": csrf, "password": password}).encode())
    return next(c.value for c in jar if c.name == "nm_session")


def main() -> int:
    program = sys.argv[1]
    resources = Path(sys.argv[2])
    screenshot = sys.argv[3] if len(sys.argv) > 3 else ""
    failures = []

    def check(ok: bool, what: str) -> None:
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as tmp:
        service, port, password = start_service(program, Path(tmp) / "data")
        browser = None
        try:
            base = f"http://127.0.0.1:{port}"
            check(bool(password), "the service printed no password")
            send_game_traffic(base, resources)
            session = log_in(base, password)
            browser = Browser(1200, 1400, touch=False)
            browser.send("Network.enable")
            browser.send("Network.setCookie", name="nm_session", value=session, url=base + "/publisher/",
                         httpOnly=True, sameSite="Strict")
            browser.send("Page.navigate", url=base + "/publisher/")
            deadline = time.time() + 20
            while browser.evaluate("document.readyState") != "complete" or not browser.evaluate(
                    "Array.from(document.images).every(i => i.complete)"):
                if time.time() > deadline:
                    break
                time.sleep(0.2)
            check(browser.evaluate("location.pathname") == "/publisher/", "the session did not open the page")
            check(browser.evaluate("typeof window.pwned") == "undefined", "a hostile message ran a script")
            check(browser.evaluate("document.querySelectorAll('script').length") == 0, "the page holds a script")
            check(browser.evaluate("document.getElementById('injected')") is None, "a hostile message made markup")
            cells = browser.evaluate("Array.from(document.querySelectorAll('td')).map(td => td.textContent)") or []
            check(HOSTILE_NAME in cells, "the hostile name is not shown as text")
            check(HOSTILE_TEXT in cells, "the hostile message is not shown as text")
            charts = browser.evaluate(
                "Array.from(document.images).filter(i => i.src.includes('/publisher/charts/'))"
                ".map(i => [i.src, i.complete, i.naturalWidth, i.naturalHeight])") or []
            check(len(charts) == 2, f"two charts expected, found {charts}")
            for src, complete, width, height in charts:
                check(complete and width > 100 and height > 100, f"the chart {src} did not render ({width} x {height})")
            if screenshot:
                shot = browser.send("Page.captureScreenshot", format="png", captureBeyondViewport=True)
                import base64
                Path(screenshot).write_bytes(base64.b64decode(shot["data"]))
        finally:
            if browser:
                browser.close()
            service.terminate()
            service.wait(10)
    for failure in failures:
        print("FAILED:", failure)
    print("publisher page in Chromium:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
