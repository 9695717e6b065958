#!/usr/bin/python3
"""cadenzo-cli on hand-made song files. Usage: cli_test.py PATH/TO/cadenzo-cli [CLASS]
ExportSmf: export-smf, the output read back with mido through ../files/check_smf.py.
Render: each note's onset in the WAV file, read with Python's wave module, against the note-on's
time in the engine's schedule (play --dry-run); bad input."""
import array, json, os, pathlib, random, struct, subprocess, sys, tempfile, unittest, wave  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "files"))
import check_smf  # noqa: E402

CLI = None
PERIOD_S = 0.002  # the playback timer's period: dry-run callback n is sent at n * 2 ms
# All strings open, stroked down 60 over gate 240 at 0; frets 3 3 4 5 5 3 stroked up at 480.
SMF_EVENTS = ((0, bytes(6), 100, 240, 0, 60), (480, bytes((3, 3, 4, 5, 5, 3)), 90, 480, 1, 0))


def song_bytes(events=SMF_EVENTS, tempo=b"96", channel=2, program=26, magic=b"CZ0200",
               meters=((4, 4, 0),), tuning=(28, 23, 19, 14, 9, 4)):
    """A song file from its layout; events are (tick, frets, velocity, gate, up, stroke[, root, type]), meters
    (num, den, first bar), tuning string 1 first."""
    b = bytearray(magic + struct.pack("<I", len(events)) + b"\xfeNAMsample")
    b += b"\xfeTMP" + tempo.ljust(4, b"\0") + b"\xfePRG" + bytes([channel, program, program, 100])
    b += b"\xfeNOT"
    for tick, frets, velocity, gate, up, stroke, *chord in events:  # chord: root item, type
        b += struct.pack("<I6sBxiB3xiBB2x", tick, bytes(frets), velocity, gate, up, stroke,
                         *(chord or (0, 0)))
    b += b"\xfeMET" + b"".join(struct.pack("<BBI", *m) for m in meters)
    b += b"\xfeFLT" + bytes(v for t in tuning for v in (t, 0))
    return bytes(b + b"\xfeEND")


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


class CliTest(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())

    def song(self, **kwargs):
        (path := pathlib.Path(self.dir, "song.cz0")).write_bytes(song_bytes(**kwargs))
        return str(path)

    def run_cli(self, *args, env=None):
        return subprocess.run([CLI, *args], capture_output=True, text=True, cwd=self.dir, env=env)


NOTES = [[1920 + 10 * k, 2160, note, 100, 6 - k] for k, note in enumerate((40, 45, 50, 55, 59, 64))]
NOTES += [[2400, 2880, note, 90, s + 1] for s, note in enumerate((67, 62, 59, 55, 50, 43))]


class ExportSmf(CliTest):
    def export_and_check(self, song, layout, args, **want):
        result, problems = self.run_cli("export-smf", song, "out.mid", *args), []
        self.assertEqual(result.returncode, 0, result.stderr)
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
                result = self.run_cli("export-smf", song, "bad.mid",
                                      *(case if isinstance(case, list) else []))
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertRegex(result.stderr, r"^cadenzo-cli: [^\n]+\n$")
                self.assertFalse(os.path.exists(os.path.join(self.dir, "bad.mid")))
        out = os.path.join(self.dir, "no such folder", "out.mid")
        result = self.run_cli("export-smf", self.song(), out)
        self.assertEqual((result.returncode, f'Cannot write "{out}"' in result.stderr), (1, True))


