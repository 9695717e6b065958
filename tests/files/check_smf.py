#!/usr/bin/python3
"""Reads exported Standard MIDI Files with mido and compares them with what the song says.

Usage: check_smf.py EXPECTATIONS.json

The JSON holds a list "files"; each entry names a file and what it must contain:
  path, format (0 or 1), tracks, layout ("format0", "single", "multi"),
  tempo (microseconds per quarter), time_signatures [[tick, num, den], ...],
  name (text of the name event), channel (0-based), program,
  controllers [[tick, number, value], ...], reset (data bytes between F0 and F7, or null),
  end_tick, notes [[on_tick, off_tick, note, velocity, string], ...].
Exits 0 when every file matches, 1 with one line per difference otherwise.
"""
import json
import sys

import mido


def absolute(track):
    tick = 0
    for msg in track:
        tick += msg.time
        yield tick, msg


def check_file(spec, problems):
    path = spec["path"]

    def fail(text):
        problems.append(f"{path}: {text}")

    try:
        mid = mido.MidiFile(path, clip=False)
    except Exception as error:  # mido refuses a malformed file
        fail(f"mido cannot read the file: {error!r}")
        return

    if mid.type != spec["format"]:
        fail(f"format {mid.type}, expected {spec['format']}")
    if mid.ticks_per_beat != 480:
        fail(f"division {mid.ticks_per_beat}, expected 480")
    if len(mid.tracks) != spec["tracks"]:
        fail(f"{len(mid.tracks)} tracks, expected {spec['tracks']}")
        return

    layout = spec["layout"]
    conductor = 0
    note_tracks = [0] if layout == "format0" else list(range(1, len(mid.tracks)))

    tempos, signatures, names = [], [], []
    for index, track in enumerate(mid.tracks):
        events = list(absolute(track))
        if not events or events[-1][1].type != "end_of_track":
            fail(f"track {index} does not end with end of track")
        elif events[-1][0] != spec["end_tick"]:
            fail(f"track {index} ends at {events[-1][0]}, expected {spec['end_tick']}")
        if sum(1 for _, m in events if m.type == "end_of_track") != 1:
            fail(f"track {index} holds more than one end of track")
        for tick, msg in events:
            if msg.time < 0:
                fail(f"track {index}: negative delta at {tick}")
            if msg.type == "set_tempo":
                tempos.append((index, tick, msg.tempo))
            elif msg.type == "time_signature":
                signatures.append((index, tick, msg.numerator, msg.denominator,
                                   msg.clocks_per_click, msg.notated_32nd_notes_per_beat))
            elif msg.type == "track_name":
                names.append((index, tick, msg.name))

    if tempos != [(conductor, 0, spec["tempo"])]:
        fail(f"tempo events {tempos}, expected one of {spec['tempo']} at 0 in track 0")
    expected_signatures = [(conductor, t, n, d, 24, 8) for t, n, d in spec["time_signatures"]]
    if signatures != expected_signatures:
        fail(f"time signatures {signatures}, expected {expected_signatures}")
    if names != [(conductor, 0, spec["name"])]:
        fail(f"name events {names}, expected {spec['name']!r} at 0 in track 0")

    # Set-up messages: the reset only in the first track with notes, the program change and the
    # controllers in every track with notes, none in the conductor track of format 1.
    for index, track in enumerate(mid.tracks):
        events = list(absolute(track))
        sysex = [(t, list(m.data)) for t, m in events if m.type == "sysex"]
        want_reset = spec["reset"] is not None and index == note_tracks[0]
        if sysex != ([(0, spec["reset"])] if want_reset else []):
            fail(f"track {index}: system exclusive {sysex}")
        programs = [(t, m.channel, m.program) for t, m in events if m.type == "program_change"]
        controls = [(t, m.channel, m.control, m.value) for t, m in events
                    if m.type == "control_change"]
        if index in note_tracks:
            if programs != [(1440, spec["channel"], spec["program"])]:
                fail(f"track {index}: program changes {programs}")
            want = [(t, spec["channel"], n, v) for t, n, v in spec["controllers"]]
            if controls != want:
                fail(f"track {index}: controllers {controls}, expected {want}")
        elif programs or controls:
            fail(f"conductor track holds channel messages")

    # Notes: pair every note-on with the next note-off of the same note, track by track.
    found = []
    for index in range(len(mid.tracks)):
        pending = {}
        for tick, msg in absolute(mid.tracks[index]):
            if msg.type not in ("note_on", "note_off"):
                continue
            if index not in note_tracks:
                fail(f"conductor track holds a note at {tick}")
            if msg.channel != spec["channel"]:
                fail(f"track {index}: note on channel {msg.channel} at {tick}")
            if msg.type == "note_on" and msg.velocity > 0:
                pending.setdefault(msg.note, []).append((tick, msg.velocity))
            else:
                starts = pending.get(msg.note)
                if not starts:
                    fail(f"track {index}: note-off of {msg.note} at {tick} without a note-on")
                    continue
                on_tick, velocity = starts.pop(0)
                found.append((on_tick, tick, msg.note, velocity, index))
        for note, starts in pending.items():
            for on_tick, _ in starts:
                fail(f"track {index}: note {note} at {on_tick} is never released")

    expected = []
    for on_tick, off_tick, note, velocity, string in spec["notes"]:
        track = string if layout == "multi" else note_tracks[0]
        expected.append((on_tick, off_tick, note, velocity, track))
    if sorted(found) != sorted(expected):
        missing = sorted(set(expected) - set(found))[:5]
        extra = sorted(set(found) - set(expected))[:5]
        fail(f"{len(found)} notes, expected {len(expected)}; missing {missing}, unexpected {extra}")


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        specs = json.load(f)["files"]
    problems = []
    for spec in specs:
        check_file(spec, problems)
    for line in problems:
        print(line)
    print(f"checked {len(specs)} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
