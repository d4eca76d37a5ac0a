"""The main menu's generated pictures: the meadow behind everything and the
tree the two birds sit in. Both are drawn from the layout table, so the pond
lies under the fountain, the branches under the perches and the flowers under
the butterfly, on the tablet and on the phone alike."""
from __future__ import annotations

import math
import random

import draw as d
from draw import f
from menu_layout import places, size


def _y(p: dict, y: float) -> float:
    """Engine y (up) to picture y (down)."""
    return p["screen"][1] - y


def _hills(p: dict, u: float) -> str:
    return d.hills(*p["screen"], _y(p, p["horizon"]), u)


def _meadow(p: dict, u: float) -> str:
    return d.meadow(*p["screen"], _y(p, p["horizon"]), u)


def _sun(p: dict, u: float) -> str:
    return d.sun(p["sun"][0], _y(p, p["sun"][1]), u)


def _pond(p: dict, u: float) -> str:
    cx, cy, rx, ry = p["pond"]
    cy = _y(p, cy)
    grad = (f'<radialGradient id="water" cx="{f(cx)}" cy="{f(cy - ry * 0.3)}" r="{f(rx)}" '
            f'gradientTransform="translate(0 {f(cy)}) scale(1 {f(ry / rx)}) translate(0 {f(-cy)})" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{d.WATER_LIGHT}"/><stop offset="1" stop-color="{d.WATER}"/></radialGradient>')
    out = [f"<defs>{grad}</defs>",
           f'<ellipse cx="{f(cx)}" cy="{f(cy + 4 * u)}" rx="{f(rx + 14 * u)}" ry="{f(ry + 11 * u)}" fill="{d.GRASS_DARK}" opacity="0.55"/>',
           f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx + 6 * u)}" ry="{f(ry + 5 * u)}" fill="#d8c58c" stroke="{d.INK}" stroke-width="{f(2.6 * u)}"/>',
           f'<ellipse cx="{f(cx)}" cy="{f(cy + 2 * u)}" rx="{f(rx)}" ry="{f(ry)}" fill="url(#water)" stroke="#2d7fb0" stroke-width="{f(2.4 * u)}"/>']
    # Ripples and glints.
    for ox, oy, s in ((-0.55, -0.25, 0.16), (0.5, 0.35, 0.2), (-0.25, 0.5, 0.12), (0.62, -0.35, 0.1)):
        x, y = cx + ox * rx, cy + oy * ry
        out.append(f'<path d="M{f(x - rx * s)} {f(y)} Q{f(x)} {f(y - ry * s * 1.2)} {f(x + rx * s)} {f(y)}" '
                   f'fill="none" stroke="#ffffff" stroke-width="{f(2.6 * u)}" stroke-linecap="round" opacity="0.85"/>')
    # Lily pads, with one pink flower.
    for i, (ox, oy, r) in enumerate(((-0.72, 0.1, 16), (0.74, 0.12, 14), (0.36, -0.55, 11))):
        x, y, r = cx + ox * rx, cy + oy * ry, r * u
        a0 = 0.3 + i
        x1, y1 = x + math.cos(a0) * r, y + math.sin(a0) * r * 0.6
        x2, y2 = x + math.cos(a0 + 0.5) * r, y + math.sin(a0 + 0.5) * r * 0.6
        out.append(f'<path d="M{f(x)} {f(y)} L{f(x1)} {f(y1)} A{f(r)} {f(r * 0.6)} 0 1 0 {f(x2)} {f(y2)} Z" '
                   f'fill="{d.LEAF_LIGHT}" stroke="{d.INK}" stroke-width="{f(1.8 * u)}" stroke-linejoin="round"/>')
        if i == 0:
            out.append(f'<circle cx="{f(x - r * 0.2)}" cy="{f(y - r * 0.25)}" r="{f(r * 0.38)}" fill="#ff8fb1" stroke="{d.INK}" stroke-width="{f(1.5 * u)}"/>'
                       f'<circle cx="{f(x - r * 0.2)}" cy="{f(y - r * 0.25)}" r="{f(r * 0.15)}" fill="#ffe066"/>')
    # Reeds at both ends.
    for side in (-1, 1):
        bx = cx + side * (rx - 10 * u)
        by = cy - ry * 0.25
        for k, (dx, hgt) in enumerate(((-8, 44), (0, 58), (9, 48))):
            x = bx + dx * u * side
            top = by - hgt * u
            out.append(f'<path d="M{f(x)} {f(by)} Q{f(x - 2 * u)} {f((by + top) / 2)} {f(x + side * 3 * u)} {f(top)}" '
                       f'fill="none" stroke="{d.INK}" stroke-width="{f(5 * u)}" stroke-linecap="round"/>'
                       f'<path d="M{f(x)} {f(by)} Q{f(x - 2 * u)} {f((by + top) / 2)} {f(x + side * 3 * u)} {f(top)}" '
                       f'fill="none" stroke="{d.LEAF}" stroke-width="{f(2.4 * u)}" stroke-linecap="round"/>')
            if k == 1:
                out.append(f'<rect x="{f(x + side * 3 * u - 4 * u)}" y="{f(top - 4 * u)}" width="{f(8 * u)}" height="{f(18 * u)}" '
                           f'rx="{f(4 * u)}" fill="#8a5a2b" stroke="{d.INK}" stroke-width="{f(1.6 * u)}"/>')
    return "".join(out)


