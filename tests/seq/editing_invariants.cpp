#include "editing_fixture.h"

namespace cadenzo::testing {

::testing::AssertionResult SongInvariantsHold(const Song& song) {
    if (song.eventCount > static_cast<std::uint32_t>(MAX_EVENTS))
        return ::testing::AssertionFailure() << "eventCount " << song.eventCount;
    for (std::uint32_t i = 0; i < song.eventCount; ++i) {
        const SongEvent& e = song.songEvents[i];
        if (e.isEnd())
            return ::testing::AssertionFailure() << "end marker inside the list at " << i;
        if (i + 1 < song.eventCount) {
            const SongEvent& next = song.songEvents[i + 1];
            if (e.signedTick() >= next.signedTick())
                return ::testing::AssertionFailure() << "ticks not increasing at " << i;
            if (std::int64_t{e.signedTick()} + e.gate > next.signedTick())
                return ::testing::AssertionFailure() << "gate past the next event at " << i;
        }
    }
    for (int i = static_cast<int>(song.eventCount); i < EVENT_SLOTS; ++i)
        if (!song.songEvents[i].isEnd())
            return ::testing::AssertionFailure() << "slot " << i << " past the list is used";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HistoryInvariantsHold(const UndoHistory& history) {
    if (history.undoCount < 0 || history.redoCount < 0 ||
        history.undoCount + history.redoCount >= UNDO_ENTRY_SLOTS - 1)
        return ::testing::AssertionFailure()
               << "steps " << history.undoCount << "+" << history.redoCount;
    if (history.usedRecords() + history.redoRecords() > UNDO_POOL_RECORDS)
        return ::testing::AssertionFailure()
               << "pool holds " << history.usedRecords() << "+" << history.redoRecords();
    if (history.undoCount > 0 && history.undoEntries[0].start != 0)
        return ::testing::AssertionFailure() << "step 0 does not start the pool";
    // Undo steps from slot 0 up, then redo steps from the last slot down.
    for (int s = 0; s < history.undoCount + history.redoCount; ++s) {
        const bool undo = s < history.undoCount;
        const int slot = undo ? s : UndoHistory::redoSlot(s - history.undoCount);
        const UndoEntry& e = history.undoEntries[slot];
        const int records =
            undo ? history.stepRecords(s) : history.redoStepRecords(s - history.undoCount);
        if (e.first > e.last)
            return ::testing::AssertionFailure() << "slot " << slot << " span reversed";
        if (records < 1)
            return ::testing::AssertionFailure() << "slot " << slot << " owns no record";
        for (std::int32_t r = e.start; r < e.start + records; ++r) {
            const SongEvent& saved = history.undoPool[r];
            if (saved.isEnd() ? records != 1
                              : saved.signedTick() < e.first || saved.signedTick() > e.last)
                return ::testing::AssertionFailure() << "slot " << slot << " record " << r;
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace cadenzo::testing
