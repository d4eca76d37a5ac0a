#!/usr/bin/python3
"""Makes damaged copies of the shipped content, for the test that loads every
scene with each of them swapped into a copy of the bundle.

    damage_content.py RESOURCES OUT [--seed N] [--group NAME]

Writes OUT/manifest.json and the damaged files under OUT/mutants/. The same
bundle and seed always give the same mutants. Each mutant names:

  files    bundle path -> damaged file (relative to OUT), swapped in together
  kind     what was done: truncate, empty, bitflip, garbage, root-type, deep,
           missing-key, wrong-type, huge-number, huge-array, binary, nul-string,
           fnt-*, png-*
  expect   a log line fragment the game must write when it reads the file
           ("" where the damage may go unnoticed, as a flipped bit in a word)
  device, lang   the run's --device and --lang
  group    the scenes that read the file: the test runs a group at a time
  script   the launcher script that reaches them through the menu buttons

Damage is of every kind a broken build, disk or download leaves: cut short,
empty, bits flipped, a stretch overwritten; and, for property lists and font
descriptions, well-formed files that say the wrong thing: a missing key, a
value of another type, a huge number, a huge array, a root of the wrong kind,
nesting past any sane depth; and property lists in binary form, intact or
with the character U+0000 in a string.
"""
from __future__ import annotations

import argparse
import json
import math
import plistlib
import random
import struct
import sys
import zlib
from pathlib import Path

# Where the scripts tap, in points with the origin bottom-left, from the
# shipped scene files: the menu's buttons, every activity's back button,
# the game menu's start item, the feedback form's close button (its card's
# corner plus the button's place on it), the shelf's tab.
DEVICES = {
    "tablet": {
        "suffix": "~ipad", "letters": "letters_data.plist", "origin": (512, 384), "step": 16,
        "learn": (128, 92), "draw": (330, 92), "count": (694, 92), "play": (896, 92),
        "feedback": (52, 716), "close": (850, 700), "back": (56, 712), "start": (512, 138), "shelf": (512, 10),
    },
    "phone": {
        "suffix": "~iphone", "letters": "letters_data-ip.plist", "origin": (240, 160), "step": 8,
        "learn": (60, 38), "draw": (157, 38), "count": (323, 38), "play": (420, 38),
        "feedback": (22, 298), "close": (403, 298), "back": (24, 294), "start": (240, 37), "shelf": (240, 5),
    },
}

# What the intact bundle's run of each group writes: proof that its script
# reaches the scenes the group's files are read in.
REACHED = {
    "menu": ["music started bg-music.mp3", "started number1.m4a"],
    "feedback": ["started number1.m4a"],
    "learn": ["started number1.m4a"],
    "count": ["started count-"],
    "draw": ["started trace1.m4a", "started bubble-flap-1.mp3"],
    "game": ["Start\n"],
    "document": ["started number1.m4a", "started count-", "started bubble-flap-1.mp3", "Start\n",
                 "catalogue: no answer"],
}

LOG_NUL = "property list refused: a string holds the character U+0000"
LOG_BAD_SCENE = "WARNING! Trying to load invalid file type"
LOG_BAD_DOCUMENT = "content document data1.plist is missing or unreadable"
LOG_BAD_STROKES = "draw: no strokes file"
LOG_BAD_FONT = "CCLabelBMFont:"
LOG_BAD_IMAGE = "CCTextureCache: cannot decode"
LOG_BAD_AUDIO = "audio: cannot"
LOG_BAD_MOVIE = "movie: cannot"


def tap(p) -> str:
    return f"tap {p[0]} {p[1]}\n"


