"""The drawing pages' generated pictures: the meadow with its easel, the
paint palette, its swatches and highlight, the pen the child drags, the way
point star, the brush, the bubbles of a collected star and the page buttons.
The digits are drawn from the strokes (strokes.py)."""
from __future__ import annotations

import math
import random

import draw as d
import draw_layout
from draw import f

WOOD = "#e7b77c"
WOOD_DARK = "#c98f52"
WOOD_LIGHT = "#f4d3a3"


def _y(p: dict, y: float) -> float:
    return p["screen"][1] - y


def _easel(p: dict) -> str:
    """An easel standing on the meadow with a sheet of paper clipped to it;
    the digit is drawn on the paper."""
    u = p["unit"]
    (cx, cy), (pw, ph) = p["paper"], p["paper_size"]
    top, bottom = _y(p, cy + ph / 2), _y(p, cy - ph / 2)
    apex = top - 36 * u
    foot = p["screen"][1] + 10 * u              # the feet stand behind the number strip
    spread = pw * 0.42
    leg = 22 * u

    def bar(x0, y0, x1, y1, width, colour=WOOD):
        return (f'<path d="M{f(x0)} {f(y0)} L{f(x1)} {f(y1)}" stroke="{d.INK}" stroke-width="{f(width + 5 * u)}" '
                f'stroke-linecap="round"/>'
                f'<path d="M{f(x0)} {f(y0)} L{f(x1)} {f(y1)}" stroke="{colour}" stroke-width="{f(width)}" '
                f'stroke-linecap="round"/>')

    out = [bar(cx, apex, cx, foot - 60 * u, leg * 0.8, WOOD_DARK),          # the back leg
           bar(cx - 12 * u, apex, cx - spread, foot, leg),
           bar(cx + 12 * u, apex, cx + spread, foot, leg),
           bar(cx - spread * 0.8, bottom + 60 * u, cx + spread * 0.8, bottom + 60 * u, leg * 0.7)]
    # The paper, a little shadow under it, then the ledge it stands on.
    out.append(f'<rect x="{f(cx - pw / 2 + 6 * u)}" y="{f(top + 8 * u)}" width="{f(pw)}" height="{f(ph)}" '
               f'rx="{f(10 * u)}" fill="#2a5a14" opacity="0.25"/>')
    out.append(f'<rect x="{f(cx - pw / 2)}" y="{f(top)}" width="{f(pw)}" height="{f(ph)}" rx="{f(10 * u)}" '
               f'fill="#fffdf6" stroke="{d.INK}" stroke-width="{f(3.5 * u)}"/>')
    out.append(f'<rect x="{f(cx - pw / 2 + 10 * u)}" y="{f(top + 10 * u)}" width="{f(pw - 20 * u)}" '
               f'height="{f(ph - 20 * u)}" rx="{f(6 * u)}" fill="none" stroke="#e9e1cf" stroke-width="{f(2 * u)}"/>')
    ledge_w, ledge_h = pw + 40 * u, 20 * u
    out.append(f'<rect x="{f(cx - ledge_w / 2)}" y="{f(bottom - 6 * u)}" width="{f(ledge_w)}" height="{f(ledge_h)}" '
               f'rx="{f(6 * u)}" fill="{WOOD}" stroke="{d.INK}" stroke-width="{f(3 * u)}"/>')
    out.append(f'<path d="M{f(cx - ledge_w / 2 + 8 * u)} {f(bottom)} L{f(cx + ledge_w / 2 - 8 * u)} {f(bottom)}" '
               f'stroke="{WOOD_LIGHT}" stroke-width="{f(3 * u)}" stroke-linecap="round"/>')
    # A clip at the top holds the sheet.
    out.append(f'<rect x="{f(cx - 34 * u)}" y="{f(top - 14 * u)}" width="{f(68 * u)}" height="{f(28 * u)}" '
               f'rx="{f(8 * u)}" fill="{WOOD_DARK}" stroke="{d.INK}" stroke-width="{f(3 * u)}"/>')
    # Crayons resting on the ledge.
    for i, (colour, dx) in enumerate((("#eb2d2d", -0.36), ("#2d4bd7", -0.26), ("#32b946", 0.3))):
        x = cx + pw * dx
        y = bottom - 6 * u
        out.append(f'<g transform="rotate({-8 + 8 * i} {f(x)} {f(y)})">'
                   f'<rect x="{f(x - 34 * u)}" y="{f(y - 12 * u)}" width="{f(60 * u)}" height="{f(12 * u)}" rx="{f(3 * u)}" '
                   f'fill="{colour}" stroke="{d.INK}" stroke-width="{f(2 * u)}"/>'
                   f'<path d="M{f(x + 26 * u)} {f(y - 12 * u)} L{f(x + 40 * u)} {f(y - 6 * u)} L{f(x + 26 * u)} {f(y)} Z" '
                   f'fill="{colour}" stroke="{d.INK}" stroke-width="{f(2 * u)}" stroke-linejoin="round"/></g>')
    return "".join(out)


