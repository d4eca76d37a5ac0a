"""The arithmetic game's generated pictures: the lake, the two ships with
their score boards and pinwheels, the lily pads the answers rest on, the
timer bar, the settings menu's panel with its option tiles and marker, the
start and new-game buttons, the end panels, the six team flags, the six
fruits the ships throw, the explosion's frames and the fireworks' spark.

Pictures whose places matter are drawn from content/game/game_layout.py, so
a board stays under its score, a lily pad under its answer and a tile under
its marker, on the tablet and on the phone alike."""
from __future__ import annotations

import math
import random
import re

import draw as d
import game_layout
from draw import f
from screen import CONTENT
from shared import _badge


def _y(p: dict, y: float) -> float:
    """Engine y (up) to picture y (down)."""
    return p["screen"][1] - y


def _inner(svg_file: str) -> tuple[str, str]:
    """The drawing inside an SVG file of content/art, and its viewBox."""
    text = (CONTENT / "art" / svg_file).read_text()
    view = re.search(r'viewBox="([^"]+)"', text)[1]
    return re.sub(r"(?s)^.*?<svg[^>]*>|</svg>\s*$", "", text), view


def _picture(svg_file: str, x: float, y: float, w: float, h: float) -> str:
    """An animal of content/art fitted into the box (x, y, w, h)."""
    body, view = _inner(svg_file)
    return (f'<svg x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" viewBox="{view}" '
            f'preserveAspectRatio="xMidYMid meet">{body}</svg>')


# --- the teams ----------------------------------------------------------
# team<n>.png, in the menu's order: the animal on the flag and its colours.
TEAMS = [
    ("frog3.svg", "#3fa9f5", "#2a78c2"),     # frogs: green on blue
    ("duck.svg", "#ff5a5f", "#c93c40"),      # ducks: yellow on red
    ("bee.svg", "#7b6cf6", "#5646c9"),       # bees: on violet
    ("cat.svg", "#4caf3c", "#2f7d2a"),       # kittens: on green
    ("puppy.svg", "#ff9f1c", "#d07a12"),     # puppies: on orange
    ("pig.svg", "#2ec4b6", "#1f8f85"),       # piglets: pink on teal
]


def _flag_body(team: int) -> str:
    """A square sail on two yards with the team's animal on a white disc,
    in a 108 x 80 box; the mast passes behind its middle. The lowest part of
    the box stays clear, so the sail keeps above the ship's rail."""
    animal, cloth, dark = TEAMS[team - 1]
    out = [
        # the cloth, bellied a little by the wind
        f'<path d="M10 9 L98 9 Q101 32 97 56 Q54 62 11 56 Q7 32 10 9 Z" fill="{cloth}" stroke="{d.INK}" '
        f'stroke-width="3" stroke-linejoin="round"/>',
        f'<path d="M16 14 L92 14 Q94 32 91 50 Q54 55 17 50 Q14 32 16 14 Z" fill="none" stroke="{dark}" '
        f'stroke-width="2.5" opacity="0.8"/>',
        '<circle cx="54" cy="33" r="21" fill="#ffffff" stroke="#33291f" stroke-width="2.5"/>',
        _picture(animal, 37, 16, 34, 34),
        # the two yards
        f'<rect x="2" y="4" width="104" height="8" rx="4" fill="{d.BARK}" stroke="{d.INK}" stroke-width="2.5"/>',
        f'<rect x="6" y="53" width="96" height="7" rx="3.5" fill="{d.BARK}" stroke="{d.INK}" stroke-width="2.5"/>',
    ]
    return "".join(out)


def flag(team: int, w: int, h: int) -> str:
    return d.svg(w, h, _flag_body(team), view=(0, 0, 108, 80))


# --- the ships ------------------------------------------------------------
_HULLS = {
    # hull, its dark lower part, the stripe under the rail
    "ship1": ("#e8504a", "#b23a35", "#ffffff"),
    "ship2": ("#4a8fe2", "#2f64a8", "#ffe27a"),
}


