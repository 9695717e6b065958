#pragma once

#include "model/guitar.h"

#include <optional>
#include <string_view>

namespace cadenzo {

// A chord as a chart writes it: root, one of the chord list's types and, after a slash, the note
// the player wants lowest.
struct ChordSymbol {
    int root = 0;  // 0..11, C..B
    int type = 0;  // Chord2 item 0..23
    int bass = -1; // 0..11, or -1 when the name has no "/note"
    bool operator==(const ChordSymbol&) const = default;
};

// Reads a chord name as charts spell it: a root C..B with one # or b (or the Unicode sharp or
// flat sign), then one of the 24 chord types under the list's own spelling or
// a usual one ("m", "min" or "-"; "Maj7", "maj7", "M7" or "Δ7"; "m7b5" or "ø"; "dim" or "°";
// "aug" or "+"; "69" or "6/9"; "sus" ...), then an optional "/note". Anything else, a type the
// lists do not have such as "add9" or "13" included, is refused (nullopt) rather than guessed.
// Any thread.
std::optional<ChordSymbol> parseChordSymbol(std::string_view name);

// The pitch class 0..11 of the lowest note the frets sound in the tuning, -1 when all strings
// are silent. Any thread.
int lowestPitchClass(const Frets& frets, const Frets& tuning);

// The position 0..2 a chord is played at: the wanted position, unless the chord names a bass
// that the wanted voicing does not have lowest and another position's voicing does (the nearest
// such position, the lower one on a tie). Voicings as tunedVoicing gives them for the tuning.
// Any thread.
int positionForBass(const ChordSymbol& chord, int wanted, const Frets& tuning);

} // namespace cadenzo
