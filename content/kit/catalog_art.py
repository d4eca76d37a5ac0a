"""The app shelf's pictures: a wooden bookcase that slides up over the
meadow. The shelf (one row: back wall and the board the icons stand on), the
crown on top with a sign for the heading, the name plate fixed to the
board's front, the soft shadows under an icon and its plate, the button's
touch area (nothing drawn) and its pressed glow, and the pull tab in its
closed (arrow up) and opened (arrow down) looks.

Every maker sizes its own picture from content/kit/catalog_layout.py and
returns (svg, (width, height)); drawing coordinates are picture points, y
down. The places inside the shadow and the glow follow from the shelf's
code: a button's picture stands with its bottom half a plate below the
board's top... see catalog_layout.py."""
from __future__ import annotations

import draw as d
from catalog_layout import SIZES, board, icon
from draw import f

WOOD = "#d99a5b"
WOOD_DARK = "#b8753a"
WOOD_LIGHT = "#f2c48d"
BOARD = "#e8b273"
WALL = "#fbeccb"
WALL_SEAM = "#ecd5a3"
PAPER = "#fff6df"
SHADOW = "#5a3a12"


def _u(device: str) -> float:
    return 1.0 if device == "ipad" else 0.5


def _soft(name: str, blur: float) -> str:
    return (f'<filter id="{name}" x="-30%" y="-30%" width="160%" height="160%">'
            f'<feGaussianBlur stdDeviation="{f(blur)}"/></filter>')


def shelf(device: str):
    """One row: the back wall, two side posts and the bottom board (half a
    plate high) whose top the icons stand on."""
    w, h = SIZES[device]["shelf"]
    u = _u(device)
    b = board(device)
    wall_h = h - b
    post = 14 * u
    out = [f'<defs><linearGradient id="dusk" x1="0" y1="0" x2="0" y2="{f(wall_h)}" gradientUnits="userSpaceOnUse">'
           f'<stop offset="0" stop-color="{SHADOW}" stop-opacity="0.28"/>'
           f'<stop offset="0.35" stop-color="{SHADOW}" stop-opacity="0"/></linearGradient></defs>',
           f'<rect width="{w}" height="{f(wall_h)}" fill="{WALL}"/>']
    # Upright planks of the back wall.
    plank = 128 * u
    x = plank / 2
    while x < w:
        out.append(f'<path d="M{f(x)} 0 V{f(wall_h)}" stroke="{WALL_SEAM}" stroke-width="{f(2 * u)}"/>')
        x += plank
    # The board above (the row over this one, or the crown) darkens the wall's top.
    out.append(f'<rect width="{w}" height="{f(wall_h)}" fill="url(#dusk)"/>')
    # The board: a light lip on top, grain, outlined top and bottom.
    out.append(f'<rect y="{f(wall_h)}" width="{w}" height="{b}" fill="{BOARD}"/>'
               f'<rect y="{f(wall_h)}" width="{w}" height="{f(b * 0.28)}" fill="{WOOD_LIGHT}"/>')
    for i, (gy, x0, x1) in enumerate(((0.55, 0.08, 0.3), (0.7, 0.42, 0.66), (0.6, 0.74, 0.93))):
        y = wall_h + b * gy
        out.append(f'<path d="M{f(w * x0)} {f(y)} Q{f(w * (x0 + x1) / 2)} {f(y - 3 * u)} {f(w * x1)} {f(y)}" '
                   f'fill="none" stroke="{WOOD_DARK}" stroke-width="{f(1.6 * u)}" stroke-linecap="round" opacity="0.6"/>')
    out.append(f'<path d="M0 {f(wall_h)} H{w} M0 {f(h - 1.2 * u)} H{w}" stroke="{d.INK}" stroke-width="{f(2.4 * u)}"/>')
    # The side posts hold the boards.
    for x0 in (0, w - post):
        out.append(f'<rect x="{f(x0)}" width="{f(post)}" height="{h}" fill="{WOOD}"/>')
    out.append(f'<path d="M{f(post)} 0 V{h} M{f(w - post)} 0 V{h}" stroke="{d.INK}" stroke-width="{f(2.4 * u)}"/>')
    return d.svg(w, h, "".join(out)), (w, h)


