"""The little firework over a score, "label-firework.ccb": one scene file
for every device (the game reads it by this name as it is). The root is the
burst itself; the code puts it on the score, lets it remove itself once its
last spark is gone (so it must stop emitting), and shows it at a tenth of its
size on the phone, at full size on the tablet: it is sized for the tablet.
"""
from __future__ import annotations

import ccb

NAME = "label-firework.ccb"
DEVICES = (None,)


def build(device: str | None) -> dict:
    return ccb.document(ccb.particles(
        "game-spark.png", (0, 0), rate=500, duration=0.08, total=40,
        life=0.7, life_var=0.2, start_size=14, start_size_var=4, end_size=2,
        start_color=(1.0, 0.9, 0.4, 1.0), start_color_var=(0.0, 0.1, 0.3, 0.0), end_color=(1.0, 0.5, 0.2, 0.0),
        gravity=(0, -160), angle=90, angle_var=180, speed=150, speed_var=50, blend=ccb.BLEND_ADD))
