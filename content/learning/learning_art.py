"""The learn pages' and the counting game's generated pictures: their two
meadows, the number strip and its marker, the caption boards, the balls, and
the whole sheep (the main menu's sheep with its head on)."""
from __future__ import annotations

import math
import random
import re

import count_layout
import draw as d
import learn_layout
from draw import f
from screen import CONTENT
from shared import DIGIT_COLOURS


def _inner(svg_file: str) -> tuple[str, str]:
    """The drawing inside an SVG file of content/art, and its viewBox."""
    text = (CONTENT / "art" / svg_file).read_text()
    view = re.search(r'viewBox="([^"]+)"', text)[1]
    return re.sub(r"(?s)^.*?<svg[^>]*>|</svg>\s*$", "", text), view


def sheep(w: int, h: int) -> str:
    """The menu's sheep standing with its head held a little up, so that its
    chin stays above its hooves."""
    body, _ = _inner("sheep.svg")
    head, _ = _inner("sheep-head.svg")
    # The head turns about its neck at (0.22, 0.45) of its 60 x 62 picture;
    # on the body the neck is at (112, 58).
    head = f'<g transform="translate({f(112 - 0.22 * 60)} {f(58 - 0.45 * 62)})">{head}</g>'
    return d.svg(w, h, body + head, view=(0, 0, 160, 96))


def _y(p: dict, y: float) -> float:
    return p["screen"][1] - y


def _patch(x: float, y: float, rx: float, ry: float, colour: str, opacity: float) -> str:
    return f'<ellipse cx="{f(x)}" cy="{f(y)}" rx="{f(rx)}" ry="{f(ry)}" fill="{colour}" opacity="{opacity}"/>'


def learn_background(device: str) -> tuple[str, tuple[int, int]]:
    """Sky and meadow, a sunny clearing where the animals stand; flowers
    only where nothing else goes."""
    p = learn_layout.places(device)
    u, (w, h) = p["unit"], p["screen"]
    top = _y(p, p["horizon"])
    ax, ay, aw, ah = p["an_rect"]
    body = [d.sky(w, h, top), d.sun(p["sun"][0], _y(p, p["sun"][1]), u), d.hills(w, h, top, u),
            d.meadow(w, h, top, u), d.bushes(w, top, u),
            _patch(ax + aw / 2, _y(p, ay + ah * 0.42), aw * 0.64, ah * 0.5, "#ffffff", 0.13)]
    sx, sy = p["strip"]
    sw, sh = p["strip_size"]
    cx, cy = p["caption"]
    nr = p["num_rect"]
    keep_out = [
        lambda x, y: ax - 20 * u < x < ax + aw + 20 * u and ay - 20 * u < y < ay + ah + 10 * u,
        lambda x, y: nr[0] < x < nr[0] + nr[2] and nr[1] < y < nr[1] + nr[3],
        lambda x, y: abs(x - sx) < sw / 2 + 20 * u and y < sy + sh / 2 + 24 * u,
        lambda x, y: abs(x - cx) < 170 * u and abs(y - cy) < 40 * u,
    ]
    body.append(d.scatter(random.Random(11), w, h, u, 14 * u, p["horizon"] - 30 * u, keep_out, count=18))
    return d.svg(w, h, "".join(body)), (w, h)


