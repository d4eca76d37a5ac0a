"""Headless Chromium driven through its DevTools protocol: just what the web
page's tests need (a page, its console, script evaluation, touches and
screenshots), over Debian's chromium and python3-websocket."""
import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.request

import websocket

CHROMIUM = os.environ.get("NM_CHROMIUM", "/usr/bin/chromium")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Browser:
    """One headless Chromium with one page, closed by close()."""

    def __init__(self, width=1024, height=768, scale=1, mobile=False, touch=True, switches=()):
        self.profile = tempfile.mkdtemp(prefix="nm-chromium-")
        port = free_port()
        # Without the background-networking switches Chromium keeps calling
        # hosts this closed network refuses.
        self.process = subprocess.Popen(
            [CHROMIUM, "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
             f"--remote-debugging-port={port}", f"--user-data-dir={self.profile}", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-quic", "--autoplay-policy=no-user-gesture-required", f"--window-size={width},{height}",
             *switches, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        targets = None
        for _ in range(200):
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=2) as answer:
                    targets = [t for t in json.load(answer) if t.get("type") == "page"]
                if targets:
                    break
            except OSError:
                pass
            time.sleep(0.1)
        if not targets:
            self.close()
            raise RuntimeError("chromium did not start")
        self.socket = websocket.create_connection(targets[0]["webSocketDebuggerUrl"], timeout=60,
                                                  suppress_origin=True)
        self.next_id = 0
        self.console = []     # every console line of the page, in order
        self.errors = []      # console errors and uncaught exceptions
        self.send("Runtime.enable")
        self.send("Page.enable")
        self.send("Log.enable")
        self.set_viewport(width, height, scale, mobile)
        if touch:
            self.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def set_viewport(self, width, height, scale=1, mobile=False):
        self.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=scale,
                  mobile=mobile)

    def _event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", []))
            self.console.append(text)
            if params.get("type") == "error":
                self.errors.append(text)
        elif method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            self.errors.append(details.get("exception", {}).get("description", details.get("text", "")))
        elif method == "Log.entryAdded":
            entry = params.get("entry", {})
            # The browser's notes on how it treated the page (an uncancelable
            # touch in full screen, say) are not the page's errors.
            if entry.get("level") == "error" and entry.get("source") != "intervention":
                self.errors.append(entry.get("text", ""))

    def send(self, method, **params):
        self.next_id += 1
        mine = self.next_id
        self.socket.send(json.dumps({"id": mine, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == mine:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self._event(message)

    def pump(self, seconds):
        """Takes the page's events for a while."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.socket.settimeout(max(0.01, end - time.monotonic()))
            try:
                self._event(json.loads(self.socket.recv()))
            except websocket.WebSocketTimeoutException:
                pass
        self.socket.settimeout(60)

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result.get("result", {}).get("value")

    def wait_for(self, expression, timeout=60, what=None):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                value = self.evaluate(expression)
            except RuntimeError:  # not yet: the page is still loading, say
                value = None
            if value:
                return value
            self.pump(0.1)
        raise AssertionError(f"timed out waiting for {what or expression}; the page's last lines:\n" +
                             "\n".join(self.console[-15:]))

    def wait_for_line(self, fragment, timeout=60, start=0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for line in self.console[start:]:
                if fragment in line:
                    return line
            self.pump(0.1)
        raise AssertionError(f"timed out waiting for a console line with {fragment!r}")

    def frames(self):
        return self.evaluate("Module.ccall('nm_frame_count', 'number')")

    def wait_game(self, seconds):
        """Lets `seconds` of the game's time pass: frames, at 60 a second (a
        page run with fixed steps, whatever the machine's speed)."""
        target = self.frames() + round(seconds * 60)
        self.wait_for(f"Module.ccall('nm_frame_count', 'number') >= {target}", what=f"{seconds} s of frames")

    def navigate(self, url):
        self.send("Page.navigate", url=url)

    def touch(self, kind, points):
        self.send("Input.dispatchTouchEvent", type=kind,
                  touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def tap(self, x, y, hold=0.05):
        self.touch("touchStart", [(x, y)])
        self.pump(hold)
        self.touch("touchEnd", [])

    KEYS = {"Tab": ("Tab", 9, ""), "Enter": ("Enter", 13, "\r"), "Backspace": ("Backspace", 8, "")}

    def key(self, name):
        """One press of Tab, Enter or Backspace (Enter types a new line where
        a text element takes one, as a keyboard's does)."""
        code, keycode, text = self.KEYS[name]
        for kind in ("keyDown" if text else "rawKeyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", type=kind, key=name, code=code, windowsVirtualKeyCode=keycode,
                      nativeVirtualKeyCode=keycode, **({"text": text} if text and kind == "keyDown" else {}))

    def type_text(self, text):
        """Types text as a keyboard does: a key press a character."""
        for ch in text:
            self.send("Input.dispatchKeyEvent", type="keyDown", key=ch, text=ch, unmodifiedText=ch)
            self.send("Input.dispatchKeyEvent", type="keyUp", key=ch)

    def read_file(self, path):
        """A file of the game's own file system (a script's screenshot or dump)."""
        data = self.evaluate(f"(() => {{ const b = Module.FS.readFile({json.dumps(path)}); let s = '';"
                             "for (let i = 0; i < b.length; i += 32768) s += String.fromCharCode.apply(null, b.subarray(i, i + 32768));"
                             "return btoa(s); })()")
        return base64.b64decode(data)

    def screenshot(self):
        return base64.b64decode(self.send("Page.captureScreenshot", format="png")["data"])

    def close(self):
        try:
            self.socket.close()
        except Exception:
            pass
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)