def shelf_top(device: str):
    """The bookcase's crown: wood, with a paper sign in the middle for the
    heading the code writes at the picture's centre, and daisies beside it."""
    w, h = SIZES[device]["shelf-top"]
    u = _u(device)
    lip = h * 0.22
    out = [f'<rect width="{w}" height="{h}" fill="{WOOD}"/>',
           f'<rect y="{f(h - lip)}" width="{w}" height="{f(lip)}" fill="{WOOD_DARK}"/>',
           f'<rect width="{w}" height="{f(h * 0.12)}" fill="{WOOD_LIGHT}"/>',
           f'<path d="M0 {f(1.2 * u)} H{w} M0 {f(h - lip)} H{w} M0 {f(h - 1.2 * u)} H{w}" stroke="{d.INK}" '
           f'stroke-width="{f(2.4 * u)}"/>']
    sw, sh = w * 0.62, (h - lip) * 0.78
    sx, sy = (w - sw) / 2, h / 2 - sh / 2
    out.append(f'<rect x="{f(sx + 2 * u)}" y="{f(sy + 3 * u)}" width="{f(sw)}" height="{f(sh)}" rx="{f(sh * 0.3)}" '
               f'fill="{SHADOW}" opacity="0.3"/>'
               f'<rect x="{f(sx)}" y="{f(sy)}" width="{f(sw)}" height="{f(sh)}" rx="{f(sh * 0.3)}" fill="{PAPER}" '
               f'stroke="{d.INK}" stroke-width="{f(2.6 * u)}"/>')
    for nx in (sx + sh * 0.3, sx + sw - sh * 0.3):
        out.append(f'<circle cx="{f(nx)}" cy="{f(h / 2)}" r="{f(3.2 * u)}" fill="{WOOD_DARK}" stroke="{d.INK}" '
                   f'stroke-width="{f(1.2 * u)}"/>')
    flowers = [(0.08, "#ffffff"), (0.14, "#ffd1e8"), (0.86, "#ffd1e8"), (0.92, "#ffffff")]
    for fx, petal in flowers:
        out.append(d.daisy(w * fx, (h - lip) * 0.5, (h - lip) * 0.34, petal=petal, u=u))
    return d.svg(w, h, "".join(out)), (w, h)


def plate(device: str):
    """A paper name plate in a wooden frame, nailed to the board; the name
    goes in its middle (0.8 of its width, 0.9 of its height)."""
    w, h = SIZES[device]["plate"]
    u = _u(device)
    frame = h * 0.07
    r = h * 0.22
    out = [f'<rect x="{f(u)}" y="{f(u)}" width="{f(w - 2 * u)}" height="{f(h - 2 * u)}" rx="{f(r)}" fill="{WOOD}" '
           f'stroke="{d.INK}" stroke-width="{f(2.2 * u)}"/>',
           f'<rect x="{f(frame + u)}" y="{f(frame + u)}" width="{f(w - 2 * frame - 2 * u)}" height="{f(h - 2 * frame - 2 * u)}" '
           f'rx="{f(r * 0.7)}" fill="{PAPER}" stroke="{WOOD_DARK}" stroke-width="{f(1.4 * u)}"/>']
    for nx in (w * 0.04, w * 0.96):
        out.append(f'<circle cx="{f(nx)}" cy="{f(h / 2)}" r="{f(2.6 * u)}" fill="#9aa5ad" stroke="{d.INK}" '
                   f'stroke-width="{f(1 * u)}"/>')
    return d.svg(w, h, "".join(out)), (w, h)


def _button_frame(device: str):
    """A button picture's size and, in picture points (y down), the icon's
    box and the plate's box in it: the picture's bottom is half a plate
    below the board's top, where the icon stands; the plate's middle is
    a quarter plate below that."""
    w, h = SIZES[device]["button"]
    pw, ph = SIZES[device]["plate"]
    iw, ih = icon(device)
    foot = h - ph                        # the board's top, where the icon stands
    icon_box = ((w - iw) / 2, foot - ih, iw, ih)
    plate_mid = h - ph * 0.75
    plate_box = ((w - pw) / 2, plate_mid - ph / 2, pw, ph)
    return (w, h), icon_box, plate_box


def shadow(device: str):
    """The soft shadows an icon casts on the back wall and its plate on the
    board, down and to the right."""
    (w, h), (ix, iy, iw, ih), (px, py, pw, ph) = _button_frame(device)
    u = _u(device)
    off = 5 * u
    body = (f'<defs>{_soft("soft", 4 * u)}</defs><g fill="{SHADOW}" filter="url(#soft)">'
            f'<rect x="{f(ix + off)}" y="{f(iy + off)}" width="{f(iw)}" height="{f(ih)}" rx="{f(iw * 0.2)}" opacity="0.35"/>'
            f'<rect x="{f(px + off * 0.6)}" y="{f(py + off)}" width="{f(pw)}" height="{f(ph)}" rx="{f(ph * 0.22)}" opacity="0.3"/>'
            f'</g>')
    return d.svg(w, h, body), (w, h)