def background(device: str) -> tuple[str, tuple[int, int]]:
    """Sky and meadow, the easel in the middle; flowers only where nothing
    else goes."""
    p = draw_layout.places(device)
    u, (w, h) = p["unit"], p["screen"]
    top = _y(p, p["horizon"])
    body = [d.sky(w, h, top), d.sun(p["sun"][0], _y(p, p["sun"][1]), u), d.hills(w, h, top, u),
            d.meadow(w, h, top, u), d.bushes(w, top, u)]
    (px, py), (pw, ph) = p["paper"], p["paper_size"]
    (bx, by), (bw, bh) = p["palette"], p["palette_size"]
    sx, sy = p["strip"]
    sw, sh = p["strip_size"]
    ax, ground = p["animal_x"], p["animal_ground"]
    aw, ah = p["animal_box"]
    keep_out = [
        lambda x, y: abs(x - px) < pw / 2 + 40 * u and y > sy,
        lambda x, y: abs(x - bx) < bw / 2 + 20 * u and abs(y - by) < bh / 2 + 20 * u,
        lambda x, y: abs(x - ax) < aw / 2 and ground - 10 * u < y < ground + ah,
        lambda x, y: abs(x - sx) < sw / 2 + 20 * u and y < sy + sh / 2 + 24 * u,
        lambda x, y: (x < 80 * u or x > w - 80 * u) and abs(y - h / 2) < 80 * u,   # the page buttons
    ]
    body.append(d.scatter(random.Random(17), w, h, u, 14 * u, p["horizon"] - 30 * u, keep_out, count=14))
    body.append(_easel(p))
    return d.svg(w, h, "".join(body)), (w, h)


def _board_path(w: float, h: float, m: float) -> str:
    """A tall, rounded board."""
    r = (w - 2 * m) / 2
    return (f"M{f(m)} {f(m + r)} A{f(r)} {f(r)} 0 0 1 {f(w - m)} {f(m + r)} "
            f"L{f(w - m)} {f(h - m - r)} A{f(r)} {f(r)} 0 0 1 {f(m)} {f(h - m - r)} Z")


