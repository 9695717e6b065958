#include "editing_fixture.h"

#include <gmock/gmock.h>

namespace cadenzo::testing {
namespace {

using ::testing::ElementsAre;

using EnterChordTest = EditingTest;

TEST_F(EnterChordTest, NewEventsTakeTheDefaultsAndAlternateStrokes) {
    context.chord1Index = 1;
    context.chord2Index = 5;
    const EditResult r = enterHeldChord(history, song, guitar, context);
    EXPECT_TRUE(r.eventsChanged && r.refreshFields);
    ASSERT_EQ(song.eventCount, 1u);
    SongEvent want = test::MakeEvent(0, {0, 1, 0, 2, 3, SILENT}, 100, 240, 60);
    want.root = 1, want.chordType = 5;
    EXPECT_EQ(song.songEvents[0], want);
    EXPECT_EQ(song.edit.anchorTick, 240);
    enterHeldChord(history, song, guitar, context);
    enterHeldChord(history, song, guitar, context);
    EXPECT_THAT(Ticks(), ElementsAre(0, 240, 480));
    EXPECT_EQ(std::pair(song.songEvents[1].strokeDir, song.songEvents[2].strokeDir),
              (std::pair<std::uint8_t, std::uint8_t>(1, 0)));
    EXPECT_EQ(history.undoCount, 3);

    guitar.clearFrets(); // no string played: ignored
    EXPECT_FALSE(enterHeldChord(history, song, guitar, context).eventsChanged);
    EXPECT_EQ(song.eventCount, 3u);
    EXPECT_EQ(song.edit.cursorTick, 720);
}

TEST_F(EnterChordTest, ReplacingKeepsTheEventsPlayingValuesAndUndoRemovesTheEntry) {
    SongEvent old = Event(960, 77, 400);
    old.strokeDir = 1, old.strokeTime = 150;
    song.insertEvent(old);
    song.sortEvents();
    song.edit.cursorTick = 960;
    context.chord1Index = 8;
    enterHeldChord(history, song, guitar, context);
    ASSERT_EQ(song.eventCount, 1u);
    SongEvent want = old;
    want.frets = {0, 1, 0, 2, 3, SILENT}, want.root = 8;
    EXPECT_EQ(song.songEvents[0], want);

    put(0, 10);
    select(0, 1920); // after a selection too
    enterHeldChord(history, song, guitar, context);
    EXPECT_THAT(Ticks(), ElementsAre(0, 960, 1920));
    undoLastEdit(history, song, 99);
    EXPECT_THAT(Ticks(), ElementsAre(0, 960));
    EXPECT_EQ(song.edit.cursorTick, 1920);
}

} // namespace
} // namespace cadenzo::testing
