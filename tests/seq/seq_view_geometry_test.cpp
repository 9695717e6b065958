#include "seq/seq_geometry.h"
#include "seq/song.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace cadenzo {
namespace {

SongEvent EventAt(std::uint32_t tick, std::int32_t gate = 240, std::int32_t strokeTime = 60) {
    SongEvent e;
    e.tick = tick;
    e.frets = {0, 1, 0, 2, 3, SILENT};
    e.velocity = 100;
    e.gate = gate;
    e.strokeTime = strokeTime;
    return e;
}

// --- XToTick --------------------------------------------------------------------------------

struct SnapCase {
    int zoom;
    int triplet;
    std::int32_t viewStart;
    int x;
    std::int32_t tick;
};

class XToTickSnaps : public ::testing::TestWithParam<SnapCase> {};

TEST_P(XToTickSnaps, ToTheNearestGridTickWithTiesGoingRight) {
    const SnapCase c = GetParam();
    Song song;
    EXPECT_EQ(XToTick(song.meterTable, ViewGeometry{c.viewStart, c.zoom}, c.triplet, c.x), c.tick)
        << "x " << c.x << " zoom " << c.zoom;
}

INSTANTIATE_TEST_SUITE_P(
    FourFour, XToTickSnaps,
    ::testing::Values(
        // The first grid line is at 55, but a pointer on it is still left of the threshold.
        SnapCase{2, 0, 0, 55, -1}, SnapCase{2, 0, 0, 0, -1}, SnapCase{2, 0, 0, -30, -1},
        SnapCase{2, 0, 0, 56, 0}, SnapCase{2, 0, 0, 60, 0},
        // 61 lies 6 pixels from 55 and from 67: the tie goes to the right.
        SnapCase{2, 0, 0, 61, 120}, SnapCase{2, 0, 0, 67, 120}, SnapCase{2, 0, 0, 72, 120},
        SnapCase{2, 0, 0, 73, 240}, SnapCase{1, 0, 0, 57, 0}, SnapCase{1, 0, 0, 58, 120},
        SnapCase{4, 0, 0, 66, 0}, SnapCase{4, 0, 0, 67, 120},
        // Triplet grid: 80 ticks are 4 x zoom pixels.
        SnapCase{2, 1, 0, 58, 0}, SnapCase{2, 1, 0, 59, 80}, SnapCase{2, 1, 0, 63, 80},
        // Counted from the view's first tick.
        SnapCase{2, 0, 1920, 56, 1920}, SnapCase{2, 0, 1920, 61, 2040},
        SnapCase{2, 1, 1920, 59, 2000},
        // Far right of any screen: never past the editor's last tick.
        SnapCase{1, 0, 0, 100000, MAX_TICK}, SnapCase{4, 0, 186240, 5000, MAX_TICK}));

TEST(XToTick, SkipsTheSignatureSlotInFrontOfAChangedBar) {
    Song song;
    song.SetMeter(2, 3, 4); // bar 2 starts at 1920 behind a slot: TickToX(1800) = 145, (1920) = 176
    const ViewGeometry view{0, 1};
    ASSERT_EQ(TickToX(song.meterTable, view, 1800), 145);
    ASSERT_EQ(TickToX(song.meterTable, view, 1920), 176);
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 145), 1800);
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 160), 1800); // 15 from 145, 16 from 176
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 161), 1920); // a tie goes right
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 176), 1920);
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 182), 2040);
}

TEST(XToTick, AgreesWithTickToXOnEveryGridPointOfTheView) {
    Song song;
    song.SetMeter(3, 3, 8);
    song.SetMeter(5, 7, 16);
    song.SetMeter(9, 4, 4);
    for (int zoom = 1; zoom <= 4; ++zoom) {
        for (std::int32_t start : {0, 1920}) {
            const ViewGeometry view{start, zoom};
            for (std::int32_t t = start + 240; t < start + 20000; t += 80) {
                const int x = TickToX(song.meterTable, view, t);
                ASSERT_EQ(XToTick(song.meterTable, view, 1, x), t) << "zoom " << zoom;
                if ((t - start) % 120 == 0) {
                    ASSERT_EQ(XToTick(song.meterTable, view, 0, x), t) << "zoom " << zoom;
                }
            }
        }
    }
}

