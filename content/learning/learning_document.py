"""The part of the content document that the learn pages' and the counting
game's layouts make: where each page's animals stand ("Positions" on the
tablet, "Positions-Iphone" on the phone), and the counting game's animal
groups and answer places ("CountAnimal"). The same in every language; the
texts and voice names are in content/document/."""
from __future__ import annotations

import count_layout
import learn_layout


def _pages(device: str) -> list[dict]:
    # Item 0 is never read: the arrays are indexed by the page's number.
    out = [{"Scale": 1.0, "PointCont": 0, "Points": []}]
    for n in range(1, learn_layout.PAGES + 1):
        scale, animals = learn_layout.page(n, device)
        out.append({"Scale": float(scale), "PointCont": len(animals),
                    "Points": [learn_layout.pack(x, y, m) for x, y, m in animals]})
    return out


def build() -> dict:
    def labels(device: str) -> list[int]:
        return [x * 1000 + y for x, y in count_layout.places(device)["labels"]]

    return {
        "Positions": _pages("ipad"),
        "Positions-Iphone": _pages("iphone"),
        "CountAnimal": {
            "Positions": [[[count_layout.pack(*a) for a in group] for group in sets]
                          for sets in count_layout.layouts()],
            "LabelPositions": labels("ipad"),
            "LabelPositions-iphone": labels("iphone"),
        },
    }
