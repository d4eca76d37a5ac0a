#!/usr/bin/python3
"""Checks a built resource bundle against content/manifest.toml: every name
the game reads exists for both devices and both scales, every scene file is
complete and matches what its scene's code expects of it, every
content-document key and voice line is there in every shipped language, every
caption fits the board it is written on and every font draws every letter.

    check_content.py RESOURCES [--manifest content/manifest.toml]

Prints one line per problem, then one line per language: how many texts
(content document and string table) and voice lines it has, and what it
lacks that another language has. Exits 1 if there is any problem.
"""
from __future__ import annotations

import argparse
import math
import plistlib
import re
import struct
import sys
import tomllib
from pathlib import Path

import check_drawing
import check_kit

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
        self.texts: dict[str, dict[str, str]] = {lang: {} for lang in languages}   # lang -> where -> text
        self.fonts = Fonts(res)

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

    def png(self, rel: str) -> tuple[int, int] | None:
        """A bundle picture's size in pixels at 1x, or None when it is not there."""
        p = self.res / rel
        return png_size(p) if rel and p.is_file() else None

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
            self.texts[lang].update({f"Localizable.strings/{k}": v for k, v in table.items() if v})
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
            if shape == "text":
                if not isinstance(v, str) or not v.strip():
                    self.fail(f"{where} has no text")
                else:
                    self.texts[lang][where.partition(": ")[2]] = v
            elif shape in ("sound", "voice"):
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
            if req.get("devices", True) is False:
                # Read by its name as it is, on every device.
                doc = self.plist(base)
                if doc is not None:
                    self.scene(base, doc, req, None)
                continue
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
        if req.get("root_kind"):
            if root.get("class") != req["root_kind"]:
                self.fail(f"{rel}: the root must be a {req['root_kind']}, not {root.get('class')}")
            elif req.get("finite") and not self.finite_burst(root):
                self.fail(f"{rel}: the root's particle system never stops emitting (duration "
                          f"{root.get('properties', {}).get('duration')}), so it never removes itself")
        elif root.get("class") not in CONTAINERS:
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
        fixed = req.get(dev) if dev else None
        if fixed:
            self.fixed_places(rel, members, fixed, dev)
            self.learn_places(rel, members, req, fixed, dev)
            self.count_places(rel, req, fixed, dev)
        if req.get("plate_tags") and dev:
            GamePlaces(self, rel, root, members, req, fixed or {}, dev).run()
        if dev and (req.get("palette") or req.get("pages")):
            check_drawing.scene(self, rel, req, members, dev, DEVICES[dev])
        if dev and req.get("form"):
            check_kit.form(self, rel, req, members, dev, DEVICES[dev])
        for caption in (fixed or {}).get("captions", []):
            self.captions(rel, root, members, caption, fixed, dev)

    def captions(self, rel: str, root: dict, members: dict, cap: dict, fixed: dict, dev: str) -> None:
        """Texts the code writes on a board (a button, a sign) must lie on the
        board's face, measured in the font and size the code uses in each
        language, with their shadow. Text i goes on the menu item tagged
        items[i], or every text on one member or one picture of the root's."""
        boards = []     # (board's properties, its picture, the text's place)
        off = cap.get("offset", [0, 0])
        if "items" in cap:
            menu = (members.get(cap.get("menu", "mainMenu")) or [None])[0]
            found = {c["properties"].get("tag"): c["properties"] for c in (menu or {}).get("children", [])
                     if c["class"] == "CCMenuItemImage"}
            for tag in cap["items"]:
                if tag in found:
                    x, y = found[tag]["position"]
                    boards.append((found[tag], found[tag]["spriteFileNormal"], (x + off[0], y + off[1])))
        elif "member" in cap:
            node = (members.get(cap["member"]) or [None])[0]
            if node:
                x, y = node["properties"]["position"]
                boards.append((node["properties"], node["properties"]["spriteFile"], (x + off[0], y + off[1])))
        else:
            want = with_device(cap["picture"], dev)
            found = [k["properties"] for k in root.get("children", []) if k["class"] == "CCSprite"
                     and k["properties"].get("spriteFile") == want]
            at = fixed.get(cap["at"]) if isinstance(cap.get("at"), str) else cap.get("at")
            if len(found) != 1 or not at:
                self.fail(f"{rel}: wants one {want} among the root's children for the captions {cap['texts']}")
                return
            boards.append((found[0], want, (at[0] + off[0], at[1] + off[1])))
        if not boards:
            self.fail(f"{rel}: no board for the captions {cap['texts']}")
            return
        faces = []
        for props, picture, at in boards:
            face = self.m.get("caption_boards", {}).get(re.sub(r"~(ipad|iphone)(?=\.)", "", picture))
            size = png_size(self.res / picture) if (self.res / picture).is_file() else None
            if not face or not size:
                self.fail(f"{rel}: {picture} is no board that captions are known to fit on (caption_boards)")
                return
            w, h = size[0] * props["scaleX"], size[1] * props["scaleY"]
            left, bottom = props["position"][0] - props["anchorPoint"][0] * w, props["position"][1] - props["anchorPoint"][1] * h
            faces.append((left + face[0] * w, bottom + face[1] * h, left + face[2] * w, bottom + face[3] * h))
        first = cap.get("from", 0)
        for lang, doc in self.docs.items():
            texts = doc
            for step in cap["texts"].split("/"):
                texts = texts.get(step) if isinstance(texts, dict) else None
            if not isinstance(texts, list):
                continue
            size = cap.get("sizes", {}).get(lang, cap["size"])
            for i in range(first, len(texts)):
                k = i - first if len(boards) > 1 else 0
                if k >= len(boards) or not isinstance(texts[i], str):
                    continue
                m = self.fonts.measure(cap["font"], size, texts[i])
                if m is None:
                    self.fail(f"{rel}: cannot measure captions: no font {cap['font']!r} in fonts.plist")
                    return
                box = shifted(m[1], *boards[k][2])
                sx, sy = cap.get("shadow", [0, 0])
                box = (min(box[0], box[0] + sx), min(box[1], box[1] + sy), max(box[2], box[2] + sx), max(box[3], box[3] + sy))
                if not contains(faces[k], box):
                    self.fail(f"{rel}: {lang} {cap['texts']}[{i}] {texts[i]!r} at size {size} does not fit on "
                              f"{boards[k][1]}: its letters take {tuple(round(v, 1) for v in box)}, the board's face "
                              f"{tuple(round(v, 1) for v in faces[k])}")

    @staticmethod
    def finite_burst(node: dict) -> bool:
        p = node.get("properties", {})
        return is_number(p.get("duration")) and p["duration"] > 0 and is_number(p.get("emissionRate")) \
            and p["emissionRate"] > 0

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

    def check_glyphs(self) -> None:
        """Every font the game may ask for draws every letter of every text
        in every language (a missing glyph shows as an empty box)."""
        from fontTools.ttLib import TTFont
        fmap = (self.plist("fonts.plist") or {}).get("fonts", {})
        cmaps = {}
        for name in self.m.get("fonts", {}).get("names", []):
            entry = fmap.get(name)
            if isinstance(entry, dict) and (self.res / str(entry.get("file"))).is_file():
                key = (entry["file"], entry.get("index", 0))
                if key not in cmaps:
                    cmaps[key] = set(TTFont(self.res / key[0], fontNumber=key[1], lazy=True).getBestCmap())
                for lang, texts in self.texts.items():
                    letters = {c for t in texts.values() for c in t if not c.isspace()}
                    missing = "".join(sorted(c for c in letters if ord(c) not in cmaps[key]))
                    if missing:
                        self.fail(f"{lang}: font {name!r} ({key[0]}) has no glyph for {missing!r}")

    def report(self) -> list[str]:
        """Per language: its texts and voice lines, and the ones another
        language has that it lacks."""
        every = set().union(*(t.keys() for t in self.texts.values()))
        lines = []
        for lang in self.langs:
            own = self.texts[lang]
            voiced = [n for n, t in self.voice_lines.items() if t.get(lang) and self.lproj(lang, voice_file(n)).is_file()]
            gaps = sorted(every - own.keys()) + [f"voice {n}" for n in self.voice_lines if n not in voiced]
            line = f"{lang}: {len(own)} texts, {len(voiced)} voice lines"
            lines.append(line + (f"; lacks {', '.join(gaps)}" if gaps else ""))
        return lines

    def run(self) -> list[str]:
        self.check_files()
        self.check_media()
        self.check_document()   # before the scenes, whose places the document shares
        self.check_scenes()
        check_drawing.check_strokes(self, DEVICES)
        check_kit.shelf(self, DEVICES)
        self.check_glyphs()
        return self.problems



