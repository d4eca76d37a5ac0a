#!/usr/bin/python3
"""Checks a built resource bundle against content/manifest.toml: every name
the game reads exists for both devices and both scales, every scene file is
complete and matches what its scene's code expects of it, and every
content-document key and voice line is there in every shipped language.

    check_content.py RESOURCES [--manifest content/manifest.toml]

Prints one line per problem and exits 1 if there is any.
"""
from __future__ import annotations

import argparse
import plistlib
import re
import struct
import sys
import tomllib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEVICES = {"ipad": (1024, 768), "iphone": (480, 320)}

# What the scene-file reader reads, by node kind. It has no defaults, so a
# missing key silently becomes 0 / NO / black: every key must be present.
COMMON = {
    "position": "point", "contentSize": "point", "scaleX": "number", "scaleY": "number",
    "anchorPoint": "point", "rotation": "number", "isRelativeAnchorPoint": "bool",
    "visible": "bool", "tag": "int", "zOrder": "int",
    "memberVarAssignmentType": "int", "memberVarAssignmentName": "string",
}
LAYER = {"touchEnabled": "bool", "accelerometerEnabled": "bool"}
COLOUR_LAYER = {"color": "color3", "opacity": "int", "blendFunc": "blend"}
GRADIENT = {"endColor": "color3", "endOpacity": "int", "vector": "point"}
SPRITE = {"spriteFile": "string", "spriteFramesFile": "string", "opacity": "int", "color": "color3",
          "flipX": "bool", "flipY": "bool", "blendFunc": "blend"}
MENU_ITEM = {"spriteFileNormal": "string", "spriteFileSelected": "string", "spriteFileDisabled": "string",
             "spriteFramesFile": "string", "target": "int", "selector": "string", "isEnabled": "bool"}
LABEL = {"fontFile": "string", "string": "string", "opacity": "int", "color": "color3"}
PARTICLES = {
    "spriteFile": "string", "emitterMode": "int", "emissionRate": "number", "duration": "number",
    "posVar": "point", "totalParticles": "int", "life": "number", "lifeVar": "number",
    "startSize": "number", "startSizeVar": "number", "endSize": "number", "endSizeVar": "number",
    "startSpin": "number", "startSpinVar": "number", "endSpin": "number", "endSpinVar": "number",
    "startColor": "color4", "startColorVar": "color4", "endColor": "color4", "endColorVar": "color4",
    "blendFunc": "blend",
}
GRAVITY_MODE = {"gravity": "point", "angle": "number", "angleVar": "number", "speed": "number",
                "speedVar": "number", "tangentialAccel": "number", "tangentialAccelVar": "number",
                "radialAccel": "number", "radialAccelVar": "number"}
RADIUS_MODE = {"startRadius": "number", "startRadiusVar": "number", "endRadius": "number",
               "endRadiusVar": "number", "rotatePerSecond": "number", "rotatePerSecondVar": "number"}
KINDS = {
    "CCParticleSystem": [COMMON, PARTICLES],
    "CCMenuItemImage": [COMMON, MENU_ITEM],
    "CCMenu": [COMMON, LAYER],
    "CCLabelBMFont": [COMMON, LABEL],
    "CCSprite": [COMMON, SPRITE],
    "CCLayerGradient": [COMMON, LAYER, COLOUR_LAYER, GRADIENT],
    "CCLayerColor": [COMMON, LAYER, COLOUR_LAYER],
    "CCLayer": [COMMON, LAYER],
    "CCNode": [COMMON],
}
CONTAINERS = {"CCLayerGradient", "CCLayerColor", "CCLayer", "CCNode"}
FILE_KEYS = ("spriteFile", "spriteFileNormal", "spriteFileSelected", "spriteFileDisabled", "fontFile")


def hd(name: str) -> str:
    stem, dot, ext = name.rpartition(".")
    return f"{stem}-hd.{ext}" if dot else f"{name}-hd"


