#include "seq/seq_geometry.h"
#include "seq/song.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace cadenzo {
namespace {

SongEvent Event(std::uint32_t tick, std::int32_t gate = 120, std::int32_t strokeTime = 60) {
    return test::MakeEvent(tick, {0, 1, 0, 2, 3, SILENT}, 100, gate, strokeTime);
}

std::vector<std::uint32_t> Ticks(const Song& song) {
    std::vector<std::uint32_t> ticks;
    for (std::uint32_t i = 0; i < song.eventCount; ++i)
        ticks.push_back(song.songEvents[i].tick);
    return ticks;
}

// Every slot from eventCount up must be free: the end marker is always there.
void ExpectFreeTail(const Song& song) {
    ASSERT_LE(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = static_cast<int>(song.eventCount); i < EVENT_SLOTS; ++i)
        ASSERT_TRUE(song.songEvents[i].isEnd()) << "slot " << i;
}

TEST(SongEventRecord, EncodesTheTwentyEightLittleEndianBytes) {
    SongEvent e;
    e.tick = 0x01020304;
    e.frets = {0, 1, 2, 3, 4, SILENT};
    e.velocity = 100;
    e.reserved1 = 9; // reserved bytes are written as 0 whatever they hold
    e.gate = -2;
    e.strokeDir = 1;
    e.strokeTime = 0x00000190;
    e.root = 3;
    e.chordType = 23;
    std::uint8_t out[28];
    EncodeEvent(e, out);
    const std::uint8_t expected[28] = {4,    3,    2, 1, 0, 1, 2,    3, 4, 255, 100, 0,  0xFE, 0xFF,
                                       0xFF, 0xFF, 1, 0, 0, 0, 0x90, 1, 0, 0,   3,   23, 0,    0};
    EXPECT_TRUE(std::equal(out, out + 28, expected));
    SongEvent back = DecodeEvent(out);
    e.reserved1 = 0;
    EXPECT_EQ(back, e);
}

TEST(SongModel, PutEventReplacesAtAUsedTickAndReportsFullAtTwoThousand) {
    Song song;
    song.PutEvent(Event(END_TICK)); // an end marker is never stored
    EXPECT_EQ(song.eventCount, 0u);
    for (int i = 0; i < MAX_EVENTS - 1; ++i)
        ASSERT_FALSE(song.PutEvent(Event(static_cast<std::uint32_t>(i) * 40)));
    EXPECT_TRUE(song.PutEvent(Event(static_cast<std::uint32_t>(MAX_EVENTS - 1) * 40)));
    EXPECT_TRUE(song.PutEvent(Event(999999)));
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    EXPECT_EQ(song.FindEvent(999999), -1);
    EXPECT_TRUE(song.songEvents[MAX_EVENTS].isEnd());
    SongEvent other = Event(40, 7, 0); // replacing the whole record still works in a full list
    other.root = 7;
    song.PutEvent(other);
    EXPECT_EQ(song.songEvents[1], other);
}

// Fixed fault: events of one tick (a list read from a file may hold them) swapped places.
TEST(SongModel, SortEventsKeepsTheOrderOfEventsAtTheSameTick) {
    Song song;
    const std::uint32_t ticks[] = {960, 480, 480, 0};
    for (std::uint8_t i = 0; i < 4; ++i) {
        song.songEvents[i] = Event(ticks[i]);
        song.songEvents[i].velocity = i;
    }
    song.eventCount = 4;
    song.SortEvents();
    EXPECT_EQ(Ticks(song), (std::vector<std::uint32_t>{0, 480, 480, 960}));
    EXPECT_EQ(song.songEvents[1].velocity, 1);
    EXPECT_EQ(song.songEvents[2].velocity, 2);
}

TEST(SongModel, SortEventsCutsGatesAndLongerStrokeTimesAtTheNextEvent) {
    struct Case {
        std::int32_t gate, strokeTime, wantGate, wantStroke;
    };
    for (const Case c : {Case{480, 300, 240, 240}, Case{480, 100, 240, 100},
                         Case{240, 300, 240, 300}, Case{100, 300, 100, 300}}) {
        Song song;
        song.PutEvent(Event(240, 5000, 5000));
        song.PutEvent(Event(0, c.gate, c.strokeTime));
        song.SortEvents();
        EXPECT_EQ(song.songEvents[0].gate, c.wantGate) << c.gate << "/" << c.strokeTime;
        EXPECT_EQ(song.songEvents[0].strokeTime, c.wantStroke) << c.gate << "/" << c.strokeTime;
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
            song.PutEvent(Event(static_cast<std::uint32_t>(raw)));
        }
        if (round % 3 == 0)
            song.ClearRange(tickDist(rng) * 40, tickDist(rng) * 40);
        if (round % 2 == 0) {
            song.SortEvents();
            ExpectFreeTail(song);
            for (std::uint32_t i = 1; i < song.eventCount; ++i)
                ASSERT_LT(song.songEvents[i - 1].signedTick(), song.songEvents[i].signedTick());
        }
        for (int q = 0; q < 20; ++q) {
            const int from = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            const int to = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            ASSERT_EQ(song.FindInRange(from, to), song.FindInRangeByWalk(from, to))
                << "round " << round << " from " << from << " to " << to;
        }
    }
}

TEST(SongMeter, SetMeterRecomputesTheBarEndsAndMarksOnlyRealChanges) {
    Song song;
    EXPECT_EQ(song.BarAtOrAfter(1921), 3);
    EXPECT_EQ(song.BarOfTick(1919), 1);
    song.SetMeter(3, 3, 4);
    EXPECT_EQ(song.meterTable[2].endTick, 3840u);
    EXPECT_EQ(song.meterTable[3].endTick, 5280u);
    EXPECT_EQ(song.meterTable[100].endTick, 3840u + 98u * 1440u);
    EXPECT_EQ(song.BarOfTick(5280), 4);
    EXPECT_EQ(song.BarLength(4), 1440);
    for (int k = 1; k <= BAR_COUNT; ++k)
        EXPECT_EQ(song.meterTable[k].changed, k == 3 ? 1 : 0) << "bar " << k;
    song.SetMeter(5, 3, 4);
    EXPECT_EQ(song.meterTable[5].changed, 0);
    const MeterTable before = song.meterTable;
    song.SetMeter(101, 6, 8);
    song.SetMeter(0, 6, 8);
    EXPECT_EQ(song.meterTable[100].num, before[100].num);
    EXPECT_EQ(song.meterTable[0].num, 4);
    EXPECT_EQ(BarTicks(6, 8), 1440);
    EXPECT_EQ(BarTicks(4, 0), 0);
    EXPECT_FALSE(ValidMeter(4, 3));
}

} // namespace
} // namespace cadenzo
