"""The part of the content document that the drawing pages' layout makes:
where each page's animal stands and how big it is ("DrawScenePositions" on
the tablet, "DrawScenePositions-iphone" on the phone). The same in every
language; the pages' voices are in content/document/common.toml."""
from __future__ import annotations

import draw_layout


def _pages(device: str) -> list[dict]:
    # Item 0 is never read: the arrays are indexed by the page's number.
    out = [{"Scale": 1.0, "Position": 0}]
    for n in range(1, draw_layout.PAGES + 1):
        scale, (x, y) = draw_layout.animal(n, device)
        out.append({"Scale": float(scale), "Position": x * 1000 + y})
    return out


def build() -> dict:
    return {"DrawScenePositions": _pages("ipad"), "DrawScenePositions-iphone": _pages("iphone")}