// --- TickToX and SignatureGap -----------------------------------------------------------------

TEST(TickToX, CountsTheSlotOfABarThatBeginsExactlyAtTheTick) {
    Song song;
    song.SetMeter(3, 3, 4); // bar 3 begins at 3840
    const ViewGeometry view{0, 2};
    EXPECT_EQ(TickToX(song.meterTable, view, 3839), 55 + 383);
    EXPECT_EQ(TickToX(song.meterTable, view, 3840), 55 + 384 + 25);
    // A slot of a bar that later returns to the same signature is not repeated.
    song.SetMeter(4, 3, 4);
    EXPECT_EQ(TickToX(song.meterTable, view, 3840 + 1440), 55 + 384 + 144 + 25);
    // Bar 4 back to 4/4: a second slot.
    song.SetMeter(4, 4, 4);
    EXPECT_EQ(TickToX(song.meterTable, view, 3840 + 1440), 55 + 384 + 144 + 50);
}

TEST(TickToX, TheFirstBarOfAScrolledViewAlwaysHasItsSlot) {
    Song song;
    song.ScrollView(3); // bar 4, 4/4, not changed
    const ViewGeometry view = ViewOf(song.edit);
    EXPECT_EQ(view.viewStartTick, 5760);
    EXPECT_EQ(TickToX(song.meterTable, view, 5760), 55);
    EXPECT_EQ(TickToX(song.meterTable, view, 5759), -1);
    EXPECT_EQ(TickToX(song.meterTable, view, 5760 + 1920), 55 + 192);
}

TEST(SignatureGap, CountsChangedBarsStrictlyInsideTheSpan) {
    Song song;
    song.SetMeter(2, 3, 4);                                  // starts at 1920
    song.SetMeter(3, 6, 8);                                  // starts at 3360
    EXPECT_EQ(SignatureGap(song.meterTable, 1920, 3360), 0); // both ends excluded
    EXPECT_EQ(SignatureGap(song.meterTable, 1919, 3361), 50);
    EXPECT_EQ(SignatureGap(song.meterTable, 1800, 2040), 25);
    EXPECT_EQ(SignatureGap(song.meterTable, 2040, 1800), 0); // reversed span: nothing inside
}

TEST(SeqZoom, StaysWithinOneToFour) {
    EditState edit;
    for (auto [in, out] :
         std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {3, 3}, {4, 4}, {9, 4}}) {
        SetZoom(edit, in);
        EXPECT_EQ(edit.zoom, out);
    }
    EXPECT_EQ(SeqWidthForWindow(422), 327);
}

TEST(SeqRows, RulerEventRowsAndLane) {
    EXPECT_EQ(RowOf(0), SeqRow::Ruler);
    EXPECT_EQ(RowOf(30), SeqRow::Ruler);
    EXPECT_EQ(RowOf(31), SeqRow::Events);
    EXPECT_EQ(RowOf(80), SeqRow::Events);
    EXPECT_EQ(RowOf(81), SeqRow::Lane);
    EXPECT_EQ(RowOf(128), SeqRow::Lane);
    EXPECT_EQ(RowOf(-1), SeqRow::Lane); // above the view
}

// --- grid layer -------------------------------------------------------------------------------

struct GridRecorder {
    std::vector<std::tuple<int, int, int, int>> signatures; // x, bar, num, den
    std::vector<std::pair<int, int>> barNumbers;            // x, bar
    std::vector<GridLine> lines;
    void signature(int x, int bar, int num, int den) { signatures.emplace_back(x, bar, num, den); }
    void barNumber(int x, int bar) { barNumbers.emplace_back(x, bar); }
    void line(const GridLine &l) { lines.push_back(l); }
};

