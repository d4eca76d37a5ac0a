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


# --- landscape: the pieces every meadow background is made of ---------------
# Picture coordinates (y down); `top` is the picture y of the horizon, `u`
# the scale of strokes and details against the tablet (0.5 on the phone).

def sky(w: float, h: float, top: float) -> str:
    return (f'<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="{f(top)}" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{SKY_TOP}"/><stop offset="1" stop-color="{SKY_LOW}"/></linearGradient></defs>'
            f'<rect width="{w}" height="{h}" fill="url(#sky)"/>')


def sun(x: float, y: float, u: float) -> str:
    r = 40 * u
    rays = []
    for i in range(12):
        a = i * math.pi / 6
        x1, y1 = x + math.cos(a) * r * 1.25, y + math.sin(a) * r * 1.25
        x2, y2 = x + math.cos(a) * r * 1.6, y + math.sin(a) * r * 1.6
        rays.append(f"M{f(x1)} {f(y1)} L{f(x2)} {f(y2)}")
    return (f'<path d="{" ".join(rays)}" stroke="#ffc02e" stroke-width="{f(6 * u)}" stroke-linecap="round"/>'
            f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(r)}" fill="#ffd84a" stroke="#f0a22e" stroke-width="{f(4 * u)}"/>'
            f'<circle cx="{f(x - r * 0.3)}" cy="{f(y - r * 0.3)}" r="{f(r * 0.35)}" fill="#fff3a8" opacity="0.8"/>')


def hills(w: float, h: float, top: float, u: float) -> str:
    """Far hills, bluish, then nearer ones; each a row of soft bumps."""
    out = []
    for colour, lift, bumps, phase in (("#a9dd86", 46, 3, 0.3), ("#8fd160", 22, 4, 1.7)):
        pts = []
        n = 48
        for i in range(n + 1):
            x = w * i / n
            yy = top - lift * u + math.sin(i / n * math.pi * bumps + phase) * 14 * u \
                - math.sin(i / n * math.pi * 2 * bumps + phase * 2) * 6 * u
            pts.append(f"{f(x)} {f(yy)}")
        path = f"M0 {f(h)} L" + " L".join(pts) + f" L{f(w)} {f(h)} Z"
        out.append(f'<path d="{path}" fill="{colour}" stroke="{INK}" stroke-width="{f(2.4 * u)}" stroke-linejoin="round"/>')
    return "".join(out)


def meadow(w: float, h: float, top: float, u: float) -> str:
    """The grass from the horizon down, with gentle mown bands for depth."""
    pts = []
    n = 40
    for i in range(n + 1):
        x = w * i / n
        yy = top + math.sin(i / n * math.pi * 3.0 + 0.8) * 6 * u
        pts.append(f"{f(x)} {f(yy)}")
    path = f"M0 {f(h)} L" + " L".join(pts) + f" L{f(w)} {f(h)} Z"
    grad = (f'<linearGradient id="meadow" x1="0" y1="{f(top)}" x2="0" y2="{f(h)}" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{GRASS_LIGHT}"/><stop offset="1" stop-color="{GRASS}"/></linearGradient>')
    stripes = []
    for i, yy in enumerate((0.30, 0.55, 0.78)):
        y0 = top + (h - top) * yy
        stripes.append(f'<path d="M0 {f(y0)} Q{f(w * 0.5)} {f(y0 - 26 * u)} {f(w)} {f(y0 + 8 * u)} L{f(w)} {f(y0 + 30 * u)} '
                       f'Q{f(w * 0.5)} {f(y0 + 6 * u)} 0 {f(y0 + 34 * u)} Z" fill="#ffffff" opacity="0.10"/>')
    return (f"<defs>{grad}</defs>"
            f'<path d="{path}" fill="url(#meadow)" stroke="{INK}" stroke-width="{f(2.4 * u)}" stroke-linejoin="round"/>'
            + "".join(stripes))


def bushes(w: float, top: float, u: float) -> str:
    """Three bushes on the horizon: a big one at the left edge, two small ones."""
    out = []
    for x, yy, s in ((-10 * u, top + 60 * u, 1.1), (w * 0.3, top + 8 * u, 0.6), (w * 0.7, top + 4 * u, 0.55)):
        circles = [(x - 30 * s * u, yy, 28 * s * u), (x, yy - 14 * s * u, 34 * s * u), (x + 32 * s * u, yy, 26 * s * u)]
        out.append(blob(circles, LEAF, INK, 2.4 * u))
        out.append(f'<circle cx="{f(x - 6 * s * u)}" cy="{f(yy - 26 * s * u)}" r="{f(10 * s * u)}" fill="{LEAF_LIGHT}"/>')
    return "".join(out)


def scatter(rng, w: float, h: float, u: float, bottom: float, top: float, keep_out: list,
            count: int = 26) -> str:
    """Grass tufts and daisies strewn over the meadow between screen heights
    `bottom` and `top` (y up, as the scenes place things), off every spot a
    keep_out predicate (x, y, y up) claims; each one placed claims its own.
    Farther ones are smaller."""
    out = []
    placed = 0
    tries = 0
    keep_out = list(keep_out)
    while placed < count and tries < 2000:
        tries += 1
        x = rng.uniform(12 * u, w - 12 * u)
        y = rng.uniform(bottom, top)
        if any(k(x, y) for k in keep_out):
            continue
        placed += 1
        depth = 0.7 + 0.3 * (1 - y / top)
        kind = rng.random()
        if kind < 0.45:
            out.append(tuft(x, h - y, 1.3 * u * depth))
        elif kind < 0.8:
            out.append(daisy(x, h - y, 15 * u * depth, u=u))
        else:
            out.append(daisy(x, h - y, 13 * u * depth, petal="#ffd23f", heart="#ff8c1a", u=u))
        keep_out.append(lambda xx, yy, x=x, y=y: abs(xx - x) < 40 * u and abs(yy - y) < 30 * u)
    return "".join(out)


def fence(x0: float, x1: float, base: float, u: float, posts: int = 6) -> str:
    """A low wooden fence from x0 to x1, its posts' feet about picture y
    `base`, sloping a little down to the right."""
    out = []
    for yy in (base - 26 * u, base - 12 * u):
        out.append(f'<path d="M{f(x0)} {f(yy)} L{f(x1)} {f(yy + 6 * u)}" stroke="{INK}" stroke-width="{f(9 * u)}" stroke-linecap="round"/>'
                   f'<path d="M{f(x0)} {f(yy)} L{f(x1)} {f(yy + 6 * u)}" stroke="#d9a066" stroke-width="{f(5 * u)}" stroke-linecap="round"/>')
    for i in range(posts):
        x = x0 + (x1 - x0) * (i + 0.5) / posts
        yy = base + 6 * u * (i + 0.5) / posts
        out.append(f'<path d="M{f(x - 5 * u)} {f(yy + 4 * u)} L{f(x - 5 * u)} {f(yy - 36 * u)} L{f(x)} {f(yy - 42 * u)} '
                   f'L{f(x + 5 * u)} {f(yy - 36 * u)} L{f(x + 5 * u)} {f(yy + 4 * u)} Z" fill="#e3ad72" stroke="{INK}" '
                   f'stroke-width="{f(2 * u)}" stroke-linejoin="round"/>')
    return "".join(out)
