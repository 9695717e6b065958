#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/meter_step.h"
#include "seq/seq_geometry.h"
#include "seq/seq_mouse.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace cadenzo::testing {
namespace {

// Random sessions of mouse and field edits mixed with entering, deleting and undoing: after
// every step the event list keeps its order, its end marker and its gates, the undo history
// stays consistent, and what the editor writes stays within its ranges.
class SeqMouseRandomTest : public EditingTest {
protected:
    EventFields fields;
    SeqMouse mouse;
    SeqMouseContext ctx{song, history, fields, mouse, SeqLane::Velocity, SEQ_BAR_MAX};
    std::mt19937 rng;

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // Pixels near the events and handles are where the interesting cases are.
    int SomeX() {
        if (song.eventCount > 0 && Uniform(0, 2) > 0) {
            const SongEvent& e = song.songEvents[Uniform(0, static_cast<int>(song.eventCount) - 1)];
            const ViewGeometry view = ViewOf(song.edit);
            const int x = TickToX(song.meterTable, view, e.signedTick());
            switch (Uniform(0, 2)) {
            case 0:
                return x + Uniform(-7, 7);
            case 1:
                return VelocityItem(song.meterTable, view, e, x).x2 + Uniform(-4, 4);
            default:
                return StrokeItem(song.meterTable, view, e, x).x2 + Uniform(-4, 4);
            }
        }
        return Uniform(-20, song.edit.seqWidth + 20);
    }

    unsigned SomeShift() {
        static const unsigned shifts[] = {
            LEFT_HELD, LEFT_HELD, LEFT_HELD, 0, 0, LEFT_HELD | SHIFT_KEY, CTRL_KEY, RIGHT_HELD};
        return shifts[Uniform(0, 7)];
    }

    int lastOp = -1;
    // A gesture in progress: moves with the left button held, then the release.
    int gestureLeft = 0;
    int gestureX = 0;

    void Step() {
        if (gestureLeft > 0) {
            const int x = gestureX + Uniform(-80, 80);
            if (--gestureLeft == 0)
                SeqMouseUp(ctx, MouseButton::Left, 0, x, Uniform(-5, 128));
            else
                SeqMouseMove(ctx, Uniform(0, 4) > 0 ? LEFT_HELD : SomeShift(), x, Uniform(-5, 128));
            return;
        }
        lastOp = Uniform(0, 19);
        switch (lastOp) {
        case 0:
        case 1: {
            SongEvent e = Event(Uniform(0, 200) * TICK_RASTER,
                                static_cast<std::uint8_t>(Uniform(0, 127)), Uniform(1, 30) * 40);
            e.strokeTime = Uniform(1, 20) * 20;
            if (song.eventCount < MAX_EVENTS) {
                PushUndo(history, song, e.signedTick(), e.signedTick());
                song.PutEvent(e);
                song.SortEvents();
            }
            break;
        }
        case 2:
        case 3: {
            // Hover, then press where the pointer shape showed a handle, a line or an arrow.
            gestureX = SomeX();
            const int y = Uniform(0, 3) > 0 ? Uniform(81, 128) : Uniform(-5, 80);
            SeqMouseMove(ctx, 0, gestureX, y);
            SeqMouseDown(ctx, static_cast<MouseButton>(Uniform(0, 2)), LEFT_HELD, gestureX, y);
            gestureLeft = Uniform(1, 5);
            break;
        }
        case 4:
        case 5:
            SeqMouseMove(ctx, SomeShift(), SomeX(), Uniform(-5, 128));
            break;
        case 6:
            SeqMouseUp(ctx, Uniform(0, 3) > 0 ? MouseButton::Left : MouseButton::Right, 0, SomeX(),
                       Uniform(-5, 128));
            break;
        case 7:
            ApplyVelocityLine(song, history,
                              DragLine{SomeX(), Uniform(80, 128), SomeX(), Uniform(80, 128)});
            break;
        case 8: {
            const auto id = static_cast<FieldId>(Uniform(0, 2));
            static const char* texts[] = {"",    "0",  "19",  "20",    "64",    "127", "300",
                                          "479", "-5", "abc", "32767", "99999", "40"};
            fields.Field(id).Type(texts[Uniform(0, 12)]);
            FieldExit(id, fields, song, history);
            break;
        }
        case 9:
            FieldUpDownClick(static_cast<FieldId>(Uniform(0, 2)), Uniform(0, 1) ? 1 : -1, fields,
                             song, history);
            break;
        case 10:
            Undo(history, song, ctx.scrollMax);
            UpdateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            break;
        case 11:
            DeleteSelection(history, song);
            UpdateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            break;
        case 12:
            ctx.lane = Uniform(0, 1) ? SeqLane::Stroke : SeqLane::Velocity;
            SetZoom(song.edit, Uniform(0, 5));
            break;
        case 13:
            song.ScrollView(std::clamp(song.edit.viewBar + Uniform(-1, 1), 0, ctx.scrollMax));
            break;
        case 14:
            song.SetMeter(Uniform(1, 100), static_cast<std::uint8_t>(Uniform(1, 16)),
                          static_cast<std::uint8_t>(1 << Uniform(0, 4)));
            song.ScrollView(song.edit.viewBar);
            break;
        case 15:
            song.edit.tripletGrid = Uniform(0, 1);
            break;
        case 16:
            // The clipboard: a paste leaves the fields as they were.
            if (Uniform(0, 2) == 0)
                Cut(song);
            else if (Uniform(0, 1) == 0)
                Copy(song);
            else
                Paste(history, song, song.edit.cursorTick);
            break;
        case 17:
        case 18:
            EditThenUndo();
            break;
        default:
            guitar.setFrets({static_cast<std::uint8_t>(Uniform(0, 5)), 1, 0, 2, 3, SILENT});
            EnterChord(history, song, guitar, context);
            UpdateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            break;
        }
    }

