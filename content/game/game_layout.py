"""Where everything of the arithmetic game stands, for the tablet (1024 x 768
points) and the phone (480 x 320 points): points, origin bottom-left. The
lake, the ships, the settings menu's panel, the scene file and the content
document's menu places ("GameMenu", "GameMenu-iphone") are all made from
these tables.

The scene's code fixes the task's and the two scores' places, the answers'
drop and tap band, and where on a ship it hangs the team flag; they come
from content/manifest.toml. Everything else is decided here so that the
numbers the code writes land on something drawn for them: each score on a
board carried by its ship, each resting answer on a lily pad, each menu text
beside its own option.
"""
from __future__ import annotations

import sys

from screen import CONTENT, SCREEN, UNIT, fixed, size

if str(CONTENT / "learning") not in sys.path:
    sys.path.insert(0, str(CONTENT / "learning"))
import count_layout  # noqa: E402 - the answers' places are the counting game's

NAME = "game-scene.ccb"

# A ship in tablet points, origin at the picture's lower-left corner; the
# phone's ship is the same drawing at half size. Both ships are one drawing,
# the opponent's mirrored, so only ship1's places are given: ship2's are
# mirrored about the picture's middle.
SHIP = {
    "size": (260, 200),
    "mast": 130,                # x of the mast: under the team flag the code hangs at half the width
    "deck": 62,                 # the mast's foot
    "pinwheel": (130, 172),     # the part that spins when the ship is touched
    "board": (170, 36),         # centre of the score board, under the flag and towards the bow
    "score": (170, 38),         # the score's place: the ship turns about it, so its board stays under it
    # Drawn bigger on the lake, the opponent's a little smaller as it is
    # farther off; the flag the code hangs on a ship grows with it.
    "scale": {"ship1": 1.15, "ship2": 1.0},
}

# The settings menu in tablet points, origin at the panel's lower-left
# corner; the phone's panel is the same at half size. Three rows of options
# (operation, level, team), each under its heading: a square tile per option
# (its tap area, where the marker goes) with the option's text under it.
MENU = {
    "size": (800, 620),
    "title": 570,                       # "NewGame": the panel's title
    "square": 64,                       # side of a tile: selected.png's width
    "rows": [
        # (heading key, options, pitch between tiles, heading's y)
        ("Type", 5, 150, 524),
        ("Difficult", 3, 150, 378),
        ("Team", 6, 120, 232),
    ],
    "heading_gap": 30,                  # heading's y to its tiles' top
    "caption_gap": 12,                  # tiles' bottom to their texts' y
    "start": (400, 64),                 # the start button's centre
    "start_size": (220, 68),
}

_PLACES = {
    "ipad": {
        "horizon": 604,                 # top of the far meadow, behind the hills
        "shore": 548,                   # the lake's far edge
        "sun": (150, 622),
        "clouds": [(140, 690), (330, 740), (560, 662), (760, 735), (930, 700)],
        "back": (56, 712),
        "sound": (968, 712),
        "bar": (512, 712),              # centre of the timer's track
        "panel": (512, 384),            # the settings menu's centre
        "win": (512, 452),              # the end panels' centres
        "lose": (512, 452),
        "new_game": (512, 196),
        "plate_y": 60,                  # the lily pads' centres, under the resting answers
        "fireworks": [(180, 560), (850, 590), (330, 680), (700, 700), (512, 640)],
    },
    "iphone": {
        "horizon": 252,
        "shore": 230,
        "sun": (64, 256),
        "clouds": [(60, 292), (160, 306), (270, 296), (350, 308), (430, 282)],
        "back": (24, 294),
        "sound": (456, 294),
        "bar": (240, 294),
        "panel": (240, 160),
        "win": (240, 192),
        "lose": (240, 192),
        "new_game": (240, 86),
        "plate_y": 24,
        "fireworks": [(84, 234), (398, 246), (154, 284), (328, 292), (240, 268)],
    },
}


def _half(v, device: str):
    """A tablet length or point on a device (the phone's is half)."""
    k = 1 if device == "ipad" else 0.5
    if isinstance(v, (tuple, list)):
        return tuple(x * k for x in v)
    return v * k


def ship(device: str, mirrored: bool = False) -> dict:
    """A ship's places on a device, in its picture's points (origin at the
    lower-left corner); the opponent's ship is mirrored."""
    w, h = size("game-ship1.png", device)
    out = {"size": (w, h), "scale": SHIP["scale"]["ship2" if mirrored else "ship1"]}
    for key in ("mast", "deck"):
        out[key] = _half(SHIP[key], device)
    for key in ("pinwheel", "board", "score"):
        x, y = _half(SHIP[key], device)
        out[key] = (w - x if mirrored else x, y)
    if mirrored:
        out["mast"] = w - out["mast"]
    return out


def menu(device: str) -> dict:
    """The settings menu on a device, in the panel's points (origin at its
    lower-left corner): the title, each row's heading, option squares and
    option texts, and the start button."""
    k = 1 if device == "ipad" else 0.5
    w, h = MENU["size"]
    s = MENU["square"]
    rows = []
    for key, count, pitch, hy in MENU["rows"]:
        top = hy - MENU["heading_gap"]
        xs = [w / 2 + (i - (count - 1) / 2) * pitch for i in range(count)]
        rows.append({
            "key": key,
            "heading": (w / 2 * k, hy * k),
            "squares": [((x - s / 2) * k, (top - s) * k) for x in xs],
            "captions": [(x * k, (top - s - MENU["caption_gap"]) * k) for x in xs],
        })
    return {
        "size": (w * k, h * k),
        "square": s * k,
        "title": (w / 2 * k, MENU["title"] * k),
        "rows": rows,
        "start": (MENU["start"][0] * k, MENU["start"][1] * k),
        "start_size": (MENU["start_size"][0] * k, MENU["start_size"][1] * k),
    }


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    p.update(fixed(NAME, device))
    p["screen"] = SCREEN[device]
    p["unit"] = UNIT[device]
    drop = p["answer_drop"]
    # The answers' places are the counting game's, held once in the content
    # document for both games.
    p["answers"] = count_layout.places(device)["labels"]                      # as stored
    p["landings"] = [(x, y - drop) for x, y in p["answers"]]                   # after the drop
    p["plates"] = [(x, p["plate_y"]) for x, _ in p["landings"]]
    # The ships stand where their scores are: each turns about its score's place.
    (x1, y1, _), (x2, y2, _) = p["scores"]
    p["ship1"] = (x1, y1)
    p["ship2"] = (x2, y2)
    p["menu"] = menu(device)
    return p
