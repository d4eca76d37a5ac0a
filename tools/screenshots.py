#!/usr/bin/python3
"""Screenshots of every scene, taken by the game itself: headless runs with a
script that opens each activity from the main menu the way a child would.

    screenshots.py GAME OUTDIR [--lang CODE] [--device tablet|phone] [--scale 1|2]
                   [--only menu,learn,...] [--seed N]

Writes OUTDIR/<shot>.png for each shot below, in the order given, and prints
the files. A shot that needs a place from the running game (the game menu's
start button) first runs the game once to dump its scene.

Shots: menu, learn (page 1), learn4 (page 4, reached by the number strip),
count, draw, game (its settings menu), play (a sum asked), lost (the end of a
game nobody answered: the timer gives every point away; a long run).
"""
from __future__ import annotations

import argparse
import json
import os
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from nm.common import CONTENT  # noqa: E402
from nm.scenes import load  # noqa: E402

SHOTS = ["menu", "learn", "learn4", "count", "draw", "game", "play", "lost"]
SKIP_LOGO = "wait 0.1\ntap 2 2\nwait 1.1\n"       # a tap skips the logo; the menu shows itself a second later


class Game:
    def __init__(self, exe: Path, options: list[str], scratch: Path):
        self.exe, self.options, self.scratch = exe, options, scratch
        self.env = dict(os.environ, SDL_VIDEODRIVER="offscreen", ALSOFT_DRIVERS="null")

    def run(self, script: str) -> None:
        path = self.scratch / "script.txt"
        path.write_text(script + "quit\n")
        args = [str(self.exe), "--headless", "--data-dir", str(self.scratch / "data"), *self.options,
                "--script", str(path)]
        res = subprocess.run(args, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if res.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} exited {res.returncode}:\n{res.stdout.decode()[-3000:]}")

    def dump(self, script: str) -> dict:
        out = self.scratch / "dump.json"
        self.run(script + f"dump {out}\n")
        return json.loads(out.read_text())


def find(node: dict, want, x: float = 0, y: float = 0):
    """The first node (depth first) that want() accepts, with its place on
    the screen (the positions of the layers and menus above it added)."""
    x, y = x + node["position"][0], y + node["position"][1]
    if want(node):
        return x, y
    for child in node.get("children", []):
        found = find(child, want, x, y)
        if found:
            return found
    return None


def tap(at) -> str:
    return f"tap {at[0]:g} {at[1]:g}\n"


def scripts(game: Game, device: str, wanted: list[str]) -> dict[str, str]:
    """The script that leads to each shot (without its screenshot line)."""
    dev = "ipad" if device == "tablet" else "iphone"
    menu = game.dump(SKIP_LOGO)
    buttons = {}
    for tag, name in ((1, "learn"), (2, "draw"), (3, "count"), (4, "game")):
        buttons[name] = find(menu, lambda n, t=tag: n["class"] == "CCMenuItemImage" and n.get("tag") == t)
    learn = load(CONTENT / "learning" / "learn_layout.py").places(dev)
    out = {
        "menu": SKIP_LOGO + "wait 0.5\n",
        "learn": SKIP_LOGO + tap(buttons["learn"]) + "wait 1.5\n",
        "learn4": SKIP_LOGO + tap(buttons["learn"]) + "wait 1.5\n" + tap(learn["slots"][3]) + "wait 3\n",
        "count": SKIP_LOGO + tap(buttons["count"]) + "wait 2.5\n",
        "draw": SKIP_LOGO + tap(buttons["draw"]) + "wait 2\n",
        "game": SKIP_LOGO + tap(buttons["game"]) + "wait 1\n",
    }
    if {"play", "lost"} & set(wanted):
        scene = game.dump(out["game"])
        start = find(scene, lambda n: n["class"] == "CCMenuItemImage" and n.get("tag") == 1)
        out["play"] = out["game"] + tap(start) + "wait 2\n"
        # 20 points to the timer at 11 s a sum (the easiest level), with the
        # shots and pauses between them.
        out["lost"] = out["game"] + tap(start) + "wait 330\n"
    return out


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("game", type=Path)
    ap.add_argument("outdir", type=Path)
    ap.add_argument("--lang", default="en")
    ap.add_argument("--device", default="tablet", choices=["tablet", "phone"])
    ap.add_argument("--scale", default="1", choices=["1", "2"])
    ap.add_argument("--seed", default="1")
    ap.add_argument("--only", help="comma-separated shots, in this order")
    a = ap.parse_args()
    wanted = a.only.split(",") if a.only else SHOTS
    unknown = set(wanted) - set(SHOTS)
    if unknown:
        ap.error(f"unknown shots {sorted(unknown)}; known: {', '.join(SHOTS)}")
    a.outdir.mkdir(parents=True, exist_ok=True)
    options = ["--lang", a.lang, "--device", a.device, "--scale", a.scale, "--seed", a.seed]
    with tempfile.TemporaryDirectory() as tmp:
        game = Game(a.game.resolve(), options, Path(tmp))
        plan = scripts(game, a.device, wanted)
        for shot in wanted:
            file = (a.outdir / f"{shot}.png").resolve()
            game.run(plan[shot] + f"screenshot {file}\n")
            print(file)
    return 0


if __name__ == "__main__":
    sys.exit(main())
