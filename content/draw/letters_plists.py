"""The strokes files: "letters_data.plist" (tablet) and "letters_data-ip.plist"
(phone). The root array holds number n at index n - 1; each number is its
strokes in the order the child traces them; each stroke its way points, as
{"x", "y"}: the point's offset in points from the scene file's letterLabel.

The way points come from the same lines the digit pictures are drawn along
(strokes.py), placed where the code puts the digit: its centre at the
window's centre."""
from __future__ import annotations

import draw_layout
import strokes
from screen import size

PLISTS = {"letters_data.plist": "ipad", "letters_data-ip.plist": "iphone"}


def offsets(n: int, device: str) -> list[list[dict]]:
    p = draw_layout.places(device)
    w, h = size(f"num{n}.png", device)
    (dx, dy), (lx, ly) = p["digit"], p["letter"]
    out = []
    for stroke in strokes.Placement(n, w, h).way_points():
        # Picture points (y down) to the scene's (y up), then from letterLabel.
        out.append([{"x": round(x - w / 2 + dx - lx, 2), "y": round(h / 2 - y + dy - ly, 2)} for x, y in stroke])
    return out


def build(name: str) -> list:
    device = PLISTS[name]
    return [offsets(n, device) for n in strokes.NUMBERS]
