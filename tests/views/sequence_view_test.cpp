#include "support/song_events.h"
#include "support/test_app.h"
#include "support/widget_util.h"
#include "views/sequence_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace cadenzo {
namespace {

constexpr QRgb kBlack = 0xFF000000, kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF, kCyan = 0xFF00FFFF, kPink = 0xFFFFAAFF;
constexpr int kWidth = 600;
constexpr std::uint8_t x_ = SILENT;

// x of tick t (no signature change): the first bar's 25-px slot after x 30, then zoom px/20 ticks.
constexpr auto X = [](int zoom, int t) { return 30 + 25 + zoom * t / 20; };

// The view draws its image one row lower: drawing row r is screen row r + 1.
class SequenceViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App(), view = std::make_unique<SequenceView>(*song, *history, fields, mouse);
        view->resize(kWidth, 129), view->show();
        QObject::connect(view.get(), &SequenceView::mouseEdited,
                         [this](const MouseResult& r) { results.push_back(r); });
    }
    void put(SongEvent e, std::uint8_t root = 0, std::uint8_t type = 0) {
        e.root = root, e.chordType = type, song->insertEvent(e), song->sortEvents();
    }
    void Show(int zoom, int cursor = -1) {
        if (cursor >= 0)
            song->edit.cursorTick = song->edit.anchorTick = cursor;
        song->edit.zoom = zoom, view->redrawAll();
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
    void Press(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        test::Press(view.get(), {x, y}, b);
    }
    void Drag(int x, int y, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        test::Move(view.get(), {x, y}, Qt::LeftButton, keys);
    }
    void Release(int x, int y) { test::Release(view.get(), {x, y}); }
    void Hover(int x, int y) { test::Move(view.get(), {x, y}, Qt::NoButton); }
    SongEvent& EventAt(std::int32_t tick) { return song->songEvents[song->findEvent(tick)]; }

    std::unique_ptr<Song> song = std::make_unique<Song>();
    std::unique_ptr<UndoHistory> history = std::make_unique<UndoHistory>();
    EventFields fields;
    SeqMouse mouse;
    std::unique_ptr<SequenceView> view;
    std::vector<MouseResult> results;
};

TEST_F(SequenceViewTest, CursorBarLinesAndAThreeFourSlotStandWhereTheScaleSays) {
    for (const int tick : {0, 120, 1920}) { // x 55, 67, 247
        Show(2, tick); // columns x - 1 and x, rows 35..74, and no other red near
        EXPECT_EQ(Count(X(2, tick) - 1, 36, X(2, tick) + 1, 76, kRed), 80) << tick;
        EXPECT_EQ(Count(X(2, tick) - 4, 30, X(2, tick) + 4, 82, kRed), 80) << tick;
    }
    Show(2, 960); // bar lines of bars 2 and 3 cover rows 15..85
    for (const int x : {X(2, 1920), X(2, 3840)})
        EXPECT_EQ(Count(x, 0, x + 1, 129, kBlack), 71);

    // Black off the string lines (screen rows 36 + 8 s) in the slot before bar 2 (x 151).
    const int bar2 = X(1, 1920);
    const auto ink = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            n += (y - 36) % 8 != 0 ? Count(bar2 + 2, y, bar2 + 24, y + 1, kBlack) : 0;
        return n;
    };
    Show(1);
    EXPECT_EQ(std::pair(At(bar2, 16), ink(36, 82)), std::pair(kBlack, 0));
    song->setMeter(2, 3, 4), Show(1);
    // The line at 176, the "3" from row 35, the "4" from row 55.
    EXPECT_TRUE(At(bar2, 16) != kBlack && At(bar2 + 25, 16) == kBlack);
    EXPECT_TRUE(ink(36, 56) > 10 && ink(56, 82) > 10);
}

