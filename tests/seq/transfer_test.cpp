#include "editing_fixture.h"
#include "seq/meter_step.h"

#include <gmock/gmock.h>

namespace cadenzo::testing {
namespace {

using ::testing::ElementsAre;

using EnterChordTest = EditingTest;
using TransferTest = EditingTest;

TEST_F(EnterChordTest, NewEventsTakeTheDefaultsAndAlternateStrokes) {
    context.chord1Index = 1;
    context.chord2Index = 5;
    const EditResult r = enterHeldChord(history, song, guitar, context);
    EXPECT_TRUE(r.eventsChanged && r.refreshFields);
    ASSERT_EQ(song.eventCount, 1u);
    SongEvent want = test::MakeEvent(0, {0, 1, 0, 2, 3, SILENT}, 100, 240, 60);
    want.root = 1;
    want.chordType = 5;
    EXPECT_EQ(song.songEvents[0], want);
    EXPECT_EQ(song.edit.anchorTick, 240);
    enterHeldChord(history, song, guitar, context);
    enterHeldChord(history, song, guitar, context);
    EXPECT_THAT(Ticks(), ElementsAre(0, 240, 480));
    EXPECT_EQ(song.songEvents[1].strokeDir, 1);
    EXPECT_EQ(song.songEvents[2].strokeDir, 0);
    EXPECT_EQ(history.undoCount, 3);

    guitar.clearFrets(); // no string played: ignored
    EXPECT_FALSE(enterHeldChord(history, song, guitar, context).eventsChanged);
    EXPECT_EQ(song.eventCount, 3u);
    EXPECT_EQ(song.edit.cursorTick, 720);
}

TEST_F(EnterChordTest, ReplacingKeepsTheEventsPlayingValuesAndUndoRemovesTheEntry) {
    SongEvent old = Event(960, 77, 400);
    old.strokeDir = 1;
    old.strokeTime = 150;
    song.insertEvent(old);
    song.sortEvents();
    song.edit.cursorTick = 960;
    context.chord1Index = 8;
    enterHeldChord(history, song, guitar, context);
    ASSERT_EQ(song.eventCount, 1u);
    SongEvent want = old;
    want.frets = {0, 1, 0, 2, 3, SILENT};
    want.root = 8;
    EXPECT_EQ(song.songEvents[0], want);

    put(0, 10);
    select(0, 1920); // after a selection too
    enterHeldChord(history, song, guitar, context);
    EXPECT_THAT(Ticks(), ElementsAre(0, 960, 1920));
    undoLastEdit(history, song, 99);
    EXPECT_THAT(Ticks(), ElementsAre(0, 960));
    EXPECT_EQ(song.edit.cursorTick, 1920);
}

TEST_F(TransferTest, TimeSignatureAppliesFromTheBarAtOrAfterTheCursor) {
    struct Case {
        std::int32_t cursor;
        int num1Index, den2Index;
        int firstChangedBar; // 0: nothing changes
        bool marked;
    };
    for (const Case c :
         {Case{3840, 2, 2, 3, true},  // on the first tick of bar 3
          Case{3960, 2, 2, 4, true},  // inside bar 3
          Case{3840, 3, 2, 3, false}, // the same as bar 2: no mark
          Case{3840, 3, 4, 3, true},  // only the denominator differs
          Case{190080, 2, 2, 100, true}, Case{190200, 2, 2, 0, false}, // past the start of bar 100
          Case{0, 16, 2, 0, false},                                    // not an item of hyoshi1
          Case{0, 3, 5, 0, false}}) {                                  // not an item of hyoshi2
        SCOPED_TRACE(c.cursor);
        song.resetSong();
        song.edit.cursorTick = c.cursor;
        const MeterTable before = song.meterTable;
        EXPECT_EQ(timeSignatureChange(song, c.num1Index, c.den2Index), c.firstChangedBar != 0);
        const int n = c.firstChangedBar == 0 ? METER_ENTRIES : c.firstChangedBar;
        for (int k = 1; k < n; ++k) {
            ASSERT_EQ(song.meterTable[k].num, before[k].num) << k;
            ASSERT_EQ(song.meterTable[k].endTick, before[k].endTick) << k;
        }
        for (int k = n; k < METER_ENTRIES; ++k) {
            ASSERT_EQ(song.meterTable[k].num, c.num1Index + 1) << k;
            ASSERT_EQ(song.meterTable[k].den, 1 << c.den2Index) << k;
        }
        if (c.firstChangedBar != 0) {
            EXPECT_EQ(song.meterTable[n].changed, c.marked ? 1 : 0);
        }
    }
}

} // namespace
} // namespace cadenzo::testing
