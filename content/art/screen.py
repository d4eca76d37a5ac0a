"""What every scene's layout works from: the two screens, the pictures'
sizes in points (content/art/art.toml) and the places a scene's code fixes
(content/manifest.toml, where the content check reads them too)."""
from __future__ import annotations

import math
import tomllib
from pathlib import Path

CONTENT = Path(__file__).resolve().parent.parent

SCREEN = {"ipad": (1024, 768), "iphone": (480, 320)}
UNIT = {"ipad": 1.0, "iphone": 0.5}   # strokes and details against the tablet


def _load(path: Path) -> dict:
    with open(path, "rb") as f:
        return tomllib.load(f)


def size(image: str, device: str) -> tuple[int, int]:
    """A picture's size in points on a device, from art.toml."""
    for e in _load(CONTENT / "art" / "art.toml")["image"]:
        if e["name"] == image and e.get("devices", True):
            w, h = e["size"]
            if device == "iphone":
                return tuple(e.get("phone", (math.ceil(w / 2), math.ceil(h / 2))))
            return (w, h)
    raise KeyError(image)


def fixed(scene: str, device: str | None = None) -> dict:
    """A scene's section of the manifest, or its table for one device."""
    section = _load(CONTENT / "manifest.toml")["scenes"][scene]
    return section[device] if device else section
