"""Sizes in points of the app shelf's pictures, tablet and phone. The shelf's
code measures these pictures and lays itself out from them, so these sizes
are its layout:

- a shelf's height is the pitch of the rows; its bottom board is half a plate
  high, and the icons stand on it;
- a plate hangs on the board's front, a quarter of its height over each
  edge of the board, in front of its icon's foot;
- the shadow (and the button and its pressed picture, which stand in the same
  place) is as wide as a button's share of the shelf and reaches from half a
  plate below the board to the icon's top: the button's touch area;
- the shelf top is as high as the open view the shelves must not show
  through where the tablet's shelf ignores taps.

What the shelf's code fixes (buttons per shelf, font sizes, how far the
shelf opens, the icons the publisher's service serves) is in
content/manifest.toml, [catalogue]."""
from __future__ import annotations

import tomllib

from screen import CONTENT, SCREEN

SIZES = {
    "ipad": {"shelf": (1024, 160), "shelf-top": (1024, 80), "plate": (200, 56), "button": (220, 160),
             "tab": (160, 64)},
    "iphone": {"shelf": (480, 100), "shelf-top": (480, 40), "plate": (136, 40), "button": (140, 100),
               "tab": (66, 32)},
}


def fixed(device: str) -> dict:
    """What the shelf's code fixes for a device, with the shared values."""
    with open(CONTENT / "manifest.toml", "rb") as f:
        section = tomllib.load(f)["catalogue"]
    out = {k: v for k, v in section.items() if not isinstance(v, dict)}
    out.update(section[device])
    out["screen"] = SCREEN[device]
    return out


def icon(device: str) -> tuple[int, int]:
    """The application icons' size in points, as the publisher's service serves them."""
    return tuple(fixed(device)["icon"])


def board(device: str) -> int:
    """The shelf's bottom board: the code's shelfBottomBorderWidth, half a plate."""
    return int(SIZES[device]["plate"][1] * 0.5)
