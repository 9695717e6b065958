#!/usr/bin/python3
"""cadenzo-cli render (argument: its path): each note's onset in the WAV file, read with Python's
wave module, against the note-on's time in the engine's schedule (play --dry-run); bad input."""
import array, os, pathlib, random, struct, subprocess, sys, tempfile, unittest, wave  # noqa: E401

PERIOD_S = 0.002  # the playback timer's period: dry-run callback n is sent at n * 2 ms


def song_bytes(events, program=80):
    """A song file from its layout at tempo 60; events are (tick, frets, velocity, gate)."""
    b = bytearray(b"CZ0200" + struct.pack("<I", len(events)) + b"\xfeNAMsample\xfeTMP60\0\0")
    b += b"\xfePRG" + bytes([3, program, program, 100]) + b"\xfeNOT"
    for tick, frets, velocity, gate in events:
        b += struct.pack("<I6sBxiB3xi4x", tick, bytes(frets), velocity, gate, 0, 0)
    tuning = bytes((28, 0, 23, 0, 19, 0, 14, 0, 9, 0, 4, 0))
    return bytes(b + b"\xfeMET\x04\x04\0\0\0\0\xfeFLT" + tuning + b"\xfeEND")


def onsets(path):
    """Frames where sound begins after 50 ms of silence and is clearly a note within 2 ms."""
    with wave.open(path) as w:
        rate, pcm = w.getframerate(), array.array("h", w.readframes(w.getnframes()))
    amp = [abs(pcm[i]) + abs(pcm[i + 1]) for i in range(0, len(pcm), 2)]
    found, last_sound = [], -rate
    for i, a in enumerate(amp):
        if a > 1 and i - last_sound > rate // 20 and max(amp[i:i + rate // 500]) > 200:
            found.append(i)
        last_sound = i if a > 1 else last_sound
    return rate, found


class Render(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())
        self.song = os.path.join(self.dir, "song.cz0")
        rng = random.Random(17)
        # Single strings two seconds apart at odd ticks: each onset stands against silence and
        # falls anywhere within the synthesizer's 64-frame blocks.
        events = [(960 * k + rng.randrange(240), [0xFF] * 6, rng.randrange(40, 128), 60)
                  for k in range(10)]
        for _, frets, _, _ in events:
            frets[rng.randrange(6)] = rng.randrange(13)
        pathlib.Path(self.song).write_bytes(song_bytes(events))
        self.ticks = [e[0] for e in events]

    def run_cli(self, *args):
        return subprocess.run([CLI, *args], capture_output=True, text=True, cwd=self.dir)

    def test_every_onset_within_a_millisecond_of_the_schedule(self):
        for rate, first in ((22050, 0), (48000, 5)):
            out, start = os.path.join(self.dir, f"{rate}.wav"), str(self.ticks[first])
            rendered = self.run_cli("render", self.song, out, "--sample-rate", str(rate),
                                    "--from", start)
            self.assertEqual(rendered.returncode, 0, rendered.stderr)
            dry = self.run_cli("play", self.song, "--dry-run", "--from", start).stdout
            note_ons = [int(f[0]) for f in map(str.split, dry.splitlines())
                        if f[1][0] == "9" and f[3] != "00"]
            got_rate, found = onsets(out)
            errors_ms = [(frame / rate - n * PERIOD_S) * 1000 for n, frame in zip(note_ons, found)]
            self.assertEqual((got_rate, len(note_ons), len(found)), (rate, 10 - first, 10 - first))
            self.assertLess(max(map(abs, errors_ms)), 1.0, errors_ms)

    def test_bad_input_is_refused_in_one_line_and_an_existing_file_kept(self):
        song, out = self.song, os.path.join(self.dir, "out.wav")
        pathlib.Path(out).write_bytes(b"previous")
        for args, code, message in [  # arguments, exit code, part of the message
                ([song, out, "--sample-rate", "4000"], 2, "--sample-rate must be from 8000"),
                ([song, out, "--from", "-1"], 2, "--from must be a tick"),
                ([song, out, "--from", str(self.ticks[-1] + 1)], 1, "no event lies at or after"),
                ([song, out, "--soundfont", "no.sf2"], 1, 'Cannot open the SoundFont "no.sf2"'),
                ([song, out, "--soundfont", song], 1, 'song.cz0" is not a SoundFont.'),
                (["no.cz0", out], 1, 'Cannot open "no.cz0"'),
                ([song, "no/out.wav"], 1, 'there is no folder "no"'),
                ([song, song], 2, "is the song file itself")]:
            result = self.run_cli("render", *args)
            self.assertEqual((result.returncode, result.stderr.count("\n")), (code, 1), args)
            self.assertIn(message, result.stderr)
        self.assertEqual(pathlib.Path(out).read_bytes(), b"previous")
        self.assertEqual(sorted(os.listdir(self.dir)), ["out.wav", "song.cz0"])


if __name__ == "__main__":
    CLI = os.path.abspath(sys.argv.pop(1))
    unittest.main()