def ship(which: str, w: int, h: int) -> str:
    """A round-bellied sailing boat, facing right for the child's ship and
    left for the opponent's: hull, mast and rigging. The score board, the
    pinwheel on the mast and the flag are separate sprites on it."""
    s = game_layout.SHIP
    sw, sh = s["size"]
    hull, low, stripe = _HULLS[which]

    def Y(y):
        return sh - y

    mx = s["mast"]
    out = []
    # Rigging and mast behind the hull.
    top = Y(s["pinwheel"][1] - 8)
    out.append(f'<path d="M{f(mx)} {f(top)} L14 {f(Y(92))}" stroke="{d.INK}" stroke-width="2" fill="none"/>')
    out.append(f'<rect x="{f(mx - 5)}" y="{f(top)}" width="10" height="{f(Y(s["deck"]) - top)}" rx="4" '
               f'fill="{d.BARK}" stroke="{d.INK}" stroke-width="3"/>')
    # The hull: the rail dips amidships, the bow rises to a prow.
    rail = f"M10 {f(Y(98))} Q130 {f(Y(44))} 252 {f(Y(102))}"
    body = (f"{rail} C246 {f(Y(60))} 224 {f(Y(6))} 190 {f(Y(1))} L72 {f(Y(1))} "
            f"C40 {f(Y(1))} 14 {f(Y(30))} 10 {f(Y(98))} Z")
    out.append(f'<defs><clipPath id="hull"><path d="{body}"/></clipPath></defs>')
    out.append(f'<path d="{body}" fill="{hull}"/>')
    out.append(f'<g clip-path="url(#hull)">'
               f'<rect x="0" y="{f(Y(20))}" width="{sw}" height="30" fill="{low}"/>'
               f'<path d="M10 {f(Y(88))} Q130 {f(Y(34))} 252 {f(Y(92))}" fill="none" stroke="{stripe}" stroke-width="9"/>'
               f'<path d="M10 {f(Y(96))} Q130 {f(Y(42))} 252 {f(Y(100))}" fill="none" stroke="#ffffff" stroke-width="3" opacity="0.5"/>'
               f'</g>')
    out.append(f'<path d="{body}" fill="none" stroke="{d.INK}" stroke-width="3.5" stroke-linejoin="round"/>')
    # Portholes, clear of the board.
    bx = s["board"][0]
    for x, y in ((42, 50), (76, 44), (110, 41)):
        if abs(x - bx) < 60:
            continue
        out.append(f'<circle cx="{x}" cy="{f(Y(y))}" r="10" fill="#d8f1ff" stroke="{d.INK}" stroke-width="3"/>'
                   f'<circle cx="{x - 3}" cy="{f(Y(y) - 3)}" r="3.5" fill="#ffffff"/>')
    # Foam where the hull meets the water.
    for x, y, r in ((30, 10, 7), (44, 5, 6), (214, 9, 7), (228, 15, 6), (120, 2, 5), (160, 2, 5)):
        out.append(f'<circle cx="{x}" cy="{f(Y(y))}" r="{r}" fill="#ffffff" stroke="#7fb3d6" stroke-width="1.5"/>')
    body_svg = "".join(out)
    if which == "ship2":
        body_svg = f'<g transform="translate({sw} 0) scale(-1 1)">{body_svg}</g>'
    return d.svg(w, h, body_svg, view=(0, 0, sw, sh))


def board(w: int, h: int) -> str:
    """The plate on a ship's side the score is written on: deep blue, so the
    white numbers read, with a brass rim."""
    body = (f'<rect x="3" y="4" width="78" height="49" rx="12" fill="#1d3d6b" stroke="{d.INK}" stroke-width="3"/>'
            f'<rect x="8" y="9" width="68" height="39" rx="8" fill="none" stroke="#f4c542" stroke-width="3"/>'
            + "".join(f'<circle cx="{x}" cy="{y}" r="2.2" fill="#f4c542"/>' for x, y in ((14, 15), (70, 15), (14, 42), (70, 42))))
    return d.svg(w, h, body, view=(0, 0, 84, 56))


def pinwheel(w: int, h: int) -> str:
    """A four-bladed pinwheel: it turns once round when the ship is touched."""
    c = 24
    colours = ["#ff5a5f", "#ffd23f", "#3fa9f5", "#6cc644"]
    out = []
    for i, colour in enumerate(colours):
        a = i * math.pi / 2
        ca, sa = math.cos(a), math.sin(a)

        def p(x, y):
            return f"{f(c + x * ca - y * sa)} {f(c + x * sa + y * ca)}"
        out.append(f'<path d="M{p(0, 0)} L{p(0, -21)} Q{p(14, -18)} {p(17, -3)} Z" fill="{colour}" '
                   f'stroke="{d.INK}" stroke-width="2.2" stroke-linejoin="round"/>')
    out.append(f'<circle cx="{c}" cy="{c}" r="4.5" fill="#ffffff" stroke="{d.INK}" stroke-width="2"/>')
    return d.svg(w, h, "".join(out), view=(0, 0, 48, 48))


