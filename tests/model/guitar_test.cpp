#include "model/guitar.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

TEST(GuitarModel, MoveNeckCarriesFrettedStringsUnlessLockedAndClampSilencesWhatFallsOff) {
    Guitar g;
    g.setFrets({0, 3, 2, 0, 1, SILENT});
    g.moveNeck(3, false);
    EXPECT_EQ(g.currentFrets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    g.moveNeck(1, true);
    EXPECT_EQ(g.currentFrets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    EXPECT_EQ(g.neckPos, 1);

    g.neckPos = 5;
    g.setFrets({2, 4, 5, 0, SILENT, 24});
    g.moveNeck(1, false);
    EXPECT_EQ(g.currentFrets(), (Frets{254, 0, 1, 0, SILENT, 20}));
    g.clampFrets();
    EXPECT_EQ(g.currentFrets(), (Frets{SILENT, 0, 1, 0, SILENT, 20}));
    g.setFrets({24, 25, 254, 255, 0, 12});
    g.clampFrets();
    EXPECT_EQ(g.currentFrets(), (Frets{24, SILENT, SILENT, SILENT, 0, 12}));
}

TEST(GuitarModel, ResizeRoundsTheSpanHalfToEvenAndKeepsTheNeckInRange) {
    // (width - 8) / 50: 5.0, 5.5, 6.5, 6.52, 6.48, 0
    const std::pair<int, std::uint8_t> cases[] = {{258, 5}, {283, 6}, {333, 6},
                                                  {334, 7}, {332, 6}, {0, 0}};
    for (const auto& [width, span] : cases) {
        Guitar g;
        EXPECT_EQ(g.resizeNeck(width), 24 - span) << width;
        EXPECT_EQ(g.neckSpan, span) << width;
    }
    Guitar g;
    g.neckPos = 22;
    g.setFrets({25, 3, 0, 0, 0, 0});
    g.resizeNeck(258);
    EXPECT_EQ(g.neckPos, 19);
    EXPECT_EQ(g.frets[0], SILENT);
    g.neckPos = 10;
    g.resizeNeck(1400); // wider than the whole neck: the scroll bar's minimum
    EXPECT_EQ(g.neckPos, 1);
}

} // namespace
} // namespace cadenzo
