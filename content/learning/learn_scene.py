"""The learn pages' scene file, "learn-scene.ccb", for both devices.

The root is the scene's own layer class. Its code finds the three page
layers (tags 1-3, filled with a page's digit and animals as the child turns
pages) and the clouds (tags 20-24) among the root's children, and binds the
members named here: the number strip with its marker over number 1 and a
hidden twin of the marker over number 2 (the code takes the strip's spacing
from the two), the caption's place (a board the caption is written on), the
digit's place (a hidden digit, where each page puts its own) and the two
buttons.

Drawing order: meadow, clouds, pages, strip and marker, caption board,
buttons; the code writes the caption above them all (z 20).
"""
from __future__ import annotations

import ccb
from learn_layout import NAME, places
from screen import size

Z_BACKGROUND, Z_CLOUDS, Z_PAGES, Z_STRIP, Z_MARKER, Z_CAPTION, Z_BUTTONS = 0, 1, 2, 3, 4, 5, 10


def build(device: str) -> dict:
    p = places(device)
    w, h = p["screen"]

    def img(name: str) -> str:
        return ccb.device_name(name, device)

    def sz(name: str):
        return size(name, device)

    kids = [ccb.sprite(img("learn-bg.png"), (w / 2, h / 2), size=(w, h), z=Z_BACKGROUND)]
    kids += ccb.clouds(p["clouds"], device, size, z=Z_CLOUDS)
    # The pages: current (tag 1) in view, the following (2) to the right and
    # the preceding (3) to the left; the code places them again as it fills them.
    for tag, at in ((1, 0), (2, w), (3, -w)):
        page = ccb.layer(size=(w, h), tag=tag, z=Z_PAGES)
        page["properties"]["position"] = [float(at), 0.0]
        kids.append(page)

    kids.append(ccb.sprite(img("learn-numbers.png"), p["strip"], size=p["strip_size"], z=Z_STRIP,
                           member="menuNumbers"))
    marker = (p["slot"], p["slot"])
    kids.append(ccb.sprite(img("learn-marker.png"), p["slots"][0], size=marker, z=Z_MARKER, member="curMenuItem"))
    kids.append(ccb.sprite(img("learn-marker.png"), p["slots"][1], size=marker, z=Z_MARKER, member="distance",
                           visible=False))
    kids.append(ccb.sprite(img("learn-caption.png"), p["caption"], size=sz("learn-caption.png"), z=Z_CAPTION,
                           member="labelPos"))
    kids.append(ccb.sprite(img("num1.png"), p["number"], size=sz("num1.png"), z=Z_CAPTION, member="numberPos",
                           visible=False))
    kids.append(ccb.sprite(img("button_back.png"), p["back"], size=sz("button_back.png"), z=Z_BUTTONS,
                           member="buttonBack"))
    kids.append(ccb.sprite(img("button_sound_on.png"), p["sound"], size=sz("button_sound_on.png"), z=Z_BUTTONS,
                           member="buttonSound"))

    return ccb.document(ccb.layer(size=(w, h), custom_class="LearnScene", children=kids))
