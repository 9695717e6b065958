#include "seq/seq_geometry.h"
#include "seq/song.h"

#include <gtest/gtest.h>

#include <vector>

namespace cadenzo {
namespace {

TEST(XToTick, SnapsToTheNearestGridTickWithTiesGoingRight) {
    struct Case {
        int zoom, triplet;
        std::int32_t viewStart;
        int x;
        std::int32_t tick;
    };
    const Song song;
    // The first grid line is at 55, yet a pointer on it is left of the threshold; 61 is 6 pixels
    // from 55 and from 67.
    for (const Case c :
         {Case{2, 0, 0, 55, -1}, Case{2, 0, 0, -30, -1}, Case{2, 0, 0, 56, 0}, Case{2, 0, 0, 60, 0},
          Case{2, 0, 0, 61, 120}, Case{1, 0, 0, 58, 120}, Case{4, 0, 0, 66, 0},
          Case{4, 0, 0, 67, 120}, Case{2, 1, 0, 59, 80}, Case{2, 1, 1920, 59, 2000},
          Case{1, 0, 0, 100000, MAX_TICK}, Case{4, 0, 186240, 5000, MAX_TICK}}) {
        EXPECT_EQ(XToTick(song.meterTable, ViewGeometry{c.viewStart, c.zoom}, c.triplet, c.x),
                  c.tick)
            << "x " << c.x << " zoom " << c.zoom << " start " << c.viewStart;
    }
}

TEST(XToTick, SnapsAcrossASignatureSlotToTheNearerSideAndInvertsTickToX) {
    Song song;
    song.SetMeter(2, 3, 4); // 1800 at 145, the slot, bar 2's line (1920) at 176
    const ViewGeometry view{0, 1};
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 160), 1800); // 15 from 145, 16 from 176
    EXPECT_EQ(XToTick(song.meterTable, view, 0, 161), 1920);
    song.SetMeter(3, 3, 8);
    song.SetMeter(5, 7, 16);
    song.SetMeter(9, 4, 4);
    for (int zoom = 1; zoom <= 4; ++zoom) {
        for (std::int32_t start : {0, 1920}) {
            for (std::int32_t t = start + 240; t < start + 20000; t += 80) {
                const int x = TickToX(song.meterTable, ViewGeometry{start, zoom}, t);
                ASSERT_EQ(XToTick(song.meterTable, ViewGeometry{start, zoom}, 1, x), t) << zoom;
                if ((t - start) % 120 == 0) {
                    ASSERT_EQ(XToTick(song.meterTable, ViewGeometry{start, zoom}, 0, x), t) << zoom;
                }
            }
        }
    }
}

TEST(TickToX, CountsTheSlotOfEveryChangedBarFromItsFirstTickOn) {
    Song song;
    ViewGeometry view{0, 2};
    EXPECT_EQ(TickToX(song.meterTable, view, 120), 67);
    EXPECT_EQ(TickToX(song.meterTable, view, 1920), 247);
    song.SetMeter(3, 3, 4); // bar 3 begins at 3840
    EXPECT_EQ(TickToX(song.meterTable, view, 3839), 55 + 383);
    EXPECT_EQ(TickToX(song.meterTable, view, 3840), 55 + 384 + 25);
    song.SetMeter(4, 3, 4); // the same signature again: no slot
    EXPECT_EQ(TickToX(song.meterTable, view, 5280), 55 + 528 + 25);
    song.SetMeter(4, 4, 4);
    EXPECT_EQ(TickToX(song.meterTable, view, 5280), 55 + 528 + 50);
    view.viewStartTick = 3840; // the first bar shown always has its slot
    EXPECT_EQ(TickToX(song.meterTable, view, 3839), -1);
    EXPECT_EQ(TickToX(song.meterTable, view, 3840), 55);
    EXPECT_EQ(SignatureGap(song.meterTable, 0, 3840), 0);
    EXPECT_EQ(SignatureGap(song.meterTable, 0, 3841), 25);
    song.ScrollView(3);
    EXPECT_EQ(TickToX(song.meterTable, ViewOf(song.edit), 5280), 55);
}

struct GridRecorder {
    std::vector<int> signatureBars, barNumbers, barLines;
    std::vector<GridLine> lines;
    void signature(int, int bar, int, int) { signatureBars.push_back(bar); }
    void barNumber(int, int bar) { barNumbers.push_back(bar); }
    void line(const GridLine& l) {
        lines.push_back(l);
        if (l.black)
            barLines.push_back(l.x);
    }
};

