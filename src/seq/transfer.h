#pragma once

#include "model/guitar.h"
#include "seq/edit_result.h"
#include "seq/song.h"
#include "seq/undo.h"

#include <cstdint>

namespace cadenzo {

// The window-side values the transfer commands read.
struct TransferContext {
    int chord1Index = 0;   // item of `Chord1`: the entered event's root
    int chord2Index = 0;   // item of `Chord2`: its chord type
    int windowWidth = 422; // the main window's width (the entry's scroll rule compares with it)
    int scrollMax = 99;    // maximum of the `seqBar` scroll bar
};

// Default values of a chord entered where no event stands.
inline constexpr std::uint8_t DEFAULT_ENTRY_VELOCITY = 100;
inline constexpr std::int32_t DEFAULT_ENTRY_GATE = 240;
inline constexpr std::int32_t DEFAULT_ENTRY_STROKE_TIME = 60;

// Enters the fretboard's chord as an event at the cursor and advances the cursor by the step.
// Refused with "Over!" when the song holds 2000 events; ignored with no string played or a cursor
// past the start of bar 100.
EditResult enterHeldChord(UndoHistory& history, Song& song, const Guitar& guitar,
                          const TransferContext& context);

// Stores an event, empties the clipboard and advances the cursor (from where it stands) by one
// step, scrolling the view one bar when the cursor went right of it. Also how Undo re-enters its
// saved events. Returns false when the event could not be stored in a full song.
bool EnterEvent(Song& song, const SongEvent& event, int scrollMax, EditResult& result);

// What EnterEvent does after storing an event at `eventTick`: the clipboard empties, the cursor
// advances and the view follows it.
void advanceAfterEntry(Song& song, std::int32_t eventTick, int scrollMax, EditResult& result);

// The event standing exactly at the cursor goes to the fretboard (and the neck moves to it); the
// selection collapses onto the anchor. In every case the result asks for the fretboard tail.
EditResult sendEventToFretboard(Song& song, Guitar& guitar);

// Deletes the events of the selection (recording an undo step only when there is one) and
// collapses the selection onto the cursor.
EditResult deleteSelectedEvents(UndoHistory& history, Song& song);

} // namespace cadenzo
