#include "editing_fixture.h"

#include <random>

namespace cadenzo {
namespace {

SongEvent Event(std::uint32_t tick, std::int32_t gate = 120, std::int32_t strokeTime = 60) {
    return test::MakeEvent(tick, {0, 1, 0, 2, 3, SILENT}, 100, gate, strokeTime);
}

// The list never grows past 2000 (the callers' own checks rely on it): a new tick is refused once
// full, a used one still replaced, and an end marker never stored.
TEST(SongModel, InsertEventStopsAtTwoThousandYetReplaces) {
    Song song;
    EXPECT_FALSE(song.insertEvent(Event(END_TICK)));
    for (int i = 0; i <= MAX_EVENTS; ++i)
        EXPECT_EQ(song.insertEvent(Event(static_cast<std::uint32_t>(i) * 40)), i >= MAX_EVENTS - 1);
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = MAX_EVENTS; i < EVENT_SLOTS; ++i)
        EXPECT_TRUE(song.songEvents[i].isEnd()) << "slot " << i;
    song.insertEvent(Event(40, 7, 0));
    EXPECT_EQ(song.songEvents[1], Event(40, 7, 0));
}

TEST(SongModel, SortEventsCutsGatesAndLongerStrokeTimesAtTheNextEvent) {
    struct Case {
        std::int32_t gate, strokeTime, wantGate, wantStroke;
    };
    for (const Case c : {Case{480, 300, 240, 240}, Case{480, 100, 240, 100},
                         Case{240, 300, 240, 300}, Case{100, 300, 100, 300}}) {
        Song song;
        song.insertEvent(Event(240, 5000, 5000));
        song.insertEvent(Event(0, c.gate, c.strokeTime));
        song.sortEvents();
        EXPECT_EQ(std::pair(song.songEvents[0].gate, song.songEvents[0].strokeTime),
                  std::pair(c.wantGate, c.wantStroke));
        EXPECT_EQ(song.songEvents[1].gate, 5000) << "the last event is never cut";
    }
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
            song.insertEvent(Event(static_cast<std::uint32_t>(raw)));
        }
        if (round % 3 == 0)
            song.clearRange(tickDist(rng) * 40, tickDist(rng) * 40);
        if (round % 2 == 0) {
            song.sortEvents();
            ASSERT_TRUE(testing::SongInvariantsHold(song)); // also strictly ordered
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

} // namespace
} // namespace cadenzo
