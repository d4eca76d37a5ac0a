"""Sizes in points shared by the banner's scene file and the pictures of the
publisher's service: what the banner layer's code relies on is that the
banner picture covers the screen and that the pull-tab hangs from the top
edge (anchor at its top centre), with the icon at its bottom-left corner."""
from __future__ import annotations

from screen import SCREEN

TAB = {"ipad": (200, 60), "iphone": (100, 30)}        # the pull-tab
ICON = {"ipad": (52, 52), "iphone": (26, 26)}         # the icon on the tab
CORNER = {"ipad": 80, "iphone": 40}                   # the banner's close corner
APP_ICON = {"ipad": (100, 100), "iphone": (50, 50)}   # the catalogue's icons


def banner_size(device: str) -> tuple[int, int]:
    return SCREEN[device]
