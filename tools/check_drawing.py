"""The drawing pages' part of the content check (tools/check_content.py):
the strokes files against the digit pictures the child traces over, and the
scene file's palette, page buttons and page layout against what the
scene's code does with them.

Strokes: each number has strokes, each stroke way points {"x", "y"} as
offsets from the scene file's origin node; the code puts the digit picture
at the window's centre. The child must be able to finish every stroke:
- a stroke of two or more points must not end where it starts, and no way
  point but the last may lie where the stroke ends (the code takes any
  collected point there for the end of the stroke);
- no two neighbouring points may coincide (a segment without length is
  never near the finger);
- neighbours stand at least the collection radius apart (one star at a time
  under the finger) and at most one and a half tolerances (the next star
  always in sight);
- every way point lies on the digit's body, and so does the line between
  two neighbours (the finger that follows the stars follows the digit), in
  every picture the game may show: both devices, both scales.
"""
from __future__ import annotations

import math
from functools import cache
from pathlib import Path

try:
    from PIL import Image
except ImportError:  # the caller reports it once
    Image = None

OPAQUE = 250        # a body pixel: this opaque ...
DARK = 96           # ... and lighter than the outline in at least one channel


@cache
def _rgba(path: Path):
    im = Image.open(path).convert("RGBA")
    return im.size, im.load()


def _body(px, size, x: float, y: float) -> bool:
    """Whether the 3 x 3 pixels round (x, y) (pixels, y down) are the digit's body."""
    cx, cy = int(math.floor(x)), int(math.floor(y))
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            i, j = cx + dx, cy + dy
            if not (0 <= i < size[0] and 0 <= j < size[1]):
                return False
            r, g, b, a = px[i, j]
            if a < OPAQUE or max(r, g, b) < DARK:
                return False
    return True


def _scaled(name: str, scale: int) -> str:
    stem, _, ext = name.rpartition(".")
    return f"{stem}-hd.{ext}" if scale == 2 else name


def _device(name: str, device: str) -> str:
    stem, _, ext = name.rpartition(".")
    return f"{stem}~{device}.{ext}"


def _find(node: dict, member: str) -> dict | None:
    if node.get("properties", {}).get("memberVarAssignmentName") == member:
        return node
    for child in node.get("children", []) or []:
        found = _find(child, member)
        if found:
            return found
    return None


def check_strokes(c, screens: dict) -> None:
    rules = c.m.get("strokes")
    if not rules:
        return
    if Image is None:
        c.fail("the strokes check needs Pillow (python3-pil)")
        return
    for rel, device in rules["files"].items():
        data = c.plist(rel)
        if data is None:
            continue
        scene = c.plist(_device(rules["scene"], device))
        origin = _find(scene["nodeGraph"], rules["origin"]) if isinstance(scene, dict) else None
        if origin is None:
            c.fail(f"{rel}: {rules['scene']} for {device} has no {rules['origin']}, the strokes' origin")
            continue
        _strokes(c, rel, data, device, origin["properties"]["position"], rules, screens[device])