TEST(GridLayer, NewSongAtZoomOneHasOneSignatureAndBarLinesEveryNinetySixPixels) {
    Song song;
    GridRecorder grid;
    LayoutGrid(song.meterTable, ViewGeometry{0, 1}, 0, 327, grid);
    ASSERT_EQ(grid.signatures.size(), 1u);
    EXPECT_EQ(grid.signatures[0], std::make_tuple(34, 1, 4, 4));
    ASSERT_GE(grid.barNumbers.size(), 3u);
    EXPECT_EQ(grid.barNumbers[0], std::make_pair(59, 1));
    EXPECT_EQ(grid.barNumbers[1], std::make_pair(155, 2));
    // 16 lines per bar: a black bar line, grey beat lines every 4, sub-beat lines between.
    ASSERT_GE(grid.lines.size(), 17u);
    EXPECT_EQ(grid.lines[0].x, 55);
    EXPECT_TRUE(grid.lines[0].black);
    EXPECT_EQ(grid.lines[0].top, 15);
    EXPECT_EQ(grid.lines[0].bottom, 86);
    EXPECT_EQ(grid.lines[1].x, 61);
    EXPECT_FALSE(grid.lines[1].black);
    EXPECT_EQ(grid.lines[1].top, 35);
    EXPECT_EQ(grid.lines[1].bottom, 76);
    EXPECT_EQ(grid.lines[4].top, 15); // the second beat
    EXPECT_FALSE(grid.lines[4].black);
    EXPECT_EQ(grid.lines[16].x, 151);
    EXPECT_TRUE(grid.lines[16].black);
    // Bars start while x < width: the last bar begun may run past the right edge.
    EXPECT_EQ(grid.barNumbers.size(), 3u);
}

TEST(GridLayer, BarLinesMeetTickToXAcrossSignatureChanges) {
    Song song;
    song.SetMeter(2, 3, 4);
    song.SetMeter(4, 6, 8);
    for (int triplet = 0; triplet <= 1; ++triplet) {
        for (int zoom = 1; zoom <= 4; ++zoom) {
            const ViewGeometry view{0, zoom};
            GridRecorder grid;
            LayoutGrid(song.meterTable, view, triplet, 5000, grid);
            std::vector<int> barLines;
            for (const GridLine &l : grid.lines) {
                if (l.black)
                    barLines.push_back(l.x);
            }
            ASSERT_GE(barLines.size(), 5u);
            for (int b = 1; b <= 5; ++b) {
                const auto start = static_cast<std::int32_t>(song.meterTable[b - 1].endTick);
                EXPECT_EQ(barLines[b - 1], TickToX(song.meterTable, view, start))
                    << "bar " << b << " zoom " << zoom << " triplet " << triplet;
            }
        }
    }
    GridRecorder grid;
    LayoutGrid(song.meterTable, ViewGeometry{0, 1}, 0, SEQ_BITMAP_WIDTH, grid);
    ASSERT_GE(grid.signatures.size(), 3u);
    EXPECT_EQ(std::get<1>(grid.signatures[1]), 2);
    EXPECT_EQ(std::get<2>(grid.signatures[1]), 3);
    EXPECT_EQ(std::get<1>(grid.signatures[2]), 4);
    EXPECT_EQ(std::get<3>(grid.signatures[2]), 8);
}

TEST(GridLayer, TripletGridDrawsSixLinesPerQuarter) {
    Song song;
    GridRecorder grid;
    LayoutGrid(song.meterTable, ViewGeometry{0, 2}, 1, 200, grid);
    ASSERT_GE(grid.lines.size(), 7u);
    EXPECT_EQ(grid.lines[1].x - grid.lines[0].x, 8);
    EXPECT_EQ(grid.lines[6].top, 15);
    EXPECT_EQ(grid.lines[6].x, 55 + 48);
}

TEST(GridLayer, BarHundredAndAboveAreNeverDrawn) {
    Song song;
    song.ScrollView(99);
    GridRecorder grid;
    LayoutGrid(song.meterTable, ViewOf(song.edit), 0, 1000, grid);
    EXPECT_TRUE(grid.lines.empty());
    EXPECT_TRUE(grid.barNumbers.empty());
    song.ScrollView(98);
    GridRecorder last;
    LayoutGrid(song.meterTable, ViewOf(song.edit), 0, 1000, last);
    ASSERT_EQ(last.barNumbers.size(), 1u);
    EXPECT_EQ(last.barNumbers[0].second, 99);
}

// --- lane and event layers --------------------------------------------------------------------

