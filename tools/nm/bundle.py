"""Bundle basics: Info.plist, string tables, the content document, fonts."""
from __future__ import annotations

import plistlib
import shutil
from pathlib import Path

from .common import CONTENT, NM, base_language, bundle_info, languages, load_toml, lproj, write_plist
from .jobs import Job, Work

HERE = Path(__file__)


def info_plist(version: str) -> Job:
    src = CONTENT / "bundle.toml"

    def run(w: Work) -> None:
        b = bundle_info()
        write_plist({
            "CFBundleName": b["name"],
            "CFBundleDisplayName": b["display_name"],
            "CFBundleIdentifier": b["identifier"],
            "CFBundleVersion": version,
            "CFBundleShortVersionString": version,
            "CFBundleDevelopmentRegion": base_language(),
            "CFBundleLocalizations": languages(),
        }, w.out("Info.plist"))

    return Job("info", ["Info.plist"], run, [src, HERE], {"version": version})


def _strings_text(table: dict) -> str:
    def q(s: str) -> str:
        return '"' + s.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'
    lines = [f"{q(k)} = {q(str(v))};" for k, v in sorted(table.items())]
    return "\n".join(lines) + "\n"


def string_tables() -> list[Job]:
    jobs = []
    for lang in languages():
        src = CONTENT / "strings" / f"{lang}.toml"
        out = lproj(lang, "Localizable.strings")

        def run(w: Work, src=src, out=out) -> None:
            w.out(out).write_text(_strings_text(load_toml(src)), encoding="utf-8")

        jobs.append(Job("strings", [out], run, [src, HERE, CONTENT / "bundle.toml"]))
    return jobs


def merge(a: dict, b: dict, where: str = "") -> dict:
    """Deep merge of two documents; a key set in both (other than two
    dictionaries) is an error, so a language file cannot silently shadow a
    shared value."""
    out = dict(a)
    for k, v in b.items():
        if k in out:
            if isinstance(out[k], dict) and isinstance(v, dict):
                out[k] = merge(out[k], v, f"{where}{k}/")
            else:
                raise ValueError(f"content document key {where}{k} is set twice")
        else:
            out[k] = v
    return out


def generated_parts() -> list[Path]:
    """Modules that make part of the content document from a scene's layout
    tables (content/*/*_document.py, each with build() -> dict), so that
    positions and the scenes drawn around them cannot drift apart."""
    return sorted(CONTENT.glob("*/*_document.py"))


def document(lang: str) -> dict:
    from .scenes import load   # the scenes' import paths serve their layouts too
    d = CONTENT / "document"
    doc = merge(load_toml(d / "common.toml"), load_toml(d / f"{lang}.toml"))
    for path in generated_parts():
        doc = merge(doc, load(path).build())
    return doc


def documents() -> list[Job]:
    jobs = []
    parts = generated_parts()
    layout_srcs = sorted({src for part in parts for src in part.parent.glob("*.py")})
    layout_srcs += [CONTENT / "art" / "art.toml", CONTENT / "art" / "screen.py", CONTENT / "manifest.toml"] if parts else []
    for lang in languages():
        out = lproj(lang, "data1.plist")
        srcs = [CONTENT / "document" / "common.toml", CONTENT / "document" / f"{lang}.toml", *layout_srcs]

        def run(w: Work, lang=lang, out=out) -> None:
            write_plist(document(lang), w.out(out))

        jobs.append(Job("document", [out], run, srcs + [HERE, CONTENT / "bundle.toml"]))
    return jobs


def fonts() -> list[Job]:
    src_dir = CONTENT / "fonts"
    table = load_toml(src_dir / "sources.toml")["files"]
    jobs = []

    def run_map(w: Work) -> None:
        with open(src_dir / "fonts.plist", "rb") as f:
            fmap = plistlib.load(f)
        for name, entry in fmap["fonts"].items():
            if not entry["file"].startswith("fonts/") or entry["file"][6:] not in table:
                raise ValueError(f"font map entry {name} names a file that is not shipped")
        write_plist(fmap, w.out("fonts.plist"))

    jobs.append(Job("fontmap", ["fonts.plist"], run_map, [src_dir / "fonts.plist", src_dir / "sources.toml", HERE]))

    licences = {}
    for fname, entry in table.items():
        licences[entry["licence"]] = src_dir / "licences" / entry["licence"]
        font_src = Path(entry["from"])

        def run(w: Work, fname=fname, font_src=font_src) -> None:
            shutil.copyfile(font_src, w.out(f"fonts/{fname}"))

        jobs.append(Job("font", [f"fonts/{fname}"], run, [font_src, src_dir / "sources.toml"]))
    for lname, lsrc in sorted(licences.items()):
        def run(w: Work, lname=lname, lsrc=lsrc) -> None:
            shutil.copyfile(lsrc, w.out(f"fonts/{lname}"))
        jobs.append(Job("licence", [f"fonts/{lname}"], run, [lsrc]))
    return jobs


def jobs(version: str) -> list[Job]:
    return [info_plist(version), *string_tables(), *documents(), *fonts()]