def _landing_spots(p: dict, u: float) -> str:
    """Soft clover patches where the frog lands, so its hops look aimed."""
    fw, fh = size("frog3.png", "ipad")
    out = []
    cx, cy, rx, ry = p["pond"]
    for x, y in p["frog_targets"]:
        fy = y - fh * 0.42 * u
        if ((x - cx) / rx) ** 2 + ((fy - cy) / ry) ** 2 < 1.2:
            continue
        out.append(f'<ellipse cx="{f(x)}" cy="{f(_y(p, fy))}" rx="{f(fw * 0.5 * u)}" ry="{f(fw * 0.14 * u)}" '
                   f'fill="{d.GRASS_DARK}" opacity="0.16"/>')
    return "".join(out)


def _butterfly_flowers(p: dict, u: float) -> str:
    x, y = p["butterfly"]
    out = []
    for i, colour in enumerate(("#ff5f7e", "#b36bff")):
        fx = x + 110 * i   # the butterfly hops 110 points on either device
        out.append(d.tulip(fx, _y(p, y - 32 * u), 1.4 * u, colour))
    return "".join(out)


def _scatter(p: dict, u: float, rng: random.Random) -> str:
    """Daisies and grass tufts on free spots of the meadow."""
    w, h = p["screen"]
    keep_out = []
    cx, cy, rx, ry = p["pond"]
    keep_out.append(lambda x, y: ((x - cx) / (rx + 30 * u)) ** 2 + ((y - cy) / (ry + 30 * u)) ** 2 < 1)
    for bx, by in p["buttons"]:
        bw, bh = size("main-menu-button-learn.png", "ipad")
        keep_out.append(lambda x, y, bx=bx, by=by: abs(x - bx) < bw * 0.55 * u and abs(y - by) < bh * 0.6 * u)
    bxf, byf = p["butterfly"]
    # The butterfly hops 110 points on either device: keep both flowers clear.
    keep_out.append(lambda x, y: bxf - 34 * u < x < bxf + 110 + 34 * u and byf - 80 * u < y < byf + 20 * u)
    for (sx, sy), _, sc in p["sheep"]:
        keep_out.append(lambda x, y, sx=sx, sy=sy: abs(x - sx) < 70 * u and abs(y - sy) < 55 * u)
    for tx, ty in p["frog_targets"]:
        keep_out.append(lambda x, y, tx=tx, ty=ty: abs(x - tx) < 55 * u and abs(y - ty) < 50 * u)
    tl, tb, tr, tt = p["tree"]
    keep_out.append(lambda x, y: x > p["trunk"][0] - 40 * u and y > p["trunk"][1] - 30 * u)

    return d.scatter(rng, w, h, u, 14 * u, p["horizon"] - 30 * u, keep_out)


def _bushes(p: dict, u: float) -> str:
    return d.bushes(p["screen"][0], _y(p, p["horizon"]), u)


def _fence(p: dict, u: float) -> str:
    """A low wooden fence at the back of the sheep's corner."""
    return d.fence(8 * u, 260 * u, _y(p, p["horizon"] - 40 * u), u)


def background(device: str) -> tuple[str, tuple[int, int]]:
    p = places(device)
    u = p["unit"]
    w, h = p["screen"]
    rng = random.Random(7)
    sky = d.sky(w, h, _y(p, p["horizon"]))
    body = (sky + _sun(p, u) + _hills(p, u) + _meadow(p, u) + _bushes(p, u) + _fence(p, u)
            + _landing_spots(p, u) + _pond(p, u) + _scatter(p, u, rng) + _butterfly_flowers(p, u))
    return d.svg(w, h, body), (w, h)


