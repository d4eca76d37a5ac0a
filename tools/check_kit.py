"""The publisher's kit's part of the content check (tools/check_content.py):
the app shelf and the feedback form against what their code does with them.

The app shelf names its own pictures ("-landscape", "-ipad", "-hd") and lays
itself out from their sizes; Shelf below redoes that arithmetic. With the
sample catalogue's applications (content/kit/publisher.toml, less the asking
application) and before the list arrives (one button's room):
- the shelves fill the open view at every scroll position the code allows;
- the buttons' touch areas never meet and each icon and plate lies inside
  its own button's, no plate covers another row's icon, and every
  application can be scrolled fully into view;
- on a tablet no shown button lies where the shelf ignores taps;
- every application's name, in every language the service has it, fits its
  plate's label box in the shelf's font, and the heading fits the shelf top;
- the closed tab keeps off the main menu's buttons, the open one stays on
  the screen.

The feedback form: the card with its buttons and texts lies on the screen
when open and wholly off it when closed (with the dimmer), as does any
opener that could steal the main menu's touches; the text controls lie on
the card, apart from each other, from the buttons and from the texts; every
text fits where the code writes it, in every language, and is readable on
what it is written on; a held social icon stays on its button.
"""
from __future__ import annotations

import math
import struct
import tomllib
from functools import cache
from pathlib import Path

try:
    from PIL import Image, ImageFont
except ImportError:  # the content check reports missing fonts and pictures itself
    Image = ImageFont = None

ROOT = Path(__file__).resolve().parent.parent
BROWN = (93, 37, 0)          # the shelf's texts
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def shelf_name(name: str, device: str, orientation: bool, scale: int = 1) -> str:
    """realFileName:withOrientation: in landscape."""
    stem, _, ext = name.rpartition(".")
    suffix = ("-landscape" if orientation else "") + ("-ipad" if device == "ipad" else "") + ("-hd" if scale == 2 else "")
    return f"{stem}{suffix}.{ext}"


def overlaps(a, b) -> bool:
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def inside(inner, outer) -> bool:
    return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]


def shifted(box, dx: float, dy: float):
    return (box[0] + dx, box[1] + dy, box[2] + dx, box[3] + dy)


def rect_box(r):
    """[x, y, width, height] as (left, bottom, right, top)."""
    return (r[0], r[1], r[0] + r[2], r[1] + r[3])


@cache
def _line_skip(font_file: Path, pixels: int) -> int:
    """The line height the game's labels use: the font's ascent, descent and
    line gap (hhea) at that pixel size, rounded up."""
    b = font_file.read_bytes()
    tables = {}
    for i in range(struct.unpack(">H", b[4:6])[0]):
        tag, _, off, _ = struct.unpack(">4sIII", b[12 + 16 * i:28 + 16 * i])
        tables[tag] = off
    upem = struct.unpack(">H", b[tables[b"head"] + 18:tables[b"head"] + 20])[0]
    asc, desc, gap = struct.unpack(">hhh", b[tables[b"hhea"] + 4:tables[b"hhea"] + 10])
    return math.ceil((asc - desc + gap) * pixels / upem)


def wrap(font, text: str, width: float) -> list[str]:
    """Lines as the game's labels break a text: at spaces, greedily; a word
    wider than the line stays whole here (the caller reports it)."""
    lines, line = [], ""
    for word in text.split(" "):
        candidate = f"{line} {word}" if line else word
        if not line or font.getlength(candidate) <= width:
            line = candidate
        else:
            lines.append(line)
            line = word
    return lines + [line]


def _font_file(c, name: str) -> Path | None:
    c.fonts.measure(name, 10, "")           # loads the bundle's font map
    entry = (c.fonts.table or {}).get(name)
    path = c.res / str(entry.get("file")) if isinstance(entry, dict) else None
    return path if path and path.is_file() else None


