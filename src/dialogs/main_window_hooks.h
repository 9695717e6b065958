#pragma once

#include "model/chords.h"

#include <QString>

#include <functional>

namespace cadenzo {

// What the dialogs ask of the main window, which owns the chord lists, the usr list and the
// views. Each hook runs on the window thread.
struct MainWindowHooks {
    std::function<ChordSelection()> chordShown;
    // Sets the two chord lists without running their change handlers.
    std::function<void(ChordSelection)> showChords;
    // recognizeChord, then matchUserChord, which selects the matching user chord in usr.
    std::function<void()> recognizeAndMatch;
    // matchUserChord alone: usr selects the last user chord with the frets on the fretboard.
    std::function<void()> matchUserChord;
    // The neck scroll bar follows neckPos, then the fretboard is drawn.
    std::function<void()> drawNeck;
    // Appends the display text of user chord `slot` to the usr list.
    std::function<void(int slot)> addUserChordItem;
    // Rebuilds the usr list from the table.
    std::function<void()> rebuildUserChords;
    std::function<void()> refreshRoll;
    // A warning at the main window (the MIDI open failures).
    std::function<void(const QString&)> warn;
};

} // namespace cadenzo
