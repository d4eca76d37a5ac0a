"""A small additive/subtractive synthesiser in plain Python for the game's
short sounds: oscillators with gliding pitch, envelopes, seeded noise,
resonant band-pass filters (for vowel-like animal calls), and WAV I/O.

Everything is deterministic: noise comes from a seeded generator, so the same
recipe always gives the same samples."""
from __future__ import annotations

import array
import math
import random
import struct
import wave
from pathlib import Path
from typing import Callable, Sequence

RATE = 44100
TAU = 2 * math.pi


def seconds(n: int) -> float:
    return n / RATE


def silence(dur: float) -> list[float]:
    return [0.0] * int(round(dur * RATE))


def osc(dur: float, freq: Callable[[float], float] | float, shape: str = "sine",
        amp: Callable[[float], float] | float = 1.0) -> list[float]:
    """An oscillator whose frequency and amplitude may follow functions of
    time (seconds). Phase is integrated, so glides are smooth."""
    n = int(round(dur * RATE))
    fr = freq if callable(freq) else (lambda t, v=freq: v)
    am = amp if callable(amp) else (lambda t, v=amp: v)
    out = [0.0] * n
    ph = 0.0
    for i in range(n):
        t = i / RATE
        ph += fr(t) / RATE
        ph -= math.floor(ph)
        if shape == "sine":
            v = math.sin(TAU * ph)
        elif shape == "triangle":
            v = 4 * abs(ph - 0.5) - 1
        elif shape == "saw":
            v = 2 * ph - 1
        elif shape == "square":
            v = 1.0 if ph < 0.5 else -1.0
        elif shape == "pulse":   # a narrow glottal-like pulse, rich in harmonics
            v = math.exp(-ph * 14) * 2 - 0.14
        else:
            raise ValueError(shape)
        out[i] = v * am(t)
    return out


def noise(dur: float, seed: int, amp: float = 1.0) -> list[float]:
    rng = random.Random(seed)
    return [rng.uniform(-amp, amp) for _ in range(int(round(dur * RATE)))]


def envelope(x: list[float], attack: float, release: float, hold: float | None = None,
             curve: float = 2.0) -> list[float]:
    """Fades in over attack seconds and out over release seconds (a power
    curve), so that no sound starts or stops with a click."""
    n = len(x)
    a = max(1, int(attack * RATE))
    r = max(1, int(release * RATE))
    out = list(x)
    for i in range(min(a, n)):
        out[i] *= (i / a) ** (1 / curve)
    for i in range(min(r, n)):
        out[n - 1 - i] *= (i / r) ** curve
    return out


def decay(x: list[float], rate: float) -> list[float]:
    """Exponential decay: amplitude e^(-rate t)."""
    return [v * math.exp(-rate * i / RATE) for i, v in enumerate(x)]


def bandpass(x: list[float], centre: float, q: float, gain: float = 1.0) -> list[float]:
    """A resonant band-pass (biquad, constant peak gain)."""
    w0 = TAU * centre / RATE
    alpha = math.sin(w0) / (2 * q)
    b0, b1, b2 = alpha, 0.0, -alpha
    a0, a1, a2 = 1 + alpha, -2 * math.cos(w0), 1 - alpha
    b0, b1, b2, a1, a2 = b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0
    out = [0.0] * len(x)
    x1 = x2 = y1 = y2 = 0.0
    for i, v in enumerate(x):
        y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, v, y1, y
        out[i] = y * gain
    return out


def lowpass(x: list[float], cutoff: float) -> list[float]:
    """One-pole low-pass: softens edges of harsh waveforms."""
    k = 1 - math.exp(-TAU * cutoff / RATE)
    out = [0.0] * len(x)
    y = 0.0
    for i, v in enumerate(x):
        y += k * (v - y)
        out[i] = y
    return out


def formants(x: list[float], bands: Sequence[tuple[float, float, float]]) -> list[float]:
    """Sum of band-passes (centre Hz, Q, gain): a crude vocal tract."""
    return mix(*(bandpass(x, c, q, g) for c, q, g in bands))


def mix(*tracks: list[float], at: Sequence[float] | None = None) -> list[float]:
    """Adds tracks, each starting at the matching time in at (seconds)."""
    starts = [int(round(t * RATE)) for t in (at or [0.0] * len(tracks))]
    n = max((s + len(t) for s, t in zip(starts, tracks)), default=0)
    out = [0.0] * n
    for s, t in zip(starts, tracks):
        for i, v in enumerate(t):
            out[s + i] += v
    return out


def scale(x: list[float], g: float) -> list[float]:
    return [v * g for v in x]


def normalise(x: list[float], peak_db: float = -1.0) -> list[float]:
    p = max((abs(v) for v in x), default=0.0)
    if p == 0:
        return list(x)
    return scale(x, 10 ** (peak_db / 20) / p)


def rms_db(x: Sequence[float]) -> float:
    if not x:
        return -math.inf
    return 10 * math.log10(max(1e-12, sum(v * v for v in x) / len(x)))


def write_wav(path: Path, x: Sequence[float], channels: int = 1, rate: int = RATE) -> None:
    """16-bit PCM; x is interleaved when channels > 1."""
    data = array.array("h", (max(-32767, min(32767, int(round(v * 32767)))) for v in x))
    with wave.open(str(path), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(data.tobytes())


def read_float_wav(path: Path) -> tuple[list[float], int, int]:
    """Reads a 32-bit float or 16-bit PCM WAV: (interleaved samples,
    channels, rate). The standard wave module cannot read float files."""
    raw = Path(path).read_bytes()
    if raw[:4] != b"RIFF" or raw[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, fmt, data = 12, None, None
    while pos + 8 <= len(raw):
        cid, size = raw[pos:pos + 4], struct.unpack("<I", raw[pos + 4:pos + 8])[0]
        body = raw[pos + 8:pos + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif cid == b"data":
            data = body
        pos += 8 + size + (size & 1)
    if fmt is None or data is None:
        raise ValueError(f"{path}: no fmt or data chunk")
    tag, channels, rate, _, _, bits = fmt
    if tag == 0xFFFE:      # extensible: the real format follows in the extension
        tag = 3 if bits == 32 else 1
    if tag == 3 and bits == 32:
        a = array.array("f")
    elif tag == 1 and bits == 16:
        a = array.array("h")
    else:
        raise ValueError(f"{path}: unsupported WAV format {tag}/{bits}")
    a.frombytes(data[: len(data) - len(data) % a.itemsize])
    if tag == 1:
        return [v / 32768 for v in a], channels, rate
    return list(a), channels, rate


def fold_loop(x: list[float], channels: int, loop_frames: int) -> list[float]:
    """Makes a seamless loop of exactly loop_frames: whatever sounds past the
    loop's end (release and reverb tails) is added onto its start, where the
    next pass of the loop would have it."""
    n = loop_frames * channels
    out = list(x[:n]) + [0.0] * max(0, n - len(x))
    for i in range(n, len(x)):
        out[i % n] += x[i]
    return out
