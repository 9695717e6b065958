#include "editing_fixture.h"

#include <algorithm>
#include <random>

namespace cadenzo::testing {
namespace {

using UndoTest = EditingTest;

// A step that would pass the pool's 3000 records drops the oldest; the others still undo in order.
TEST_F(UndoTest, PoolLimitDropsTheOldestStepAndKeepsTheRestReachable) {
    for (int k = 0; k < 20; ++k)
        put(40 * k);
    // Every step marks the events it saved with its number, in two fret bytes.
    const auto step = [&](std::int32_t last, int mark) {
        if (mark > 0)
            pushUndo(history, song, 0, last);
        for (std::uint32_t i = 0; i < song.eventCount; ++i)
            if (song.songEvents[i].signedTick() <= last)
                song.songEvents[i].frets = {static_cast<std::uint8_t>(mark % 256),
                                            static_cast<std::uint8_t>(mark / 256)};
    };
    const auto markAt = [&](std::int32_t tick) {
        return At(tick).frets[0] + 256 * At(tick).frets[1];
    };
    step(760, 0);
    for (int k = 1; k < 300; ++k)
        step(360, k); // ten records each
    ASSERT_EQ(history.usedRecords(), 2990);
    step(760, 1000); // twenty more would pass 3000: step 1 gives way
    EXPECT_EQ(history.undoCount, 299);
    EXPECT_EQ(history.usedRecords(), 3000);
    EXPECT_TRUE(HistoryInvariantsHold(history));
    undoLastEdit(history, song, 99);
    EXPECT_EQ(markAt(400), 0);
    for (int k = 299; k >= 1; --k) {
        ASSERT_EQ(markAt(0), k) << "before undoing step " << k;
        ASSERT_EQ(markAt(360), k);
        undoLastEdit(history, song, 99); // the last of these finds the dropped step gone
    }
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(song.eventCount, 20u);
    EXPECT_EQ(markAt(0), 1);
}

// After the song was replaced, a redo still gives back the song as it was before its undo: the
// event before the span with its own short gate, not the long one the undo gave it; and in a full
// song, what fits ("Over!").
TEST_F(UndoTest, RedoGivesBackTheSongBeforeItsUndoInAnotherSong) {
    put(0, 90, 960);
    pushUndo(history, song, 480, 480);
    song.resetSong();
    put(0, 90, 40);
    put(480, 70);
    const std::vector<SongEvent> before(song.songEvents.begin(), song.songEvents.begin() + 2);
    undoLastEdit(history, song, 99);
    ASSERT_EQ(Ticks(), std::vector<std::int32_t>{0});
    EXPECT_EQ(At(0).gate, 960);
    EXPECT_EQ(redoLastUndo(history, song, 99).status, nullptr);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), song.songEvents.begin()));
    undoLastEdit(history, song, 99);
    Fill(MAX_EVENTS, 520);
    EXPECT_STREQ(redoLastUndo(history, song, 99).status, FULL_SONG_NOTICE);
    EXPECT_EQ(song.findEvent(480), -1);
    EXPECT_EQ(std::tuple(history.undoCount, history.redoCount, song.edit.cursorTick),
              std::tuple(1, 0, 480));
}

// Paste and Undo rebuild the list in one pass; these tests hold them to the result of doing the
// same edit one event at a time with the list operations.
class OneByOneTest : public EditingTest, public ::testing::WithParamInterface<unsigned> {
protected:
    std::unique_ptr<Song> refPtr = std::make_unique<Song>();
    Song& ref = *refPtr;
    std::mt19937 rng{GetParam()};

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    void RandomSong() {
        const int count = Uniform(0, 3) == 0 ? Uniform(1900, MAX_EVENTS) : Uniform(0, 60);
        // Room for the events: spread + 1 raster ticks.
        const int spread = count > 100 ? 4800 : Uniform(count, 300);
        while (static_cast<int>(song.eventCount) < count) {
            SongEvent e = Event(Uniform(0, spread) * TICK_RASTER,
                                static_cast<std::uint8_t>(Uniform(0, 127)), Uniform(20, 2000));
            e.strokeTime = Uniform(0, 500);
            e.root = static_cast<std::uint8_t>(Uniform(0, 12));
            song.insertEvent(e);
        }
        song.sortEvents();
    }

