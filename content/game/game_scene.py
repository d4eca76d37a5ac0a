"""The arithmetic game's scene file, "game-scene.ccb", for both devices.

The root is the scene's own layer class. Its code finds the clouds (tags
20-24) and the answers' lily pads (tags 100-104) among the root's children
and binds the members named here: the two ships, each with the pinwheel that
spins when it is touched (tag 1) and the board its score is written on
(tag 2), both turning about the score's place; the timer bar, which it
shrinks about its left end; the end of a game (the dimming, the win and loss
panels, the new-game button, the fireworks layer with its five bursts, tags
1-5); the settings menu, a layer with the panel (tag 10) the code writes the
menu on and, under the panel where it shows through a hole, the start
button (tag 1); and the two buttons.

Drawing order: lake, clouds, timer, lily pads, ships — all below the texts
the code adds at z 0 and the answers at z 10 — then the end of a game above
them, the buttons, and the menu (z 100, set by the code).
"""
from __future__ import annotations

import ccb
import game_art
from game_layout import NAME, places, ship
from screen import size

Z_LAKE, Z_CLOUDS, Z_TRACK, Z_BAR, Z_PLATES, Z_SHIP2, Z_SHIP1 = -10, -9, -8, -7, -6, -5, -4
Z_DIM, Z_PANELS, Z_NEW_GAME, Z_FIREWORKS, Z_BUTTONS, Z_MENU = 40, 50, 60, 70, 80, 100
DIM_OPACITY = 150


def _ship(device: str, which: str, place) -> dict:
    mirrored = which == "ship2"
    s = ship(device, mirrored)
    w, h = s["size"]
    ax, ay = s["score"]
    img = ccb.device_name(f"game-{which}.png", device)
    kids = [ccb.sprite(ccb.device_name("game-pinwheel.png", device), s["pinwheel"], size=size("game-pinwheel.png", device),
                       tag=1, z=1),
            ccb.sprite(ccb.device_name("game-board.png", device), s["board"], size=size("game-board.png", device), tag=2, z=2)]
    return ccb.sprite(img, place, size=(w, h), anchor=(ax / w, ay / h), scale=s["scale"], member=which,
                      z=Z_SHIP1 if which == "ship1" else Z_SHIP2, children=kids)


def _bursts(p: dict) -> list[dict]:
    """The fireworks of a won game: five bursts of coloured sparks that fall
    as they fade. They run once when loaded (unseen: the layer is hidden)
    and the code restarts each."""
    u = p["unit"]
    colours = [(1.0, 0.45, 0.35), (1.0, 0.85, 0.3), (0.45, 0.8, 1.0), (0.6, 1.0, 0.45), (1.0, 0.5, 0.95)]
    out = []
    for i, (at, (r, g, b)) in enumerate(zip(p["fireworks"], colours)):
        out.append(ccb.particles(
            "game-spark.png", at, tag=i + 1, rate=900, duration=0.1, total=90,
            life=1.4, life_var=0.3, start_size=16 * u, start_size_var=4 * u, end_size=3 * u,
            start_color=(r, g, b, 1.0), start_color_var=(0.1, 0.1, 0.1, 0.0), end_color=(r, g, b, 0.0),
            gravity=(0, -90 * u), angle=90, angle_var=180, speed=240 * u, speed_var=40 * u,
            blend=ccb.BLEND_ADD))
    return out


def build(device: str) -> dict:
    p = places(device)
    w, h = p["screen"]
    u = p["unit"]

    def img(name: str) -> str:
        return ccb.device_name(name, device)

    def sz(name: str):
        return size(name, device)

    kids = [ccb.sprite(img("game-bg.png"), (w / 2, h / 2), size=(w, h), z=Z_LAKE)]
    kids += ccb.clouds(p["clouds"], device, size, z=Z_CLOUDS)

    # The timer: a track, and on it the bar, anchored at its left end.
    tw, th = sz("game-bar-track.png")
    bx, by = p["bar"]
    kids.append(ccb.sprite(img("game-bar-track.png"), (bx, by), size=(tw, th), z=Z_TRACK))
    kids.append(ccb.sprite(img("game-bar.png"), (bx - tw / 2 + game_art.BAR_START * u, by), size=sz("game-bar.png"),
                           anchor=(0, 0.5), z=Z_BAR, member="progressBar"))

    for i, at in enumerate(p["plates"]):
        kids.append(ccb.sprite(img("game-plate.png"), at, size=sz("game-plate.png"), tag=100 + i, z=Z_PLATES))
    kids.append(_ship(device, "ship2", p["ship2"]))
    kids.append(_ship(device, "ship1", p["ship1"]))

    # The end of a game, hidden until then.
    dw, dh = sz("game-dim.png")
    kids.append(ccb.sprite(img("game-dim.png"), (w / 2, h / 2), size=(dw, dh), scale=(w / dw, h / dh),
                           opacity=DIM_OPACITY, visible=False, z=Z_DIM, member="blackScreen"))
    kids.append(ccb.sprite(img("game-win.png"), p["win"], size=sz("game-win.png"), visible=False, z=Z_PANELS,
                           member="youWin"))
    kids.append(ccb.sprite(img("game-lose.png"), p["lose"], size=sz("game-lose.png"), visible=False, z=Z_PANELS,
                           member="youLose"))
    kids.append(ccb.sprite(img("game-new.png"), p["new_game"], size=sz("game-new.png"), visible=False,
                           z=Z_NEW_GAME, member="buttonNewGame"))
    kids.append(ccb.layer(size=(w, h), z=Z_FIREWORKS, member="effectsLayer", visible=False, children=_bursts(p)))

    kids.append(ccb.sprite(img("button_back.png"), p["back"], size=sz("button_back.png"), z=Z_BUTTONS,
                           member="buttonBack"))
    kids.append(ccb.sprite(img("button_sound_on.png"), p["sound"], size=sz("button_sound_on.png"), z=Z_BUTTONS,
                           member="buttonSound"))

    # The settings menu: the start button lies under the panel and shows
    # through its hole, so that the caption the code puts on the panel is
    # drawn over the button.
    m = p["menu"]
    pw, ph = m["size"]
    px, py = p["panel"]
    sx, sy = m["start"]
    start = (px - pw / 2 + sx, py - ph / 2 + sy)
    item = ccb.menu_item(img("game-start.png"), img("game-start-on.png"), start, tag=1, selector="menuItemClick:",
                         size=sz("game-start.png"))
    menu_kids = [ccb.menu(size=(w, h), items=[item], z=-1),
                 ccb.sprite(img("game-panel.png"), (px, py), size=(pw, ph), tag=10, z=0)]
    kids.append(ccb.layer(size=(w, h), z=Z_MENU, tag=1, member="menuLayer", children=menu_kids))

    return ccb.document(ccb.layer(size=(w, h), custom_class="GameScene", children=kids))
