#!/usr/bin/python3
"""Draws every picture of a built bundle onto one contact sheet for review:
1x pictures, grouped as tablet (~ipad), phone (~iphone) and shared, each on a
tile with its name, large ones scaled down to fit. The "-hd" twins are left
out (the content check proves they match).

    contact_sheet.py RESOURCES OUT.png [--width 2400]

Needs Pillow (python3-pil).
"""
from __future__ import annotations

import argparse
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

TILE_BG = (93, 109, 126, 255)     # mid blue-grey: white clouds and glyphs show on it
SHEET_BG = (236, 240, 244, 255)
LABEL = (30, 36, 44, 255)
MAX_CELL = 300


def pictures(res: Path) -> dict[str, list[Path]]:
    groups = {"tablet (~ipad)": [], "phone (~iphone)": [], "shared": []}
    for p in sorted(res.rglob("*.png")):
        if p.stem.endswith("-hd"):
            continue
        # The app shelf names its tablet pictures "-ipad" and its phone ones plainly.
        key = "tablet (~ipad)" if "~ipad" in p.name or "-ipad" in p.name else \
            "phone (~iphone)" if "~iphone" in p.name else "shared"
        groups[key].append(p)
    return groups


def sheet(res: Path, width: int) -> Image.Image:
    font_file = res / "fonts" / "Andika-Regular.ttf"
    font = ImageFont.truetype(str(font_file), 14) if font_file.is_file() else ImageFont.load_default()
    head = ImageFont.truetype(str(font_file), 24) if font_file.is_file() else font
    rows: list[tuple[str, list[tuple[Image.Image, str]]]] = []
    for title, files in pictures(res).items():
        tiles = []
        for p in files:
            im = Image.open(p).convert("RGBA")
            s = min(1.0, MAX_CELL / max(im.width, im.height))
            if s < 1:
                im = im.resize((max(1, int(im.width * s)), max(1, int(im.height * s))), Image.Resampling.LANCZOS)
            tiles.append((im, str(p.relative_to(res))))
        rows.append((title, tiles))
    # Lay out: a heading per group, then tiles in rows.
    pad, label_h = 12, 20
    placed, y = [], pad
    for title, tiles in rows:
        placed.append(("title", title, (pad, y)))
        y += 34
        x, row_h = pad, 0
        for im, name in tiles:
            w = max(im.width, min(MAX_CELL, 8 * len(name))) + 2 * pad
            h = im.height + label_h + 2 * pad
            if x + w > width - pad and x > pad:
                x, y = pad, y + row_h + pad
                row_h = 0
            placed.append(("tile", (im, name, w, h), (x, y)))
            x += w + pad
            row_h = max(row_h, h)
        y += row_h + 2 * pad
    out = Image.new("RGBA", (width, y), SHEET_BG)
    draw = ImageDraw.Draw(out)
    for kind, what, (x, y) in placed:
        if kind == "title":
            draw.text((x, y), what, font=head, fill=LABEL)
            continue
        im, name, w, h = what
        draw.rounded_rectangle([x, y, x + w, y + h - label_h], radius=8, fill=TILE_BG)
        out.alpha_composite(im, (x + (w - im.width) // 2, y + pad))
        draw.text((x + 2, y + h - label_h + 2), name, font=font, fill=LABEL)
    return out


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("resources", type=Path)
    ap.add_argument("out", type=Path)
    ap.add_argument("--width", type=int, default=2400)
    a = ap.parse_args()
    a.out.parent.mkdir(parents=True, exist_ok=True)
    sheet(a.resources, a.width).convert("RGB").save(a.out)
    print(f"contact sheet: {a.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
