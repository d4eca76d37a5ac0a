"""Paths, languages and small helpers shared by the content tools."""
from __future__ import annotations

import os
import plistlib
import subprocess
import tomllib
from pathlib import Path

TOOLS = Path(__file__).resolve().parent.parent
ROOT = TOOLS.parent
CONTENT = ROOT / "content"
NM = TOOLS / "nm"

DEVICES = ("ipad", "iphone")          # tablet and phone layouts, as file suffixes
SCALES = (1, 2)


def load_toml(path: Path) -> dict:
    with open(path, "rb") as f:
        return tomllib.load(f)


def bundle_info() -> dict:
    return load_toml(CONTENT / "bundle.toml")


def languages() -> list[str]:
    return list(bundle_info()["languages"])


def base_language() -> str:
    return languages()[0]


def lproj(lang: str, name: str) -> str:
    """Where a localized resource lives: the base language at the bundle root,
    every other language in its own <lang>.lproj folder."""
    return name if lang == base_language() else f"{lang}.lproj/{name}"


def device_name(name: str, device: str | None) -> str:
    """'frog3.png' -> 'frog3~ipad.png', as the game's realFileName: forms it."""
    if not device:
        return name
    stem, dot, ext = name.rpartition(".")
    return f"{stem}~{device}.{ext}" if dot else f"{name}~{device}"


def shelf_name(name: str, device: str, orientation: bool = False) -> str:
    """As the app shelf's realFileName:withOrientation: forms a name at scale 1
    in this landscape-only game: "-landscape" for the pictures that take the
    orientation, then "-ipad" on a tablet and nothing on a phone
    ('shelf.png' -> 'shelf-landscape-ipad.png', 'plate.png' -> 'plate.png' on
    a phone). At scale 2 it adds "-hd" last, which is hd_name of this."""
    stem, dot, ext = name.rpartition(".")
    suffix = ("-landscape" if orientation else "") + ("-ipad" if device == "ipad" else "")
    return f"{stem}{suffix}.{ext}"


def hd_name(name: str) -> str:
    """The engine's high-density variant: '-hd' before the extension."""
    stem, dot, ext = name.rpartition(".")
    return f"{stem}-hd.{ext}" if dot else f"{name}-hd"


def scaled_name(name: str, scale: int) -> str:
    return hd_name(name) if scale == 2 else name


def write_plist(value, path: Path) -> None:
    # sort_keys keeps the bytes stable across runs.
    path.write_bytes(plistlib.dumps(value, fmt=plistlib.FMT_XML, sort_keys=True))


def run(cmd: list[str], **kw) -> subprocess.CompletedProcess:
    """Runs a tool quietly; its output is shown only when it fails."""
    res = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)
    if res.returncode != 0:
        out = res.stdout.decode(errors="replace")[-4000:]
        raise RuntimeError(f"{cmd[0]} failed ({res.returncode}):\n{out}")
    return res


def quiet_env(**extra) -> dict:
    env = dict(os.environ)
    env.update(extra)
    return env
