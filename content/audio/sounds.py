"""The game's short sounds, made by synthesis: effects (buttons, pages,
answers, the arithmetic game's menu clicks and shots) and the animals'
calls (the main menu's, and those of the learn pages' animals). Each entry
of SOUNDS names a file, a function returning mono samples at 44.1 kHz and
the peak level; the build encodes them to MP3.

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


def _vowel_glide(src: list[float], shapes: list[list[tuple[float, float, float]]]) -> list[float]:
    """A vowel that changes on the way: the source through each formant set
    in turn, cross-faded evenly over the sound's length."""
    parts = [formants(src, bands) for bands in shapes]
    n, k = len(src), len(shapes) - 1
    out = [0.0] * n
    for i in range(n):
        pos = i / max(1, n - 1) * k
        j = min(int(pos), k - 1)
        w = pos - j
        out[i] = parts[j][i] * (1 - w) + parts[j + 1][i] * w
    return out


def _quack(dur: float, f0: float) -> list[float]:
    # A nasal buzz dropping in pitch, with a bright "a".
    src = osc(dur, lambda t: f0 * (1 - 0.25 * t / dur), "saw", amp=lambda t: 0.7 + 0.3 * math.sin(2 * math.pi * 60 * t))
    voiced = formants(src, [(950, 4.0, 1.0), (1500, 5.0, 0.6), (2600, 6.0, 0.3)])
    return envelope(voiced, 0.01, dur * 0.4)


def duck() -> list[float]:
    # "Quack-quack".
    return mix(_quack(0.2, 420), _quack(0.17, 440), at=[0.0, 0.28])


def cat() -> list[float]:
    # "Mee-ow": the pitch rises and falls while the mouth opens from a
    # closed "m" through "e" and "a" to "u".
    dur = 0.75

    def f0(t: float) -> float:
        k = t / dur
        return 480 + 260 * math.sin(math.pi * min(1.0, k * 1.3)) - 60 * k

    src = lowpass(osc(dur, f0, "saw", amp=lambda t: 0.8 + 0.2 * math.sin(2 * math.pi * 6 * t)), 4000)
    voiced = _vowel_glide(src, [[(350, 5.0, 1.0), (1900, 7.0, 0.3)],
                                [(500, 5.0, 1.0), (2100, 7.0, 0.5), (3000, 8.0, 0.2)],
                                [(850, 5.0, 1.0), (1400, 6.0, 0.6), (2800, 8.0, 0.2)],
                                [(450, 5.0, 1.0), (900, 6.0, 0.5)]])
    return envelope(voiced, 0.09, 0.25)


def chick() -> list[float]:
    # "Peep-peep-peep": short, high, falling.
    def peep(dur: float, hi: float) -> list[float]:
        tone = osc(dur, lambda t: hi - 900 * t / dur, "sine")
        return envelope(mix(tone, scale(osc(dur, lambda t: 2 * (hi - 900 * t / dur), "sine"), 0.1)), 0.005, dur * 0.5)
    return mix(peep(0.1, 4200), peep(0.1, 4300), peep(0.12, 4100), at=[0.0, 0.16, 0.32])


def _oink(dur: float, f0: float) -> list[float]:
    # A snorty grunt: a low pulse with a rasp, through an "o".
    src = osc(dur, lambda t: f0 * (1 + 0.35 * t / dur), "pulse",
              amp=lambda t: 0.6 + 0.4 * math.sin(2 * math.pi * 38 * t))
    voiced = formants(src, [(520, 4.0, 1.0), (1100, 5.0, 0.6), (2300, 6.0, 0.15)])
    rasp = bandpass(noise(dur, seed=int(f0), amp=0.35), 900, 1.5)
    return envelope(mix(voiced, rasp), 0.02, dur * 0.45)


def pig() -> list[float]:
    # "Oink-oink".
    return mix(_oink(0.24, 120), _oink(0.2, 135), at=[0.0, 0.32])


def mouse() -> list[float]:
    # "Squeak-squeak": very high, wobbly, quick.
    def squeak(dur: float, f: float) -> list[float]:
        tone = osc(dur, lambda t: f * (1 + 0.06 * math.sin(2 * math.pi * 30 * t)) + 600 * t / dur, "sine")
        return envelope(tone, 0.006, dur * 0.4)
    return mix(squeak(0.09, 4800), squeak(0.11, 5100), at=[0.0, 0.15])


def _yap(dur: float, f0: float) -> list[float]:
    # A puppy's bark: a quick fall in pitch through an "a", a puff of breath first.
    src = osc(dur, lambda t: f0 * (1 - 0.35 * t / dur), "saw")
    voiced = formants(lowpass(src, 3500), [(800, 4.0, 1.0), (1500, 5.0, 0.7), (2800, 7.0, 0.2)])
    puff = envelope(bandpass(noise(0.03, seed=7, amp=0.5), 1800, 1.0), 0.002, 0.02)
    return envelope(mix(puff, voiced), 0.008, dur * 0.55)


def puppy() -> list[float]:
    # "Yip-yip".
    return mix(_yap(0.15, 560), _yap(0.15, 600), at=[0.0, 0.24])


