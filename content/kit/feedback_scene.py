"""The feedback form's scene file, "feedback-form.ccb", for both devices.

The root is the form's own layer class. The card (formFeedback) carries the
buttons, the two social icons and, written by the code, the texts; the code
binds the members named here, flies the card in to the place it has in this
file and tests touches against the buttons' boxes (no actions are wired).
buttonInfo, the layer's own opener, is kept hidden off the screen: the main
menu's fifth button opens the form, and the layer swallows every touch in
its children's boxes, shown or not.
"""
from __future__ import annotations

import ccb
from feedback_layout import places
from screen import size as art_size

NAME = "feedback-form.ccb"

PICTURES = {
    "buttonSend": "feedback-send.png",
    "buttonClose": "feedback-close.png",
    "buttonFacebook": "feedback-facebook.png",
    "buttonTwitter": "feedback-twitter.png",
    "buttonFacebookIcon": "feedback-facebook-icon.png",
    "buttonTwitterIcon": "feedback-twitter-icon.png",
}
# Tiles under their icons, the close badge over the card's corner.
DEPTH = {"buttonFacebookIcon": 1, "buttonTwitterIcon": 1, "buttonClose": 1}


def build(device: str) -> dict:
    p = places(device)
    w, h = p["screen"]
    on_card = [ccb.sprite(ccb.device_name(PICTURES[m], device), p[m][0], size=p[m][1], z=DEPTH.get(m, 0), member=m)
               for m in p["card_members"]]
    card = ccb.sprite(ccb.device_name("feedback-card.png", device), p["card_at"], size=p["card_size"], z=1,
                      member=p["card"], children=on_card)
    opener_size = art_size("button_feedback.png", device)
    opener = ccb.sprite(ccb.device_name("button_feedback.png", device), (-opener_size[0], -opener_size[1]),
                        size=opener_size, visible=False, member=p["opener"])
    return ccb.document(ccb.layer(size=(w, h), custom_class="KVTFeedbackLayer", touch=True,
                                  children=[opener, card]))
