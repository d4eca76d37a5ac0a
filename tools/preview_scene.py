#!/usr/bin/python3
"""Draws a scene file from a built bundle into a PNG, for reviewing layouts
without the game: sprites and menu items (normal pictures) with their
position, anchor, scale, mirroring and rotation, a particle system as a few
seconds of its emitter, and, for the main menu, the button captions where the
scene's code puts them. With --zones it also marks the fixed touch zones,
perches and hop targets that content/manifest.toml holds for the scene.

    preview_scene.py RESOURCES main-menu~ipad.ccb OUT.png [--scale 2] [--zones] [--lang it]

Needs Pillow (python3-pil).
"""
from __future__ import annotations

import argparse
import math
import plistlib
import random
import sys
import tomllib
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ROOT = Path(__file__).resolve().parent.parent
SCREEN = {"ipad": (1024, 768), "iphone": (480, 320)}


class Preview:
    def __init__(self, res: Path, device: str, scale: int):
        self.res, self.device, self.scale = res, device, scale
        w, h = SCREEN[device]
        self.h = h
        self.img = Image.new("RGBA", (w * scale, h * scale), (0, 0, 0, 255))

    def picture(self, name: str) -> Image.Image:
        stem, ext = name.rsplit(".", 1)
        for cand in ([f"{stem}-hd.{ext}", name] if self.scale == 2 else [name]):
            p = self.res / cand
            if p.is_file():
                im = Image.open(p).convert("RGBA")
                if self.scale == 2 and not cand.endswith(f"-hd.{ext}"):
                    im = im.resize((im.width * 2, im.height * 2))
                return im
        return Image.open(self.res / "missing-texture.png").convert("RGBA")

    def to_px(self, x: float, y: float) -> tuple[float, float]:
        return x * self.scale, (self.h - y) * self.scale

    def blit(self, im: Image.Image, x: float, y: float, anchor, sx: float, sy: float, rot: float, flip: bool) -> None:
        if flip:
            im = im.transpose(Image.Transpose.FLIP_LEFT_RIGHT)
        w, h = max(1, round(im.width * abs(sx))), max(1, round(im.height * abs(sy)))
        if (w, h) != im.size:
            im = im.resize((w, h), Image.Resampling.LANCZOS)
        ax, ay = anchor
        if rot:
            # Rotate about the anchor: pad so that the anchor is the centre.
            cx, cy = ax * w, (1 - ay) * h
            pad = int(math.hypot(w, h)) * 2
            canvas = Image.new("RGBA", (pad, pad))
            canvas.paste(im, (int(pad / 2 - cx), int(pad / 2 - cy)))
            im = canvas.rotate(-rot, resample=Image.Resampling.BICUBIC)
            px, py = self.to_px(x, y)
            self.img.alpha_composite(im, (int(px - pad / 2), int(py - pad / 2)))
            return
        px, py = self.to_px(x, y)
        self.img.alpha_composite(im, (int(round(px - ax * w)), int(round(py - (1 - ay) * h))))

    def draw(self, node: dict, ox=0.0, oy=0.0, psx=1.0, psy=1.0) -> None:
        """Draws node in parent space; (ox, oy) is the parent's bottom-left in
        screen points and (psx, psy) its accumulated scale."""
        props = node.get("properties", {})
        if not props.get("visible", False):
            return
        cls = node["class"]
        x, y = props.get("position", [0, 0])
        sx, sy = props.get("scaleX", 0.0) * psx, props.get("scaleY", 0.0) * psy
        wx, wy = ox + x * psx, oy + y * psy
        anchor = props.get("anchorPoint", [0, 0])
        rot = props.get("rotation", 0.0)
        own = None
        if cls == "CCSprite":
            own = self.picture(props["spriteFile"])
            own_size = (own.width / self.scale, own.height / self.scale)
            self.blit(own, wx, wy, anchor, sx, sy, rot, props.get("flipX", False))
        elif cls == "CCMenuItemImage":
            own = self.picture(props["spriteFileNormal"])
            own_size = (own.width / self.scale, own.height / self.scale)
            self.blit(own, wx, wy, anchor, sx, sy, rot, False)
        elif cls == "CCParticleSystem":
            self.particles(props, wx, wy)
            own_size = (0, 0)
        else:
            own_size = tuple(props.get("contentSize", [0, 0]))
        # Children sit in the node's own space: its bottom-left corner.
        if props.get("isRelativeAnchorPoint", True):
            bx = wx - anchor[0] * own_size[0] * sx
            by = wy - anchor[1] * own_size[1] * sy
        else:
            bx, by = wx, wy
        kids = sorted(enumerate(node.get("children", [])), key=lambda t: (t[1]["properties"].get("zOrder", 0), t[0]))
        for _, child in kids:
            self.draw(child, bx, by, sx, sy)

    def particles(self, p: dict, x: float, y: float) -> None:
        """Two seconds of a gravity-mode emitter, drawn as its final frame."""
        tex = self.picture(p["spriteFile"])
        rng = random.Random(1)
        live = []
        dt = 1 / 60
        acc = 0.0
        for _ in range(120):
            acc += dt
            while acc > 1 / p["emissionRate"] and len(live) < p["totalParticles"]:
                acc -= 1 / p["emissionRate"]
                a = math.radians(p["angle"] + p["angleVar"] * rng.uniform(-1, 1))
                v = p["speed"] + p["speedVar"] * rng.uniform(-1, 1)
                life = max(0.0, p["life"] + p["lifeVar"] * rng.uniform(-1, 1))
                size = max(0.0, p["startSize"] + p["startSizeVar"] * rng.uniform(-1, 1))
                live.append([p["posVar"][0] * rng.uniform(-1, 1), p["posVar"][1] * rng.uniform(-1, 1),
                             math.cos(a) * v, math.sin(a) * v, life, life, size])
            for q in live:
                q[2] += p["gravity"][0] * dt
                q[3] += p["gravity"][1] * dt
                q[0] += q[2] * dt
                q[1] += q[3] * dt
                q[4] -= dt
            live = [q for q in live if q[4] > 0]
        for q in live:
            t = 1 - q[4] / q[5]
            col = [a + (b - a) * t for a, b in zip(p["startColor"], p["endColor"])]
            s = q[6] + ((p["endSize"] if p["endSize"] >= 0 else q[6]) - q[6]) * t
            im = tex.resize((max(1, int(s * self.scale)),) * 2)
            r, g, b, a = im.split()
            a = a.point(lambda v: int(v * col[3]))
            tint = Image.merge("RGBA", (r.point(lambda v: int(v * col[0])), g.point(lambda v: int(v * col[1])),
                                        b.point(lambda v: int(v * col[2])), a))
            self.blit(tint, x + q[0], y + q[1], (0.5, 0.5), 1 / self.scale * self.scale, 1, 0, False)

    def captions(self, root: dict, lang: str) -> None:
        """The main menu's button captions, as its code draws them."""
        doc_path = self.res / ("data1.plist" if lang == "en" else f"{lang}.lproj/data1.plist")
        strings = plistlib.loads(doc_path.read_bytes()).get("MainMenuStrings", [])
        fonts = plistlib.loads((self.res / "fonts.plist").read_bytes())
        font_file = self.res / fonts["fonts"]["P22UndergroundCYPro-Medium"]["file"]
        pad = self.device == "ipad"
        size = (24 if lang == "it" else 31) if pad else (11 if lang == "it" else 14)
        font = ImageFont.truetype(str(font_file), size * self.scale)
        menu = next((c for c in root["children"] if c["properties"].get("memberVarAssignmentName") == "mainMenu"), None)
        if not menu:
            return
        draw = ImageDraw.Draw(self.img)
        for i, text in enumerate(strings[:4]):
            b = next((c for c in menu["children"] if c["properties"]["tag"] == i + 1), None)
            if not b:
                continue
            bx, by = b["properties"]["position"]
            fx, fy = (bx, by - 5) if pad else (bx, by - 2)
            shx, shy = (fx + 1, fy - 2) if pad else (fx + 1, fy - 1)
            for (x, y), colour in (((shx, shy), (67, 106, 9, 255)), ((fx, fy), (255, 255, 255, 255))):
                draw.text(self.to_px(x, y), text, font=font, fill=colour, anchor="mm")

    def zones(self, scene: str) -> None:
        manifest = tomllib.loads((ROOT / "content" / "manifest.toml").read_text())
        fixed = manifest.get("scenes", {}).get(scene, {}).get(self.device, {})
        draw = ImageDraw.Draw(self.img)
        for key, colour in (("bird1_rect", (255, 0, 0, 255)), ("bird2_rect", (255, 0, 255, 255))):
            if key in fixed:
                x, y, w, h = fixed[key]
                a, b = self.to_px(x, y + h), self.to_px(x + w, y)
                draw.rectangle([a, b], outline=colour, width=2)
        for key, colour in (("bird1_perches", (255, 0, 0, 255)), ("bird2_perches", (255, 0, 255, 255)),
                            ("frog_targets", (0, 0, 255, 255))):
            for i, (x, y) in enumerate(fixed.get(key, [])):
                px, py = self.to_px(x, y)
                draw.ellipse([px - 4, py - 4, px + 4, py + 4], outline=colour, width=2)
                draw.text((px + 5, py - 5), str(i), fill=colour)


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("resources", type=Path)
    ap.add_argument("scene")
    ap.add_argument("out", type=Path)
    ap.add_argument("--scale", type=int, default=2, choices=(1, 2))
    ap.add_argument("--zones", action="store_true")
    ap.add_argument("--lang", default="en")
    a = ap.parse_args()
    device = "iphone" if "~iphone" in a.scene else "ipad"
    doc = plistlib.loads((a.resources / a.scene).read_bytes())
    pv = Preview(a.resources, device, a.scale)
    pv.draw(doc["nodeGraph"])
    if doc["nodeGraph"]["properties"].get("customClass") == "IntroScene":
        pv.captions(doc["nodeGraph"], a.lang)
    if a.zones:
        pv.zones(a.scene.replace("~ipad", "").replace("~iphone", ""))
    pv.img.convert("RGB").save(a.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
