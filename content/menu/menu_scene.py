"""The main menu's scene file, "main-menu.ccb", for both devices.

The root is the scene's own layer class; its code binds the members named
here, finds the clouds (tags 20-24) and the sheep (30-32, each with a head
tagged 1) among the root's children, and wires the five buttons (tags 1-5) to
its click action. The starting tags are state: the frog's tag is its place
among its hop targets, each perching bird's its perch, the fountain's 1
(running), the butterfly's non-zero (ready).
"""
from __future__ import annotations

import ccb
from menu_layout import places, size

NAME = "main-menu.ccb"


def build(device: str) -> dict:
    p = places(device)
    u = p["unit"]
    w, h = p["screen"]

    def img(name: str) -> str:
        return ccb.device_name(name, device)

    def sz(name: str):
        return size(name, device)

    kids = [ccb.sprite(img("main-menu-bg.png"), (w / 2, h / 2), size=(w, h), z=0)]

    kids += ccb.clouds(p["clouds"], device, size, z=1)

    left, bottom, right, top = p["tree"]
    kids.append(ccb.sprite(img("main-menu-tree.png"), ((left + right) / 2, (bottom + top) / 2),
                           size=(right - left, top - bottom), z=2))

    # The perching birds look out over the meadow (to the left) until they hop.
    for member, perches, start in (("bird1", p["bird1_perches"], p["bird1_start"]),
                                   ("bird2", p["bird2_perches"], p["bird2_start"])):
        kids.append(ccb.sprite(img(f"{member}.png"), perches[start], size=sz(f"{member}.png"),
                               tag=start, z=3, member=member, flip_x=True))

    fx, fy = p["fountain"]
    kids.append(ccb.sprite(img("fountain.png"), (fx, fy), size=sz("fountain.png"), tag=1, z=5, member="fountain"))
    sx, sy = p["spout"]
    kids.append(ccb.particles(
        "water-drop.png", (fx + sx, fy + sy), z=6, member="water",
        rate=70, duration=-1, pos_var=(2 * u, 0), total=120, life=1.0, life_var=0.12,
        start_size=14 * u, start_size_var=4 * u, end_size=8 * u, end_size_var=2 * u,
        start_color=(0.82, 0.94, 1.0, 0.95), start_color_var=(0.05, 0.04, 0.0, 0.05),
        end_color=(0.5, 0.8, 1.0, 0.3),
        gravity=(0, -330 * u), angle=90, angle_var=14, speed=150 * u, speed_var=16 * u))

    # Sheep: the body, and the head turning about its neck. A mirrored sheep
    # mirrors its head's place and anchor too, since mirroring a sprite does
    # not move its children.
    bw, bh = sz("sheep.png")
    neck = (112 / 130 * bw, 66 / 100 * bh)
    for i, ((x, y), mirrored, scale) in enumerate(p["sheep"]):
        hx = bw - neck[0] if mirrored else neck[0]
        head = ccb.sprite(img("sheep-head.png"), (hx, neck[1]), size=sz("sheep-head.png"), tag=1, z=1,
                          anchor=(0.78 if mirrored else 0.22, 0.45), flip_x=mirrored)
        kids.append(ccb.sprite(img("sheep.png"), (x, y), size=(bw, bh), tag=30 + i, z=7 + (2 - i) % 3,
                               flip_x=mirrored, scale=scale, children=[head]))

    kids.append(ccb.sprite(img("butterfly.png"), p["butterfly"], size=sz("butterfly.png"), tag=1, z=10,
                           member="butterfly"))
    kids.append(ccb.sprite(img("frog3.png"), p["frog_targets"][p["frog_start"]], size=sz("frog3.png"),
                           tag=p["frog_start"], z=11, member="frog"))
    kids.append(ccb.sprite(img("bird3.png"), p["bird3"], size=sz("bird3.png"), z=12, member="bird3"))

    items = []
    for tag, (kind, pos) in enumerate(zip(("learn", "draw", "count", "play"), p["buttons"]), start=1):
        items.append(ccb.menu_item(img(f"main-menu-button-{kind}.png"), img(f"main-menu-button-{kind}-on.png"),
                                   pos, tag=tag, selector="menuItemClick:",
                                   size=sz(f"main-menu-button-{kind}.png")))
    items.append(ccb.menu_item(img("button_feedback.png"), img("button_feedback_on.png"), p["feedback"],
                               tag=5, selector="menuItemClick:", size=sz("button_feedback.png")))
    kids.append(ccb.menu(size=(w, h), items=items, z=20, member="mainMenu"))

    return ccb.document(ccb.layer(size=(w, h), custom_class="IntroScene", children=kids))
