#pragma once

#include <cstdint>
#include <vector>

namespace cadenzo {

// Written durations of notation, at 480 ticks per quarter. Notation programs re-time a bar whose
// notes carry any other length, so every duration the MusicXML export writes is built from these.
// Any thread: plain functions of their arguments.

// The shortest value written: a 64th note. Every whole multiple of it splits exactly.
inline constexpr std::int32_t SHORTEST_NOTE_TICKS = 30;

// One written value: a standard note, dotted when `dotted` (half as long again).
struct NoteValue {
    std::int32_t ticks = 0; // the whole written length, dot included
    const char* type = "";  // MusicXML's name: "whole", "half", "quarter", ... "64th"
    bool dotted = false;

    bool operator==(const NoteValue&) const = default;
};

// The standard values, longest first, each undotted then dotted. A value is dotted only where its
// dot is itself a standard value, so the shortest value is never dotted.
const std::vector<NoteValue>& noteValues();

// Splits a duration into tied values, longest first, that add up to exactly `ticks`. `ticks`
// must be a positive multiple of SHORTEST_NOTE_TICKS; anything else gives an empty list.
std::vector<NoteValue> splitIntoNoteValues(std::int64_t ticks);

} // namespace cadenzo
