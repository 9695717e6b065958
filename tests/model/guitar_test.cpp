#include "model/guitar.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

Guitar StandardGuitar() {
    Guitar g;
    g.setTuning(standardTuning);
    return g;
}

TEST(GuitarModel, StartsWithSixOpenStringsAtNeckPositionOne) {
    const Guitar g;
    EXPECT_EQ(g.frets(), (Frets{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(g.neckPos, 1);
    EXPECT_EQ(g.chordPos, 0);
    EXPECT_EQ(g.neckSpan, 0);
}

TEST(GuitarModel, OpenStringsInStandardTuningSoundTheSixOpenNotes) {
    Guitar g = StandardGuitar();
    g.UpdateStringNotes();
    const int expected[] = {64, 59, 55, 50, 45, 40};
    for (int s = 0; s < STRING_COUNT; ++s)
        EXPECT_EQ(g.stringNote[s] + NOTE_BASE, expected[s]) << "string " << s;
}

TEST(GuitarModel, StringNoteIsFretPlusTuningModulo256) {
    Guitar g = StandardGuitar();
    g.setFrets({3, SILENT, 0, 0, 0, 0});
    g.tuning[1] = 200;
    g.UpdateStringNotes();
    EXPECT_EQ(g.stringNote[0] + NOTE_BASE, 67);
    EXPECT_EQ(PitchText(g.stringNote[0]), "G 3");
    EXPECT_EQ(g.stringNote[1], static_cast<std::uint8_t>(255 + 200));
}

TEST(GuitarModel, PitchTextUsesTheProgramsOctaveNumbering) {
    EXPECT_EQ(PitchText(0), "C 1");
    EXPECT_EQ(PitchText(13), "C#2");
    EXPECT_EQ(PitchText(28), "E 3");
}

TEST(GuitarModel, ChangingTheTuningKeepsTheFretsAndMovesThePitch) {
    Guitar g = StandardGuitar();
    g.setFrets({0, 1, 0, 2, 3, 0});
    g.UpdateStringNotes();
    g.setTuning(tunePreset[7].values); // Drop D
    EXPECT_EQ(g.frets(), (Frets{0, 1, 0, 2, 3, 0}));
    EXPECT_EQ(g.stringNote[5], 4);
    g.UpdateStringNotes();
    EXPECT_EQ(g.stringNote[5], 2);
}

TEST(GuitarModel, ClampAndClearSilenceStrings) {
    Guitar g;
    g.setFrets({24, 25, 254, 255, 0, 12});
    g.ClampFlets();
    EXPECT_EQ(g.frets(), (Frets{24, SILENT, SILENT, SILENT, 0, 12}));
    g.ClearFlets();
    EXPECT_EQ(g.frets(), (Frets{SILENT, SILENT, SILENT, SILENT, SILENT, SILENT}));
}

struct NeckCase {
    Frets frets;
    std::uint8_t before;
    std::uint8_t after;
};
class FindNeckPosTest : public ::testing::TestWithParam<NeckCase> {};

TEST_P(FindNeckPosTest, MovesToTheLowestFrettedFretBelowTheLimit) {
    Guitar g;
    g.neckSpan = 5;
    g.neckPos = GetParam().before;
    g.setFrets(GetParam().frets);
    g.FindNeckPos();
    EXPECT_EQ(g.neckPos, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindNeckPosTest,
    ::testing::Values(NeckCase{{3, 5, 5, 4, 3, SILENT}, 1, 3}, NeckCase{{0, 0, 0, 0, 0, 0}, 7, 7},
                      NeckCase{{20, 20, 20, 20, 20, 20}, 7, 7},       // none below 22 - 5
                      NeckCase{{16, 16, 17, 0, SILENT, 0}, 2, 16},    // 16 is below 17
                      NeckCase{{SILENT, SILENT, 0, 0, 9, 8}, 1, 8})); // silent never moves it

TEST(GuitarModel, MoveNeckCarriesFrettedStringsUnlessLocked) {
    Guitar g;
    g.setFrets({0, 3, 2, 0, 1, SILENT});
    g.MoveNeck(3, false);
    EXPECT_EQ(g.frets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    EXPECT_EQ(g.neckPos, 3);

    g.MoveNeck(1, true);
    EXPECT_EQ(g.frets(), (Frets{0, 5, 4, 0, 3, SILENT}));
    EXPECT_EQ(g.neckPos, 1);
}

TEST(GuitarModel, MoveNeckDownWrapsBelowZeroAndClampSilencesIt) {
    Guitar g;
    g.neckPos = 5;
    g.setFrets({2, 4, 5, 0, SILENT, 24});
    g.MoveNeck(1, false);
    EXPECT_EQ(g.frets(), (Frets{254, 0, 1, 0, SILENT, 20}));
    g.ClampFlets();
    EXPECT_EQ(g.frets(), (Frets{SILENT, 0, 1, 0, SILENT, 20}));
}

struct ResizeCase {
    int width;
    std::uint8_t span;
};
class ResizeNeckTest : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(ResizeNeckTest, SpanIsWidthLessEightOverFiftyRoundedHalfToEven) {
    Guitar g;
    const int barMax = g.ResizeNeck(GetParam().width);
    EXPECT_EQ(g.neckSpan, GetParam().span);
    EXPECT_EQ(barMax, 24 - GetParam().span);
}

INSTANTIATE_TEST_SUITE_P(Widths, ResizeNeckTest,
                         ::testing::Values(ResizeCase{258, 5}, // 5.0
                                           ResizeCase{283, 6}, // 5.5 -> 6 (even)
                                           ResizeCase{333, 6}, // 6.5 -> 6 (even)
                                           ResizeCase{334, 7}, // 6.52
                                           ResizeCase{332, 6}, // 6.48
                                           ResizeCase{0, 0}));

TEST(GuitarModel, ResizeKeepsTheNeckInRangeAndClampsFrets) {
    Guitar g;
    g.neckPos = 22;
    g.setFrets({25, 3, 0, 0, 0, 0});
    g.ResizeNeck(258); // span 5
    EXPECT_EQ(g.neckPos, 19);
    EXPECT_EQ(g.flet[0], SILENT);

    g.neckPos = 10;
    g.ResizeNeck(1400); // wider than the whole neck: stays at the scroll bar's minimum
    EXPECT_EQ(g.neckPos, 1);
}

} // namespace
} // namespace cadenzo