def bee() -> list[float]:
    # "Bzzz": a buzzing saw that swells and fades as the bee flies by.
    dur = 1.1
    src = osc(dur, lambda t: 215 + 12 * math.sin(2 * math.pi * 3 * t), "saw",
              amp=lambda t: (0.75 + 0.25 * math.sin(2 * math.pi * 42 * t)) * math.sin(math.pi * t / dur))
    return envelope(formants(lowpass(src, 2500), [(700, 2.0, 1.0), (1700, 3.0, 0.5)]), 0.05, 0.2)


def page_turn() -> list[float]:
    # A paper swish: noise in a band that slides up as the page sweeps over,
    # with a soft flap at the end.
    dur = 0.32
    n = noise(dur, seed=11, amp=0.6)
    lo, hi = bandpass(n, 1800, 0.8), bandpass(n, 4200, 0.9)
    swish = [lo[i] * (1 - i / len(n)) + hi[i] * i / len(n) for i in range(len(n))]
    swish = [v * math.sin(math.pi * min(1.0, i / len(n) * 1.1)) for i, v in enumerate(swish)]
    flap = decay(envelope(lowpass(noise(0.06, seed=12, amp=0.5), 700), 0.002, 0.04), 30)
    return mix(envelope(swish, 0.03, 0.08), flap, at=[0.0, 0.25])


def right_answer() -> list[float]:
    # A bright rising arpeggio and a little choir's "aaah" on the chord.
    out = []
    notes = [523.25, 659.25, 783.99, 1046.5]
    for i, fr in enumerate(notes):
        tone = mix(osc(0.5, fr, "sine"), scale(osc(0.5, 2 * fr, "sine"), 0.25), scale(osc(0.5, 3 * fr, "sine"), 0.08))
        out.append(decay(envelope(tone, 0.012, 0.2, curve=1.0), 5))
    bell = mix(*out, at=[0.0, 0.09, 0.18, 0.27])
    voices = []
    for fr in (261.63, 329.63, 392.0):
        src = lowpass(osc(1.1, lambda t, fr=fr: fr * (1 + 0.01 * math.sin(2 * math.pi * 5.5 * t)), "saw"), 3500)
        voices.append(formants(src, [(800, 5.0, 1.0), (1200, 6.0, 0.6), (2500, 8.0, 0.25)]))
    choir = envelope(mix(*voices), 0.25, 0.45)
    return mix(bell, scale(choir, 0.8), at=[0.0, 0.2])


def wrong_answer() -> list[float]:
    # A gentle "uh-oh": two soft falling notes, nothing harsh.
    def boop(dur: float, f: float) -> list[float]:
        tone = mix(osc(dur, lambda t: f * (1 - 0.08 * t / dur), "triangle"), scale(osc(dur, f / 2, "sine"), 0.3))
        return envelope(lowpass(tone, 1800), 0.025, dur * 0.5, curve=1.0)
    return mix(boop(0.16, 392.0), boop(0.26, 311.13), at=[0.0, 0.18])


def _tock(f0: float, bright: float) -> list[float]:
    # A wooden "tock": a short sine with a quick downward blip and a knock of
    # filtered noise, like a toy xylophone's bar.
    tone = decay(envelope(osc(0.12, lambda t: f0 * (1 + 0.25 * math.exp(-t * 90)), "sine"), 0.002, 0.05), 32)
    over = decay(envelope(osc(0.05, f0 * 2.76, "sine"), 0.001, 0.03), 70)
    knock = decay(envelope(bandpass(noise(0.03, seed=int(f0), amp=0.6), f0 * 3, 2.0), 0.001, 0.02), 120)
    return mix(tone, scale(over, bright), scale(knock, 0.5))


def click1() -> list[float]:
    # The game menu's three rows click in three pitches: operations high...
    return _tock(1320, 0.35)


def click2() -> list[float]:
    # ...levels in the middle...
    return _tock(990, 0.3)


def click3() -> list[float]:
    # ...teams low.
    return _tock(740, 0.25)


def boom() -> list[float]:
    # A fruit thrown and bursting: a short rising whoosh, then a soft,
    # squelchy "pop" (a thump falling in pitch and a wet splash), nothing
    # loud or sharp.
    whoosh = envelope(bandpass(noise(0.34, seed=21, amp=0.5), 1400, 1.2), 0.2, 0.08)
    whoosh = [v * (0.3 + 0.7 * i / len(whoosh)) for i, v in enumerate(whoosh)]
    thump = decay(envelope(osc(0.35, lambda t: 55 + 120 * math.exp(-t * 22), "sine"), 0.003, 0.2), 9)
    splash = decay(envelope(lowpass(noise(0.4, seed=22, amp=0.8), 2600), 0.004, 0.25), 11)
    drops = mix(*[decay(envelope(osc(0.05, fr, "sine"), 0.002, 0.03), 60) for fr in (880, 1240, 700)],
                at=[0.0, 0.07, 0.13])
    return mix(scale(whoosh, 0.5), thump, scale(splash, 0.45), scale(drops, 0.25), at=[0.0, 0.32, 0.32, 0.42])


