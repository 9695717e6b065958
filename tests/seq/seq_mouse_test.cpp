#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/seq_geometry.h"
#include "seq/seq_mouse.h"

#include <gmock/gmock.h>

namespace cadenzo::testing {
namespace {

// The view at zoom 2 from tick 0: tick t lies at x = 55 + t / 10 within the first bar.
class SeqMouseTest : public EditingTest {
protected:
    EventFields fields;
    SeqMouse mouse;
    SeqMouseContext ctx{song, history, fields, mouse, SeqLane::Velocity, SEQ_BAR_MAX};

    SeqMouseTest() {
        song.edit.zoom = 2;
        song.edit.seqWidth = 800;
    }

    void PutFull(std::int32_t tick, std::int32_t gate, std::int32_t strokeTime,
                 std::uint8_t velocity = 90) {
        SongEvent e = Event(tick, velocity, gate);
        e.strokeTime = strokeTime;
        song.PutEvent(e);
        song.SortEvents();
    }
    int X(std::int32_t tick) const { return TickToX(song.meterTable, ViewOf(song.edit), tick); }
    const SongEvent &At(std::int32_t tick) const { return song.songEvents[song.FindEvent(tick)]; }

    MouseResult Press(int x, int y, MouseButton b = MouseButton::Left) {
        return SeqMouseDown(ctx, b, LEFT_HELD, x, y);
    }
    MouseResult Drag(int x, int y, unsigned shift = LEFT_HELD) {
        return SeqMouseMove(ctx, shift, x, y);
    }
    MouseResult Hover(int x, int y) { return SeqMouseMove(ctx, 0, x, y); }
    MouseResult Release(int x, int y, MouseButton b = MouseButton::Left) {
        return SeqMouseUp(ctx, b, 0, x, y);
    }
    // Hover over a handle, press there, drag to x, release.
    void DragHandle(int from, int y, int to) {
        Hover(from, y);
        Press(from, y);
        Drag(to, y);
        Release(to, y);
    }
};

// --- presses ----------------------------------------------------------------------------------

TEST_F(SeqMouseTest, RowThirtyLocatesThirtyOnePlacesTheCursorEightyOneActsOnTheLane) {
    mouse.dragLine = DragLine{1, 2, 3, 4};
    MouseResult ruler = Press(X(480), 30);
    EXPECT_EQ(mouse.dragMode, DragMode::Ruler);
    ASSERT_TRUE(ruler.locate.has_value());
    EXPECT_EQ(*ruler.locate, 480);
    EXPECT_TRUE(ruler.redrawAll);
    EXPECT_EQ(mouse.dragLine, DragLine{});
    EXPECT_EQ(song.edit.cursorTick, 0);

    MouseResult events = Press(X(480), 31);
    EXPECT_EQ(mouse.dragMode, DragMode::Selection);
    EXPECT_FALSE(events.locate.has_value());
    EXPECT_EQ(song.edit.cursorTick, 480);
    EXPECT_EQ(song.edit.anchorTick, 480);
    EXPECT_EQ(events.panel0, song.PositionText(480));
    EXPECT_EQ(events.panel1, std::string());
    EXPECT_TRUE(events.redrawEvents);

    MouseResult lane = Press(X(960), 81);
    EXPECT_FALSE(lane.locate.has_value());
    EXPECT_EQ(song.edit.cursorTick, 480); // the lane leaves the cursor
    EXPECT_EQ(mouse.dragLine, (DragLine{X(960), 81, X(960), 81}));
    EXPECT_EQ(lane.panel0, song.PositionText(960));
    EXPECT_TRUE(lane.redrawEvents && lane.redrawLane);
}

TEST_F(SeqMouseTest, PressLeftOfTheGridActsAtTickZeroAndKeepsTheRawXForTheLane) {
    song.ScrollView(2);
    song.edit.mouseTick = 999;
    Press(10, 50);
    EXPECT_EQ(song.edit.mouseTick, 0);
    Press(-20, 100);
    EXPECT_EQ(song.edit.mouseTick, 0);
    EXPECT_EQ(mouse.dragLine.x1, -20);
}

TEST_F(SeqMouseTest, RightPressChangesNothingButTheMouseTick) {
    Put(480);
    Select(0, 0);
    mouse.dragMode = DragMode::VelocityLine;
    mouse.dragLine = DragLine{1, 2, 3, 4};
    for (int y : {10, 50, 100}) {
        const MouseResult r = Press(X(480), y, MouseButton::Right);
        EXPECT_EQ(song.edit.mouseTick, 480);
        EXPECT_FALSE(r.locate || r.redrawAll || r.redrawEvents || r.redrawLane || r.fieldsChanged);
        EXPECT_EQ(song.edit.cursorTick, 0);
        EXPECT_EQ(mouse.dragMode, DragMode::VelocityLine);
        EXPECT_EQ(mouse.dragLine, (DragLine{1, 2, 3, 4}));
        song.edit.mouseTick = 0;
    }
    EXPECT_FALSE(Release(X(480), 100, MouseButton::Right).playRedraw);
    EXPECT_EQ(mouse.dragLine, (DragLine{1, 2, 3, 4}));
}

TEST_F(SeqMouseTest, MiddlePressActsLikeTheLeft) {
    Press(X(960), 50, MouseButton::Middle);
    EXPECT_EQ(song.edit.cursorTick, 960);
}

TEST_F(SeqMouseTest, CursorIsPlacedOnlyWithinEightPixelsPerZoomStepOfTheGridPoint) {
    song.edit.zoom = 1;
    song.SetMeter(2, 3, 4); // tick 1800 at 145, the slot, bar 2's line at 176
    Put(1800);
    Select(0, 0);
    const MouseResult far = Press(160, 50); // snaps to 1800, but 15 pixels away
    EXPECT_EQ(song.edit.mouseTick, 1800);
    EXPECT_EQ(song.edit.cursorTick, 0);
    EXPECT_FALSE(far.panel0.has_value());
    EXPECT_TRUE(far.fieldsChanged); // the fields are refreshed in every case
    Press(152, 50);                 // 7 pixels away
    EXPECT_EQ(song.edit.cursorTick, 1800);
    EXPECT_TRUE(fields.vel.enabled);
    EXPECT_EQ(fields.vel.text, "90");
}

// --- selection drag ---------------------------------------------------------------------------

TEST_F(SeqMouseTest, SelectionDragMovesTheCursorAndShowsBothEnds) {
    Put(480, 80);
    Put(960, 100);
    Press(X(480), 50);
    MouseResult r = Drag(X(960), 50);
    EXPECT_EQ(song.edit.anchorTick, 480);
    EXPECT_EQ(song.edit.cursorTick, 960);
    EXPECT_EQ(r.panel0, song.PositionText(480));
    EXPECT_EQ(r.panel1, song.PositionText(960));
    EXPECT_TRUE(r.redrawEvents);
    EXPECT_EQ(r.pointer, PointerShape::Default);
    r = Drag(X(960) + 1, 50); // same grid tick: nothing to update
    EXPECT_FALSE(r.redrawEvents);
    EXPECT_TRUE(r.repaint);
    Release(X(960), 50);
    EXPECT_EQ(fields.vel.text, ""); // 80 and 100 differ
    Drag(X(240), 50);               // leftward
    EXPECT_EQ(song.edit.cursorTick, 240);
}

TEST_F(SeqMouseTest, ShiftOrCtrlSuspendsTheDragUntilOnlyTheLeftButtonIsHeld) {
    Press(X(480), 50);
    for (unsigned extra : {SHIFT_KEY, CTRL_KEY, ALT_KEY, RIGHT_HELD}) {
        Drag(X(1440), 50, LEFT_HELD | extra);
        EXPECT_EQ(song.edit.cursorTick, 480);
    }
    Drag(X(1440), 50);
    EXPECT_EQ(song.edit.cursorTick, 1440);
}

TEST_F(SeqMouseTest, SelectionDragScrollsOneBarPerMoveAtEitherEdge) {
    song.edit.seqWidth = 327;
    ctx.scrollMax = 97;
    Press(X(240), 50);
    song.edit.cursorTick = 2400; // x = 55 + 240 + 25 = 295 > 277
    MouseResult r = Drag(200, 50);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 1);
    EXPECT_EQ(song.edit.viewStartTick, 1920);
    // The cursor follows the pointer snapped in the view it was pressed in.
    EXPECT_EQ(song.edit.cursorTick, 1440);
    // At the view's first tick the next move scrolls back.
    song.edit.cursorTick = 1920;
    r = Drag(100, 50);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 0);
    // Never past the scroll bar's ends.
    song.edit.cursorTick = 0;
    r = Drag(100, 50);
    EXPECT_FALSE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 0);
    song.ScrollView(97);
    song.edit.cursorTick = MAX_TICK;
    r = Drag(100, 50);
    EXPECT_FALSE(r.scrolled);
    EXPECT_EQ(song.edit.viewBar, 97);
}