TEST(LaneItems, VelocityAndStrokeExtents) {
    Song song;
    const ViewGeometry view{0, 2};
    SongEvent e = EventAt(0, 240, 60);
    e.velocity = 127;
    LaneRect v = VelocityItem(song.meterTable, view, e, 55);
    EXPECT_EQ(v.x1, 55);
    EXPECT_EQ(v.y1, 122);
    EXPECT_EQ(v.x2, 55 + 24);
    EXPECT_EQ(v.y2, 89);
    e.velocity = 0;
    EXPECT_EQ(VelocityItem(song.meterTable, view, e, 55).y2, 120); // still two pixels high
    LaneRect s = StrokeItem(song.meterTable, view, e, 55);
    EXPECT_EQ(s.x2, 55 + 2 * 3);
    EXPECT_EQ(s.y1, 109);
    EXPECT_EQ(s.y2, 103);
    // The two formulas truncate differently: a gate of 250 at zoom 3 is 37, a stroke of 250 is 36.
    e.gate = 250;
    e.strokeTime = 250;
    EXPECT_EQ(VelocityItem(song.meterTable, ViewGeometry{0, 3}, e, 0).x2, 37);
    EXPECT_EQ(StrokeItem(song.meterTable, ViewGeometry{0, 3}, e, 0).x2, 36);
}

TEST(LaneItems, ReachAcrossASignatureSlot) {
    Song song;
    song.SetMeter(2, 3, 4);
    const ViewGeometry view{0, 1};
    SongEvent e = EventAt(1800, 240, 240);
    const int x = TickToX(song.meterTable, view, 1800);
    EXPECT_EQ(VelocityItem(song.meterTable, view, e, x).x2, x + 12 + 25);
    EXPECT_EQ(StrokeItem(song.meterTable, view, e, x).x2, x + 12 + 25);
    // Its right end is where the end tick is drawn.
    EXPECT_EQ(VelocityItem(song.meterTable, view, e, x).x2, TickToX(song.meterTable, view, 2040));
}

TEST(LaneItems, HugeGatesFromAFileDoNotWrap) {
    Song song;
    SongEvent e = EventAt(0, 0x7FFFFFFF, 0x7FFFFFFF);
    EXPECT_GT(VelocityItem(song.meterTable, ViewGeometry{0, 4}, e, 55).x2, 55);
    EXPECT_GT(StrokeItem(song.meterTable, ViewGeometry{0, 4}, e, 55).x2, 55);
}

TEST(LaneItems, ArrowsPointTheStrokeWay) {
    SongEvent up = EventAt(0);
    up.strokeDir = 1;
    StrokeArrow a = ArrowOf(up, 100);
    EXPECT_EQ(a.shaftFrom, (Point{100, 122}));
    EXPECT_EQ(a.shaftTo, (Point{100, 90}));
    EXPECT_EQ(a.head[0], (Point{96, 98}));
    EXPECT_EQ(a.head[1], (Point{100, 90}));
    EXPECT_EQ(a.head[2], (Point{104, 98}));
    for (std::uint8_t dir : {0, 2, 255}) { // anything but 1 is a down stroke
        SongEvent down = EventAt(0);
        down.strokeDir = dir;
        StrokeArrow d = ArrowOf(down, 100);
        EXPECT_EQ(d.shaftTo, (Point{100, 122}));
        EXPECT_EQ(d.head[0], (Point{96, 114}));
        EXPECT_EQ(d.head[1], (Point{100, 122}));
    }
}

TEST(EventLayer, FretNumbersAlternateAndASilentStringRestartsOnTheLeft) {
    SongEvent e = EventAt(0);
    e.frets = {0, SILENT, 3, 12, SILENT, 5};
    auto labels = FretLabels(e, 100);
    EXPECT_TRUE(labels[0].shown);
    EXPECT_EQ(labels[0].x, 94); // left, one digit
    EXPECT_EQ(labels[0].y, 29);
    EXPECT_FALSE(labels[1].shown);
    EXPECT_EQ(labels[2].x, 94);  // left again after the silent string
    EXPECT_EQ(labels[3].x, 102); // right, two digits
    EXPECT_EQ(labels[3].text, "12");
    EXPECT_EQ(labels[3].y, 29 + 24);
    EXPECT_FALSE(labels[4].shown);
    EXPECT_EQ(labels[5].x, 94);
    e.frets = {1, 2, 10, 11, 3, 4};
    labels = FretLabels(e, 100);
    EXPECT_EQ(labels[0].x, 94);
    EXPECT_EQ(labels[1].x, 102);
    EXPECT_EQ(labels[2].x, 92); // left, two digits
    EXPECT_EQ(labels[3].x, 102);
    EXPECT_EQ(labels[4].x, 94);
    EXPECT_EQ(labels[5].x, 102);
}

