#pragma once

#include "model/guitar.h"

#include <array>

namespace cadenzo {

inline constexpr int CHORD_ROOTS = 12;
inline constexpr int CHORD_TYPES = 24;
inline constexpr int CHORD_POSITIONS = 3;

// The built-in voicings, hand-made for standard tuning: [root 0..11 (C..B)][type 0..23 (the
// Chord2 items)][position 0..2 (low, middle, high)][string 0..5], each a fret 0..14 or SILENT.
// Stored in that nesting order, 5184 bytes.
using ChordTable =
    std::array<std::array<std::array<Frets, CHORD_POSITIONS>, CHORD_TYPES>, CHORD_ROOTS>;
extern const ChordTable chordTable;

static_assert(sizeof(ChordTable) == 5184, "the table is 12 x 24 x 3 x 6 bytes");

} // namespace cadenzo