def palette_board(device: str) -> tuple[str, tuple[int, int]]:
    """A painter's wooden palette, standing up: the swatches are its dabs of
    paint. A thumb hole below them and a notch on the left."""
    p = draw_layout.places(device)
    u = p["unit"]
    w, h = p["palette_size"]
    m = 4 * u
    board = _board_path(w, h, m)
    hole = (w / 2, h - 38 * u, 15 * u)
    bite = (-4 * u, h * 0.8, 30 * u)
    grain = []
    rng = random.Random(3)
    for i in range(7):
        x = w * (0.12 + 0.76 * i / 6) + rng.uniform(-4, 4) * u
        grain.append(f'<path d="M{f(x)} {f(m)} Q{f(x + rng.uniform(-14, 14) * u)} {f(h / 2)} {f(x)} {f(h - m)}" '
                     f'fill="none" stroke="{WOOD_DARK}" stroke-width="{f(2 * u)}" opacity="0.45"/>')
    cut = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}" fill="black"/>' for x, y, r in (hole, bite))
    rims = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}" fill="none" stroke="{d.INK}" stroke-width="{f(7 * u)}"/>'
                   for x, y, r in (hole, bite))
    body = (f'<defs><mask id="cut" maskUnits="userSpaceOnUse" x="0" y="0" width="{w}" height="{h}">'
            f'<rect width="{w}" height="{h}" fill="white"/>{cut}</mask>'
            f'<clipPath id="board"><path d="{board}"/></clipPath></defs>'
            f'<g mask="url(#cut)">'
            f'<path d="{board}" transform="translate({f(3 * u)} {f(5 * u)})" fill="#2a5a14" opacity="0.25"/>'
            f'<path d="{board}" fill="{WOOD}"/>'
            f'<g clip-path="url(#board)">{"".join(grain)}'
            f'<path d="{board}" fill="none" stroke="{WOOD_LIGHT}" stroke-width="{f(10 * u)}" opacity="0.7"/>'
            f'{rims}</g>'
            f'<path d="{board}" fill="none" stroke="{d.INK}" stroke-width="{f(3.5 * u)}"/></g>')
    return d.svg(w, h, body), (w, h)


def swatch(w: int, h: int) -> str:
    """A dab of paint, white so that the scene tints it with its colour:
    lighter on top, with a shine."""
    c = 50
    bumps = [(c, c, 34), (c - 20, c - 16, 16), (c + 22, c - 14, 15), (c + 18, c + 20, 16), (c - 22, c + 18, 14)]
    shine = (f'<ellipse cx="{c - 12}" cy="{c - 14}" rx="12" ry="7" transform="rotate(-30 {c - 12} {c - 14})" '
             f'fill="#ffffff"/><circle cx="{c + 10}" cy="{c - 22}" r="3.5" fill="#ffffff"/>')
    body = (d.blob(bumps, "#e6e6e6", d.INK, 2.5)
            + "".join(f'<circle cx="{x}" cy="{y - r * 0.18}" r="{f(r * 0.8)}" fill="#f5f5f5"/>' for x, y, r in bumps)
            + shine)
    # 100 units hold the blob of 2 x 34 + bumps: the tap area is the picture.
    return d.svg(w, h, body, view=(-14, -14, 128, 128))


def highlight_mask(device: str) -> tuple[str, tuple[int, int]]:
    """The highlight's shape over the whole palette: a ring round every
    swatch. Only its alpha counts: the highlight picture is moved onto the
    chosen swatch and shows through it, so the ring appears round that one."""
    p = draw_layout.places(device)
    w, h = p["palette_size"]
    cx, cy = p["palette"]
    r0, r1, r2 = p["ring"]
    rings = []
    for x, y in p["swatches"]:
        px, py = x - cx + w / 2, cy - y + h / 2
        rings.append(f'<circle cx="{f(px)}" cy="{f(py)}" r="{f((r0 + r1) / 2)}" fill="none" stroke="#ffffff" '
                     f'stroke-width="{f(r1 - r0)}"/>'
                     f'<circle cx="{f(px)}" cy="{f(py)}" r="{f((r1 + r2) / 2)}" fill="none" stroke="#ffffff" '
                     f'stroke-width="{f(r2 - r1)}" opacity="0.45"/>')
    return d.svg(w, h, "".join(rings)), (w, h)