def tree(device: str) -> tuple[str, tuple[int, int]]:
    """The tree at the top right: a trunk, a leafy crown and one branch under
    each perch. The picture covers the box p["tree"]; it is drawn over the
    clouds and under the birds."""
    p = places(device)
    u = p["unit"]
    left, bottom, right, top = p["tree"]
    w, h = right - left, top - bottom

    def X(x):   # screen x to picture x
        return x - left

    def Y(y):   # screen y to picture y
        return top - y

    bh = size("bird1.png", "ipad")[1] * u
    perches = [tuple(q) for q in p["bird1_perches"]] + [tuple(q) for q in p["bird2_perches"]]
    px = [q[0] for q in perches]
    py = [q[1] for q in perches]
    ccx, ccy = (min(px) + max(px)) / 2, (min(py) + max(py)) / 2 + 18 * u
    tx, ty = p["trunk"]
    out = []
    # Trunk, widening at the foot.
    trunk_top = min(py) - bh * 0.2
    out.append(f'<path d="M{f(X(tx - 16 * u))} {f(Y(trunk_top))} C{f(X(tx - 14 * u))} {f(Y(ty + 50 * u))} {f(X(tx - 18 * u))} {f(Y(ty + 16 * u))} '
               f'{f(X(tx - 32 * u))} {f(Y(ty))} L{f(X(tx + 32 * u))} {f(Y(ty))} C{f(X(tx + 18 * u))} {f(Y(ty + 16 * u))} '
               f'{f(X(tx + 14 * u))} {f(Y(ty + 50 * u))} {f(X(tx + 16 * u))} {f(Y(trunk_top))} Z" '
               f'fill="{d.BARK}" stroke="{d.INK}" stroke-width="{f(3 * u)}" stroke-linejoin="round"/>')
    out.append(f'<path d="M{f(X(tx - 4 * u))} {f(Y(ty + 20 * u))} Q{f(X(tx))} {f(Y(ty + 40 * u))} {f(X(tx - 5 * u))} {f(Y(ty + 60 * u))}" '
               f'fill="none" stroke="{d.BARK_DARK}" stroke-width="{f(2.4 * u)}" stroke-linecap="round"/>')
    # Crown: one outlined blob, rounder towards the top.
    r0 = 74 * u
    circles = [(X(ccx), Y(ccy), r0 * 1.15),
               (X(ccx - 62 * u), Y(ccy - 12 * u), r0 * 0.8), (X(ccx + 64 * u), Y(ccy - 14 * u), r0 * 0.85),
               (X(ccx - 36 * u), Y(ccy + 44 * u), r0 * 0.78), (X(ccx + 36 * u), Y(ccy + 46 * u), r0 * 0.8),
               (X(ccx - 10 * u), Y(ccy - 48 * u), r0 * 0.75), (X(ccx + 48 * u), Y(ccy - 50 * u), r0 * 0.6),
               (X(ccx - 56 * u), Y(ccy - 46 * u), r0 * 0.55)]
    out.append(d.blob(circles, d.LEAF, d.INK, 3 * u))
    # Darker lower leaves and light upper ones for volume.
    clip = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}"/>' for x, y, r in circles)
    shade = "".join(f'<circle cx="{f(x + r * 0.15)}" cy="{f(y + r * 0.35)}" r="{f(r * 0.8)}"/>' for x, y, r in circles)
    light = "".join(f'<circle cx="{f(x - r * 0.25)}" cy="{f(y - r * 0.35)}" r="{f(r * 0.45)}"/>' for x, y, r in circles[:5])
    out.append(f'<clipPath id="crown">{clip}</clipPath><g clip-path="url(#crown)">'
               f'<g fill="{d.LEAF_DARK}" opacity="0.55">{shade}</g><g fill="{d.LEAF_LIGHT}" opacity="0.9">{light}</g></g>')
    # A short bough under every perch, reaching out of the leaves.
    for (x, y) in perches:
        feet = y - bh * 0.44
        side = 1 if x >= ccx else -1
        x0, x1 = x - side * 30 * u, x + side * 24 * u
        path = (f"M{f(X(x0))} {f(Y(feet - 6 * u))} Q{f(X(x))} {f(Y(feet - 1 * u))} {f(X(x1))} {f(Y(feet + 4 * u))}")
        out.append(f'<path d="{path}" fill="none" stroke="{d.INK}" stroke-width="{f(10 * u)}" stroke-linecap="round"/>'
                   f'<path d="{path}" fill="none" stroke="{d.BARK}" stroke-width="{f(5.4 * u)}" stroke-linecap="round"/>')
        lx, ly = X(x1 + side * 3 * u), Y(feet + 9 * u)
        out.append(f'<ellipse cx="{f(lx)}" cy="{f(ly)}" rx="{f(9 * u)}" ry="{f(5 * u)}" transform="rotate({-35 * side} {f(lx)} {f(ly)})" '
                   f'fill="{d.LEAF_LIGHT}" stroke="{d.INK}" stroke-width="{f(1.8 * u)}"/>')
    # Apples on the crown, away from the perches.
    for ax, ay in ((ccx - 70 * u, ccy + 24 * u), (ccx + 20 * u, ccy + 62 * u), (ccx + 80 * u, ccy + 22 * u)):
        out.append(f'<circle cx="{f(X(ax))}" cy="{f(Y(ay))}" r="{f(7 * u)}" fill="#ff4d4d" stroke="{d.INK}" stroke-width="{f(1.8 * u)}"/>'
                   f'<circle cx="{f(X(ax) - 2 * u)}" cy="{f(Y(ay) - 2 * u)}" r="{f(2 * u)}" fill="#ffffff" opacity="0.8"/>')
    return d.svg(w, h, "".join(out)), (w, h)


