"""Where everything on the drawing pages stands, for the tablet (1024 x 768
points) and the phone (480 x 320 points): points, origin bottom-left, sprite
centres. The background, the palette's pictures, the scene file, the strokes
files and the animals' places in the content document are all made from
these tables.

The code fixes some places itself: each page's digit at the window's centre,
the next and previous buttons at the middle of the right and left edges
(anchored so that they show whole), the ink canvases over the whole window.
The number strip, clouds and buttons stand where the learn pages have them,
so that the activities feel alike; the strip's pictures are the learn
pages' own.

The easel's paper sits behind the digit; the animal of the page stands on
the meadow to its left, looking at it; the paint palette is on the right.
"""
from __future__ import annotations

import math
import sys

from screen import CONTENT, SCREEN, UNIT, size

if str(CONTENT / "learning") not in sys.path:
    sys.path.insert(0, str(CONTENT / "learning"))
import learn_layout  # noqa: E402 - the strip, clouds and buttons stand as on the learn pages

NAME = "draw-scene.ccb"
PAGES = 10

# The inks, top row first, left to right; a child's favourites, bright and
# far enough apart that each reads on every digit's pale lane.
INKS = [
    (235, 45, 45),      # red: the ink the pages start with
    (255, 145, 20),     # orange
    (255, 212, 0),      # yellow
    (50, 185, 70),      # green
    (35, 165, 240),     # sky blue
    (45, 75, 215),      # deep blue
    (150, 75, 220),     # purple
    (255, 85, 170),     # pink
]
DEFAULT_INK = 0
COLUMNS = 2

_PLACES = {
    "ipad": {
        "paper": (512, 392), "paper_size": (404, 432),
        "palette": (838, 384), "palette_size": (212, 420),
        "swatch_step": 84,          # between swatch centres, across and down
        "swatch_size": (80, 80),    # a swatch's picture: its tap area
        "blob": 28,                 # radius of the paint on a swatch
        "ring": (31, 38, 42),       # the highlight: solid from, to, faded out at
        "animal_x": 186, "animal_ground": 250, "animal_box": (200, 220),
        "edge_button": (64, 120),
    },
    "iphone": {
        "paper": (240, 164), "paper_size": (200, 192),
        "palette": (394, 160), "palette_size": (98, 204),
        "swatch_step": 42,
        "swatch_size": (40, 40),
        "blob": 14,
        "ring": (15.5, 19, 21),
        "animal_x": 86, "animal_ground": 100, "animal_box": (96, 110),
        "edge_button": (32, 60),
    },
}

# Animals that fly hover this far (tablet points) above the others' ground.
FLYING = {9: 90}
MAX_SCALE = 1.4     # bigger would blur the pictures


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    learn = learn_layout.places(device)
    for key in ("horizon", "sun", "clouds", "strip", "slot", "slots", "strip_size", "back", "sound"):
        p[key] = learn[key]
    w, h = SCREEN[device]
    p["screen"] = (w, h)
    p["unit"] = UNIT[device]
    p["digit"] = (w / 2, h / 2)          # where the code puts each page's digit
    p["letter"] = p["digit"]             # the strokes' origin: the digit's centre
    p["next"] = (w, h / 2)
    p["prev"] = (0, h / 2)
    p["swatches"] = swatches(p)
    return p


def swatches(p: dict) -> list[tuple[float, float]]:
    """The swatches' centres, in the order of INKS."""
    cx, cy = p["palette"]
    step = p["swatch_step"]
    rows = math.ceil(len(INKS) / COLUMNS)
    out = []
    for i in range(len(INKS)):
        r, c = divmod(i, COLUMNS)
        out.append((cx + (c - (COLUMNS - 1) / 2) * step, cy + ((rows - 1) / 2 - r) * step))
    return out


def animal(n: int, device: str) -> tuple[float, tuple[int, int]]:
    """Page n's animal: its scale and centre, standing on the meadow left of
    the paper, as large as its box allows."""
    p = places(device)
    pw, ph = size(f"animal{n}.png", device)
    bw, bh = p["animal_box"]
    scale = round(min(bw / pw, bh / ph, MAX_SCALE), 2)
    y = p["animal_ground"] + ph * scale / 2 + FLYING.get(n, 0) * p["unit"]
    return scale, (round(p["animal_x"]), round(y))
