"""The background music and the logo's jingle, written as notes. The build
writes each as a MIDI file, renders it with a General MIDI sound font and,
for the loops, folds the tail back onto the start so the loop is seamless.

Each song's loop is a whole number of bars at a tempo whose beat is a whole
number of samples at 44.1 kHz, so the loop length is exact.
"""
from __future__ import annotations

from midi import Note, Part, melody, pitch

# General MIDI programs (0-based).
NYLON_GUITAR, MARIMBA, GLOCKENSPIEL, VIBRAPHONE = 24, 12, 9, 11
FINGER_BASS, PIZZICATO, FLUTE, CELESTA = 33, 45, 73, 8
KICK, CLAP, SHAKER, HAT = 36, 39, 70, 42

TRIADS = {
    "C": ["C4", "E4", "G4"], "G": ["G3", "B3", "D4"], "Am": ["A3", "C4", "E4"],
    "F": ["F3", "A3", "C4"], "Em": ["E3", "G3", "B3"], "D": ["D4", "F#4", "A4"],
    "Dm": ["D4", "F4", "A4"],
}
ROOTS = {"C": "C2", "G": "G2", "Am": "A2", "F": "F2", "Em": "E2", "D": "D2", "Dm": "D2"}


def arpeggio(chords: list[str], velocity: int = 62) -> list[Note]:
    """Eighth notes up and down each bar's triad: root, fifth, third, fifth..."""
    notes = []
    for bar, name in enumerate(chords):
        r, t, f = (pitch(n) for n in TRIADS[name])
        for i, p in enumerate([r, f, t, f, r + 12, f, t, f]):
            notes.append(Note(bar * 4 + i * 0.5, 0.5, p, velocity - (6 if i % 2 else 0)))
    return notes


def plucks(chords: list[str], velocity: int = 58) -> list[Note]:
    """The triad on beats 2 and 4."""
    notes = []
    for bar, name in enumerate(chords):
        for beat in (1, 3):
            for n in TRIADS[name]:
                notes.append(Note(bar * 4 + beat, 0.6, pitch(n) + 12, velocity))
    return notes


def bass(chords: list[str], velocity: int = 88) -> list[Note]:
    notes = []
    for bar, name in enumerate(chords):
        root = pitch(ROOTS[name])
        for beat, length, step in ((0, 1.4, 0), (1.5, 0.5, 7), (2, 1, 12), (3, 1, 7)):
            notes.append(Note(bar * 4 + beat, length * 0.9, root + step, velocity - (10 if beat else 0)))
    return notes


def drums(bars: int, busy: bool = True) -> list[Note]:
    notes = []
    for bar in range(bars):
        b = bar * 4
        for i in range(8):
            notes.append(Note(b + i * 0.5, 0.25, SHAKER, 52 if i % 2 == 0 else 38))
        if busy:
            notes += [Note(b, 0.25, KICK, 78), Note(b + 2, 0.25, KICK, 70),
                      Note(b + 1, 0.25, CLAP, 46), Note(b + 3, 0.25, CLAP, 46)]
    return notes


# --- the main menu: a bouncy tune in C, 120 beats a minute, 16 bars ---------
MENU_CHORDS = ["C", "G", "Am", "F", "C", "F", "G", "C"] * 2
MENU_TUNE = (
    "E5:0.5 G5:0.5 G5:1 E5:0.5 D5:0.5 C5:1 | D5:0.5 G4:0.5 B4:1 D5:1 B4:1 | "
    "C5:0.5 E5:0.5 A5:1 G5:0.5 E5:0.5 C5:1 | F5:1 E5:0.5 D5:0.5 C5:1 A4:1 | "
    "E5:0.5 G5:0.5 C6:1 B5:0.5 A5:0.5 G5:1 | A5:0.5 G5:0.5 F5:1 E5:0.5 D5:0.5 C5:1 | "
    "D5:0.5 E5:0.5 F5:0.5 G5:0.5 A5:0.5 B5:0.5 D6:1 | C6:2 G5:1 R:1 | "
    "E5:0.5 G5:0.5 G5:1 E5:0.5 D5:0.5 C5:1 | D5:0.5 G4:0.5 B4:1 D5:1 B4:1 | "
    "C5:0.5 E5:0.5 A5:1 G5:0.5 E5:0.5 C5:1 | F5:1 E5:0.5 D5:0.5 C5:1 A4:1 | "
    "G5:0.5 E5:0.5 C5:1 E5:0.5 G5:0.5 C6:1 | A5:0.5 C6:0.5 A5:1 G5:0.5 F5:0.5 E5:1 | "
    "B5:0.5 A5:0.5 G5:0.5 F5:0.5 E5:1 D5:1 | C5:2 R:2"
)


def menu_song() -> dict:
    bars = len(MENU_CHORDS)
    tune = melody(MENU_TUNE, velocity=96)
    sparkle = [Note(n.beat, n.length, n.pitch + 12, 46) for n in tune if n.beat % 8 < 4]
    return {
        "bpm": 120, "bars": bars,
        "parts": [
            Part(0, MARIMBA, tune, volume=110, pan=60, reverb=50),
            Part(1, GLOCKENSPIEL, sparkle, volume=70, pan=76, reverb=60),
            Part(2, NYLON_GUITAR, arpeggio(MENU_CHORDS), volume=84, pan=44, reverb=40),
            Part(3, FINGER_BASS, bass(MENU_CHORDS), volume=96, pan=64, reverb=20),
            Part(9, 0, drums(bars), volume=80, pan=64, reverb=30),
        ],
    }


