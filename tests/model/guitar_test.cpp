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

} // namespace
} // namespace cadenzo