def with_device(name: str, device: str) -> str:
    stem, dot, ext = name.rpartition(".")
    return f"{stem}~{device}.{ext}" if dot else f"{name}~{device}"


def with_orientation(name: str, device: str) -> str:
    """As deviceDependentFileSuffix forms it: "x.ccb" -> "x-landscape-ipad.ccb"."""
    stem, dot, ext = name.rpartition(".")
    return f"{stem}-landscape-{device}.{ext}"


def png_size(path: Path) -> tuple[int, int] | None:
    head = path.read_bytes()[:24]
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def is_number(v) -> bool:
    return isinstance(v, (int, float)) and not isinstance(v, bool)


def shape_ok(kind: str, v) -> bool:
    if kind == "int":
        return isinstance(v, int) and not isinstance(v, bool)
    if kind == "number":
        return is_number(v)
    if kind == "bool":
        return isinstance(v, bool)
    if kind == "string":
        return isinstance(v, str)
    if kind == "point":
        return isinstance(v, list) and len(v) == 2 and all(map(is_number, v))
    if kind == "color3":
        return isinstance(v, list) and len(v) == 3 and all(isinstance(c, int) and 0 <= c <= 255 for c in v)
    if kind == "color4":
        return isinstance(v, list) and len(v) == 4 and all(is_number(c) and 0 <= c <= 1 for c in v)
    if kind == "blend":
        return isinstance(v, list) and len(v) == 2 and all(isinstance(c, int) for c in v)
    raise ValueError(kind)


