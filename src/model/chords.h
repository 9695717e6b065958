#pragma once

#include "model/chord_table.h"
#include "model/guitar.h"

#include <array>
#include <cstdint>
#include <string>

namespace cadenzo {

// The items of the two chord lists of the main window, exactly as shown. Chord1 item 0 " --"
// means no chord; items 1..12 are the roots C..B (chordTable root item - 1). Chord2 item t is
// chordTable type t; the last item carries a trailing blank.
inline constexpr int CHORD1_ITEMS = CHORD_ROOTS + 1;
extern const std::array<const char*, CHORD1_ITEMS> chord1Items;
extern const std::array<const char*, CHORD_TYPES> chord2Items;

// The item indexes the two chord lists show. The core never touches the lists themselves: the
// window passes their indexes in and shows what comes back.
struct ChordSelection {
    int chord1 = 0; // 0 " --", 1..12 " C" .. " B"
    int chord2 = 0; // 0 " M" .. 23 " m69 "

    bool operator==(const ChordSelection&) const = default;
};

// The voicing of chordTable[root][type][position] fretted so that it sounds the same pitches in
// the given tuning: fret + standardTuning - tuning per played string; silent strings stay silent.
// A string tuned above standard whose voicing has it open (Open E's third string, say) would
// need a fret below 0: it is left silent rather than wrapped to 255 or 254, which would either
// silence it by accident or keep a fret the neck cannot show. Frets above 24 (a guitar tuned far
// below standard) are kept as computed, as fretting wider than the drawn neck.
// root 0..11, type 0..23, position 0..2.
Frets tunedVoicing(int root, int type, int position, const Frets& tuning);

// Writes the voicing chosen by the chord lists and guitar.chordPos into frets, corrected for
// guitar.tuning, then moves the neck so that it is in view (findNeckPos). With Chord1 at " --"
// (or an index outside the lists) the frets stay as they are. Returns the position to set into
// the neckScrollBar scroll bar, which is neckPos in every case.
std::uint8_t applyChord(Guitar& guitar, ChordSelection shown);

// Names the chord frets holds. With ChordSearch off, returns shown unchanged. Otherwise Chord1
// becomes " --" and the table is searched root by root, type by type, position by position; every
// voicing that frets sounds in guitar.tuning (frets + tuning - standardTuning equals the entry, or
// both are silent) selects its root and type, so the last match in that order wins. Chord2 keeps
// its item when nothing matches; chordPos is never changed.
ChordSelection recognizeChord(const Guitar& guitar, bool chordSearch, ChordSelection shown);

// The chord name as the song's tablature shows it: the root item and, unless the type is " M",
// the type item, without their leading blanks and the trailing one ("C", "Cm7", "G#7b9", "Cm69").
// "--" when Chord1 is " --" or outside the list; a type outside the list shows the root alone.
std::string chordName(ChordSelection shown);

} // namespace cadenzo