    // One edit of the view or the fields that records exactly one undo step when it records any;
    // undoing that step must give back every event as it was, to the byte.
    void EditThenUndo() {
        const std::vector<SongEvent> before(song.songEvents.begin(),
                                            song.songEvents.begin() + song.eventCount);
        bool recorded = false;
        switch (Uniform(0, 2)) {
        case 0: {
            UpdateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            const auto id = static_cast<FieldId>(Uniform(0, 2));
            recorded = fields.Field(id).enabled;
            fields.Field(id).Type(std::to_string(Uniform(-10, 600)));
            if (Uniform(0, 1) == 0)
                FieldExit(id, fields, song, history);
            else
                FieldUpDownClick(id, Uniform(0, 1) ? 1 : -1, fields, song, history);
            break;
        }
        case 1:
            recorded = ApplyVelocityLine(
                song, history, DragLine{SomeX(), Uniform(80, 128), SomeX(), Uniform(80, 128)});
            break;
        default: {
            const int x = SomeX();
            const int y = Uniform(81, 128);
            SeqMouseMove(ctx, 0, x, y);
            const DragMode mode = mouse.dragMode;
            if (mode != DragMode::GateHandle && mode != DragMode::StrokeHandle)
                return; // a velocity line or an arrow: their undo is checked elsewhere
            recorded = song.FindEvent(mouse.handleTick) >= 0;
            SeqMouseDown(ctx, MouseButton::Left, LEFT_HELD, x, y);
            SeqMouseMove(ctx, LEFT_HELD, x + Uniform(-80, 80), y);
            SeqMouseUp(ctx, MouseButton::Left, 0, x, y);
            break;
        }
        }
        if (!recorded)
            return;
        Undo(history, song, ctx.scrollMax);
        const std::vector<SongEvent> after(song.songEvents.begin(),
                                           song.songEvents.begin() + song.eventCount);
        EXPECT_EQ(after, before) << "undo did not restore the events";
    }

    ::testing::AssertionResult EditorRangesHold() const {
        const EditState& edit = song.edit;
        for (std::int32_t t : {edit.cursorTick, edit.anchorTick, edit.mouseTick}) {
            if (t < 0 || t > MAX_TICK)
                return ::testing::AssertionFailure() << "tick " << t << " out of range";
        }
        for (std::uint32_t i = 0; i < song.eventCount; ++i) {
            const SongEvent& e = song.songEvents[i];
            if (e.velocity > 127 || e.gate < MIN_GATE || e.strokeTime < MIN_GATE)
                return ::testing::AssertionFailure()
                       << "event at " << e.tick << ": velocity " << int{e.velocity} << " gate "
                       << e.gate << " stroke " << e.strokeTime;
            if (e.strokeDir > 1)
                return ::testing::AssertionFailure() << "stroke direction " << int{e.strokeDir};
        }
        for (const NumField* f : {&fields.vel, &fields.gate, &fields.stroke}) {
            if (static_cast<int>(f->text.size()) > f->maxLength)
                return ::testing::AssertionFailure() << "text " << f->text;
        }
        return ::testing::AssertionSuccess();
    }
};

class SeqMouseRandomSession : public SeqMouseRandomTest,
                              public ::testing::WithParamInterface<unsigned> {};

TEST_P(SeqMouseRandomSession, InvariantsHoldAfterEveryStep) {
    rng.seed(GetParam());
    for (int step = 0; step < 600; ++step) {
        Step();
        ASSERT_TRUE(SongInvariantsHold(song)) << "step " << step << " op " << lastOp;
        ASSERT_TRUE(HistoryInvariantsHold(history)) << "step " << step;
        ASSERT_TRUE(EditorRangesHold()) << "step " << step;
        ASSERT_FALSE(HasFailure()) << "step " << step << " op " << lastOp;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeqMouseRandomSession, ::testing::Range(1u, 41u));

} // namespace
} // namespace cadenzo::testing