TEST_F(SequenceViewTest, ChordNamesOncePerRunAndFretDigitsAlternateSides) {
    // (tick, root, type, name shown); an event without a root does not break the run.
    const std::tuple<int, std::uint8_t, std::uint8_t, bool> names[] = {
        {0, 1, 0, true},   {120, 1, 0, false}, {240, 0, 0, false}, {360, 1, 0, false},
        {480, 3, 1, true}, {600, 1, 0, true},  {720, 1, 1, true},  {840, 1, 1, false}};
    for (const auto& [tick, root, type, shown] : names)
        put(test::MakeEvent(tick, {3, x_, x_, x_, x_, x_}, 100, 120), root, type);
    Show(4, 1800);
    for (const auto& [tick, root, type, shown] : names) // name top row 16; string 0 from row 29
        EXPECT_EQ(Count(X(4, tick) - 8, 17, X(4, tick) + 14, 30, kBlue) > 0, shown) << tick;

    song->resetSong();
    const Frets frets{0, x_, 3, 12, x_, 5}; // only the two-digit 12 stands right of the line
    put(test::MakeEvent(480, frets, 100, 240));
    song->edit.clipStart = 240, song->edit.clipEnd = 960;
    for (const bool cut : {false, true}) {
        song->edit.clipMode = cut ? 1 : 0; // a pending cut draws cyan
        Show(4, 1800);
        const auto [x, ink] = std::pair(X(4, 480), cut ? kCyan : kBlue);
        for (const int s : {0, 2, 3, 5}) // the sounding strings, at their digits' middle rows
            EXPECT_EQ(std::pair(Count(x - 8, 34 + 8 * s, x + 1, 39 + 8 * s, ink) > 0,
                                Count(x + 2, 34 + 8 * s, x + 16, 39 + 8 * s, ink) > 0),
                      std::pair(s != 3, s == 3))
                << s;
    }
}

TEST_F(SequenceViewTest, TheSelectionBandInvertsTheEventRowsInEitherDirection) {
    put(test::MakeEvent(240, {7, 8, 9, 10, 11, 12}));
    for (const bool leftward : {false, true}) {
        Show(2, leftward ? 0 : 480);
        const QImage plain = view->screenImage();
        song->edit.anchorTick = leftward ? 480 : 0, view->redrawEvents();
        // Columns 55..102, screen rows 26..85; the lane keeps its colours.
        ExpectScreen(plain, [](int x, int y, QRgb under) {
            const bool inside = x >= X(2, 0) && x < X(2, 480) && y >= 26 && y <= 85;
            return inside ? under ^ 0xFFFFFF : under;
        });
    }
}

TEST_F(SequenceViewTest, VelocityBarsStandOnTheBaseLineWithTheOtherLaneInPinkBehind) {
    // Velocity v reaches up to row 120 - v div 4; a gate of 480 ticks is 48 pixels at zoom 2.
    for (const int velocity : {0, 64, 127}) {
        song->resetSong();
        put(test::MakeEvent(0, {0, x_, x_, x_, x_, x_}, std::uint8_t(velocity), 480, 240));
        view->setLane(SeqLane::Velocity), Show(2);
        const int top = 120 - velocity / 4, outline = 2 * 48 + 2 * (120 - top); // 48 px wide
        EXPECT_EQ(Count(0, 86, kWidth, 129, kBlue), outline) << velocity;
        EXPECT_EQ(Count(X(2, 0), top + 1, X(2, 0) + 48, 123, kBlue), outline) << velocity;
    }
    // The stroke-time bar (rows 103..108, 24 pixels) and the down arrow (rows 90..121) are pink
    // behind the velocity lane; with the Stroke lane chosen they stand blue before the pink bar.
    const int x = X(2, 0);
    EXPECT_EQ(At(x + 10, 104), kPink);
    view->setLane(SeqLane::Stroke);
    EXPECT_EQ(std::vector<QRgb>({At(x + 30, 90), At(x, 90), At(x + 10, 104), At(x, 100)}),
              std::vector<QRgb>({kPink, kPink, kBlue, kBlue}));
}

// Random play line moves over a selection: removing it restores the picture; it covers rows 2..119.
TEST_F(SequenceViewTest, ThePlayLineLeavesThePictureAsItWasWhenItMovesOrGoes) {
    put(test::MakeEvent(0)), put(test::MakeEvent(960, {1, 2, 3, 4, 5, 6}));
    song->edit.anchorTick = 0, Show(2, 3840);
    const QImage clean = view->screenImage();
    std::mt19937 random(7);
    for (int step = 0; step < 200; ++step)
        view->showPlayLine(std::uniform_int_distribution<int>(0, kWidth + 10)(random));
    view->showPlayLine(300);
    EXPECT_EQ(std::vector<QRgb>({At(300, 1), At(300, 2), At(300, 119), At(300, 120)}),
              std::vector<QRgb>({clean.pixel(300, 1), kBlack, kBlack, clean.pixel(300, 120)}));
    view->showPlayLine(-1);
    EXPECT_EQ(view->screenImage(), clean);
}