def number_strip(device: str) -> tuple[str, tuple[int, int]]:
    """A board with the numbers 1 to 10, one on each slot, in the colours of
    the big digits."""
    p = learn_layout.places(device)
    u = p["unit"]
    w, h = p["strip_size"]
    m, slot = p["strip_margin"], p["slot"]
    out = [f'<rect x="{f(3 * u)}" y="{f(6 * u)}" width="{f(w - 6 * u)}" height="{f(h - 9 * u)}" rx="{f(h * 0.36)}" '
           f'fill="#2a5a14" opacity="0.3"/>',
           f'<rect x="{f(2 * u)}" y="{f(2 * u)}" width="{f(w - 4 * u)}" height="{f(h - 8 * u)}" rx="{f(h * 0.36)}" '
           f'fill="#fff8e1" stroke="{d.INK}" stroke-width="{f(3.5 * u)}"/>',
           f'<rect x="{f(8 * u)}" y="{f(8 * u)}" width="{f(w - 16 * u)}" height="{f(h - 20 * u)}" rx="{f(h * 0.3)}" '
           f'fill="none" stroke="#ffd27a" stroke-width="{f(2.5 * u)}"/>']
    size = h * 0.62
    for i in range(learn_layout.PAGES):
        x = m + slot * (i + 0.5)
        y = (h - 4 * u) / 2 + size * 0.36
        common = (f'x="{f(x)}" y="{f(y)}" font-family="Andika" font-weight="bold" font-size="{f(size)}" '
                  f'text-anchor="middle"')
        colour = DIGIT_COLOURS[(i + 1) % len(DIGIT_COLOURS)]
        out.append(f'<text {common} fill="{colour}" stroke="{d.INK}" stroke-width="{f(size * 0.1)}" '
                   f'stroke-linejoin="round" paint-order="stroke">{i + 1}</text>')
    return d.svg(w, h, "".join(out)), (w, h)


def strip_marker(device: str) -> tuple[str, tuple[int, int]]:
    """A glowing ring that sits around the strip's current number."""
    s = learn_layout.places(device)["slot"]
    u = learn_layout.places(device)["unit"]
    c, r = s / 2, s / 2 - 4 * u
    body = (f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r)}" fill="#fff3a8" opacity="0.18"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r)}" fill="none" stroke="{d.INK}" stroke-width="{f(9 * u)}"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r)}" fill="none" stroke="#ffcf33" stroke-width="{f(5.5 * u)}"/>'
            f'<path d="M{f(c - r * 0.7)} {f(c - r * 0.7)} A{f(r)} {f(r)} 0 0 1 {f(c + r * 0.1)} {f(c - r)}" '
            f'fill="none" stroke="#ffffff" stroke-width="{f(2 * u)}" stroke-linecap="round" opacity="0.9"/>')
    return d.svg(s, s, body), (s, s)


def sign(w: int, h: int) -> str:
    """The green board a caption is written on, in the menu buttons' colours
    (white text reads well on it)."""
    body = (f'<defs><linearGradient id="board" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="#5cbf3a"/><stop offset="1" stop-color="#3c9126"/></linearGradient></defs>'
            f'<rect x="4" y="8" width="{w * 100 / h - 8}" height="88" rx="30" fill="#2a5a14" opacity="0.3"/>'
            f'<rect x="3" y="3" width="{w * 100 / h - 6}" height="88" rx="30" fill="url(#board)" stroke="{d.INK}" stroke-width="5"/>'
            f'<rect x="11" y="11" width="{w * 100 / h - 22}" height="72" rx="23" fill="none" stroke="#bdf07a" '
            f'stroke-width="3.5" opacity="0.9"/>')
    return d.svg(w, h, body, view=(0, 0, f(w * 100 / h), 100))


_BALLS = {
    # name: colours of the segments (a beach ball), or a face colour and a star
    "beach": ["#ff5a5f", "#ffffff", "#3fa9f5", "#ffffff", "#ffd23f", "#ffffff"],
    "star": ("#3fa9f5", "#ffffff"),
    "stripes": ("#ff9f1c", "#ffe14d"),
}


