#!/usr/bin/python3
"""cadenzo-cli export-smf against hand-made song files, its output read back with mido.

Usage: smf_cli_test.py PATH/TO/cadenzo-cli
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import mido

CLI = None


def song_bytes(tempo=b"96", channel=2, program=26, events=(), meters=((4, 4, 0),),
               tuning=(28, 23, 19, 14, 9, 4), magic=b"CZ0200"):
    """A song file written from its layout: magic, count, NAM TMP PRG NOT MET FLT END."""
    b = bytearray(magic + struct.pack("<I", len(events)))
    b += b"\xfeNAMsample"
    b += b"\xfeTMP" + tempo.ljust(4, b"\0")
    b += b"\xfePRG" + bytes([channel, program, program, 100])
    b += b"\xfeNOT"
    for tick, frets, velocity, gate, up, stroke in events:
        b += struct.pack("<I6sBBiB3xiBB2x", tick, bytes(frets), velocity, 0, gate, up, stroke, 0,
                         0)
    b += b"\xfeMET"
    for num, den, k in meters:
        b += bytes([num, den]) + struct.pack("<I", k)
    b += b"\xfeFLT" + bytes(x for t in tuning for x in (t, 0))
    b += b"\xfeEND"
    return bytes(b)


# Open strings, down stroke 60 over gate 240 at tick 0; an up stroke at 480.
EVENTS = ((0, (0, 0, 0, 0, 0, 0), 100, 240, 0, 60),
          (480, (3, 3, 4, 5, 5, 3), 90, 480, 1, 0))


def absolute(track):
    tick = 0
    for msg in track:
        tick += msg.time
        yield tick, msg


class ExportSmf(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def write_song(self, name="song.cz0", **kwargs):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(song_bytes(**kwargs))
        return path

    def run_cli(self, *args, cwd=None):
        return subprocess.run([CLI, "export-smf", *args], capture_output=True, text=True,
                              cwd=cwd or self.dir)

    def test_defaults_are_those_the_dialog_opens_with(self):
        song = self.write_song(events=EVENTS)
        result = self.run_cli(song, "out.mid")
        self.assertEqual(result.returncode, 0, result.stderr)
        out = os.path.join(self.dir, "out.mid")
        mid = mido.MidiFile(out, clip=False)
        self.assertEqual((mid.type, len(mid.tracks), mid.ticks_per_beat), (1, 2, 480))
        conductor, strings = (list(absolute(t)) for t in mid.tracks)
        # The name event holds the absolute path even for a relative OUT.
        self.assertEqual([(t, m.name) for t, m in conductor if m.type == "track_name"],
                         [(0, out)])
        self.assertEqual([(t, m.tempo) for t, m in conductor if m.type == "set_tempo"],
                         [(0, 625000)])
        self.assertEqual([(t, m.channel, m.program) for t, m in strings
                          if m.type == "program_change"], [(1440, 2, 26)])
        kinds = {m.type for _, m in strings}
        self.assertNotIn("control_change", kinds)
        self.assertNotIn("sysex", kinds)
        ons = [(t, m.channel, m.note) for t, m in strings if m.type == "note_on"]
        self.assertEqual(ons[:6], [(1920 + 10 * k, 2, n)
                                   for k, n in enumerate((40, 45, 50, 55, 59, 64))])
        # The up stroke of the second chord: first string first, all at once.
        self.assertEqual([n for t, _, n in ons[6:]], [67, 62, 59, 55, 50, 43])
        self.assertTrue(all(t == 2400 for t, _, _ in ons[6:]))
        self.assertEqual(strings[-1][1].type, "end_of_track")
        self.assertEqual(strings[-1][0], 2400 + 480)
        self.assertIn("Format 1 (Single Tr.)", result.stdout)

    def test_every_option_given(self):
        song = self.write_song(events=EVENTS)
        out = os.path.join(self.dir, "multi.mid")
        result = self.run_cli(song, out, "--format", "1m", "--reset", "gs", "--channel", "10",
                              "--program", "30", "--volume", "100", "--reverb", "0",
                              "--chorus", "127")
        self.assertEqual(result.returncode, 0, result.stderr)
        mid = mido.MidiFile(out, clip=False)
        self.assertEqual((mid.type, len(mid.tracks)), (1, 7))
        gs = [0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41]
        for index, track in enumerate(mid.tracks[1:], start=1):
            events = list(absolute(track))
            sysex = [list(m.data) for _, m in events if m.type == "sysex"]
            self.assertEqual(sysex, [gs] if index == 1 else [], index)
            setup = [(t, m.type, m.channel) + ((m.program,) if m.type == "program_change"
                                               else (m.control, m.value))
                     for t, m in events if m.type in ("program_change", "control_change")]
            self.assertEqual(setup, [(1440, "program_change", 9, 30),
                                     (1450, "control_change", 9, 7, 100),
                                     (1460, "control_change", 9, 91, 0),
                                     (1470, "control_change", 9, 93, 127)], index)
            # String 3 of the first chord is the fourth to sound.
            if index == 3:
                self.assertEqual([(t, m.note) for t, m in events if m.type == "note_on"][0],
                                 (1950, 55))

    def test_format0_and_a_program_outside_the_guitars(self):
        song = self.write_song(events=EVENTS, program=40, channel=0)
        out = os.path.join(self.dir, "f0.mid")
        result = self.run_cli(song, out, "--format", "0", "--reset", "xg")
        self.assertEqual(result.returncode, 0, result.stderr)
        mid = mido.MidiFile(out, clip=False)
        self.assertEqual((mid.type, len(mid.tracks)), (0, 1))
        events = list(absolute(mid.tracks[0]))
        self.assertEqual([m.type for _, m in events[:4]],
                         ["track_name", "sysex", "set_tempo", "time_signature"])
        self.assertEqual([(t, m.program) for t, m in events if m.type == "program_change"],
                         [(1440, 40)])

    def test_bad_options_are_refused_before_anything_is_written(self):
        song = self.write_song(events=EVENTS)
        for args in (["--channel", "0"], ["--channel", "17"], ["--channel", "x"],
                     ["--program", "23"], ["--program", "31"], ["--volume", "128"],
                     ["--reverb", "-1"], ["--chorus", "200"], ["--format", "2"],
                     ["--reset", "mt32"]):
            with self.subTest(args=args):
                result = self.run_cli(song, "bad.mid", *args)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.dir, "bad.mid")))

    def test_unusable_songs_fail_without_a_file(self):
        cases = {
            "missing": None,
            "wrong magic": dict(magic=b"CZ0100"),
            "tempo not an integer": dict(tempo=b"9x"),
            "tempo out of range": dict(tempo=b"500"),
            "channel out of range": dict(channel=16),
        }
        for what, kwargs in cases.items():
            with self.subTest(what):
                song = (os.path.join(self.dir, "none.cz0") if kwargs is None
                        else self.write_song(**kwargs))
                result = self.run_cli(song, "bad.mid")
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertTrue(result.stderr.startswith("cadenzo-cli: "), result.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.dir, "bad.mid")))

    def test_write_failure_names_the_file(self):
        song = self.write_song(events=EVENTS)
        out = os.path.join(self.dir, "no such folder", "out.mid")
        result = self.run_cli(song, out)
        self.assertEqual(result.returncode, 1)
        self.assertIn(out, result.stderr)


if __name__ == "__main__":
    CLI = os.path.abspath(sys.argv.pop(1))
    unittest.main()
