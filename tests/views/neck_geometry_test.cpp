#include "views/neck_geometry.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

struct HitCase {
    int x, y;
    int string, column;
};
class HitTestTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTestTest, FindsStringRowAndFretColumn) {
    NeckHover hover;
    hover.hitTest(GetParam().x, GetParam().y);
    EXPECT_EQ(hover.hoverString, GetParam().string);
    EXPECT_EQ(hover.hoverColumn, GetParam().column);
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTestTest,
    ::testing::Values(HitCase{40, 60, 2, 0}, HitCase{5, 60, 2, -1}, HitCase{7, 30, 0, -1},
                      HitCase{8, 30, 0, 0}, HitCase{57, 30, 0, 0}, HitCase{58, 30, 0, 1},
                      HitCase{30, 22, NO_STRING, 0}, // on the border above the first string
                      HitCase{30, 23, 0, 0}, HitCase{30, 37, 0, 0}, HitCase{30, 38, 1, 0},
                      HitCase{30, 112, 5, 0}, HitCase{30, 113, NO_STRING, 0},
                      HitCase{1357, 30, 0, 26}, HitCase{1407, 30, 0, 27},
                      HitCase{1408, 30, 0, -1}));

struct NoteCase {
    int string, column;
    const char* text;
};
class HoverNoteTest : public ::testing::TestWithParam<NoteCase> {};

TEST_P(HoverNoteTest, NamesThePitchUnderTheMouse) {
    Guitar guitar;
    guitar.setTuning(standardTuning);
    NeckHover hover;
    hover.hoverString = static_cast<std::uint8_t>(GetParam().string);
    hover.hoverColumn = GetParam().column;
    EXPECT_EQ(hoverNoteText(guitar, hover), std::optional<std::string>(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(StandardTuningNeckAtOne, HoverNoteTest,
                         ::testing::Values(NoteCase{1, 0, " C 3"}, NoteCase{0, 2, " G 3"},
                                           NoteCase{0, 7, " C 4"}, NoteCase{0, -1, " E 3"},
                                           NoteCase{5, 4, " A 1"}));

} // namespace
} // namespace cadenzo
