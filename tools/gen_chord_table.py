#!/usr/bin/python3
"""Writes src/model/chord_table.cpp, the chord dictionary of Cadenzo.

The table is generated once, reviewed and committed; the program never computes it. Run
    /usr/bin/python3 tools/gen_chord_table.py > src/model/chord_table.cpp
and read the summary it prints on stderr before committing a changed table.

How the voicings are made. Every type has three hand-made fingerings for root C (low, middle,
high), and the low fingerings of major, minor and seventh are hand-made for all twelve roots.
Every other voicing is one of the three C fingerings of its type moved along the neck (every
played string, open strings included, shifted by the same number of frets; silent strings stay
silent) so that all frets stay within 0..14. The move is normally the distance between the roots
(or that distance less twelve); a move by another distance is allowed, at a cost, when the moved
fingering still sounds only tones of the chord (the symmetric diminished and augmented chords, the
rootless upper part of 7b9). Of those candidates:
  L  takes the lowest one (nearest the nut: open-string shapes in some keys, barres in others),
     moved by the distance between the roots unless that stays above NEAR_NUT;
  M  and H take the pair nearest the heights of the C middle and high fingerings, kept in order
     (L <= M <= H) and, where the candidates allow, different from each other and from L;
where the height of a voicing is the mean fret of its played strings. Ties go to the fingering
that C uses at the same position, then to the smaller move. A few voicings are fixed by hand in
FIXED below. Every voicing is checked to sound only tones of its chord in standard tuning.
The rule alone gives the hand-made low major, minor and seventh of every root.
"""

import sys

X = 255
STANDARD = [28, 23, 19, 14, 9, 4]
ROOTS = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
TYPES = ["M", "m", "6", "m6", "7", "m7", "Maj7", "mMaj7", "m7b5", "sus4", "7sus4", "mb5", "dim",
         "aug", "9", "M9", "69", "9#5", "9b5", "7b9", "7#9", "m9", "mM9", "m69"]
TONES = {
    "M": {0, 4, 7}, "m": {0, 3, 7}, "6": {0, 4, 7, 9}, "m6": {0, 3, 7, 9},
    "7": {0, 4, 7, 10}, "m7": {0, 3, 7, 10}, "Maj7": {0, 4, 7, 11}, "mMaj7": {0, 3, 7, 11},
    "m7b5": {0, 3, 6, 10}, "sus4": {0, 5, 7}, "7sus4": {0, 5, 7, 10}, "mb5": {0, 3, 6},
    "dim": {0, 3, 6, 9}, "aug": {0, 4, 8}, "9": {0, 2, 4, 7, 10}, "M9": {0, 2, 4, 7, 11},
    "69": {0, 2, 4, 7, 9}, "9#5": {0, 2, 4, 8, 10}, "9b5": {0, 2, 4, 6, 10},
    "7b9": {0, 1, 4, 7, 10}, "7#9": {0, 3, 4, 7, 10}, "m9": {0, 2, 3, 7, 10},
    "mM9": {0, 2, 3, 7, 11}, "m69": {0, 2, 3, 7, 9},
}

# The hand-made fingerings of root C, strings 0..5, positions L | M | H.
C_VOICINGS = """
M     | 0 1 0 2 3 0    | 3 5 5 5 3 3     | 8 8 9 10 10 8
m     | 3 4 5 5 3 3    | 8 8 8 10 10 8   | 11 13 12 10 10 x
6     | 3 1 2 2 x x    | 5 5 5 5 3 3     | x 10 9 10 10 x
m6    | 3 1 2 1 3 x    | 5 4 5 5 x x     | 8 10 8 10 10 8
7     | x 1 3 2 3 x    | 3 5 3 5 3 3     | 8 8 9 8 10 8
m7    | 3 4 3 5 3 3    | 8 8 8 8 10 8    | 11 11 12 10 10 x
Maj7  | 3 5 4 5 3 3    | 8 8 9 9 10 8    | 7 8 9 10 x x
mMaj7 | 3 4 4 5 3 3    | 8 8 8 9 10 8    | 11 12 12 10 10 x
m7b5  | x 4 3 4 3 x    | x 7 8 8 x 8     | 11 11 11 10 x x
sus4  | 3 6 5 5 3 3    | 8 8 10 10 10 8  | 13 13 12 10 10 x
7sus4 | 3 6 3 5 3 3    | 8 8 10 8 10 8   | 13 11 12 10 10 x
mb5   | x 4 5 4 3 x    | x 7 5 4 6 x     | 11 13 11 10 x x
dim   | 2 1 2 1 x x    | 2 4 2 4 3 2     | x 4 5 4 x 5
aug   | x 1 1 2 3 4    | 4 1 1 2 3 x     | 4 5 5 6 x x
9     | 3 3 3 2 3 x    | 3 3 3 5 3 x     | 10 8 9 8 10 8
M9    | 0 0 0 0 3 x    | 7 5 5 5 5 x     | 12 12 12 10 10 10
69    | 3 3 2 2 3 x    | 5 5 5 5 5 x     | 8 8 7 7 7 8
9#5   | 0 1 1 0 1 x    | 4 3 3 2 3 x     | 6 5 5 6 5 x
9b5   | 2 3 3 2 3 x    | 8 7 7 8 7 8     | 10 11 9 10 9 x
7b9   | 3 2 3 2 3 x    | 3 2 3 2 3 x     | 6 5 6 5 x x
7#9   | x 4 3 2 3 x    | x 8 8 8 7 8     | 11 11 9 10 x x
m9    | 3 3 3 1 3 x    | 10 8 8 8 10 8   | 11 11 12 10 10 10
mM9   | x 3 4 1 2 x    | 10 8 8 9 10 8   | 10 12 12 13 x x
m69   | 3 3 2 1 3 x    | 10 8 8 7 x 8    | 11 10 12 10 10 10
"""
# C mb5 H is the minor high fingering with its fifth lowered (D# C F# C); the fingering
# 10 8 9 7 7 x once written there sounds D G E A E, no tone of C mb5.

