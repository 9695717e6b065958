#pragma once

#include "model/guitar.h"
#include "seq/song.h"
#include "seq/transfer.h"
#include "seq/undo.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace cadenzo::testing {

// A song with its undo history and a guitar, as the main window holds them (on the heap: the
// history alone is larger than a comfortable stack frame).
class EditingTest : public ::testing::Test {
protected:
    std::unique_ptr<Song> songPtr = std::make_unique<Song>();
    std::unique_ptr<UndoHistory> historyPtr = std::make_unique<UndoHistory>();
    Song& song = *songPtr;
    UndoHistory& history = *historyPtr;
    Guitar guitar;
    TransferContext context;

    EditingTest() { guitar.setFrets({0, 1, 0, 2, 3, SILENT}); }

    // An event at `tick` whose velocity tells it apart from the others.
    static SongEvent Event(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40,
                           std::int32_t strokeTime = 20) {
        return test::MakeEvent(tick, {3, 2, 0, 0, 3, 3}, velocity, gate, strokeTime);
    }
    void put(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40,
             std::int32_t strokeTime = 20) {
        song.insertEvent(Event(tick, velocity, gate, strokeTime));
        song.sortEvents();
    }
    const SongEvent& At(std::int32_t tick) const { return song.songEvents[song.findEvent(tick)]; }

    void select(std::int32_t anchor, std::int32_t cursor) {
        song.edit.anchorTick = anchor;
        song.edit.cursorTick = cursor;
    }

    std::vector<std::int32_t> Ticks() const {
        std::vector<std::int32_t> ticks;
        for (std::uint32_t i = 0; i < song.eventCount; ++i)
            ticks.push_back(song.songEvents[i].signedTick());
        return ticks;
    }

    // Fills the song up to `count` events on the raster ticks from `from` on.
    void Fill(std::uint32_t count, std::int32_t from = 0) {
        for (std::int32_t t = from; song.eventCount < count; t += TICK_RASTER)
            song.insertEvent(Event(t));
        song.sortEvents();
    }
};

using ::testing::AssertionFailure;

// The invariants of the event list and of the undo history; each reports the first one broken.
inline ::testing::AssertionResult SongInvariantsHold(const Song& song) {
    if (song.eventCount > static_cast<std::uint32_t>(MAX_EVENTS))
        return AssertionFailure() << "eventCount " << song.eventCount;
    for (std::uint32_t i = 0; i < song.eventCount; ++i) {
        const SongEvent& e = song.songEvents[i];
        if (e.isEnd())
            return AssertionFailure() << "end marker inside the list at " << i;
        if (i + 1 < song.eventCount) {
            const std::int32_t next = song.songEvents[i + 1].signedTick();
            if (e.signedTick() >= next)
                return AssertionFailure() << "ticks not increasing at " << i;
            if (std::int64_t{e.signedTick()} + e.gate > next)
                return AssertionFailure() << "gate past the next event at " << i;
        }
    }
    for (int i = static_cast<int>(song.eventCount); i < EVENT_SLOTS; ++i)
        if (!song.songEvents[i].isEnd())
            return AssertionFailure() << "slot " << i << " past the list is used";
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult HistoryInvariantsHold(const UndoHistory& history) {
    if (history.undoCount < 0 || history.redoCount < 0 ||
        history.undoCount + history.redoCount >= UNDO_ENTRY_SLOTS - 1)
        return AssertionFailure() << "steps " << history.undoCount << "+" << history.redoCount;
    if (history.usedRecords() + history.redoRecords() > UNDO_POOL_RECORDS)
        return AssertionFailure() << "pool holds " << history.usedRecords() << "+"
                                  << history.redoRecords();
    if (history.undoCount > 0 && history.undoEntries[0].start != 0)
        return AssertionFailure() << "step 0 does not start the pool";
    // Undo steps from slot 0 up, then redo steps from the last slot down.
    for (int s = 0; s < history.undoCount + history.redoCount; ++s) {
        const bool undo = s < history.undoCount;
        const int slot = undo ? s : UndoHistory::redoSlot(s - history.undoCount);
        const UndoEntry& e = history.undoEntries[slot];
        const int records =
            undo ? history.stepRecords(s) : history.redoStepRecords(s - history.undoCount);
        if (e.first > e.last)
            return AssertionFailure() << "slot " << slot << " span reversed";
        if (records < 1)
            return AssertionFailure() << "slot " << slot << " owns no record";
        for (std::int32_t r = e.start; r < e.start + records; ++r) {
            const SongEvent& saved = history.undoPool[r];
            if (saved.isEnd() ? records != 1
                              : saved.signedTick() < e.first || saved.signedTick() > e.last)
                return AssertionFailure() << "slot " << slot << " record " << r;
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace cadenzo::testing