    std::int32_t Near() { return Uniform(0, 400) * TICK_RASTER; }

    void CopyInto(Song& to, const Song& from) {
        to.songEvents = from.songEvents;
        to.eventCount = from.eventCount;
        to.meterTable = from.meterTable;
        to.edit.clipStart = from.edit.clipStart;
        to.edit.clipEnd = from.edit.clipEnd;
        to.edit.clipMode = from.edit.clipMode;
    }

    void ExpectSameList() {
        ASSERT_EQ(song.eventCount, ref.eventCount);
        for (std::uint32_t k = 0; k < song.eventCount; ++k)
            ASSERT_EQ(song.songEvents[k], ref.songEvents[k]) << "slot " << k;
        // The rest of a free slot means nothing; its tick is the end marker.
        EXPECT_TRUE(SongInvariantsHold(song));
    }
};

TEST_P(OneByOneTest, PasteMatchesMovingEachEvent) {
    RandomSong();
    select(Near(), Near());
    if (Uniform(0, 1) == 0)
        cutSelection(song);
    else
        copySelection(song);
    const std::int32_t dest = Uniform(0, 9) == 0 ? Uniform(4700, 4800) * TICK_RASTER : Near();
    CopyInto(ref, song);
    const EditResult r = pasteAt(history, song, dest);
    EXPECT_TRUE(r.status == nullptr || !r.eventsChanged);
    const int i = ref.findInRange(ref.edit.clipStart, ref.edit.clipEnd);
    if (r.status != nullptr || i < 0)
        return ExpectSameList(); // refused, or nothing to paste: the list is as it was
    const int j = ref.findInRange(ref.edit.clipEnd, 0);
    const std::int32_t offset = dest - ref.edit.clipStart;
    std::vector<SongEvent> copies(ref.songEvents.begin() + i, ref.songEvents.begin() + j + 1);
    std::erase_if(copies, [&](const SongEvent& e) { return e.signedTick() + offset > MAX_TICK; });
    if (ref.edit.clipMode == 1) {
        for (const SongEvent& e : copies)
            ref.clearRange(e.signedTick(), e.signedTick());
        ref.sortEvents();
    }
    for (SongEvent e : copies) {
        e.tick += static_cast<std::uint32_t>(offset);
        ref.insertEvent(e);
    }
    ref.sortEvents();
    ExpectSameList();
}

TEST_P(OneByOneTest, UndoMatchesEnteringEachSavedEvent) {
    RandomSong();
    const std::int32_t a = Near();
    const std::int32_t b = Near();
    pushUndo(history, song, a, b);
    const std::vector<SongEvent> saved(history.undoPool.begin(),
                                       history.undoPool.begin() + history.stepRecords(0));
    // Whatever happened since: another song, sometimes nearly full, sometimes full but for the
    // span, so that the saved events do not all fit.
    song.resetSong();
    RandomSong();
    if (Uniform(0, 2) == 0)
        Fill(MAX_EVENTS, std::max(a, b) + TICK_RASTER);
    CopyInto(ref, song);
    const EditResult r = undoLastEdit(history, song, 99);

    ref.clearRange(a, b);
    ref.sortEvents();
    bool full = false;
    for (const SongEvent& e : saved) {
        if (e.isEnd())
            continue;
        full = full || (ref.findEvent(e.signedTick()) < 0 && ref.eventCount == MAX_EVENTS);
        ref.insertEvent(e);
        ref.sortEvents();
    }
    ExpectSameList();
    EXPECT_EQ(r.status != nullptr, full);
}

INSTANTIATE_TEST_SUITE_P(Seeds, OneByOneTest, ::testing::Range(1u, 151u));

} // namespace
} // namespace cadenzo::testing
