"""Where everything on the learn pages stands, for the tablet (1024 x 768
points) and the phone (480 x 320 points): points, origin bottom-left, sprite
centres. The background, the number strip, the scene file and the animals'
page layouts in the content document are all made from these tables.

The tap areas of the digit and of the animals are fixed by the scene's code;
they come from content/manifest.toml. The digit stands in the middle of its
area and every animal's centre inside the animals' area.
"""
from __future__ import annotations

import random

from screen import SCREEN, UNIT, fixed, size

NAME = "learn-scene.ccb"
PAGES = 10

# Page n shows n animals of the n-th kind, drawn in "animal<n>.png".
ANIMALS = ["frog", "sheep", "duck", "cat", "chick", "pig", "mouse", "puppy", "bee", "bird"]

# How each page's animals stand: the number in each row, the back row first.
# Shorter rows sit between the longer ones' animals, so the group reads as a
# bunch rather than a grid.
ROWS = {1: [1], 2: [2], 3: [1, 2], 4: [2, 2], 5: [2, 1, 2], 6: [3, 3],
        7: [2, 3, 2], 8: [3, 2, 3], 9: [3, 3, 3], 10: [3, 4, 3]}
FILL = 0.9          # an animal takes this much of its cell, so neighbours never touch
MAX_SCALE = 1.4     # the lone frog of page 1 is drawn bigger, but not blurred much

_PLACES = {
    "ipad": {
        "horizon": 610,                 # top of the meadow, behind the hills
        "sun": (250, 706),
        "clouds": [(120, 712), (350, 735), (560, 700), (740, 738), (930, 726)],
        "strip": (512, 58),             # centre of the number strip
        "slot": 76,                     # distance between two numbers of the strip
        "strip_margin": 22,             # board beyond the first and last slot
        "strip_height": 86,
        "caption": (512, 660),          # the caption board; the caption is written on it
        "back": (56, 712),
        "sound": (968, 712),
    },
    "iphone": {
        "horizon": 256,
        "sun": (120, 296),
        "clouds": [(52, 296), (160, 306), (262, 292), (346, 308), (440, 300)],
        "strip": (240, 25),
        "slot": 38,
        "strip_margin": 10,
        "strip_height": 44,
        "caption": (240, 271),
        "back": (24, 294),
        "sound": (456, 294),
    },
}


def rect_centre(r) -> tuple[float, float]:
    x, y, w, h = r
    return (x + w / 2, y + h / 2)


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    p.update(fixed(NAME, device))
    p["screen"] = SCREEN[device]
    p["unit"] = UNIT[device]
    p["number"] = tuple(round(v) for v in rect_centre(p["num_rect"]))
    sx, sy = p["strip"]
    p["strip_size"] = (PAGES * p["slot"] + 2 * p["strip_margin"], p["strip_height"])
    first = sx - (PAGES - 1) * p["slot"] / 2
    p["slots"] = [(first + i * p["slot"], sy) for i in range(PAGES)]
    return p


def page(n: int, device: str) -> tuple[float, list[tuple[int, int, bool]]]:
    """Page n's animals: their common scale and, for each, its centre and
    whether it is mirrored (faces left). Each row is spread over the
    animals' area; an animal right of the middle looks back to the middle,
    a lone one looks towards the digit on the right."""
    ax, ay, aw, ah = fixed(NAME, device)["an_rect"]
    pw, ph = size(f"animal{n}.png", device)
    rows = ROWS[n]
    cw, ch = aw / max(rows), ah / len(rows)
    scale = round(min(cw / pw, ch / ph, MAX_SCALE / FILL) * FILL, 2)
    cx = ax + aw / 2
    rng = random.Random(n)          # a little liveliness, the same on every build
    out = []
    for r, count in enumerate(rows):
        y = ay + ah - (r + 0.5) * ch
        for k in range(count):
            off = k - (count - 1) / 2
            x = cx + off * cw + rng.uniform(-0.04, 0.04) * cw
            yy = y + rng.uniform(-0.05, 0.05) * ch
            out.append((round(x), round(yy), off > 0))
    return scale, out


def pack(x: int, y: int, mirrored: bool) -> int:
    """The content document's packing of an animal on a page."""
    return (1000000 if mirrored else 0) + x * 1000 + y