def scripts(resources: Path, device: str) -> dict[str, str]:
    d = DEVICES[device]
    # Skip the logo with a tap; the menu shows itself a second later.
    skip = "wait 0.1\ntap 2 2\nwait 1.1\n"
    back = tap(d["back"]) + "wait 0.3\n"
    # The first stroke of 1, as a finger follows it, way point by way point:
    # the stars it passes burst in the bubble effect.
    trace = ""
    strokes = plistlib.loads((resources / d["letters"]).read_bytes())
    ox, oy = d["origin"]
    points = [(p["x"] + ox, p["y"] + oy) for p in strokes[0][0]]
    trace += f"down {points[0][0]:.2f} {points[0][1]:.2f}\nwait 0.02\n"
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        steps = max(1, math.ceil(math.hypot(bx - ax, by - ay) / d["step"]))
        for k in range(1, steps + 1):
            trace += f"move {ax + (bx - ax) * k / steps:.2f} {ay + (by - ay) * k / steps:.2f}\nwait 0.02\n"
    trace += f"up {points[-1][0]:.2f} {points[-1][1]:.2f}\nwait 0.5\n"
    parts = {
        "menu": "wait 0.3\n",
        "feedback": tap(d["feedback"]) + "wait 0.6\n" + tap(d["close"]) + "wait 0.5\n",
        "learn": tap(d["learn"]) + "wait 1.2\n" + back,
        "count": tap(d["count"]) + "wait 1.0\n" + back,
        "draw": tap(d["draw"]) + "wait 1.8\n" + trace + back,
        "game": tap(d["play"]) + "wait 0.5\n" + tap(d["start"]) + "wait 1.5\n" + back,
        # Last: with no service the shelf's alert keeps every later tap.
        "shelf": tap(d["shelf"]) + "wait 1.0\n",
    }
    out = {name: skip + part for name, part in parts.items()}
    # The menu again, made afresh; the form closed again.
    out["menu"] = skip + parts["menu"] + parts["learn"]
    out["feedback"] = skip + parts["feedback"] + parts["learn"]
    out["all"] = skip + "".join(parts[n] for n in ("menu", "feedback", "learn", "count", "draw", "game", "shelf"))
    return out


# --- damage to bytes ----------------------------------------------------------------


