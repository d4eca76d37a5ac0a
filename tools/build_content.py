#!/usr/bin/python3
"""Builds the game's resource bundle from content/ (see tools/nm/jobs.py for
how it decides what to rebuild).

    build_content.py --out build/Resources --cache build/content-cache --version 0.1.0 [-j N] [-v]
                     [--publisher-out build/publisher]

--publisher-out also makes what the publisher's service serves (tools/nm/kit.py).
"""
from __future__ import annotations

import argparse
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from nm import art, audio, bmfont, bundle, kit, plists, scenes, video, voices  # noqa: E402
from nm.jobs import Runner  # noqa: E402


def all_jobs(version: str):
    return [
        *bundle.jobs(version),
        *art.jobs(),
        *bmfont.jobs(),
        *scenes.jobs(),
        *plists.jobs(),
        *audio.jobs(),
        *voices.jobs(),
        *video.jobs(),
        *kit.jobs(),
    ]


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", required=True, type=Path)
    ap.add_argument("--cache", required=True, type=Path)
    ap.add_argument("--version", default="0.0.0")
    ap.add_argument("-j", "--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("-v", "--verbose", action="store_true")
    ap.add_argument("--publisher-out", type=Path)
    args = ap.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    failed = Runner(args.out.resolve(), args.cache.resolve(), args.jobs, args.verbose).run(all_jobs(args.version))
    if args.publisher_out:
        args.publisher_out.mkdir(parents=True, exist_ok=True)
        failed |= Runner(args.publisher_out.resolve(), (args.cache / "publisher").resolve(), args.jobs,
                         args.verbose).run(kit.publisher_jobs())
    return failed


if __name__ == "__main__":
    sys.exit(main())
