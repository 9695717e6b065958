#pragma once

#include "model/guitar.h"

#include <array>
#include <cstdint>

namespace cadenzo {

inline constexpr int ROLL_BUFFER_HEIGHT = 420;
inline constexpr int ROLL_PICTURE_WIDTH = 105;
inline constexpr int ROLL_PICTURE_HEIGHT = 432;
inline constexpr int ROLL_TOP_NOTE = 107; // MIDI note on the keyboard picture's top rows
inline constexpr int ROLL_ROWS_PER_SEMITONE = 6;
inline constexpr int TAB_PICTURE_WIDTH = 120;
inline constexpr int TAB_PICTURE_HEIGHT = 177;

// Top row of the red bar of a string sounding `stringNote` (semitones above MIDI 36).
constexpr int pianoBarY(int stringNote, int rollOffset) {
    return (71 - stringNote) * ROLL_ROWS_PER_SEMITONE - rollOffset;
}

// Where the TAB & MML view writes each string; strings that are silent have present == false.
struct TabMark {
    bool present = false;
    int x = 0, y = 0;
    int fret = 0;
};
struct MmlMark {
    bool present = false;
    int y = 0;
    int octave = 0;
    bool showOctave = false; // only when it differs from the last octave written
    int pitchClass = 0;      // index into noteName
};
struct TabMmlLayout {
    std::array<TabMark, STRING_COUNT> tab;
    std::array<MmlMark, STRING_COUNT> mml;
};

// Lays out the TAB and MML columns from frets and stringNote (stringNote must be current).
TabMmlLayout layoutTabMml(const Guitar& guitar);

} // namespace cadenzo
