#include "editing_fixture.h"
#include "seq/meter_step.h"

#include <gmock/gmock.h>

namespace cadenzo::testing {
namespace {

using ::testing::ElementsAre;

using EnterChordTest = EditingTest;
using SendToFretboardTest = EditingTest;
using DeleteSelectionTest = EditingTest;

TEST_F(EnterChordTest, NewEventsTakeTheDefaultsAndAlternateStrokes) {
    context.chord1Index = 1;
    context.chord2Index = 5;
    const EditResult r = EnterChord(history, song, guitar, context);
    EXPECT_TRUE(r.eventsChanged);
    EXPECT_TRUE(r.refreshFields);
    ASSERT_EQ(song.eventCount, 1u);
    const SongEvent& e = song.songEvents[0];
    EXPECT_EQ(e.tick, 0u);
    EXPECT_EQ(e.frets, (Frets{0, 1, 0, 2, 3, SILENT}));
    EXPECT_EQ(e.velocity, 100);
    EXPECT_EQ(e.gate, 240);
    EXPECT_EQ(e.strokeTime, 60);
    EXPECT_EQ(e.strokeDir, 0);
    EXPECT_EQ(e.root, 1);
    EXPECT_EQ(e.chordType, 5);
    EXPECT_EQ(song.edit.cursorTick, 240);
    EXPECT_EQ(song.edit.anchorTick, 240);

    EnterChord(history, song, guitar, context);
    EnterChord(history, song, guitar, context);
    ASSERT_EQ(song.eventCount, 3u);
    EXPECT_EQ(song.songEvents[1].strokeDir, 1);
    EXPECT_EQ(song.songEvents[2].tick, 480u);
    EXPECT_EQ(song.songEvents[2].strokeDir, 0);
    EXPECT_EQ(history.undoCount, 3);
}

TEST_F(EnterChordTest, ReplacingKeepsTheEventsPlayingValues) {
    SongEvent old = Event(960, 77, 400);
    old.strokeDir = 1;
    old.strokeTime = 150;
    song.PutEvent(old);
    song.SortEvents();
    song.edit.cursorTick = 960;
    context.chord1Index = 8;
    EnterChord(history, song, guitar, context);
    ASSERT_EQ(song.eventCount, 1u);
    const SongEvent& e = song.songEvents[0];
    EXPECT_EQ(e.frets, (Frets{0, 1, 0, 2, 3, SILENT}));
    EXPECT_EQ(e.root, 8);
    EXPECT_EQ(e.velocity, 77);
    EXPECT_EQ(e.gate, 400);
    EXPECT_EQ(e.strokeDir, 1);
    EXPECT_EQ(e.strokeTime, 150);
}

TEST_F(EnterChordTest, GateIsCutAtTheNextEvent) {
    Put(120);
    EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.songEvents[0].gate, 120);
    EXPECT_EQ(song.songEvents[0].strokeTime, 60);
}

TEST_F(EnterChordTest, NoStringPlayedIsIgnored) {
    guitar.ClearFlets();
    const EditResult r = EnterChord(history, song, guitar, context);
    EXPECT_FALSE(r.eventsChanged);
    EXPECT_EQ(song.eventCount, 0u);
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(song.edit.cursorTick, 0);
}

struct LastBarCase {
    std::int32_t cursor;
    bool entered;
};

class EnterAtLastBarTest : public EditingTest, public ::testing::WithParamInterface<LastBarCase> {};

TEST_P(EnterAtLastBarTest, OnlyUpToTheStartOfBarOneHundred) {
    song.edit.cursorTick = GetParam().cursor;
    EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.eventCount, GetParam().entered ? 1u : 0u);
    EXPECT_EQ(history.undoCount, GetParam().entered ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(FourFour, EnterAtLastBarTest,
                         ::testing::Values(LastBarCase{188160, true}, LastBarCase{190080, true},
                                           LastBarCase{190200, false}, LastBarCase{192000, false}));

TEST_F(EnterChordTest, TheTwoThousandthIsAcceptedAndTheNextRefused) {
    Fill(MAX_EVENTS - 1, 1920);
    EXPECT_EQ(EnterChord(history, song, guitar, context).status, nullptr);
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    const std::int32_t cursor = song.edit.cursorTick;
    const EditResult r = EnterChord(history, song, guitar, context);
    EXPECT_STREQ(r.status, "Over!");
    EXPECT_FALSE(r.eventsChanged);
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    EXPECT_EQ(history.undoCount, 1);
    EXPECT_EQ(song.edit.cursorTick, cursor);
}

TEST_F(EnterChordTest, UndoRemovesTheEntryAlsoAfterASelection) {
    Put(0, 10);
    Put(480, 20);
    Select(0, 960);
    EnterChord(history, song, guitar, context);
    EXPECT_THAT(Ticks(), ElementsAre(0, 480, 960));
    Undo(history, song, 99);
    EXPECT_THAT(Ticks(), ElementsAre(0, 480));
    EXPECT_EQ(song.edit.cursorTick, 960);
}

TEST_F(EnterChordTest, OneBarStepFollowsTheBarsLength) {
    song.SetMeter(3, 3, 4);
    song.edit.stepIndex = 0;
    std::vector<std::int32_t> cursors;
    for (int k = 0; k < 4; ++k) {
        EnterChord(history, song, guitar, context);
        cursors.push_back(song.edit.cursorTick);
    }
    EXPECT_THAT(cursors, ElementsAre(1920, 3840, 5280, 6720));
}

TEST_F(EnterChordTest, CursorStaysWhenTheStepWouldReachTheLastTick) {
    song.SetMeter(1, 16, 4);
    Select(191880, 191880);
    EnterChord(history, song, guitar, context);
    EXPECT_GE(song.FindEvent(191880), 0);
    EXPECT_EQ(song.edit.cursorTick, 191880);
    EXPECT_EQ(song.edit.anchorTick, 191880);
}

TEST_F(EnterChordTest, EntryOutsideTheViewBringsTheViewToTheBarBefore) {
    song.edit.cursorTick = 9600; // bar 6, far right of a 422-pixel window
    const EditResult r = EnterChord(history, song, guitar, context);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 4);
    EXPECT_EQ(song.edit.viewStartTick, 7680);

    song.edit.cursorTick = 0; // now before the view
    EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.edit.viewBar, 0);
}