def button(device: str):
    """The touch area of an application's button: nothing drawn, since the
    icon over it is what a child sees and taps."""
    (w, h), _, _ = _button_frame(device)
    return d.svg(w, h, ""), (w, h)


def button_highlight(device: str):
    """The pressed look: a sunny glow behind the icon, with two sparkles."""
    (w, h), (ix, iy, iw, ih), _ = _button_frame(device)
    u = _u(device)
    grow = 7 * u
    body = [f'<defs>{_soft("glow", 5 * u)}</defs>',
            f'<rect x="{f(ix - grow)}" y="{f(iy - grow)}" width="{f(iw + 2 * grow)}" height="{f(ih + 2 * grow)}" '
            f'rx="{f(iw * 0.28)}" fill="#ffe14d" opacity="0.9" filter="url(#glow)"/>']
    for sx, sy, s in ((ix - grow * 0.2, iy + grow * 0.6, 1.0), (ix + iw + grow * 0.1, iy + ih * 0.55, 0.75)):
        r = 9 * u * s
        body.append(f'<path d="M{f(sx)} {f(sy - r)} Q{f(sx)} {f(sy)} {f(sx + r)} {f(sy)} Q{f(sx)} {f(sy)} {f(sx)} {f(sy + r)} '
                    f'Q{f(sx)} {f(sy)} {f(sx - r)} {f(sy)} Q{f(sx)} {f(sy)} {f(sx)} {f(sy - r)} Z" fill="#ffffff" '
                    f'stroke="#f0a22e" stroke-width="{f(1.2 * u)}" stroke-linejoin="round"/>')
    return d.svg(w, h, "".join(body)), (w, h)


def _tab(device: str, up: bool):
    """The pull tab: wood with rounded top corners, standing on its bottom
    edge; three little app tiles and an arrow saying which way the shelf goes."""
    w, h = SIZES[device]["tab"]
    s = h / 64                       # the tablet's tab is 64 high
    r = min(h * 0.45, w * 0.3)
    sw = 3 * s
    path = (f"M{f(sw / 2)} {h} V{f(r)} Q{f(sw / 2)} {f(sw / 2)} {f(r)} {f(sw / 2)} H{f(w - r)} "
            f"Q{f(w - sw / 2)} {f(sw / 2)} {f(w - sw / 2)} {f(r)} V{h}")
    out = [f'<path d="{path} Z" fill="{WOOD}"/>',
           f'<path d="M{f(r * 0.7)} {f(sw * 1.6)} H{f(w - r * 0.7)}" stroke="{WOOD_LIGHT}" stroke-width="{f(4 * s)}" '
           f'stroke-linecap="round"/>',
           f'<path d="{path}" fill="none" stroke="{d.INK}" stroke-width="{f(sw)}" stroke-linejoin="round"/>']
    cy = h * 0.56
    tile = h * 0.3
    tiles = [(0.2, "#ff6b6b"), (0.8, "#48b3ea")] if w / h > 2.2 else []
    for fx, colour in tiles:
        out.append(f'<rect x="{f(w * fx - tile / 2)}" y="{f(cy - tile / 2)}" width="{f(tile)}" height="{f(tile)}" '
                   f'rx="{f(tile * 0.25)}" fill="{colour}" stroke="{d.INK}" stroke-width="{f(2.2 * s)}"/>')
    aw, ah = h * 0.5, h * 0.26
    y0, y1 = (cy + ah / 2, cy - ah / 2) if up else (cy - ah / 2, cy + ah / 2)
    arrow = f"M{f(w / 2 - aw / 2)} {f(y0)} L{f(w / 2)} {f(y1)} L{f(w / 2 + aw / 2)} {f(y0)}"
    out.append(f'<path d="{arrow}" fill="none" stroke="{d.INK}" stroke-width="{f(11 * s)}" stroke-linecap="round" '
               f'stroke-linejoin="round"/>'
               f'<path d="{arrow}" fill="none" stroke="#ffe14d" stroke-width="{f(6 * s)}" stroke-linecap="round" '
               f'stroke-linejoin="round"/>')
    return d.svg(w, h, "".join(out)), (w, h)


def tab_closed(device: str):
    return _tab(device, up=True)


def tab_opened(device: str):
    return _tab(device, up=False)
