"""Loop folding, MIDI writing and WAV reading of the audio tools."""
from __future__ import annotations

import struct
import tempfile
import unittest
from pathlib import Path

from . import helpers  # noqa: F401

from nm import midi, synth


class LoopTest(unittest.TestCase):
    def test_tail_lands_on_the_start_and_length_is_exact(self):
        # Stereo: frames (1, 10), (2, 20), then a two-frame tail past a 2-frame loop.
        x = [1, 10, 2, 20, 0.5, 5, 0.25, 2.5]
        self.assertEqual(synth.fold_loop(x, 2, 2), [1.5, 15, 2.25, 22.5])

    def test_a_tail_longer_than_the_loop_wraps_again(self):
        self.assertEqual(synth.fold_loop([1, 0, 0, 1, 1], 1, 2), [2, 1])

    def test_short_render_is_padded(self):
        self.assertEqual(synth.fold_loop([1, 2], 1, 4), [1, 2, 0, 0])


class WavTest(unittest.TestCase):
    def test_pcm_round_trip(self):
        with tempfile.TemporaryDirectory() as d:
            p = Path(d) / "a.wav"
            synth.write_wav(p, [0.0, 0.5, -0.5, 0.25], channels=2)
            x, ch, rate = synth.read_float_wav(p)
            self.assertEqual((ch, rate), (2, synth.RATE))
            self.assertEqual([round(v, 3) for v in x], [0.0, 0.5, -0.5, 0.25])

    def test_float_wav(self):
        with tempfile.TemporaryDirectory() as d:
            p = Path(d) / "f.wav"
            data = struct.pack("<4f", 0.1, -0.2, 0.3, -0.4)
            fmt = struct.pack("<HHIIHH", 3, 2, 44100, 44100 * 8, 8, 32)
            body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data
            p.write_bytes(b"RIFF" + struct.pack("<I", len(body)) + body)
            x, ch, _ = synth.read_float_wav(p)
            self.assertEqual(ch, 2)
            self.assertEqual([round(v, 3) for v in x], [0.1, -0.2, 0.3, -0.4])


class MidiTest(unittest.TestCase):
    def test_pitch_names(self):
        self.assertEqual([midi.pitch(n) for n in ("C4", "F#5", "Bb3", "A0")], [60, 78, 58, 21])

    def test_melody_rests_and_bars(self):
        notes = midi.melody("C4:1 | R:0.5 E4:0.5")
        self.assertEqual([(n.beat, n.pitch) for n in notes], [(0.0, 60), (1.5, 64)])

    def test_repeated_note_is_released_before_it_sounds_again(self):
        with tempfile.TemporaryDirectory() as d:
            p = Path(d) / "s.mid"
            part = midi.Part(0, 0, [midi.Note(0, 1, 60), midi.Note(1, 1, 60)])
            midi.write(p, 120, [part], 4)
            raw = p.read_bytes()
            self.assertEqual(raw[:4], b"MThd")
            self.assertEqual(struct.unpack(">HHH", raw[8:14]), (1, 2, midi.TICKS))
            track = raw[raw.index(b"MTrk", 14) + 8:]
            off, on = track.index(bytes([0x80, 60, 0])), track.rindex(bytes([0x90, 60]))
            self.assertLess(off, on)


if __name__ == "__main__":
    unittest.main()
