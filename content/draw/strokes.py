"""The numbers' strokes (content/draw/strokes.toml) as lines: the digit
pictures "num<n>.png" are drawn along them with a thick round pen, and the
drawing pages' strokes files take their way points from the very same lines,
placed as the picture places them. So a star is always on the digit.

Everything here works in a picture's own points (y down, as SVG has it),
given the picture's size: the tablet's digit is 328 points high, the phone's
half that, and every width scales with the height.
"""
from __future__ import annotations

import math
import tomllib
from functools import cache
from pathlib import Path

import draw as d
from draw import f
from shared import DIGIT_COLOURS

SOURCE = Path(__file__).resolve().parent / "strokes.toml"
NUMBERS = range(1, 11)

TOP, BOTTOM = 10.0, 150.0     # the digits' band in source units
TABLET_HEIGHT = 328           # the tablet picture's height: widths below are for it
MARGIN = 34                   # round the lines: half the outline, the shadow, smoothing
OUTLINE, RIM, BODY, LANE = 58, 50, 42, 14   # pen widths, outermost first
SHADOW = 4                    # the outline's shadow, this far below it
MAX_STEP = 56                 # way points at most this far apart along a stroke
CORNER = 35                   # a turn sharper than this (degrees) gets a way point of its own
SAMPLE = 0.5                  # source units between the points of the drawn lines

Point = tuple[float, float]


def _arc(at: Point, rx: float, ry: float, a0: float, a1: float) -> list[Point]:
    """Round an ellipse from the pen at angle a0 to angle a1 (degrees)."""
    t0, t1 = math.radians(a0), math.radians(a1)
    cx, cy = at[0] - rx * math.cos(t0), at[1] - ry * math.sin(t0)
    n = max(2, math.ceil(abs(t1 - t0) * max(rx, ry) / SAMPLE))
    return [(cx + rx * math.cos(t0 + (t1 - t0) * i / n), cy + ry * math.sin(t0 + (t1 - t0) * i / n))
            for i in range(1, n + 1)]


def _line(a: Point, b: Point) -> list[Point]:
    n = max(1, math.ceil(math.dist(a, b) / SAMPLE))
    return [(a[0] + (b[0] - a[0]) * i / n, a[1] + (b[1] - a[1]) * i / n) for i in range(1, n + 1)]


def _curve(a: Point, c: Point, b: Point) -> list[Point]:
    n = max(2, math.ceil((math.dist(a, c) + math.dist(c, b)) / SAMPLE))
    out = []
    for i in range(1, n + 1):
        t = i / n
        out.append(((1 - t) ** 2 * a[0] + 2 * t * (1 - t) * c[0] + t * t * b[0],
                    (1 - t) ** 2 * a[1] + 2 * t * (1 - t) * c[1] + t * t * b[1]))
    return out


def parse(path: str) -> tuple[list[Point], list[int]]:
    """A stroke's path as a dense line, and the indices in it where one
    command meets the next."""
    words = path.split()
    pts: list[Point] = []
    joins: list[int] = []
    i = 0
    while i < len(words):
        cmd, i = words[i], i + 1
        take = {"M": 2, "L": 2, "Q": 4, "A": 3, "E": 4}.get(cmd)
        if take is None:
            raise ValueError(f"unknown command {cmd!r} in {path!r}")
        v = [float(w) for w in words[i:i + take]]
        i += take
        if cmd == "M":
            if pts:
                raise ValueError(f"a stroke starts once: {path!r}")
            pts.append((v[0], v[1]))
            continue
        if not pts:
            raise ValueError(f"a stroke starts with M: {path!r}")
        if len(pts) > 1:
            joins.append(len(pts) - 1)
        at = pts[-1]
        if cmd == "L":
            pts += _line(at, (v[0], v[1]))
        elif cmd == "Q":
            pts += _curve(at, (v[0], v[1]), (v[2], v[3]))
        elif cmd == "A":
            pts += _arc(at, v[0], v[0], v[1], v[2])
        else:
            pts += _arc(at, v[0], v[1], v[2], v[3])
    return pts, joins


def _length(pts: list[Point]) -> float:
    return sum(math.dist(a, b) for a, b in zip(pts, pts[1:]))


def _trim(pts: list[Point], cut: float) -> list[Point]:
    """The line without its last `cut` units."""
    keep = _length(pts) - cut
    out, run = [pts[0]], 0.0
    for a, b in zip(pts, pts[1:]):
        step = math.dist(a, b)
        if run + step >= keep:
            k = (keep - run) / step
            out.append((a[0] + (b[0] - a[0]) * k, a[1] + (b[1] - a[1]) * k))
            return out
        out.append(b)
        run += step
    return out


