#!/usr/bin/python3
"""cadenzo-cli export-smf on hand-made song files; the output read back with check_smf.py.

Usage: smf_cli_test.py PATH/TO/cadenzo-cli
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_smf  # noqa: E402

CLI = None


def song_bytes(tempo=b"96", channel=2, program=26, magic=b"CZ0200"):
    """A song file from its layout: all strings open, a down stroke of 60 over gate 240 at 0;
    frets 3 3 4 5 5 3 with an up stroke at 480 for 480; 4/4; standard tuning."""
    events = ((0, bytes(6), 100, 240, 0, 60), (480, bytes((3, 3, 4, 5, 5, 3)), 90, 480, 1, 0))
    b = bytearray(magic + struct.pack("<I", len(events)) + b"\xfeNAMsample")
    b += b"\xfeTMP" + tempo.ljust(4, b"\0") + b"\xfePRG" + bytes([channel, program, program, 100])
    b += b"\xfeNOT"
    for tick, frets, velocity, gate, up, stroke in events:
        b += struct.pack("<I6sBxiB3xi4x", tick, frets, velocity, gate, up, stroke)
    b += b"\xfeMET\x04\x04\0\0\0\0\xfeFLT" + bytes((28, 0, 23, 0, 19, 0, 14, 0, 9, 0, 4, 0))
    return bytes(b + b"\xfeEND")


NOTES = [[1920 + 10 * k, 2160, note, 100, 6 - k] for k, note in enumerate((40, 45, 50, 55, 59, 64))]
NOTES += [[2400, 2880, note, 90, s + 1] for s, note in enumerate((67, 62, 59, 55, 50, 43))]


class ExportSmf(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())

    def song(self, **kwargs):
        path = os.path.join(self.dir, "song.cz0")
        with open(path, "wb") as f:
            f.write(song_bytes(**kwargs))
        return path

    def run_cli(self, *args):
        return subprocess.run([CLI, "export-smf", *args], capture_output=True, text=True,
                              cwd=self.dir)

    def export_and_check(self, song, layout, args, **want):
        result = self.run_cli(song, "out.mid", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        problems = []
        want = {"tempo": 625000, "time_signatures": [[0, 4, 4]], "end_tick": 2880,
                "notes": NOTES, "controllers": [], "reset": None, **want}
        # The name event must hold the absolute path although OUT was relative.
        check_smf.check(os.path.join(self.dir, "out.mid"), layout, want, problems.append)
        self.assertEqual(problems, [])

    def test_defaults_are_those_the_dialog_opens_with(self):
        self.export_and_check(self.song(), "single", [], channel=2, program=26)

    def test_every_option_given(self):
        self.export_and_check(
            self.song(), "multi",
            ["--format", "1m", "--reset", "gs", "--channel", "10", "--program", "30",
             "--volume", "100", "--reverb", "0", "--chorus", "127"],
            channel=9, program=30, reset=[0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41],
            controllers=[[1450, 7, 100], [1460, 91, 0], [1470, 93, 127]])

    def test_refusals_and_failures_write_nothing(self):
        cases = [(2, ["--channel", "0"]), (2, ["--channel", "17"]), (2, ["--channel", "x"]),
                 (2, ["--program", "23"]), (2, ["--program", "31"]), (2, ["--volume", "128"]),
                 (2, ["--reverb", "-1"]), (2, ["--format", "2"]), (2, ["--reset", "mt32"]),
                 (1, dict(magic=b"CZ0100")), (1, dict(tempo=b"9x")), (1, dict(tempo=b"500")),
                 (1, dict(channel=16)), (1, None)]
        for code, case in cases:
            with self.subTest(case=case):
                song = os.path.join(self.dir, "none.cz0") if case is None else self.song(
                    **(case if isinstance(case, dict) else {}))
                result = self.run_cli(song, "bad.mid", *(case if isinstance(case, list) else []))
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertRegex(result.stderr, r"^cadenzo-cli: [^\n]+\n$")
                self.assertFalse(os.path.exists(os.path.join(self.dir, "bad.mid")))
        out = os.path.join(self.dir, "no such folder", "out.mid")
        result = self.run_cli(self.song(), out)
        self.assertEqual(result.returncode, 1)
        self.assertIn(f'Cannot write "{out}"', result.stderr)


if __name__ == "__main__":
    CLI = os.path.abspath(sys.argv.pop(1))
    unittest.main()
