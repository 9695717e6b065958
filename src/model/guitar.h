#pragma once

#include "model/relaxed.h"

#include <array>
#include <cstdint>
#include <string>

namespace cadenzo {

// Per-string arrays run from string 0 (first, highest) to string 5 (sixth, lowest).
inline constexpr int STRING_COUNT = 6;
// Fret value of a string that is not played.
inline constexpr std::uint8_t SILENT = 255;
// The drawn fretboard has 24 frets; anything above is silent.
inline constexpr std::uint8_t NECK_FRETS = 24;
// The MIDI note of a pitch value is value + NOTE_BASE.
inline constexpr int NOTE_BASE = 36;

// The MIDI note a string sounds at a fret under a tuning value. Nothing wraps: a sum past 127 is
// no MIDI note (as a data byte it would read as a status byte), and such a note is never sent or
// written. Every player and the SMF export take their notes from here.
constexpr int stringMidiNote(std::uint8_t fret, std::uint8_t tuning) {
    return int{fret} + int{tuning} + NOTE_BASE;
}
constexpr bool isMidiNote(int note) {
    return note >= 0 && note <= 127;
}

using Frets = std::array<std::uint8_t, STRING_COUNT>;

extern const std::array<const char*, 12> noteName;

struct TunePreset {
    const char* name;
    Frets values;
};
inline constexpr int TUNE_PRESET_COUNT = 14;
extern const std::array<TunePreset, TUNE_PRESET_COUNT> tunePreset;

// The tuning the chord table is written for: MIDI notes 64 59 55 50 45 40.
inline constexpr Frets standardTuning{28, 23, 19, 14, 9, 4};

// The pitch name of a value above MIDI note 36 in the program's octave numbering, where value 0
// (MIDI 36) is "C 1": noteName of value mod 12, then the octave value div 12 + 1.
std::string pitchText(int value);

// What the six strings are doing now. One instance lives for the whole run and every part of the
// program works on it. Only the window thread writes; the strum and playback ticks read frets,
// tuning and stringNote from the timer thread, hence the relaxed atomics.
struct Guitar {
    std::array<Relaxed<std::uint8_t>, STRING_COUNT> frets{0, 0, 0, 0, 0, 0};
    std::array<Relaxed<std::uint8_t>, STRING_COUNT> tuning{0, 0, 0, 0, 0, 0};
    std::array<Relaxed<std::uint8_t>, STRING_COUNT> stringNote{0, 0, 0, 0, 0, 0};
    std::uint8_t tuneKind = 0; // preset row last chosen in the instrument dialog; 0 = none
    std::uint8_t neckPos = 1;  // fret shown in the first column of the fretboard
    std::uint8_t neckSpan = 0; // fret columns that fit in the fretboard; 0 until the first resize
    std::uint8_t chordPos = 0; // 0 low, 1 middle, 2 high voicing

    Frets currentFrets() const;
    void setFrets(const Frets& values);
    Frets tunings() const;
    void setTuning(const Frets& values);

    // stringNote := (frets + tuning) mod 256 for every string.
    void updateStringNotes();
    // Every fret above 24 becomes silent.
    void clampFrets();
    // All six strings silent (the caller redraws the fretboard).
    void clearFrets();
    // Moves neckPos to the lowest fretted fret below 22 - neckSpan, so a new chord is in view,
    // then as far as needed for every fretted note to be in view (showFrettedNotes).
    void findNeckPos();
    // Moves the neck the least that brings every fretted note (frets 1 to 24) into the neckSpan
    // columns from neckPos, within the scroll bar's range; a shape wider than the neck shows its
    // lowest fret. Nothing moves before the first resize.
    void showFrettedNotes();
    // The neck moves to newPos; unless the position is locked the held frets move along (mod 256).
    // The caller then recognises the chord, matches user chords and calls clampFrets.
    void moveNeck(std::uint8_t newPos, bool positionLock);
    // The fretboard changed width: recompute neckSpan, keep the neck in range and the fretted
    // notes in view, clamp the frets.
    // Returns the new maximum of the neck scroll bar.
    int resizeNeck(int neckScreenWidth);
};

} // namespace cadenzo