TEST(EventLayer, ChordNameShowsOncePerRun) {
    ChordNameRun run;
    SongEvent c = EventAt(0);
    c.root = 1;
    c.chordType = 5;
    SongEvent none = EventAt(120);
    SongEvent g = EventAt(240);
    g.root = 8;
    EXPECT_TRUE(run.Next(c));
    EXPECT_FALSE(run.Next(c));
    EXPECT_FALSE(run.Next(none)); // no root: nothing drawn, the run goes on
    EXPECT_FALSE(run.Next(c));
    EXPECT_TRUE(run.Next(g));
    EXPECT_TRUE(run.Next(c)); // another chord in between shows the name again
    c.chordType = 0;
    EXPECT_TRUE(run.Next(c)); // same root, other type
}

TEST(EventLayer, ChordLabelDropsTheLeadingBlanksAndTheMajorType) {
    EXPECT_EQ(ChordLabel(" C", " m7", 5), "Cm7");
    EXPECT_EQ(ChordLabel(" C", " M", 0), "C");
    EXPECT_EQ(ChordLabel(" F#", " Maj7", 6), "F#Maj7");
    EXPECT_EQ(ChordLabel(" A#", " m69 ", 23), "A#m69 ");
}

TEST(EventLayer, CursorAndSelectionBand) {
    const LaneRect c = CursorRect(100);
    EXPECT_EQ(c.x1, 99);
    EXPECT_EQ(c.x2, 101);
    EXPECT_EQ(c.y1, 35);
    EXPECT_EQ(c.y2, 75);
    EXPECT_FALSE(SelectionOf(100, 100).shown);
    const SelectionBand right = SelectionOf(55, 100);
    const SelectionBand left = SelectionOf(100, 55); // dragged leftward: the same band
    EXPECT_TRUE(left.shown);
    EXPECT_EQ(left.left, right.left);
    EXPECT_EQ(left.right, right.right);
    EXPECT_EQ(right.left, 55);
    EXPECT_EQ(right.right, 100);
}

TEST(EventLayer, PendingCutMarksEventsInsideTheClipboardSpan) {
    EditState edit;
    edit.clipStart = 480;
    edit.clipEnd = 960;
    edit.clipMode = 2; // a copy marks nothing
    EXPECT_FALSE(InPendingCut(edit, EventAt(480)));
    edit.clipMode = 1;
    EXPECT_TRUE(InPendingCut(edit, EventAt(480)));
    EXPECT_TRUE(InPendingCut(edit, EventAt(960)));
    EXPECT_FALSE(InPendingCut(edit, EventAt(1000)));
    EXPECT_FALSE(InPendingCut(edit, EventAt(440)));
}

TEST(EventWalk, SkipsEventsLeftOfTheViewAndStopsAfterTheFirstPastTheRightEdge) {
    Song song;
    for (std::uint32_t t : {0u, 1920u, 2400u, 4000u, 6000u, 8000u})
        song.PutEvent(EventAt(t));
    song.SortEvents();
    song.ScrollView(1); // view from 1920
    std::vector<std::pair<int, int>> shown;
    ForEachShownEvent(song, ViewOf(song.edit), 327,
                      [&](int i, int x) { shown.emplace_back(i, x); });
    // 1920 at 55, 2400 at 103, 4000 at 263, 6000 at 463 (past 327: drawn, then the walk stops).
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], std::make_pair(1, 55));
    EXPECT_EQ(shown[1], std::make_pair(2, 103));
    EXPECT_EQ(shown[3].first, 4);
    EXPECT_GT(shown[3].second, 327);
}

} // namespace
} // namespace cadenzo
