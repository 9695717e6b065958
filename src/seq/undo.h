#pragma once

#include "seq/edit_result.h"
#include "seq/song.h"

#include <array>
#include <cstdint>

namespace cadenzo {

inline constexpr int UNDO_POOL_RECORDS = 3000;
// Every step owns at least one record, so at most 3000 steps, plus the entry that marks the end
// of the undo steps' records and the one a step being recorded needs.
inline constexpr int UNDO_ENTRY_SLOTS = 3002;

// One step: the tick span an edit was about to change, and where its saved events begin in the
// pool. Undo step n owns the records from its start up to entry n+1's start.
struct UndoEntry {
    std::int32_t first = 0;
    std::int32_t last = 0; // first <= last
    std::int32_t start = 0;
    friend bool operator==(const UndoEntry&, const UndoEntry&) = default;
};

// The undo steps of the editing session, oldest first, and the redo steps (what each undo took
// away, so that Redo can put it back), all over one fixed pool of saved events. A step whose span
// held no event owns one placeholder record (tick END_TICK). New Song and a song load keep the
// history: an undo then puts the old song's events into the new one.
//
// The pool is shared from both ends. Undo steps fill it from record 0 up and their entries from
// slot 0 up; redo steps fill it from record 3000 down and their entries from the last slot down:
// redo step k (0 is the one redone last, redoCount - 1 the next Redo) sits in slot
// redoSlot(k) and owns the records from its start up to redo step k-1's start (step 0: up to the
// pool's end). A new edit (pushUndo) first clears the redo steps, so an edit has the whole pool
// as before. When an undo or a redo needs room for the step it records, the oldest undo steps give
// way first, then the redo steps farthest from the present (those that would be redone last).
//
// Window thread only. Lives as long as the song (about 84 KB plus the paste buffer, so keep it
// in the application's state, not on a small stack).
struct UndoHistory {
    std::array<UndoEntry, UNDO_ENTRY_SLOTS> undoEntries{};
    std::int32_t undoCount = 0;
    std::int32_t redoCount = 0;
    std::array<SongEvent, UNDO_POOL_RECORDS> undoPool{};
    // For each step (by slot), the event that stood just before its span (tick END_TICK when
    // none): an edit in the span cuts that event's gate and stroke time when the list is sorted,
    // and the undo gives them back (and the redo takes them again).
    std::array<SongEvent, UNDO_ENTRY_SLOTS> undoBefore{};

    // Records the undo steps use together (the start of entry undoCount).
    std::int32_t usedRecords() const { return undoCount > 0 ? undoEntries[undoCount].start : 0; }
    // Records undo step n owns.
    std::int32_t stepRecords(int n) const {
        return undoEntries[n + 1].start - undoEntries[n].start;
    }
    static constexpr int redoSlot(int k) { return UNDO_ENTRY_SLOTS - 1 - k; }
    // Records the redo steps use together, and those redo step k owns.
    std::int32_t redoRecords() const {
        return redoCount > 0 ? UNDO_POOL_RECORDS - undoEntries[redoSlot(redoCount - 1)].start : 0;
    }
    std::int32_t redoStepRecords(int k) const {
        const std::int32_t end = k == 0 ? UNDO_POOL_RECORDS : undoEntries[redoSlot(k - 1)].start;
        return end - undoEntries[redoSlot(k)].start;
    }

    // Where Paste composes the new event list before it replaces the song's, and where Undo and
    // Redo keep the events they replace until their step is recorded.
    std::array<SongEvent, MAX_EVENTS> pasteBuffer{};
};

// Saves the events between ticks a and b (either order), and the event just before them, as a
// new step, before an edit changes them; the redo steps are cleared. Call it on a sorted list.
// When the pool would pass 3000 records the oldest steps are dropped first.
void pushUndo(UndoHistory& history, const Song& song, std::int32_t a, std::int32_t b);

// Takes back the newest step: its span is cleared and its saved events are entered again (each as
// EnterEvent enters an event, so the clipboard empties, the cursor steps on once per saved event
// and the view may scroll), the event before the span gets back its gate and stroke time, then
// anchor and cursor go to the span's first tick. Nothing happens
// with an empty history. Saved events that no longer fit in a full song are dropped, and the result
// then carries "Over!". `scrollMax` is the maximum of the `seqBar` scroll bar.
// What the span held, and the event before it, become a redo step.
EditResult undoLastEdit(UndoHistory& history, Song& song, int scrollMax);

// Puts back what the newest undo took away, the same way: the span's events as they were before
// the undo, the event before the span with the gate and stroke time it had then, the cursor
// stepping on once per event and ending on the span's first tick, the clipboard emptied, "Over!"
// when not all fit. What the span holds now becomes an undo step again. Nothing happens without a
// redo step.
EditResult redoLastUndo(UndoHistory& history, Song& song, int scrollMax);

// Remember the selection, limited to 0..192000, as the clipboard; the selection collapses onto its
// anchor. A cut moves nothing until the paste.
EditResult cutSelection(Song& song);
EditResult copySelection(Song& song);

// Copies (or, after a cut, moves) the clipboard's events so that the span starts at `dest`,
// replacing events that stand at their new ticks; records an undo step for the source (after a
// cut) and one for the destination, and empties the clipboard. Nothing happens with an empty
// clipboard, a span without events, or one whose events would all lie past 192000.
// A paste that would leave more than 2000 events is refused before anything changes: the result
// carries "Over!" and the clipboard stays. Events whose new tick would lie past 192000 (beyond
// what the editor can reach) are not pasted; after a cut they stay where they were.
EditResult pasteAt(UndoHistory& history, Song& song, std::int32_t dest);

} // namespace cadenzo