# --- the answers' lily pads and the timer -----------------------------------
def plate(w: int, h: int) -> str:
    """A big, dark lily pad, so that the white number resting on it reads."""
    cx, cy, rx, ry = 68, 44, 62, 34
    a0, a1 = math.radians(-112), math.radians(-78)
    x0, y0 = cx + rx * math.cos(a0), cy + ry * math.sin(a0)
    x1, y1 = cx + rx * math.cos(a1), cy + ry * math.sin(a1)
    pad = (f"M{cx} {cy + 6} L{f(x1)} {f(y1)} A{rx} {ry} 0 1 1 {f(x0)} {f(y0)} Z")
    veins = "".join(f'<path d="M{cx} {cy + 6} L{f(cx + rx * 0.85 * math.cos(a))} {f(cy + ry * 0.85 * math.sin(a))}" '
                    f'stroke="#4f9e3a" stroke-width="2.5" stroke-linecap="round"/>'
                    for a in (math.radians(v) for v in (-20, 25, 70, 115, 160, 205, 245, -55)))
    body = (f'<path d="{pad}" transform="translate(0 5)" fill="#1f6d99" opacity="0.35"/>'
            f'<path d="{pad}" fill="#2f7d2a" stroke="{d.INK}" stroke-width="3" stroke-linejoin="round"/>'
            f'{veins}'
            f'<path d="M{cx - rx * 0.7} {cy + ry * 0.45} Q{cx} {cy + ry * 0.95} {cx + rx * 0.7} {cy + ry * 0.45}" '
            f'fill="none" stroke="#62b84a" stroke-width="3" stroke-linecap="round" opacity="0.8"/>')
    return d.svg(w, h, body, view=(0, 0, 136, 84))


def bar(w: int, h: int) -> str:
    """The time left: a bright band the code shrinks towards its left end."""
    body = ('<defs><linearGradient id="bar" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#ffe066"/><stop offset="1" stop-color="#ff9f1c"/></linearGradient></defs>'
            f'<rect x="1.5" y="1.5" width="525" height="21" rx="10.5" fill="url(#bar)" stroke="{d.INK}" stroke-width="3"/>'
            '<rect x="10" y="5" width="508" height="5" rx="2.5" fill="#ffffff" opacity="0.6"/>')
    return d.svg(w, h, body, view=(0, 0, 528, 24))


BAR_START = 56      # where the bar begins on its track, from the track's left end (tablet points)


def bar_track(w: int, h: int) -> str:
    """The groove the timer bar runs in, with a little clock at its start."""
    body = (f'<rect x="44" y="8" width="552" height="30" rx="15" fill="#1d3d6b" opacity="0.55" stroke="{d.INK}" stroke-width="3"/>'
            f'<circle cx="23" cy="23" r="19" fill="#ffffff" stroke="{d.INK}" stroke-width="3.5"/>'
            f'<circle cx="23" cy="23" r="14" fill="none" stroke="#ff9f1c" stroke-width="2.5"/>'
            f'<path d="M23 13 L23 23 L30 27" fill="none" stroke="{d.INK}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>'
            f'<rect x="18" y="0" width="10" height="5" rx="2" fill="{d.INK}"/>')
    return d.svg(w, h, body, view=(0, 0, 600, 44))


# --- the settings menu ----------------------------------------------------
def _sign(text: str, x: float, y: float, size: float, colour: str) -> str:
    return (f'<text x="{f(x)}" y="{f(y + size * 0.36)}" font-family="Andika" font-weight="bold" font-size="{f(size)}" '
            f'text-anchor="middle" fill="{colour}" stroke="{d.INK}" stroke-width="{f(size * 0.09)}" '
            f'stroke-linejoin="round" paint-order="stroke">{text}</text>')


def _star(x: float, y: float, r: float) -> str:
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = r if i % 2 == 0 else r * 0.45
        pts.append(f"{f(x + rr * math.cos(a))} {f(y + rr * math.sin(a))}")
    return f'<path d="M{" L".join(pts)} Z" fill="#ffd23f" stroke="{d.INK}" stroke-width="2" stroke-linejoin="round"/>'


