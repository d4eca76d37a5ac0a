"""The feedback form's pictures: the card (a sheet of paper under a grassy
green band that carries the title and the social buttons on a tablet), the
frames under the three text controls, the send button (a green board like
the main menu's), the close badge, the two social buttons' tiles with a
socket under each icon (a held icon sinks into it), their icons, and the
dimmer's one-colour dot.

Makers size their own pictures from content/kit/feedback_layout.py and
return (svg, (width, height)); drawing coordinates are picture points, y
down, while the layout's places are card points, y up."""
from __future__ import annotations

import re

import draw as d
from draw import f
from feedback_layout import SOCIAL, places, size
from screen import CONTENT
from shared import ENVELOPE, _badge

PAPER = "#fff8e6"
FRAME = "#d9bd86"
GREEN_TOP = "#5cbf3a"
GREEN_LOW = "#3c9126"
TILES = {"facebook": ("#3f73d9", "#2a53a8"), "twitter": ("#35a9e6", "#1f7fb5")}


def _board(w: float, h: float, u: float, top: str = GREEN_TOP, low: str = GREEN_LOW) -> str:
    """A green board with a light rim, as the main menu's buttons have."""
    sw = 3.5 * u
    r = min(h * 0.32, 24 * u)
    return (f'<defs><linearGradient id="board" x1="0" y1="0" x2="0" y2="{f(h)}" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{low}"/></linearGradient></defs>'
            f'<rect x="{f(sw / 2)}" y="{f(sw / 2)}" width="{f(w - sw)}" height="{f(h - sw)}" rx="{f(r)}" '
            f'fill="url(#board)" stroke="{d.INK}" stroke-width="{f(sw)}"/>'
            f'<rect x="{f(sw * 2.2)}" y="{f(sw * 2.2)}" width="{f(w - sw * 4.4)}" height="{f(h - sw * 4.4)}" '
            f'rx="{f(r * 0.75)}" fill="none" stroke="#bdf07a" stroke-width="{f(2.4 * u)}" opacity="0.9"/>')


def paper_card(w: float, h: float, band: float, u: float) -> tuple[list[str], str]:
    """A sheet of paper with rounded corners under a grassy green band whose
    lower edge lies at picture y `band`: the parts to draw first, and the
    outline to draw last (over what the caller adds)."""
    sw = 4 * u
    r = 26 * u
    shape = (f'<rect x="{f(sw / 2)}" y="{f(sw / 2)}" width="{f(w - sw)}" height="{f(h - sw)}" rx="{f(r)}"/>')
    # The band's lower edge is a row of soft grass bumps.
    n = max(8, round(w / (34 * u)))
    edge = [f"M0 0 H{w} V{f(band)}"]
    for i in range(n, 0, -1):
        x0, x1 = w * i / n, w * (i - 1) / n
        edge.append(f"Q{f((x0 + x1) / 2)} {f(band + 9 * u)} {f(x1)} {f(band)}")
    edge.append("Z")
    first = [f'<defs><clipPath id="card">{shape}</clipPath>'
             f'<linearGradient id="band" x1="0" y1="0" x2="0" y2="{f(band)}" gradientUnits="userSpaceOnUse">'
             f'<stop offset="0" stop-color="{GREEN_TOP}"/><stop offset="1" stop-color="{GREEN_LOW}"/></linearGradient></defs>',
             shape.replace("/>", f' fill="{PAPER}"/>'),
             f'<g clip-path="url(#card)"><path d="{" ".join(edge)}" fill="url(#band)" stroke="{d.INK}" '
             f'stroke-width="{f(2.6 * u)}" stroke-linejoin="round"/>'
             f'<path d="M{f(r)} {f(sw * 2.4)} H{f(w - r)}" stroke="#bdf07a" stroke-width="{f(3 * u)}" '
             f'stroke-linecap="round" opacity="0.8"/></g>']
    return first, shape.replace("/>", f' fill="none" stroke="{d.INK}" stroke-width="{f(sw)}"/>')


def card(device: str):
    p = places(device)
    w, h = p["card_size"]
    u = p["unit"]
    band = h - p["band"]                # the band's lower edge, picture y
    out, outline = paper_card(w, h, band, u)
    # Frames under the text controls: the controls are half-transparent white.
    fr = p["frame"]
    for key in ("text_view", "field_name", "field_email"):
        x, y, cw, ch = p[key]
        top = h - (y + ch)
        out.append(f'<rect x="{f(x - fr)}" y="{f(top - fr)}" width="{f(cw + 2 * fr)}" height="{f(ch + 2 * fr)}" '
                   f'rx="{f(min(8 * u, (ch + 2 * fr) / 3))}" fill="#ffffff" stroke="{FRAME}" stroke-width="{f(2.4 * u)}"/>'
                   f'<path d="M{f(x)} {f(top - fr * 0.2)} H{f(x + cw)}" stroke="#efe3c8" stroke-width="{f(2 * u)}" '
                   f'stroke-linecap="round"/>')
    if device == "ipad":
        # A letter with a heart between the social buttons, over the title.
        ex, ey, es = w / 2, h - 576, 1.5
        out.append(f'<g transform="translate({f(ex - 50 * es)} {f(ey - 48 * es)}) scale({es})">'
                   f'{ENVELOPE.replace("{ink}", d.INK)}</g>')
        # Flowers in the lower corners, clear of the send button.
        for x, y, s, petal in ((44, 50, 15, "#ffffff"), (84, 28, 11, "#ffd1e8"), (648, 50, 15, "#ffd1e8"),
                               (608, 28, 11, "#ffffff")):
            out.append(d.daisy(x * u, h - y * u, s * u, petal=petal, u=u))
        for x, y in ((20, 22), (118, 20), (578, 18), (672, 22)):
            out.append(d.tuft(x * u, h - y * u, 1.2 * u))
    else:
        # Two daisies in the band, left of the title.
        for x, s, petal in ((22, 9, "#ffffff"), (44, 7, "#ffd1e8")):
            out.append(d.daisy(x, band / 2 + 2, s, petal=petal, u=u))
    out.append(outline)
    return d.svg(w, h, "".join(out)), (w, h)


