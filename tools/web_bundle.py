#!/usr/bin/env python3
"""Packs the part of the bundle one device profile reads, for the web page.

    web_bundle.py RESOURCES OUT_DIR FILE_PACKAGER

A page downloads one profile's files and one language's only: for each of
tablet and phone at scales 1 and 2 this writes OUT_DIR/bundle-<device>-<scale>x.data
and its loader .js (Emscripten's file packager), mounted at /Resources; for
each language of its own folder (<lang>.lproj) a lang-<lang>.data beside
them, and languages.json lists those. A profile reads its own device's
"~ipad"/"~iphone" and "-landscape-ipad"/"-iphone" files, the "-hd" variant
at scale 2 where one exists and the plain file at scale 1, and everything
else outside the language folders (the base language's files among them).
"""
import gzip
import json
import os
import shutil
import subprocess
import sys
import tempfile

# Each profile leaves out the other device's files.
OTHER_DEVICE = {"tablet": "iphone", "phone": "ipad"}


def hd_name(name):
    stem, ext = os.path.splitext(name)
    return stem + "-hd" + ext


def wanted(rel, present, other, scale):
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


def pack(files, resources, out_dir, name, packager):
    with tempfile.TemporaryDirectory() as stage:
        for rel in files:
            target = os.path.join(stage, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(os.path.join(resources, rel), target)
        subprocess.run([sys.executable, packager, os.path.join(out_dir, name + ".data"),
                        "--preload", f"{stage}@/Resources", "--no-node",
                        "--js-output=" + os.path.join(out_dir, name + ".js")],
                       check=True, stdout=subprocess.DEVNULL)
    # Compressed once here; the service sends the ".gz" to browsers that take it.
    for suffix in (".data", ".js"):
        path = os.path.join(out_dir, name + suffix)
        with open(path, "rb") as raw, open(path + ".gz", "wb") as out:
            with gzip.GzipFile(fileobj=out, mode="wb", compresslevel=9, mtime=0) as squeezed:
                shutil.copyfileobj(raw, squeezed)


def main():
    resources, out_dir, packager = sys.argv[1:4]
    present = set()
    for top, _, files in os.walk(resources):
        for f in files:
            present.add(os.path.relpath(os.path.join(top, f), resources))
    os.makedirs(out_dir, exist_ok=True)
    language_of = {rel: rel.split(os.sep)[0][:-len(".lproj")] for rel in present
                   if rel.split(os.sep)[0].endswith(".lproj")}
    for device, other in OTHER_DEVICE.items():
        for scale in (1, 2):
            files = [rel for rel in sorted(present)
                     if rel not in language_of and wanted(rel, present, other, scale)]
            pack(files, resources, out_dir, f"bundle-{device}-{scale}x", packager)
    languages = sorted(set(language_of.values()))
    for lang in languages:
        pack(sorted(rel for rel, code in language_of.items() if code == lang), resources, out_dir,
             f"lang-{lang}", packager)
    with open(os.path.join(out_dir, "languages.json"), "w") as f:
        json.dump(languages, f)


if __name__ == "__main__":
    main()
