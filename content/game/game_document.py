"""The part of the content document that the game's layout makes: where the
settings menu's texts stand and its option markers go, on the tablet
("GameMenu") and the phone ("GameMenu-iphone"), as packed positions
x * 1000 + y from the panel's lower-left corner (the end panels' texts from
their own panel's). The same in every language; the texts themselves are in
content/document/ under "GameMenu" / "Strings"."""
from __future__ import annotations

import game_layout
from screen import size


def _pack(x: float, y: float) -> int:
    return round(x) * 1000 + round(y)


def _menu(device: str) -> dict:
    p = game_layout.places(device)
    m = p["menu"]
    rows = {row["key"]: row for row in m["rows"]}
    sx, sy = m["start"]
    ww, wh = size("game-win.png", device)
    lw, lh = size("game-lose.png", device)
    pos = {
        # The code lifts the start caption by start_lift points itself.
        "Start": _pack(sx, sy - p["start_lift"]),
        "NewGame": _pack(*m["title"]),
        "YouWin": _pack(ww / 2, wh * 0.52),
        "YouLose": _pack(lw / 2, lh * 0.6),
        "TryAgain": _pack(lw / 2, lh * 0.3),
    }
    for key, items in (("Type", "Types"), ("Difficult", "Difficults"), ("Team", "Teams")):
        row = rows[key]
        pos[key] = {key: _pack(*row["heading"]), items: [_pack(*c) for c in row["captions"]]}
    squares = [_pack(*sq) for key in ("Type", "Difficult", "Team") for sq in rows[key]["squares"]]
    return {"StringsPos": pos, "Rectangels": squares}


def build() -> dict:
    return {"GameMenu": _menu("ipad"), "GameMenu-iphone": _menu("iphone")}