# The operations' signs, in the order of the game's types; the mixed type
# shows all four.
OPERATIONS = [("+", "#4caf3c"), ("\u2212", "#ff5a5f"), (":", "#3fa9f5"), ("\u00d7", "#b56cf5")]


def _tile(row: str, i: int, x: float, y: float, s: float) -> str:
    """An option's picture on its square (x, y picture coordinates of the
    square's top-left corner, side s), in tablet points."""
    m = 6
    cx, cy = x + s / 2, y + s / 2
    out = [f'<rect x="{f(x + m)}" y="{f(y + m + 2)}" width="{f(s - 2 * m)}" height="{f(s - 2 * m)}" rx="12" fill="#0e2a4d" opacity="0.5"/>',
           f'<rect x="{f(x + m)}" y="{f(y + m)}" width="{f(s - 2 * m)}" height="{f(s - 2 * m)}" rx="12" fill="#fff6dc" '
           f'stroke="{d.INK}" stroke-width="2.5"/>']
    if row == "Type":
        if i < 4:
            sign, colour = OPERATIONS[i]
            out.append(_sign(sign, cx, cy, 40, colour))
        else:
            for k, (sign, colour) in enumerate(OPERATIONS):
                out.append(_sign(sign, cx + (-11 if k % 2 == 0 else 11), cy + (-10 if k < 2 else 11), 24, colour))
    elif row == "Difficult":
        n = i + 1
        for k in range(n):
            out.append(_star(cx + (k - (n - 1) / 2) * 15, cy + (0 if n < 3 or k == 1 else 5) - (4 if n == 3 and k == 1 else 0), 9))
    else:
        out.append(f'<g transform="translate({f(cx - 24)} {f(cy - 20)}) scale(0.444)">{_flag_body(i + 1)}</g>')
    return "".join(out)


def _rounded(x: float, y: float, w: float, h: float, r: float) -> str:
    """A rounded rectangle as a path (so that it can cut a hole)."""
    return (f"M{f(x + r)} {f(y)} H{f(x + w - r)} A{f(r)} {f(r)} 0 0 1 {f(x + w)} {f(y + r)} V{f(y + h - r)} "
            f"A{f(r)} {f(r)} 0 0 1 {f(x + w - r)} {f(y + h)} H{f(x + r)} A{f(r)} {f(r)} 0 0 1 {f(x)} {f(y + h - r)} "
            f"V{f(y + r)} A{f(r)} {f(r)} 0 0 1 {f(x + r)} {f(y)} Z")


def menu_panel(device: str) -> tuple[str, tuple[int, int]]:
    """The settings menu: a deep blue board in a wooden frame with a tile per
    option, the rows apart, and a hole where the start button shows through
    (the button lies under the panel, so the panel's caption stays over it).
    Drawn in tablet points; the phone's is the same at half size."""
    m = game_layout.menu("ipad")
    w, h = m["size"]
    s = m["square"]
    sx, sy = m["start"]
    bw, bh = m["start_size"]
    # The hole is a little smaller than the button's drawn board, so that
    # nothing behind the menu shows round the button, pressed or not.
    hole = _rounded(sx - bw / 2 + 3, h - sy - bh / 2 + 3, bw - 6, bh - 8, 20)
    board = _rounded(8, 8, w - 16, h - 16, 40)
    out = ['<defs><linearGradient id="panel" x1="0" y1="0" x2="0" y2="1">'
           '<stop offset="0" stop-color="#2a6db0"/><stop offset="1" stop-color="#184476"/></linearGradient></defs>',
           f'<path d="{_rounded(14, 18, w - 22, h - 22, 40)} {hole}" fill="#0e2a4d" opacity="0.35" fill-rule="evenodd"/>',
           f'<path d="{board} {hole}" fill="url(#panel)" fill-rule="evenodd"/>',
           f'<path d="{board}" fill="none" stroke="{d.INK}" stroke-width="16"/>',
           f'<path d="{board}" fill="none" stroke="#d9a066" stroke-width="10"/>',
           f'<path d="{_rounded(16, 16, w - 32, h - 32, 33)}" fill="none" stroke="{d.INK}" stroke-width="2.5"/>',
           f'<path d="{hole}" fill="none" stroke="#0e2a4d" stroke-width="6"/>']
    # Soft bands between the rows.
    rows = m["rows"]
    for upper, lower in zip(rows, rows[1:]):
        y = h - (upper["captions"][0][1] - 20 + lower["heading"][1] + 24) / 2
        out.append(f'<path d="M70 {f(y)} H{f(w - 70)}" stroke="#8fc3f0" stroke-width="2.5" stroke-linecap="round" '
                   f'stroke-dasharray="2 10" opacity="0.7"/>')
    # Little stars in the top corners, beside the title.
    for x in (60, w - 60):
        out.append(_star(x, 56, 13))
    for row in rows:
        for i, (x, y) in enumerate(row["squares"]):
            out.append(_tile(row["key"], i, x, h - y - s, s))
    pw, ph = (int(v) for v in game_layout.menu(device)["size"])
    return d.svg(pw, ph, "".join(out), view=(0, 0, w, h)), (pw, ph)


