#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/seq_geometry.h"
#include "seq/seq_mouse.h"

#include <gtest/gtest.h>

namespace cadenzo::testing {
namespace {

// The view at zoom 2 from tick 0: tick t of the first bar lies at x = 55 + t / 10.
class SeqMouseTest : public EditingTest {
protected:
    EventFields fields;
    SeqMouse mouse;
    SeqMouseContext ctx{song, history, fields, mouse, SeqLane::Velocity, SEQ_BAR_MAX};

    SeqMouseTest() { song.edit.seqWidth = 800; }

    // Hover over a handle, press there, drag to x and release.
    void DragHandle(int from, int y, int to) {
        moveOverSequence(ctx, 0, from, y);
        pressSequence(ctx, MouseButton::Left, LEFT_HELD, from, y);
        moveOverSequence(ctx, LEFT_HELD, to, y);
        releaseSequence(ctx, MouseButton::Left, 0, to, y);
    }
};

// An event at 0 (gate 240, stroke 100) followed by one at 480; each drag is one undo step (the
// random editing test checks that undoing it gives back every byte).
TEST_F(SeqMouseTest, HandleDragsTwentyTicksPerZoomStepWithinTheLimits) {
    struct Case {
        const char* name;
        SeqLane lane;
        int y;
        int pressOffset; // from the event's x to the handle
        int to;          // pointer x relative to the press
        std::int32_t gate, strokeTime;
    };
    put(0, 90, 240, 100);
    put(480, 90, 240, 60);
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
        select(960, 960);
        DragHandle(55 + c.pressOffset, c.y, 55 + c.pressOffset + c.to);
        EXPECT_EQ(At(0).gate, c.gate);
        EXPECT_EQ(At(0).strokeTime, c.strokeTime);
        EXPECT_EQ(song.edit.cursorTick, 0); // the handle's event became the selection
        EXPECT_EQ(history.undoCount, 1);
        undoLastEdit(history, song, 99);
    }
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
            put(t);
        const int steps = history.undoCount;
        EXPECT_EQ(applyVelocityLine(song, history, c.line), c.recorded);
        EXPECT_EQ(history.undoCount - steps, c.recorded ? 1 : 0);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(At(120 * k).velocity, c.velocities[k]) << "event at " << 120 * k;
    }
}

} // namespace
} // namespace cadenzo::testing
