#include "seq/event_fields.h"
#include "seq/seq_mouse.h"
#include "seq/song.h"
#include "seq/undo.h"
#include "support/test_app.h"
#include "views/sequence_view.h"

#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace cadenzo {
namespace {

constexpr QRgb kBlack = 0xFF000000, kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF, kCyan = 0xFF00FFFF, kPink = 0xFFFFAAFF;
constexpr int kWidth = 600;

// x of tick t when the view starts at tick 0 and no signature changes: the first bar's slot of
// 25 pixels after x 30, then zoom pixels per 20 ticks.
int X(int zoom, int t) {
    return 30 + 25 + zoom * t / 20;
}

// The view draws its composed image one row lower on the screen: a row r named by the drawing
// rules is screen row r + 1.
class SequenceViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        view = std::make_unique<SequenceView>(*song, *history, fields, mouse);
        view->resize(kWidth, 129);
        view->show();
        QObject::connect(view.get(), &SequenceView::mouseEdited,
                         [this](const MouseResult& r) { results.push_back(r); });
        QObject::connect(view.get(), &SequenceView::doubleClicked, [this](int x, int y) {
            doubleClicks.push_back({x, y});
        });
    }

    void put(std::int32_t tick, Frets frets = {0, SILENT, SILENT, SILENT, SILENT, SILENT},
             std::uint8_t velocity = 100, std::int32_t gate = 240, std::int32_t stroke = 60,
             std::uint8_t root = 0, std::uint8_t type = 0) {
        SongEvent e;
        e.tick = static_cast<std::uint32_t>(tick);
        e.frets = frets;
        e.velocity = velocity;
        e.gate = gate;
        e.strokeTime = stroke;
        e.root = root;
        e.chordType = type;
        song->insertEvent(e);
        song->sortEvents();
    }
    void Show(int zoom) {
        song->edit.zoom = zoom;
        view->redrawAll();
    }
    QRgb At(int x, int y) const { return view->screenImage().pixel(x, y); }
    // Pixels of the colour in the screen box [left, right) x [top, bottom).
    int Count(int left, int top, int right, int bottom, QRgb colour) const {
        const QImage image = view->screenImage();
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += image.pixel(x, y) == colour;
        return n;
    }
    // Every screen pixel is rule(x, y, the pixel of `before`).
    template <class Rule> void ExpectScreen(const QImage& before, Rule rule) const {
        const QImage now = view->screenImage();
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x)
                ASSERT_EQ(now.pixel(x, y), rule(x, y, before.pixel(x, y))) << x << "," << y;
    }
    void Send(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), button, held,
                          keys);
        QApplication::sendEvent(view.get(), &event);
    }
    void Hover(int x, int y) { Send(QEvent::MouseMove, x, y, Qt::NoButton, Qt::NoButton); }
    void Press(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        Send(QEvent::MouseButtonPress, x, y, b, b);
    }
    void Drag(int x, int y, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        Send(QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton, keys);
    }
    void Release(int x, int y) {
        Send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    }
    const SongEvent& EventAt(std::int32_t tick) const {
        return song->songEvents[song->findEvent(tick)];
    }

    std::unique_ptr<Song> song = std::make_unique<Song>();
    std::unique_ptr<UndoHistory> history = std::make_unique<UndoHistory>();
    EventFields fields;
    SeqMouse mouse;
    std::unique_ptr<SequenceView> view;
    std::vector<MouseResult> results;
    std::vector<QPoint> doubleClicks;
};

TEST_F(SequenceViewTest, CursorAndBarLinesStandAtTheTickPositionsOfTheScale) {
    EXPECT_EQ(view->objectName(), "seq_screen");
    EXPECT_EQ(song->edit.seqWidth, kWidth);
    for (const int tick : {0, 120, 1920}) {
        song->edit.cursorTick = song->edit.anchorTick = tick;
        Show(2);
        const int x = X(2, tick); // 55, 67, 247
        // Columns x - 1 and x, rows 35..74 (one lower on screen), and no other red near.
        EXPECT_EQ(Count(x - 1, 36, x + 1, 76, kRed), 2 * 40) << tick;
        EXPECT_EQ(Count(x - 4, 30, x + 4, 82, kRed), 2 * 40) << tick;
    }
    // Bar lines (rows 15..85) of bars 2 and 3 (bar 1's shares its column with the play position).
    song->edit.cursorTick = song->edit.anchorTick = 960;
    Show(2);
    for (const int x : {X(2, 1920), X(2, 3840)}) {
        EXPECT_EQ(Count(x, 16, x + 1, 87, kBlack), 71);
        EXPECT_EQ(Count(x, 0, x + 1, 129, kBlack), 71);
    }
}

