#include <gtest/gtest.h>

#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {
namespace {

// ---- Colour numbers ----

TEST(ColorNumber, TableHoldsTheSixteenStandardColoursInGridOrder) {
    EXPECT_EQ(colorTable[0], 0x000000u);
    EXPECT_EQ(colorTable[1], 0x000080u); // maroon: red in the low byte
    EXPECT_EQ(colorTable[4], 0x800000u); // navy: blue in the third byte
    EXPECT_EQ(colorTable[7], 0xC0C0C0u);
    EXPECT_EQ(colorTable[11], 0x00FFFFu); // yellow
    EXPECT_EQ(colorTable[15], 0xFFFFFFu);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(ColorTableIndex(colorTable[std::size_t(i)]), i);
}

TEST(ColorNumber, ColoursOutsideTheTableHaveIndexSixteen) {
    EXPECT_EQ(ColorTableIndex(clBtnFace), 16);
    EXPECT_EQ(ColorTableIndex(RGB(1, 2, 3)), 16);
    // A system colour whose low bytes equal black is still not black.
    EXPECT_EQ(ColorTableIndex(clScrollBar), 16);
}

TEST(ColorNumber, ContrastSwitchesEachComponentAtHalf) {
    EXPECT_EQ(ContrastColor(RGB(127, 128, 255)), RGB(255, 0, 0));
    EXPECT_EQ(ContrastColor(clSilver), clBlack);
    EXPECT_EQ(ContrastColor(clNavy), RGB(255, 255, 0));
}

TEST(ColorNumber, GradientStepTruncatesTowardsTheStart) {
    EXPECT_EQ(GradientStep(clWhite, clNavy, 0), clWhite);
    EXPECT_EQ(GradientStep(clWhite, clNavy, 255), clNavy);
    // 255 + (0 - 255) * 128 / 255 = 255 - 128; 255 + (128 - 255) * 128 / 255 = 255 - 63.
    EXPECT_EQ(GradientStep(clWhite, clNavy, 128), RGB(127, 127, 192));
}

TEST(ColorNumber, BlendRoundsHalvesAwayFromZero) {
    EXPECT_EQ(BlendRounded(RGB(0, 255, 10), RGB(255, 0, 10), 1, 3), RGB(128, 127, 10));
    EXPECT_EQ(BlendRounded(clBlack, clWhite, 0, 57), clBlack);
    EXPECT_EQ(BlendRounded(clBlack, clWhite, 56, 57), clWhite);
    EXPECT_EQ(BlendRounded(clRed, clBlue, 0, 1), clRed); // one line: the start colour
}

// ---- Button layout ----

struct LayoutCase {
    TButtonLayout layout;
    int margin, gw, gh, tw, th;
    ButtonBlock expected;
};

class ButtonLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ButtonLayoutTest, PlacesGlyphAndCaption) {
    const LayoutCase& c = GetParam();
    EXPECT_EQ(LayoutButton(60, 40, c.gw, c.gh, c.tw, c.th, c.layout, c.margin, 4), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ButtonLayoutTest,
    ::testing::Values(
        // Centred block 16 + 4 + 21 = 41 wide: left edge (60 - 41) / 2 = 9.
        LayoutCase{blGlyphLeft, -1, 16, 16, 21, 13, {9, 12, {29, 13, 21, 13}}},
        LayoutCase{blGlyphRight, -1, 16, 16, 21, 13, {34, 12, {9, 13, 21, 13}}},
        LayoutCase{blGlyphLeft, 3, 16, 16, 21, 13, {3, 12, {23, 13, 21, 13}}},
        LayoutCase{blGlyphRight, 3, 16, 16, 21, 13, {41, 12, {16, 13, 21, 13}}},
        // Stacked: 16 + 4 + 13 = 33 high, top (40 - 33) / 2 = 3.
        LayoutCase{blGlyphTop, -1, 16, 16, 21, 13, {21, 3, {19, 23, 21, 13}}},
        LayoutCase{blGlyphBottom, -1, 16, 16, 21, 13, {21, 20, {19, 3, 21, 13}}},
        LayoutCase{blGlyphBottom, 2, 16, 16, 21, 13, {21, 22, {19, 5, 21, 13}}},
        // No caption: no spacing, the glyph alone is centred.
        LayoutCase{blGlyphLeft, -1, 15, 15, 0, 0, {22, 12, {37, 19, 0, 0}}},
        // No glyph: the caption alone is centred.
        LayoutCase{blGlyphLeft, -1, 0, 0, 21, 13, {19, 19, {19, 13, 21, 13}}}));

TEST(FaceStep, FirstAndLastLinesAreTheGradientEnds) {
    EXPECT_EQ(FaceStep(0, 25), 0);
    EXPECT_EQ(FaceStep(24, 25), 255);
    EXPECT_EQ(FaceStep(12, 25), 127);
    EXPECT_EQ(FaceStep(0, 1), 0);
}

// ---- Glyph looks ----

// 4 x 3 glyph; the bottom-left pixel (olive) is transparent.
GlyphPixels SampleGlyph() {
    const TColor o = clOlive, r = clRed, g = RGB(10, 20, 30);
    return {4, 3, {o, o, o, o, o, r, g, o, o, o, o, o}};
}

TEST(GlyphLooks, ColourModesChangeOnlyGlyphPixels) {
    const GlyphPixels src = SampleGlyph();
    const TColor shine = clYellow;
    struct Case {
        TActiveImageType mode;
        TColor red, other;
    } cases[] = {
        {aiNormal, clRed, RGB(10, 20, 30)},
        {aiXorLight, RGB(0, 255, 0), RGB(245, 235, 30)},
        {aiHalfLight, RGB(255, 127, 0), RGB(132, 137, 15)},
        {aiQuaterLight, RGB(255, 191, 0), RGB(193, 196, 7)},
        {aiAddLight, RGB(255, 255, 0), RGB(255, 255, 30)},
        {aiMaskLight, clRed, shine}, // (2, 1) has x + y odd
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        const GlyphPixels out = HotGlyph(src, c.mode, shine);
        EXPECT_EQ(out.at(1, 1), c.red);
        EXPECT_EQ(out.at(2, 1), c.other);
        int olive = 0;
        for (TColor p : out.px)
            olive += p == clOlive;
        EXPECT_EQ(olive, 10);
    }
}

TEST(GlyphLooks, FrameLightOutlinesTheGlyphInTheShineColour) {
    const GlyphPixels src = SampleGlyph();
    const GlyphPixels thin = HotGlyph(src, aiFrameLight, clYellow);
    // Neighbours left, right, above and below of the two glyph pixels.
    for (auto [x, y] : {std::pair{0, 1}, {3, 1}, {1, 0}, {2, 0}, {1, 2}, {2, 2}})
        EXPECT_EQ(thin.at(x, y), clYellow) << x << "," << y;
    EXPECT_EQ(thin.at(0, 0), clOlive); // diagonal only
    EXPECT_EQ(thin.at(1, 1), clRed);

    GlyphPixels wide{7, 5, std::vector<TColor>(35, clOlive)};
    wide.at(3, 2) = clRed;
    const GlyphPixels thick = HotGlyph(wide, aiFrameLight2, clYellow);
    EXPECT_EQ(thick.at(3, 1), clYellow);
    EXPECT_EQ(thick.at(2, 1), clYellow); // next to the outline
    EXPECT_EQ(thick.at(1, 2), clYellow);
    EXPECT_EQ(thick.at(3, 4), clYellow);
    EXPECT_EQ(thick.at(5, 2), clYellow);
    EXPECT_EQ(thick.at(6, 2), clOlive); // two pixels beyond the outline
    EXPECT_EQ(thick.at(1, 1), clOlive); // diagonal to the outline
    EXPECT_EQ(thick.at(0, 4), clOlive);
}

TEST(GlyphLooks, DisabledModes) {
    const GlyphPixels src = SampleGlyph();
    const TColor face = RGB(200, 100, 0);
    EXPECT_EQ(DisabledGlyph(src, diGrayscale, face).at(1, 1), RGB(85, 85, 85));
    EXPECT_EQ(DisabledGlyph(src, diAlphaHalfTrans, face).at(1, 1), RGB(227, 50, 0));
    EXPECT_EQ(DisabledGlyph(src, diAlphaQuaterTrans, face).at(1, 1), RGB(213, 75, 0));
    const GlyphPixels mask = DisabledGlyph(src, diMaskTrans, face);
    EXPECT_EQ(mask.at(1, 1), clRed);
    EXPECT_EQ(mask.at(2, 1), clOlive);
}

TEST(GlyphLooks, EdgeMaskMarksPixelsThatDifferFromALowerDiagonal) {
    GlyphPixels g{4, 4, std::vector<TColor>(16, clOlive)};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            g.at(x + 1, y) = clRed;
    const std::vector<bool> m = EdgeMask(g);
    auto at = [&](int x, int y) { return bool(m[std::size_t(y * 4 + x)]); };
    EXPECT_FALSE(at(2, 0)); // both lower diagonals are red too
    EXPECT_TRUE(at(1, 0));  // lower-left is transparent
    EXPECT_TRUE(at(3, 1));  // lower-right is outside
    EXPECT_TRUE(at(2, 2));  // bottom row of the glyph
    EXPECT_FALSE(at(0, 0)); // transparent pixels never mark
}

// ---- Shadow label ----

TEST(LabelText, LayoutMovesTheTextRectangleDown) {
    EXPECT_EQ(TextTopOffset(tlTop, 57, 16), 0);
    EXPECT_EQ(TextTopOffset(tlCenter, 57, 16), 20);
    EXPECT_EQ(TextTopOffset(tlBottom, 57, 16), 41);
}

TEST(LabelText, ThreeColourSplitNeverCutsACharacter) {
    EXPECT_EQ(ThreeColorSplit("ABCDE"), 2u);
    EXPECT_EQ(ThreeColorSplit("ABCD"), 2u);
    // "aé": 'a' then two bytes; half of 3 is 1, a lead byte, kept.
    EXPECT_EQ(ThreeColorSplit("a\xC3\xA9"), 1u);
    // "éa": half of 3 falls after the lead byte and moves on.
    EXPECT_EQ(ThreeColorSplit("\xC3\xA9"
                              "a"),
              2u);
    EXPECT_EQ(CharacterCount("\xC3\xA9"
                             "ab"),
              3);
}

TEST(LabelText, TwoColourGradationRunsOverTheCharacters) {
    const TColor font = clBlack, last = RGB(200, 100, 50);
    const auto c = CharacterColors("Hello", tg2Colors, font, clNavy, last);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], font);
    EXPECT_EQ(c[2], RGB(100, 50, 25));
    EXPECT_EQ(c[4], last);
}

