"""Videos: frames drawn as SVG by content/video/*.py, rendered with
rsvg-convert, encoded to H.264 + AAC in MP4 with ffmpeg (one encoder thread
and bit-exact flags, so a rebuild gives the same bytes)."""
from __future__ import annotations

import importlib
import sys
from pathlib import Path

from . import art, audio, synth
from .common import CONTENT, run
from .jobs import Job, Work

HERE = Path(__file__)
VIDEO = CONTENT / "video"


def _content(name: str):
    for p in (VIDEO, CONTENT / "art", CONTENT / "audio", HERE.parent):
        if str(p) not in sys.path:
            sys.path.insert(0, str(p))
    return importlib.import_module(name)


def jingle_wav(out: Path, scratch: Path, duration: float) -> None:
    music = _content("music")
    x, _ = audio.render_song(music.jingle(), scratch, "jingle")
    frames = int(round(duration * synth.RATE))
    x = (x + [0.0] * (2 * frames))[: 2 * frames]
    fade = int(0.4 * synth.RATE)
    for i in range(fade):                # no click when the video stops
        g = i / fade
        x[2 * (frames - 1 - i)] *= g
        x[2 * (frames - 1 - i) + 1] *= g
    synth.write_wav(out, synth.normalise(x, -2.0), channels=2)


def jobs() -> list[Job]:
    logo = _content("logo")
    inputs = [HERE, HERE.parent / "art.py", HERE.parent / "audio.py", HERE.parent / "synth.py",
              HERE.parent / "midi.py", VIDEO / "logo.py", CONTENT / "art" / "draw.py",
              CONTENT / "audio" / "music.py", audio.SOUND_FONT]
    out = []
    for name, device in logo.VIDEOS.items():
        def go(w: Work, device=device, name=name) -> None:
            width, height = logo.SIZES[device]
            n = int(round(logo.DURATION * logo.FPS))
            for i in range(n):
                art.render(logo.frame(device, i / logo.FPS), width, height, w.scratch / f"f{i:04d}.png", w.scratch)
            wav = w.scratch / "jingle.wav"
            jingle_wav(wav, w.scratch, n / logo.FPS)
            run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                 "-framerate", str(logo.FPS), "-i", str(w.scratch / "f%04d.png"), "-i", str(wav),
                 "-map", "0:v", "-map", "1:a", "-map_metadata", "-1",
                 "-fflags", "+bitexact", "-flags", "+bitexact", "-threads", "1",
                 "-c:v", "libx264", "-preset", "medium", "-crf", "20", "-pix_fmt", "yuv420p",
                 "-profile:v", "main", "-x264-params", "threads=1",
                 "-c:a", "aac", "-b:a", "96k", "-shortest", "-movflags", "+faststart",
                 str(w.out(name))])
        out.append(Job("video", [name], go, inputs, {"device": device}, cost=60))
    return out
