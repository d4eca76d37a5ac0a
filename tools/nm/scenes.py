"""Scene files: every content/*/*_scene.py describes one scene file, NAME
("main-menu.ccb"), and build(device) returns its document for a device; the
file is written once per device with the device suffix, or under the name its
file_name(device) gives where the game forms the name otherwise. A module
whose DEVICES is (None,) makes one file, NAME as it is, for a scene the game
reads by that name on every device."""
from __future__ import annotations

import importlib
import sys
from pathlib import Path

from .common import CONTENT, DEVICES, device_name, write_plist
from .jobs import Job, Work

HERE = Path(__file__)
CCB = HERE.parent / "ccb.py"


def modules() -> list[Path]:
    return sorted(CONTENT.glob("*/*_scene.py"))


def load(path: Path):
    for d in (HERE.parent, path.parent, CONTENT / "art"):
        if str(d) not in sys.path:
            sys.path.insert(0, str(d))
    return importlib.import_module(path.stem)


def jobs() -> list[Job]:
    out = []
    for path in modules():
        mod = load(path)
        # Every layout module: a scene may build on another's places.
        inputs = [HERE, CCB, *sorted(CONTENT.glob("*/*.py")), CONTENT / "manifest.toml", CONTENT / "art" / "art.toml"]
        for dev in getattr(mod, "DEVICES", DEVICES):
            name = mod.file_name(dev) if hasattr(mod, "file_name") else device_name(mod.NAME, dev)

            def go(w: Work, mod=mod, dev=dev, name=name) -> None:
                write_plist(mod.build(dev), w.out(name))

            out.append(Job("scene", [name], go, inputs, {"device": dev}))
    return out