TEST(LabelText, ThreeColourGradationSplitsAtHalfTheBytes) {
    const TColor font = clBlack, mid = RGB(0, 0, 200), last = RGB(200, 0, 0);
    // "ABCDE": "AB" runs font -> mid, "CDE" mid -> last.
    const auto c = CharacterColors("ABCDE", tg3Colors, font, mid, last);
    EXPECT_EQ(c, (std::vector<TColor>{font, mid, mid, RGB(100, 0, 100), last}));
    // "ABC": "A" alone takes the font colour, "BC" mid -> last.
    EXPECT_EQ(CharacterColors("ABC", tg3Colors, font, mid, last),
              (std::vector<TColor>{font, mid, last}));
    // Exactly two characters run as two colours.
    EXPECT_EQ(CharacterColors("AB", tg3Colors, font, mid, last), (std::vector<TColor>{font, last}));
    // A second part of one character takes the last colour: "abé" (4 bytes) -> "ab" | "é".
    EXPECT_EQ(CharacterColors("ab\xC3\xA9", tg3Colors, font, mid, last),
              (std::vector<TColor>{font, mid, last}));
    EXPECT_EQ(CharacterColors("xyz", tgNone, font, mid, last),
              (std::vector<TColor>{font, font, font}));
}

// ---- Colour grid ----