def marker(w: int, h: int) -> str:
    """The ring that shows the chosen option: it frames the option's tile,
    with a tick in its corner."""
    body = (f'<rect x="3" y="3" width="58" height="58" rx="15" fill="none" stroke="{d.INK}" stroke-width="8"/>'
            f'<rect x="3" y="3" width="58" height="58" rx="15" fill="none" stroke="#ffd23f" stroke-width="4.5"/>'
            f'<circle cx="53" cy="11" r="9" fill="#6cc644" stroke="{d.INK}" stroke-width="2.5"/>'
            f'<path d="M48.5 11 L52 14.5 L58 7.5" fill="none" stroke="#ffffff" stroke-width="2.8" stroke-linecap="round" stroke-linejoin="round"/>')
    return d.svg(w, h, body, view=(0, 0, 64, 64))


def start_button(pressed: bool, w: int, h: int) -> str:
    """The start button: a green board like the main menu's; the code writes
    "Start" on it."""
    top = "#5cbf3a" if not pressed else "#4aa52d"
    low = "#3c9126" if not pressed else "#2f7a1d"
    dy = 2 if pressed else 0
    body = (f'<defs><linearGradient id="start" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{low}"/></linearGradient></defs>'
            f'<g transform="translate(0 {dy})">'
            f'<rect x="3" y="3" width="214" height="60" rx="22" fill="url(#start)" stroke="{d.INK}" stroke-width="4"/>'
            f'<rect x="10" y="10" width="200" height="46" rx="16" fill="none" stroke="#bdf07a" stroke-width="3" opacity="0.9"/></g>')
    return d.svg(w, h, body, view=(0, 0, 220, 68))


# --- the end of a game -------------------------------------------------------
def _end_board(w: float, h: float, top: str, low: str, rim: str) -> str:
    return (f'<defs><linearGradient id="end" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{low}"/></linearGradient></defs>'
            f'<rect x="10" y="16" width="{w - 16}" height="{h - 20}" rx="40" fill="#000000" opacity="0.3"/>'
            f'<rect x="6" y="6" width="{w - 12}" height="{h - 16}" rx="40" fill="url(#end)" stroke="{d.INK}" stroke-width="5"/>'
            f'<rect x="18" y="18" width="{w - 36}" height="{h - 40}" rx="30" fill="none" stroke="{rim}" stroke-width="4"/>')


def win_panel(w: int, h: int) -> str:
    """The win: a festive violet board with golden stars; the code writes
    "YouWin" on it."""
    body = [_end_board(640, 240, "#8a4fd8", "#5b2a9e", "#ffd23f")]
    for x, y, r in ((58, 60, 22), (96, 176, 14), (582, 60, 22), (544, 176, 14), (320, 30, 10)):
        body.append(_star(x, y, r))
    return d.svg(w, h, "".join(body), view=(0, 0, 640, 240))


def lose_panel(w: int, h: int) -> str:
    """A game lost: a calm blue board with a drop of rain either side; the
    code writes "YouLose" and "TryAgain" on it."""
    body = [_end_board(640, 280, "#3f83cf", "#245996", "#bfe3ff")]
    for x in (64, 576):
        body.append(f'<path d="M{x} 96 C{x - 20} 126 {x - 20} 150 {x} 152 C{x + 20} 150 {x + 20} 126 {x} 96 Z" '
                    f'fill="#bfe3ff" stroke="{d.INK}" stroke-width="3" stroke-linejoin="round"/>'
                    f'<circle cx="{x - 6}" cy="138" r="4" fill="#ffffff"/>')
    return d.svg(w, h, "".join(body), view=(0, 0, 640, 280))