TEST(GridLayer, LinesPerBarAndTheirHeights) {
    Song song;
    GridRecorder grid;
    LayoutGrid(song.meterTable, ViewGeometry{0, 1}, 0, 327, grid);
    EXPECT_EQ(grid.signatureBars, std::vector<int>{1});
    EXPECT_EQ(grid.barNumbers, (std::vector<int>{1, 2, 3})); // the last begins left of 327
    ASSERT_EQ(grid.lines.size(), 48u);
    EXPECT_EQ(grid.lines[1].x, 61);
    EXPECT_EQ(grid.lines[1].top, 35); // sub-beat line
    EXPECT_EQ(grid.lines[4].top, 15); // beat line, grey
    EXPECT_FALSE(grid.lines[4].black);
    GridRecorder triplet;
    LayoutGrid(song.meterTable, ViewGeometry{0, 2}, 1, 200, triplet);
    EXPECT_EQ(triplet.lines[6].x, 55 + 48); // six lines per quarter
    EXPECT_EQ(triplet.lines[6].top, 15);
    song.ScrollView(99); // bar 100 and above are never drawn
    GridRecorder none;
    LayoutGrid(song.meterTable, ViewOf(song.edit), 0, 1000, none);
    EXPECT_TRUE(none.lines.empty());
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
            ASSERT_GE(grid.barLines.size(), 5u);
            for (int b = 1; b <= 5; ++b) {
                const auto start = static_cast<std::int32_t>(song.meterTable[b - 1].endTick);
                EXPECT_EQ(grid.barLines[b - 1], TickToX(song.meterTable, view, start))
                    << "bar " << b << " zoom " << zoom << " triplet " << triplet;
            }
            EXPECT_EQ(grid.signatureBars, (std::vector<int>{1, 2, 4}));
        }
    }
}

TEST(LaneItems, RightEndsTruncateTheirOwnWayAndReachAcrossSlots) {
    Song song;
    SongEvent e;
    e.gate = e.strokeTime = 250;
    e.velocity = 127;
    const ViewGeometry zoom3{0, 3};
    EXPECT_EQ(VelocityItem(song.meterTable, zoom3, e, 0).x2, 37); // (3 x 250 div 10) div 2
    EXPECT_EQ(StrokeItem(song.meterTable, zoom3, e, 0).x2, 36);   // 3 x ((250 div 10) div 2)
    EXPECT_EQ(VelocityItem(song.meterTable, zoom3, e, 0).y2, 89);
    e.velocity = 0; // still two pixels high
    EXPECT_EQ(VelocityItem(song.meterTable, zoom3, e, 0).y2, 120);

    song.SetMeter(2, 3, 4);
    const ViewGeometry view{0, 1};
    e.tick = 1800;
    e.gate = e.strokeTime = 240;
    const int x = TickToX(song.meterTable, view, 1800);
    EXPECT_EQ(VelocityItem(song.meterTable, view, e, x).x2, TickToX(song.meterTable, view, 2040));
    EXPECT_EQ(StrokeItem(song.meterTable, view, e, x).x2, x + 12 + 25);
    e.gate = 0x7FFFFFFF; // a file's gate: no wrap-around to the left
    EXPECT_GT(VelocityItem(song.meterTable, ViewGeometry{0, 4}, e, x).x2, x);
}

TEST(EventLayer, FretNumbersAlternateAndChordNamesShowOncePerRun) {
    SongEvent e;
    e.frets = {0, SILENT, 3, 12, SILENT, 5}; // a silent string restarts on the left
    auto labels = FretLabels(e, 100);
    EXPECT_FALSE(labels[1].shown || labels[4].shown);
    EXPECT_EQ(labels[3].text, "12");
    EXPECT_EQ(labels[3].y, 53);
    e.frets = {1, 2, 10, 11, 3, 4};
    const auto wide = FretLabels(e, 100);
    const int expected[2][6] = {{94, 0, 94, 102, 0, 94}, {94, 102, 92, 102, 94, 102}};
    for (int s = 0; s < 6; ++s) {
        if (labels[s].shown) {
            EXPECT_EQ(labels[s].x, expected[0][s]) << "string " << s;
        }
        EXPECT_EQ(wide[s].x, expected[1][s]) << "string " << s;
    }

    ChordNameRun run;
    SongEvent c, none, g;
    c.root = 1;
    c.chordType = 5;
    g.root = 8;
    std::vector<bool> shown;
    for (const SongEvent* n : {&c, &c, &none, &c, &g, &c})
        shown.push_back(run.Next(*n)); // no root: nothing drawn, the run goes on
    EXPECT_EQ(shown, (std::vector<bool>{true, false, false, false, true, true}));
    EXPECT_EQ(ChordLabel(" C", " m7", 5), "Cm7");
    EXPECT_EQ(ChordLabel(" C", " M", 0), "C");
}

TEST(EventWalk, SkipsEventsLeftOfTheViewAndStopsAfterTheFirstPastTheRightEdge) {
    Song song;
    for (std::uint32_t t : {0u, 1920u, 2400u, 4000u, 6000u, 8000u}) {
        SongEvent e;
        e.tick = t;
        song.PutEvent(e);
    }
    song.SortEvents();
    song.ScrollView(1);
    std::vector<int> shown;
    ForEachShownEvent(song, ViewOf(song.edit), 327, [&](int i, int) { shown.push_back(i); });
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4})); // 6000 lies at 463, past 327
    EXPECT_EQ(SelectionOf(100, 55).left, 55);         // a leftward selection
    EXPECT_FALSE(SelectionOf(55, 55).shown);
}

} // namespace
} // namespace cadenzo
