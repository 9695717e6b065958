#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/seq_geometry.h"
#include "seq/seq_mouse.h"

#include <gtest/gtest.h>

#include <tuple>

namespace cadenzo::testing {
namespace {

// The view at zoom 2 from tick 0: tick t of the first bar lies at x = 55 + t / 10.
class SeqMouseTest : public EditingTest {
protected:
    EventFields fields;
    SeqMouse mouse;
    SeqMouseContext ctx{song, history, fields, mouse, SeqLane::Velocity, SEQ_BAR_MAX};

    SeqMouseTest() { song.edit.seqWidth = 800; }

    void PutFull(std::int32_t tick, std::int32_t gate, std::int32_t strokeTime,
                 std::uint8_t velocity = 90) {
        SongEvent e = Event(tick, velocity, gate);
        e.strokeTime = strokeTime;
        song.PutEvent(e);
        song.SortEvents();
    }
    int X(std::int32_t tick) const { return TickToX(song.meterTable, ViewOf(song.edit), tick); }
    const SongEvent& At(std::int32_t tick) const { return song.songEvents[song.FindEvent(tick)]; }
    MouseResult Press(int x, int y, MouseButton b = MouseButton::Left) {
        return SeqMouseDown(ctx, b, LEFT_HELD, x, y);
    }
    MouseResult Drag(int x, int y, unsigned shift = LEFT_HELD) {
        return SeqMouseMove(ctx, shift, x, y);
    }
    MouseResult Hover(int x, int y) { return SeqMouseMove(ctx, 0, x, y); }
    // Hover over a handle, press there, drag to x and release.
    void DragHandle(int from, int y, int to) {
        Hover(from, y);
        Press(from, y);
        Drag(to, y);
        SeqMouseUp(ctx, MouseButton::Left, 0, to, y);
    }
};

TEST_F(SeqMouseTest, RowThirtyLocatesThirtyOnePlacesTheCursorEightyOneActsOnTheLane) {
    Put(480);
    mouse.dragLine = DragLine{1, 2, 3, 4};
    for (int y : {10, 50, 100}) { // the right button changes nothing but the mouse tick
        song.edit.mouseTick = 0;
        const MouseResult r = Press(X(480), y, MouseButton::Right);
        EXPECT_EQ(song.edit.mouseTick, 480);
        EXPECT_FALSE(r.locate || r.redrawAll || r.redrawEvents || r.fieldsChanged);
    }
    EXPECT_FALSE(SeqMouseUp(ctx, MouseButton::Right, 0, 0, 100).playRedraw);
    EXPECT_EQ(mouse.dragLine, (DragLine{1, 2, 3, 4}));

    MouseResult r = Press(X(480), 30);
    EXPECT_EQ(mouse.dragMode, DragMode::Ruler);
    EXPECT_EQ(r.locate, std::optional<std::int32_t>(480));
    EXPECT_TRUE(r.redrawAll);
    EXPECT_EQ(mouse.dragLine, DragLine{});
    EXPECT_EQ(song.edit.cursorTick, 0);

    r = Press(X(480), 31);
    EXPECT_EQ(mouse.dragMode, DragMode::Selection);
    EXPECT_FALSE(r.locate);
    EXPECT_EQ(song.edit.cursorTick, 480);
    EXPECT_EQ(song.edit.anchorTick, 480);
    EXPECT_EQ(r.panel0, song.PositionText(480));
    EXPECT_EQ(r.panel1, std::string());

    r = Press(-20, 81); // the lane keeps the raw x; the tick is that of x = 55
    EXPECT_EQ(song.edit.mouseTick, 0);
    EXPECT_EQ(song.edit.cursorTick, 480);
    EXPECT_EQ(mouse.dragLine, (DragLine{-20, 81, -20, 81}));
    EXPECT_TRUE(r.redrawEvents && r.redrawLane);
}

TEST_F(SeqMouseTest, CursorIsPlacedOnlyWithinEightPixelsPerZoomStepOfItsGridPoint) {
    song.edit.zoom = 1;
    song.SetMeter(2, 3, 4); // 1800 at 145, then the slot
    Put(1800);
    const MouseResult far = Press(160, 50); // snaps to 1800, 15 pixels away
    EXPECT_EQ(song.edit.mouseTick, 1800);
    EXPECT_EQ(song.edit.cursorTick, 0);
    EXPECT_FALSE(far.panel0);
    EXPECT_TRUE(far.fieldsChanged); // refreshed in every case
    Press(152, 50);                 // 7 pixels away
    EXPECT_EQ(song.edit.cursorTick, 1800);
    EXPECT_TRUE(fields.vel.enabled);
}

TEST_F(SeqMouseTest, SelectionDragIsSuspendedByModifiersAndShowsBothEnds) {
    Press(X(480), 50);
    for (unsigned extra : {SHIFT_KEY, CTRL_KEY, ALT_KEY, RIGHT_HELD}) {
        Drag(X(1440), 50, LEFT_HELD | extra);
        EXPECT_EQ(song.edit.cursorTick, 480);
    }
    MouseResult r = Drag(X(1440), 50);
    EXPECT_EQ(song.edit.cursorTick, 1440);
    EXPECT_EQ(song.edit.anchorTick, 480);
    EXPECT_EQ(r.panel0, song.PositionText(480));
    EXPECT_EQ(r.panel1, song.PositionText(1440));
    r = Drag(X(1440) + 1, 50); // the same grid tick: nothing to update
    EXPECT_FALSE(r.redrawEvents);
    Drag(X(240), 50);
    EXPECT_EQ(song.edit.cursorTick, 240);
}

TEST_F(SeqMouseTest, SelectionDragScrollsOneBarPerMoveWithinTheScrollBar) {
    song.edit.seqWidth = 327;
    ctx.scrollMax = 97;
    Press(X(240), 50);
    song.edit.cursorTick = 2400; // x 320 > 327 - 50
    MouseResult r = Drag(200, 50);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(song.edit.viewStartTick, 1920);
    EXPECT_EQ(song.edit.cursorTick, 1440); // snapped in the view the move began in
    song.edit.cursorTick = 1920;           // at the view's first tick
    EXPECT_TRUE(Drag(100, 50).scrolled);
    EXPECT_EQ(song.edit.viewBar, 0);
    song.edit.cursorTick = 0;
    EXPECT_FALSE(Drag(100, 50).scrolled);
    song.ScrollView(97);
    song.edit.cursorTick = MAX_TICK;
    EXPECT_FALSE(Drag(100, 50).scrolled);
}

// An event at 0 (gate 240, stroke 100) followed by one at 480; each drag is undone in one step.
TEST_F(SeqMouseTest, HandleDragsTwentyTicksPerZoomStepWithinTheLimits) {
    struct Case {
        const char* name;
        SeqLane lane;
        int y;
        int pressOffset; // from the event's x to the handle
        int to;          // pointer x relative to the press
        std::int32_t gate, strokeTime;
    };
    PutFull(0, 240, 100);
    PutFull(480, 240, 60);
    for (const Case c :
         {Case{"GateLonger", SeqLane::Velocity, 100, 24, 5, 280, 100},
          Case{"GateShorterTruncatesTowardZero", SeqLane::Velocity, 100, 24, -5, 200, 100},
          Case{"GateAtItsOwnLine", SeqLane::Velocity, 100, 24, -24, 20, 20},
          Case{"GateOneStepShortOfTheNext", SeqLane::Velocity, 100, 24, 23, 460, 100},
          Case{"GatePastTheNextStopsThere", SeqLane::Velocity, 100, 24, 100, 480, 100},
          Case{"StrokeLonger", SeqLane::Stroke, 105, 10, 4, 240, 140},
          Case{"StrokeNotPastTheGate", SeqLane::Stroke, 105, 10, 60, 240, 240},
          Case{"StrokeAtLeastTwenty", SeqLane::Stroke, 105, 10, -10, 240, 20}}) {
        SCOPED_TRACE(c.name);
        ctx.lane = c.lane;
        Select(960, 960);
        DragHandle(55 + c.pressOffset, c.y, 55 + c.pressOffset + c.to);
        EXPECT_EQ(At(0).gate, c.gate);
        EXPECT_EQ(At(0).strokeTime, c.strokeTime);
        EXPECT_EQ(song.edit.cursorTick, 0); // the handle's event became the selection
        EXPECT_TRUE(SongInvariantsHold(song));
        EXPECT_EQ(history.undoCount, 1);
        Undo(history, song, 99);
        EXPECT_EQ(At(0).gate, 240);
        EXPECT_EQ(At(0).strokeTime, 100);
    }
}

// A handle pressed and let go, or moved less than one zoom step, changes nothing and records no
// step: the next undo takes back the edit before it.
TEST_F(SeqMouseTest, UnchangedHandleRecordsNoUndoStep) {
    PutFull(0, 240, 100);
    for (const auto& [lane, y, handle] :
         {std::tuple{SeqLane::Velocity, 100, 79}, std::tuple{SeqLane::Stroke, 105, 65}}) {
        ctx.lane = lane;
        DragHandle(handle, y, handle);
        DragHandle(handle, y, handle + 1);
    }
    EXPECT_EQ(history.undoCount, 0);
}

TEST_F(SeqMouseTest, HandleDragIgnoresModifiersAndAnEventThatLeftItsTick) {
    PutFull(0, 240, 60);
    Hover(79, 100);
    Press(79, 100);
    Drag(200, 100, LEFT_HELD | SHIFT_KEY);
    EXPECT_EQ(At(0).gate, 240);
    song.ClearRange(0, 0); // an edit between hover and drag
    song.SortEvents();
    PutFull(480, 240, 60); // now in slot 0
    Drag(150, 100);
    EXPECT_EQ(At(480).gate, 240);
}

TEST_F(SeqMouseTest, HoverFindsHandlesWithinFourPixelsAndArrowsThatFlip) {
    PutFull(0, 240, 60);    // velocity item 55 .. 79
    PutFull(480, 240, 200); // x 103, velocity item to 127, stroke item to 123
    EXPECT_EQ(Hover(82, 100).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(mouse.dragMode, DragMode::GateHandle);
    EXPECT_EQ(mouse.handleTick, 0);
    EXPECT_EQ(mouse.handleStart, 240);
    EXPECT_EQ(Hover(83, 100).pointer, PointerShape::Default);
    EXPECT_EQ(mouse.dragMode, DragMode::VelocityLine);
    Hover(124, 100);
    EXPECT_EQ(mouse.handleTick, 480);

    ctx.lane = SeqLane::Stroke; // handles in the bar rows only
    EXPECT_EQ(Hover(123, 102).pointer, PointerShape::Default);
    EXPECT_EQ(mouse.dragMode, DragMode::None);
    EXPECT_EQ(Hover(123, 109).pointer, PointerShape::HorizontalResize);
    EXPECT_EQ(Hover(123, 110).pointer, PointerShape::Default);
    EXPECT_EQ(Hover(109, 120).pointer, PointerShape::Default);
    EXPECT_EQ(Hover(108, 95).pointer, PointerShape::VerticalResize);
    EXPECT_EQ(mouse.dragMode, DragMode::StrokeArrow);
    Press(108, 95);
    EXPECT_EQ(At(480).strokeDir, 1);
    Press(98, 95);
    EXPECT_EQ(At(480).strokeDir, 0);
    Undo(history, song, 99);
    EXPECT_EQ(At(480).strokeDir, 1);
    song.songEvents[song.FindEvent(480)].strokeDir = 7; // plays down: becomes up
    Press(103, 95);
    EXPECT_EQ(At(480).strokeDir, 1);
}

TEST_F(SeqMouseTest, VelocityLineFollowsThePointerAndAppliesOnRelease) {
    for (std::int32_t t : {0, 120, 240})
        PutFull(t, 40, 20, 10);
    Hover(50, 100);
    ASSERT_EQ(mouse.dragMode, DragMode::VelocityLine);
    Press(50, 90);
    Drag(70, 90);
    MouseResult r = Drag(90, 90);
    EXPECT_TRUE(r.rubberBand);
    EXPECT_EQ(r.erase, (DragLine{50, 90, 70, 90}));
    EXPECT_EQ(r.draw, (DragLine{50, 90, 90, 90}));
    r = SeqMouseUp(ctx, MouseButton::Left, 0, 90, 90);
    EXPECT_TRUE(r.playRedraw && r.redrawLane && r.redrawEvents);
    EXPECT_EQ(mouse.dragLine, DragLine{});
    for (std::int32_t t : {0, 120, 240})
        EXPECT_EQ(At(t).velocity, 127) << t; // 4 x 32 = 128, limited
    EXPECT_EQ(history.undoCount, 1);
    Undo(history, song, 99);
    EXPECT_EQ(At(120).velocity, 10);
}

TEST_F(SeqMouseTest, VelocityLineSetsFourTimesTheHeightAboveTheBaseLine) {
    struct Case {
        const char* name;
        DragLine line;
        std::vector<int> velocities; // of the events at 0, 120, 240, 360, 480 (x 55 .. 103)
        bool recorded;
    };
    const Case cases[] = {
        {"HighFlat", {50, 90, 110, 90}, {127, 127, 127, 127, 127}, true},
        {"OnTheBase", {50, 122, 110, 122}, {0, 0, 0, 0, 0}, true},
        {"Reversed", {110, 90, 50, 90}, {127, 127, 127, 127, 127}, true},
        // Rises 0, 2.5, 5, 7.5, 10 pixels: halves go to the even neighbour.
        {"HalvesToEven", {55, 122, 103, 112}, {0, 8, 20, 32, 40}, true},
        {"HalvesToEvenReversed", {103, 112, 55, 122}, {0, 8, 20, 32, 40}, true},
        // Falls 5.5 and 16.5 at the second and fourth event: -6 and -16.
        {"Falling", {55, 100, 103, 122}, {88, 64, 44, 24, 0}, true},
        // x1 = 57 snaps to tick 0, which lies left of the line's start.
        {"TrimsTheFirst", {57, 100, 80, 100}, {90, 88, 88, 90, 90}, true},
        {"TrimsTheLast", {60, 100, 77, 100}, {90, 88, 90, 90, 90}, true},
        {"NothingLeftAfterTrimmingKeepsTheStep", {57, 100, 60, 100}, {90, 90, 90, 90, 90}, true},
        {"Vertical", {70, 90, 70, 122}, {90, 90, 90, 90, 90}, false},
        {"NoEventInTheSpan", {120, 90, 300, 90}, {90, 90, 90, 90, 90}, false},
        {"LeftOfTheGrid", {10, 90, 50, 90}, {90, 90, 90, 90, 90}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::int32_t t : {0, 120, 240, 360, 480})
            PutFull(t, 40, 20, 90);
        const int steps = history.undoCount;
        EXPECT_EQ(ApplyVelocityLine(song, history, c.line), c.recorded);
        EXPECT_EQ(history.undoCount - steps, c.recorded ? 1 : 0);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(At(120 * k).velocity, c.velocities[k]) << "event at " << 120 * k;
    }
}

// A line starting left of the grid in a scrolled view took the events before the view as its
// first ones and gave them velocities from the line extended far to the left.
TEST_F(SeqMouseTest, VelocityLineFromLeftOfTheGridLeavesEventsBeforeTheView) {
    for (std::int32_t t : {1800, 1920, 2040})
        PutFull(t, 40, 20, 50);
    song.ScrollView(1);
    EXPECT_TRUE(ApplyVelocityLine(song, history, DragLine{20, 100, 80, 100}));
    EXPECT_EQ(At(1800).velocity, 50);
    EXPECT_EQ(At(1920).velocity, 88);
    EXPECT_EQ(At(2040).velocity, 88);
}

} // namespace
} // namespace cadenzo::testing
