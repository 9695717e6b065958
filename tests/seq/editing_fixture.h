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
    static SongEvent Event(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40) {
        return test::MakeEvent(tick, {3, 2, 0, 0, 3, 3}, velocity, gate, 20);
    }

    void put(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40,
             std::int32_t strokeTime = 20) {
        song.insertEvent(test::MakeEvent(tick, {3, 2, 0, 0, 3, 3}, velocity, gate, strokeTime));
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

// The invariants of the event list and of the undo history; reports the first one broken.
::testing::AssertionResult SongInvariantsHold(const Song& song);
::testing::AssertionResult HistoryInvariantsHold(const UndoHistory& history);

} // namespace cadenzo::testing
