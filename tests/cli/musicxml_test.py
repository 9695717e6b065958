#!/usr/bin/python3
"""cadenzo-cli export-musicxml. Usage: musicxml_test.py PATH/TO/cadenzo-cli [CLASS]
Golden: a small song against tests/files/data/small.musicxml, byte for byte, also inside .mxl.
MuseScore: MuseScore 3 opens the exports of random songs and writes MIDI files, read with mido:
it finds them valid, and each event's sounding pitches start at its tick, in its stroke's order,
at the song's tempo and under its time signatures."""
import json, os, pathlib, random, re, subprocess, sys, unittest, zipfile  # noqa: E401

from itertools import accumulate

import mido
import cli_test
from cli_test import CliTest, song_bytes

GOLDEN = pathlib.Path(__file__).parent.parent / "files" / "data" / "small.musicxml"
X = 255  # a silent string
# Standard, Drop D, Open G, DADGAD, a half step down, Open D up an octave on the highest strings.
TUNINGS = [(28, 23, 19, 14, 9, 4), (28, 23, 19, 14, 9, 2), (26, 23, 19, 14, 7, 2),
           (26, 21, 19, 14, 9, 2), (27, 22, 18, 13, 8, 3), (38, 33, 30, 26, 21, 14)]
METERS = [(4, 4), (3, 4), (2, 4), (6, 8), (5, 8), (7, 16), (2, 2), (3, 8), (1, 16), (9, 8)]


class Golden(CliTest):
    def test_small_song_is_written_byte_for_byte(self):
        # Em7 strummed down with a gate of 148 in 3/4, a note tied into a 2/4 bar, a triplet.
        events = [(0, (X, X, X, 2, X, 0), 100, 148, 0, 60, 5, 5), (360, (3, X, X, X, X, X), 90,
                  1200, 1, 0), (1760, (X, 1, X, X, X, X), 90, 80, 0, 0, 1, 0)]
        song = self.song(events=events, meters=((3, 4, 0), (2, 4, 2)))
        self.run_cli("export-musicxml", song, "small.musicxml", "--grid", "16")
        self.assertEqual(pathlib.Path(self.dir, "small.musicxml").read_text(), GOLDEN.read_text())
        # The compressed form under a name in capitals, read with a zip reader that checks the CRCs.
        self.assertEqual(self.run_cli("export-musicxml", song, "small.MXL").returncode, 0)
        with zipfile.ZipFile(os.path.join(self.dir, "small.MXL")) as mxl:
            self.assertEqual((mxl.testzip(), mxl.namelist()[0], mxl.read("mimetype")),
                             (None, "mimetype", b"application/vnd.recordare.musicxml"))
            path = re.search(r'full-path="([^"]+)"', mxl.read("META-INF/container.xml").decode())
            self.assertEqual(mxl.read(path[1]).decode(), GOLDEN.read_text())