def _strokes(c, rel: str, data, device: str, origin, rules: dict, screen) -> None:
    numbers = rules["numbers"]
    tol = rules["tolerance"][device]
    reach = tol // 2
    if not isinstance(data, list) or len(data) < numbers:
        c.fail(f"{rel}: the root should be an array of {numbers} numbers")
        return
    w, h = screen
    for n in range(1, numbers + 1):
        entry = data[n - 1]
        where = f"{rel}: number {n}"
        if not isinstance(entry, list) or not entry:
            c.fail(f"{where} has no strokes")
            continue
        pics = []
        for scale in (1, 2):
            name = _scaled(_device(rules["digits"] % n, device), scale)
            if (c.res / name).is_file():
                pics.append((name, scale, *_rgba(c.res / name)))
            else:
                c.fail(f"{where}: no digit picture {name} to trace over")
        for s, stroke in enumerate(entry, start=1):
            at = f"{where}, stroke {s}"
            if not isinstance(stroke, list) or not stroke:
                c.fail(f"{at} has no way points")
                continue
            if not all(isinstance(p, dict) and all(isinstance(p.get(k), (int, float)) and not isinstance(p.get(k), bool)
                                                   for k in ("x", "y")) for p in stroke):
                c.fail(f"{at}: every way point needs numbers x and y")
                continue
            pts = [(float(p["x"]), float(p["y"])) for p in stroke]
            if len(pts) > 1 and pts[0] == pts[-1]:
                c.fail(f"{at} ends where it starts: it would end at its first star")
            if any(p == pts[-1] for p in pts[1:-1]):
                c.fail(f"{at} has a way point where it ends: collecting it would end the stroke early")
            for i, (a, b) in enumerate(zip(pts, pts[1:]), start=1):
                gap = math.dist(a, b)
                if gap == 0:
                    c.fail(f"{at}: way points {i} and {i + 1} coincide")
                elif gap < reach:
                    c.fail(f"{at}: way points {i} and {i + 1} are {gap:.1f} apart, closer than the "
                           f"collection radius {reach}")
                elif gap > tol * 1.5:
                    c.fail(f"{at}: way points {i} and {i + 1} are {gap:.1f} apart, more than {tol * 1.5:g}")
            scene_pts = [(origin[0] + x, origin[1] + y) for x, y in pts]
            if any(not (0 <= x <= w and 0 <= y <= h) for x, y in scene_pts):
                c.fail(f"{at} leaves the {w} x {h} screen")
                continue
            for name, scale, size, px in pics:
                # The picture's centre is the window's; its pixels run down.
                def pixel(p):
                    return ((p[0] - w / 2) * scale + size[0] / 2, (h / 2 - p[1]) * scale + size[1] / 2)

                off = [i for i, p in enumerate(scene_pts, start=1) if not _body(px, size, *pixel(p))]
                if off:
                    c.fail(f"{at}: way point {off[0]} {pts[off[0] - 1]} is not on the digit in {name}")
                    continue
                for i, (a, b) in enumerate(zip(scene_pts, scene_pts[1:]), start=1):
                    steps = max(1, int(math.dist(a, b)))
                    if not all(_body(px, size, *pixel((a[0] + (b[0] - a[0]) * k / steps, a[1] + (b[1] - a[1]) * k / steps)))
                               for k in range(steps + 1)):
                        c.fail(f"{at}: the line from way point {i} to {i + 1} leaves the digit in {name}")
                        break


# --- the scene file -----------------------------------------------------------

def scene(c, rel: str, req: dict, members: dict, dev: str, screen) -> None:
    """The palette, the layers the code places things on in window points,
    the page buttons at the code's places, and the pages' digit and animal
    clear of everything else."""
    def one(name):
        return (members.get(name) or [None])[0]

    for name in req.get("origin_layers", []):
        node = one(name)
        if node is None:
            continue
        p = node["properties"]
        anchored = p["isRelativeAnchorPoint"] and any(p["anchorPoint"]) and any(p["contentSize"])
        if p["position"] != [0.0, 0.0] or anchored or (p["scaleX"], p["scaleY"], p["rotation"]) != (1, 1, 0):
            c.fail(f"{rel}: {name} must stand at the origin unscaled, so that its children's places are the window's")
    if "palette" in req:
        _palette(c, rel, req["palette"], one, dev)
    w, h = screen
    boxes = {}
    for name, side in req.get("edge_buttons", {}).items():
        node = one(name)
        if node is None:
            continue
        # The code puts the button at the middle of its edge.
        node = {**node, "properties": {**node["properties"], "position": [w if side == "right" else 0, h / 2]}}
        left, bottom, right, top = box = c.box(node)
        boxes[name] = box
        flush = abs(right - w) < 1 if side == "right" else abs(left) < 1
        if not flush or left < -0.5 or right > w + 0.5 or bottom < 0 or top > h:
            c.fail(f"{rel}: {name} at the middle of the {side} edge does not show whole against it: {box}")
    for name in req.get("keep_clear", []):
        node = one(name)
        if node is not None and name not in boxes:
            boxes[name] = c.box(node)
    pal = req.get("palette")
    if pal and one(pal["layer"]):
        for i, s in enumerate(k for k in one(pal["layer"]).get("children", []) if k["properties"]["tag"] == pal["swatch_tag"]):
            boxes[f"swatch {i + 1}"] = c.box(s)
    _pages(c, rel, req, boxes, dev, screen)


