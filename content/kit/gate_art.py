"""The parental gate's pictures: a card like the feedback form's (paper
under a grassy green band that carries the title) with a frame where the
tapped numbers show, and a number key (a green board like the main menu's
buttons, the digit written on it by the code).

Makers return (svg, (width, height)); drawing coordinates are picture
points, y down."""
from __future__ import annotations

import draw as d
from draw import f
from feedback_art import FRAME, _board, paper_card
from gate_layout import BAND, CARD, KEY, UNIT


def card(device: str):
    w, h = CARD[device]
    u = UNIT[device]
    band = h - BAND[device]
    out, outline = paper_card(w, h, band, u)
    # The frame for the tapped numbers, under the words (the code's entered line).
    fw, fh = w * 0.5, 52 * u
    fy = h - (0.505 * h) - fh / 2
    out.append(f'<rect x="{f((w - fw) / 2)}" y="{f(fy)}" width="{f(fw)}" height="{f(fh)}" rx="{f(12 * u)}" '
               f'fill="#ffffff" stroke="{FRAME}" stroke-width="{f(2.4 * u)}"/>')
    for x, s, petal in ((28, 11, "#ffffff"), (56, 8, "#ffd1e8")):
        out.append(d.daisy(x * u * 2, band / 2 + 2 * u, s * u * 2, petal=petal, u=u))
    out.append(outline)
    return d.svg(w, h, "".join(out)), (w, h)


def key(device: str):
    s = KEY[device]
    return d.svg(s, s, _board(s, s, UNIT[device])), (s, s)