def _turn(pts: list[Point], i: int) -> float:
    """How sharply (degrees) the line turns at point i."""
    (ax, ay), (bx, by), (cx, cy) = pts[i - 1], pts[i], pts[i + 1]
    a1, a2 = math.atan2(by - ay, bx - ax), math.atan2(cy - by, cx - bx)
    return abs(math.degrees((a2 - a1 + math.pi) % (2 * math.pi) - math.pi))


class Stroke:
    def __init__(self, path: str, short: float = 0.0):
        self.drawn, joins = parse(path)
        self.traced = _trim(self.drawn, short) if short else self.drawn
        last = len(self.traced) - 1
        # Where the pen turns sharply the child turns too: a star marks it.
        self.corners = [j for j in joins if 0 < j < last and _turn(self.traced, j) > CORNER]


@cache
def strokes() -> dict[int, list[Stroke]]:
    with open(SOURCE, "rb") as fh:
        table = tomllib.load(fh)["digit"]
    out = {int(k): [Stroke(s["path"], s.get("short", 0.0)) for s in v] for k, v in table.items()}
    missing = [n for n in NUMBERS if not out.get(n)]
    if missing:
        raise ValueError(f"strokes.toml: no strokes for {missing}")
    return out


class Placement:
    """Where number n's lines fall in its picture of w x h points."""

    def __init__(self, n: int, w: float, h: float):
        self.n, self.w, self.h = n, w, h
        self.u = h / TABLET_HEIGHT
        self.s = (h - 2 * MARGIN * self.u) / (BOTTOM - TOP)
        xs = [x for st in strokes()[n] for x, _ in st.drawn]
        self.ox = w / 2 - (min(xs) + max(xs)) / 2 * self.s
        self.oy = MARGIN * self.u - TOP * self.s

    def point(self, p: Point) -> Point:
        return (self.ox + p[0] * self.s, self.oy + p[1] * self.s)

    def line(self, pts: list[Point]) -> list[Point]:
        return [self.point(p) for p in pts]

    def way_points(self) -> list[list[Point]]:
        """Each stroke's way points in picture points: its two ends, every
        sharp turn, and between them evenly spaced points at most MAX_STEP
        apart along the line."""
        out = []
        for st in strokes()[self.n]:
            line = self.line(st.traced)
            marks = [0, *st.corners, len(line) - 1]
            pts = [line[0]]
            for a, b in zip(marks, marks[1:]):
                pts += _even(line[a:b + 1], MAX_STEP * self.u)
            out.append(pts)
        return out


def _even(line: list[Point], step: float) -> list[Point]:
    """Points along a line at equal distances no longer than step, its end
    included, its start not."""
    total = _length(line)
    count = max(1, math.ceil(total / step - 1e-9))
    out, run, k = [], 0.0, 1
    for a, b in zip(line, line[1:]):
        seg = math.dist(a, b)
        while k < count and run + seg >= total * k / count:
            t = (total * k / count - run) / seg
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
            k += 1
        run += seg
    out.append(line[-1])
    return out


def _lighter(colour: str, k: float) -> str:
    rgb = [int(colour[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(c + (255 - c) * k):02x}" for c in rgb)


def _pen(lines: list[list[Point]], colour: str, width: float, extra: str = "") -> str:
    paths = "".join("M" + " L".join(f"{f(x)} {f(y)}" for x, y in line) for line in lines)
    return (f'<path d="{paths}" fill="none" stroke="{colour}" stroke-width="{f(width)}" '
            f'stroke-linecap="round" stroke-linejoin="round"{extra}/>')


def digit(n: int, w: int, h: int) -> str:
    """Number n as the child traces it: a fat, round-ended line in the
    number's colour with a dark outline and a white rim, and a pale lane
    down its middle where the ink goes."""
    pl = Placement(n, w, h)
    u = pl.u
    colour = DIGIT_COLOURS[n % len(DIGIT_COLOURS)]
    lines = [pl.line(st.drawn) for st in strokes()[n]]
    shadow = [[(x, y + SHADOW * u) for x, y in line] for line in lines]
    body = (_pen(shadow, d.INK, OUTLINE * u, ' opacity="0.22"')
            + _pen(lines, d.INK, OUTLINE * u)
            + _pen(lines, "#ffffff", RIM * u)
            + _pen(lines, colour, BODY * u)
            + _pen(lines, _lighter(colour, 0.6), LANE * u))
    return d.svg(w, h, body)