# --- the activities: calmer, under the narrator's voice; G major, 100 bpm --
GAME_CHORDS = ["G", "Em", "C", "D", "G", "C", "D", "G"] * 2
GAME_TUNE = (
    "B4:1 D5:1 G5:1 D5:1 | E5:1 B4:1 G4:2 | C5:1 E5:1 G5:1 E5:1 | F#5:1.5 E5:0.5 D5:2 | "
    "B4:0.5 C5:0.5 D5:1 G5:1 B5:1 | A5:1 G5:1 E5:1 C5:1 | D5:1 F#5:1 A5:1 F#5:1 | G5:3 R:1 | "
    "B4:1 D5:1 G5:1 D5:1 | E5:1 B4:1 G4:2 | C5:1 E5:1 G5:1 E5:1 | F#5:1.5 E5:0.5 D5:2 | "
    "B4:0.5 C5:0.5 D5:1 G5:1 B5:1 | A5:1 G5:1 E5:1 C5:1 | A5:1 G5:1 F#5:1 E5:0.5 F#5:0.5 | G5:3 R:1"
)


def game_song() -> dict:
    bars = len(GAME_CHORDS)
    return {
        "bpm": 100, "bars": bars,
        "parts": [
            Part(0, VIBRAPHONE, melody(GAME_TUNE, velocity=84), volume=100, pan=58, reverb=60),
            Part(1, PIZZICATO, plucks(GAME_CHORDS), volume=80, pan=80, reverb=50),
            Part(2, FINGER_BASS, bass(GAME_CHORDS, velocity=76), volume=86, pan=64, reverb=20),
            Part(9, 0, drums(bars, busy=False), volume=60, pan=64, reverb=30),
        ],
    }


def jingle() -> dict:
    """The logo's jingle: a rising sparkle that lands on a bright chord,
    about 3 seconds."""
    up = melody("C5:0.25 E5:0.25 G5:0.25 C6:0.25 E6:0.25 G6:0.25 C7:1.5", velocity=92)
    chord = [Note(1.5, 2.5, pitch(n), 88) for n in ("C4", "E4", "G4", "C5", "E5")]
    low = [Note(1.5, 2.5, pitch("C2"), 96)]
    return {
        "bpm": 120, "bars": 1, "length_beats": 6.4,
        "parts": [
            Part(0, CELESTA, up, volume=110, reverb=70),
            Part(1, MARIMBA, chord, volume=100, reverb=70),
            Part(2, FINGER_BASS, low, volume=90, reverb=30),
            Part(9, 0, [Note(1.5, 0.5, 57, 70)], volume=70, reverb=60),   # a soft crash
        ],
    }


# --- the arithmetic game's ending: played once, as effects -----------------
TRUMPET, TROMBONE, TUBA = 56, 57, 58


def fanfare() -> dict:
    """A game won: trumpets' "ta-ta-ta-taaa" up to a bright chord, with a
    timpani roll under it; about 3 seconds."""
    call = melody("G4:0.33 G4:0.33 G4:0.34 C5:1 E5:0.5 G5:0.5 C6:2", velocity=100)
    harmony = melody("E4:0.33 E4:0.33 E4:0.34 G4:1 C5:0.5 E5:0.5 E5:2", velocity=86)
    low = [Note(1, 1, pitch("C3"), 96), Note(2, 0.5, pitch("G2"), 90), Note(3, 2, pitch("C2"), 100)]
    roll = [Note(3 + i * 0.125, 0.1, 41, 60 + i * 3) for i in range(8)] + [Note(4, 0.5, 49, 90)]
    return {
        "bpm": 132, "bars": 2, "length_beats": 5.2,
        "parts": [
            Part(0, TRUMPET, call, volume=112, pan=56, reverb=50),
            Part(1, TRUMPET, harmony, volume=92, pan=74, reverb=50),
            Part(2, TUBA, low, volume=100, pan=64, reverb=30),
            Part(9, 0, roll, volume=90, pan=64, reverb=40),
        ],
    }


def sad_trombone() -> dict:
    """A game lost: the trombone's gentle "wah, wah, wah, waaah", falling a
    half step each time; funny rather than sad, about 3 seconds."""
    fall = melody("D#4:0.9 D4:0.9 C#4:0.9 C4:2.4", velocity=88)
    under = melody("D#3:0.9 D3:0.9 C#3:0.9 C3:2.4", velocity=62)
    return {
        "bpm": 100, "bars": 2, "length_beats": 5.1,
        "parts": [
            Part(0, TROMBONE, fall, volume=112, pan=64, reverb=45),
            Part(1, TUBA, under, volume=80, pan=64, reverb=30),
        ],
    }


# Short pieces played once (not looped), by file name.
JINGLES = {
    "fonfar-end.mp3": fanfare,
    "youlose.mp3": sad_trombone,
}


# Loops the game plays as background music.
SONGS = {
    "bg-music.mp3": menu_song,
    "bg-game.mp3": game_song,
}