class Fonts:
    """Measures texts as the game's text labels draw them, with the fonts the
    bundle maps the game's font names to (fonts.plist)."""

    def __init__(self, res: Path):
        self.res = res
        self.table: dict | None = None
        self.cache: dict = {}

    def measure(self, name: str, size: int, text: str):
        """(advance width, (left, bottom, right, top) of the inked glyphs
        about the label's position, y up), or None without the font. A
        label is its line's box centred on its position, the glyphs set in
        it from the font's ascent."""
        key = (name, size, text)
        if key not in self.cache:
            if self.table is None:
                try:
                    self.table = plistlib.loads((self.res / "fonts.plist").read_bytes()).get("fonts", {})
                except Exception:  # noqa: BLE001 - reported as a missing font
                    self.table = {}
            entry = self.table.get(name)
            if not isinstance(entry, dict) or not (self.res / str(entry.get("file"))).is_file():
                self.cache[key] = None
            else:
                from PIL import ImageFont
                font = ImageFont.truetype(str(self.res / entry["file"]), size, index=entry.get("index", 0))
                ascent, descent = font.getmetrics()
                width = font.getlength(text)
                left, top, right, bottom = font.getbbox(text) if text else (0, 0, 0, 0)
                half = (ascent + descent) / 2
                self.cache[key] = (width, (left - width / 2, half - bottom, right - width / 2, half - top))
        return self.cache[key]