def colour_mask(w: int, h: int) -> str:
    """The highlight: a golden, twinkling ring, seen through the ring shape
    of the palette's highlight mask."""
    c = w / 2
    k = w / 84                      # drawn for the tablet's 84 points
    r0, r1 = 31 * k, 38 * k
    mid = (r0 + r1) / 2
    twinkles = []
    for i in range(6):
        a = i * math.pi / 3 + 0.3
        x, y = c + mid * math.cos(a), c + mid * math.sin(a)
        s = 4.2 * k
        twinkles.append(f'<path d="M{f(x)} {f(y - s)} Q{f(x)} {f(y)} {f(x + s)} {f(y)} Q{f(x)} {f(y)} {f(x)} {f(y + s)} '
                        f'Q{f(x)} {f(y)} {f(x - s)} {f(y)} Q{f(x)} {f(y)} {f(x)} {f(y - s)} Z" fill="#ffffff"/>')
    body = (f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r1 + 2 * k)}" fill="none" stroke="#fff6b0" stroke-width="{f(4 * k)}"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(mid)}" fill="none" stroke="#ffc61a" stroke-width="{f(r1 - r0)}"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(mid - 1.2 * k)}" fill="none" stroke="#ffe36e" stroke-width="{f(2.4 * k)}"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r0 + 0.6 * k)}" fill="none" stroke="{d.INK}" stroke-width="{f(1.6 * k)}"/>'
            f'<circle cx="{f(c)}" cy="{f(c)}" r="{f(r1 - 0.6 * k)}" fill="none" stroke="{d.INK}" stroke-width="{f(1.6 * k)}"/>'
            + "".join(twinkles))
    return d.svg(w, h, body)


def brush(w: int, h: int) -> str:
    """The ink's stamp: a white dot with a soft edge, tinted by the scene.
    Stamped a point apart, the soft edge adds up to a smooth line."""
    return d.svg(w, h, '<defs><radialGradient id="b"><stop offset="0.72" stop-color="#ffffff"/>'
                       '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></radialGradient></defs>'
                       '<circle cx="50" cy="50" r="50" fill="url(#b)"/>', view=(0, 0, 100, 100))


def star(w: int, h: int) -> str:
    """A way point: a plump golden star with a shine."""
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = 44 if i % 2 == 0 else 22
        pts.append(f"{f(50 + r * math.cos(a))} {f(53 + r * math.sin(a))}")
    shape = "M" + " L".join(pts) + " Z"
    body = (f'<circle cx="50" cy="52" r="40" fill="#fffbe0" opacity="0.55"/>'
            f'<path d="{shape}" fill="#ffb400" stroke="{d.INK}" stroke-width="5" stroke-linejoin="round"/>'
            f'<path d="{shape}" transform="translate(50 53) scale(0.62) translate(-50 -53)" fill="#ffe14d"/>'
            f'<path d="M36 40 L46 30" stroke="#ffffff" stroke-width="5" stroke-linecap="round"/>')
    return d.svg(w, h, body, view=(0, 0, 100, 100))


def draw_head(w: int, h: int) -> str:
    """The pen the child drags: a smiling pencil whose point is the picture's
    centre (where the ink goes), leaning up to the right, out from under the
    finger. A halo round the point, about as big as the reach within which a
    touch takes the pen, shows where to take hold of it."""
    c = 50
    ink = d.INK
    pencil = (f'<g transform="rotate(-45 {c} {c})">'
              # along the axis from the point: wood to 16, body to 42, band to 47, eraser to 55
              f'<path d="M{c} {c} L{c + 16} {c - 9} L{c + 16} {c + 9} Z" fill="#f7d9a8" stroke="{ink}" stroke-width="2.5" stroke-linejoin="round"/>'
              f'<path d="M{c} {c} L{c + 6} {c - 3.4} L{c + 6} {c + 3.4} Z" fill="#4a4a4a"/>'
              f'<rect x="{c + 16}" y="{c - 11}" width="26" height="22" fill="#ffc928" stroke="{ink}" stroke-width="2.5"/>'
              f'<rect x="{c + 17.5}" y="{c - 9.5}" width="23" height="6" fill="#ffe27a"/>'
              f'<rect x="{c + 42}" y="{c - 11}" width="5" height="22" fill="#b9c4cc" stroke="{ink}" stroke-width="2.5"/>'
              f'<rect x="{c + 47}" y="{c - 11}" width="8" height="22" rx="4" fill="#ff8fb8" stroke="{ink}" stroke-width="2.5"/>'
              f'</g>')
    # A face on the body, upright, wherever the body is drawn.
    fx, fy = c + 29 / math.sqrt(2), c - 29 / math.sqrt(2)
    face = (f'<circle cx="{f(fx - 4.5)}" cy="{f(fy - 2)}" r="2.4" fill="{ink}"/>'
            f'<circle cx="{f(fx + 4.5)}" cy="{f(fy - 2)}" r="2.4" fill="{ink}"/>'
            f'<path d="M{f(fx - 4)} {f(fy + 3)} Q{f(fx)} {f(fy + 7)} {f(fx + 4)} {f(fy + 3)}" fill="none" stroke="{ink}" '
            f'stroke-width="1.8" stroke-linecap="round"/>')
    # Golden, so it shows on the white paper as well as on the digits.
    halo = (f'<circle cx="{c}" cy="{c}" r="26" fill="#fff6c8" opacity="0.45"/>'
            f'<circle cx="{c}" cy="{c}" r="26" fill="none" stroke="#ff9f1c" stroke-width="3" opacity="0.95" '
            f'stroke-dasharray="6 5"/>')
    return d.svg(w, h, halo + pencil + face, view=(0, 0, 100, 100))