# The four activity buttons: a green board (the caption is written on it by
# the scene's code, centred 5 points below the picture's centre) under a
# round badge whose picture tells a child who cannot read yet what it opens.
_ICONS = {
    "learn": ("#ff9f1c",
              '<text x="95" y="38" font-family="Andika" font-weight="bold" font-size="25" text-anchor="middle" '
              'fill="#ffffff" stroke="{ink}" stroke-width="5" stroke-linejoin="round" paint-order="stroke">123</text>'),
    "draw": ("#b56cf5",
             '<g transform="rotate(-40 95 28)"><path d="M78 22 L106 22 L114 28 L106 34 L78 34 Z" fill="#ffd23f" stroke="{ink}" stroke-width="3" stroke-linejoin="round"/>'
             '<path d="M106 22 L114 28 L106 34 Z" fill="#f4c7a1" stroke="{ink}" stroke-width="2.4" stroke-linejoin="round"/>'
             '<path d="M111.5 26.5 L114 28 L111.5 29.5 Z" fill="{ink}"/>'
             '<rect x="72" y="22" width="8" height="12" rx="2" fill="#ff8fb1" stroke="{ink}" stroke-width="3"/></g>'),
    "count": ("#3fa9f5",
              '<circle cx="84" cy="34" r="8" fill="#ff5a5f" stroke="{ink}" stroke-width="3"/>'
              '<circle cx="106" cy="34" r="8" fill="#ffd23f" stroke="{ink}" stroke-width="3"/>'
              '<circle cx="95" cy="17" r="8" fill="#6cc644" stroke="{ink}" stroke-width="3"/>'),
    "play": ("#ff5a5f",
             '<path d="M76 33 L114 33 L108 42 L82 42 Z" fill="#9a6234" stroke="{ink}" stroke-width="3" stroke-linejoin="round"/>'
             '<path d="M94 31 L94 10 L110 29 Z" fill="#ffffff" stroke="{ink}" stroke-width="2.8" stroke-linejoin="round"/>'
             '<path d="M92 31 L92 14 L80 29 Z" fill="#ffd23f" stroke="{ink}" stroke-width="2.8" stroke-linejoin="round"/>'),
}


def menu_button(kind: str, pressed: bool, w: int, h: int) -> str:
    badge, icon = _ICONS[kind]
    top = "#5cbf3a" if not pressed else "#4aa52d"
    low = "#3c9126" if not pressed else "#2f7a1d"
    dy = 3 if pressed else 0
    body = (f'<defs><linearGradient id="board" x1="0" y1="30" x2="0" y2="110" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{low}"/></linearGradient></defs>'
            f'<rect x="8" y="36" width="174" height="80" rx="24" fill="#2a5a14" opacity="0.35"/>'
            f'<g transform="translate(0 {dy})">'
            f'<rect x="6" y="30" width="178" height="80" rx="24" fill="url(#board)" stroke="{d.INK}" stroke-width="4"/>'
            f'<rect x="13" y="37" width="164" height="66" rx="18" fill="none" stroke="#bdf07a" stroke-width="3" opacity="0.9"/>'
            f'<circle cx="95" cy="28" r="27" fill="{badge}" stroke="{d.INK}" stroke-width="4"/>'
            f'<path d="M76 20 A20 20 0 0 1 100 6" fill="none" stroke="#ffffff" stroke-width="4" stroke-linecap="round" opacity="0.5"/>'
            f'{icon.replace("{ink}", d.INK)}</g>')
    return d.svg(w, h, body, view=(0, 0, 190, 130))
