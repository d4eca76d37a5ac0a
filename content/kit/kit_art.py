"""Pictures of the publisher's kit: the banner scene's two placeholders (in
the game's bundle) and what the publisher's service hands out: the banner, its
pull-tab and icon, and the catalogue's application icons."""
from __future__ import annotations

import draw as d
from draw import f

FONT = "Andika"


def _text(x: float, y: float, size: float, text: str, fill: str = "#ffffff", weight: str = "bold") -> str:
    return (f'<text x="{f(x)}" y="{f(y)}" font-family="{FONT}" font-size="{f(size)}" font-weight="{weight}" '
            f'fill="{fill}" stroke="{d.INK}" stroke-width="{f(size / 14)}" paint-order="stroke" '
            f'text-anchor="middle">{text}</text>')


def placeholder(w: int, h: int) -> str:
    """Never shown: the layer stays hidden until the real pictures replace it."""
    return d.svg(w, h, f'<rect width="{w}" height="{h}" fill="#dde6ee" opacity="0.6"/>')


def banner(title: str, line: str, corner: int, w: int, h: int) -> str:
    u = w / 1024
    body = d.sky(w, h, h * 0.62) + d.hills(w, h, h * 0.55, u) + d.meadow(w, h, h * 0.7, u)
    for i, (x, y, r) in enumerate([(0.12, 0.82, 30), (0.24, 0.9, 24), (0.8, 0.84, 28), (0.9, 0.92, 22), (0.66, 0.93, 20)]):
        body += d.daisy(x * w, y * h, r * u, petal="#ffffff" if i % 2 else "#ffd1e8", u=u)
    body += _text(w / 2, h * 0.3, 96 * u, title)
    body += _text(w / 2, h * 0.42, 40 * u, line, fill="#fff7c2", weight="normal")
    # The play button in the middle, and the close mark in the corner that closes.
    bw, bh = 300 * u, 90 * u
    body += (f'<rect x="{f((w - bw) / 2)}" y="{f(h * 0.5)}" width="{f(bw)}" height="{f(bh)}" rx="{f(bh / 2)}" '
             f'fill="#ff8a3d" stroke="{d.INK}" stroke-width="{f(4 * u)}"/>')
    body += _text(w / 2, h * 0.5 + bh * 0.68, 48 * u, "Play!")
    c, m = corner, corner * 0.3
    x0 = w - c
    body += (f'<circle cx="{f(x0 + c / 2)}" cy="{f(c / 2)}" r="{f(c * 0.36)}" fill="#ffffff" opacity="0.85" '
             f'stroke="{d.INK}" stroke-width="{f(3 * u)}"/>'
             f'<path d="M{f(x0 + m)} {f(m)} L{f(x0 + c - m)} {f(c - m)} M{f(x0 + c - m)} {f(m)} L{f(x0 + m)} {f(c - m)}" '
             f'stroke="{d.INK}" stroke-width="{f(c / 12)}" stroke-linecap="round"/>')
    return d.svg(w, h, body)


def tab(text: str, icon_w: int, w: int, h: int) -> str:
    """Rounded at the bottom, where it hangs into the screen; the icon sits
    at its bottom-left corner."""
    r = h * 0.4
    s = h / 60
    path = (f"M0 0 H{w} V{f(h - r)} Q{w} {h} {f(w - r)} {h} H{f(r)} Q0 {h} 0 {f(h - r)} Z")
    body = (f'<path d="{path}" fill="#ff8a3d" stroke="{d.INK}" stroke-width="{f(3 * s)}"/>'
            + _text(icon_w + (w - icon_w) / 2, h * 0.66, 26 * s, text))
    return d.svg(w, h, body)


ICON_COLOURS = {"number": "#7cc843", "letter": "#ff6b6b", "shape": "#48b3ea", "colour": "#ffcf33",
                "music": "#b56cf5", "clock": "#ff9f1c", "puzzle": "#2ec4b6", "star": "#5a6cf0"}


def _outlined(path: str, s: float, fill: str = "#ffffff") -> str:
    return (f'<path d="{path}" fill="{fill}" stroke="{d.INK}" stroke-width="{f(4 * s)}" stroke-linejoin="round" '
            f'stroke-linecap="round"/>')