TEST_F(EnterChordTest, CursorRightOfTheViewScrollsOneBar) {
    // Zoom 2, width 327: tick 2640 is drawn at x 319, tick 2880 at 343.
    song.edit.cursorTick = 2400;
    EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.edit.viewBar, 0);
    const EditResult r = EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.edit.cursorTick, 2880);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 1);
}

TEST_F(EnterChordTest, ScrollStopsAtTheScrollBarsMaximum) {
    context.scrollMax = 97;
    Select(190080, 190080);
    EnterChord(history, song, guitar, context);
    EXPECT_EQ(song.edit.viewBar, 97);
}

TEST_F(SendToFretboardTest, EventAtTheCursorGoesToTheFretboard) {
    SongEvent e = Event(480);
    e.frets = {SILENT, 10, 12, 12, 10, SILENT};
    song.PutEvent(e);
    song.SortEvents();
    guitar.neckSpan = 6;
    Select(0, 480);
    const EditResult r = SendToFretboard(song, guitar);
    EXPECT_TRUE(r.fretboardChanged);
    EXPECT_EQ(guitar.frets(), e.frets);
    EXPECT_EQ(guitar.neckPos, 10);
    EXPECT_EQ(song.edit.cursorTick, 0);
}

TEST_F(SendToFretboardTest, NoEventExactlyThereKeepsTheFretsButRunsTheTail) {
    Put(480);
    Select(0, 520);
    const Frets before = guitar.frets();
    const EditResult r = SendToFretboard(song, guitar);
    EXPECT_TRUE(r.fretboardChanged);
    EXPECT_EQ(guitar.frets(), before);
    EXPECT_EQ(song.edit.cursorTick, 520);
}

TEST_F(DeleteSelectionTest, EmptySpanOnlyCollapsesTheSelection) {
    Put(1920);
    Select(0, 960);
    const EditResult r = DeleteSelection(history, song);
    EXPECT_TRUE(r.refreshFields);
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(song.edit.anchorTick, 960);
    EXPECT_EQ(song.eventCount, 1u);
}

TEST_F(DeleteSelectionTest, RemovesTheSpanInEitherDirection) {
    for (std::int32_t t : {0, 480, 960, 1440})
        Put(t);
    Select(1440, 480);
    DeleteSelection(history, song);
    EXPECT_THAT(Ticks(), ElementsAre(0));
    EXPECT_EQ(song.edit.anchorTick, 480);
    EXPECT_EQ(history.undoCount, 1);
    Undo(history, song, 99);
    EXPECT_THAT(Ticks(), ElementsAre(0, 480, 960, 1440));
}

struct SignatureCase {
    std::int32_t cursor;
    int num1Index, den2Index;
    int firstChangedBar; // 0: nothing changes
    bool marked;
};

class TimeSignatureTest : public EditingTest,
                          public ::testing::WithParamInterface<SignatureCase> {};