struct SizeCase {
    TGridOrdering ordering;
    int w, h;
    GridMetrics expected;
};

class GridSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GridSizeTest, CutsToWholeCells) {
    const SizeCase& c = GetParam();
    const GridMetrics m = GridSize(c.ordering, c.w, c.h);
    EXPECT_EQ(m.width, c.expected.width);
    EXPECT_EQ(m.height, c.expected.height);
    EXPECT_EQ(m.cellWidth, c.expected.cellWidth);
    EXPECT_EQ(m.cellHeight, c.expected.cellHeight);
}

INSTANTIATE_TEST_SUITE_P(Cases, GridSizeTest,
                         ::testing::Values(SizeCase{go4x4, 104, 112, {104, 112, 26, 28}},
                                           SizeCase{go4x4, 103, 110, {100, 108, 25, 27}},
                                           SizeCase{go16x1, 100, 30, {96, 30, 6, 30}},
                                           SizeCase{go1x16, 30, 100, {30, 96, 30, 6}},
                                           SizeCase{go8x2, 7, 1, {0, 0, 0, 0}}));

TEST(GridCells, PointsAreClampedIntoTheGrid) {
    const GridMetrics m = GridSize(go4x4, 100, 100);
    EXPECT_EQ(CellAt(m, go4x4, 0, 0), 0);
    EXPECT_EQ(CellAt(m, go4x4, 24, 24), 0);
    EXPECT_EQ(CellAt(m, go4x4, 25, 0), 1);
    EXPECT_EQ(CellAt(m, go4x4, 0, 25), 4);
    EXPECT_EQ(CellAt(m, go4x4, -40, 250), 12);
    EXPECT_EQ(CellAt(m, go4x4, 100, 100), 15);
    const GridMetrics wide = GridSize(go8x2, 80, 20);
    EXPECT_EQ(CellAt(wide, go8x2, 75, 15), 15);
    EXPECT_EQ(CellAt(GridSize(go4x4, 0, 0), go4x4, 5, 5), 0); // no cells: no division by zero
}

