"""Property lists other than scene files and the content document: every
content/*/*_plists.py names its files in PLISTS and makes each one's value
with build(name); the files go to the bundle root as they are named."""
from __future__ import annotations

from pathlib import Path

from .common import CONTENT, write_plist
from .jobs import Job, Work
from .scenes import load   # the scenes' import paths serve these modules too

HERE = Path(__file__)


def modules() -> list[Path]:
    return sorted(CONTENT.glob("*/*_plists.py"))


def jobs() -> list[Job]:
    out = []
    for path in modules():
        mod = load(path)
        # Every layout module and table: the values are made from layouts,
        # strokes and picture sizes.
        inputs = [HERE, *sorted(CONTENT.glob("*/*.py")), *sorted(CONTENT.glob("*/*.toml"))]
        for name in mod.PLISTS:
            def go(w: Work, mod=mod, name=name) -> None:
                write_plist(mod.build(name), w.out(name))

            out.append(Job("plist", [name], go, inputs))
    return out