TEST_P(TimeSignatureTest, AppliesFromTheBarAtOrAfterTheCursor) {
    const SignatureCase& c = GetParam();
    song.edit.cursorTick = c.cursor;
    const MeterTable before = song.meterTable;
    const bool changed = TimeSignatureChange(song, c.num1Index, c.den2Index);
    EXPECT_EQ(changed, c.firstChangedBar != 0);
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

INSTANTIATE_TEST_SUITE_P(
    Cursors, TimeSignatureTest,
    ::testing::Values(SignatureCase{3840, 2, 2, 3, true},  // on the first tick of bar 3
                      SignatureCase{3960, 2, 2, 4, true},  // inside bar 3
                      SignatureCase{3840, 3, 2, 3, false}, // the same as bar 2: no mark
                      SignatureCase{0, 5, 3, 1, true},     // 6/8 from bar 1
                      SignatureCase{3840, 3, 4, 3, true},  // only the denominator differs
                      SignatureCase{190080, 2, 2, 100, true},
                      SignatureCase{190200, 2, 2, 0, false}, // past the start of bar 100
                      SignatureCase{0, 16, 2, 0, false},     // not an item of hyoshi1
                      SignatureCase{0, 3, 5, 0, false}));    // not an item of hyoshi2

TEST(StepTicks, GridAndStepChoices) {
    Song song;
    const std::int32_t sixteenth[] = {1920, 960, 480, 240, 120};
    const std::int32_t triplet[] = {1920, 960, 480, 240, 80};
    for (int grid = 0; grid < 2; ++grid) {
        song.edit.tripletGrid = grid;
        for (int step = 0; step < STEP_CHOICES; ++step) {
            song.edit.stepIndex = step;
            EXPECT_EQ(StepAfter(song, 0), grid ? triplet[step] : sixteenth[step]) << grid << step;
        }
    }
    EXPECT_EQ(GridTicks(0), 120);
    EXPECT_EQ(GridTicks(1), 80);
}

TEST(StepTicks, OneBarIsTheBarAtOrAfterTheEvent) {
    Song song;
    song.SetMeter(2, 6, 8);
    song.SetMeter(3, 2, 4);
    song.edit.stepIndex = 0;
    EXPECT_EQ(StepAfter(song, 0), 1920);
    EXPECT_EQ(StepAfter(song, 1920), 1440); // the first tick of bar 2
    EXPECT_EQ(StepAfter(song, 1960), 960);  // inside bar 2: the next bar's length
}

TEST(PopupMenu, ItemsFollowTheLabelItOpensFrom) {
    const auto grid = PopupMenuItems(PopupSource::Grid);
    EXPECT_STREQ(grid[0].caption, "16");
    EXPECT_STREQ(grid[1].caption, "16-3");
    EXPECT_TRUE(grid[0].visible && grid[1].visible);
    EXPECT_FALSE(grid[2].visible || grid[3].visible || grid[4].visible);

    const auto step = PopupMenuItems(PopupSource::Step);
    const char* captions[] = {"1Bar", "2", "4", "8", "16"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_STREQ(step[k].caption, captions[k]);
        EXPECT_TRUE(step[k].visible);
    }
}

TEST(PopupMenu, ChoicesSetGridOrStepAndTheLabels) {
    EditState edit;
    EXPECT_EQ(GridCaption(edit.tripletGrid), "Grid : 16");
    EXPECT_EQ(StepCaption(edit.stepIndex), "Step : 8");
    EXPECT_TRUE(PopupChoose(edit, PopupSource::Grid, 1));
    EXPECT_EQ(edit.tripletGrid, 1);
    EXPECT_EQ(GridCaption(edit.tripletGrid), "Grid : 16_3");
    EXPECT_FALSE(PopupChoose(edit, PopupSource::Grid, 2)); // hidden under the grid label
    EXPECT_EQ(edit.stepIndex, 3);
    EXPECT_TRUE(PopupChoose(edit, PopupSource::Step, 4));
    EXPECT_EQ(edit.stepIndex, 4);
    EXPECT_EQ(edit.tripletGrid, 1);
    EXPECT_EQ(StepCaption(edit.stepIndex), "Step : 16"); // also under the triplet grid
    EXPECT_TRUE(PopupChoose(edit, PopupSource::Step, 0));
    EXPECT_EQ(StepCaption(edit.stepIndex), "Step : 1Bar");
    EXPECT_TRUE(PopupChoose(edit, PopupSource::Grid, 0));
    EXPECT_EQ(GridCaption(edit.tripletGrid), "Grid : 16");
}

} // namespace
} // namespace cadenzo::testing
