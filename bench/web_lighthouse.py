#!/usr/bin/python3
"""The web page audited by Lighthouse in headless Chromium, for each device
profile, landscape as the game plays:

    NM_BUILD_DIR=build NM_WEB_PAGE_DIR=build-web/play bench/web_lighthouse.py [--json FILE] [--keep DIR]

- tablet: 1024x768 at scale 2; phone: 740x360 at scale 2; both mobile, with
  Lighthouse's own (simulated) throttling, named in the output;
- each category's score (0-100), the load metrics with their scores, and the
  audits that score under 0.9;
- installability, which Lighthouse 12 no longer audits, checked through the
  DevTools protocol at the same viewport: Chromium's installability errors,
  the page's manifest, and whether a service worker controls the page after
  a reload.
Lighthouse 12.2.3 (the last to run on Node 20) is installed on first use into
~/.cache/number-meadow/lighthouse. --keep DIR keeps its HTML and JSON reports.
Exits non-zero when an audit cannot be made or the page is not installable.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from devtools import CHROMIUM, Browser  # noqa: E402
from service import Service  # noqa: E402

LIGHTHOUSE = "12.2.3"
CACHE = os.path.join(os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")), "number-meadow", "lighthouse")
PROFILES = {
    "tablet": {"width": 1024, "height": 768, "scale": 2,
               "agent": "Mozilla/5.0 (Linux; Android 13; Pixel Tablet) AppleWebKit/537.36 (KHTML, like Gecko) "
                        "Chrome/119.0.0.0 Safari/537.36"},
    "phone": {"width": 740, "height": 360, "scale": 2,
              "agent": "Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, like Gecko) "
                       "Chrome/119.0.0.0 Mobile Safari/537.36"},
}
METRICS = ["first-contentful-paint", "largest-contentful-paint", "speed-index", "total-blocking-time",
           "cumulative-layout-shift", "interactive"]
UNITS = {"millisecond": "ms", "unitless": ""}
# As the tests' browser: WebGL through SwiftShader, and none of the background
# calls this closed network refuses.
CHROME_FLAGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                "--no-first-run", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--disable-quic"]


def lighthouse():
    """The pinned Lighthouse's command, installed into the cache when missing."""
    command = os.path.join(CACHE, "node_modules", ".bin", "lighthouse")
    try:
        with open(os.path.join(CACHE, "node_modules", "lighthouse", "package.json")) as f:
            installed = json.load(f)["version"]
    except (OSError, ValueError, KeyError):
        installed = None
    if installed != LIGHTHOUSE or not os.path.exists(command):
        if not shutil.which("npm") or not shutil.which("node"):
            raise SystemExit("Lighthouse needs Node.js and npm: install Debian's nodejs and npm")
        print(f"installing Lighthouse {LIGHTHOUSE} into {CACHE} (once)...", flush=True)
        os.makedirs(CACHE, exist_ok=True)
        subprocess.run(["npm", "install", "--prefix", CACHE, "--save-exact", "--no-audit", "--no-fund",
                        "--loglevel=error", f"lighthouse@{LIGHTHOUSE}"], check=True)
    return command


def audit(command, url, name, profile, out_dir):
    """One Lighthouse run; its report (the LHR) as a dict."""
    base = os.path.join(out_dir, name)
    args = [command, url, "--quiet", "--output=json", "--output=html", f"--output-path={base}",
            "--form-factor=mobile", "--screenEmulation.mobile", f"--screenEmulation.width={profile['width']}",
            f"--screenEmulation.height={profile['height']}",
            f"--screenEmulation.deviceScaleFactor={profile['scale']}", f"--emulated-user-agent={profile['agent']}",
            "--chrome-flags=" + " ".join(CHROME_FLAGS + [f"--window-size={profile['width']},{profile['height']}"])]
    run = subprocess.run(args, env=dict(os.environ, CHROME_PATH=CHROMIUM), capture_output=True, text=True,
                         timeout=600)
    if run.returncode != 0 or not os.path.exists(base + ".report.json"):
        raise RuntimeError(f"Lighthouse failed on the {name} profile:\n{run.stderr[-3000:]}")
    with open(base + ".report.json") as f:
        report = json.load(f)
    if report.get("runtimeError"):
        raise RuntimeError(f"Lighthouse on the {name} profile: {report['runtimeError']}")
    return report