TEST_F(SequenceViewTest, APressSnapsToTheGridActsByRowAndShiftOrCtrlSuspendsADrag) {
    song->edit.zoom = 2;
    // x -> tick: 56 still counts as 0; 60 is 5 from 55 and 7 from 67; 61 is a tie, to the right.
    for (const auto& [x, tick] : {std::pair{10, 0}, {55, 0}, {56, 0}, {60, 0}, {61, 120}}) {
        song->edit.cursorTick = song->edit.anchorTick = 960, Press(x, 50), Release(x, 50);
        EXPECT_TRUE(song->edit.cursorTick == tick && At(X(2, tick), 50) == kRed) << x;
    }
    // Row 30 is the ruler (locate, cursor stays), 31 the event rows, 81 the lane.
    song->edit.cursorTick = song->edit.anchorTick = 960;
    for (const auto& [y, locate, cursor] : {std::tuple(30, 480, 960), {31, -1, 480}}) {
        Press(X(2, 480), y);
        EXPECT_EQ(std::pair(results.back().locate.value_or(-1), song->edit.cursorTick),
                  std::pair(locate, cursor));
    }
    Press(X(2, 240) + 3, 81);
    EXPECT_EQ(std::pair(mouse.dragLine, int(song->edit.cursorTick)),
              std::pair(DragLine{X(2, 240) + 3, 81, X(2, 240) + 3, 81}, 480));
    Press(X(2, 720), 50, Qt::RightButton); // moves only the mouse tick
    EXPECT_EQ(std::pair(int(song->edit.mouseTick), int(song->edit.cursorTick)),
              std::pair(720, 480));

    Show(2, 480), Press(X(2, 0), 50);
    // (keys held, pointer tick, cursor tick after the move)
    for (const auto& [keys, to, cursor] :
         {std::tuple<Qt::KeyboardModifiers, int, int>{Qt::ShiftModifier, 480, 0},
          {Qt::ControlModifier, 480, 0},
          {Qt::NoModifier, 480, 480},
          {Qt::ShiftModifier | Qt::ControlModifier, 720, 480},
          {Qt::NoModifier, 720, 720}}) {
        Drag(X(2, to), 50, keys);
        EXPECT_EQ(song->edit.cursorTick, cursor) << to;
    }
    EXPECT_EQ(song->edit.anchorTick, 0);
}

TEST_F(SequenceViewTest, TheGateHandleStaysBetweenTwentyTicksAndTheNextEvent) {
    put(test::MakeEvent(0, {0, x_, x_, x_, x_, x_}, 100, 240, 200)), put(test::MakeEvent(480));
    Show(2);
    const int handle = X(2, 0) + 24; // the right end of the velocity bar (240 ticks)
    // pointer x -> gate and stroke: 20 ticks a step, at least 20, at most up to the next event;
    // the stroke time follows a shorter gate.
    for (const auto& [to, gate, stroke] : {std::tuple(handle + 10, 340, 200),
                                           {handle - 20, 40, 40},
                                           {X(2, 0) - 5, 20, 20},
                                           {handle + 400, 480, 20}}) {
        Hover(handle, 100);
        EXPECT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
        Press(handle, 100), Drag(to, 100), Release(to, 100);
        EXPECT_EQ(std::pair(EventAt(0).gate, EventAt(0).strokeTime), std::pair(gate, stroke)) << to;
        EventAt(0).gate = 240, view->redrawLaneAndEvents();
    }
}

TEST_F(SequenceViewTest, AVelocityLineSetsFourTimesItsHeightAboveTheBaseLine) {
    for (const int t : {480, 960, 1440})
        put(test::MakeEvent(t, {0, x_, x_, x_, x_, x_}, 50, 120));
    Show(2);
    const int left = X(2, 480) - 10, right = X(2, 1440) + 20; // away from the gate handles
    // (from, to, velocity): y 90 is 32 rows above the base line, 4 x 32 limited to 127.
    for (const auto& [x1, y1, x2, y2, velocity] : {std::tuple(left, 90, right, 90, 127),
                                                   {left, 122, right, 122, 0},
                                                   {right, 90, left, 90, 127},
                                                   {left, 112, right, 112, 40}}) {
        Show(2, 0);
        const QImage before = view->screenImage();
        Hover(x1, y1), Press(x1, y1), Drag((x1 + x2) / 2, y2 + 3), Drag(x2, y2);
        // Drawn one row lower as NOT(red XOR what lay there); the first move's line is gone.
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
