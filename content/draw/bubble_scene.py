"""The burst of a collected star, "bubble-flap-particle~ipad.ccb": one
scene file for every device (the code reads it by this very name). The root
is the burst itself: a puff of soap bubbles floating up and out. The code
lets it remove itself once its last bubble is gone, so it stops emitting by
itself. Sized in points for both devices: small enough for the phone's
stars, big enough to be seen on the tablet's.
"""
from __future__ import annotations

import ccb

NAME = "bubble-flap-particle~ipad.ccb"
DEVICES = (None,)


def build(device: str | None) -> dict:
    return ccb.document(ccb.particles(
        "bubble.png", (0, 0), rate=160, duration=0.1, total=24,
        pos_var=(4, 4), life=0.55, life_var=0.2, start_size=10, start_size_var=4, end_size=22, end_size_var=6,
        start_color=(1.0, 1.0, 1.0, 1.0), start_color_var=(0.0, 0.25, 0.25, 0.0),
        end_color=(0.85, 0.95, 1.0, 0.0), end_color_var=(0.15, 0.05, 0.0, 0.0),
        gravity=(0, 90), angle=90, angle_var=180, speed=70, speed_var=30))
