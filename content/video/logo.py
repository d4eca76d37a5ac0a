"""The animated logo that plays over the main menu at the very first start:
the meadow rises, the sun pops up, and the title's letters bounce in one by
one while the jingle plays. frame(device, t) draws the picture at time t
(seconds) as SVG; the build renders every frame and encodes the video with
the jingle of content/audio/music.py.
"""
from __future__ import annotations

import math

import draw as d
from draw import f

FPS = 25
DURATION = 3.2                       # seconds
SIZES = {"ipad": (1024, 768), "iphone": (960, 640)}   # pixels of the video
TITLE = ["Number", "Meadow"]
FONT = "/usr/share/fonts/truetype/andika/Andika-Bold.ttf"
LETTER_COLOURS = ["#ff5a5f", "#ff9f1c", "#ffcf33", "#6cc644", "#2ec4b6", "#3fa9f5", "#7b6cf6", "#c86bfa"]


def _ease_out(x: float) -> float:
    x = min(1.0, max(0.0, x))
    return 1 - (1 - x) ** 3


def _bounce(x: float) -> float:
    """0 -> 1 with an overshoot that settles (a spring)."""
    if x <= 0:
        return 0.0
    if x >= 1:
        return 1.0
    return 1 - math.exp(-6 * x) * math.cos(11 * x)


def _advances(text: str, px: float) -> list[float]:
    from PIL import ImageFont
    font = ImageFont.truetype(FONT, max(1, int(px)))
    return [font.getlength(c) * px / int(px) for c in text]


def frame(device: str, t: float) -> str:
    w, h = SIZES[device]
    u = h / 768
    out = [f'<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="{h}" gradientUnits="userSpaceOnUse">'
           f'<stop offset="0" stop-color="{d.SKY_TOP}"/><stop offset="1" stop-color="{d.SKY_LOW}"/></linearGradient></defs>'
           f'<rect width="{w}" height="{h}" fill="url(#sky)"/>']
    # The sun pops up behind the hills.
    s = _bounce((t - 0.35) / 0.7)
    if s > 0:
        sx, sy, r = w * 0.86, h * 0.17, 56 * u * s
        rays = " ".join(f"M{f(sx + math.cos(a) * r * 1.3)} {f(sy + math.sin(a) * r * 1.3)} "
                        f"L{f(sx + math.cos(a) * r * 1.65)} {f(sy + math.sin(a) * r * 1.65)}"
                        for a in (i * math.pi / 6 + t * 0.6 for i in range(12)))
        out.append(f'<path d="{rays}" stroke="#ffc02e" stroke-width="{f(10 * u * s)}" stroke-linecap="round"/>'
                   f'<circle cx="{f(sx)}" cy="{f(sy)}" r="{f(r)}" fill="#ffd84a" stroke="#f0a22e" stroke-width="{f(6 * u)}"/>')
    # Two hills rise from the bottom.
    rise = _ease_out(t / 0.7)
    for colour, base, amp, phase in (("#a9dd86", 0.62, 40, 0.4), (d.GRASS, 0.72, 30, 2.0)):
        top = h * (1 - (1 - base) * rise)
        pts = " L".join(f"{f(w * i / 40)} {f(top + math.sin(i / 40 * math.pi * 2 + phase) * amp * u)}" for i in range(41))
        out.append(f'<path d="M0 {h} L{pts} L{w} {h} Z" fill="{colour}" stroke="{d.INK}" stroke-width="{f(4 * u)}" stroke-linejoin="round"/>')
    # Flowers spring up on the near hill.
    for i, x in enumerate((0.12, 0.3, 0.55, 0.7, 0.9)):
        g = _bounce((t - 0.8 - i * 0.08) / 0.5)
        if g > 0:
            fx, fy = w * x, h * 0.86 + (i % 2) * 30 * u
            out.append(f'<g transform="translate({f(fx)} {f(fy)}) scale({f(g)}) translate({f(-fx)} {f(-fy)})">'
                       + d.daisy(fx, fy, 22 * u, u=2 * u) + "</g>")
    # The title, letter by letter.
    px = 118 * u
    k = 0
    for row, word in enumerate(TITLE):
        adv = _advances(word, px)
        x = (w - sum(adv)) / 2
        base = h * (0.36 + 0.2 * row)
        for c, a in zip(word, adv):
            g = _bounce((t - 0.6 - k * 0.07) / 0.55)
            if g > 0:
                cx, cy = x + a / 2, base - px * 0.35
                colour = LETTER_COLOURS[k % len(LETTER_COLOURS)]
                wobble = math.sin(t * 5 + k) * 3 * max(0.0, 1 - (t - 0.6 - k * 0.07) / 1.2)
                style = (f'x="{f(x + a / 2)}" y="{f(base)}" font-family="Andika" font-weight="bold" '
                         f'font-size="{f(px)}" text-anchor="middle"')
                out.append(f'<g transform="translate({f(cx)} {f(cy)}) rotate({f(wobble)}) scale({f(g)}) translate({f(-cx)} {f(-cy)})">'
                           f'<text {style} fill="none" stroke="{d.INK}" stroke-width="{f(px * 0.16)}" stroke-linejoin="round">{c}</text>'
                           f'<text {style} fill="none" stroke="#ffffff" stroke-width="{f(px * 0.08)}" stroke-linejoin="round">{c}</text>'
                           f'<text {style} fill="{colour}">{c}</text></g>')
            x += a
            k += 1
    return d.svg(w, h, "".join(out))


# Video file names by device, as the game forms them.
VIDEOS = {
    "logo-animated-landscape-ipad.mp4": "ipad",
    "logo-animated-landscape-iphone.mp4": "iphone",
}