class Render(CliTest):
    def setUp(self):
        super().setUp()
        rng = random.Random(17)
        # Strings 2 s apart at odd ticks: onsets against silence, anywhere in a 64-frame block.
        events = [(960 * k + rng.randrange(240), [0xFF] * 6, rng.randrange(40, 128), 60, 0, 0)
                  for k in range(10)]
        for _, frets, *_ in events:
            frets[rng.randrange(6)] = rng.randrange(13)
        self.path = self.song(events=events, tempo=b"60", channel=3, program=80)
        self.ticks = [e[0] for e in events]

    def test_every_onset_within_a_millisecond_of_the_schedule(self):
        for rate, first in ((22050, 0), (48000, 5)):
            out, start = os.path.join(self.dir, f"{rate}.wav"), str(self.ticks[first])
            rendered = self.run_cli("render", self.path, out, "--sample-rate", str(rate),
                                    "--from", start)
            self.assertEqual(rendered.returncode, 0, rendered.stderr)
            dry = self.run_cli("play", self.path, "--dry-run", "--from", start).stdout
            note_ons = [int(f[0]) for f in map(str.split, dry.splitlines())
                        if f[1][0] == "9" and f[3] != "00"]
            got_rate, found = onsets(out)
            errors_ms = [(frame / rate - n * PERIOD_S) * 1000 for n, frame in zip(note_ons, found)]
            self.assertEqual((got_rate, len(note_ons), len(found)), (rate, 10 - first, 10 - first))
            self.assertLess(max(map(abs, errors_ms)), 1.0, errors_ms)

    def test_a_flac_name_in_any_case_writes_flac(self):
        self.assertEqual(self.run_cli("render", self.path, "song.Flac").returncode, 0)
        self.assertEqual(pathlib.Path(self.dir, "song.Flac").read_bytes()[:4], b"fLaC")

    def test_bad_input_is_refused_in_one_line_and_an_existing_file_kept(self):
        song, out = self.path, os.path.join(self.dir, "out.wav")
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


class ChordChart(CliTest):
    def test_a_chart_becomes_a_song_and_its_sheet(self):
        pathlib.Path(self.dir, "c.txt").write_text("{tempo: 80}\n| Am | % |\n3/4\n| D/F# E |\n")
        args = ["--pattern", "D-D-", "--tempo", "90", "--position", "H", "--tuning", "Drop D"]
        result = self.run_cli("import-chart", "c.txt", "c.cz0", *args)
        self.assertEqual((result.returncode, result.stdout),
                         (0, "Wrote c.cz0: 3 bars, 12 events\n"))
        info = json.loads(self.run_cli("info", "c.cz0").stdout)
        self.assertEqual((info["tempo"], info["tuning"]), ("90", [28, 23, 19, 14, 9, 2]))
        events = info["events"]  # D-D- twice in 4/4; E starts at 720 where the pattern rests
        self.assertEqual([e["tick"] for e in events],
                         [480 * k for k in range(9)] + [4320, 4560, 4800])
        lowest = min(f + t for f, t in zip(events[8]["frets"], info["tuning"]) if f < 255)
        self.assertEqual(lowest % 12, 6)  # F# is the lowest note of D/F#, in Drop D
        self.assertEqual(self.run_cli("export-chordpro", "c.cz0", "c.cho").returncode, 0)
        sheet = pathlib.Path(self.dir, "c.cho").read_text()
        self.assertEqual(self.run_cli("export-chordpro", "c.cz0", "-").stdout, sheet)
        self.assertIn("{tempo: 90}\n", sheet)
        self.assertTrue(sheet.endswith("{time: 4/4}\n| [Am] | |\n{time: 3/4}\n| [D] [E] |\n"))

    def test_bad_input_is_refused_in_one_line_and_nothing_written(self):
        pathlib.Path(self.dir, "c.txt").write_text("| C |\n| G Cadd9 |\n")
        for args, code, message in [(["c.txt"], 2, 'line 2, column 5: unknown chord name "Cadd9"'),
                                    (["c.txt", "--position", "X"], 2, "bad --position 'X'"),
                                    (["none.txt"], 1, 'Cannot open "none.txt"')]:
            result = self.run_cli("import-chart", *args[:1], "out.cz0", *args[1:])
            self.assertEqual((result.returncode, result.stderr.count("\n")), (code, 1), args)
            self.assertIn(message, result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "out.cz0")))


class DeviceAdvice(CliTest):
    def test_a_synthesizer_that_cannot_play_advises_the_options_of_the_terminal(self):
        no_audio = dict(os.environ, JACK_DEFAULT_SERVER=f"none-{os.getpid()}", PIPEWIRE_REMOTE="-",
                        PULSE_SERVER="unix:/none", ALSA_CONFIG_PATH=os.devnull)
        for args, env, why in [(["strum", "C", "M", "--soundfont", "no.sf2"], None, "for: no.sf2"),
                               (["play", self.song()], no_audio, "no JACK server is running")]:
            result = self.run_cli(*args, env=env)
            self.assertEqual(result.returncode, 1)
            self.assertRegex(result.stderr, rf"^[^\n]*{why}[^\n]* [Cc]hoose another device with "
                             r"--device N \(cadenzo-cli devices lists them\)\.\n$")


if __name__ == "__main__":
    CLI = os.path.abspath(sys.argv.pop(1))
    unittest.main()
