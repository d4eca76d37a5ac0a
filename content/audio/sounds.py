"""The game's short sounds, made by synthesis: effects and the main menu's
animal calls. Each entry of SOUNDS names a file, a function returning mono
samples at 44.1 kHz and the peak level; the build encodes them to MP3.

Effects are short and soft (a child presses buttons a lot); animal calls are
drawn from the shape of the real call (a frog's rolling double croak, a
songbird's rising chirps, a sheep's quavering "baa") rather than realism.
"""
from __future__ import annotations

import math

from synth import (bandpass, decay, envelope, formants, lowpass, mix, noise, osc, scale)


def button() -> list[float]:
    # A soft, rounded "bloop": a sine gliding up a fifth, gone in 0.14 s.
    body = osc(0.14, lambda t: 520 + 360 * min(1.0, t / 0.05), "sine")
    body = decay(envelope(body, 0.004, 0.05), 18)
    sparkle = decay(envelope(osc(0.08, 1560, "sine"), 0.002, 0.04), 40)
    return mix(body, scale(sparkle, 0.12))


def _croak(dur: float, f0: float, rise: float, roll: float) -> list[float]:
    """One croak: a pulse train through two throat resonances, chopped by a
    fast roll so that it rattles."""
    src = osc(dur, lambda t: f0 + rise * t / dur, "pulse",
              amp=lambda t: 0.55 + 0.45 * math.sin(2 * math.pi * roll * t))
    voiced = formants(src, [(420, 4.0, 1.0), (1150, 5.0, 0.55), (2400, 6.0, 0.15)])
    return envelope(voiced, 0.012, 0.05)


def frog() -> list[float]:
    # "Rib-bit": a longer croak, then a shorter, higher one.
    return mix(_croak(0.2, 95, 25, 34), _croak(0.15, 120, -10, 40), at=[0.0, 0.26])


def _chirp(dur: float, lo: float, hi: float) -> list[float]:
    # Up fast, then a little down: a songbird's note, with a quick warble.
    def f(t: float) -> float:
        k = t / dur
        glide = lo + (hi - lo) * math.sin(math.pi * min(1.0, k * 1.4) / 2)
        return glide * (1 + 0.03 * math.sin(2 * math.pi * 45 * t))
    tone = osc(dur, f, "sine")
    tone = mix(tone, scale(osc(dur, lambda t: 2 * f(t), "sine"), 0.12))
    return envelope(tone, 0.006, dur * 0.45)


def bird() -> list[float]:
    # "Tweet-tweet-tweeet".
    return mix(_chirp(0.09, 2600, 3900), _chirp(0.09, 2700, 4100), _chirp(0.16, 2500, 4300),
               at=[0.0, 0.14, 0.29])


def sheep() -> list[float]:
    # "Baa": a nasal "a" vowel on a pitch that quavers about 24 times a
    # second, falling a little at the end; a soft "b" onset.
    dur = 0.85

    def f0(t: float) -> float:
        fall = 1 - 0.12 * max(0.0, (t - 0.45) / (dur - 0.45))
        return (300 + 10 * math.sin(2 * math.pi * 5 * t)) * fall

    def amp(t: float) -> float:
        return 0.62 + 0.38 * math.sin(2 * math.pi * 24 * t)

    src = lowpass(osc(dur, f0, "saw", amp=amp), 3500)
    vowel = formants(src, [(820, 5.0, 1.0), (1250, 6.0, 0.7), (2600, 8.0, 0.22), (3400, 9.0, 0.08)])
    vowel = envelope(vowel, 0.035, 0.28)
    breath = envelope(bandpass(noise(dur, seed=3, amp=0.08), 2400, 1.2), 0.05, 0.3)
    return mix(vowel, breath)


# File name: (recipe, peak level in dB below full scale). The button is kept
# quieter than the calls: it sounds on every press.
SOUNDS = {
    "soundbutton.mp3": (button, -9.0),
    "frog3.mp3": (frog, -3.0),
    "bird.mp3": (bird, -9.0),       # pure high tones sound louder than their peak says
    "sheep.mp3": (sheep, -3.0),
}