def summary(report):
    settings = report["configSettings"]
    throttle = settings["throttling"]
    audits = report["audits"]
    return {
        "lighthouse": report["lighthouseVersion"],
        "throttling": {"method": settings["throttlingMethod"], "rtt_ms": throttle["rttMs"],
                       "throughput_kbps": throttle["throughputKbps"], "cpu_slowdown": throttle["cpuSlowdownMultiplier"]},
        "scores": {c["id"]: None if c["score"] is None else round(c["score"] * 100)
                   for c in report["categories"].values()},
        "metrics": {m: {"value": audits[m].get("numericValue"), "unit": UNITS.get(audits[m].get("numericUnit"), ""),
                        "score": audits[m].get("score")} for m in METRICS if m in audits},
        "failing": [{"id": a["id"], "title": a["title"], "score": a["score"], "value": a.get("displayValue", "")}
                    for a in sorted(audits.values(), key=lambda a: (a["score"] if a["score"] is not None else 1, a["id"]))
                    if a["score"] is not None and a["score"] < 0.9 and a["id"] not in METRICS],
        # Audits this Lighthouse could not make against this Chromium's trace.
        "errored": {a["id"]: a.get("errorMessage", "") for a in audits.values() if a["scoreDisplayMode"] == "error"},
        "warnings": report.get("runWarnings", []),
    }


def installability(service, profile):
    """Chromium's own verdict on installing the page, its manifest, and whether
    a service worker took the page over after a reload."""
    browser = Browser(profile["width"], profile["height"], profile["scale"], mobile=True)
    try:
        url = service.url("/play/index.html")
        browser.navigate(url)
        browser.wait_for("document.readyState === 'complete'", timeout=120)
        try:  # a page with no service worker never gets an active one
            browser.wait_for("navigator.serviceWorker.getRegistration().then(r => !!(r && r.active))", timeout=15)
        except AssertionError:
            pass
        browser.navigate(url)
        browser.wait_for("document.readyState === 'complete'", timeout=120)
        browser.pump(1)  # the manifest loads after the document
        manifest = browser.send("Page.getAppManifest")
        errors = browser.send("Page.getInstallabilityErrors")["installabilityErrors"]
        return {
            "errors": [e["errorId"] + "".join(f" {a['name']}={a['value']}" for a in e.get("errorArguments", []))
                       for e in errors],
            "manifest_url": manifest.get("url", ""),
            "manifest_errors": [e["message"] for e in manifest.get("errors", [])],
            "service_worker_controls": bool(browser.evaluate("navigator.serviceWorker.controller !== null")),
        }
    finally:
        browser.close()


def show(name, profile, result):
    t = result["throttling"]
    print(f"{name}: landscape {profile['width']}x{profile['height']} at scale {profile['scale']}, mobile; "
          f"Lighthouse {result['lighthouse']}, throttling {t['method']} (RTT {t['rtt_ms']:.0f} ms, "
          f"{t['throughput_kbps']:.0f} kb/s, CPU x{t['cpu_slowdown']:g})")
    print("  " + "  ".join(f"{c} {s if s is not None else '-'}" for c, s in result["scores"].items()))
    for metric, m in result["metrics"].items():
        value = "-" if m["value"] is None else f"{m['value']:.0f} {m['unit']}" if m["unit"] else f"{m['value']:.3f}"
        score = "-" if m["score"] is None else f"{m['score']:.2f}"
        print(f"  {metric:26} {value:>10}  score {score}")
    print(f"  audits under 0.9 ({len(result['failing'])}):")
    for a in result["failing"]:
        print(f"    {a['score']:.2f} {a['id']}: {a['title']}" + (f" ({a['value']})" if a["value"] else ""))
    if result["errored"]:
        causes = sorted({m.splitlines()[0].rsplit(": ", 1)[-1] for m in result["errored"].values()})
        print(f"  audits that could not run: {', '.join(result['errored'])} ({'; '.join(causes)})")
    for warning in result["warnings"]:
        print(f"  warning: {warning}")
    i = result["installability"]
    print(f"  installable: {'yes' if not i['errors'] else 'no'}; manifest {i['manifest_url'] or '(none)'}; "
          f"service worker controls the page: {'yes' if i['service_worker_controls'] else 'no'}")
    for error in i["errors"] + [f"manifest: {e}" for e in i["manifest_errors"]]:
        print(f"    {error}")


def main():
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    command = lighthouse()
    out_dir = keep or tempfile.mkdtemp(prefix="nm-lighthouse-")
    os.makedirs(out_dir, exist_ok=True)
    results = {}
    service = Service()
    try:
        for name, profile in PROFILES.items():
            started = time.monotonic()
            results[name] = summary(audit(command, service.url("/play/index.html"), name, profile, out_dir))
            results[name]["installability"] = installability(service, profile)
            results[name]["run_s"] = time.monotonic() - started
    finally:
        service.close()
        if not keep:
            shutil.rmtree(out_dir, ignore_errors=True)
    for name, profile in PROFILES.items():
        show(name, profile, results[name])
    if keep:
        print(f"reports: {os.path.join(keep, '{tablet,phone}.report.{html,json}')}")
    if "--json" in sys.argv:
        with open(sys.argv[sys.argv.index("--json") + 1], "w") as f:
            json.dump(results, f, indent=1)
    installable = all(not r["installability"]["errors"] and r["installability"]["service_worker_controls"]
                      for r in results.values())
    if not installable:
        print("the page is not installable yet", file=sys.stderr)
    return 0 if installable else 1


if __name__ == "__main__":
    sys.exit(main())
