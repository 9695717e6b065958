#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/seq_geometry.h"

#include <algorithm>
#include <random>

namespace cadenzo::testing {
namespace {

using UndoTest = EditingTest;

// The list never grows past 2000 (the callers' own checks rely on it): a new tick is refused once
// full, a used one still replaced, and an end marker never stored.
TEST(SongModel, InsertEventStopsAtTwoThousandYetReplaces) {
    Song song;
    EXPECT_FALSE(song.insertEvent(test::MakeEvent(END_TICK)));
    for (int i = 0; i <= MAX_EVENTS; ++i)
        EXPECT_EQ(song.insertEvent(test::MakeEvent(i * 40)), i >= MAX_EVENTS - 1);
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = MAX_EVENTS; i < EVENT_SLOTS; ++i)
        EXPECT_TRUE(song.songEvents[i].isEnd()) << "slot " << i;
    song.insertEvent(test::MakeEvent(40, {0, 1, 0, 2, 3, SILENT}, 100, 7, 0));
    EXPECT_EQ(song.songEvents[1], test::MakeEvent(40, {0, 1, 0, 2, 3, SILENT}, 100, 7, 0));
}

// The one-pass search must answer exactly as the walk does, also for unsorted lists, deleted
// slots, foreign ticks off the raster and negative (signed) ticks; sorting the same lists must
// leave them strictly ordered and compacted.
TEST(SongModel, FindInRangeMatchesTheTickByTickWalkOnRandomLists) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> tickDist(-10, 120);
    std::uniform_int_distribution<int> countDist(0, 40);
    for (int round = 0; round < 200; ++round) {
        Song song;
        const int n = countDist(rng);
        for (int i = 0; i < n; ++i) {
            const int raw = tickDist(rng) * 40 + (rng() % 5 == 0 ? 20 : 0);
            song.insertEvent(test::MakeEvent(raw));
        }
        if (round % 3 == 0)
            song.clearRange(tickDist(rng) * 40, tickDist(rng) * 40);
        if (round % 2 == 0) {
            song.sortEvents();
            ASSERT_TRUE(SongInvariantsHold(song)); // also strictly ordered
        }
        for (int q = 0; q < 20; ++q) {
            const int from = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            const int to = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            ASSERT_EQ(song.findInRange(from, to), song.findInRangeByWalk(from, to))
                << "round " << round << " from " << from << " to " << to;
        }
    }
}

TEST(SongMeter, SetMeterIgnoresBarsOutsideTheSong) {
    Song song;
    song.setMeter(0, 6, 8);
    song.setMeter(BAR_COUNT + 1, 6, 8);
    for (int k = 0; k < METER_ENTRIES; ++k)
        ASSERT_EQ(song.meterTable[k].num, 4) << "bar " << k;
}

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
    // Ten more records fill the pool to the last one: that already makes step 1 give way.
    const auto probe = std::make_unique<UndoHistory>(history);
    pushUndo(*probe, song, 0, 360);
    EXPECT_EQ(std::pair(probe->undoCount, probe->usedRecords()), std::pair(299, 2990));
    step(760, 1000); // twenty more would pass 3000: step 1 gives way
    EXPECT_EQ(std::pair(history.undoCount, history.usedRecords()), std::pair(299, 3000));
    EXPECT_TRUE(HistoryInvariantsHold(history));
    undoLastEdit(history, song, 99);
    EXPECT_EQ(markAt(400), 0);
    for (int k = 299; k >= 1; --k) {
        ASSERT_EQ(markAt(0), k) << "before undoing step " << k;
        ASSERT_EQ(markAt(360), k);
        undoLastEdit(history, song, 99); // the last of these finds the dropped step gone
    }
    EXPECT_EQ(std::tuple(history.undoCount, song.eventCount, markAt(0)), std::tuple(0, 20u, 1));
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

// Undo rebuilds the list in one pass; this test holds it to the result of entering the saved
// events one at a time with the list operations.
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
        to.edit = from.edit; // the clipboard's span and mode
    }

    void ExpectSameList() {
        ASSERT_EQ(song.eventCount, ref.eventCount);
        for (std::uint32_t k = 0; k < song.eventCount; ++k)
            ASSERT_EQ(song.songEvents[k], ref.songEvents[k]) << "slot " << k;
        // The rest of a free slot means nothing; its tick is the end marker.
        EXPECT_TRUE(SongInvariantsHold(song));
    }
};

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

// A gate that ends on the bar line of a signature change leaves no room for the signature.
TEST(SeqGeometry, SignatureGapCountsOnlyChangesInsideTheSpan) {
    Song song;
    song.setMeter(3, 3, 4);
    EXPECT_EQ(std::tuple(signatureGap(song.meterTable, 0, 3840),
                         signatureGap(song.meterTable, 0, 3841),
                         signatureGap(song.meterTable, 3840, 9999)),
              std::tuple(0, SIGNATURE_SLOT, 0));
}

struct ExitCase {
    FieldId id;
    const char* typed;
    const char* text;   // the field afterwards
    std::int32_t value; // the selected events' value afterwards
};

class FieldExitTest : public EditingTest, public ::testing::WithParamInterface<ExitCase> {};

// Events at 0 and 480 selected (velocities 80 and 100, gate 240, stroke 60), one at 1920 not.
TEST_P(FieldExitTest, ValidatesThenAppliesToEverySelectedEvent) {
    const ExitCase c = GetParam();
    EventFields fields;
    put(0, 80, 240, 60);
    put(480, 100, 240, 60);
    put(1920, 90, 240, 60);
    select(0, 480);
    updateEventFields(fields, song, 0, 480);
    fields.Field(c.id).Type(c.typed);
    commitField(c.id, fields, song, history);
    EXPECT_EQ(fields.Field(c.id).text, c.text);
    for (std::int32_t t : {0, 480}) {
        const SongEvent& e = At(t);
        EXPECT_EQ(c.id == FieldId::Velocity ? e.velocity
                  : c.id == FieldId::Gate   ? e.gate
                                            : e.strokeTime,
                  c.value)
            << "event at " << t;
    }
    const SongEvent& other = At(1920);
    EXPECT_TRUE(other.velocity == 90 && other.gate == 240 && other.strokeTime == 60);
    // Recorded also when nothing changes (the random editing test undoes such steps byte for byte).
    EXPECT_EQ(history.undoCount, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, FieldExitTest, ::testing::Values(
    ExitCase{FieldId::Velocity, "", "0", 0}, // untouched empty field
    ExitCase{FieldId::Velocity, "64", "64", 64}, ExitCase{FieldId::Velocity, "300", "127", 127},
    ExitCase{FieldId::Gate, "-5", "20", 20}, ExitCase{FieldId::Gate, "", "20", 20},
    ExitCase{FieldId::Gate, "19", "20", 20}, ExitCase{FieldId::Gate, "020", "020", 20},
    ExitCase{FieldId::Velocity, "+0", "+0", 0}, ExitCase{FieldId::Stroke, "+20", "+20", 20},
    ExitCase{FieldId::Gate, "480", "479", 479}, // never reaches 480
    ExitCase{FieldId::Stroke, "100", "100", 100},
    ExitCase{FieldId::Stroke, "500", "240", 240}, // up to the gate
    ExitCase{FieldId::Stroke, "abc", "20", 20}));
// clang-format on

} // namespace
} // namespace cadenzo::testing