struct MoveCase {
    TGridOrdering ordering;
    int from;
    GridKey key;
    int to;
};

class GridMoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(GridMoveTest, MovesWrapAround) {
    const MoveCase& c = GetParam();
    EXPECT_EQ(MoveSelection(c.ordering, c.from, c.key), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridMoveTest,
    ::testing::Values(MoveCase{go4x4, 5, GridKey::Right, 6}, MoveCase{go4x4, 15, GridKey::Right, 0},
                      MoveCase{go4x4, 0, GridKey::Left, 15}, MoveCase{go4x4, 4, GridKey::Left, 3},
                      MoveCase{go4x4, 1, GridKey::Down, 5},
                      MoveCase{go4x4, 13, GridKey::Down, 2}, // last row -> top of next column
                      MoveCase{go4x4, 15, GridKey::Down, 0}, MoveCase{go4x4, 6, GridKey::Up, 2},
                      MoveCase{go4x4, 2, GridKey::Up, 13}, // first row -> bottom of previous column
                      MoveCase{go4x4, 0, GridKey::Up, 15}, MoveCase{go8x2, 9, GridKey::Down, 2},
                      MoveCase{go8x2, 3, GridKey::Up, 10}, MoveCase{go16x1, 4, GridKey::Down, 5},
                      MoveCase{go4x4, 9, GridKey::Home, 0}, MoveCase{go4x4, 9, GridKey::End, 15},
                      MoveCase{go4x4, 16, GridKey::Right, 0},
                      MoveCase{go4x4, 16, GridKey::Left, 15}));

} // namespace
} // namespace cadenzo
