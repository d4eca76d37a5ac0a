"""Pictures: SVG drawings (hand-made or generated) rendered to PNG at 1x and
2x for each device with rsvg-convert. Text in drawings uses the bundle's own
fonts only: fontconfig is pointed at them, so a machine's other fonts never
change a picture."""
from __future__ import annotations

import importlib
import math
import sys
from pathlib import Path

from .common import CONTENT, DEVICES, device_name, load_toml, run, quiet_env, scaled_name, shelf_name
from .jobs import Job, Work

HERE = Path(__file__)
ART = CONTENT / "art"
MAKER_DIRS = [CONTENT / "art", CONTENT / "menu", CONTENT / "learning", CONTENT / "game",
              CONTENT / "draw", CONTENT / "kit"]
FONT_DIRS = ["/usr/share/fonts/truetype/andika"]


def entries() -> list[dict]:
    return load_toml(ART / "art.toml")["image"]


def point_size(entry: dict, device: str | None) -> tuple[int, int] | None:
    if "size" not in entry:
        return None
    w, h = entry["size"]
    if device == "iphone":
        return tuple(entry.get("phone", (math.ceil(w / 2), math.ceil(h / 2))))
    return (w, h)


def _maker(ref: str):
    for d in MAKER_DIRS:
        if str(d) not in sys.path:
            sys.path.insert(0, str(d))
    module, func = ref.split(":")
    return getattr(importlib.import_module(module), func)


def svg_text(entry: dict, device: str | None) -> tuple[str, tuple[int, int]]:
    """The drawing for one device, and its size in points."""
    size = point_size(entry, device)
    if "svg" in entry:
        text = (ART / entry["svg"]).read_text()
        for word, colour in entry.get("colors", {}).items():
            text = text.replace(f'"{word}"', f'"{colour}"')
        return text, size
    fn = _maker(entry["make"])
    if size is None:
        return fn(*entry.get("args", []), device or "ipad")
    return fn(*entry.get("args", []), *size), size


def render(svg: str, w: int, h: int, out: Path, scratch: Path) -> None:
    conf = scratch / "fonts.conf"
    if not conf.exists():
        dirs = "".join(f"<dir>{d}</dir>" for d in FONT_DIRS)
        conf.write_text(f'<?xml version="1.0"?><fontconfig>{dirs}<cachedir>{scratch / "fc"}</cachedir></fontconfig>')
    src = scratch / (out.name + ".svg")
    src.write_text(svg)
    run(["rsvg-convert", "-w", str(w), "-h", str(h), "-o", str(out), str(src)],
        env=quiet_env(FONTCONFIG_FILE=str(conf)))


def _sources(entry: dict) -> list[Path]:
    srcs = [HERE, ART / "art.toml"] if "make" in entry and "size" not in entry else [HERE]
    if "svg" in entry:
        srcs.append(ART / entry["svg"])
    else:
        for d in MAKER_DIRS:
            srcs += sorted(d.glob("*.py")) + sorted(d.glob("*.toml"))   # makers and their tables
        srcs += [CONTENT / "manifest.toml", ART / "art.toml"]
    return srcs


def outputs(entry: dict) -> list[tuple[str | None, str]]:
    """(device, file name at 1x) for every variant of an entry."""
    devices = DEVICES if entry.get("devices", True) else (None,)
    if entry.get("shelf"):
        return [(dev, shelf_name(entry["name"], dev, entry.get("orientation", False))) for dev in devices]
    return [(dev, device_name(entry["name"], dev)) for dev in devices]


def jobs() -> list[Job]:
    out = []
    for entry in entries():
        for dev, name in outputs(entry):
            files = [scaled_name(name, s) for s in (1, 2)]

            def go(w: Work, entry=entry, dev=dev, files=files) -> None:
                svg, (pw, ph) = svg_text(entry, dev)
                for scale, f in zip((1, 2), files):
                    render(svg, pw * scale, ph * scale, w.out(f), w.scratch)

            out.append(Job("image", files, go, _sources(entry), {"entry": entry, "device": dev}))
    return out
