"""Writing scene files: property lists with "fileType" "CocosBuilder",
"fileVersion" 1 and a "nodeGraph" of node dictionaries ("class",
"properties", "children").

The game's reader has no defaults of its own (a node without "scaleX" gets
scale 0, one without "visible" is hidden), so every builder here writes every
property its node kind reads, with the value types the reader expects:
integers for tags, opacities and modes, reals for scales and rotations,
[x, y] reals for points and sizes, three integers for colours, four reals for
particle colours, two GL blend factors for blend functions.
"""
from __future__ import annotations

from common import device_name

GL_ONE = 1
GL_SRC_ALPHA = 770
GL_ONE_MINUS_SRC_ALPHA = 771
# Pictures are loaded with premultiplied alpha.
BLEND_NORMAL = [GL_ONE, GL_ONE_MINUS_SRC_ALPHA]
BLEND_ADD = [GL_ONE, GL_ONE]             # glowing particles: light adds up

NO_MEMBER, ROOT_MEMBER, OWNER_MEMBER = 0, 1, 2
TARGET_NONE, TARGET_ROOT, TARGET_OWNER = 0, 1, 2


def _pt(p) -> list[float]:
    return [float(p[0]), float(p[1])]


def _common(position, *, size=(0, 0), scale=1.0, anchor=(0.5, 0.5), rotation=0.0,
            relative_anchor=True, visible=True, tag=-1, z=0, member=None,
            custom_class=None) -> dict:
    sx, sy = (scale, scale) if isinstance(scale, (int, float)) else scale
    props = {
        "position": _pt(position),
        "contentSize": _pt(size),
        "scaleX": float(sx),
        "scaleY": float(sy),
        "anchorPoint": _pt(anchor),
        "rotation": float(rotation),
        "isRelativeAnchorPoint": bool(relative_anchor),
        "visible": bool(visible),
        "tag": int(tag),
        "zOrder": int(z),
        "memberVarAssignmentType": ROOT_MEMBER if member else NO_MEMBER,
        "memberVarAssignmentName": member or "",
    }
    if custom_class is not None:
        props["customClass"] = custom_class
    return props


def _node(cls: str, props: dict, children=()) -> dict:
    return {"class": cls, "properties": props, "children": list(children)}


def layer(*, size, children=(), custom_class="", touch=False, tag=-1, z=0, member=None, visible=True) -> dict:
    """A layer placed by its bottom-left corner at (0, 0), the window's size."""
    props = _common((0, 0), size=size, anchor=(0.5, 0.5), relative_anchor=False, tag=tag, z=z,
                    member=member, custom_class=custom_class, visible=visible)
    props.update({"touchEnabled": bool(touch), "accelerometerEnabled": False})
    return _node("CCLayer", props, children)


def node(position, *, tag=-1, z=0, member=None, visible=True, children=()) -> dict:
    """A plain node: a place the code reads, or a holder for children."""
    props = _common(position, tag=tag, z=z, member=member, visible=visible, custom_class="")
    return _node("CCNode", props, children)


def sprite(file: str, position, *, size=(0, 0), tag=-1, z=0, member=None, flip_x=False, flip_y=False,
           scale=1.0, anchor=(0.5, 0.5), rotation=0.0, opacity=255, color=(255, 255, 255),
           visible=True, children=()) -> dict:
    props = _common(position, size=size, scale=scale, anchor=anchor, rotation=rotation, tag=tag, z=z,
                    member=member, visible=visible)
    props.update({
        "spriteFile": file,
        "spriteFramesFile": "",
        "opacity": int(opacity),
        "color": [int(c) for c in color],
        "flipX": bool(flip_x),
        "flipY": bool(flip_y),
        "blendFunc": list(BLEND_NORMAL),
    })
    return _node("CCSprite", props, children)


