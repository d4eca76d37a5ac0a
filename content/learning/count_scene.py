"""The counting game's scene file, "count-animal.ccb", for both devices.

The root is the scene's own layer class. Its code finds the clouds (tags
20-24) among the root's children and binds the members named here: the
meadow (mainLayer), which covers the screen so that the animals the code
adds to it stand at screen places, and holds the three balls (tags 1-3)
above them; and the two buttons. The question is written by the code at a
fixed place (manifest), on the board put there; the answers drop onto the
stones of the meadow.

Drawing order: meadow with its animals and balls, clouds, caption board,
buttons; the code draws the answers (z 100) and the question (z 2000) above.
"""
from __future__ import annotations

import ccb
from count_layout import NAME, places
from screen import size

Z_MEADOW, Z_CLOUDS, Z_CAPTION, Z_BUTTONS = 0, 1, 3, 10
Z_BALLS = 20        # inside the meadow: above every animal (theirs are 3 to 7)


def build(device: str) -> dict:
    p = places(device)
    w, h = p["screen"]

    def img(name: str) -> str:
        return ccb.device_name(name, device)

    def sz(name: str):
        return size(name, device)

    balls = [ccb.sprite(img(f"ball{i + 1}.png"), at, size=sz(f"ball{i + 1}.png"), tag=i + 1, z=Z_BALLS)
             for i, at in enumerate(p["balls"])]
    kids = [ccb.sprite(img("count-bg.png"), (w / 2, h / 2), size=(w, h), z=Z_MEADOW, member="mainLayer",
                       children=balls)]
    kids += ccb.clouds(p["clouds"], device, size, z=Z_CLOUDS)
    kids.append(ccb.sprite(img("count-caption.png"), p["caption"], size=sz("count-caption.png"), z=Z_CAPTION))
    kids.append(ccb.sprite(img("button_back.png"), p["back"], size=sz("button_back.png"), z=Z_BUTTONS,
                           member="buttonBack"))
    kids.append(ccb.sprite(img("button_sound_on.png"), p["sound"], size=sz("button_sound_on.png"), z=Z_BUTTONS,
                           member="buttonSound"))

    return ccb.document(ccb.layer(size=(w, h), custom_class="CountScene", children=kids))
