"""The publisher's kit: the advert banner's placeholder pictures (into the
game's bundle) and everything the publisher's service serves (into its own
folder, beside the bundle): publisher.json and files/ with the banner, its
pull-tab and icon and the catalogue's icons, for both devices at 1x and 2x
("-hd"), named as the service looks them up: "banner~ipad-hd.png"."""
from __future__ import annotations

import json
import sys
from pathlib import Path

from . import art
from .common import CONTENT, DEVICES, device_name, load_toml, scaled_name
from .jobs import Job, Work

HERE = Path(__file__)
KIT = CONTENT / "kit"
SOURCES = [HERE, art.HERE, *sorted(KIT.glob("*.py")), CONTENT / "art" / "draw.py", CONTENT / "art" / "screen.py",
           CONTENT / "manifest.toml"]


def _modules():
    for folder in (KIT, CONTENT / "art"):
        if str(folder) not in sys.path:
            sys.path.insert(0, str(folder))
    import kit_art
    import kit_layout
    return kit_art, kit_layout


def _picture(name: str, device: str, size_of, draw) -> Job:
    """One drawing for one device at 1x and 2x; draw(w, h) gives its SVG."""
    files = [scaled_name(device_name(name, device), s) for s in (1, 2)]

    def go(w: Work) -> None:
        pw, ph = size_of(device)
        svg = draw(pw, ph)
        for scale, out in zip((1, 2), files):
            art.render(svg, pw * scale, ph * scale, w.out(out), w.scratch)

    return Job("kit-picture", files, go, SOURCES + [KIT / "publisher.toml"], {"name": name, "device": device})


def jobs() -> list[Job]:
    """The banner scene's placeholders, in the game's bundle."""
    kit_art, layout = _modules()
    out = []
    for dev in DEVICES:
        out.append(_picture("advert-banner-placeholder.png", dev, layout.banner_size, kit_art.placeholder))
        out.append(_picture("advert-tab-placeholder.png", dev, layout.TAB.__getitem__, kit_art.placeholder))
    return out


def publisher_jobs() -> list[Job]:
    kit_art, layout = _modules()
    source = load_toml(KIT / "publisher.toml")
    common = load_toml(CONTENT / "document" / "common.toml")
    banner = source["banner"]
    out = []
    for dev in DEVICES:
        out.append(_picture("files/banner.png", dev, layout.banner_size,
                            lambda w, h, dev=dev: kit_art.banner(banner["title"], banner["line"], layout.CORNER[dev], w, h)))
        out.append(_picture("files/banner-shortcut.png", dev, layout.TAB.__getitem__,
                            lambda w, h, dev=dev: kit_art.tab(banner["tab"], layout.ICON[dev][0], w, h)))
        out.append(_picture("files/banner-icon.png", dev, layout.ICON.__getitem__,
                            lambda w, h: kit_art.app_icon(_app(source, banner["app"])["icon"], w, h)))
        for app in source["app"]:
            out.append(_picture(f"files/icon-{app['appName']}.png", dev, layout.APP_ICON.__getitem__,
                                lambda w, h, kind=app["icon"]: kit_art.app_icon(kind, w, h)))

    def document(w: Work) -> None:
        apps = [{"appName": a["appName"], "token": a.get("token", common["analytics-auth-token"]),
                 "icon": f"icon-{a['appName']}", "displayName": a["display"], "about": a["about"]}
                for a in source["app"]]
        doc = {"campaignName": source["campaign"], "apps": apps,
               "banner": {"app": banner["app"], "banner": "banner", "shortcut": "banner-shortcut", "icon": "banner-icon"}}
        w.out("publisher.json").write_text(json.dumps(doc, indent=1, sort_keys=True, ensure_ascii=False) + "\n")

    out.append(Job("publisher", ["publisher.json"], document,
                   [HERE, KIT / "publisher.toml", CONTENT / "document" / "common.toml"]))
    return out


def _app(source: dict, name: str) -> dict:
    return next(a for a in source["app"] if a["appName"] == name)
