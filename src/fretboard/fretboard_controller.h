#pragma once

#include "model/chords.h"
#include "model/guitar.h"

#include <cstdint>
#include <optional>

namespace cadenzo {

class MidiPort;
struct UserChordTable;

// The menu switches that decide how the guitar reacts to the mouse and to new frets. The window
// keeps them in line with the check marks of "Play on setting", "Position Lock" and
// "ChordSearch".
struct GuitarSwitches {
    bool playOnSetting = false; // a fret set by a click sounds at once
    bool positionLock = false;  // scrolling the neck leaves the held frets where they are
    bool chordSearch = false;   // frets set by hand are named in the chord lists
};

// What one change of the guitar leaves for the window to show. The views draw from the model;
// this says which of them are out of date and what the chord controls and the neck scroll bar
// must show now. An empty change (all false, no values) asks for nothing.
struct GuitarChange {
    bool neck = false;                        // the fretboard must be redrawn
    bool roll = false;                        // the roll view must be redrawn
    std::optional<ChordSelection> chordLists; // the two chord lists show other items
    std::optional<int> userChord;             // the user chord list shows another item (-1 none)
    std::optional<int> neckScrollBar;         // the neck scroll bar is set to this position
    std::optional<int> neckBarMaximum;        // the neck scroll bar gets this maximum

    bool operator==(const GuitarChange&) const = default;
};

// The mouse button of a press on the neck or on the open-string strip.
enum class NeckButton { Left, Right, Other };

// Every change of the guitar passes through here: a click on the neck or the open-string strip,
// a chord from the chord lists, a recalled user chord, a neck scroll, a new tuning, a cleared
// neck, a resize. Each operation updates the model and the pitches the strings sound
// (stringNote is current after every call, so a strum never plays a stale pitch), sends what must
// sound to the MIDI port, names the chord in the order the rules fix (chord recognition first,
// then the user chord match) and returns what changed. Views only draw, the window only routes.
//
// It also keeps what the chord lists and the user chord list show, because recognition keeps the
// chord type shown when nothing matches and a typed key letter re-applies the user chord shown.
// The window reports every change of those lists with showChordLists() and showUserChord().
//
// Window thread only; the strum and playback ticks read the model it writes (see Guitar).
class FretboardController {
public:
    FretboardController(Guitar& guitar, const UserChordTable& userChords, MidiPort& port);

    GuitarSwitches switches;

    // A press on the neck at the string row and fret column the hit test found (NO_STRING and
    // -1 when outside them). The left button silences what sounds and sets the string to fret
    // neckPos + column (the click still names the chord and redraws when it hit no string);
    // then, with "Play on setting" or the right button, the string sounds at its fret unless it
    // is silent. The right button never changes a fret.
    GuitarChange pressNeck(std::uint8_t string, int column, NeckButton button);
    // The right button dragged into another string's row: that string sounds unless silent.
    void pluckString(std::uint8_t string);
    // A press on the open-string strip: the left button opens the string and sounds it, any
    // other silences it without sound. NO_STRING changes no fret but still names and redraws.
    GuitarChange pressOpenStrip(std::uint8_t string, NeckButton button);
    // Every note off: the mouse let go of the neck or the strip.
    void silence();
    // The neck scroll bar moved: notes stop, the neck moves to `position` and the held frets
    // move with it unless the position is locked; frets pushed off the neck become silent.
    GuitarChange scrollNeck(int position);
    // The fretboard's width changed: the neck shows as many columns as fit, stays in range and
    // silences frets beyond the neck. Returns the scroll bar's new range and position.
    GuitarChange resizeNeck(int neckScreenWidth);

    // The chord lists were set by the user: their voicing goes onto the neck (a root of " --"
    // keeps the frets). Nothing sounds.
    GuitarChange chooseChord(ChordSelection shown);
    // A chord position (0 low, 1 middle, 2 high) was chosen: the chord shown is voiced there.
    GuitarChange choosePosition(int position);
    // The user chord list was set to `index`: a chord (index above 0) goes onto the neck.
    GuitarChange recallUserChord(int index);
    // A character typed in the main window: a key letter selects its user chord, and whatever
    // user chord the list then shows is applied again.
    GuitarChange typeKey(char32_t typed);

    // All six strings silent.
    GuitarChange clear();
    // The open strings are tuned to `tuning`; the frets stay, so the strings sound new pitches.
    GuitarChange changeTuning(const Frets& tuning);
    // The frets were replaced elsewhere (a song file, an event sent to the fretboard, a preview
    // of a user chord, which may also have moved the neck): the chord is named and the strings'
    // pitches, the neck, the roll view and the scroll bar follow.
    GuitarChange takeNewFrets();
    // The model was written elsewhere (settings, a dialog): the pitches the strings sound are
    // recomputed for the roll view.
    GuitarChange refreshNotes();

    // The window reports what its lists show whenever they change, however they were changed.
    void showChordLists(ChordSelection shown) { shownChord_ = shown; }
    void showUserChord(int index) { shownUserChord_ = index; }
    ChordSelection shownChord() const { return shownChord_; }
    int shownUserChord() const { return shownUserChord_; }

private:
    // The chord lists (unless `recognise` is false) and the user chord list follow the frets.
    void nameChord(GuitarChange& change, bool recognise, bool matchUser);
    // The new chord selection and user chord index go into the change when they differ from
    // what the lists showed.
    void reportChordLists(GuitarChange& change, ChordSelection shown);
    void reportUserChord(GuitarChange& change, int index);
    // stringNote follows the frets and tuning; neck and roll are redrawn.
    void fretsChanged(GuitarChange& change);
    // The tail after a user chord went onto the neck; `cleared` is what the lists show then.
    void userChordApplied(GuitarChange& change, ChordSelection cleared);
    void sound(std::uint8_t string);

    Guitar& guitar_;
    const UserChordTable& userChords_;
    MidiPort& port_;
    ChordSelection shownChord_;
    int shownUserChord_ = 0;
};

} // namespace cadenzo
