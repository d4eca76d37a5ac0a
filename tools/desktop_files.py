#!/usr/bin/python3
"""The installed game's desktop files, from content/desktop/desktop.toml:
the desktop entry, the AppStream metadata, the icon (SVG, and PNG at 256
pixels) and the screenshots the metadata shows, taken by the game itself.

    desktop_files.py OUTDIR --version 0.1.0 [--game build/bin/number-meadow]

Writes OUTDIR/<id>.desktop, OUTDIR/<id>.metainfo.xml, OUTDIR/<id>.svg,
OUTDIR/<id>-256.png and, with --game, OUTDIR/screenshots/<shot>.png (the
tablet at scale 1, in the base language). <id> is the bundle's identifier.
Every text must be given in every shipped language.
"""
from __future__ import annotations

import argparse
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from nm.common import CONTENT, bundle_info, load_toml  # noqa: E402
from nm.scenes import load  # noqa: E402

SOURCE = CONTENT / "desktop" / "desktop.toml"
LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def translations(texts: dict, what: str, langs: list[str]) -> dict:
    missing = [lang for lang in langs if not texts.get(lang)]
    if missing:
        raise SystemExit(f"desktop_files: {what} has no text in {', '.join(missing)} ({SOURCE})")
    return {lang: texts[lang] for lang in langs}


def texts(langs: list[str]) -> dict:
    """Every translated text, checked complete: key -> {lang: text}."""
    src = load_toml(SOURCE)
    own = next(a for a in load_toml(CONTENT / "kit" / "publisher.toml")["app"] if a["appName"] == bundle_info()["name"])
    out = {"name": translations(own["display"], "the game's display name in content/kit/publisher.toml", langs)}
    for key in ("summary", "comment", "generic_name", "keywords", "description"):
        out[key] = translations(src[key], key, langs)
    for i, shot in enumerate(src["screenshot"]):
        out[f"screenshot{i}"] = translations(shot["caption"], f"screenshot {shot['shot']}'s caption", langs)
    return out


def desktop_entry(src: dict, t: dict, langs: list[str], ident: str) -> str:
    def field(key: str, values: dict, join=None) -> list[str]:
        out = []
        for lang in langs:
            v = values[lang]
            v = "".join(w + ";" for w in v) if join else v
            out.append(f"{key}={v}" if lang == langs[0] else f"{key}[{lang}]={v}")
        return out

    lines = ["[Desktop Entry]", "Type=Application", *field("Name", t["name"]),
             *field("GenericName", t["generic_name"]), *field("Comment", t["comment"]),
             *field("Keywords", t["keywords"], join=True),
             f"Exec={src['executable']}", f"Icon={ident}", "Terminal=false",
             "Categories=" + "".join(c + ";" for c in src["categories"]), "StartupNotify=true"]
    return "\n".join(lines) + "\n"


def metainfo(src: dict, t: dict, langs: list[str], ident: str, shots: dict) -> bytes:
    root = ET.Element("component", type="desktop-application")

    def add(parent, tag, text=None, **attrs):
        e = ET.SubElement(parent, tag, {k.replace("_", "-") if k != "lang" else LANG: v for k, v in attrs.items()})
        e.text = text
        return e

    def each(parent, tag, values):
        for lang in langs:
            add(parent, tag, values[lang], **({} if lang == langs[0] else {"lang": lang}))

    add(root, "id", ident)
    add(root, "metadata_license", src["metadata_license"])
    add(root, "project_license", src["project_license"])
    each(root, "name", t["name"])
    each(root, "summary", t["summary"])
    desc = add(root, "description")
    for lang in langs:
        for para in t["description"][lang]:
            add(desc, "p", para, **({} if lang == langs[0] else {"lang": lang}))
    dev = add(root, "developer", id=src["developer"]["id"])
    add(dev, "name", src["developer"]["name"])
    add(root, "developer_name", src["developer"]["name"])     # what AppStream before 1.0 reads
    add(root, "launchable", f"{ident}.desktop", type="desktop-id")
    add(root, "url", src["homepage"], type="homepage")
    categories = add(root, "categories")
    for c in src["app_categories"]:
        add(categories, "category", c)
    provides = add(root, "provides")
    add(provides, "binary", src["executable"])
    rec = add(root, "recommends")
    add(rec, "control", "touch")
    add(rec, "control", "pointing")
    keywords = add(root, "keywords")
    for lang in langs:
        for word in t["keywords"][lang]:
            add(keywords, "keyword", word, **({} if lang == langs[0] else {"lang": lang}))
    rating = add(root, "content_rating", type="oars-1.1")
    for attr, level in src["content_rating"].items():
        add(rating, "content_attribute", level, id=attr)
    screenshots = add(root, "screenshots")
    for i, shot in enumerate(src["screenshot"]):
        s = add(screenshots, "screenshot", **({"type": "default"} if i == 0 else {}))
        each(s, "caption", t[f"screenshot{i}"])
        w, h = shots.get(shot["shot"], (1024, 768))
        add(s, "image", f"{src['screenshots_url']}/{shot['shot']}.png", type="source", width=str(w), height=str(h))
    releases = add(root, "releases")
    for r in src["release"]:
        add(releases, "release", version=r["version"], date=r["date"])
    ET.indent(root, space="  ")
    return b'<?xml version="1.0" encoding="UTF-8"?>\n' + ET.tostring(root, encoding="utf-8") + b"\n"


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("outdir", type=Path)
    ap.add_argument("--version", required=True)
    ap.add_argument("--game", type=Path, help="the built game, to take the screenshots with")
    a = ap.parse_args()
    src = load_toml(SOURCE)
    if src["release"][0]["version"] != a.version:
        raise SystemExit(f"desktop_files: version {a.version} has no release in {SOURCE}")
    info = bundle_info()
    ident, langs = info["identifier"], list(info["languages"])
    t = texts(langs)
    out = a.outdir
    out.mkdir(parents=True, exist_ok=True)

    shots = {}
    if a.game:
        names = [s["shot"] for s in src["screenshot"]]
        subprocess.run([sys.executable, str(Path(__file__).with_name("screenshots.py")), str(a.game),
                        str(out / "screenshots"), "--lang", langs[0], "--device", "tablet", "--scale", "1",
                        "--only", ",".join(names)], check=True, stdout=subprocess.DEVNULL)
        from check_content import png_size
        shots = {n: png_size(out / "screenshots" / f"{n}.png") for n in names}

    (out / f"{ident}.desktop").write_text(desktop_entry(src, t, langs, ident), encoding="utf-8")
    (out / f"{ident}.metainfo.xml").write_bytes(metainfo(src, t, langs, ident, shots))
    svg = load(CONTENT / "desktop" / "icon.py").icon()
    (out / f"{ident}.svg").write_text(svg, encoding="utf-8")
    subprocess.run(["rsvg-convert", "-w", "256", "-h", "256", "-o", str(out / f"{ident}-256.png"), str(out / f"{ident}.svg")],
                   check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