def random_song(rng):
    """A song on the sixteenth grid, or one time in four on the triplet grid (bars of whole
    eighths then, so that the triplet grid starts again at every bar)."""
    unit = rng.choice((120, 120, 120, 80))
    meters, bar = [], 0
    while bar < 12:
        meters.append((*rng.choice(METERS[:5] + METERS[6:8] if unit == 80 else METERS), bar))
        bar += rng.randrange(1, 4)
    events, tick, tempo = [], rng.choice((0, 2 * unit, 5 * unit)), rng.randrange(30, 301)
    for _ in range(rng.randrange(4, 20)):
        frets = [X if rng.random() < 0.3 else rng.randrange(13) for _ in range(6)]
        gate = rng.choice((1, 40, 60, 119, 148, 200, 480, rng.randrange(1, 4000)))
        stroke = rng.choice((-30, 0, 6, 60, 300))
        events.append((tick, frets, 100, gate, rng.randrange(2), stroke))
        # MuseScore spreads an arpeggio by about 60 ms a note whatever its length: it keeps clear
        # of the next chord, so that every note-on tells its chord.
        least = -(-tempo * 10 // 3 // unit) if stroke >= 6 else 1
        tick += unit * max(rng.choice((1, 1, 2, 3, 5, 8, 16, 40)), least)
    return dict(events=events, meters=meters, tuning=rng.choice(TUNINGS), tempo=str(tempo).encode())


def sounding(event, tuning):
    """The pitches of the strings the event sounds, as playback has them, in stroke order."""
    _, frets, _, gate, up, stroke = event
    order = range(6) if up == 1 else range(5, -1, -1)
    spread, place, found = max(0, stroke // 6), 0, []
    for s in order:
        if frets[s] != X:
            if place <= gate and frets[s] + tuning[s] + 36 <= 127:
                found.append(frets[s] + tuning[s] + 36)
            place += spread
    return found


class MuseScore(CliTest):
    def test_musescore_reads_every_random_song_event_by_event(self):
        seed = int(os.environ.get("CADENZO_SEED", 20261207))  # another seed explores further
        rng, jobs, songs = random.Random(seed), [], []
        for n in range(20):
            songs.append(random_song(rng))
            pathlib.Path(self.dir, f"{n}.cz0").write_bytes(song_bytes(**songs[-1]))
            result = self.run_cli("export-musicxml", f"{n}.cz0", f"{n}.musicxml")
            self.assertEqual(result.returncode, 0, result.stderr)
            jobs.append({"in": f"{n}.musicxml", "out": f"{n}.mid"})
        pathlib.Path(self.dir, "jobs.json").write_text(json.dumps(jobs))
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", **{v: self.dir for v in (
            "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR")})
        log = subprocess.run(["mscore3", "-j", "jobs.json"], cwd=self.dir, env=env, text=True,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout
        self.assertEqual(re.findall(r"\S+ is not a valid MusicXML", log), [])  # its schema
        for n, song in enumerate(songs):
            with self.subTest(song=n, seed=seed):
                self.check(os.path.join(self.dir, f"{n}.mid"), song)

    def check(self, path, song):
        ons, metas = [], []
        for track in mido.MidiFile(path).tracks:
            for tick, m in zip(accumulate(m.time for m in track), track):
                if m.type == "note_on" and m.velocity > 0:
                    ons.append((tick, m.note))
                elif m.type == "set_tempo":
                    metas.append((tick, "tempo", round(mido.tempo2bpm(m.tempo))))
                elif m.type == "time_signature":
                    metas.append((tick, "meter", (m.numerator, m.denominator)))
        # A note-on belongs to the last event before it sounding its pitch (maybe on two strings).
        wanted = {e[0]: (p, e) for e in song["events"] if (p := sounding(e, song["tuning"]))}
        got = {t: [] for t in wanted}
        for tick, note in sorted(set(ons)):  # the tablature staff may double the notes
            owner = max((t for t, w in wanted.items() if t <= tick and note in w[0] and
                         [n for _, n in got[t]].count(note) < w[0].count(note)), default=None)
            self.assertIsNotNone(owner, f"note {note} at {tick} of no event")
            got[owner].append((tick, note))
        for tick, (pitches, (_, _, _, _, up, stroke)) in wanted.items():
            notes = got[tick]
            self.assertEqual(sorted({n for _, n in notes}), sorted(set(pitches)), f"at {tick}")
            self.assertEqual(notes[0][0], tick, f"chord at {tick}")
            if stroke >= 6:  # arpeggiated in the stroke's direction: an up stroke from the top
                first, last = {n: t for t, n in reversed(notes)}, {n: t for t, n in notes}
                order = (first[max(pitches)], last[min(pitches)]) if up == 1 else (
                    first[min(pitches)], last[max(pitches)])
                self.assertEqual(order, (tick, notes[-1][0]), "stroke order")
        # The tempo at 0, and the signatures of the bars up to the last event at their ticks.
        meter = [[(n, d) for n, d, first in song["meters"] if first <= b][-1] for b in range(200)]
        want, start = [(0, "tempo", int(song["tempo"]))], 0
        for b in range(1, 200):
            if start <= max(wanted, default=0) and (b == 1 or meter[b] != meter[b - 1]):
                want.append((start, "meter", meter[b]))
            start += 1920 * meter[b][0] // meter[b][1]
        self.assertEqual(sorted(m for m in metas if m[0] <= max(wanted, default=0)), sorted(want))


if __name__ == "__main__":
    cli_test.CLI = os.path.abspath(sys.argv.pop(1))
    unittest.main()
