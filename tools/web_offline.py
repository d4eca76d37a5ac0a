#!/usr/bin/env python3
"""The page's service worker, for offline play: one version of the page's files.

    web_offline.py PLAY_DIR [SOURCE]

Writes PLAY_DIR/sw.js: the worker's source (SOURCE, by default
src/platform/web/page/sw.js) after VERSION and FILES, the name and SHA-256
of every file of the page (the ".gz" copies the service sends instead
excepted). VERSION is a digest of them all, so that any change makes a new
worker, which browsers install in the background and the page lets take
over at its next start. sw.js is replaced only when it changes.
"""
import hashlib
import json
import sys
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent / "src" / "platform" / "web" / "page" / "sw.js"


def main():
    play = Path(sys.argv[1])
    source = Path(sys.argv[2]) if len(sys.argv) > 2 else SOURCE
    files = {p.name: hashlib.sha256(p.read_bytes()).hexdigest() for p in sorted(play.iterdir())
             if p.is_file() and p.suffix != ".gz" and p.name != "sw.js"}
    version = hashlib.sha256("".join(f"{n} {h}\n" for n, h in files.items()).encode()).hexdigest()[:16]
    text = (f"const VERSION = {json.dumps(version)};\n"
            f"const FILES = {json.dumps(files, indent=1)};\n" + source.read_text(encoding="utf-8"))
    out = play / "sw.js"
    if not out.exists() or out.read_text(encoding="utf-8") != text:
        # Replaced whole, never written in place: the service may be sending
        # it, and a folder of links to another version's files keeps that one.
        part = play / "sw.js.part"
        part.write_text(text, encoding="utf-8")
        part.replace(out)
    print(version)


if __name__ == "__main__":
    main()