REPLAY = ('<path d="M67 36 A22 22 0 1 0 72 56" fill="none" stroke="{ink}" stroke-width="13" stroke-linecap="round"/>'
          '<path d="M67 36 A22 22 0 1 0 72 56" fill="none" stroke="#ffffff" stroke-width="7" stroke-linecap="round"/>'
          '<path d="M58 22 L78 30 L66 46 Z" fill="#ffffff" stroke="{ink}" stroke-width="3" stroke-linejoin="round"/>')


def new_game_button(w: int, h: int) -> str:
    """Back to the settings for another game: a round button with a
    going-round arrow."""
    return d.svg(w, h, _badge("#4cc36b", "#2e8c47", REPLAY.replace("{ink}", d.INK), False), view=(0, 0, 100, 100))


def dim(w: int, h: int) -> str:
    """Black: stretched over the screen and made see-through by the scene."""
    return d.svg(w, h, f'<rect width="{w}" height="{h}" fill="#000000"/>')


# --- shots and bursts ---------------------------------------------------------
def fruit(kind: int, w: int, h: int) -> str:
    """The fruits the ships throw at each other, each plain to tell apart."""
    ink = d.INK
    leaf = (f'<path d="M50 22 C56 10 70 8 76 12 C70 22 60 24 50 22 Z" fill="{d.LEAF}" stroke="{ink}" stroke-width="2.5" stroke-linejoin="round"/>')
    stem = f'<path d="M48 26 Q48 16 44 10" fill="none" stroke="{d.BARK_DARK}" stroke-width="4" stroke-linecap="round"/>'
    shine = '<ellipse cx="{x}" cy="{y}" rx="7" ry="10" fill="#ffffff" opacity="0.55" transform="rotate(30 {x} {y})"/>'
    if kind == 1:      # apple
        body = (stem + f'<path d="M50 28 C34 16 12 26 14 52 C16 76 34 92 50 84 C66 92 84 76 86 52 C88 26 66 16 50 28 Z" '
                f'fill="#ff4d4d" stroke="{ink}" stroke-width="3.5"/>' + leaf + shine.format(x=30, y=46))
    elif kind == 2:    # orange
        body = (f'<circle cx="50" cy="54" r="36" fill="#ff9f1c" stroke="{ink}" stroke-width="3.5"/>'
                + "".join(f'<circle cx="{x}" cy="{y}" r="1.8" fill="#d07a12"/>' for x, y in ((40, 64), (60, 70), (66, 50), (46, 78), (72, 64)))
                + leaf + shine.format(x=34, y=44))
    elif kind == 3:    # banana
        body = (f'<path d="M18 30 C16 64 40 88 80 80 C86 78 88 72 82 70 C54 74 34 58 30 28 C28 22 20 22 18 30 Z" '
                f'fill="#ffe14d" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>'
                f'<path d="M26 36 C30 58 48 70 72 72" fill="none" stroke="#e8b923" stroke-width="3" stroke-linecap="round"/>'
                f'<path d="M18 30 L20 18 L28 20 L30 28" fill="{d.BARK}" stroke="{ink}" stroke-width="3" stroke-linejoin="round"/>')
    elif kind == 4:    # strawberry
        seeds = "".join(f'<ellipse cx="{x}" cy="{y}" rx="1.8" ry="2.6" fill="#ffe066"/>'
                        for x, y in ((36, 44), (50, 40), (64, 44), (42, 56), (58, 56), (50, 68), (36, 62), (64, 62), (50, 80)))
        body = (f'<path d="M50 90 C30 80 16 58 20 42 C24 30 38 30 50 34 C62 30 76 30 80 42 C84 58 70 80 50 90 Z" '
                f'fill="#ff3b5c" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>' + seeds +
                f'<path d="M50 36 L36 24 L46 26 L50 14 L54 26 L64 24 Z" fill="{d.LEAF}" stroke="{ink}" stroke-width="2.5" stroke-linejoin="round"/>')
    elif kind == 5:    # pear
        body = (stem + f'<path d="M50 22 C40 22 38 36 36 44 C24 54 20 70 28 82 C36 92 64 92 72 82 C80 70 76 54 64 44 C62 36 60 22 50 22 Z" '
                f'fill="#a8d84a" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>' + leaf + shine.format(x=38, y=62))
    else:              # grapes
        grapes = [(50, 84), (40, 72), (60, 72), (30, 58), (50, 60), (70, 58), (38, 44), (62, 44), (50, 34)]
        body = (stem + "".join(f'<circle cx="{x}" cy="{y}" r="11" fill="#8e5cd9" stroke="{ink}" stroke-width="3"/>'
                               f'<circle cx="{x - 3}" cy="{y - 4}" r="3" fill="#ffffff" opacity="0.6"/>' for x, y in grapes) + leaf)
    return d.svg(w, h, body, view=(0, 0, 100, 100))