# The hand-made low fingerings of major, minor and seventh for every root.
L_VOICINGS = """
C  | 0 1 0 2 3 0 | 3 4 5 5 3 3 | x 1 3 2 3 x
C# | 1 2 1 3 4 1 | 4 5 6 6 4 4 | x 2 4 3 4 x
D  | 2 3 2 4 5 2 | 1 3 2 0 0 x | x 3 5 4 5 x
D# | 3 4 3 5 6 3 | 2 4 3 1 1 x | x 4 6 5 6 x
E  | 0 0 1 2 2 0 | 0 0 0 2 2 0 | 0 0 1 0 2 0
F  | 1 1 2 3 3 1 | 1 1 1 3 3 1 | 1 1 2 1 3 1
F# | 2 2 3 4 4 2 | 2 2 2 4 4 2 | 2 2 3 2 4 2
G  | 3 3 4 5 5 3 | 3 3 3 5 5 3 | 3 3 4 3 5 3
G# | 4 4 5 6 6 4 | 4 4 4 6 6 4 | 4 4 5 4 6 4
A  | 0 2 2 2 0 0 | 0 1 2 2 0 0 | 0 2 0 2 0 0
A# | 1 3 3 3 1 1 | 1 2 3 3 1 1 | 1 3 1 3 1 1
B  | 2 4 4 4 2 2 | 2 3 4 4 2 2 | x 0 2 1 2 x
"""

# Voicings fixed by hand where the rule above would choose otherwise: (root, type, position).
FIXED = {
    # The diminished shape 2 1 2 1 x x also serves G# 7b9 at the low and the middle position, as
    # C 7b9 uses one fingering for both; chord recognition names the shape G# 7b9.
    ("G#", "7b9", 0): "2 1 2 1 x x",
    ("G#", "7b9", 1): "2 1 2 1 x x",
}
# Recognition names a shape after the last chord in table order that holds it, so no chord after
# G# 7b9 may use this one, and no chord except C dim and G# 7b9 gets it by the rule.
RESERVED = (2, 1, 2, 1, X, X)

# Remarks written beside a row of the generated table.
NOTES = {
    ("C", "mb5"): "mb5 H: the minor high fingering with its fifth lowered.",
    ("G#", "7b9"): "7b9 L and M: the C dim shape; recognition names it G# 7b9.",
}


def parse(text):
    return tuple(X if v == "x" else int(v) for v in text.split())


def height(frets):
    played = [f for f in frets if f != X]
    return sum(played) / len(played)


def moved(frets, d):
    out = tuple(f if f == X else f + d for f in frets)
    return out if all(f == X or 0 <= f <= 14 for f in out) else None


def sounds_only(frets, root, kind):
    return all((f + STANDARD[s] - root) % 12 in TONES[kind]
               for s, f in enumerate(frets) if f != X)


# Costs of the middle and high choice, in frets of distance from the target height. A voicing
# that repeats the low one, or a high one that repeats the middle one:
REPEAT_COST = 8.0
# A move other than the distance between the roots:
ODD_MOVE_COST = 4.0
# The low voicing keeps the distance between the roots when that leaves it this near the nut:
NEAR_NUT = 5.0
# A voicing not made from the fingering C uses at the same position:
OTHER_SHAPE_COST = 0.25


def candidates(r, kind, shapes):
    """Every C fingering of the type moved so that it fits 0..14 and sounds only chord tones."""
    out = []  # (shape position, move, frets, odd move)
    for sp, shape in enumerate(shapes):
        for d in range(-14, 15):
            m = moved(shape, d)
            if m is None or m == RESERVED or not sounds_only(m, r, kind):
                continue
            out.append((sp, d, m, (d - r) % 12 != 0))
    return out