def fits_box(c, font_name: str, size: float, text: str, box_w: float, box_h: float) -> str | None:
    """Why a text does not fit a label box of that size at both scales, or None."""
    path = _font_file(c, font_name)
    if path is None or ImageFont is None:
        return f"no font {font_name!r} to measure with"
    for scale in (1, 2):
        px = max(1, round(size * scale))
        font = ImageFont.truetype(str(path), px)
        width = math.floor(box_w * scale)
        for word in text.split(" "):
            if font.getlength(word) > width:
                return f"the word {word!r} is wider than the {box_w:g}-point box"
        lines = wrap(font, text, width)
        if len(lines) * _line_skip(path, px) > math.ceil(box_h * scale):
            return f"{len(lines)} lines do not fit the box's {box_h:g} points at scale {scale}"
    return None


def _pixels(path: Path):
    return _decoded(path, path.stat().st_mtime_ns)


@cache
def _decoded(path: Path, stamp: int):
    im = Image.open(path).convert("RGBA")
    return im.size, im.load()


def luminance_under(path: Path, box, scale: float = 1.0) -> float | None:
    """Mean luminance (0-1) of a picture's opaque pixels in a box of its own
    points (origin bottom-left), or None when nothing opaque lies there."""
    if Image is None or not path.is_file():
        return None
    (w, h), px = _pixels(path)
    x0, x1 = max(0, int(box[0] * scale)), min(w, math.ceil(box[2] * scale))
    y0, y1 = max(0, int(h - box[3] * scale)), min(h, math.ceil(h - box[1] * scale))
    total = n = 0.0
    for y in range(y0, y1):
        for x in range(x0, x1):
            r, g, b, a = px[x, y]
            if a >= 200:
                total += (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255
                n += 1
    return total / n if n else None


def readable(lum: float | None, colour) -> bool:
    """White or brown-black text wants a background this dark or light."""
    if lum is None:
        return False
    return lum < 0.6 if colour == WHITE else lum > 0.55


def menu_item_boxes(c, scene: str, dev: str) -> list:
    """The main menu's buttons' boxes on the screen: they must keep their touches."""
    doc = c.plist(scene.replace(".ccb", f"~{dev}.ccb"))
    out = []
    if not isinstance(doc, dict):
        return out
    for node, _ in c.nodes(doc.get("nodeGraph", {}), "root"):
        if node.get("class") != "CCMenu":
            continue
        for item in node.get("children", []):
            p = item.get("properties", {})
            size = c.png(p.get("spriteFileNormal", ""))
            if size and item.get("class") == "CCMenuItemImage":
                (x, y), (ax, ay) = p["position"], p["anchorPoint"]
                w, h = size[0] * p["scaleX"], size[1] * p["scaleY"]
                out.append((x - ax * w, y - ay * h, x + (1 - ax) * w, y + (1 - ay) * h))
    return out


def banner_tab(c, scene: str, dev: str, screen_h: float):
    """The advert banner's pull tab on the screen: the main menu hangs the
    banner layer just above the screen, so the tab hangs from the top edge."""
    stem, _, ext = scene.rpartition(".")
    doc = c.plist(f"{stem}-landscape-{dev}.{ext}") if scene else None
    if not isinstance(doc, dict):
        return None
    for node, _ in c.nodes(doc.get("nodeGraph", {}), "root"):
        p = node.get("properties", {})
        if p.get("memberVarAssignmentName") == "shortcut" and c.png(p.get("spriteFile", "")):
            return shifted(c.box(node), 0, screen_h)
    return None


# --- the app shelf ----------------------------------------------------------

class Shelf:
    """The shelf's layout arithmetic for one device, from its pictures'
    sizes in points. Button places are in the shelf layer's coordinates
    (origin at its lower-left corner, the window's size); screen() moves
    them to where they show while the shelf is open and scrolled up by
    `scroll`."""

    def __init__(self, sizes: dict, fixed: dict, screen: tuple[int, int]):
        self.W, self.H = screen
        self.shelf, self.top, self.plate, self.shadow = (sizes[k] for k in ("shelf.png", "shelf-top.png", "plate.png",
                                                                            "shadow.png"))
        self.icon = tuple(fixed["icon"])
        self.per_row = fixed["buttons_per_row"]
        self.label = (self.plate[0] * 0.8, self.plate[1] * 0.9)
        self.border = int(self.plate[1] * 0.5)
        self.padding = int((self.shelf[0] - self.per_row * self.shadow[0]) / (self.per_row + 1))
        self.default_y = int(self.H - self.top[1] + 1)
        self.open_y = self.H * fixed["open_at"]
        self.visible = int((self.open_y - self.top[1]) / self.shelf[1])

    def shelves(self, count: int) -> int:
        return math.ceil(count / self.per_row)

    def place(self, t: int) -> tuple[float, float]:
        col, row = t % self.per_row, t // self.per_row
        w = self.shadow[0]
        return ((col + 1) * (w + self.padding) - w * 0.5,
                self.H - (row + 1) * (self.shelf[1] + 1) + self.border - self.plate[1])

    def boxes(self, t: int) -> dict:
        x, y = self.place(t)
        (sw, sh), (pw, ph), (iw, ih) = self.shadow, self.plate, self.icon
        plate_y = y + ph - self.border // 2
        return {"button": (x - sw / 2, y, x + sw / 2, y + sh),
                "icon": (x - iw / 2, y + ph, x + iw / 2, y + ph + ih),
                "plate": (x - pw / 2, plate_y - ph / 2, x + pw / 2, plate_y + ph / 2)}

    def scroll_cap(self, count: int) -> int:
        """How far a finger may push the shelves up."""
        return int((self.shelves(count) + 3 - self.visible - 1) * self.shelf[1])

    def rest_limit(self, count: int) -> int:
        """Where they spring back to when let go above it."""
        n = self.shelves(count)
        rows = n - self.visible if n >= 1 else n + 3 - self.visible
        return max(0, int(self.shelf[1] * rows))

    def screen(self, y: float, scroll: float = 0.0) -> float:
        return y + (self.default_y - self.H) + (self.open_y - self.H) + scroll

    def view(self) -> tuple[float, float]:
        """The screen's band where the open shelves show: under the shelf top."""
        return (0.0, self.open_y - self.top[1])


def shelf(c, screens: dict) -> None:
    req = c.m.get("catalogue")
    if not req:
        return
    for dev, screen in screens.items():
        sizes = {}
        for name, orientation in [(n, False) for n in req.get("images", [])] + \
                                 [(n, True) for n in req.get("orientation_images", [])]:
            size = c.image_pair(shelf_name(name, dev, orientation), f"{dev} shelf picture")
            if size:
                sizes[name] = size
        for group in req.get("same_size", []):
            found = {n: sizes[n] for n in group if n in sizes}
            if len(set(found.values())) > 1:
                c.fail(f"{dev} shelf: pictures standing in one place differ in size: {found}")
        needed = ["shelf.png", "shelf-top.png", "plate.png", "shadow.png", "shelf-button-closed.png"]
        if all(n in sizes for n in needed):
            _shelf_layout(c, req, dict(req, **req.get(dev, {})), sizes, dev, screen)


def _publisher(c, req: dict) -> dict:
    try:
        return tomllib.loads((ROOT / "content" / req["publisher"]).read_text())
    except (OSError, KeyError, tomllib.TOMLDecodeError) as e:
        c.fail(f"shelf: cannot read the sample catalogue: {e}")
        return {}


def _shelf_layout(c, req: dict, fixed: dict, sizes: dict, dev: str, screen) -> None:
    where = f"{dev} shelf"
    s = Shelf(sizes, fixed, screen)
    W, H = screen
    if s.shelf[0] < W or s.top[0] < W:
        c.fail(f"{where}: the shelf and its top must span the {W}-point window")
    if s.padding < 0:
        c.fail(f"{where}: {s.per_row} buttons {s.shadow[0]} points wide do not fit on a {s.shelf[0]}-point shelf")
    if s.visible < 1:
        c.fail(f"{where}: no whole shelf shows under the top when open")
    catalogue = _publisher(c, req)
    info = c.plist("Info.plist") or {}
    own = info.get("CFBundleName")
    apps = [a for a in catalogue.get("app", []) if a.get("appName") != own]
    low, high = s.view()
    for count in sorted({1, len(apps)}):
        drawn = s.shelves(count) + 3
        for scroll in (0, s.scroll_cap(count)):
            bottom = s.screen(s.H - drawn * s.shelf[1], scroll)
            if bottom > 0:
                c.fail(f"{where}: with {count} buttons the shelves end {bottom:g} points above the screen's "
                       f"bottom when scrolled {scroll} up: the meadow shows through")
        boxes = [s.boxes(t) for t in range(count)]
        for t, b in enumerate(boxes):
            for part in ("icon", "plate"):
                if not inside(b[part], b["button"]):
                    c.fail(f"{where}: button {t}'s {part} reaches out of its touch area")
                lo, hi = s.screen(b[part][1]), s.screen(b[part][3])
                if not any(low <= lo + k and hi + k <= high for k in range(0, s.rest_limit(count) + 1)):
                    c.fail(f"{where}: with {count} buttons, button {t}'s {part} never scrolls wholly into view")
            for u, other in enumerate(boxes[t + 1:], start=t + 1):
                if overlaps(b["button"], other["button"]):
                    c.fail(f"{where}: the touch areas of buttons {t} and {u} meet")
                for p, q in (("plate", "icon"), ("icon", "plate"), ("plate", "plate")):
                    if overlaps(b[p], other[q]):
                        c.fail(f"{where}: button {t}'s {p} covers button {u}'s {q}")
        if boxes and (boxes[-1]["plate"][2] > s.shelf[0] or boxes[0]["plate"][0] < 0):
            c.fail(f"{where}: the plates leave the shelf")
    if "tap_limit" in fixed and high > fixed["tap_limit"]:
        c.fail(f"{where}: buttons show up to {high:g} points high, but taps that begin at {fixed['tap_limit']} "
               f"or more never open an application: the shelf top must reach down to it")
    tw, th = sizes["shelf-button-closed.png"]
    if s.open_y + th > H:
        c.fail(f"{where}: the open shelf's tab stands off the top of the screen")
    closed = (W / 2 - tw / 2, 0, W / 2 + tw / 2, th)
    for box in menu_item_boxes(c, fixed.get("scene", "main-menu.ccb"), dev):
        if overlaps(closed, box):
            c.fail(f"{where}: the closed tab {closed} lies on a main menu button {box}")
    opened = (W / 2 - tw / 2, s.open_y, W / 2 + tw / 2, s.open_y + th)
    banner = banner_tab(c, fixed.get("banner", ""), dev, H)
    if banner and overlaps(opened, banner):
        c.fail(f"{where}: the open tab {opened} runs into the advert banner's tab {banner} hanging from the top")
    _shelf_texts(c, fixed, catalogue, s, dev)


def _shelf_texts(c, fixed: dict, catalogue: dict, s: Shelf, dev: str) -> None:
    where = f"{dev} shelf"
    font = fixed.get("font", "")
    for app in catalogue.get("app", []):
        for lang, name in sorted(app.get("display", {}).items()):
            why = fits_box(c, font, fixed["label_size"], name, *s.label)
            if why:
                c.fail(f"{where}: {app.get('appName')}'s {lang} name {name!r} does not fit its plate: {why}")
    for lang, heading in sorted(catalogue.get("campaign", {}).items()):
        tw, th = s.top
        why = fits_box(c, font, fixed["heading_size"], heading, tw - 2 * th, th)
        if why or _line_count(c, font, fixed["heading_size"], heading, tw - 2 * th) > 1:
            c.fail(f"{where}: the {lang} heading {heading!r} does not fit on one line of the shelf top")
    plate = c.res / shelf_name("plate.png", dev, False)
    lw, lh = s.label
    pw, ph = s.plate
    if not readable(luminance_under(plate, ((pw - lw) / 2, (ph - lh) / 2, (pw + lw) / 2, (ph + lh) / 2),
                                    _scale(plate, pw)), BROWN):
        c.fail(f"{where}: the brown names are hard to read on the plate")
    top = c.res / shelf_name("shelf-top.png", dev, True)
    tw, th = s.top
    m = c.fonts.measure(font, fixed["heading_size"], max(catalogue.get("campaign", {"": ""}).values(), key=len))
    if m and not readable(luminance_under(top, shifted(m[1], tw / 2, th / 2), _scale(top, tw)), BROWN):
        c.fail(f"{where}: the brown heading is hard to read on the shelf top")


def _line_count(c, font_name: str, size: float, text: str, width: float) -> int:
    path = _font_file(c, font_name)
    if path is None or ImageFont is None:
        return 0
    return len(wrap(ImageFont.truetype(str(path), round(size)), text, width))


def _scale(path: Path, points_wide: float) -> float:
    return _pixels(path)[0][0] / points_wide if Image is not None and path.is_file() else 1.0


# --- the feedback form ----------------------------------------------------

def form(c, rel: str, req: dict, members: dict, dev: str, screen) -> None:
    """The feedback form's scene file against its code (req["form"] and the
    device's table)."""
    f, places = req["form"], req.get(dev, {})
    W, H = screen

    def node(name):
        return (members.get(name) or [None])[0]

    card = node(f["card"])
    if not card:
        return
    cp = card["properties"]
    size = c.png(cp["spriteFile"])
    if not size:
        return
    if cp["rotation"] != 0 or cp["scaleX"] != 1 or cp["scaleY"] != 1:
        c.fail(f"{rel}: the card must stand upright and unscaled in the file: its open look")
    cx, cy = cp["position"]
    ax, ay = cp["anchorPoint"]
    fx, fy = cx - ax * size[0], cy - ay * size[1]
    if fx != int(fx) or fy != int(fy):
        c.fail(f"{rel}: the card's corner ({fx:g}, {fy:g}) is not on whole points: the code truncates it, "
               f"so the text controls would miss their frames")
    card_box = (0, 0, size[0], size[1])              # card points
    kids = {k["properties"].get("memberVarAssignmentName"): k for k in card.get("children", [])}
    for name in f.get("card_members", []):
        if name not in kids:
            c.fail(f"{rel}: {name} must be a child of the card, to fly in and out with it")
    boxes = {n: c.box(k) for n, k in kids.items() if n and c.png(k["properties"]["spriteFile"])}
    screen_box = (0, 0, W, H)
    for n, b in [("the card", card_box)] + sorted(boxes.items()):
        if not inside(shifted(b, fx, fy), screen_box):
            c.fail(f"{rel}: {n} leaves the screen when the form is open")
    controls = {k: rect_box(places[k]) for k in ("text_view", "field_name", "field_email") if k in places}
    for k, r in controls.items():
        if not inside(r, card_box):
            c.fail(f"{rel}: the {k} control {places[k]} leaves the card")
        for n, b in boxes.items():
            if overlaps(r, b):
                c.fail(f"{rel}: the {k} control lies over {n}: the control would take its touches")
    names = sorted(controls)
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if overlaps(controls[a], controls[b]):
                c.fail(f"{rel}: the {a} and {b} controls overlap")
    for icon, button in f.get("icons", {}).items():
        if icon in boxes and button in boxes:
            for drop in (0, places.get("press", 0)):
                if not inside(shifted(boxes[icon], 0, -drop), boxes[button]):
                    c.fail(f"{rel}: {icon} leaves {button} when {'held' if drop else 'at rest'}")
    _form_closed(c, rel, f, node, (cx, cy), size, dev, screen)
    _form_texts(c, rel, f, places, boxes, kids, controls, card, dev)


def _form_closed(c, rel: str, f: dict, node, at, size, dev: str, screen) -> None:
    W, H = screen
    hx, hy = at[0] + W, at[1] + H
    # Turned -90 degrees about its centre: its box is the card's, on its side.
    turned = (hx - size[1] / 2, hy - size[0] / 2, hx + size[1] / 2, hy + size[0] / 2)
    dimmer = (hx, hy, hx + W, hy + H)
    for what, box in (("the closed card", turned), ("the hidden dimmer", dimmer)):
        if overlaps(box, (0, 0, W, H)):
            c.fail(f"{rel}: {what} {box} lies on the screen: the layer would swallow touches there")
    opener = node(f.get("opener", ""))
    if opener and c.png(opener["properties"]["spriteFile"]):
        box = c.box(opener)
        for item in menu_item_boxes(c, f.get("menu", "main-menu.ccb"), dev):
            if overlaps(box, item):
                c.fail(f"{rel}: {f['opener']} {box} lies on a main menu button {item}: it would swallow its touches")
    dot = c.res / f.get("dimmer", "")
    if Image is not None and dot.is_file():
        (w, h), px = _pixels(dot)
        colours = {px[x, y] for x in range(w) for y in range(h)}
        if len(colours) != 1 or not 0 < next(iter(colours))[3] < 255:
            c.fail(f"{rel}: the dimmer {f['dimmer']} must be one translucent colour: it is stretched over the window")


def _form_texts(c, rel: str, f: dict, places: dict, boxes: dict, kids: dict, controls: dict, card, dev: str) -> None:
    card_file = c.res / card["properties"]["spriteFile"]
    card_size = c.png(card["properties"]["spriteFile"])
    for lang, doc in c.docs.items():
        texts = doc.get(f.get("strings", ""))
        if not isinstance(texts, dict):
            continue
        inked = {}
        for key, font in f.get("fonts", {}).items():
            text = texts.get(key)
            if not isinstance(text, str):
                continue
            if key == "Send":
                send = kids.get("buttonSend")
                if not send:
                    continue
                x, y = send["properties"]["position"]
                at = (x, y - places.get("send_drop", 0))
            else:
                at = places.get("places", {}).get(key)
                if not at:
                    continue
            m = c.fonts.measure(font, places.get("sizes", {}).get(key, 0), text)
            if m is None:
                c.fail(f"{rel}: cannot measure {key}: no font {font!r}")
                continue
            box = shifted(m[1], *at)
            if key == "Send":                      # its shadow, one right and two down
                box = (box[0], box[1] - 2, box[2] + 1, box[3])
            inked[key] = box
            where = f"{rel} ({lang})"
            host = f.get("on", {}).get(key)
            under, under_box = (c.res / kids[host]["properties"]["spriteFile"], boxes[host]) if host in boxes \
                else (card_file, (0, 0, card_size[0], card_size[1]))
            if not inside(box, under_box):
                c.fail(f"{where}: {key} {text!r} does not fit on {host or 'the card'}")
            for k, r in controls.items():
                if overlaps(box, r):
                    c.fail(f"{where}: {key} {text!r} lies under the {k} control")
            for n, b in boxes.items():
                if n != host and overlaps(box, b):
                    c.fail(f"{where}: {key} {text!r} lies on {n}")
            beside = f.get("beside", {}).get(key)
            if beside in controls:
                r = controls[beside]
                if not (box[2] < r[0] and r[1] <= at[1] <= r[3]):
                    c.fail(f"{where}: {key} {text!r} does not stand left of its {beside} control")
            colour = WHITE if f.get("white", {}).get(key) else BLACK
            local = shifted(box, -under_box[0], -under_box[1])
            size = c.png(str(under.relative_to(c.res)))
            if size and not readable(luminance_under(under, local, _scale(under, size[0])), colour):
                c.fail(f"{where}: {key} {text!r} is hard to read on {host or 'the card'}")
        keys = sorted(inked)
        for i, a in enumerate(keys):
            for b in keys[i + 1:]:
                if overlaps(inked[a], inked[b]):
                    c.fail(f"{rel} ({lang}): {a} overlaps {b}")