def _mark(kind: str, w: int, h: int, s: float) -> str:
    """What an application's icon shows: a digit, a letter, a triangle, dots
    of paint, two notes, a clock, a puzzle piece or a star (drawn in a
    100-unit square)."""
    def p(*xy: float) -> list[str]:
        return [f(v * s) for v in xy]

    if kind == "music":
        heads = "".join(f'<ellipse cx="{f(x * s)}" cy="{f(72 * s)}" rx="{f(11 * s)}" ry="{f(8.5 * s)}" '
                        f'transform="rotate(-20 {f(x * s)} {f(72 * s)})" fill="#ffffff" stroke="{d.INK}" '
                        f'stroke-width="{f(4 * s)}"/>' for x in (34, 68))
        beam = "M{} {} L{} {} L{} {} L{} {} Z".format(*p(41, 30, 76, 22, 76, 34, 41, 42))
        stems = "M{} {} L{} {} M{} {} L{} {}".format(*p(43, 70, 43, 36, 77, 62, 77, 28))
        return (f'<path d="{stems}" stroke="{d.INK}" stroke-width="{f(10 * s)}" stroke-linecap="round"/>'
                f'<path d="{stems}" stroke="#ffffff" stroke-width="{f(4 * s)}" stroke-linecap="round"/>'
                + _outlined(beam, s) + heads)
    if kind == "clock":
        hands = "M{} {} L{} {} L{} {}".format(*p(50, 30, 50, 52, 66, 60))
        ticks = "".join(f'<circle cx="{f(x * s)}" cy="{f(y * s)}" r="{f(3 * s)}" fill="{d.INK}"/>'
                        for x, y in ((50, 24), (76, 52), (50, 80), (24, 52)))
        return (f'<circle cx="{f(50 * s)}" cy="{f(52 * s)}" r="{f(33 * s)}" fill="#ffffff" stroke="{d.INK}" '
                f'stroke-width="{f(4 * s)}"/>' + ticks
                + f'<path d="{hands}" fill="none" stroke="{d.INK}" stroke-width="{f(6 * s)}" stroke-linecap="round" '
                f'stroke-linejoin="round"/><circle cx="{f(50 * s)}" cy="{f(52 * s)}" r="{f(4 * s)}" fill="#ff5a5f"/>')
    if kind == "puzzle":
        piece = "M{} {} H{} C{} {} {} {} {} {} H{} V{} C{} {} {} {} {} {} V{} H{} Z".format(
            *p(28, 36, 42, 38, 20, 62, 20, 58, 36, 72, 50, 88, 46, 88, 70, 72, 66, 80, 28))
        return _outlined(piece, s)
    if kind == "star":
        import math
        pts = []
        for i in range(10):
            a = -math.pi / 2 + i * math.pi / 5
            r = 36 if i % 2 == 0 else 16
            pts += [50 + r * math.cos(a), 54 + r * math.sin(a)]
        star = "M" + " L".join(f"{f(pts[i] * s)} {f(pts[i + 1] * s)}" for i in range(0, 20, 2)) + " Z"
        return _outlined(star, s, "#ffd23f")
    if kind in ("number", "letter"):
        return _text(w / 2, h * 0.7, 60 * s, "1" if kind == "number" else "A")
    if kind == "shape":
        return (f'<path d="M{f(w / 2)} {f(22 * s)} L{f(w - 24 * s)} {f(h - 26 * s)} L{f(24 * s)} {f(h - 26 * s)} Z" '
                f'fill="#ffffff" stroke="{d.INK}" stroke-width="{f(4 * s)}" stroke-linejoin="round"/>')
    dots = [(0.35, 0.4, "#ff6b6b"), (0.65, 0.4, "#48b3ea"), (0.5, 0.66, "#7cc843")]
    return "".join(f'<circle cx="{f(x * w)}" cy="{f(y * h)}" r="{f(15 * s)}" fill="{c}" stroke="{d.INK}" '
                   f'stroke-width="{f(3 * s)}"/>' for x, y, c in dots)


def app_icon(kind: str, w: int, h: int) -> str:
    s = w / 100
    body = (f'<rect x="{f(3 * s)}" y="{f(3 * s)}" width="{f(w - 6 * s)}" height="{f(h - 6 * s)}" rx="{f(20 * s)}" '
            f'fill="{ICON_COLOURS[kind]}" stroke="{d.INK}" stroke-width="{f(4 * s)}"/>' + _mark(kind, w, h, s))
    return d.svg(w, h, body)
