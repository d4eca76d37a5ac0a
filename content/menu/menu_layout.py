"""Where everything on the main menu stands, for the tablet (1024 x 768
points) and the phone (480 x 320 points). Points, origin bottom-left, the
positions of sprite centres. The background drawing and the scene file are
both made from this table, so the pond, the tree's branches and the flowers
stay under the animals that use them.

The perches, the birds' touch zones and the frog's hop targets are fixed by
the scene's code; they come from content/manifest.toml.
"""
from __future__ import annotations

from screen import SCREEN, fixed as _fixed, size  # noqa: F401 - size is the menu's too


def fixed(device: str) -> dict:
    return _fixed("main-menu.ccb", device)


# Everything the layout decides for itself.
_PLACES = {
    "ipad": {
        "horizon": 640,                 # top of the meadow, behind the hills
        "sun": (300, 716),
        "pond": (560, 470, 200, 82),    # centre x, y and half-axes
        "fountain": (560, 488),
        "spout": (0, 52),               # the jet's origin relative to the fountain's centre
        "clouds": [(120, 712), (350, 735), (560, 700), (740, 738), (930, 726)],
        "tree": (806, 496, 1024, 768),  # the tree sprite's box: left, bottom, right, top
        "trunk": (948, 505),            # foot of the trunk
        "bird3": (170, 690),
        "butterfly": (420, 236),        # its first flower; the second is 110 points right
        "sheep": [((92, 440), False, 1.0), ((178, 292), True, 0.85), ((908, 258), False, 1.0)],
        "buttons": [(128, 92), (330, 92), (694, 92), (896, 92)],
        "feedback": (52, 716),
        "frog_start": 0,
        "bird1_start": 0, "bird2_start": 0,
    },
    "iphone": {
        "horizon": 268,
        "sun": (140, 300),
        "pond": (262, 198, 94, 35),
        "fountain": (262, 205),
        "spout": (0, 26),
        "clouds": [(52, 296), (160, 306), (262, 292), (346, 308), (440, 300)],
        "tree": (384, 200, 480, 320),
        "trunk": (446, 206),
        "bird3": (26, 252),
        "butterfly": (200, 120),
        "sheep": [((40, 192), False, 1.0), ((80, 124), True, 0.85), ((424, 112), False, 1.0)],
        "buttons": [(60, 38), (157, 38), (323, 38), (420, 38)],
        "feedback": (22, 298),
        "frog_start": 0,
        "bird1_start": 0, "bird2_start": 0,
    },
}


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    p.update(fixed(device))
    p["screen"] = SCREEN[device]
    p["unit"] = 1.0 if device == "ipad" else 0.5   # sprite scale against the tablet
    return p