def edge_button(direction: str, w: int, h: int) -> str:
    """The next or previous page button: a tab fixed to the screen's edge
    (right for next, left for previous) with a big arrow on it."""
    right = direction == "next"
    vw, vh = 64, 120
    r = 30
    # The tab, drawn for the right edge: flat at x = vw (past it, so the edge
    # shows no outline), round towards the page.
    tab = (f"M{vw + 10} 6 L{r + 4} 6 Q4 6 4 {6 + r} L4 {vh - 6 - r} Q4 {vh - 6} {r + 4} {vh - 6} L{vw + 10} {vh - 6} Z")
    arrow = "M18 60 L40 38 L40 50 L52 50 L52 70 L40 70 L40 82 Z"
    body = (f'<path d="{tab}" transform="translate(0 4)" fill="#2a5a14" opacity="0.25"/>'
            f'<path d="{tab}" fill="#4aa3f0" stroke="{d.INK}" stroke-width="4"/>'
            f'<path d="M14 {6 + r} Q14 16 {r + 8} 16" fill="none" stroke="#ffffff" stroke-width="5" stroke-linecap="round" opacity="0.55"/>'
            f'<path d="{arrow}" transform="translate(70 0) scale(-1 1)" fill="#ffffff" stroke="{d.INK}" stroke-width="3.5" stroke-linejoin="round"/>')
    if right:
        return d.svg(w, h, body, view=(0, 0, vw, vh))
    return d.svg(w, h, f'<g transform="translate({vw} 0) scale(-1 1)">{body}</g>', view=(0, 0, vw, vh))


def bubble(w: int, h: int) -> str:
    """A soap bubble: the particles of a collected star. Blue-rimmed, so
    that it shows on the white paper too."""
    return d.svg(w, h, '<defs><radialGradient id="g" cx="0.5" cy="0.5" r="0.5">'
                       '<stop offset="0.55" stop-color="#d8f1ff" stop-opacity="0.2"/>'
                       '<stop offset="0.92" stop-color="#7cc8f0" stop-opacity="0.75"/>'
                       '<stop offset="1" stop-color="#7cc8f0" stop-opacity="0"/></radialGradient></defs>'
                       '<circle cx="50" cy="50" r="47" fill="url(#g)"/>'
                       '<circle cx="50" cy="50" r="42" fill="none" stroke="#3f9fd8" stroke-width="4" opacity="0.85"/>'
                       '<path d="M28 38 A25 25 0 0 1 46 24" fill="none" stroke="#ffffff" stroke-width="8" '
                       'stroke-linecap="round"/>'
                       '<circle cx="67" cy="69" r="5" fill="#ffffff" opacity="0.9"/>', view=(0, 0, 100, 100))
