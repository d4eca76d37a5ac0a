#!/usr/bin/python3
"""The web page measured in headless Chromium, beside the desktop build:

    NM_BUILD_DIR=build NM_WEB_PAGE_DIR=build-web/play bench/web_page.py [--json FILE]

- download: what each profile's first visit fetches, as served (gzip where
  the service has it), against the goals (tablet at scale 2 at most 12 MB,
  phone at scale 1 at most 6 MB);
- start: from navigation to the page ready to play, and from the tap on the
  start card to the game's first frame, on a warm cache (the second visit);
- frames: each scene on the page (animation frames not held to the display's
  rate) against the desktop build under llvmpipe from bench_scenes, on the
  same machine, goal at most 1.5 times: the game's own time on the main
  thread a frame (its code and its GL calls; the desktop's "cpu"), and the
  whole frame, whose drawing here is SwiftShader's in Chromium's GPU process
  against llvmpipe's in the desktop game's own;
- memory: the page's WebAssembly memory and JavaScript heap in the menu.
Exits non-zero when a measurement cannot be made.
"""
import json
import os
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from devtools import Browser  # noqa: E402
from service import BUILD, PAGE, Service  # noqa: E402

PROFILES = ["tablet-1x", "tablet-2x", "phone-1x", "phone-2x"]
GOALS_MB = {"tablet-2x": 12, "phone-1x": 6}
COMMON = ["index.html", "page.js", "page.css", "icon.png", "languages.json", "number-meadow.js",
          "number-meadow.wasm", "number-meadow.worker.js"]
SCENES = {"IntroScene": None, "LearnScene": (128, 92), "DrawScene": (330, 92), "CountScene": (694, 92),
          "GameScene": (896, 92)}
# bench_scenes' name of each scene.
DESKTOP_NAMES = {"IntroScene": "menu", "LearnScene": "learn", "DrawScene": "draw", "CountScene": "count",
                 "GameScene": "game"}


def served_bytes(service, name):
    request = urllib.request.Request(service.url("/play/" + name), headers={"Accept-Encoding": "gzip"})
    with urllib.request.urlopen(request) as answer:
        return len(answer.read())


def downloads(service):
    sizes = {}
    for profile in PROFILES:
        names = COMMON + [f"bundle-{profile}.js", f"bundle-{profile}.data"]
        sizes[profile] = sum(served_bytes(service, n) for n in names) / 1e6
    return sizes