class Checker:
    def __init__(self, res: Path, manifest: dict, languages: list[str], voice_lines: dict):
        self.res = res
        self.m = manifest
        self.langs = languages
        self.base = languages[0]
        self.voice_lines = voice_lines
        self.problems: list[str] = []
        self.docs: dict[str, dict] = {}     # each language's content document, once read

    def fail(self, msg: str) -> None:
        self.problems.append(msg)

    def lproj(self, lang: str, name: str) -> Path:
        return self.res / (name if lang == self.base else f"{lang}.lproj/{name}")

    # --- files -------------------------------------------------------------
    def exists(self, rel: str, what: str) -> bool:
        p = self.res / rel
        if not p.is_file() or p.stat().st_size == 0:
            self.fail(f"missing {what}: {rel}")
            return False
        return True

    def image_pair(self, name: str, what: str) -> tuple[int, int] | None:
        """A picture at 1x and its "-hd" at exactly twice the size."""
        sizes = []
        for rel in (name, hd(name)):
            if not self.exists(rel, what):
                return None
            s = png_size(self.res / rel)
            if s is None:
                self.fail(f"not a PNG: {rel}")
                return None
            sizes.append(s)
        if sizes[1] != (sizes[0][0] * 2, sizes[0][1] * 2):
            self.fail(f"{hd(name)} is {sizes[1]}, not twice {name} {sizes[0]}")
        return sizes[0]

    def bitmap_font(self, name: str) -> None:
        for rel in (name, hd(name)):
            if not self.exists(rel, "bitmap font"):
                continue
            text = (self.res / rel).read_text(errors="replace")
            pages = re.findall(r'^page id=\d+ file="([^"]+)"', text, re.M)
            common = re.search(r"^common .*scaleW=(\d+) scaleH=(\d+)", text, re.M)
            chars = re.findall(r"^char id=(\d+) x=(\d+) y=(\d+) width=(\d+) height=(\d+)", text, re.M)
            if not pages or not common or not chars:
                self.fail(f"{rel}: no page, common or char lines")
                continue
            sw, sh = int(common[1]), int(common[2])
            for page in pages:
                folder = str(Path(rel).parent)
                prel = page if folder == "." else f"{folder}/{page}"
                if self.exists(prel, f"page of {rel}") and png_size(self.res / prel) != (sw, sh):
                    self.fail(f"{prel} is not {sw} x {sh} as {rel} says")
            for cid, x, y, w, h in chars:
                if int(x) + int(w) > sw or int(y) + int(h) > sh:
                    self.fail(f"{rel}: char {cid} lies outside its page")
                    break
            for needed in "0123456789AZaz":
                if str(ord(needed)) not in {c[0] for c in chars}:
                    self.fail(f"{rel}: no glyph for {needed!r}")

    def check_files(self) -> None:
        f = self.m.get("files", {})
        for rel in f.get("plain", []):
            self.exists(rel, "bundle file")
        for lang in self.langs:
            for name in f.get("localized", []):
                p = self.lproj(lang, name)
                if not p.is_file():
                    self.fail(f"missing {lang} {name}: {p.relative_to(self.res)}")
            table = self.strings(lang)
            for key in f.get("strings", []):
                if not table.get(key):
                    self.fail(f"{lang} Localizable.strings has no text for {key!r}")
        info = self.plist("Info.plist")
        if info is not None:
            name = info.get("CFBundleName")
            if not isinstance(name, str) or not name or " " in name:
                self.fail(f"Info.plist CFBundleName {name!r} must be a name without spaces")
            if not isinstance(info.get("CFBundleVersion"), str) or not info.get("CFBundleVersion"):
                self.fail("Info.plist has no CFBundleVersion")

    def strings(self, lang: str) -> dict:
        p = self.lproj(lang, "Localizable.strings")
        if not p.is_file():
            return {}
        text = p.read_text(encoding="utf-8")
        pairs = re.findall(r'"((?:[^"\\]|\\.)*)"\s*=\s*"((?:[^"\\]|\\.)*)"\s*;', text)
        return {k: v for k, v in pairs}

    def plist(self, rel: str):
        p = self.res / rel
        try:
            return plistlib.loads(p.read_bytes())
        except FileNotFoundError:
            self.fail(f"missing {rel}")
        except Exception as e:  # noqa: BLE001 - any parse failure is the finding
            self.fail(f"{rel} is not a property list: {e}")
        return None

    # --- pictures, sounds, voices, videos, fonts ----------------------------
    def check_media(self) -> None:
        im = self.m.get("images", {})
        for name in im.get("plain", []):
            self.image_pair(name, "picture")
        for name in im.get("device", []):
            for dev in DEVICES:
                self.image_pair(with_device(name, dev), f"{dev} picture")
        for group in im.get("same_size", []):
            for dev in DEVICES:
                sizes = {n: png_size(self.res / with_device(n, dev)) for n in group
                         if (self.res / with_device(n, dev)).is_file()}
                if len(set(sizes.values())) > 1:
                    self.fail(f"{dev}: pictures that replace each other differ in size: {sizes}")
        s = self.m.get("sounds", {})
        for name in s.get("effects", []) + s.get("music", []) + s.get("voices_mp3", []):
            if self.exists(name, "sound") and not self.is_mp3(self.res / name):
                self.fail(f"{name} is not an MP3 file")
        for name in self.m.get("videos", {}).get("files", []):
            if self.exists(name, "video") and (self.res / name).read_bytes()[4:8] != b"ftyp":
                self.fail(f"{name} is not an MP4 file")
        self.check_voices(self.m.get("voices", {}).get("lines", []) + list(self.voice_lines))
        for line, texts in self.voice_lines.items():
            for lang in self.langs:
                if not texts.get(lang):
                    self.fail(f"voice line {line} has no {lang} text")
        fonts = self.m.get("fonts", {})
        fmap = self.plist("fonts.plist") or {}
        table = fmap.get("fonts", {})
        for name in fonts.get("names", []):
            entry = table.get(name)
            if not isinstance(entry, dict) or not isinstance(entry.get("file"), str):
                self.fail(f"fonts.plist does not map {name!r}")
            elif self.exists(entry["file"], f"font file for {name!r}"):
                folder = (self.res / entry["file"]).parent
                if not any(folder.glob("*.txt")):
                    self.fail(f"no licence beside {entry['file']}")
        if fmap and fmap.get("fallback") not in table:
            self.fail("fonts.plist's fallback is not one of its fonts")
        for name in fonts.get("bitmap", []):
            self.bitmap_font(name)

    def check_voices(self, names) -> None:
        """Names as playVoice: takes them: a base name is "<name>.m4a" in
        every language; an MP3 name is played as given, so it must be in
        every language's folder when it is a voice line (said in each
        language), and anywhere the game finds it otherwise."""
        for name in names:
            mp3 = name.endswith(".mp3")
            for lang in self.langs:
                if mp3 and name not in self.voice_lines:
                    p = self.res / name
                else:
                    p = self.lproj(lang, name if mp3 else f"{name}.m4a")
                if not p.is_file():
                    self.fail(f"voice {name!r} missing in {lang}: {p.relative_to(self.res)}")
                elif mp3 and not self.is_mp3(p):
                    self.fail(f"{p.relative_to(self.res)} is not an MP3 file")
                elif not mp3 and p.read_bytes()[4:8] != b"ftyp":
                    self.fail(f"{p.relative_to(self.res)} is not an M4A file")

    @staticmethod
    def is_mp3(p: Path) -> bool:
        head = p.read_bytes()[:3]
        return head == b"ID3" or (len(head) > 1 and head[0] == 0xFF and head[1] & 0xE0 == 0xE0)

    def sound_file(self, name: str, lang: str) -> Path | None:
        """Where the game finds a sound for a language: in the language's
        folder first, then at the root; a voice line must be said in the
        language itself."""
        stem = name[:-4] if name.endswith(".m4a") else name
        if name in self.voice_lines or stem in self.voice_lines:
            p = self.lproj(lang, name)
            return p if p.is_file() else None
        for p in (self.lproj(lang, name), self.res / name):
            if p.is_file():
                return p
        return None

    # --- the content document ---------------------------------------------
    def check_document(self) -> None:
        wanted = self.m.get("document", {})
        docs = self.docs
        for lang in self.langs:
            rel = str(self.lproj(lang, "data1.plist").relative_to(self.res))
            doc = self.plist(rel)
            if not isinstance(doc, dict):
                if doc is not None:
                    self.fail(f"{rel}: the root is not a dictionary")
                continue
            docs[lang] = doc
            for key, shape in wanted.items():
                if key not in doc:
                    self.fail(f"{rel}: no key {key!r}")
                else:
                    self.shape(doc[key], shape, f"{rel}: {key}", lang)
        if self.base in docs:
            for lang, doc in docs.items():
                if set(doc) != set(docs[self.base]):
                    self.fail(f"{lang} data1.plist has other top-level keys than {self.base}: "
                              f"{sorted(set(doc) ^ set(docs[self.base]))}")

    def shape(self, v, shape, where: str, lang: str) -> None:
        if isinstance(shape, str):
            if shape in ("sound", "voice"):
                if not isinstance(v, str) or not v:
                    self.fail(f"{where} should name a {shape}")
                elif shape == "sound":
                    if self.sound_file(v, lang) is None:
                        self.fail(f"{where} names {v!r}, which is not in the bundle for {lang}")
                else:
                    self.check_voices([v])
            elif not shape_ok(shape, v):
                self.fail(f"{where} should be {shape}, is {type(v).__name__}")
            return
        kind = shape["type"]
        if kind == "array":
            if not isinstance(v, list):
                self.fail(f"{where} should be an array")
                return
            if len(v) < shape.get("min", 0) or len(v) > shape.get("max", 1 << 30):
                self.fail(f"{where} has {len(v)} items, wants {shape.get('min', 0)} to {shape.get('max', 'any')}")
            for i, item in enumerate(v):
                if i < shape.get("from", 0):
                    continue
                if shape.get("counting") and (not isinstance(item, list) or len(item) != i + 1):
                    self.fail(f"{where}[{i}] should hold {i + 1} entries")
                self.shape(item, shape["of"], f"{where}[{i}]", lang)
        elif kind == "dict":
            if not isinstance(v, dict):
                self.fail(f"{where} should be a dictionary")
                return
            for key, sub in shape["keys"].items():
                if key not in v:
                    self.fail(f"{where} has no key {key!r}")
                else:
                    self.shape(v[key], sub, f"{where}/{key}", lang)
        else:
            raise ValueError(f"unknown shape {kind}")

    # --- scene files --------------------------------------------------------
    def check_scenes(self) -> None:
        for base, req in self.m.get("scenes", {}).items():
            for dev in DEVICES:
                rel = with_orientation(base, dev) if req.get("orientation_suffix") else with_device(base, dev)
                doc = self.plist(rel)
                if doc is not None:
                    self.scene(rel, doc, req, dev)

    def scene(self, rel: str, doc: dict, req: dict, dev: str) -> None:
        if doc.get("fileType") != "CocosBuilder":
            self.fail(f"{rel}: fileType is {doc.get('fileType')!r}")
        if not isinstance(doc.get("fileVersion"), int) or doc["fileVersion"] >= 2:
            self.fail(f"{rel}: fileVersion must be 0 or 1")
        root = doc.get("nodeGraph")
        if not isinstance(root, dict):
            self.fail(f"{rel}: no nodeGraph")
            return
        members: dict[str, list[dict]] = {}
        for node, path in self.nodes(root, "root"):
            self.node(rel, node, path, members)
        if req.get("root_class") and root.get("properties", {}).get("customClass") != req["root_class"]:
            self.fail(f"{rel}: the root's customClass is not {req['root_class']}")
        if root.get("class") not in CONTAINERS:
            self.fail(f"{rel}: the root must be a container node, not {root.get('class')}")
        for name in req.get("members", []):
            found = members.get(name, [])
            if len(found) != 1:
                self.fail(f"{rel}: member {name!r} is bound {len(found)} times")
            elif req.get("member_classes", {}).get(name, found[0]["class"]) != found[0]["class"]:
                self.fail(f"{rel}: member {name!r} is a {found[0]['class']}, not {req['member_classes'][name]}")
        kids = root.get("children", [])

        def tagged(tag):
            return [k for k in kids if k.get("properties", {}).get("tag") == tag]

        for tag in req.get("cloud_tags", []):
            if len(tagged(tag)) != 1 or tagged(tag)[0]["class"] != "CCSprite":
                self.fail(f"{rel}: wants exactly one sprite tagged {tag} (a cloud) among the root's children")
        for tag in req.get("layer_tags", []):
            if len(tagged(tag)) != 1 or tagged(tag)[0]["class"] != "CCLayer":
                self.fail(f"{rel}: wants exactly one layer tagged {tag} among the root's children")
        for name, tags in req.get("member_child_tags", {}).items():
            node = (members.get(name) or [None])[0]
            kids_of = node.get("children", []) if node else []
            for tag in tags:
                if sum(1 for c in kids_of if c["class"] == "CCSprite" and c["properties"].get("tag") == tag) != 1:
                    self.fail(f"{rel}: wants exactly one sprite tagged {tag} among {name}'s children")
        for name in req.get("full_screen", []):
            node = (members.get(name) or [None])[0]
            if node and not self.covers_screen(node, dev):
                self.fail(f"{rel}: {name} must cover the {DEVICES[dev][0]} x {DEVICES[dev][1]} screen unscaled, "
                          f"so that its children's places are the screen's")
        for tag in req.get("sheep_tags", []):
            t = tagged(tag)
            if len(t) != 1 or t[0]["class"] != "CCSprite":
                self.fail(f"{rel}: wants exactly one sprite tagged {tag} (a sheep) among the root's children")
            elif not any(c.get("properties", {}).get("tag") == 1 and c["class"] == "CCSprite"
                         for c in t[0].get("children", [])):
                self.fail(f"{rel}: sheep {tag} has no child sprite tagged 1 (its head)")
        menu = (members.get("mainMenu") or [None])[0]
        if req.get("menu_item_tags") and menu:
            mp = menu["properties"]
            if mp["position"] != [0.0, 0.0] or mp["isRelativeAnchorPoint"] or mp["scaleX"] != 1 or mp["scaleY"] != 1:
                self.fail(f"{rel}: the menu must sit unscaled at the origin, so its items' places are the layer's")
            items = {c["properties"].get("tag"): c for c in menu.get("children", []) if c["class"] == "CCMenuItemImage"}
            for tag in req["menu_item_tags"]:
                item = items.get(tag)
                if not item:
                    self.fail(f"{rel}: no menu item tagged {tag}")
                elif item["properties"].get("selector") != req.get("menu_selector") or item["properties"].get("target") != 1:
                    self.fail(f"{rel}: menu item {tag} is not wired to {req.get('menu_selector')} on the root")
        fixed = req.get(dev)
        if fixed:
            self.fixed_places(rel, members, fixed, dev)
            self.learn_places(rel, members, req, fixed, dev)
            self.count_places(rel, req, fixed, dev)

    def covers_screen(self, node: dict, dev: str) -> bool:
        p = node["properties"]
        w, h = DEVICES[dev]
        size = png_size(self.res / p["spriteFile"]) if p.get("spriteFile") else None
        return (size == (w, h) and p["position"] == [w / 2, h / 2] and p["anchorPoint"] == [0.5, 0.5]
                and p["scaleX"] == 1 and p["scaleY"] == 1 and p["rotation"] == 0)

    def box(self, node: dict) -> tuple[float, float, float, float]:
        """A sprite's bounding box (left, bottom, right, top) in its parent."""
        p = node["properties"]
        w, h = png_size(self.res / p["spriteFile"]) or (0, 0)
        w, h = w * p["scaleX"], h * p["scaleY"]
        x, y = p["position"]
        ax, ay = p["anchorPoint"]
        return (x - ax * w, y - ay * h, x + (1 - ax) * w, y + (1 - ay) * h)

    @staticmethod
    def inside(x: float, y: float, r) -> bool:
        return r[0] <= x <= r[0] + r[2] and r[1] <= y <= r[1] + r[3]

    def learn_places(self, rel: str, members: dict, req: dict, fixed: dict, dev: str) -> None:
        """The learn pages: the digit in its tap area, every number of the
        strip reachable from the marker's start and spacing, and each page's
        animals (page n shows n) inside their tap area."""
        def node(name):
            return (members.get(name) or [None])[0]

        number = node("numberPos")
        if number and "num_rect" in fixed and not self.inside(*number["properties"]["position"], fixed["num_rect"]):
            self.fail(f"{rel}: numberPos {number['properties']['position']} is outside the digit's tap area {fixed['num_rect']}")
        marker, twin, strip = node("curMenuItem"), node("distance"), node("menuNumbers")
        count = req.get("strip_numbers")
        if count and marker and twin and strip:
            (sx, sy), tx = marker["properties"]["position"], twin["properties"]["position"][0]
            step = int(tx - sx)
            left, bottom, right, top = self.box(strip)
            if step <= 0:
                self.fail(f"{rel}: distance stands left of curMenuItem: the strip's numbers have no spacing")
            elif not (left <= sx and sx + (count - 1) * step <= right and bottom <= sy <= top):
                self.fail(f"{rel}: the marker's {count} places from {sx} by {step} leave the strip {left}..{right}")
        key, area = fixed.get("layout_key"), fixed.get("an_rect")
        if not key or not area:
            return
        for lang, doc in self.docs.items():
            pages = doc.get(key)
            if not isinstance(pages, list):
                continue
            for n in range(1, len(pages)):
                page = pages[n]
                if not isinstance(page, dict) or not isinstance(page.get("Points"), list):
                    continue
                if page.get("PointCont") != n or len(page["Points"]) < n:
                    self.fail(f"{lang} {key}[{n}]: page {n} should show {n} animals")
                for v in page["Points"]:
                    m = abs(v) % 1000000 if isinstance(v, int) else -1
                    if not self.inside(m // 1000, m % 1000, area):
                        self.fail(f"{lang} {key}[{n}]: animal {v} stands outside the animals' tap area {area}")

    def count_places(self, rel: str, req: dict, fixed: dict, dev: str) -> None:
        """The counting game: each answer comes to rest on the screen inside
        its own tap area, apart from the others; every animal of every
        layout stands on the screen (mirrored too) above the answers."""
        key, hit = fixed.get("label_key"), fixed.get("label_hit")
        if not key or not hit:
            return
        sw, sh = DEVICES[dev]
        dx, hy, hw, hh = hit
        for lang, doc in self.docs.items():
            game = doc.get("CountAnimal")
            if not isinstance(game, dict):
                continue
            labels = [v for v in game.get(key, []) if isinstance(v, int)]
            xs = []
            for v in labels:
                x, y = v // 1000, v % 1000 - fixed.get("label_drop", 0)
                xs.append(x)
                if not (0 <= x <= sw and 0 <= y <= sh and self.inside(x, y, (x + dx, hy, hw, hh))):
                    self.fail(f"{lang} CountAnimal/{key}: an answer comes to rest at ({x}, {y}), outside its tap area")
            xs.sort()
            if any(b - a < hw for a, b in zip(xs, xs[1:])):
                self.fail(f"{lang} CountAnimal/{key}: answers' tap areas overlap")
            tw, th = DEVICES["ipad"]
            for s, sets in enumerate(game.get("Positions", []) if isinstance(game.get("Positions"), list) else []):
                for i, group in enumerate(sets if isinstance(sets, list) else []):
                    for v in group if isinstance(group, list) else []:
                        m = abs(v) % 1000000 if isinstance(v, int) else -1
                        x, y = (m // 1000) * sw // tw, (m % 1000) * sh // th
                        if not (0 < x < sw and hy + hh < y < sh):
                            self.fail(f"{lang} CountAnimal/Positions[{s}][{i}]: animal {v} stands at ({x}, {y}) on the "
                                      f"{sw} x {sh} screen, off it or down among the answers")

    @staticmethod
    def nodes(node: dict, path: str):
        """Every node of a tree with a readable path, parents first."""
        yield node, path
        for i, child in enumerate(node.get("children", []) or []):
            if isinstance(child, dict):
                yield from Checker.nodes(child, f"{path}/{child.get('class')}[{i}]")

    def node(self, rel: str, node: dict, path: str, members: dict) -> None:
        cls = node.get("class")
        props = node.get("properties")
        where = f"{rel} {path}"
        if cls not in KINDS:
            self.fail(f"{where}: unknown node class {cls!r}")
            return
        if not isinstance(props, dict):
            self.fail(f"{where}: no properties")
            return
        groups = list(KINDS[cls])
        if cls == "CCParticleSystem":
            groups.append(GRAVITY_MODE if props.get("emitterMode") == 0 else RADIUS_MODE)
        for group in groups:
            for key, kind in group.items():
                if key not in props:
                    self.fail(f"{where}: no {key!r}")
                elif not shape_ok(kind, props[key]):
                    self.fail(f"{where}: {key!r} should be {kind}, is {props[key]!r}")
        if cls in CONTAINERS and not isinstance(props.get("customClass", ""), str):
            self.fail(f"{where}: customClass should be a string")
        name = props.get("memberVarAssignmentName")
        if name:
            if props.get("memberVarAssignmentType") != 1:
                self.fail(f"{where}: member {name!r} must be bound to the document root (type 1)")
            members.setdefault(name, []).append(node)
        for key in FILE_KEYS:
            v = props.get(key)
            if isinstance(v, str) and v:
                if v.endswith(".png"):
                    self.image_pair(v, f"picture named by {rel}")
                elif v.endswith(".fnt"):
                    self.bitmap_font(v)
                else:
                    self.exists(v, f"file named by {rel}")
        if props.get("spriteFramesFile"):
            self.exists(props["spriteFramesFile"], f"sprite sheet named by {rel}")

    def fixed_places(self, rel: str, members: dict, fixed: dict, dev: str) -> None:
        """Where the code's fixed places meet the scene: each animal starts
        on the place its starting tag names, the birds sit inside their
        touch zones, and every place is on the screen."""
        sw, sh = DEVICES[dev]

        def size_of(node) -> tuple[float, float]:
            s = png_size(self.res / node["properties"]["spriteFile"])
            return (s[0], s[1]) if s else (0, 0)

        for bird, perches, zone in (("bird1", "bird1_perches", "bird1_rect"), ("bird2", "bird2_perches", "bird2_rect")):
            node = (members.get(bird) or [None])[0]
            if not node or perches not in fixed:
                continue
            p = node["properties"]
            tag = p["tag"]
            if not 0 <= tag < len(fixed[perches]):
                self.fail(f"{rel}: {bird}'s starting tag {tag} names no perch")
                continue
            if [round(v) for v in p["position"]] != list(fixed[perches][tag]):
                self.fail(f"{rel}: {bird} starts at {p['position']}, not on its perch {fixed[perches][tag]}")
            w, h = size_of(node)
            zx, zy, zw, zh = fixed[zone]
            for px, py in fixed[perches]:
                ix = max(0.0, min(px + w / 2, zx + zw) - max(px - w / 2, zx))
                iy = max(0.0, min(py + h / 2, zy + zh) - max(py - h / 2, zy))
                if w * h == 0 or ix * iy < 0.25 * w * h:
                    self.fail(f"{rel}: {bird} on perch ({px}, {py}) is mostly outside its touch zone {fixed[zone]}")
        frog = (members.get("frog") or [None])[0]
        if frog and "frog_targets" in fixed:
            p = frog["properties"]
            targets = fixed["frog_targets"]
            tag = p["tag"]
            if not 0 <= tag < len(targets):
                self.fail(f"{rel}: the frog's starting tag {tag} names no target")
            elif [round(v) for v in p["position"]] != list(targets[tag]):
                self.fail(f"{rel}: the frog starts at {p['position']}, not on target {tag} {targets[tag]}")
            w, h = size_of(frog)
            for i, (x, y) in enumerate(targets):
                if x - w / 2 < 0 or x + w / 2 > sw or y - h / 2 < 0 or y + h / 2 > sh:
                    self.fail(f"{rel}: the frog at target {i} ({x}, {y}) leaves the {sw} x {sh} screen")

    def run_document(self) -> list[str]:
        self.check_document()
        return self.problems

    def run(self) -> list[str]:
        self.check_files()
        self.check_media()
        self.check_document()   # before the scenes, whose places the document shares
        self.check_scenes()
        return self.problems


def load(manifest_path: Path) -> tuple[dict, list[str], dict]:
    manifest = tomllib.loads(manifest_path.read_text())
    content = manifest_path.parent
    langs = tomllib.loads((content / "bundle.toml").read_text())["languages"]
    lines_file = content / "voices" / "lines.toml"
    lines = tomllib.loads(lines_file.read_text()) if lines_file.is_file() else {}
    return manifest, langs, lines


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("resources", type=Path)
    ap.add_argument("--manifest", type=Path, default=ROOT / "content" / "manifest.toml")
    a = ap.parse_args()
    if not a.resources.is_dir():
        print(f"content check: no bundle at {a.resources}")
        return 1
    problems = Checker(a.resources, *load(a.manifest)).run()
    for p in dict.fromkeys(problems):
        print(f"content check: {p}")
    print(f"content check: {len(dict.fromkeys(problems))} problems" if problems else "content check: bundle complete")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
