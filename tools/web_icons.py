#!/usr/bin/env python3
"""The installable page's icons, drawn from the game's icon (content/desktop/icon.py).

    web_icons.py OUT_DIR

Writes OUT_DIR/icon-192.png and icon-512.png (the sizes browsers ask a web
app's manifest for), icon-maskable-512.png (full bleed, for home screens
that cut their own shape) and apple-touch-icon.png (180, for iOS).
"""
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from nm.common import CONTENT  # noqa: E402
from nm.scenes import load  # noqa: E402

ICONS = {"icon-192.png": (192, False), "icon-512.png": (512, False),
         "icon-maskable-512.png": (512, True), "apple-touch-icon.png": (180, True)}


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    icon = load(CONTENT / "desktop" / "icon.py").icon
    with tempfile.TemporaryDirectory() as tmp:
        for name, (size, maskable) in ICONS.items():
            svg = Path(tmp) / f"{name}.svg"
            svg.write_text(icon(maskable), encoding="utf-8")
            subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(out / name), str(svg)], check=True)


if __name__ == "__main__":
    main()
