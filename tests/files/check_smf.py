#!/usr/bin/python3
"""Reads exported Standard MIDI Files with mido and compares them with what the song says.

Usage: check_smf.py EXPECTATIONS.json
{"files": [[path, layout], ...] with layout "format0", "single" or "multi",
 "tempo": microseconds per quarter, "time_signatures": [[tick, num, den], ...],
 "channel": 0-based, "program": n, "controllers": [[tick, number, value], ...],
 "reset": data bytes between F0 and F7 or null, "end_tick": n,
 "notes": [[on_tick, off_tick, note, velocity, string 1..6], ...]}
The name event must hold the file's path. Prints one line per difference; exits 1 if any.
"""
import json, sys  # noqa: E401
from itertools import accumulate
import mido

LAYOUTS = {"format0": (0, 1), "single": (1, 2), "multi": (1, 7)}
META = {"set_tempo": ("tempo", "tempo"), "track_name": ("name", "name"),
        "time_signature": ("meter", "numerator", "denominator", "clocks_per_click",
                           "notated_32nd_notes_per_beat")}


def check(path, layout, want, fail):
    try:
        mid = mido.MidiFile(path, clip=False)  # refuses data bytes above 127
    except Exception as error:
        return fail(f"mido cannot read it: {error!r}")
    if (mid.type, len(mid.tracks), mid.ticks_per_beat) != LAYOUTS[layout] + (480,):
        return fail(f"format {mid.type}, {len(mid.tracks)} tracks, division {mid.ticks_per_beat}")
    note_tracks = [0] if layout == "format0" else list(range(1, len(mid.tracks)))
    meta, found = [], []
    for index, track in enumerate(mid.tracks):
        events = list(zip(accumulate(m.time for m in track), track))  # absolute ticks
        ends = [t for t, m in events if m.type == "end_of_track"]
        if ends != [want["end_tick"]] or events[-1][1].type != "end_of_track":
            fail(f"track {index}: end of track {ends}, expected only {want['end_tick']}, last")
        meta += [(index, tick, META[m.type][0], *(getattr(m, a) for a in META[m.type][1:]))
                 for tick, m in events if m.type in META]
        # The reset only in the first track with notes; program and controllers in every one.
        setup = [(t, m.type, m.channel, m.program) if m.type == "program_change" else
                 (t, m.type, m.channel, m.control, m.value) if m.type == "control_change" else
                 (t, m.type, list(m.data))
                 for t, m in events if m.type in ("program_change", "control_change", "sysex")]
        expected = ([(0, "sysex", want["reset"])]
                    if want["reset"] is not None and index == note_tracks[0] else [])
        if index in note_tracks:
            expected += [(1440, "program_change", want["channel"], want["program"])] + [
                (t, "control_change", want["channel"], n, v) for t, n, v in want["controllers"]]
        if setup != expected:
            fail(f"track {index}: set-up {setup}, expected {expected}")
        # Pair every note-on with the next note-off of the same note.
        pending = {}
        for tick, m in ((t, m) for t, m in events if m.type in ("note_on", "note_off")):
            if m.channel != want["channel"]:
                fail(f"track {index}: note on channel {m.channel} at {tick}")
            if m.type == "note_on" and m.velocity > 0:
                pending.setdefault(m.note, []).append((tick, m.velocity))
            elif pending.get(m.note):  # (on, velocity, off, note, track)
                found.append((*pending[m.note].pop(0), tick, m.note, index))
            else:
                fail(f"track {index}: note-off of {m.note} at {tick} without a note-on")
        if any(pending.values()):
            fail(f"track {index}: notes never released: {pending}")

    expected_meta = [(0, 0, "name", path), (0, 0, "tempo", want["tempo"])] + [
        (0, t, "meter", n, d, 24, 8) for t, n, d in want["time_signatures"]]
    if sorted(meta) != sorted(expected_meta):
        fail(f"meta events {meta}, expected {expected_meta}")
    expected_notes = sorted((on, velocity, off, note,
                             string if layout == "multi" else note_tracks[0])
                            for on, off, note, velocity, string in want["notes"])
    if sorted(found) != expected_notes:
        missing, extra = (sorted(set(a) - set(b))[:5] for a, b in
                          ((expected_notes, found), (found, expected_notes)))
        fail(f"{len(found)} notes, expected {len(expected_notes)}; missing {missing}; "
             f"unexpected {extra}")


if __name__ == "__main__":  # the command-line tool's tests import check() alone
    want, problems = json.load(open(sys.argv[1], encoding="utf-8")), []
    for path, layout in want["files"]:
        check(path, layout, want, lambda text, path=path: problems.append(f"{path}: {text}"))
    print("\n".join(problems + [f"checked {len(want['files'])} files, {len(problems)} problems"]))
    sys.exit(1 if problems else 0)