# --- the drawing pages ---------------------------------------------------------

def _pop(f0: float) -> list[float]:
    # A soap bubble bursting: a quick "blup" that glides up like a drop of
    # water, with a tiny wet click at its start.
    dur = 0.16
    tone = osc(dur, lambda t: f0 * (1 + 0.9 * (1 - math.exp(-t * 45))), "sine")
    tone = decay(envelope(tone, 0.002, 0.06), 24)
    click = decay(envelope(bandpass(noise(0.02, seed=int(f0), amp=0.6), f0 * 4, 1.5), 0.001, 0.012), 150)
    return mix(tone, scale(click, 0.35))


# A collected star's pop, higher with each star of a stroke (the first five
# notes of a major scale, the same from the fifth on).
POP_STEPS = [0, 2, 4, 5, 7]


def bubble_pop(k: int):
    return lambda: _pop(587.33 * 2 ** (POP_STEPS[k - 1] / 12))


def colour_select() -> list[float]:
    # A brush dipped in paint: a soft wet "plip" falling, then a little
    # glint as the colour is taken.
    plip = decay(envelope(osc(0.09, lambda t: 1300 * math.exp(-t * 14), "sine"), 0.002, 0.04), 28)
    glint = mix(*[decay(envelope(osc(0.18, fr, "sine"), 0.003, 0.12), 18) for fr in (1975.5, 2637.0)],
                at=[0.0, 0.05])
    return mix(plip, scale(glint, 0.3), at=[0.0, 0.06])


def turn_page() -> list[float]:
    # A new number is coming: a quick, soft slide whistle up.
    dur = 0.22
    whistle = osc(dur, lambda t: 620 * 2 ** (t / dur) * (1 + 0.015 * math.sin(2 * math.pi * 11 * t)), "sine")
    whistle = mix(whistle, scale(osc(dur, lambda t: 1240 * 2 ** (t / dur), "sine"), 0.12))
    breath = envelope(bandpass(noise(dur, seed=31, amp=0.15), 1500, 1.0), 0.03, 0.1)
    return envelope(mix(whistle, breath), 0.03, 0.08)


def number_traced() -> list[float]:
    # The number is finished: bells running up the chord, then the chord
    # held with a shimmer of tiny tinkles over it.
    notes = [523.25, 659.25, 783.99, 1046.5, 1318.5]
    run = []
    for fr in notes:
        bell = mix(osc(0.9, fr, "sine"), scale(osc(0.9, fr * 2.0, "sine"), 0.3), scale(osc(0.9, fr * 3.0, "sine"), 0.1))
        run.append(decay(envelope(bell, 0.004, 0.4), 4.5))
    chord = mix(*[decay(envelope(osc(1.2, fr, "triangle"), 0.02, 0.6), 2.5) for fr in (523.25, 659.25, 783.99)])
    tinkles = mix(*[decay(envelope(osc(0.12, 2093.0 * 2 ** (s / 12), "sine"), 0.002, 0.08), 30)
                    for s in (0, 7, 4, 12, 9, 16, 12)],
                  at=[0.45 + 0.09 * i for i in range(7)])
    return mix(mix(*run, at=[0.08 * i for i in range(len(notes))]), scale(chord, 0.45), scale(tinkles, 0.3),
               at=[0.0, 0.4, 0.0])


# File name: (recipe, peak level in dB below full scale). The button is kept
# quieter than the calls: it sounds on every press.
SOUNDS = {
    "soundbutton.mp3": (button, -9.0),
    "frog3.mp3": (frog, -3.0),
    "bird.mp3": (bird, -9.0),       # pure high tones sound louder than their peak says
    "sheep.mp3": (sheep, -3.0),
    "duck.mp3": (duck, -3.0),
    "cat.mp3": (cat, -3.0),
    "chick.mp3": (chick, -9.0),
    "pig.mp3": (pig, -3.0),
    "mouse.mp3": (mouse, -10.0),
    "puppy.mp3": (puppy, -3.0),
    "bee.mp3": (bee, -4.0),
    "soundpageturn.mp3": (page_turn, -8.0),
    "soundrightansweraaa.mp3": (right_answer, -3.0),
    "soundwronganswer.mp3": (wrong_answer, -6.0),
    "click1.mp3": (click1, -10.0),
    "click2.mp3": (click2, -10.0),
    "click3.mp3": (click3, -10.0),
    "boom.mp3": (boom, -4.0),
    "bubble-flap-1.mp3": (bubble_pop(1), -8.0),
    "bubble-flap-2.mp3": (bubble_pop(2), -8.0),
    "bubble-flap-3.mp3": (bubble_pop(3), -8.0),
    "bubble-flap-4.mp3": (bubble_pop(4), -8.0),
    "bubble-flap-5.mp3": (bubble_pop(5), -8.0),
    "colour-select.mp3": (colour_select, -9.0),
    "soundturnpage.mp3": (turn_page, -10.0),
    "soundrightanswer.mp3": (number_traced, -3.0),
}
