"""Sounds and music: synthesised effects and animal calls (content/audio/
sounds.py) and MIDI songs (content/audio/music.py) rendered with fluidsynth,
all encoded to MP3 with ffmpeg. Bit-exact flags and no metadata keep the
files the same from build to build."""
from __future__ import annotations

import importlib
import sys
from pathlib import Path

from .common import CONTENT, run
from .jobs import Job, Work
from . import midi, synth

HERE = Path(__file__)
AUDIO = CONTENT / "audio"
SOUND_FONT = Path("/usr/share/sounds/sf2/TimGM6mb.sf2")
TAIL_SECONDS = 4.0
JINGLE_TAIL = 1.2     # seconds of a played-once piece's reverb kept after its last note


def _content(name: str):
    for d in (HERE.parent, AUDIO):
        if str(d) not in sys.path:
            sys.path.insert(0, str(d))
    return importlib.import_module(name)


def encode_mp3(wav: Path, out: Path, bitrate: str) -> None:
    # The LAME header ffmpeg writes carries the encoder delay and padding, so
    # decoders that honour it (ffmpeg does) give back exactly the samples in.
    run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", str(wav),
         "-map_metadata", "-1", "-fflags", "+bitexact", "-flags:a", "+bitexact",
         "-id3v2_version", "0", "-codec:a", "libmp3lame", "-b:a", bitrate, str(out)])


def render_song(song: dict, scratch: Path, stem: str) -> tuple[list[float], int]:
    """Renders a song to interleaved stereo floats, with its tail."""
    mid, wav = scratch / f"{stem}.mid", scratch / f"{stem}.wav"
    beats = song.get("length_beats", song["bars"] * 4)
    midi.write(mid, song["bpm"], song["parts"], beats + TAIL_SECONDS * song["bpm"] / 60)
    run(["fluidsynth", "-n", "-i", "-q", "-g", "0.6", "-r", str(synth.RATE), "-O", "float", "-T", "wav",
         "-o", "synth.cpu-cores=1", "-F", str(wav), str(SOUND_FONT), str(mid)])
    x, channels, rate = synth.read_float_wav(wav)
    if channels != 2 or rate != synth.RATE:
        raise RuntimeError(f"fluidsynth gave {channels} channels at {rate} Hz")
    return x, int(round(beats * 60 / song["bpm"] * synth.RATE))


def _effect_jobs() -> list[Job]:
    mod = _content("sounds")
    inputs = [HERE, HERE.parent / "synth.py", AUDIO / "sounds.py"]
    jobs = []
    for name, (fn, peak) in mod.SOUNDS.items():
        def go(w: Work, name=name, fn=fn, peak=peak) -> None:
            wav = w.scratch / "s.wav"
            synth.write_wav(wav, synth.normalise(fn(), peak))
            encode_mp3(wav, w.out(name), "96k")
        jobs.append(Job("sound", [name], go, inputs, {"name": name}, cost=2))
    return jobs


def _music_jobs() -> list[Job]:
    mod = _content("music")
    inputs = [HERE, HERE.parent / "synth.py", HERE.parent / "midi.py", AUDIO / "music.py", SOUND_FONT]
    jobs = []
    for name, fn in mod.SONGS.items():
        def go(w: Work, name=name, fn=fn) -> None:
            x, frames = render_song(fn(), w.scratch, "song")
            loop = synth.fold_loop(x, 2, frames)
            wav = w.scratch / "loop.wav"
            synth.write_wav(wav, synth.normalise(loop, -1.5), channels=2)
            encode_mp3(wav, w.out(name), "128k")
        jobs.append(Job("music", [name], go, inputs, {"name": name}, cost=20))
    return jobs


def _jingle_jobs() -> list[Job]:
    """Pieces played once: rendered with their reverb's tail, then cut
    after a short fade so that no silence is shipped."""
    mod = _content("music")
    inputs = [HERE, HERE.parent / "synth.py", HERE.parent / "midi.py", AUDIO / "music.py", SOUND_FONT]
    jobs = []
    for name, fn in getattr(mod, "JINGLES", {}).items():
        def go(w: Work, name=name, fn=fn) -> None:
            x, frames = render_song(fn(), w.scratch, "jingle")
            keep = min(len(x) // 2, frames + int(JINGLE_TAIL * synth.RATE))
            fade = int(0.4 * synth.RATE)
            x = x[:keep * 2]
            for i in range(fade):
                g = i / fade
                x[(keep - 1 - i) * 2] *= g
                x[(keep - 1 - i) * 2 + 1] *= g
            wav = w.scratch / "jingle.wav"
            synth.write_wav(wav, synth.normalise(x, -2.0), channels=2)
            encode_mp3(wav, w.out(name), "128k")
        jobs.append(Job("jingle", [name], go, inputs, {"name": name}, cost=10))
    return jobs


def jobs() -> list[Job]:
    return _effect_jobs() + _music_jobs() + _jingle_jobs()
