"""Where the feedback form's card and buttons stand, tablet and phone. The
card's code fixes the text controls' areas and the texts' places on the card
(content/manifest.toml, the "feedback-form.ccb" tables); the card picture,
its buttons and the scene file are all drawn from this table and those, so
a field's frame lies under its control and a caption on its button.

Card points, origin at the card's lower-left corner, y up; a button is its
picture's centre and size."""
from __future__ import annotations

from screen import SCREEN, fixed as _fixed

CARD = {"ipad": (692, 648), "iphone": (346, 296)}

_PLACES = {
    "ipad": {
        "band": 446,                                   # the title band's lower edge
        "buttonSend": ((346, 66), (300, 84)),
        # pinned on the card's top-right corner, half off it
        "buttonClose": ((684, 640), (52, 52)),
        "buttonFacebook": ((175, 568), (130, 124)),
        "buttonTwitter": ((575, 568), (130, 124)),
        "buttonFacebookIcon": ((175, 586), (64, 64)),
        "buttonTwitterIcon": ((575, 586), (64, 64)),
        "frame": 4,                                    # a field's frame beyond its control
    },
    "iphone": {
        "band": 250,
        "buttonSend": ((173, 50), (140, 44)),
        "buttonClose": ((336, 286), (32, 32)),
        "buttonFacebook": ((57, 50), (76, 80)),
        "buttonTwitter": ((286, 50), (76, 80)),
        "buttonFacebookIcon": ((57, 63), (36, 36)),
        "buttonTwitterIcon": ((286, 63), (36, 36)),
        "frame": 2,
    },
}

SOCIAL = {"buttonFacebook": "facebook", "buttonTwitter": "twitter"}


def fixed(device: str) -> dict:
    """The card's code's places for a device, with the shared ones."""
    out = dict(_fixed("feedback-form.ccb", "form"))
    out.update(_fixed("feedback-form.ccb", device))
    return out


def places(device: str) -> dict:
    p = dict(_PLACES[device])
    p.update(fixed(device))
    p["screen"] = SCREEN[device]
    p["card_size"] = CARD[device]
    w, h = SCREEN[device]
    # The card stands in the middle of the window, its corner on whole points
    # (the code truncates the corner when it places the text controls).
    p["card_at"] = (w / 2, h / 2)
    p["unit"] = 1.0 if device == "ipad" else 0.5
    return p


def size(member: str, device: str) -> tuple[int, int]:
    return _PLACES[device][member][1]