// --- gate and stroke handles ------------------------------------------------------------------

TEST_F(SeqMouseTest, HoverOverAGateEndChoosesTheGateHandle) {
    PutFull(0, 240, 60);   // velocity item 55 .. 79
    PutFull(960, 240, 60); // 151 .. 175
    EXPECT_EQ(Hover(82, 100).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(mouse.dragMode, DragMode::GateHandle);
    EXPECT_EQ(mouse.handleTick, 0);
    EXPECT_EQ(mouse.handleStart, 240);
    EXPECT_EQ(Hover(83, 100).pointer, PointerShape::Default); // four pixels off
    EXPECT_EQ(mouse.dragMode, DragMode::VelocityLine);
    Hover(172, 100);
    EXPECT_EQ(mouse.handleTick, 960);
    EXPECT_EQ(Hover(172, 80).pointer, PointerShape::Default); // not the lane
    EXPECT_EQ(mouse.dragMode, DragMode::GateHandle);
}

TEST_F(SeqMouseTest, GateDragGrowsTwentyTicksPerZoomStep) {
    PutFull(0, 240, 60);
    PutFull(1920, 240, 60);
    Select(960, 960);
    Hover(79, 100);
    Press(79, 100);
    EXPECT_EQ(song.edit.anchorTick, 0); // the handle's event becomes the selection
    EXPECT_EQ(song.edit.cursorTick, 0);
    Drag(79 + 5, 100); // 5 div 2 = 2 steps
    EXPECT_EQ(At(0).gate, 280);
    Drag(79 - 5, 100); // truncated toward zero: -2 steps
    EXPECT_EQ(At(0).gate, 200);
    EXPECT_EQ(fields.gate.text, "200");
}

TEST_F(SeqMouseTest, GateDragLeftOfTheOwnLineGivesTwenty) {
    PutFull(480, 240, 100);
    Hover(X(480) + 24, 100);
    Press(X(480) + 24, 100);
    Drag(X(480), 100); // at the line itself (value would still be 0 + ...)
    EXPECT_EQ(At(480).gate, 20);
    EXPECT_EQ(At(480).strokeTime, 20); // the stroke time shrinks with it
    Drag(X(480) + 3, 100);             // right of the line: 240 - 10 steps x 20 = 40
    EXPECT_EQ(At(480).gate, 40);
}

TEST_F(SeqMouseTest, GateDragStopsExactlyAtTheNextEventAndShortensTheStrokeWithIt) {
    PutFull(0, 240, 60);
    PutFull(480, 240, 60);
    DragHandle(79, 100, 79 + 100);
    EXPECT_EQ(At(0).gate, 480);
    EXPECT_TRUE(SongInvariantsHold(song));
    // One step short of the next event is kept as it is.
    PutFull(0, 440, 60);
    DragHandle(X(0) + 44, 100, X(0) + 44);
    EXPECT_EQ(At(0).gate, 440);
    // The last event has no limit.
    PutFull(480, 240, 240);
    DragHandle(X(480) + 24, 100, X(480) + 24 + 400);
    EXPECT_EQ(At(480).gate, 240 + 200 * 20);
    EXPECT_EQ(At(480).strokeTime, 240);
}

TEST_F(SeqMouseTest, GateDragOfAnEventThatNoLongerStandsThereDoesNothing) {
    PutFull(0, 240, 60);
    Hover(79, 100);
    song.ClearRange(0, 0);
    song.SortEvents();
    PutFull(480, 240, 60); // now in slot 0
    Press(79, 100);
    Drag(150, 100);
    EXPECT_EQ(At(480).gate, 240);
    EXPECT_EQ(song.edit.cursorTick, 0);
}

TEST_F(SeqMouseTest, StrokeHandleStaysBetweenTwentyAndTheGate) {
    ctx.lane = SeqLane::Stroke;
    PutFull(0, 240, 60); // stroke item 55 .. 61
    EXPECT_EQ(Hover(61, 105).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(mouse.dragMode, DragMode::StrokeHandle);
    EXPECT_EQ(mouse.handleStart, 60);
    Press(61, 105);
    Drag(61 + 40, 105);
    EXPECT_EQ(At(0).strokeTime, 240);
    Drag(61 + 8, 105);
    EXPECT_EQ(At(0).strokeTime, 140);
    Drag(61 - 4, 105); // 60 - 40 = 20
    EXPECT_EQ(At(0).strokeTime, 20);
    Drag(56, 105); // 60 - 2 x 20 ... below 20
    EXPECT_EQ(At(0).strokeTime, 20);
    Drag(55, 105);
    EXPECT_EQ(At(0).strokeTime, 20);
    EXPECT_EQ(At(0).gate, 240);
}

TEST_F(SeqMouseTest, StrokeLaneHoverFindsHandlesOnlyInTheBarRowsAndArrowsAnywhere) {
    ctx.lane = SeqLane::Stroke;
    PutFull(480, 240, 200); // x 103, stroke item to 103 + 2 x 10 = 123
    EXPECT_EQ(Hover(123, 102).pointer, PointerShape::Default);
    EXPECT_EQ(mouse.dragMode, DragMode::None);
    EXPECT_EQ(Hover(123, 103).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(Hover(123, 109).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(Hover(123, 110).pointer, PointerShape::Default);
    EXPECT_EQ(Hover(108, 120).pointer, PointerShape::VerticalResize);
    EXPECT_EQ(mouse.dragMode, DragMode::StrokeArrow);
    EXPECT_EQ(Hover(109, 120).pointer, PointerShape::Default);
    EXPECT_EQ(Hover(98, 90).pointer, PointerShape::VerticalResize);
}

TEST_F(SeqMouseTest, ArrowPressFlipsTheStrokeDirectionAndCanBeUndone) {
    ctx.lane = SeqLane::Stroke;
    PutFull(480, 240, 60);
    Hover(X(480), 95);
    Press(X(480), 95);
    Release(X(480), 95);
    EXPECT_EQ(At(480).strokeDir, 1);
    Hover(X(480), 95);
    Press(X(480), 95);
    EXPECT_EQ(At(480).strokeDir, 0);
    Undo(history, song, 99);
    EXPECT_EQ(At(480).strokeDir, 1);
    // Any direction other than up counts as down and becomes up.
    song.songEvents[song.FindEvent(480)].strokeDir = 7;
    Press(X(480), 95);
    EXPECT_EQ(At(480).strokeDir, 1);
}

TEST_F(SeqMouseTest, AHandleDragIsOneUndoStep) {
    PutFull(0, 240, 60);
    PutFull(960, 240, 60);
    DragHandle(79, 100, 120);
    ASSERT_NE(At(0).gate, 240);
    Undo(history, song, 99);
    EXPECT_EQ(At(0).gate, 240);
    EXPECT_EQ(At(0).strokeTime, 60);
    EXPECT_TRUE(SongInvariantsHold(song));
}

TEST_F(SeqMouseTest, HandleDragsIgnoreModifiers) {
    PutFull(0, 240, 60);
    Hover(79, 100);
    Press(79, 100);
    Drag(200, 100, LEFT_HELD | SHIFT_KEY);
    Drag(200, 100, LEFT_HELD | CTRL_KEY);
    EXPECT_EQ(At(0).gate, 240);
    Drag(81, 100);
    EXPECT_EQ(At(0).gate, 260);
}

// --- velocity line ----------------------------------------------------------------------------

TEST_F(SeqMouseTest, HoverAwayFromHandlesChoosesTheVelocityLineAndReleaseAppliesIt) {
    PutFull(0, 40, 20, 10);
    PutFull(120, 40, 20, 10);
    PutFull(240, 40, 20, 10);
    EXPECT_EQ(Hover(50, 100).pointer, PointerShape::Default);
    ASSERT_EQ(mouse.dragMode, DragMode::VelocityLine);
    Press(50, 90);
    MouseResult r = Drag(70, 90);
    EXPECT_TRUE(r.rubberBand);
    EXPECT_EQ(r.erase, (DragLine{50, 90, 50, 90}));
    EXPECT_EQ(r.draw, (DragLine{50, 90, 70, 90}));
    r = Drag(90, 90);
    EXPECT_EQ(r.erase, (DragLine{50, 90, 70, 90}));
    EXPECT_EQ(mouse.dragLine, (DragLine{50, 90, 90, 90}));
    r = Release(90, 90);
    EXPECT_TRUE(r.playRedraw);
    EXPECT_TRUE(r.redrawLane && r.redrawEvents);
    EXPECT_EQ(mouse.dragLine, DragLine{});
    for (std::int32_t t : {0, 120, 240})
        EXPECT_EQ(At(t).velocity, 127) << t; // 4 x 32 = 128, limited
    EXPECT_EQ(history.undoCount, 1);
    EXPECT_EQ(mouse.dragMode, DragMode::VelocityLine); // not cleared on release
}

struct LineCase {
    const char *name;
    DragLine line;
    std::vector<int> velocities; // of the events at 0, 120, 240, 360, 480; -1 = untouched (90)
    bool recorded;
};

class VelocityLineTest : public SeqMouseTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(VelocityLineTest, SetsFourTimesTheHeightAboveTheBaseLine) {
    for (std::int32_t t : {0, 120, 240, 360, 480})
        PutFull(t, 40, 20, 90);
    const LineCase c = GetParam();
    EXPECT_EQ(ApplyVelocityLine(song, history, c.line), c.recorded);
    EXPECT_EQ(history.undoCount, c.recorded ? 1 : 0);
    const std::int32_t ticks[] = {0, 120, 240, 360, 480};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(At(ticks[k]).velocity, c.velocities[k] < 0 ? 90 : c.velocities[k])
            << "event at " << ticks[k];
}

// Events at x 55, 67, 79, 91, 103.
INSTANTIATE_TEST_SUITE_P(
    Lines, VelocityLineTest,
    ::testing::Values(
        LineCase{"HighFlat", {50, 90, 110, 90}, {127, 127, 127, 127, 127}, true},
        LineCase{"OnTheBase", {50, 122, 110, 122}, {0, 0, 0, 0, 0}, true},
        LineCase{"Reversed", {110, 90, 50, 90}, {127, 127, 127, 127, 127}, true},
        // A slope of 5/24: rises 0, 2.5, 5, 7.5, 10; halves go to the even neighbour.
        LineCase{"HalvesToEven", {55, 122, 103, 112}, {0, 8, 20, 32, 40}, true},
        LineCase{"HalvesToEvenReversed", {103, 112, 55, 122}, {0, 8, 20, 32, 40}, true},
        // Falls 5.5 and 16.5 pixels at the second and fourth event: -6 and -16.
        LineCase{"Falling", {55, 100, 103, 122}, {88, 64, 44, 24, 0}, true},
        // x1 = 57 snaps to tick 0, drawn left of the line: that event is left out.
        LineCase{"TrimsTheFirst", {57, 100, 80, 100}, {-1, 88, 88, -1, -1}, true},
        // x2 = 77 snaps to 240, drawn right of the line.
        LineCase{"TrimsTheLast", {60, 100, 77, 100}, {-1, 88, -1, -1, -1}, true},
        // Both ends snap to the event at 0, which lies left of the line: the undo step stays.
        LineCase{"NothingLeftAfterTrimming", {57, 100, 60, 100}, {-1, -1, -1, -1, -1}, true},
        LineCase{"Vertical", {70, 90, 70, 122}, {-1, -1, -1, -1, -1}, false},
        LineCase{"RightOfTheEvents", {120, 90, 300, 90}, {-1, -1, -1, -1, -1}, false},
        LineCase{"LeftOfTheGrid", {10, 90, 50, 90}, {-1, -1, -1, -1, -1}, false},
        LineCase{"BelowTheLane", {50, 128, 110, 128}, {0, 0, 0, 0, 0}, true}),
    [](const ::testing::TestParamInfo<LineCase> &info) { return std::string(info.param.name); });

TEST_F(SeqMouseTest, VelocityLineSpanWithoutEventsChangesNothingAndRecordsNothing) {
    PutFull(0, 40, 20, 90);
    PutFull(960, 40, 20, 90);
    EXPECT_FALSE(ApplyVelocityLine(song, history, DragLine{X(240), 90, X(720), 90}));
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(At(0).velocity, 90);
    EXPECT_EQ(At(960).velocity, 90);
    Song empty;
    EXPECT_FALSE(ApplyVelocityLine(empty, history, DragLine{50, 90, 110, 90}));
}

TEST_F(SeqMouseTest, VelocityLineUndoRestoresThePreviousVelocities) {
    PutFull(0, 40, 20, 10);
    PutFull(120, 40, 20, 20);
    ApplyVelocityLine(song, history, DragLine{50, 90, 110, 90});
    EXPECT_EQ(history.undoEntries[0].first, 0);
    EXPECT_EQ(history.undoEntries[0].last, 120);
    Undo(history, song, 99);
    EXPECT_EQ(At(0).velocity, 10);
    EXPECT_EQ(At(120).velocity, 20);
}

// Found while checking lines that start left of the grid in a scrolled view: the events before
// the view were taken as the line's first events and given velocities from the line extended
// far to the left.
TEST_F(SeqMouseTest, VelocityLineFromLeftOfTheGridLeavesEventsBeforeTheView) {
    PutFull(1800, 40, 20, 50);
    PutFull(1920, 40, 20, 50);
    PutFull(2040, 40, 20, 50);
    song.ScrollView(1);
    ASSERT_EQ(X(1920), 55);
    EXPECT_TRUE(ApplyVelocityLine(song, history, DragLine{20, 100, 80, 100}));
    EXPECT_EQ(At(1800).velocity, 50);
    EXPECT_EQ(At(1920).velocity, 88);
    EXPECT_EQ(At(2040).velocity, 88);
}

TEST_F(SeqMouseTest, ReleaseAfterALaneDragOnlyAppliesInVelocityLineMode) {
    PutFull(0, 240, 60, 50);
    Hover(79, 100); // gate handle
    Press(79, 100);
    Release(79, 100);
    EXPECT_EQ(At(0).velocity, 50);
    EXPECT_EQ(mouse.dragLine, DragLine{});
}

} // namespace
} // namespace cadenzo::testing