def truncate(data: bytes, rng: random.Random) -> bytes:
    return data[: rng.randrange(0, max(1, len(data) * 9 // 10))]


def bitflip(data: bytes, rng: random.Random) -> bytes:
    out = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        i = rng.randrange(len(out))
        out[i] ^= 1 << rng.randrange(8)
    return bytes(out)


def garbage(data: bytes, rng: random.Random) -> bytes:
    # A stretch overwritten, in the first part of the file where headers are.
    n = min(len(data), 64)
    at = rng.randrange(0, max(1, min(len(data) - n, 4096)))
    return data[:at] + bytes(rng.randrange(256) for _ in range(n)) + data[at + n:]


BYTE_DAMAGE = {"truncate": truncate, "empty": lambda d, r: b"", "bitflip": bitflip, "garbage": garbage}

# --- damage to property lists ------------------------------------------------------------


def nodes(value, path=()):
    """Every (path, value) of a property-list tree, the root first."""
    yield path, value
    if isinstance(value, dict):
        for k in sorted(value):
            yield from nodes(value[k], path + (k,))
    elif isinstance(value, list):
        for i, item in enumerate(value):
            yield from nodes(item, path + (i,))


def replace(root, path, new):
    if not path:
        return new
    parent = root
    for step in path[:-1]:
        parent = parent[step]
    parent[path[-1]] = new
    return root


def other_type(value, rng: random.Random):
    if isinstance(value, bool):
        return rng.choice(["yes", [], 7])
    if isinstance(value, (int, float)):
        return rng.choice(["12", [value], {"value": value}, True])
    if isinstance(value, str):
        return rng.choice([42, [value], {"string": value}, b"\x00\x01"])
    if isinstance(value, list):
        return rng.choice([{"items": value[:1]}, "array", 3])
    if isinstance(value, dict):
        return rng.choice([list(value.values())[:2], "dictionary", 0])
    return "?"


def plist_damage(kind: str, root, rng: random.Random):
    """A damaged copy of a parsed property list, or None when the kind has
    nothing to act on."""
    import copy

    root = copy.deepcopy(root)
    every = list(nodes(root))
    if kind == "root-type":
        return [] if isinstance(root, dict) else {"root": "dictionary"}
    if kind == "missing-key":
        dicts = [(p, v) for p, v in every if isinstance(v, dict) and v]
        path, d = rng.choice(dicts)
        del d[rng.choice(sorted(d))]
        return root
    if kind == "wrong-type":
        path, value = rng.choice(every[1:])
        return replace(root, path, other_type(value, rng))
    if kind == "huge-number":
        numbers = [(p, v) for p, v in every if isinstance(v, (int, float)) and not isinstance(v, bool)]
        if not numbers:
            return None
        path, value = rng.choice(numbers)
        huge = rng.choice([2**63 - 1, -(2**63), 2**31, -(2**31) - 1, 1e308, -1e308, math.inf, math.nan])
        return replace(root, path, huge)
    if kind == "nul-string":
        strings = [(p, v) for p, v in every if isinstance(v, str)]
        if not strings:
            # In a key, then.
            path, d = rng.choice([(p, v) for p, v in every if isinstance(v, dict) and v])
            key = rng.choice(sorted(d))
            d[key + "\u0000é"] = d.pop(key)
            return root
        path, value = rng.choice(strings)
        at = rng.randrange(len(value) + 1)
        return replace(root, path, value[:at] + "\u0000é" + value[at:])
    if kind == "huge-array":
        lists = [(p, v) for p, v in every if isinstance(v, list) and v]
        path, value = rng.choice(lists)
        value.extend([value[-1]] * 20000)
        return root
    raise ValueError(kind)


def write_plist(value) -> bytes:
    # plistlib refuses NaN and infinities in XML; write them as libplist would read them.
    def clean(v):
        if isinstance(v, float) and not math.isfinite(v):
            return _Real("nan" if math.isnan(v) else ("+infinity" if v > 0 else "-infinity"))
        if isinstance(v, dict):
            return {k: clean(x) for k, x in v.items()}
        if isinstance(v, list):
            return [clean(x) for x in v]
        return v

    value = clean(value)
    text = plistlib.dumps(_strip(value), fmt=plistlib.FMT_XML, sort_keys=True)
    for marker, literal in _Real.pending.items():
        text = text.replace(f"<string>{marker}</string>".encode(), f"<real>{literal}</real>".encode())
    _Real.pending.clear()
    return text


class _Real:
    pending: dict[str, str] = {}

    def __init__(self, literal: str):
        self.marker = f"@@real{len(_Real.pending)}@@"
        _Real.pending[self.marker] = literal


def _strip(v):
    if isinstance(v, _Real):
        return v.marker
    if isinstance(v, dict):
        return {k: _strip(x) for k, x in v.items()}
    if isinstance(v, list):
        return [_strip(x) for x in v]
    return v


def deep(original: bytes) -> bytes:
    """The document nested inside arrays far past any depth a reader should follow."""
    head, body = original.split(b"<plist version=\"1.0\">", 1)
    body = body.rsplit(b"</plist>", 1)[0]
    return head + b"<plist version=\"1.0\">" + b"<array>" * 20000 + body + b"</array>" * 20000 + b"</plist>\n"


PLIST_KINDS = ("root-type", "missing-key", "wrong-type", "huge-number", "huge-array")

# --- damage to bitmap-font descriptions -----------------------------------------------


def fnt_damage(kind: str, text: str, rng: random.Random) -> str:
    lines = text.splitlines()
    if kind == "fnt-huge":
        # Numbers far beyond any page in the fields a label lays out with.
        out = []
        for line in lines:
            if line.startswith(("char ", "kerning ", "common ")) and rng.random() < 0.2:
                words = line.split(" ")
                sizes = [i for i, w in enumerate(words) if w.split("=")[0] in PIXEL_FIELDS]
                if sizes:
                    i = rng.choice(sizes)
                    key = words[i].split("=")[0]
                    words[i] = f"{key}={rng.choice(['2147483647', '-2147483648', '99999999999', '-99999'])}"
                line = " ".join(words)
            out.append(line)
        return "\n".join(out) + "\n"
    if kind == "fnt-no-page":
        return "\n".join(l for l in lines if not l.startswith("page ")) + "\n"
    if kind == "fnt-bad-page":
        return "\n".join(l.replace('file="', 'file="../../nowhere/') if l.startswith("page ") else l for l in lines) + "\n"
    if kind == "fnt-page-ids":
        return "\n".join(l.replace("page id=0", "page id=255") if l.startswith("page ") else
                         l.replace(" page=0", f" page={rng.choice([1, 255, -1, 2147483647])}") for l in lines) + "\n"
    if kind == "fnt-kerning":
        first = [l for l in lines if l.startswith("char ")][:40]
        ids = [l.split("id=")[1].split(" ")[0] for l in first]
        extra = [f"kerning first={a} second={b} amount={rng.choice([2147483647, -2147483648])}" for a in ids for b in ids]
        return "\n".join(lines + extra) + "\n"
    raise ValueError(kind)


PIXEL_FIELDS = ("x", "y", "width", "height", "xoffset", "yoffset", "xadvance", "amount", "lineHeight", "base")
FNT_KINDS = ("fnt-huge", "fnt-no-page", "fnt-bad-page", "fnt-page-ids", "fnt-kerning")

# --- damage to PNG headers ------------------------------------------------------------------


def png_chunk(kind: bytes, body: bytes) -> bytes:
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png_damage(kind: str, data: bytes, rng: random.Random) -> bytes:
    """A PNG whose header, checksum and all, claims another size than its data holds."""
    width, height = {"png-huge": (100000, 100000), "png-large": (8000, 8000), "png-zero": (0, 16)}[kind]
    ihdr = struct.pack(">II", width, height) + data[24:29]
    return data[:8] + png_chunk(b"IHDR", ihdr) + data[33:]


PNG_KINDS = ("png-huge", "png-large", "png-zero")

# --- the set -----------------------------------------------------------------------------------

# (group, device, lang, bundle file, kinds). Kinds listed twice make two mutants.
PLAN = [
    ("document", "tablet", "en", "data1.plist",
     ["truncate", "root-type", "missing-key", "wrong-type", "wrong-type", "huge-number", "huge-array", "binary",
      "nul-string"]),
    ("document", "phone", "it", "it.lproj/data1.plist", ["bitflip", "wrong-type", "wrong-type", "huge-number"]),
    ("menu", "tablet", "en", "main-menu~ipad.ccb",
     ["truncate", "empty", "deep", "missing-key", "wrong-type", "wrong-type", "huge-number", "huge-array",
      "nul-string"]),
    ("menu", "phone", "en", "main-menu~iphone.ccb", ["garbage", "wrong-type", "huge-number"]),
    ("menu", "tablet", "en", "logo-animated-landscape-ipad.mp4", ["truncate", "empty", "bitflip", "garbage"]),
    ("menu", "tablet", "en", "bg-music.mp3", ["truncate", "empty", "bitflip", "garbage"]),
    ("menu", "tablet", "en", "fonts.plist", ["root-type", "wrong-type"]),
    ("learn", "tablet", "en", "learn-scene~ipad.ccb",
     ["truncate", "missing-key", "wrong-type", "huge-number", "binary"]),
    ("learn", "tablet", "en", "number1.m4a", ["truncate", "bitflip"]),
    ("learn", "tablet", "en", "soundbutton.mp3", ["truncate", "garbage"]),
    ("count", "tablet", "en", "count-animal~ipad.ccb", ["truncate", "missing-key", "wrong-type", "huge-number"]),
    ("draw", "tablet", "en", "draw-scene~ipad.ccb", ["truncate", "missing-key", "wrong-type", "huge-number"]),
    ("draw", "tablet", "en", "bubble-flap-particle~ipad.ccb", ["truncate", "wrong-type", "huge-number"]),
    ("draw", "tablet", "en", "letters_data.plist",
     ["truncate", "root-type", "missing-key", "wrong-type", "huge-number", "huge-array", "nul-string"]),
    ("draw", "phone", "en", "letters_data-ip.plist", ["wrong-type", "huge-number"]),
    ("game", "tablet", "en", "game-scene~ipad.ccb", ["truncate", "missing-key", "wrong-type", "huge-number"]),
    ("game", "phone", "en", "game-scene~iphone.ccb", ["wrong-type", "huge-number"]),
    ("feedback", "tablet", "en", "feedback-form~ipad.ccb", ["truncate", "missing-key", "wrong-type", "huge-number"]),
    ("feedback", "tablet", "en", "missing-font.fnt", ["truncate", "empty"] + list(FNT_KINDS)),
    ("feedback", "tablet", "en", "missing-font.png", ["truncate", "bitflip", "png-huge"]),
]
# Pictures: a few of each scene's, drawn at random from its scene file.
PICTURES = [("menu", "main-menu~ipad.ccb", 3), ("learn", "learn-scene~ipad.ccb", 2),
            ("count", "count-animal~ipad.ccb", 2), ("draw", "draw-scene~ipad.ccb", 2),
            ("game", "game-scene~ipad.ccb", 2), ("feedback", "feedback-form~ipad.ccb", 1)]
PICTURE_KINDS = ["truncate", "empty", "bitflip", "garbage"] + list(PNG_KINDS)

# The group each kit file's damage is seen in, and the scene the bitmap-font
# label goes into: no shipped scene has one, so the feedback form gets a
# label whose own font is missing and falls back to missing-font.fnt.
FONT_HOST = "feedback-form~ipad.ccb"


def sprite_files(scene: dict) -> list[str]:
    names = set()
    for _, v in nodes(scene):
        if isinstance(v, dict):
            for key in ("spriteFile", "spriteFileNormal"):
                if isinstance(v.get(key), str) and v[key].endswith(".png"):
                    names.add(v[key])
    return sorted(names)


def with_font_label(scene: dict) -> dict:
    import copy

    scene = copy.deepcopy(scene)
    label = {"class": "CCLabelBMFont", "children": [], "properties": {
        "string": "Ab 12 Привет ÿ", "fontFile": "no-such-font.fnt", "position": [512.0, 384.0],
        "contentSize": [0.0, 0.0], "scaleX": 1.0, "scaleY": 1.0, "anchorPoint": [0.5, 0.5], "rotation": 0.0,
        "isRelativeAnchorPoint": True, "visible": True, "tag": 0, "zOrder": 5, "color": [255, 255, 255],
        "opacity": 255, "memberVarAssignmentType": 0, "memberVarAssignmentName": ""}}
    scene["nodeGraph"]["children"].append(label)
    return scene


def expectation(name: str, kind: str) -> str:
    """The log line a damaged file must leave, where it cannot go unnoticed."""
    suffix = Path(name).suffix
    if kind == "nul-string":
        return LOG_NUL
    unreadable = kind in ("truncate", "empty", "deep") or (kind == "root-type" and suffix == ".ccb")
    if suffix == ".ccb" and unreadable:
        return LOG_BAD_SCENE
    if name.endswith("data1.plist") and (unreadable or kind == "root-type"):
        return LOG_BAD_DOCUMENT
    if name.startswith("letters_data") and unreadable:
        return LOG_BAD_STROKES
    if name.startswith("letters_data") and kind == "root-type":
        return "draw: the strokes file has no strokes for 1"
    if suffix == ".fnt" and kind in ("empty", "fnt-no-page"):
        return LOG_BAD_FONT
    if suffix == ".fnt" and kind == "fnt-huge":
        return "CCLabelBMFont: numbers beyond"
    if suffix == ".fnt" and kind == "fnt-bad-page":
        return "CCLabelBMFont: no page image"
    if suffix == ".png" and kind in ("truncate", "empty", "png-huge", "png-zero"):
        return LOG_BAD_IMAGE
    if suffix in (".mp3", ".m4a") and kind == "empty":
        return LOG_BAD_AUDIO
    if suffix == ".mp4" and kind == "empty":
        return LOG_BAD_MOVIE
    return ""


def build(resources: Path, out: Path, seed: int, only: str | None = None) -> list[dict]:
    mutants = []
    rng = random.Random(seed)
    plan = list(PLAN)
    for group, scene, count in PICTURES:
        pictures = sprite_files(plistlib.loads((resources / scene).read_bytes()))
        for picture in rng.sample(pictures, count):
            plan.append((group, "tablet", "en", picture, [rng.choice(PICTURE_KINDS)]))
    all_scripts = {dev: scripts(resources, dev) for dev in DEVICES}
    host = with_font_label(plistlib.loads((resources / FONT_HOST).read_bytes()))
    for group, device, lang, name, kinds in plan:
        if only and group != only:
            mutants.extend({} for _ in kinds)  # numbered the same whichever group is asked for
            continue
        original = (resources / name).read_bytes()
        for n, kind in enumerate(kinds):
            mrng = random.Random(f"{seed}:{name}:{n}:{kind}")
            if kind in BYTE_DAMAGE:
                data = BYTE_DAMAGE[kind](original, mrng)
            elif kind == "deep":
                data = deep(original)
            elif kind in ("binary", "nul-string"):
                # Binary lists are read too; a non-ASCII string goes in as UTF-16, U+0000 and all.
                damaged = plistlib.loads(original)
                if kind == "nul-string":
                    damaged = plist_damage(kind, damaged, mrng)
                data = plistlib.dumps(damaged, fmt=plistlib.FMT_BINARY)
            elif kind in PLIST_KINDS:
                data = write_plist(plist_damage(kind, plistlib.loads(original), mrng))
            elif kind in FNT_KINDS:
                data = fnt_damage(kind, original.decode("utf-8"), mrng).encode("utf-8")
            elif kind in PNG_KINDS:
                data = png_damage(kind, original, mrng)
            else:
                raise ValueError(kind)
            ident = f"{len(mutants):03d}"
            files = {name: f"mutants/{ident}/{Path(name).name}"}
            (out / files[name]).parent.mkdir(parents=True, exist_ok=True)
            (out / files[name]).write_bytes(data)
            if name.startswith("missing-font"):
                files[FONT_HOST] = f"mutants/{ident}/{FONT_HOST}"
                (out / files[FONT_HOST]).write_bytes(write_plist(host))
            mutants.append({"id": ident, "group": group, "device": device, "lang": lang, "kind": kind,
                            "file": name, "files": files, "expect": expectation(name, kind),
                            "script": all_scripts[device]["all" if group == "document" else group]})
    return mutants


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("resources", type=Path)
    parser.add_argument("out", type=Path)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--group", help="only the mutants of this group")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    mutants = [m for m in build(args.resources, args.out, args.seed, args.group) if m]
    (args.out / "manifest.json").write_text(json.dumps({"seed": args.seed, "reached": REACHED, "mutants": mutants}, indent=1,
                                                       ensure_ascii=False))
    print(f"{len(mutants)} damaged files in {args.out}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