def _burst(r: float, spikes: int, colours: tuple[str, str, str], rng: random.Random) -> str:
    c = 80
    pts = []
    for i in range(spikes * 2):
        a = i * math.pi / spikes + rng.uniform(-0.08, 0.08)
        rr = r * (1.0 if i % 2 == 0 else 0.58) * rng.uniform(0.9, 1.05)
        pts.append(f"{f(c + rr * math.cos(a))} {f(c + rr * math.sin(a))}")
    outer, mid, core = colours
    inner = []
    for i in range(spikes * 2):
        a = i * math.pi / spikes + 0.1
        rr = r * 0.6 * (1.0 if i % 2 == 0 else 0.55)
        inner.append(f"{f(c + rr * math.cos(a))} {f(c + rr * math.sin(a))}")
    return (f'<path d="M{" L".join(pts)} Z" fill="{outer}" stroke="{d.INK}" stroke-width="3" stroke-linejoin="round"/>'
            f'<path d="M{" L".join(inner)} Z" fill="{mid}"/>'
            f'<circle cx="{c}" cy="{c}" r="{f(r * 0.22)}" fill="{core}"/>')


def _puff(r: float, rng: random.Random, shade: str) -> str:
    c = 80
    bumps = [(c + r * 0.5 * math.cos(a), c + r * 0.45 * math.sin(a), r * rng.uniform(0.42, 0.52))
             for a in (i * math.pi / 3 + 0.3 for i in range(6))]
    bumps.append((c, c, r * 0.55))
    return d.blob(bumps, shade, "#8a8f99", 2.5)


def boom(frame: int, w: int, h: int) -> str:
    """The explosion's frames, all on one canvas: b1 to b3 puffs of smoke,
    growing; b4 to b6 a fruity splash, growing (b6 is the whole blast)."""
    rng = random.Random(frame)
    if frame <= 3:
        r = (46, 60, 72)[frame - 1]
        body = _puff(r, rng, ("#f4f4f4", "#ececec", "#fff3cf")[frame - 1])
    else:
        r = (50, 64, 76)[frame - 4]
        body = _burst(r, 9 + frame, ("#ff9f1c", "#ffd23f", "#fffbe6"), rng)
        drops = []
        for i in range(frame * 2):
            a = rng.uniform(0, 2 * math.pi)
            dist = r * rng.uniform(0.75, 1.02)
            drops.append(f'<circle cx="{f(80 + dist * math.cos(a))}" cy="{f(80 + dist * math.sin(a))}" '
                         f'r="{f(rng.uniform(3, 6))}" fill="#ff5a5f" stroke="{d.INK}" stroke-width="1.6"/>')
        body += "".join(drops)
    return d.svg(w, h, body, view=(0, 0, 160, 160))


def spark(w: int, h: int) -> str:
    """A soft round glow: the fireworks' particle, tinted by each burst."""
    body = ('<defs><radialGradient id="g"><stop offset="0" stop-color="#ffffff"/>'
            '<stop offset="0.35" stop-color="#ffffff" stop-opacity="0.85"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></radialGradient></defs>'
            '<circle cx="16" cy="16" r="16" fill="url(#g)"/>')
    return d.svg(w, h, body, view=(0, 0, 32, 32))