def voice_file(line: str) -> str:
    """The file a voice line becomes in each language's folder."""
    return line if line.endswith(".mp3") else f"{line}.m4a"


def turn(x: float, y: float, degrees: float) -> tuple[float, float]:
    """A vector turned as the engine turns nodes: positive degrees clockwise."""
    a = math.radians(degrees)
    return (x * math.cos(a) + y * math.sin(a), -x * math.sin(a) + y * math.cos(a))


def overlaps(a, b) -> bool:
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def contains(outer, inner, margin: float = 0.0) -> bool:
    return (outer[0] + margin <= inner[0] and outer[1] + margin <= inner[1]
            and inner[2] <= outer[2] - margin and inner[3] <= outer[3] - margin)


def shifted(box, x: float, y: float):
    return (box[0] + x, box[1] + y, box[2] + x, box[3] + y)


def gap(a, b) -> float:
    """Distance between two boxes (0 when they touch or overlap)."""
    dx = max(0.0, a[0] - b[2], b[0] - a[2])
    dy = max(0.0, a[1] - b[3], b[1] - a[3])
    return math.hypot(dx, dy)


class GamePlaces:
    """The arithmetic game's scene file against what its code does with it:
    the numbers it writes must land on what is drawn for them (the scores on
    boards that rock with their ships, each resting answer on its lily pad,
    each menu text beside its option), no rocking ship may reach under a
    number, the menu's option squares (its tap areas) must be apart and on
    the panel, its texts must fit, in every language, and the layers the
    code shows at the end of a game must cover what they should."""

    def __init__(self, checker: "Checker", rel: str, root: dict, members: dict, req: dict, fixed: dict, dev: str):
        self.c, self.rel, self.root, self.members = checker, rel, root, members
        self.req, self.fixed, self.dev = req, fixed, dev
        self.kids = root.get("children", []) or []
        self.masks: dict = {}

    def fail(self, msg: str) -> None:
        self.c.fail(f"{self.rel}: {msg}")

    def member(self, name: str):
        return (self.members.get(name) or [None])[0]

    def size(self, file: str) -> tuple[int, int]:
        key = ("size", file)
        if key not in self.masks:
            self.masks[key] = png_size(self.c.res / file) if file and (self.c.res / file).is_file() else None
        return self.masks[key]

    def text(self, role: str, size: int, text: str, at, turned: float = 0.0):
        """A text label's inked box on the screen (or its parent), turned
        about its position: the box around its turned corners."""
        font = self.req.get("fonts", {}).get(role, "")
        m = self.c.fonts.measure(font, size, text)
        if m is None:
            self.fail(f"cannot measure the {role} texts: no font {font!r} in fonts.plist")
            return None
        x0, y0, x1, y1 = m[1]
        pts = [turn(px, py, turned) for px, py in ((x0, y0), (x0, y1), (x1, y0), (x1, y1))]
        return (at[0] + min(p[0] for p in pts), at[1] + min(p[1] for p in pts),
                at[0] + max(p[0] for p in pts), at[1] + max(p[1] for p in pts))

    def advance(self, role: str, size: int, text: str) -> float:
        m = self.c.fonts.measure(self.req.get("fonts", {}).get(role, ""), size, text)
        return m[0] if m else 0.0

    def run(self) -> None:
        if not self.fixed:
            return
        self.layers()
        self.timer()
        self.plates()
        self.ships()
        self.menu()
        self.end_panels()

    # --- layers ---------------------------------------------------------------
    def layers(self) -> None:
        z_texts, z_answers = 0, 10      # where the code adds its texts and its answers
        for name in self.req.get("hidden", []):
            node = self.member(name)
            if node and node["properties"].get("visible"):
                self.fail(f"{name} must start hidden: the code shows it only when a game is won")
        for name in self.req.get("below_texts", []):
            node = self.member(name)
            if node and node["properties"].get("zOrder", 0) >= z_texts:
                self.fail(f"{name} (z {node['properties']['zOrder']}) would be drawn over the numbers the code "
                          f"writes on it at z {z_texts}")
        for name in self.req.get("above_answers", []):
            node = self.member(name)
            if node and node["properties"].get("zOrder", 0) <= z_answers:
                self.fail(f"{name} (z {node['properties']['zOrder']}) would be drawn under the answers (z {z_answers})")
        sw, sh = DEVICES[self.dev]
        for name in self.req.get("dims_screen", []):
            node = self.member(name)
            if not node:
                continue
            p = node["properties"]
            if not (node["class"] == "CCSprite" and 0 < p.get("opacity", 0) < 255):
                self.fail(f"{name} must be a see-through sprite")
            elif not contains(self.c.box(node), (0, 0, sw, sh)) or p.get("rotation"):
                self.fail(f"{name} does not cover the {sw} x {sh} screen")
        for name, tags in self.req.get("member_bursts", {}).items():
            node = self.member(name)
            kids = node.get("children", []) if node else []
            for tag in tags:
                found = [k for k in kids if k["class"] == "CCParticleSystem" and k["properties"].get("tag") == tag]
                if len(found) != 1:
                    self.fail(f"wants exactly one particle system tagged {tag} among {name}'s children")
                elif not self.c.finite_burst(found[0]):
                    self.fail(f"{name}'s burst {tag} never stops emitting: the code restarts it for each won game")

    def timer(self) -> None:
        bar = self.member(self.req.get("timer_bar", ""))
        if not bar:
            return
        p = bar["properties"]
        sw, sh = DEVICES[self.dev]
        if p["anchorPoint"] != [0.0, 0.5] or p["scaleX"] != 1 or p["rotation"] != 0:
            self.fail(f"{self.req['timer_bar']} must be anchored at its left end, (0, 0.5), unscaled and unturned: "
                      f"the code shrinks it towards its anchor")
        elif not contains((0, 0, sw, sh), self.c.box(bar)):
            self.fail(f"{self.req['timer_bar']} leaves the screen")

    # --- answers and plates ------------------------------------------------------
    def answers(self) -> list[tuple[int, int]]:
        """The answers' stored places (the first language's: the check of the
        document proves every language alike)."""
        key = self.fixed.get("answer_key")
        for doc in self.c.docs.values():
            game = doc.get("CountAnimal")
            if isinstance(game, dict) and isinstance(game.get(key), list):
                return [(v // 1000, v % 1000) for v in game[key] if isinstance(v, int)]
        return []

    def plates(self) -> None:
        plates = []
        for tag in self.req.get("plate_tags", []):
            found = [k for k in self.kids if k["class"] == "CCSprite" and k["properties"].get("tag") == tag]
            if len(found) != 1:
                self.fail(f"wants exactly one sprite tagged {tag} (an answer's plate) among the root's children")
                return
            plates.append(found[0])
            if found[0]["properties"].get("zOrder", 0) >= 0:
                self.fail(f"plate {tag} would be drawn over the answer resting on it")
        boxes = [self.c.box(p) for p in plates]
        for i, a in enumerate(boxes):
            for b in boxes[i + 1:]:
                if overlaps(a, b):
                    self.fail(f"answer plates overlap: {a} and {b}")
        drop = self.fixed.get("answer_drop", 0)
        dx, hy, hw, hh = self.fixed.get("answer_hit", (0, 0, 0, 0))
        sw, sh = DEVICES[self.dev]
        for x, y in self.answers():
            rest = y - drop
            # The code marks every plate whose box holds the answer's x at the plate's own height.
            marked = [i for i, (p, b) in enumerate(zip(plates, boxes))
                      if b[0] <= x <= b[2] and b[1] <= p["properties"]["position"][1] <= b[3]]
            if len(marked) != 1:
                self.fail(f"the answer at x {x} would mark {len(marked)} plates, not one")
                continue
            b = boxes[marked[0]]
            py = plates[marked[0]]["properties"]["position"][1]
            if not (b[0] <= x <= b[2] and b[1] <= rest <= b[3]):
                self.fail(f"the answer resting at ({x}, {rest}) is off its plate {b}")
            if not hy <= py <= hy + hh:
                self.fail(f"the plate under x {x} stands at y {py}, outside the answers' tap band {hy}..{hy + hh}")
            glyphs = self.text("answer", self.fixed.get("answer_size", 0), self.req.get("widest_answer", "88"), (x, rest))
            if glyphs and not contains((0, 0, sw, sh), glyphs):
                self.fail(f"the answer resting at ({x}, {rest}) is cut off by the screen's edge")

    # --- the ships ---------------------------------------------------------------
    def frames(self, ship: dict):
        """The places a rocking ship passes through: (position, turn)."""
        p = ship["properties"]
        swim = self.req.get("swim", {})
        r, rise = swim.get("rotation", 0), swim.get("rise", 0)
        x, y = p["position"]
        for deg in (-r, -r / 2, 0, r / 2, r):
            for dy in (-rise, 0, rise):
                yield (x, y + dy), p["rotation"] + deg

    def local(self, ship: dict, frame, pt) -> tuple[float, float]:
        """A screen point in the ship's own points (origin at its picture's
        lower-left corner) while the ship is at the given frame."""
        p = ship["properties"]
        w, h = self.size(p["spriteFile"]) or (0, 0)
        (x, y), deg = frame
        lx, ly = turn(pt[0] - x, pt[1] - y, -deg)
        return (p["anchorPoint"][0] * w + lx / p["scaleX"], p["anchorPoint"][1] * h + ly / p["scaleY"])

    def child_box(self, child: dict):
        p = child["properties"]
        w, h = self.size(p.get("spriteFile", "")) or (0, 0)
        w, h = w * p["scaleX"], h * p["scaleY"]
        if p.get("tag") == 1:       # the part that spins: any way round
            w = h = max(w, h)
        x, y = p["position"]
        return (x - w * p["anchorPoint"][0], y - h * p["anchorPoint"][1], x + w * (1 - p["anchorPoint"][0]),
                y + h * (1 - p["anchorPoint"][1]))

    def flag_box(self, ship: dict):
        """Where the code's flag (any of them, either way round) draws on a
        ship: centred on (half the ship's width, flag_y)."""
        w, _ = self.size(ship["properties"]["spriteFile"]) or (0, 0)
        x, y = w / 2, self.fixed.get("flag_y", 0)
        box = None
        for name in self.req.get("flags", []):
            mask = self.alpha(with_device(name, self.dev))
            inked = mask.getbbox() if mask is not None else None
            if not inked:
                continue
            fw, fh = mask.size
            # Mirrored for the opponent: take the inked columns from both sides.
            left = min(inked[0], fw - inked[2])
            b = (x - fw / 2 + left, y + fh / 2 - inked[3], x + fw / 2 - left, y + fh / 2 - inked[1])
            box = b if box is None else (min(box[0], b[0]), min(box[1], b[1]), max(box[2], b[2]), max(box[3], b[3]))
        return box or (x, y, x, y)

    def alpha(self, file: str):
        if file not in self.masks:
            from PIL import Image
            try:
                self.masks[file] = Image.open(self.c.res / file).getchannel("A")
            except Exception:  # noqa: BLE001 - a missing picture is reported elsewhere
                self.masks[file] = None
        return self.masks[file]

    def parts(self, ship: dict):
        """What a ship draws, in its own points: its picture's alpha (pixel
        access, width, height) and the boxes of its children and flag."""
        key = id(ship)
        if key not in self.masks:
            mask = self.alpha(ship["properties"]["spriteFile"])
            boxes = [self.child_box(k) for k in ship.get("children", []) if k["class"] == "CCSprite"]
            boxes.append(self.flag_box(ship))
            w, h = mask.size if mask is not None else (0, 0)
            self.masks[key] = (mask.load() if mask is not None else None, w, h, boxes)
        return self.masks[key]

    def paints(self, ship: dict, lx: float, ly: float) -> bool:
        """Whether the ship draws anything at this point of its own."""
        pixels, w, h, boxes = self.parts(ship)
        if pixels is not None and 0 <= lx < w and 0 <= ly < h and pixels[int(lx), int(h - 1 - ly)] > 40:
            return True
        return any(b[0] <= lx <= b[2] and b[1] <= ly <= b[3] for b in boxes)

    def reach(self, ship: dict):
        """The screen box a rocking ship may draw in."""
        key = ("reach", id(ship))
        if key not in self.masks:
            _, w, h, boxes = self.parts(ship)
            p = ship["properties"]
            corners = [(x, y) for b in boxes + [(0, 0, w, h)] for x in (b[0], b[2]) for y in (b[1], b[3])]
            pts = []
            for (x, y), deg in self.frames(ship):
                for cx, cy in corners:
                    dx, dy = turn((cx - p["anchorPoint"][0] * w) * p["scaleX"],
                                  (cy - p["anchorPoint"][1] * h) * p["scaleY"], deg)
                    pts.append((x + dx, y + dy))
            self.masks[key] = (min(q[0] for q in pts), min(q[1] for q in pts),
                               max(q[0] for q in pts), max(q[1] for q in pts))
        return self.masks[key]

    def ship_under(self, ship: dict, box) -> bool:
        """Whether a rocking ship ever draws under the box (screen points)."""
        if not overlaps(self.reach(ship), box):
            return False
        step = 2.0 if self.dev == "iphone" else 3.0
        pts = [(box[0] + i * step, box[1] + j * step)
               for i in range(int((box[2] - box[0]) / step) + 1) for j in range(int((box[3] - box[1]) / step) + 1)]
        for frame in self.frames(ship):
            for pt in pts:
                if self.paints(ship, *self.local(ship, frame, pt)):
                    return True
        return False

    def ships(self) -> None:
        names = self.req.get("ships", [])
        scores = self.fixed.get("scores", [])
        size = self.fixed.get("score_size", 0)
        for name, (x, y, deg) in zip(names, scores):
            ship = self.member(name)
            if not ship:
                continue
            boards = [k for k in ship.get("children", []) if k["class"] == "CCSprite"
                      and k["properties"].get("tag") == self.req.get("board_tag")]
            if len(boards) != 1:
                self.fail(f"{name} has no board (a sprite tagged {self.req.get('board_tag')}) for its score")
                continue
            board = self.child_box(boards[0])
            if overlaps(board, self.flag_box(ship)):
                self.fail(f"the flag the code hangs on {name} covers its score board")
            m = self.c.fonts.measure(self.req.get("fonts", {}).get("score", ""), size, self.req.get("widest_score", "20"))
            if not m:
                continue
            x0, y0, x1, y1 = m[1]
            corners = [turn(px, py, deg) for px, py in ((x0, y0), (x0, y1), (x1, y0), (x1, y1))]
            for frame in self.frames(ship):
                pts = [self.local(ship, frame, (x + cx, y + cy)) for cx, cy in corners]
                if not all(board[0] <= px <= board[2] and board[1] <= py <= board[3] for px, py in pts):
                    self.fail(f"{name}'s score at ({x}, {y}) leaves its board when the ship rocks "
                              f"(turned {frame[1]:g} degrees, at y {frame[0][1]:g})")
                    break
        # No rocking ship reaches under a number: the answers, falling or at
        # rest, and the task with the right answer moved in after it.
        texts = []
        drop = self.fixed.get("answer_drop", 0)
        widest = self.req.get("widest_answer", "88")
        asize = self.fixed.get("answer_size", 0)
        for x, y in self.answers():
            for at in ((x, y), (x, y - drop)):
                texts.append((f"the answer at {at}", self.text("answer", asize, widest, at)))
        task = self.fixed.get("task")
        if task:
            tsize = self.fixed.get("task_size", 0)
            for sample in self.req.get("tasks", []):
                texts.append((f"the task {sample!r}", self.text("task", tsize, sample, task)))
                moved = task[0] + self.advance("task", tsize, sample) / 2 + self.advance("answer", asize, widest) / 2
                texts.append((f"the answer moved after {sample!r}", self.text("answer", asize, widest, (moved, task[1]))))
        for name in names:
            ship = self.member(name)
            if not ship:
                continue
            for what, box in texts:
                if box and self.ship_under(ship, box):
                    self.fail(f"{name} reaches under {what} as it rocks")

    # --- the settings menu ---------------------------------------------------------
    def menu(self) -> None:
        cfg = self.req.get("menu")
        layer = self.member(cfg["layer"]) if cfg else None
        if not layer:
            return
        lp = layer["properties"]
        if lp["position"] != [0.0, 0.0] or lp["isRelativeAnchorPoint"] or lp["scaleX"] != 1 or lp["scaleY"] != 1:
            self.fail(f"{cfg['layer']} must sit unscaled at the origin: the code takes its panel's place as the screen's")
        kids = layer.get("children", []) or []
        panels = [k for k in kids if k["class"] == "CCSprite" and k["properties"].get("tag") == cfg["panel_tag"]]
        if len(panels) != 1:
            self.fail(f"wants exactly one sprite tagged {cfg['panel_tag']} (the menu's panel) among {cfg['layer']}'s children")
            return
        panel = panels[0]
        pp = panel["properties"]
        psize = self.size(pp["spriteFile"])
        if not psize:
            return
        pw, ph = psize
        if pp["anchorPoint"] != [0.5, 0.5] or pp["scaleX"] != 1 or pp["scaleY"] != 1 or pp["rotation"] != 0:
            self.fail("the menu's panel must be centred on its place, unscaled and unturned: the code finds its "
                      "options' squares from its place and half its size")
        left, bottom = pp["position"][0] - pw / 2, pp["position"][1] - ph / 2
        item, item_menu = None, None
        for k in kids:
            if k["class"] != "CCMenu":
                continue
            for it in k.get("children", []) or []:
                if it["class"] == "CCMenuItemImage" and it["properties"].get("tag") == cfg["item_tag"]:
                    item, item_menu = it, k
        start = None
        if not item:
            self.fail(f"no menu item tagged {cfg['item_tag']} (the start button) in {cfg['layer']}")
        else:
            ip, mp = item["properties"], item_menu["properties"]
            if ip.get("selector") != cfg["selector"] or ip.get("target") != 1:
                self.fail(f"the start button is not wired to {cfg['selector']} on the root")
            if mp["position"] != [0.0, 0.0] or mp["isRelativeAnchorPoint"] or mp["scaleX"] != 1 or mp["scaleY"] != 1:
                self.fail("the start button's menu must sit unscaled at the origin")
            w, h = self.size(ip["spriteFileNormal"]) or (0, 0)
            x, y = ip["position"]
            start = (x - w / 2 - left, y - h / 2 - bottom, x + w / 2 - left, y + h / 2 - bottom)
            if mp.get("zOrder", 0) >= pp.get("zOrder", 0):
                self.fail("the start button is drawn over the panel, hiding the caption the code writes on the panel")
            elif overlaps(start, (0, 0, pw, ph)):
                mask = self.alpha(pp["spriteFile"])
                cx, cy = (start[0] + start[2]) / 2, (start[1] + start[3]) / 2
                if mask is not None and 0 <= cx < pw and 0 <= cy < ph and mask.getpixel((int(cx), int(ph - 1 - cy))) > 0:
                    self.fail("the menu's panel hides the start button that lies under it")
        side = (self.size(with_device(cfg["marker"], self.dev)) or (0, 0))[0]
        key = self.fixed.get("menu_key")
        sizes = self.fixed.get("sizes", {})
        lift = self.fixed.get("start_lift", 0)
        groups = [("Type", "Types"), ("Difficult", "Difficults"), ("Team", "Teams")]
        for lang, doc in self.c.docs.items():
            where = f"{lang} {key}"
            place, texts = doc.get(key), (doc.get("GameMenu") or {}).get("Strings")
            if not isinstance(place, dict) or not isinstance(texts, dict):
                continue
            rects = [v for v in place.get("Rectangels", []) if isinstance(v, int)]
            squares = [(v // 1000, v % 1000, v // 1000 + side, v % 1000 + side) for v in rects]
            for i, sq in enumerate(squares):
                if not contains((0, 0, pw, ph), sq):
                    self.fail(f"{where}: option square {i} {sq} leaves the {pw} x {ph} panel")
                for j in range(i + 1, len(squares)):
                    if overlaps(sq, squares[j]):
                        self.fail(f"{where}: option squares {i} and {j} overlap: a tap would choose the first")
            pos = place.get("StringsPos", {})
            labels = []     # (what, box, option index or None)

            def add(what, role, size, text, at, option=None):
                if isinstance(text, str) and isinstance(at, int):
                    box = self.text(role, size, text, (at // 1000, at % 1000))
                    if box:
                        labels.append((what, box, option))

            add("NewGame", "NewGame", sizes.get("NewGame", 0), texts.get("NewGame"), pos.get("NewGame"))
            if isinstance(pos.get("Start"), int):
                add("Start", "Start", sizes.get("Start", 0), texts.get("Start"), pos["Start"] + lift)
            option = 0
            for head, items in groups:
                hs = sizes.get("heading", 0) - (3 if lang == "it" else 0)
                add(head, "heading", hs, (texts.get(head) or {}).get(head), (pos.get(head) or {}).get(head))
                names = (texts.get(head) or {}).get(items) or []
                places = (pos.get(head) or {}).get(items) or []
                for i, (text, at) in enumerate(zip(names, places)):
                    add(f"{items}[{i}] {text!r}", "option", sizes.get("option", 0), text, at, option + i)
                option += len(names)
            margin = side / 8
            for i, (what, box, opt) in enumerate(labels):
                if not contains((0, 0, pw, ph), box, margin):
                    self.fail(f"{where}: {what} reaches the panel's edge or beyond")
                for what2, box2, _ in labels[i + 1:]:
                    if overlaps(box, box2):
                        self.fail(f"{where}: {what} overlaps {what2}")
                for k, sq in enumerate(squares):
                    if k != opt and overlaps(box, sq) and what != "Start":
                        self.fail(f"{where}: {what} lies on option square {k}")
                if opt is not None and opt < len(squares):
                    own = gap(box, squares[opt])
                    if own > side / 2 or any(gap(box, sq) < own for k, sq in enumerate(squares) if k != opt):
                        self.fail(f"{where}: {what} does not stand beside its own option square {opt}")
                if what == "Start" and start and not contains(start, box):
                    self.fail(f"{where}: the start caption does not fit on the start button")

    def end_panels(self) -> None:
        key = self.fixed.get("menu_key")
        sizes = self.fixed.get("sizes", {})
        for lang, doc in self.c.docs.items():
            place, texts = doc.get(key), (doc.get("GameMenu") or {}).get("Strings")
            if not isinstance(place, dict) or not isinstance(texts, dict):
                continue
            pos = place.get("StringsPos", {})
            for panel, items in (("youWin", ["YouWin"]), ("youLose", ["YouLose", "TryAgain"])):
                node = self.member(panel)
                size = self.size(node["properties"]["spriteFile"]) if node else None
                if not size:
                    continue
                boxes = []
                for item in items:
                    at, text = pos.get(item), texts.get(item)
                    if not isinstance(at, int) or not isinstance(text, str):
                        continue
                    box = self.text(item, sizes.get(item, 0), text, (at // 1000, at % 1000))
                    if box and not contains((0, 0, size[0], size[1]), box, size[1] / 10):
                        self.fail(f"{lang} {key}: {item} {text!r} does not fit on {panel}")
                    boxes.append((item, box))
                for i, (a, ba) in enumerate(boxes):
                    for b, bb in boxes[i + 1:]:
                        if ba and bb and overlaps(ba, bb):
                            self.fail(f"{lang} {key}: {a} overlaps {b} on {panel}")


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
    checker = Checker(a.resources, *load(a.manifest))
    problems = checker.run()
    for p in dict.fromkeys(problems):
        print(f"content check: {p}")
    for line in checker.report():
        print(f"content check: {line}")
    print(f"content check: {len(dict.fromkeys(problems))} problems" if problems else "content check: bundle complete")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