def _palette(c, rel: str, pal: dict, one, dev: str) -> None:
    layer = one(pal["layer"])
    if layer is None:
        return
    swatches = [k for k in layer.get("children", []) if k["properties"]["tag"] == pal["swatch_tag"]]
    if len(swatches) < 2 or any(k["class"] != "CCSprite" for k in swatches):
        c.fail(f"{rel}: the palette wants two or more sprites tagged {pal['swatch_tag']} in {pal['layer']}")
        return
    inks = [tuple(k["properties"]["color"]) for k in swatches]
    if len(set(inks)) != len(inks):
        c.fail(f"{rel}: two swatches give the same ink: the highlight would only find the first")
    marker = one(pal["default"])
    if marker is not None and inks.count(tuple(marker["properties"]["color"])) != 1:
        c.fail(f"{rel}: {pal['default']}'s colour {marker['properties']['color']} is no swatch's ink: "
               f"the highlight would show nowhere at the start")
    high = one(pal["highlight"])
    if high is None or Image is None:
        return
    hp = high["properties"]
    if not hp["visible"] or hp["opacity"] != 255:
        c.fail(f"{rel}: {pal['highlight']} must be visible and opaque: only its alpha is used, as the highlight's mask")
    mask_name = _device(pal["mask"], dev)
    if not (c.res / mask_name).is_file() or not (c.res / hp["spriteFile"]).is_file():
        return
    (mw, mh), mpx = _rgba(c.res / mask_name)
    (hw, hh), hpx = _rgba(c.res / hp["spriteFile"])
    left, bottom, right, top = c.box(high)
    centres = [tuple(k["properties"]["position"]) for k in swatches]

    def shape(x, y):
        """The highlight's alpha at a window point."""
        i, j = int((x - left) * hw / (right - left)), int((top - y) * hh / (top - bottom))
        return hpx[min(hw - 1, max(0, i)), min(hh - 1, max(0, j))][3]

    for i, (x, y) in enumerate(centres, start=1):
        # Only inside the shape's quad is the highlight cut to shape.
        if not (left <= x - mw / 2 and x + mw / 2 <= right and bottom <= y - mh / 2 and y + mh / 2 <= top):
            c.fail(f"{rel}: {pal['mask']} on swatch {i} reaches beyond {pal['highlight']}: uncut, it would show whole")
            continue
        if shape(x, y) > 16:
            c.fail(f"{rel}: the highlight's shape covers swatch {i} itself")
        problem = _ring(mw, mh, mpx, shape, centres, i - 1)
        if problem:
            c.fail(f"{rel}: the highlight on swatch {i} {problem}")


def _ring(mw: int, mh: int, mpx, shape, centres: list, me: int) -> str | None:
    """What is wrong with the highlight shown on swatch `me`: the mask
    picture centred there, seen through the shape."""
    x, y = centres[me]
    around = set()
    for j in range(mh):
        for k in range(mw):
            px, py = x - mw / 2 + k + 0.5, y + mh / 2 - j - 0.5
            if mpx[k, j][3] * shape(px, py) < 32 * 255:
                continue
            near = [math.dist((px, py), ctr) for ctr in centres]
            if min(near) < near[me]:
                return "shows round another swatch too"
            around.add(int(math.degrees(math.atan2(py - y, px - x)) // 30))
    return None if len(around) == 12 else "is no ring round it"


def _pages(c, rel: str, req: dict, boxes: dict, dev: str, screen) -> None:
    """Every page's digit (at the window's centre) and animal (from the
    document's layout; page 10's is not shown) stay on the screen and clear
    of the palette, the strip and the buttons, and of each other."""
    key = req.get(dev, {}).get("animal_key")
    pages = req.get("pages")
    if not pages:
        return
    w, h = screen

    def overlap(a, b):
        return min(a[2], b[2]) - max(a[0], b[0]) > 0 and min(a[3], b[3]) - max(a[1], b[1]) > 0

    def on_screen(b):
        return b[0] >= 0 and b[1] >= 0 and b[2] <= w and b[3] <= h

    # The layout is the same in every language.
    doc = next(iter(c.docs.values()), {})
    layout = doc.get(key) if key else None
    for n in range(1, pages + 1):
        things = {}
        digit = c.res / _device(req["digit"] % n, dev)
        if digit.is_file() and Image is not None:
            dw, dh = _rgba(digit)[0]
            things["the digit"] = (w / 2 - dw / 2, h / 2 - dh / 2, w / 2 + dw / 2, h / 2 + dh / 2)
        animal = c.res / _device(req["animal"] % n, dev)
        e = layout[n] if isinstance(layout, list) and n < len(layout) else None
        shown = n not in req.get("hidden_animals", [])
        if shown and isinstance(e, dict) and isinstance(e.get("Position"), int) and animal.is_file() and Image is not None:
            aw, ah = _rgba(animal)[0]
            s = e.get("Scale", 0)
            x, y = e["Position"] // 1000, e["Position"] % 1000
            things["the animal"] = (x - aw * s / 2, y - ah * s / 2, x + aw * s / 2, y + ah * s / 2)
        for what, b in things.items():
            if not on_screen(b):
                c.fail(f"{rel}: page {n}: {what} {tuple(round(v) for v in b)} leaves the screen")
            for name, other in boxes.items():
                if overlap(b, other):
                    c.fail(f"{rel}: page {n}: {what} {tuple(round(v) for v in b)} overlaps {name}")
        if len(things) == 2 and overlap(*things.values()):
            c.fail(f"{rel}: page {n}: the animal stands on the digit")