# --- the lake -----------------------------------------------------------------
def background(device: str) -> tuple[str, tuple[int, int]]:
    """Sky, hills and a strip of meadow; below it the lake the two ships sail
    on, ripples and reeds only where nothing of the game goes."""
    p = game_layout.places(device)
    u, (w, h) = p["unit"], p["screen"]
    top = _y(p, p["horizon"])
    shore = _y(p, p["shore"])
    body = [d.sky(w, h, top), d.sun(p["sun"][0], _y(p, p["sun"][1]), u), d.hills(w, h, top, u),
            d.meadow(w, h, top, u), d.bushes(w, top, u)]
    # The lake: a sandy rim, then water deepening towards the front.
    pts = []
    n = 32
    for i in range(n + 1):
        x = w * i / n
        pts.append(f"{f(x)} {f(shore + math.sin(i / n * math.pi * 2.5 + 0.4) * 5 * u)}")
    edge = "M0 " + f(h) + " L" + " L".join(pts) + f" L{f(w)} {f(h)} Z"
    body.append(f'<defs><linearGradient id="lake" x1="0" y1="{f(shore)}" x2="0" y2="{f(h)}" gradientUnits="userSpaceOnUse">'
                f'<stop offset="0" stop-color="{d.WATER_LIGHT}"/><stop offset="0.35" stop-color="{d.WATER}"/>'
                f'<stop offset="1" stop-color="#2a86c8"/></linearGradient></defs>')
    body.append(f'<g transform="translate(0 {f(-7 * u)})"><path d="{edge}" fill="#e8d49a" stroke="{d.INK}" stroke-width="{f(2.4 * u)}"/></g>')
    body.append(f'<path d="{edge}" fill="url(#lake)" stroke="#2d7fb0" stroke-width="{f(2.4 * u)}"/>')
    # Keep ripples off the answers, the task and the ships.
    keep_out = [lambda x, y: y < p["answers"][0][1] + 40 * u,
                lambda x, y: abs(x - p["task"][0]) < 330 * u and abs(y - p["task"][1]) < 70 * u]
    for (sx, sy), which in ((p["ship1"], False), (p["ship2"], True)):
        s = game_layout.ship(device, which)
        k = s["scale"]
        sw, sh = s["size"][0] * k, s["size"][1] * k
        left, bottom = sx - s["score"][0] * k, sy - s["score"][1] * k
        keep_out.append(lambda x, y, left=left, bottom=bottom: left - 20 * u < x < left + sw + 20 * u and bottom - 30 * u < y < bottom + sh)
    rng = random.Random(3)
    placed = 0
    for _ in range(400):
        if placed >= 14:
            break
        x, y = rng.uniform(30 * u, w - 30 * u), rng.uniform(40 * u, p["shore"] - 30 * u)
        if any(k(x, y) for k in keep_out):
            continue
        placed += 1
        s = rng.uniform(14, 26) * u * (0.6 + 0.4 * (1 - y / p["shore"]))
        yy = _y(p, y)
        body.append(f'<path d="M{f(x - s)} {f(yy)} Q{f(x)} {f(yy - s * 0.5)} {f(x + s)} {f(yy)}" fill="none" '
                    f'stroke="#ffffff" stroke-width="{f(2.6 * u)}" stroke-linecap="round" opacity="0.8"/>')
        keep_out.append(lambda xx, yy2, x=x, y=y: abs(xx - x) < 90 * u and abs(yy2 - y) < 40 * u)
    # Reeds in the near corners, beside the first and last answers.
    for side in (-1, 1):
        bx = 14 * u if side < 0 else w - 14 * u
        by = h - 4 * u
        for k, (dx, hgt) in enumerate(((0, 70), (12, 92), (24, 62))):
            x = bx - side * dx * u
            tip = by - hgt * u
            out = (f'M{f(x)} {f(by)} Q{f(x - side * 4 * u)} {f((by + tip) / 2)} {f(x - side * 8 * u)} {f(tip)}')
            body.append(f'<path d="{out}" fill="none" stroke="{d.INK}" stroke-width="{f(6 * u)}" stroke-linecap="round"/>'
                        f'<path d="{out}" fill="none" stroke="{d.LEAF}" stroke-width="{f(3 * u)}" stroke-linecap="round"/>')
            if k == 1:
                body.append(f'<rect x="{f(x - side * 8 * u - 5 * u)}" y="{f(tip - 2 * u)}" width="{f(10 * u)}" height="{f(22 * u)}" '
                            f'rx="{f(5 * u)}" fill="#8a5a2b" stroke="{d.INK}" stroke-width="{f(1.8 * u)}"/>')
    return d.svg(w, h, "".join(body)), (w, h)
