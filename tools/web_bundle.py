#!/usr/bin/env python3
"""Packs the part of the bundle one device profile reads, for the web page.

    web_bundle.py RESOURCES OUT_DIR FILE_PACKAGER

A page downloads one profile's files only: for each of tablet and phone at
scales 1 and 2 this writes OUT_DIR/bundle-<device>-<scale>x.data and its
loader .js (Emscripten's file packager), mounted at /Resources. A profile
reads its own device's "~ipad"/"~iphone" and "-landscape-ipad"/"-iphone"
files, the "-hd" variant at scale 2 where one exists and the plain file at
scale 1, and everything else.
"""
import os
import shutil
import subprocess
import sys
import tempfile

DEVICES = {"tablet": ("ipad", "iphone"), "phone": ("iphone", "ipad")}


def hd_name(name):
    stem, ext = os.path.splitext(name)
    return stem + "-hd" + ext


def wanted(rel, present, own, other, scale):
    name = os.path.basename(rel)
    stem, _ = os.path.splitext(name)
    if f"~{other}" in name or f"-landscape-{other}" in name:
        return False
    is_hd = stem.endswith("-hd")
    if scale == 1 and is_hd:
        return False
    if scale == 2 and not is_hd and hd_name(rel) in present:
        return False
    return True


def main():
    resources, out_dir, packager = sys.argv[1:4]
    present = set()
    for top, _, files in os.walk(resources):
        for f in files:
            present.add(os.path.relpath(os.path.join(top, f), resources))
    os.makedirs(out_dir, exist_ok=True)
    for device, (own, other) in DEVICES.items():
        for scale in (1, 2):
            name = f"bundle-{device}-{scale}x"
            with tempfile.TemporaryDirectory() as stage:
                for rel in sorted(present):
                    if not wanted(rel, present, own, other, scale):
                        continue
                    target = os.path.join(stage, rel)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    shutil.copyfile(os.path.join(resources, rel), target)
                subprocess.run([sys.executable, packager, os.path.join(out_dir, name + ".data"),
                                "--preload", f"{stage}@/Resources", "--no-node",
                                "--js-output=" + os.path.join(out_dir, name + ".js")],
                               check=True, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
