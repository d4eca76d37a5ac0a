"""Where everything of the counting game stands, for the tablet (1024 x 768
points) and the phone (480 x 320 points): points, origin bottom-left. The
meadow, the scene file and the content document's animal layouts and answer
places are all made from these tables.

The caption's place, the answer labels' drop below their stored places and
their tap areas are fixed by the scene's code; they come from
content/manifest.toml.

The animals' layouts are given once, in tablet points, as the code reads
them: it scales them to the phone (x * 480 / 1024, y * 320 / 768) and may
mirror a whole group about the screen's middle, so every layout is centred.
"""
from __future__ import annotations

import random

from screen import SCREEN, UNIT, fixed, size

NAME = "count-animal.ccb"
TABLET = SCREEN["ipad"]

# The kinds a question may show (a drawn 2 shows kind 1), as in "animal<k>.png".
KINDS = [1, 3, 4, 5, 6, 7, 8, 9]

# Depth rows, nearest first: the z order inside the animals' holder (which
# sets the scale the code gives them: z 5 is 0.8, z 3 is 0.6, any other 1),
# the scale, and the height of the animals' feet on the tablet.
DEPTHS = [(7, 1.0, 160), (5, 0.8, 280), (3, 0.6, 382)]

# How many animals stand in each depth row, nearest first.
ROWS = {1: [1], 2: [2], 3: [2, 1], 4: [2, 2], 5: [3, 2], 6: [3, 3], 7: [4, 3],
        8: [3, 3, 2], 9: [4, 3, 2]}
GAP = 1.12          # an animal's row neighbour stands this many of its widths away

_PLACES = {
    "ipad": {
        "horizon": 500,
        "sun": (800, 700),
        "clouds": [(140, 700), (330, 730), (600, 712), (760, 740), (900, 650)],
        "back": (56, 712),
        "sound": (968, 712),
        "balls": [(60, 250), (966, 205), (150, 470)],
        "label_x": [171, 341, 512, 683, 853],   # five answers spread over the width
        "label_land": 66,                       # where the answers come to rest
        "stone": 50,                            # radius of the stone under each (font size 90)
    },
    "iphone": {
        "horizon": 208,
        "sun": (372, 294),
        "clouds": [(60, 292), (160, 306), (270, 296), (350, 308), (430, 282)],
        "back": (24, 294),
        "sound": (456, 294),
        "balls": [(28, 104), (452, 85), (70, 196)],
        "label_x": [80, 160, 240, 320, 400],
        "label_land": 30,
        "stone": 24,                            # (font size 42)
    },
}


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    p.update(fixed(NAME, device))
    p["screen"] = SCREEN[device]
    p["unit"] = UNIT[device]
    drop = p["label_drop"]
    p["labels"] = [(x, p["label_land"] + drop) for x in p["label_x"]]       # as stored
    p["landings"] = [(x, p["label_land"]) for x in p["label_x"]]            # after the drop
    return p


def to_device(x: int, y: int, device: str) -> tuple[int, int]:
    """A tablet point as the code places it on a device."""
    w, h = SCREEN[device]
    return (x * w // TABLET[0], y * h // TABLET[1])


def layout(n: int, picture: tuple[int, int], seed: int) -> list[tuple[int, int, int, bool]]:
    """n animals of the given tablet size: (z, x, y, mirrored) each, x, y the
    middle of the feet on the tablet. Rows are centred and each row sits
    between the gaps of the one in front; some animals face the other way."""
    pw, _ = picture
    rng = random.Random(seed * 100 + n)
    out = []
    for r, count in enumerate(ROWS[n]):
        z, scale, feet = DEPTHS[r]
        step = pw * scale * GAP
        shift = step / 4 if r % 2 else 0
        for k in range(count):
            x = TABLET[0] / 2 + (k - (count - 1) / 2) * step + shift * (1 if n % 2 else -1)
            x += rng.uniform(-0.05, 0.05) * step
            y = feet + rng.uniform(-6, 6)
            out.append((z, round(x), round(y), rng.random() < 0.35))
    return out


def layouts() -> list[list[list[tuple[int, int, int, bool]]]]:
    """The two layout sets the code reads: the frogs' (kind 1), then the one
    every other kind uses, sized for the widest of them."""
    frog = size("animal1.png", "ipad")
    others = [size(f"animal{k}.png", "ipad") for k in KINDS if k != 1]
    widest = (max(w for w, _ in others), max(h for _, h in others))
    return [[layout(n, frog, 1) for n in range(1, 10)],
            [layout(n, widest, 2) for n in range(1, 10)]]


def pack(z: int, x: int, y: int, mirrored: bool) -> int:
    """The content document's packing of a counted animal."""
    return (10000000 if mirrored else 0) + z * 1000000 + x * 1000 + y
