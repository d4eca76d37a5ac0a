"""Writing Standard MIDI Files (format 1) from note lists, for the music the
build renders with a General MIDI sound font."""
from __future__ import annotations

import struct
from dataclasses import dataclass
from pathlib import Path

TICKS = 480   # per beat


@dataclass
class Note:
    beat: float       # start, in beats from the song's start
    length: float     # in beats
    pitch: int        # MIDI note number
    velocity: int = 90


@dataclass
class Part:
    channel: int      # 0-15; 9 is percussion
    program: int      # General MIDI program, 0-based (ignored on channel 9)
    notes: list[Note]
    volume: int = 100
    pan: int = 64
    reverb: int = 40


def _varlen(n: int) -> bytes:
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def _track(events: list[tuple[int, int, bytes]]) -> bytes:
    """events: (tick, order, bytes); order puts note-offs before note-ons at
    the same tick, so repeated notes retrigger."""
    events.sort(key=lambda e: (e[0], e[1]))
    body = b""
    now = 0
    for tick, _, data in events:
        body += _varlen(tick - now) + data
        now = tick
    return b"MTrk" + struct.pack(">I", len(body)) + body


def write(path: Path, bpm: float, parts: list[Part], end_beat: float) -> None:
    """end_beat: where every track ends (after the last note), so that the
    player keeps rendering release and reverb tails until then."""
    end = int(round(end_beat * TICKS))
    tempo = int(round(60_000_000 / bpm))
    tracks = [_track([(0, 0, b"\xff\x51\x03" + tempo.to_bytes(3, "big")),
                      (0, 1, b"\xff\x58\x04\x04\x02\x18\x08"),
                      (end, 9, b"\xff\x2f\x00")])]
    for part in parts:
        ch = part.channel
        ev = [(0, 0, bytes([0xB0 | ch, 7, part.volume])),
              (0, 0, bytes([0xB0 | ch, 10, part.pan])),
              (0, 0, bytes([0xB0 | ch, 91, part.reverb]))]
        if ch != 9:
            ev.append((0, 1, bytes([0xC0 | ch, part.program])))
        for n in part.notes:
            on = int(round(n.beat * TICKS))
            off = int(round((n.beat + n.length) * TICKS))
            ev.append((on, 3, bytes([0x90 | ch, n.pitch, n.velocity])))
            ev.append((off, 2, bytes([0x80 | ch, n.pitch, 0])))
        ev.append((end, 9, b"\xff\x2f\x00"))
        tracks.append(_track(ev))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS)
    Path(path).write_bytes(header + b"".join(tracks))


NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def pitch(name: str) -> int:
    """'C4' is 60, 'F#5' is 78, 'Bb3' is 58."""
    letter, rest = name[0], name[1:]
    shift = 0
    while rest and rest[0] in "#b":
        shift += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + NAMES[letter] + shift


def melody(text: str, start: float = 0.0, velocity: int = 90) -> list[Note]:
    """'E5:0.5 G5:0.5 R:1 ...': notes with lengths in beats, R a rest; bar
    lines '|' are ignored."""
    notes, beat = [], start
    for tok in text.split():
        if tok == "|":
            continue
        name, length = tok.split(":")
        length = float(length)
        if name != "R":
            notes.append(Note(beat, length * 0.95, pitch(name), velocity))
        beat += length
    return notes