def pick_row(r, shapes, cands, fixed):
    """Chooses L, M and H of one root and type; fixed maps a position to its hand-made voicing."""
    if r == 0:
        return list(shapes)
    if 0 in fixed:
        low = (0, 0, fixed[0], False)
    else:
        order = lambda c: (height(c[2]), c[0] != 0, abs(c[1]))
        low = min((c for c in cands if not c[3]), key=order, default=None)
        if low is None or height(low[2]) > NEAR_NUT:
            low = min(cands, key=order)
    mids = [(1, 0, fixed[1], False)] if 1 in fixed else cands
    highs = [(2, 0, fixed[2], False)] if 2 in fixed else cands
    target_m, target_h = height(shapes[1]), height(shapes[2])
    best = None
    for mid in mids:
        for high in highs:
            h_l, h_m, h_h = height(low[2]), height(mid[2]), height(high[2])
            if not h_l <= h_m <= h_h:
                continue
            cost = abs(h_m - target_m) + abs(h_h - target_h)
            cost += REPEAT_COST * ((mid[2] == low[2]) + (high[2] == low[2]) + (high[2] == mid[2]))
            cost += ODD_MOVE_COST * (mid[3] + high[3])
            cost += OTHER_SHAPE_COST * ((mid[0] != 1) + (high[0] != 2))
            key = (cost, abs(mid[1]), abs(high[1]))
            if best is None or key < best[0]:
                best = (key, mid, high)
    return [low[2], best[1][2], best[2][2]]


def build():
    c_rows = {}
    for line in C_VOICINGS.strip().splitlines():
        name, *cells = [c.strip() for c in line.split("|")]
        c_rows[name] = [parse(c) for c in cells]
    fixed = {}
    for line in L_VOICINGS.strip().splitlines():
        root, *cells = [c.strip() for c in line.split("|")]
        for kind, cell in zip(["M", "m", "7"], cells):
            fixed[(root, kind, 0)] = parse(cell)
    for key, text in FIXED.items():
        fixed[key] = parse(text)

    table = {}
    for r, root in enumerate(ROOTS):
        for kind in TYPES:
            shapes = c_rows[kind]
            mine = {p: fixed[(root, kind, p)] for p in range(3) if (root, kind, p) in fixed}
            row = pick_row(r, shapes, candidates(r, kind, shapes), mine)
            for p, frets in enumerate(row):
                assert sounds_only(frets, r, kind), (root, kind, p, frets)
                assert all(f == X or 0 <= f <= 14 for f in frets), (root, kind, p, frets)
            table[(r, kind)] = row
    holders = [(r, t, p) for r in range(12) for t, kind in enumerate(TYPES) for p in range(3)
               if table[(r, kind)][p] == RESERVED]
    assert holders[-1] == (8, TYPES.index("7b9"), 1), holders
    return table


def emit(table, out):
    def cell(frets):
        return "{" + ", ".join("X" if f == X else str(f) for f in frets) + "}"

    out.write("""\
// Generated once by tools/gen_chord_table.py, reviewed and kept as written; edit with care and
// keep the generator in step.
#include "model/chord_table.h"

namespace cadenzo {

namespace {
constexpr std::uint8_t X = SILENT;
} // namespace

// clang-format off
const ChordTable chordTable{{
""")
    for r, root in enumerate(ROOTS):
        out.write(f"    // {root}\n    {{{{\n")
        for kind in TYPES:
            row = table[(r, kind)]
            cells = ", ".join(cell(f) for f in row)
            if (root, kind) in NOTES:
                out.write(f"        // {NOTES[(root, kind)]}\n")
            out.write(f"        {{{{{cells}}}}}, // {kind}\n")
        out.write("    }},\n")
    out.write("""\
}};
// clang-format on

} // namespace cadenzo
""")


def summary(table, err):
    for p in range(3):
        hs = [height(row[p]) for row in table.values()]
        tops = [max(f for f in row[p] if f != X) for row in table.values()]
        lows = [min(f for f in row[p] if f != X) for row in table.values()]
        print(f"{'LMH'[p]}: mean height {sum(hs) / len(hs):.2f}, heights {min(hs):.2f}.."
              f"{max(hs):.2f}, lowest fret up to {max(lows)}, highest fret up to {max(tops)}",
              file=err)
    odd = [f"{ROOTS[r]} {kind} {'LMH'[p]}" for (r, kind), row in table.items()
           for p, v in enumerate(row)
           if not any(moved(shape, d) == v for shape in table[(0, kind)]
                      for d in (r - 12, r, r + 12))]
    print(f"moved by another distance than between the roots: {len(odd)}: {', '.join(odd)}",
          file=err)
    silent = sum(f == X for row in table.values() for v in row for f in v)
    print(f"silent entries: {silent} of 5184", file=err)
    shapes = {}
    for (r, kind), row in table.items():
        for p, v in enumerate(row):
            shapes.setdefault(v, []).append(f"{ROOTS[r]} {kind} {'LMH'[p]}")
    shared = {v: ks for v, ks in shapes.items() if len(ks) > 1}
    print(f"fingerings under more than one chord: {len(shared)}", file=err)
    for v, ks in shared.items():
        print(f"  {' '.join('x' if f == X else str(f) for f in v)}: {', '.join(ks)}", file=err)


if __name__ == "__main__":
    table = build()
    emit(table, sys.stdout)
    summary(table, sys.stderr)