def send(device: str):
    w, h = size("buttonSend", device)
    return d.svg(w, h, _board(w, h, places(device)["unit"])), (w, h)


CROSS = ('<path d="M36 34 L64 62 M64 34 L36 62" stroke="{ink}" stroke-width="15" stroke-linecap="round"/>'
         '<path d="M36 34 L64 62 M64 34 L36 62" stroke="#ffffff" stroke-width="8" stroke-linecap="round"/>')


def close(device: str):
    w, h = size("buttonClose", device)
    return d.svg(w, h, _badge("#ff5a5f", "#c93c40", CROSS.replace("{ink}", d.INK), False), view=(0, 0, 100, 100)), (w, h)


def social_tile(member: str, device: str):
    """A social button's tile: its colour, a light rim, and under the icon's
    rest place a darker socket the icon covers when it is held down."""
    p = places(device)
    u = p["unit"]
    (tx, ty), (w, h) = p[member]
    (ix, iy), (iw, ih) = p[member + "Icon"]
    face, dark = TILES[SOCIAL[member]]
    sw = 3 * u
    r = 16 * u
    left, top = ix - iw / 2 - (tx - w / 2), (ty + h / 2) - (iy + ih / 2)
    press = p["press"]
    out = [f'<rect x="{f(sw / 2)}" y="{f(sw / 2)}" width="{f(w - sw)}" height="{f(h - sw)}" rx="{f(r)}" fill="{face}" '
           f'stroke="{d.INK}" stroke-width="{f(sw)}"/>',
           f'<rect x="{f(sw * 2)}" y="{f(sw * 2)}" width="{f(w - sw * 4)}" height="{f(h - sw * 4)}" rx="{f(r * 0.7)}" '
           f'fill="none" stroke="#ffffff" stroke-width="{f(2 * u)}" opacity="0.35"/>',
           # The socket has the icon's own shape.
           f'<rect x="{f(left)}" y="{f(top + press)}" width="{f(iw)}" height="{f(ih)}" '
           f'rx="{f(iw * (0.5 if SOCIAL[member] == "twitter" else 0.26))}" fill="{dark}"/>']
    return d.svg(w, h, "".join(out)), (w, h)


def _inner(svg_file: str) -> tuple[str, str]:
    text = (CONTENT / "art" / svg_file).read_text()
    view = re.search(r'viewBox="([^"]+)"', text)[1]
    return re.sub(r"(?s)^.*?<svg[^>]*>|</svg>\s*$", "", text), view


def social_icon(member: str, device: str):
    """White faces with the networks' marks in the tile's colour: a bold f,
    and a little meadow bird."""
    p = places(device)
    u = p["unit"]
    w, h = size(member, device)
    kind = SOCIAL[member[:-len("Icon")]]
    face, dark = TILES[kind]
    sw = 3 * u
    if kind == "facebook":
        out = (f'<rect x="{f(sw / 2)}" y="{f(sw / 2)}" width="{f(w - sw)}" height="{f(h - sw)}" rx="{f(w * 0.26)}" '
               f'fill="#ffffff" stroke="{d.INK}" stroke-width="{f(sw)}"/>'
               f'<text x="{f(w * 0.54)}" y="{f(h * 0.86)}" font-family="Andika" font-weight="bold" '
               f'font-size="{f(h * 0.86)}" text-anchor="middle" fill="{face}">f</text>')
    else:
        body, view = _inner("bird.svg")
        for word, colour in {"BODY": face, "BELLY": "#ffe3a3", "WING": dark}.items():
            body = body.replace(f'"{word}"', f'"{colour}"')
        out = (f'<circle cx="{f(w / 2)}" cy="{f(h / 2)}" r="{f(w / 2 - sw / 2)}" fill="#ffffff" stroke="{d.INK}" '
               f'stroke-width="{f(sw)}"/>'
               f'<svg x="{f(w * 0.16)}" y="{f(h * 0.2)}" width="{f(w * 0.7)}" height="{f(h * 0.6)}" viewBox="{view}" '
               f'preserveAspectRatio="xMidYMid meet">{body}</svg>')
    return d.svg(w, h, out), (w, h)


def dot(w: int, h: int) -> str:
    """The dimmer's texture: stretched over the window, so one colour."""
    return d.svg(w, h, f'<rect width="{w}" height="{h}" fill="#1d3312" opacity="0.55"/>')
