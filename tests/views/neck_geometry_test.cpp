#include "views/neck_geometry.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

TEST(NeckHover, FindsStringRowFretColumnAndNamesThePitch) {
    // (x, y) -> (string, column): borders of the open strip, the first column, the string bands
    // and the last column.
    const struct {
        int x, y, string, column;
    } hits[] = {{40, 60, 2, 0},         {5, 60, 2, -1},    {7, 30, 0, -1},
                {8, 30, 0, 0},          {57, 30, 0, 0},    {58, 30, 0, 1},
                {30, 22, NO_STRING, 0}, {30, 23, 0, 0},    {30, 37, 0, 0},
                {30, 38, 1, 0},         {30, 112, 5, 0},   {30, 113, NO_STRING, 0},
                {1357, 30, 0, 26},      {1407, 30, 0, 27}, {1408, 30, 0, -1}};
    for (const auto& h : hits) {
        NeckHover hover;
        hover.hitTest(h.x, h.y);
        EXPECT_EQ(std::pair(int(hover.hoverString), hover.hoverColumn),
                  std::pair(h.string, h.column))
            << h.x << "," << h.y;
    }
    Guitar guitar;
    guitar.setTuning(standardTuning);
    const struct {
        int string, column;
        const char* text;
    } notes[] = {{1, 0, " C 3"}, {0, 2, " G 3"}, {0, 7, " C 4"}, {0, -1, " E 3"}, {5, 4, " A 1"}};
    for (const auto& n : notes) {
        NeckHover hover;
        hover.hoverString = static_cast<std::uint8_t>(n.string);
        hover.hoverColumn = n.column;
        EXPECT_EQ(hoverNoteText(guitar, hover), std::optional<std::string>(n.text));
    }
}

} // namespace
} // namespace cadenzo