TEST_F(SequenceViewTest, AThreeFourChangeOpensASignatureSlotBeforeBarTwo) {
    Show(1);
    const int bar2 = X(1, 1920); // 151
    EXPECT_EQ(At(bar2, 16), kBlack);
    // Black off the string lines in the slot's place (string lines are screen rows 36 + 8 s).
    const auto signatureInk = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            if ((y - 36) % 8 != 0)
                n += Count(bar2 + 2, y, bar2 + 24, y + 1, kBlack);
        return n;
    };
    EXPECT_EQ(signatureInk(36, 56) + signatureInk(56, 82), 0);
    song->setMeter(2, 3, 4);
    Show(1);
    EXPECT_NE(At(bar2, 16), kBlack);
    EXPECT_EQ(At(bar2 + 25, 16), kBlack); // 176
    EXPECT_GT(signatureInk(36, 56), 10);  // the "3" from row 35
    EXPECT_GT(signatureInk(56, 82), 10);  // the "4" from row 55
}

TEST_F(SequenceViewTest, AChordNameShowsOnceForEachRunOfTheSameChord) {
    const std::uint8_t C = 1, D = 3, M = 0, m = 1;
    // (tick, root, type, name shown); an event without a root does not break the run.
    const struct {
        int tick;
        std::uint8_t root, type;
        bool shown;
    } cases[] = {{0, C, M, true},   {120, C, M, false}, {240, 0, M, false}, {360, C, M, false},
                 {480, D, m, true}, {600, C, M, true},  {720, C, m, true},  {840, C, m, false}};
    for (const auto& c : cases)
        put(c.tick, {3, SILENT, SILENT, SILENT, SILENT, SILENT}, 100, 120, 60, c.root, c.type);
    song->edit.cursorTick = song->edit.anchorTick = 1800;
    Show(4);
    for (const auto& c : cases) {
        const int x = X(4, c.tick);
        // The name's top is row 16; string 0's fret number begins at row 29.
        EXPECT_EQ(Count(x - 8, 17, x + 14, 30, kBlue) > 0, c.shown) << c.tick;
    }
}

TEST_F(SequenceViewTest, FretNumbersAlternateSidesAndTakeThePendingCutColour) {
    const Frets frets{0, SILENT, 3, 12, SILENT, 5};
    const bool right[] = {false, false, false, true, false, false};
    put(480, frets);
    song->edit.cursorTick = song->edit.anchorTick = 1800;
    for (const bool cut : {false, true}) {
        song->edit.clipMode = cut ? 1 : 0;
        song->edit.clipStart = 240;
        song->edit.clipEnd = 960;
        Show(4);
        const QRgb ink = cut ? kCyan : kBlue;
        const int x = X(4, 480);
        for (int s = 0; s < 6; ++s) {
            if (frets[s] == SILENT)
                continue;
            // The middle rows of the digits, whose top is at 29 + 8 s (one lower on screen).
            const int top = 29 + 8 * s + 1 + 4;
            const int left = Count(x - 8, top, x + 1, top + 5, ink);
            const int rightSide = Count(x + 2, top, x + 16, top + 5, ink);
            EXPECT_EQ(left > 0, !right[s]) << s << (cut ? " in a cut" : "");
            EXPECT_EQ(rightSide > 0, right[s]) << s << (cut ? " in a cut" : "");
        }
    }
}

TEST_F(SequenceViewTest, TheSelectionBandInvertsTheEventRowsInEitherDirection) {
    put(240, {7, 8, 9, 10, 11, 12});
    for (const bool leftward : {false, true}) {
        const int from = leftward ? 480 : 0, to = leftward ? 0 : 480;
        song->edit.anchorTick = song->edit.cursorTick = to;
        Show(2);
        const QImage plain = view->screenImage();
        song->edit.anchorTick = from;
        view->redrawEvents();
        // Columns 55..102, rows 25..84 of the event layer (26..85 on screen); the lane below
        // keeps its colours.
        ExpectScreen(plain, [](int x, int y, QRgb under) {
            const bool inside = x >= X(2, 0) && x < X(2, 480) && y >= 26 && y <= 85;
            return inside ? under ^ 0xFFFFFF : under;
        });
    }
}

