#include "seq/seq_geometry.h"
#include "seq/song.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace cadenzo {
namespace {

SongEvent Event(std::uint32_t tick, std::int32_t gate = 120, std::int32_t strokeTime = 60) {
    SongEvent e;
    e.tick = tick;
    e.frets = {0, 1, 0, 2, 3, SILENT};
    e.velocity = 100;
    e.gate = gate;
    e.strokeTime = strokeTime;
    return e;
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

TEST(SongModel, NewSongLeavesAnEmptyListAndFourFourBars) {
    Song song;
    song.PutEvent(Event(0));
    song.SetMeter(2, 3, 4);
    song.smfVolume = 1;
    song.playTick = 960;
    song.edit.cursorTick = 480;
    song.NewSong();
    EXPECT_EQ(song.eventCount, 0u);
    ExpectFreeTail(song);
    EXPECT_EQ(song.songEvents[0].frets, (Frets{SILENT, SILENT, SILENT, SILENT, SILENT, SILENT}));
    EXPECT_EQ(song.smfVolume, 100);
    EXPECT_EQ(song.smfReverb, 40);
    EXPECT_EQ(song.smfChorus, 0);
    EXPECT_EQ(song.playTick, 0);
    EXPECT_EQ(song.edit.cursorTick, 480) << "the editing state survives a new song";
    EXPECT_EQ(song.meterTable[0].changed, 1);
    for (int k = 1; k <= BAR_COUNT; ++k) {
        EXPECT_EQ(song.meterTable[k].endTick, 1920u * k);
        EXPECT_EQ(song.meterTable[k].changed, 0);
        EXPECT_EQ(song.meterTable[k].num, 4);
    }
}

TEST(SongModel, PutEventAtAUsedTickReplacesTheWholeRecord) {
    Song song;
    song.PutEvent(Event(480));
    SongEvent other = Event(480, 960, 0);
    other.frets = {SILENT, 5, 5, 5, SILENT, SILENT};
    other.root = 7;
    song.PutEvent(other);
    EXPECT_EQ(song.eventCount, 1u);
    EXPECT_EQ(song.songEvents[0], other);
}

TEST(SongModel, PutEventAppendsAndSortEventsOrdersByTick) {
    Song song;
    for (std::uint32_t t : {960u, 480u, 0u})
        song.PutEvent(Event(t));
    EXPECT_EQ(Ticks(song), (std::vector<std::uint32_t>{960, 480, 0}));
    song.SortEvents();
    EXPECT_EQ(Ticks(song), (std::vector<std::uint32_t>{0, 480, 960}));
    EXPECT_TRUE(song.songEvents[3].isEnd());
    ExpectFreeTail(song);
}

TEST(SongModel, PutEventReportsFullAtTwoThousandAndNeverWritesPastTheLastSlot) {
    Song song;
    for (int i = 0; i < MAX_EVENTS - 1; ++i)
        ASSERT_FALSE(song.PutEvent(Event(static_cast<std::uint32_t>(i) * 40)));
    EXPECT_TRUE(song.PutEvent(Event(static_cast<std::uint32_t>(MAX_EVENTS - 1) * 40)));
    EXPECT_TRUE(song.PutEvent(Event(999999)));
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    EXPECT_EQ(song.FindEvent(999999), -1);
    EXPECT_TRUE(song.songEvents[MAX_EVENTS].isEnd());
    // Replacing still works in a full list.
    song.PutEvent(Event(40, 7));
    EXPECT_EQ(song.songEvents[1].gate, 7);
}

TEST(SongModel, PutEventNeverStoresAnEndMarker) {
    Song song;
    song.PutEvent(Event(END_TICK));
    EXPECT_EQ(song.eventCount, 0u);
    EXPECT_EQ(song.songEvents[0].velocity, 0);
}

TEST(SongModel, ClearRangeMarksBothOrdersAlikeAndOnlySortCompacts) {
    for (auto [a, b] : {std::pair{960, 0}, std::pair{0, 960}}) {
        Song song;
        for (std::uint32_t t : {0u, 480u, 960u, 1440u})
            song.PutEvent(Event(t));
        song.ClearRange(a, b);
        EXPECT_EQ(song.eventCount, 4u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(song.songEvents[i].isEnd());
            EXPECT_EQ(song.songEvents[i].velocity, 0);
            EXPECT_EQ(song.songEvents[i].gate, 0);
            EXPECT_EQ(song.songEvents[i].frets[0], SILENT);
        }
        song.SortEvents();
        EXPECT_EQ(Ticks(song), (std::vector<std::uint32_t>{1440}));
        ExpectFreeTail(song);
    }
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

TEST(SongModel, FindInRangeGivesTheFirstAndLastEventOfASpan) {
    Song song;
    song.PutEvent(Event(480));
    song.PutEvent(Event(960));
    EXPECT_EQ(song.FindInRange(0, 1000), 0);
    EXPECT_EQ(song.FindInRange(1000, 0), 1);
    EXPECT_EQ(song.FindInRange(500, 900), -1);
    EXPECT_EQ(song.FindInRange(960, 960), 1);
    EXPECT_EQ(song.FirstEventAtOrAfter(481), 1);
    EXPECT_EQ(song.FirstEventAtOrAfter(961), 2);
    EXPECT_EQ(song.FindEvent(960), 1);
    EXPECT_EQ(song.FindEvent(961), -1);
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

TEST(SongMeter, BarArithmeticOfANewSong) {
    Song song;
    EXPECT_EQ(song.BarAtOrAfter(0), 1);
    EXPECT_EQ(song.BarAtOrAfter(1920), 2);
    EXPECT_EQ(song.BarAtOrAfter(1921), 3);
    EXPECT_EQ(song.BarAtOrAfter(192001), 102);
    EXPECT_EQ(song.BarOfTick(0), 1);
    EXPECT_EQ(song.BarOfTick(1919), 1);
    EXPECT_EQ(song.BarOfTick(1920), 2);
    EXPECT_EQ(song.BarOfTick(192000), 101);
    EXPECT_EQ(song.BarLength(0), 0);
    EXPECT_EQ(song.BarLength(1), 1920);
    EXPECT_EQ(song.BarLength(101), 192000);
}

TEST(SongMeter, SetMeterRecomputesTheBarEndsAndMarksOnlyRealChanges) {
    Song song;
    song.SetMeter(3, 3, 4);
    EXPECT_EQ(song.meterTable[2].endTick, 3840u);
    EXPECT_EQ(song.meterTable[3].endTick, 5280u);
    EXPECT_EQ(song.meterTable[100].endTick, 3840u + 98u * 1440u);
    for (int k = 1; k <= BAR_COUNT; ++k)
        EXPECT_EQ(song.meterTable[k].changed, k == 3 ? 1 : 0) << "bar " << k;
    song.SetMeter(5, 3, 4);
    EXPECT_EQ(song.meterTable[5].changed, 0);
    EXPECT_EQ(song.meterTable[3].changed, 1);
    const MeterTable before = song.meterTable;
    song.SetMeter(101, 6, 8);
    song.SetMeter(0, 6, 8);
    EXPECT_EQ(song.meterTable[100].num, before[100].num);
    EXPECT_EQ(song.meterTable[0].num, 4);
}

TEST(SongMeter, BarTicksOfTheAllowedSignatures) {
    EXPECT_EQ(BarTicks(4, 4), 1920);
    EXPECT_EQ(BarTicks(3, 4), 1440);
    EXPECT_EQ(BarTicks(6, 8), 1440);
    EXPECT_EQ(BarTicks(1, 16), 120);
    EXPECT_EQ(BarTicks(16, 1), 30720);
    EXPECT_EQ(BarTicks(4, 0), 0);
    EXPECT_TRUE(ValidMeter(16, 16));
    EXPECT_FALSE(ValidMeter(0, 4));
    EXPECT_FALSE(ValidMeter(4, 3));
}

TEST(SongMeter, PositionTextCountsBarBeatAndTickWithTheBarsOwnBeat) {
    struct Case {
        int bar2num, bar2den, bar3num, bar3den;
        std::int32_t tick;
        const char* text;
    };
    const Case cases[] = {
        {4, 4, 4, 4, 0, "   1 :  1 : 000"},    {4, 4, 4, 4, 2040, "   2 :  1 : 120"},
        {4, 4, 4, 4, 3800, "   2 :  4 : 440"}, {3, 8, 3, 8, 2160, "   2 :  2 : 000"},
        {4, 4, 3, 8, 2400, "   2 :  2 : 000"}, {4, 4, 4, 4, -40, "   1 :  1 : 000"},
    };
    for (const Case& c : cases) {
        Song song;
        song.SetMeter(2, static_cast<std::uint8_t>(c.bar2num),
                      static_cast<std::uint8_t>(c.bar2den));
        song.SetMeter(3, static_cast<std::uint8_t>(c.bar3num),
                      static_cast<std::uint8_t>(c.bar3den));
        EXPECT_EQ(song.PositionText(c.tick), c.text) << c.tick;
    }
}

TEST(SongMeter, PositionTextPastBarHundredCountsOnInTheLastSignature) {
    Song song;
    song.SetMeter(1, 1, 16); // 100 bars of 120 ticks end at 12000
    EXPECT_EQ(song.PositionText(11999), " 100 :  1 : 119");
    EXPECT_EQ(song.PositionText(12000), " 101 :  1 : 000");
    EXPECT_EQ(song.PositionText(12250), " 103 :  1 : 010");
    EXPECT_EQ(song.PositionText(MAX_TICK), "1601 :  1 : 000");
    Song plain;
    EXPECT_EQ(plain.PositionText(MAX_TICK + 480), " 101 :  2 : 000");
}

TEST(SeqGeometry, TickToXWithSignatureSlots) {
    Song song;
    ViewGeometry view{0, 2};
    EXPECT_EQ(TickToX(song.meterTable, view, 0), 55);
    EXPECT_EQ(TickToX(song.meterTable, view, 120), 67);
    EXPECT_EQ(TickToX(song.meterTable, view, 1920), 247);
    view.zoom = 1;
    EXPECT_EQ(TickToX(song.meterTable, view, 1920), 151);
    song.SetMeter(2, 3, 4);
    EXPECT_EQ(TickToX(song.meterTable, view, 1920), 176);
    EXPECT_EQ(TickToX(song.meterTable, view, 1919), 150);
    view.viewStartTick = 1920;
    EXPECT_EQ(TickToX(song.meterTable, view, 1919), -1);
    EXPECT_EQ(TickToX(song.meterTable, view, 1920), 55);
    EXPECT_EQ(SignatureGap(song.meterTable, 0, 1920), 0);
    EXPECT_EQ(SignatureGap(song.meterTable, 0, 1921), 25);
    EXPECT_EQ(SignatureGap(song.meterTable, 1920, 4000), 0);
}

} // namespace
} // namespace cadenzo