def press_play(browser):
    x, y = browser.evaluate("(() => { const r = document.getElementById('play').getBoundingClientRect();"
                            "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    browser.tap(x, y)


def start_times(service):
    browser = Browser(1024, 768, 1)
    try:
        url = service.url("/play/?device=tablet&scale=1")
        browser.navigate(url)  # fills the cache
        browser.wait_for("document.body.dataset.state === 'ready'", timeout=120)
        started = time.monotonic()
        browser.navigate(url)
        browser.wait_for("document.body.dataset.state === 'ready'", timeout=120)
        ready = time.monotonic()
        press_play(browser)
        browser.wait_for("Module.ccall('nm_frame_count', 'number') >= 1", timeout=60)
        first = time.monotonic()
        return {"ready_s": ready - started, "first_frame_after_tap_s": first - ready}
    finally:
        browser.close()


def page_frames(service):
    """Each scene's mean frame and median main-thread time, over 3 s of frames
    after it settled for 1 s."""
    browser = Browser(1024, 768, 1, switches=("--disable-gpu-vsync", "--disable-frame-rate-limit"))
    try:
        browser.navigate(service.url("/play/?device=tablet&scale=1&seed=3&steps=fixed"))
        browser.wait_for("document.body.dataset.state === 'ready'", timeout=120)
        # The game's own time a frame: Emscripten calls these around each turn of its loop.
        browser.evaluate("window.nmFrameMs = []; Module.preMainLoop = () => { window.nmStart = performance.now(); };"
                         "Module.postMainLoop = () => { window.nmFrameMs.push(performance.now() - window.nmStart); };")
        press_play(browser)
        browser.wait_game(1)
        browser.tap(10, 10)
        browser.wait_for_line("music started bg-music.mp3")
        result, memory = {}, {}
        for scene, button in SCENES.items():
            if button:
                browser.tap(button[0], 768 - button[1])
                browser.wait_for(f"JSON.parse(Module.ccall('nm_dump_scene', 'string')).children[0].class === '{scene}'")
            browser.wait_game(1)
            browser.evaluate("window.nmFrameMs = []")
            frames0, t0 = browser.frames(), time.monotonic()
            browser.wait_game(3)
            frames1, t1 = browser.frames(), time.monotonic()
            own = sorted(browser.evaluate("window.nmFrameMs"))
            result[scene] = {"frame_ms": (t1 - t0) * 1000 / max(1, frames1 - frames0),
                             "main_thread_ms": own[len(own) // 2] if own else 0}
            if scene == "IntroScene":
                memory["wasm_mb"] = browser.evaluate("Module.HEAP8.length") / 1e6
                browser.send("Performance.enable")
                metrics = {m["name"]: m["value"] for m in browser.send("Performance.getMetrics")["metrics"]}
                memory["js_heap_mb"] = metrics.get("JSHeapUsedSize", 0) / 1e6
            if button:
                browser.tap(56, 768 - 712)
                browser.wait_for("JSON.parse(Module.ccall('nm_dump_scene', 'string')).children[0].class === 'IntroScene'")
        return result, memory
    finally:
        browser.close()


def desktop_frames():
    """bench_scenes' medians for the tablet at scale 1."""
    out = os.path.join(BUILD, "bench-web-desktop.json")
    subprocess.run([os.path.join(BUILD, "bin", "bench_scenes"), "120", "--json", out], check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null"))
    with open(out) as f:
        rows = json.load(f)
    os.remove(out)
    return rows


def main():
    service = Service()
    try:
        sizes = downloads(service)
        start = start_times(service)
        web, memory = page_frames(service)
    finally:
        service.close()
    print("download as served (MB):", ", ".join(f"{p} {mb:.2f}" + (f" (goal {GOALS_MB[p]})" if p in GOALS_MB else "")
                                               for p, mb in sizes.items()))
    print(f"warm start: page ready {start['ready_s']:.2f} s after navigation, first frame "
          f"{start['first_frame_after_tap_s']:.2f} s after the tap")
    print(f"memory in the menu: WebAssembly {memory['wasm_mb']:.0f} MB, JavaScript heap {memory['js_heap_mb']:.1f} MB")
    desktop = {row["scene"]: row for row in desktop_frames() if row["profile"] == "tablet-1x"}
    ratios = {}
    print("tablet at scale 1 (ms)   main thread: page desktop ratio | whole frame: page desktop ratio")
    for scene, page in web.items():
        row = desktop.get(DESKTOP_NAMES[scene])
        if not row or not row["cpu_ms"] or not row["median_ms"] or not page["main_thread_ms"]:
            print(f"no figures to compare for {scene}", file=sys.stderr)
            return 1
        ratios[scene] = {"main_thread": page["main_thread_ms"] / row["cpu_ms"],
                         "frame": page["frame_ms"] / row["median_ms"]}
        print(f"  {scene:12} {page['main_thread_ms']:18.2f} {row['cpu_ms']:7.2f} {ratios[scene]['main_thread']:5.2f} |"
              f" {page['frame_ms']:17.2f} {row['median_ms']:7.2f} {ratios[scene]['frame']:5.2f}")
    report = {"download_mb": sizes, "start": start, "memory": memory, "page_frame_ms": web,
              "desktop": desktop, "ratio": ratios}
    if "--json" in sys.argv:
        with open(sys.argv[sys.argv.index("--json") + 1], "w") as f:
            json.dump(report, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
