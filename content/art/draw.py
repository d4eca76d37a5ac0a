"""Drawing helpers shared by the generated pictures: the palette, outlines,
and a few shapes (clouds, flowers, grass) that several pictures use.

Every picture is SVG text; coordinates are in the picture's own points with
y down, as SVG has it."""
from __future__ import annotations

import math

INK = "#33291f"          # the outline of everything
LEAF = "#4caf3c"
LEAF_LIGHT = "#6fcf4a"
LEAF_DARK = "#3a8f2e"
GRASS_LIGHT = "#9ddb5a"
GRASS = "#7cc843"
GRASS_DARK = "#5aa832"
BARK = "#9a6234"
BARK_DARK = "#74451f"
WATER = "#48b3ea"
WATER_LIGHT = "#8fdcff"
SKY_TOP = "#63c2f4"
SKY_LOW = "#d2f1ff"


def svg(w: float, h: float, body: str, view: tuple | None = None) -> str:
    vb = view or (0, 0, w, h)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="{vb[0]} {vb[1]} {vb[2]} {vb[3]}">\n{body}\n</svg>\n')


def f(v: float) -> str:
    return f"{v:.2f}".rstrip("0").rstrip(".")


def blob(circles, fill: str, stroke: str = INK, width: float = 3.0, extra: str = "") -> str:
    """The union of some circles with one clean outline: the outlines are drawn
    first, wide, and the fills over them hide the inner arcs."""
    outline = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}"/>' for x, y, r in circles)
    fills = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}"/>' for x, y, r in circles)
    return (f'<g fill="{stroke}" stroke="{stroke}" stroke-width="{f(width * 2)}" {extra}>{outline}</g>'
            f'<g fill="{fill}" {extra}>{fills}</g>')


def cloud(w: float, h: float, bumps: list[tuple[float, float, float]], u: float = 1.0) -> str:
    """A cloud from bumps given as fractions of the picture: (x, y, r/h)."""
    circles = [(x * w, y * h, r * h) for x, y, r in bumps]
    shade = [(x, y + r * 0.22, r * 0.86) for x, y, r in circles]
    base = blob(circles, "#ffffff", "#7fb3d6", 2.4 * u)
    lower = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}"/>' for x, y, r in shade)
    highlight = "".join(f'<circle cx="{f(x - r * 0.1)}" cy="{f(y - r * 0.1)}" r="{f(r * 0.82)}"/>' for x, y, r in circles)
    clip = "".join(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}"/>' for x, y, r in circles)
    return (base +
            f'<clipPath id="cc">{clip}</clipPath>'
            f'<g clip-path="url(#cc)"><g fill="#e4f2fc">{lower}</g><g fill="#ffffff">{highlight}</g></g>')


def daisy(x: float, y: float, r: float, petal: str = "#ffffff", heart: str = "#ffcf33", u: float = 1.0) -> str:
    petals = []
    for i in range(8):
        a = i * math.pi / 4
        px, py = x + math.cos(a) * r * 0.62, y + math.sin(a) * r * 0.62
        petals.append(f'<ellipse cx="{f(px)}" cy="{f(py)}" rx="{f(r * 0.42)}" ry="{f(r * 0.26)}" '
                      f'transform="rotate({f(math.degrees(a))} {f(px)} {f(py)})"/>')
    return (f'<g fill="{petal}" stroke="{INK}" stroke-width="{f(1.4 * u)}">{"".join(petals)}</g>'
            f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r * 0.36)}" fill="{heart}" stroke="{INK}" stroke-width="{f(1.4 * u)}"/>')


def tuft(x: float, y: float, s: float, colour: str = GRASS_DARK) -> str:
    """A little tuft of grass standing on (x, y)."""
    d = (f"M{f(x - 7 * s)} {f(y)} Q{f(x - 6 * s)} {f(y - 8 * s)} {f(x - 9 * s)} {f(y - 14 * s)} "
         f"Q{f(x - 3 * s)} {f(y - 9 * s)} {f(x - 1 * s)} {f(y - 4 * s)} "
         f"Q{f(x)} {f(y - 12 * s)} {f(x + 2 * s)} {f(y - 18 * s)} "
         f"Q{f(x + 4 * s)} {f(y - 10 * s)} {f(x + 3 * s)} {f(y - 4 * s)} "
         f"Q{f(x + 6 * s)} {f(y - 9 * s)} {f(x + 10 * s)} {f(y - 12 * s)} "
         f"Q{f(x + 7 * s)} {f(y - 6 * s)} {f(x + 7 * s)} {f(y)} Z")
    return f'<path d="{d}" fill="{colour}" stroke="{INK}" stroke-width="{f(1.5 * s)}" stroke-linejoin="round"/>'


def tulip(x: float, y: float, s: float, colour: str) -> str:
    """A tulip whose head sits at (x, y), on a stem down to y + 34 s."""
    stem = (f'<path d="M{f(x)} {f(y + 6 * s)} L{f(x)} {f(y + 34 * s)}" stroke="{INK}" stroke-width="{f(5 * s)}" stroke-linecap="round"/>'
            f'<path d="M{f(x)} {f(y + 6 * s)} L{f(x)} {f(y + 34 * s)}" stroke="{LEAF}" stroke-width="{f(2.4 * s)}" stroke-linecap="round"/>'
            f'<path d="M{f(x)} {f(y + 30 * s)} Q{f(x - 14 * s)} {f(y + 26 * s)} {f(x - 16 * s)} {f(y + 14 * s)} Q{f(x - 4 * s)} {f(y + 18 * s)} {f(x)} {f(y + 30 * s)} Z" '
            f'fill="{LEAF}" stroke="{INK}" stroke-width="{f(1.6 * s)}" stroke-linejoin="round"/>')
    head = (f'<path d="M{f(x - 11 * s)} {f(y - 8 * s)} L{f(x - 5 * s)} {f(y - 2 * s)} L{f(x)} {f(y - 10 * s)} '
            f'L{f(x + 5 * s)} {f(y - 2 * s)} L{f(x + 11 * s)} {f(y - 8 * s)} '
            f'Q{f(x + 13 * s)} {f(y + 8 * s)} {f(x)} {f(y + 8 * s)} Q{f(x - 13 * s)} {f(y + 8 * s)} {f(x - 11 * s)} {f(y - 8 * s)} Z" '
            f'fill="{colour}" stroke="{INK}" stroke-width="{f(1.8 * s)}" stroke-linejoin="round"/>')
    return stem + head