TEST_F(SequenceViewTest, VelocityBarsStandOnTheBaseLineWithTheOtherLaneInPinkBehind) {
    // Velocity v reaches up to row 120 - v div 4; the gate of 480 ticks is 48 pixels at zoom 2.
    for (const int velocity : {0, 64, 127}) {
        song->resetSong();
        put(0, {0, SILENT, SILENT, SILENT, SILENT, SILENT}, static_cast<std::uint8_t>(velocity),
            480, 240);
        view->setLane(SeqLane::Velocity);
        Show(2);
        // The outline of columns x..x+47 and rows top..121, one lower on screen.
        const int x = X(2, 0), top = 120 - velocity / 4, height = 122 - top;
        const int outline = height <= 2 ? 48 * height : 2 * 48 + 2 * (height - 2);
        EXPECT_EQ(Count(x, top + 1, x + 48, 123, kBlue), outline) << velocity;
        EXPECT_EQ(Count(0, 86, kWidth, 129, kBlue), outline) << velocity;
    }
    // Velocity 127: with the Stroke lane chosen its bar is pink, and the blue stroke-time bar
    // (rows 103..108, 24 pixels for 240 ticks) and down arrow (rows 90..121) stand in front.
    const int x = X(2, 0);
    EXPECT_EQ(At(x + 10, 104), kPink); // the Velocity lane chose: the stroke items are pink
    view->setLane(SeqLane::Stroke);
    EXPECT_EQ(At(x + 30, 90), kPink);
    EXPECT_EQ(At(x, 90), kPink);
    EXPECT_EQ(At(x + 10, 104), kBlue);
    EXPECT_EQ(At(x, 100), kBlue); // the arrow's shaft over the pink bar's left edge
}

TEST_F(SequenceViewTest, ThePlayLineLeavesThePictureAsItWasWhenItMovesOrGoes) {
    put(0);
    put(960, {1, 2, 3, 4, 5, 6});
    song->edit.anchorTick = 0; // a selection: its band must not reach the lane through the line
    song->edit.cursorTick = 3840;
    Show(2);
    const QImage clean = view->screenImage();
    std::mt19937 random(7);
    int last = -1;
    for (int step = 0; step < 200; ++step) {
        last = std::uniform_int_distribution<int>(0, kWidth + 10)(random);
        view->showPlayLine(last);
    }
    last = 300;
    view->showPlayLine(last);
    EXPECT_EQ(At(last, 2), kBlack);
    EXPECT_EQ(At(last, 119), kBlack);
    EXPECT_EQ(At(last, 1), clean.pixel(last, 1));
    EXPECT_EQ(At(last, 120), clean.pixel(last, 120));
    view->showPlayLine(-1);
    EXPECT_EQ(view->screenImage(), clean);
}

