"""Bitmap fonts: a TrueType font rendered with Pillow into one page image and
a text-format ".fnt" description ("info", "common", "page", "chars", "char"
and "kernings" lines; metrics in pixels of the page). The 2x variant is drawn
at twice the size and named with "-hd", its page too.

Glyphs are white with their coverage in alpha, so labels can tint them."""
from __future__ import annotations

from pathlib import Path

from .common import hd_name, load_toml, CONTENT
from .jobs import Job, Work

HERE = Path(__file__)
FONTS = CONTENT / "fonts" / "bitmap.toml"


def charset(ranges: list[list[int]]) -> list[int]:
    out: list[int] = []
    for lo, hi in ranges:
        out.extend(range(lo, hi + 1))
    return out


def build(font_file: Path, px: int, chars: list[int], page_name: str, page_width: int,
          face: str, bold: bool) -> tuple[str, "Image.Image"]:
    from PIL import Image, ImageDraw, ImageFont

    font = ImageFont.truetype(str(font_file), px)
    ascent, descent = font.getmetrics()
    pad = max(1, px // 16)
    glyphs = []
    for cp in chars:
        ch = chr(cp)
        l, t, r, b = font.getbbox(ch)
        w, h = max(0, r - l), max(0, b - t)
        if not (w and h):   # blank glyphs (spaces) only advance
            l, t, w, h = 0, 0, 0, 0
        glyphs.append((cp, ch, l, t, w, h, round(font.getlength(ch))))
    # Shelf packing, row by row, in code-point order.
    x = y = pad
    row_h = 0
    places = []
    for cp, ch, l, t, w, h, adv in glyphs:
        if x + w + pad > page_width:
            x, y = pad, y + row_h + pad
            row_h = 0
        places.append((x, y))
        x += w + pad
        row_h = max(row_h, h)
    height = 1
    while height < y + row_h + pad:
        height *= 2
    page = Image.new("RGBA", (page_width, height), (255, 255, 255, 0))
    mask = Image.new("L", page.size, 0)
    draw = ImageDraw.Draw(mask)
    lines = []
    for (cp, ch, l, t, w, h, adv), (gx, gy) in zip(glyphs, places):
        if w and h:
            draw.text((gx - l, gy - t), ch, font=font, fill=255)
        lines.append(f"char id={cp} x={gx} y={gy} width={w} height={h} xoffset={l} yoffset={t} "
                     f"xadvance={adv} page=0 chnl=15")
    page.putalpha(mask)
    head = [
        f'info face="{face}" size={px} bold={int(bold)} italic=0 charset="" unicode=1 stretchH=100 '
        f'smooth=1 aa=1 padding=0,0,0,0 spacing={pad},{pad} outline=0',
        f"common lineHeight={ascent + descent} base={ascent} scaleW={page_width} scaleH={height} "
        f"pages=1 packed=0 alphaChnl=0 redChnl=4 greenChnl=4 blueChnl=4",
        f'page id=0 file="{page_name}"',
        f"chars count={len(lines)}",
    ]
    return "\n".join(head + lines + ["kernings count=0"]) + "\n", page


def jobs() -> list[Job]:
    out = []
    for name, desc in load_toml(FONTS)["font"].items():
        stem = name.rsplit(".", 1)[0]
        for scale in (1, 2):
            fnt = name if scale == 1 else hd_name(name)
            png = f"{stem}.png" if scale == 1 else hd_name(f"{stem}.png")

            def go(w: Work, desc=desc, scale=scale, fnt=fnt, png=png) -> None:
                text, page = build(Path(desc["from"]), desc["size"] * scale, charset(desc["chars"]), png,
                                   desc["page_width"] * scale, desc["face"], desc.get("bold", False))
                w.out(fnt).write_text(text)
                page.save(w.out(png), optimize=False)

            out.append(Job("bmfont", [fnt, png], go, [HERE, Path(desc["from"])], {"desc": desc, "scale": scale}, cost=2))
    return out