def ball(kind: str, w: int, h: int) -> str:
    """A toy ball; its pattern shows it turn when a child spins it."""
    c, r = 50, 45
    clip = f'<clipPath id="ball"><circle cx="{c}" cy="{c}" r="{r}"/></clipPath>'
    inner = []
    spec = _BALLS[kind]
    if kind == "beach":
        n = len(spec)
        for i, colour in enumerate(spec):
            a0, a1 = 2 * math.pi * i / n, 2 * math.pi * (i + 1) / n
            inner.append(f'<path d="M{c} {c} L{f(c + 60 * math.cos(a0))} {f(c + 60 * math.sin(a0))} '
                         f'L{f(c + 60 * math.cos(a1))} {f(c + 60 * math.sin(a1))} Z" fill="{colour}"/>')
        inner.append(f'<circle cx="{c}" cy="{c}" r="9" fill="#ffffff" stroke="{d.INK}" stroke-width="3"/>')
    elif kind == "star":
        face, star = spec
        inner.append(f'<rect width="100" height="100" fill="{face}"/>')
        pts = []
        for i in range(10):
            a = -math.pi / 2 + i * math.pi / 5
            rr = 26 if i % 2 == 0 else 11
            pts.append(f"{f(c + rr * math.cos(a))} {f(c + 2 + rr * math.sin(a))}")
        inner.append(f'<path d="M{" L".join(pts)} Z" fill="{star}" stroke="{d.INK}" stroke-width="3" stroke-linejoin="round"/>')
    else:
        face, band = spec
        inner.append(f'<rect width="100" height="100" fill="{face}"/>')
        for dy in (-24, 24):
            inner.append(f'<path d="M0 {c + dy - 7} Q{c} {c + dy - 18 * (1 if dy < 0 else -1) - 7} 100 {c + dy - 7} '
                         f'L100 {c + dy + 7} Q{c} {c + dy - 18 * (1 if dy < 0 else -1) + 7} 0 {c + dy + 7} Z" '
                         f'fill="{band}" stroke="{d.INK}" stroke-width="2.5"/>')
    body = (f'<defs>{clip}</defs><g clip-path="url(#ball)">{"".join(inner)}'
            f'<circle cx="{c - 14}" cy="{c - 16}" r="14" fill="#ffffff" opacity="0.35"/></g>'
            f'<circle cx="{c}" cy="{c}" r="{r}" fill="none" stroke="{d.INK}" stroke-width="5"/>')
    return d.svg(w, h, body, view=(0, 0, 100, 100))


def count_background(device: str) -> tuple[str, tuple[int, int]]:
    """The meadow the animals come up on: a wide clear middle for them, a
    flat stone under each answer's resting place so the white numbers read,
    flowers and a fence round the edges."""
    p = count_layout.places(device)
    u, (w, h) = p["unit"], p["screen"]
    top = _y(p, p["horizon"])
    body = [d.sky(w, h, top), d.sun(p["sun"][0], _y(p, p["sun"][1]), u), d.hills(w, h, top, u),
            d.meadow(w, h, top, u), d.bushes(w, top, u),
            d.fence(8 * u, 240 * u, _y(p, p["horizon"] - 34 * u), u, posts=5)]
    # The answers' stones: the number's middle sits a little below the label's.
    hx, hy, hw, hh = p["label_hit"]
    r = p["stone"]
    for x, y in p["landings"]:
        cy = _y(p, y - 5 * u)
        body.append(_patch(x, cy + 6 * u, r * 1.08, r * 0.5, d.GRASS_DARK, 0.35))
        body.append(f'<ellipse cx="{f(x)}" cy="{f(cy)}" rx="{f(r)}" ry="{f(r * 0.86)}" fill="#a9b4be" '
                    f'stroke="{d.INK}" stroke-width="{f(3 * u)}"/>'
                    f'<ellipse cx="{f(x - r * 0.12)}" cy="{f(cy - r * 0.14)}" rx="{f(r * 0.78)}" ry="{f(r * 0.62)}" '
                    f'fill="#8795a1"/>')
    keep_out = [
        # the animals' rows, widest in front
        lambda x, y: abs(x - w / 2) < w * 0.36 and y > hh + hy,
        lambda x, y: y < hy + hh + 24 * u,
    ]
    for bx, by in p["balls"]:
        keep_out.append(lambda x, y, bx=bx, by=by: abs(x - bx) < 50 * u and abs(y - by) < 50 * u)
    keep_out.append(lambda x, y: x < 280 * u and y > p["horizon"] - 80 * u)
    body.append(d.scatter(random.Random(5), w, h, u, 14 * u, p["horizon"] - 24 * u, keep_out, count=16))
    return d.svg(w, h, "".join(body)), (w, h)
