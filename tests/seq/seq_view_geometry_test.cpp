#include "seq/seq_geometry.h"
#include "seq/song.h"
#include "support/song_events.h"

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

TEST(tickToX, CountsTheSlotOfEveryChangedBarFromItsFirstTickOn) {
    Song song;
    ViewGeometry view{0, 2};
    EXPECT_EQ(tickToX(song.meterTable, view, 120), 67);
    EXPECT_EQ(tickToX(song.meterTable, view, 1920), 247);
    song.setMeter(3, 3, 4); // bar 3 begins at 3840
    EXPECT_EQ(tickToX(song.meterTable, view, 3839), 55 + 383);
    EXPECT_EQ(tickToX(song.meterTable, view, 3840), 55 + 384 + 25);
    song.setMeter(4, 3, 4); // the same signature again: no slot
    EXPECT_EQ(tickToX(song.meterTable, view, 5280), 55 + 528 + 25);
    song.setMeter(4, 4, 4);
    EXPECT_EQ(tickToX(song.meterTable, view, 5280), 55 + 528 + 50);
    view.viewStartTick = 3840; // the first bar shown always has its slot
    EXPECT_EQ(tickToX(song.meterTable, view, 3839), -1);
    EXPECT_EQ(tickToX(song.meterTable, view, 3840), 55);
    EXPECT_EQ(signatureGap(song.meterTable, 0, 3840), 0);
    EXPECT_EQ(signatureGap(song.meterTable, 0, 3841), 25);
    song.scrollView(3);
    EXPECT_EQ(tickToX(song.meterTable, viewOf(song.edit), 5280), 55);
}

TEST(EventWalk, SkipsEventsLeftOfTheViewAndStopsAfterTheFirstPastTheRightEdge) {
    Song song;
    for (std::uint32_t t : {0u, 1920u, 2400u, 4000u, 6000u, 8000u})
        song.insertEvent(test::MakeEvent(t));
    song.sortEvents();
    song.scrollView(1);
    std::vector<int> shown;
    forEachShownEvent(song, viewOf(song.edit), 327, [&](int i, int) { shown.push_back(i); });
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4})); // 6000 lies at 463, past 327
    EXPECT_EQ(selectionOf(100, 55).left, 55);         // a leftward selection
    EXPECT_FALSE(selectionOf(55, 55).shown);
}

} // namespace
} // namespace cadenzo