TEST_F(SequenceViewTest, APressSnapsToTheGridAndActsByRow) {
    song->edit.zoom = 2;
    // x -> cursor tick: below 56 the press counts as tick 0; 60 is 5 from 55 and 7 from 67;
    // 61 is a tie between them and goes right.
    const std::pair<int, int> snaps[] = {{10, 0}, {55, 0}, {56, 0}, {60, 0}, {61, 120}};
    for (const auto& [x, tick] : snaps) {
        song->edit.cursorTick = song->edit.anchorTick = 960;
        Press(x, 50);
        Release(x, 50);
        EXPECT_EQ(song->edit.cursorTick, tick) << x;
        EXPECT_EQ(At(X(2, tick), 50), kRed) << x;
    }
    // Row 30 is the ruler (the playback position), 31 the event rows, 81 the lane.
    song->edit.cursorTick = song->edit.anchorTick = 960;
    results.clear();
    Press(X(2, 480), 30);
    ASSERT_TRUE(results.back().locate.has_value());
    EXPECT_EQ(*results.back().locate, 480);
    EXPECT_EQ(song->edit.cursorTick, 960);
    Press(X(2, 480), 31);
    EXPECT_FALSE(results.back().locate.has_value());
    EXPECT_EQ(song->edit.cursorTick, 480);
    Press(X(2, 240) + 3, 81);
    EXPECT_EQ(mouse.dragLine, (DragLine{X(2, 240) + 3, 81, X(2, 240) + 3, 81}));
    EXPECT_EQ(song->edit.cursorTick, 480);
    // A right press moves nothing but the mouse tick; a double click is reported.
    Press(X(2, 720), 50, Qt::RightButton);
    EXPECT_EQ(song->edit.mouseTick, 720);
    EXPECT_EQ(song->edit.cursorTick, 480);
    Send(QEvent::MouseButtonDblClick, 70, 50, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(doubleClicks, (std::vector<QPoint>{{70, 50}}));
}

TEST_F(SequenceViewTest, ShiftOrCtrlSuspendsASelectionDrag) {
    Show(2);
    Press(X(2, 0), 50);
    // (keys held, pointer tick, cursor tick after the move)
    const struct {
        Qt::KeyboardModifiers keys;
        int to, cursor;
    } moves[] = {{Qt::ShiftModifier, 480, 0},
                 {Qt::ControlModifier, 480, 0},
                 {Qt::NoModifier, 480, 480},
                 {Qt::ShiftModifier | Qt::ControlModifier, 720, 480},
                 {Qt::NoModifier, 720, 720}};
    for (const auto& m : moves) {
        Drag(X(2, m.to), 50, m.keys);
        EXPECT_EQ(song->edit.cursorTick, m.cursor) << m.to;
    }
    EXPECT_EQ(song->edit.anchorTick, 0);
    EXPECT_EQ(At(X(2, 360) + 3, 50), kBlack); // white inside the band, inverted
}

TEST_F(SequenceViewTest, TheGateHandleStaysBetweenTwentyTicksAndTheNextEvent) {
    put(0, {0, SILENT, SILENT, SILENT, SILENT, SILENT}, 100, 240, 200);
    put(480);
    Show(2);
    const int handle = X(2, 0) + (2 * 240 / 10) / 2; // right end of the velocity bar
    // pointer x -> gate: 20 ticks per zoom step from the press, at least 20 (also left of the
    // event's own line), at most up to the next event; the stroke time follows a shorter gate.
    const struct {
        int to, gate, stroke;
    } drags[] = {{handle + 10, 340, 200},
                 {handle - 20, 40, 40},
                 {X(2, 0) - 5, 20, 20},
                 {handle + 400, 480, 20}};
    for (const auto& [to, gate, stroke] : drags) {
        Hover(handle, 100);
        EXPECT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
        Press(handle, 100);
        Drag(to, 100);
        Release(to, 100);
        EXPECT_EQ(EventAt(0).gate, gate) << to;
        EXPECT_EQ(EventAt(0).strokeTime, stroke) << to;
        // Put the gate back for the next drag.
        song->songEvents[song->findEvent(0)].gate = 240;
        view->redrawLaneAndEvents();
    }
    Hover(X(2, 100), 100);
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SequenceViewTest, AVelocityLineSetsFourTimesItsHeightAboveTheBaseLine) {
    for (const int t : {480, 960, 1440})
        put(t, {0, SILENT, SILENT, SILENT, SILENT, SILENT}, 50, 120);
    Show(2);
    // Away from the gate handles (4 pixels either side of a bar's right end).
    const int left = X(2, 480) - 10, right = X(2, 1440) + 20;
    // (from, to, velocity): y 90 is 32 rows above the base line, 4 x 32 limited to 127.
    const struct {
        int x1, y1, x2, y2, velocity;
    } lines[] = {{left, 90, right, 90, 127},
                 {left, 122, right, 122, 0},
                 {right, 90, left, 90, 127},
                 {left, 112, right, 112, 40}};
    for (const auto& [x1, y1, x2, y2, velocity] : lines) {
        song->edit.cursorTick = song->edit.anchorTick = 0;
        view->redrawAll();
        const QImage before = view->screenImage();
        Hover(x1, y1);
        Press(x1, y1);
        Drag((x1 + x2) / 2, y2 + 3);
        Drag(x2, y2);
        // The band is drawn one row lower, each pixel NOT(red XOR what lay there); the line of
        // the first move is gone again.
        ExpectScreen(before, [&](int x, int y, QRgb under) {
            const bool onLine = y == y2 + 1 && x >= std::min(x1, x2) && x <= std::max(x1, x2) &&
                                x != x2 && x > 0 && x < kWidth - 1;
            return onLine ? 0xFF000000 | (~(under ^ kRed) & 0xFFFFFF) : under;
        });
        Release(x2, y2);
        for (const int t : {480, 960, 1440})
            EXPECT_EQ(EventAt(t).velocity, velocity) << x1 << "," << y1 << " tick " << t;
        EXPECT_EQ(Count(0, y2 + 1, kWidth, y2 + 2, kRed), 0);
    }
}

} // namespace
} // namespace cadenzo
