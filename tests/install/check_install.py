#!/usr/bin/python3
"""The game as a user gets it, from a build folder: installed into a
temporary prefix (`cmake --install`), or unpacked from the Debian package
(`cpack -G DEB`). The desktop's files must pass their validators, and the
installed game must start headless from there, show the main menu read from
its own bundle, and keep its preferences and caches in the XDG directories.

    check_install.py BUILD prefix|deb VERSION

Prints what it checked; exits 1 at the first fault.
"""
from __future__ import annotations

import json
import os
import plistlib
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

APP_ID = "org.numbermeadow.NumberMeadow"


def fail(message: str) -> None:
    print(f"install check: {message}")
    sys.exit(1)


def run(cmd: list, **kw) -> str:
    res = subprocess.run([str(c) for c in cmd], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)
    out = res.stdout.decode(errors="replace")
    if res.returncode != 0:
        fail(f"{' '.join(map(str, cmd))} exited {res.returncode}:\n{out[-3000:]}")
    return out


def png_size(path: Path) -> tuple[int, int]:
    return struct.unpack(">II", path.read_bytes()[16:24])


def install(build: Path, mode: str, tmp: Path) -> Path:
    """The installed tree's prefix."""
    if mode == "prefix":
        run([os.environ.get("NM_CMAKE", "cmake"), "--install", build, "--prefix", tmp / "prefix"])
        return tmp / "prefix"
    run([os.environ.get("NM_CPACK", "cpack"), "-G", "DEB", "--config", build / "CPackConfig.cmake", "-B", tmp / "package"])
    debs = list((tmp / "package").glob("*.deb"))
    if len(debs) != 1:
        fail(f"cpack made {debs}, not one .deb")
    fields = run(["dpkg-deb", "--field", debs[0], "Package", "Section", "Depends"])
    for want in ("Package: number-meadow", "Section: games", "libsdl2-2.0-0", "libopenal1", "libegl1"):
        if want not in fields:
            fail(f"the package's control fields lack {want!r}:\n{fields}")
    run(["dpkg-deb", "-x", debs[0], tmp / "root"])
    return tmp / "root" / "usr"


def check_desktop_files(prefix: Path) -> None:
    share = prefix / "share"
    entry = share / "applications" / f"{APP_ID}.desktop"
    meta = share / "metainfo" / f"{APP_ID}.metainfo.xml"
    run(["desktop-file-validate", entry])
    run(["appstreamcli", "validate", "--no-net", meta])
    text = entry.read_text()
    for want in ("Exec=number-meadow\n", f"Icon={APP_ID}\n", "Name[ru]="):
        if want not in text:
            fail(f"{entry.name} lacks {want.strip()!r}")
    png = share / "icons" / "hicolor" / "256x256" / "apps" / f"{APP_ID}.png"
    if png_size(png) != (256, 256):
        fail(f"{png} is {png_size(png)}, not 256 x 256")
    ET.parse(share / "icons" / "hicolor" / "scalable" / "apps" / f"{APP_ID}.svg")
    root = ET.parse(meta).getroot()
    if root.findtext("launchable") != entry.name:
        fail(f"the metadata launches {root.findtext('launchable')!r}, not {entry.name}")
    rating = {a.get("id"): a.text for a in root.iter("content_attribute")}
    if root.find("content_rating") is None or rating.get("money-advertising") is None:
        fail("the metadata rates no content (the banner advertises)")
    shots = root.findall("screenshots/screenshot/image")
    if not shots:
        fail("the metadata shows no screenshot")
    for image in shots:
        local = share / "doc" / "number-meadow" / "screenshots" / image.text.rsplit("/", 1)[1]
        if not local.is_file() or png_size(local) != (int(image.get("width")), int(image.get("height"))):
            fail(f"the screenshot {image.text} is not the game's own {local}")
    print(f"install check: {entry.name}, {meta.name}, icons and {len(shots)} screenshots pass")


def check_game(prefix: Path, lang: str, version: str, tmp: Path) -> None:
    exe = prefix / "bin" / "number-meadow"
    bundle = prefix / "share" / "number-meadow"
    info = plistlib.loads((bundle / "Info.plist").read_bytes())
    # Marks the installed bundle's first caption, so the menu proves which bundle it read.
    doc_path = bundle / ("data1.plist" if lang == info["CFBundleDevelopmentRegion"] else f"{lang}.lproj/data1.plist")
    doc = plistlib.loads(doc_path.read_bytes())
    caption = "installed " + doc["MainMenuStrings"][0]
    doc["MainMenuStrings"][0] = caption
    doc_path.write_bytes(plistlib.dumps(doc))

    home = tmp / "home"
    home.mkdir()
    env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    env.update(HOME=str(home), XDG_DATA_HOME=str(home / "data"), XDG_CACHE_HOME=str(home / "cache"),
               XDG_CONFIG_HOME=str(home / "config"), SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null")
    out = run([exe, "--version"], env=env, cwd=tmp).strip()
    if out != f"Number Meadow {version}":
        fail(f"--version says {out!r}, not 'Number Meadow {version}'")
    script = tmp / "menu.txt"
    script.write_text(f"wait 0.1\ntap 2 2\nwait 1.1\ndump {tmp / 'menu.json'}\nscreenshot {tmp / 'menu.png'}\nquit\n")
    run([exe, "--headless", "--lang", lang, "--seed", "1", "--script", script], env=env, cwd=tmp)
    scene = json.loads((tmp / "menu.json").read_text())["children"][0]
    texts = [c.get("text") for c in scene["children"] if c["class"] == "CCLabelTTF"]
    if scene["class"] != "IntroScene" or not scene["visible"] or caption not in texts:
        fail(f"the installed game shows {scene['class']} (visible {scene['visible']}) with {texts}, "
             f"not the main menu of its own bundle with {caption!r}")
    if png_size(tmp / "menu.png") != (1024, 768):
        fail("no screenshot of the main menu")
    prefs = home / "data" / "number-meadow" / "preferences.plist"
    if plistlib.loads(prefs.read_bytes()).get("music") is not True:
        fail(f"no preferences in {prefs}")
    if not (home / "cache" / "number-meadow").is_dir():
        fail("no caches directory in XDG_CACHE_HOME")
    strays = sorted(str(p.relative_to(home)) for p in home.iterdir() if p.name not in ("data", "cache"))
    if strays:
        fail(f"the game wrote outside its XDG directories: {strays}")
    print(f"install check: {exe} {version} shows the main menu in {lang} from {bundle}")


def main() -> int:
    build, mode, version = Path(sys.argv[1]).resolve(), sys.argv[2], sys.argv[3]
    tmp = Path(tempfile.mkdtemp(prefix=f"nm-install-{mode}-"))
    try:
        prefix = install(build, mode, tmp)
        if mode == "prefix":
            check_desktop_files(prefix)
        # The package is tried in another language than the prefix.
        check_game(prefix, "en" if mode == "prefix" else "ru", version, tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
