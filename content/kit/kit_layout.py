"""Sizes in points shared by the banner's scene file and the pictures of the
publisher's service: what the banner layer's code relies on is that the
banner picture covers the screen and that the pull-tab hangs from the top
edge (anchor at its top centre), with the icon at its bottom-left corner.
The catalogue's icons are the size the app shelf is laid out for
(content/kit/catalog_layout.py)."""
from __future__ import annotations

from catalog_layout import icon
from screen import SCREEN

TAB = {"ipad": (200, 60), "iphone": (100, 30)}        # the pull-tab
ICON = {"ipad": (52, 52), "iphone": (26, 26)}         # the icon on the tab
CORNER = {"ipad": 80, "iphone": 40}                   # the banner's close corner
APP_ICON = {dev: icon(dev) for dev in ("ipad", "iphone")}   # the catalogue's icons


def banner_size(device: str) -> tuple[int, int]:
    return SCREEN[device]
