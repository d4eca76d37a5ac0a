"""The game's icon, drawn from its own art: the frog of the main menu sitting
on the meadow under the sky, beside the number 1 as the learn and drawing
pages draw it. One SVG, 256 points square; the desktop scales it, and the
build renders it at 256 pixels too. It names no font, so any desktop draws it
the same. A home screen's variant (maskable) fills the whole square, since the
launcher cuts its own shape, with the frog and the 1 inside the circle every
shape keeps."""
from __future__ import annotations

import re
import sys
from pathlib import Path

CONTENT = Path(__file__).resolve().parent.parent
for folder in (CONTENT / "art", CONTENT / "draw"):
    if str(folder) not in sys.path:
        sys.path.insert(0, str(folder))

import draw as d  # noqa: E402
import strokes  # noqa: E402
from draw import f  # noqa: E402

SIZE = 256


def embed(svg: str, x: float, y: float, w: float, h: float) -> str:
    """Another picture's drawing, fitted into the box (x, y, w, h)."""
    vb = [float(v) for v in re.search(r'viewBox="([^"]+)"', svg)[1].split()]
    inner = svg[svg.index(">", svg.index("<svg")) + 1:svg.rindex("</svg>")]
    inner = re.sub(r"<!--.*?-->", "", inner, flags=re.S)
    s = min(w / vb[2], h / vb[3])
    ox, oy = x + (w - vb[2] * s) / 2 - vb[0] * s, y + (h - vb[3] * s) / 2 - vb[1] * s
    return f'<g transform="translate({f(ox)} {f(oy)}) scale({f(s)})">{inner}</g>'


def icon(maskable: bool = False) -> str:
    frog = (CONTENT / "art" / "frog3.svg").read_text()
    one = strokes.digit(1, 120, 190)
    # The tile's corners are rounded on a desktop; a home screen rounds them itself.
    tile = 'x="0" y="0" width="256" height="256"' if maskable else 'x="8" y="8" width="240" height="240" rx="52"'
    meadow = (f'<rect {tile} fill="url(#sky)"/>'
              f'<circle cx="62" cy="62" r="26" fill="#ffd23f" stroke="#ffb21f" stroke-width="5"/>'
              f'<path d="M0 150 C60 120 130 128 256 146 L256 256 L0 256 Z" fill="{d.GRASS}" stroke="{d.INK}" stroke-width="5"/>'
              f'<path d="M0 196 C80 178 170 186 256 200 L256 256 L0 256 Z" fill="{d.GRASS_DARK}" opacity="0.35"/>')
    figures = embed(one, 128, 28, 120, 190) + embed(frog, 16, 118, 132, 118)
    defs = (f'<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{d.SKY_TOP}"/><stop offset="1" stop-color="{d.SKY_LOW}"/></linearGradient>'
            f'<clipPath id="tile"><rect {tile}/></clipPath></defs>')
    if maskable:
        # The safe circle's radius is 40 % of the side: the figures shrink into it.
        body = defs + meadow + f'<g transform="translate(128 128) scale(0.64) translate(-132 -132)">{figures}</g>'
    else:
        body = (defs + f'<g clip-path="url(#tile)">{meadow}</g>' + figures
                + f'<rect {tile} fill="none" stroke="{d.INK}" stroke-width="8"/>')
    return d.svg(SIZE, SIZE, body)


if __name__ == "__main__":
    sys.stdout.write(icon())
