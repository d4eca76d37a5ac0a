"""Voice lines: text-to-speech for every line of content/voices/lines.toml in
every shipped language, trimmed of silence, levelled, and encoded as AAC in
"<name>.m4a" (the base language at the bundle root, the others in their
<lang>.lproj/). A line named "<something>.mp3" is encoded as MP3 in a file of
that name, for the lines the game plays both as effects and as voices.

Engines: festival with the HTS voice "cmu_us_slt_arctic_hts" for English, the
diphone voice "lp_diphone" for Italian and the unit-selection voice
"msu_ru_nsh_clunits" for Russian (a recorded speaker: clearer for a child than
espeak-ng's formant voice, whose Russian sounds buzzy and clipped); espeak-ng
for any other language.
"""
from __future__ import annotations

from pathlib import Path

from .audio import encode_mp3
from .common import CONTENT, languages, load_toml, lproj, run
from .jobs import Job, Work

HERE = Path(__file__)
LINES = CONTENT / "voices" / "lines.toml"

FESTIVAL_VOICES = {"en": "cmu_us_slt_arctic_hts", "it": "lp_diphone", "ru": "msu_ru_nsh_clunits"}


def lines() -> dict[str, dict[str, str]]:
    """name -> {lang: text}"""
    return load_toml(LINES)


def file_name(line: str) -> str:
    """The file a line becomes in each language's folder."""
    return line if line.endswith(".mp3") else f"{line}.m4a"


def _scheme_string(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def speak(lang: str, text: str, wav: Path, scratch: Path) -> None:
    voice = FESTIVAL_VOICES.get(lang)
    if voice:
        script = scratch / "say.scm"
        script.write_text(f"(voice_{voice})\n"
                          f"(set! utt (Utterance Text {_scheme_string(text)}))\n"
                          f"(utt.synth utt)\n"
                          f"(utt.save.wave utt {_scheme_string(str(wav))} 'riff)\n")
        run(["festival", "-b", str(script)])
    else:
        run(["espeak-ng", "-v", lang, "-s", "140", "-w", str(wav), text])


def level(src: Path, dst: Path) -> None:
    """Trims the silence at both ends (keeping a short breath of room),
    normalises, and resamples to 44.1 kHz mono."""
    # -R: repeatable (seeded) processing; -D: no dither noise, so a rebuild
    # gives the same samples.
    run(["sox", "-R", "-D", src, "-r", "44100", "-c", "1", "-b", "16", dst,
         "silence", "1", "0.02", "0.4%", "reverse", "silence", "1", "0.02", "0.4%", "reverse",
         "highpass", "70", "norm", "-2", "pad", "0.05", "0.12"])


def encode_m4a(wav: Path, out: Path) -> None:
    run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", str(wav),
         "-map_metadata", "-1", "-fflags", "+bitexact", "-flags:a", "+bitexact",
         "-codec:a", "aac", "-b:a", "64k", "-f", "mp4", "-movflags", "+faststart", str(out)])


def jobs() -> list[Job]:
    out = []
    table = lines()
    for name, texts in table.items():
        for lang in languages():
            text = texts.get(lang)
            if text is None:
                continue   # the content check reports the gap
            dest = lproj(lang, file_name(name))

            def go(w: Work, lang=lang, text=text, dest=dest) -> None:
                raw, lev = w.scratch / "raw.wav", w.scratch / "level.wav"
                speak(lang, text, raw, w.scratch)
                level(raw, lev)
                if dest.endswith(".mp3"):
                    encode_mp3(lev, w.out(dest), "64k")
                else:
                    encode_m4a(lev, w.out(dest))

            out.append(Job("voice", [dest], go, [HERE, HERE.parent / "audio.py"], {"lang": lang, "text": text}, cost=3))
    return out