def menu(*, size, items, tag=-1, z=0, member=None) -> dict:
    """A menu at the origin, the window's size, so that its items' positions
    are window positions."""
    props = _common((0, 0), size=size, relative_anchor=False, tag=tag, z=z, member=member)
    props.update({"touchEnabled": True, "accelerometerEnabled": False})
    return _node("CCMenu", props, items)


def menu_item(normal: str, selected: str, position, *, disabled: str | None = None, tag=-1, z=0,
              selector: str = "", target=TARGET_ROOT, enabled=True, member=None, size=(0, 0)) -> dict:
    props = _common(position, size=size, tag=tag, z=z, member=member)
    props.update({
        "spriteFileNormal": normal,
        "spriteFileSelected": selected,
        "spriteFileDisabled": disabled or normal,
        "spriteFramesFile": "",
        "target": int(target) if selector else TARGET_NONE,
        "selector": selector,
        "isEnabled": bool(enabled),
    })
    return _node("CCMenuItemImage", props)


def particles(file: str, position, *, tag=-1, z=0, member=None, mode=0, rate, duration=-1.0,
              pos_var=(0, 0), total, life, life_var=0.0, start_size, start_size_var=0, end_size=-1,
              end_size_var=0, start_spin=0, start_spin_var=0, end_spin=0, end_spin_var=0,
              start_color, start_color_var=(0, 0, 0, 0), end_color, end_color_var=(0, 0, 0, 0),
              gravity=(0, 0), angle=90, angle_var=0, speed=0, speed_var=0, tangential=0,
              tangential_var=0, radial=0, radial_var=0, start_radius=0, start_radius_var=0,
              end_radius=0, end_radius_var=0, rotate=0, rotate_var=0, blend=BLEND_NORMAL) -> dict:
    """A quad particle system. Sizes, spins and motion values are read as
    whole numbers, so they are written as integers. Both modes' motion keys
    are written; the reader applies those of the emitter's mode."""
    props = _common(position, tag=tag, z=z, member=member)
    props.update({
        "spriteFile": file,
        "emitterMode": int(mode),
        "emissionRate": float(rate),
        "duration": float(duration),
        "posVar": _pt(pos_var),
        "totalParticles": int(total),
        "life": float(life),
        "lifeVar": float(life_var),
        "startSize": int(start_size), "startSizeVar": int(start_size_var),
        "endSize": int(end_size), "endSizeVar": int(end_size_var),
        "startSpin": int(start_spin), "startSpinVar": int(start_spin_var),
        "endSpin": int(end_spin), "endSpinVar": int(end_spin_var),
        "startColor": [float(c) for c in start_color],
        "startColorVar": [float(c) for c in start_color_var],
        "endColor": [float(c) for c in end_color],
        "endColorVar": [float(c) for c in end_color_var],
        "blendFunc": list(blend),
        "gravity": _pt(gravity),
        "angle": int(angle), "angleVar": int(angle_var),
        "speed": int(speed), "speedVar": int(speed_var),
        "tangentialAccel": int(tangential), "tangentialAccelVar": int(tangential_var),
        "radialAccel": int(radial), "radialAccelVar": int(radial_var),
        "startRadius": int(start_radius), "startRadiusVar": int(start_radius_var),
        "endRadius": int(end_radius), "endRadiusVar": int(end_radius_var),
        "rotatePerSecond": int(rotate), "rotatePerSecondVar": int(rotate_var),
    })
    return _node("CCParticleSystem", props)


def document(root: dict) -> dict:
    return {"fileType": "CocosBuilder", "fileVersion": 1, "nodeGraph": root}


def walk(node: dict):
    """Every node of a tree, parents before children."""
    yield node
    for child in node.get("children", []):
        yield from walk(child)


def clouds(places, device: str, size, *, z: int) -> list[dict]:
    """The drifting clouds, tags 20 to 24: every scene's code finds them by tag.
    `size(picture, device)` gives each picture's size in points."""
    return [sprite(device_name(f"cloud{i + 1}.png", device), at, size=size(f"cloud{i + 1}.png", device),
                   tag=20 + i, z=z)
            for i, at in enumerate(places)]
