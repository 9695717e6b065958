#include <gtest/gtest.h>
#include <tuple>
#include <vector>

#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {
namespace {

TEST(ColorNumber, TableIndexContrastGradientAndBlend) {
    EXPECT_EQ(colorTable[1], 0x000080u);  // maroon: red in the low byte
    EXPECT_EQ(colorTable[4], 0x800000u);  // navy: blue in the third byte
    EXPECT_EQ(colorTable[11], 0x00FFFFu); // yellow
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(ColorTableIndex(colorTable[std::size_t(i)]), i);
    EXPECT_EQ(ColorTableIndex(clBtnFace), 16);
    EXPECT_EQ(ColorTableIndex(RGB(1, 2, 3)), 16);
    EXPECT_EQ(ColorTableIndex(clScrollBar), 16); // system colour with black's low bytes
    EXPECT_EQ(ContrastColor(RGB(127, 128, 255)), RGB(255, 0, 0));
    EXPECT_EQ(ContrastColor(clNavy), RGB(255, 255, 0));
    // Gradient steps truncate towards the start; blends round halves away from zero.
    EXPECT_EQ(GradientStep(clWhite, clNavy, 0), clWhite);
    EXPECT_EQ(GradientStep(clWhite, clNavy, 255), clNavy);
    EXPECT_EQ(GradientStep(clWhite, clNavy, 128), RGB(127, 127, 192));
    EXPECT_EQ(BlendRounded(RGB(0, 255, 10), RGB(255, 0, 10), 1, 3), RGB(128, 127, 10));
    EXPECT_EQ(BlendRounded(clBlack, clWhite, 56, 57), clWhite);
    EXPECT_EQ(BlendRounded(clRed, clBlue, 0, 1), clRed); // one line: the start colour
    EXPECT_EQ(std::tuple(FaceStep(0, 25), FaceStep(12, 25), FaceStep(24, 25), FaceStep(0, 1)),
              std::tuple(0, 127, 255, 0));
}

TEST(ButtonLayout, PlacesGlyphAndCaption) {
    struct {
        TButtonLayout layout;
        int margin, gw, tw;
        ButtonBlock expected;
    } cases[] = {
        // Centred block 16 + 4 + 21 = 41 wide: left edge (60 - 41) / 2 = 9.
        {blGlyphLeft, -1, 16, 21, {9, 12, {29, 13, 21, 13}}},
        {blGlyphRight, -1, 16, 21, {34, 12, {9, 13, 21, 13}}},
        {blGlyphLeft, 3, 16, 21, {3, 12, {23, 13, 21, 13}}},
        {blGlyphRight, 3, 16, 21, {41, 12, {16, 13, 21, 13}}},
        // Stacked: 16 + 4 + 13 = 33 high, top (40 - 33) / 2 = 3.
        {blGlyphTop, -1, 16, 21, {21, 3, {19, 23, 21, 13}}},
        {blGlyphBottom, 2, 16, 21, {21, 22, {19, 5, 21, 13}}},
        {blGlyphLeft, -1, 15, 0, {22, 12, {37, 19, 0, 0}}},   // no caption: no spacing
        {blGlyphLeft, -1, 0, 21, {19, 19, {19, 13, 21, 13}}}, // no glyph
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases); // row of the table
        EXPECT_EQ(LayoutButton(60, 40, c.gw, c.gw, c.tw, c.tw ? 13 : 0, c.layout, c.margin, 4),
                  c.expected);
    }
}

// 4 x 3 glyph; the bottom-left pixel (olive) is transparent.
GlyphPixels SampleGlyph() {
    const TColor o = clOlive, r = clRed, g = RGB(10, 20, 30);
    return {4, 3, {o, o, o, o, o, r, g, o, o, o, o, o}};
}

TEST(GlyphLooks, ColourModesChangeOnlyGlyphPixels) {
    const TColor face = RGB(200, 100, 0);
    struct {
        GlyphPixels out;
        TColor red, other;
    } cases[] = {
        {HotGlyph(SampleGlyph(), aiNormal, clYellow), clRed, RGB(10, 20, 30)},
        {HotGlyph(SampleGlyph(), aiXorLight, clYellow), RGB(0, 255, 0), RGB(245, 235, 30)},
        {HotGlyph(SampleGlyph(), aiHalfLight, clYellow), RGB(255, 127, 0), RGB(132, 137, 15)},
        {HotGlyph(SampleGlyph(), aiQuaterLight, clYellow), RGB(255, 191, 0), RGB(193, 196, 7)},
        {HotGlyph(SampleGlyph(), aiAddLight, clYellow), RGB(255, 255, 0), RGB(255, 255, 30)},
        {HotGlyph(SampleGlyph(), aiMaskLight, clYellow), clRed, clYellow}, // x + y odd
        {DisabledGlyph(SampleGlyph(), diGrayscale, face), RGB(85, 85, 85), RGB(20, 20, 20)},
        {DisabledGlyph(SampleGlyph(), diAlphaHalfTrans, face), RGB(227, 50, 0), RGB(105, 60, 15)},
        {DisabledGlyph(SampleGlyph(), diAlphaQuaterTrans, face), RGB(213, 75, 0), RGB(152, 80, 7)},
        {DisabledGlyph(SampleGlyph(), diMaskTrans, face), clRed, clOlive},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(i++);
        EXPECT_EQ(c.out.at(1, 1), c.red);
        EXPECT_EQ(c.out.at(2, 1), c.other);
        int olive = 0;
        for (TColor p : c.out.px)
            olive += p == clOlive;
        EXPECT_EQ(olive, c.other == clOlive ? 11 : 10);
    }
}

TEST(GlyphLooks, FrameLightOutlinesTheGlyphInTheShineColour) {
    const GlyphPixels thin = HotGlyph(SampleGlyph(), aiFrameLight, clYellow);
    for (auto [x, y] : {std::pair{0, 1}, {3, 1}, {1, 0}, {2, 0}, {1, 2}, {2, 2}})
        EXPECT_EQ(thin.at(x, y), clYellow) << x << "," << y;
    EXPECT_EQ(thin.at(0, 0), clOlive); // diagonal only
    EXPECT_EQ(thin.at(1, 1), clRed);

    GlyphPixels wide{7, 5, std::vector<TColor>(35, clOlive)};
    wide.at(3, 2) = clRed;
    const GlyphPixels thick = HotGlyph(wide, aiFrameLight2, clYellow);
    for (auto [x, y] : {std::pair{3, 1}, {2, 1}, {1, 2}, {3, 4}, {5, 2}})
        EXPECT_EQ(thick.at(x, y), clYellow) << x << "," << y;
    for (auto [x, y] : {std::pair{6, 2}, {1, 1}, {0, 4}}) // beyond, or diagonal to the outline
        EXPECT_EQ(thick.at(x, y), clOlive) << x << "," << y;
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

TEST(LabelText, LayoutOffsetAndCharacterColours) {
    EXPECT_EQ(std::tuple(TextTopOffset(tlTop, 57, 16), TextTopOffset(tlCenter, 57, 16),
                         TextTopOffset(tlBottom, 57, 16)),
              std::tuple(0, 20, 41));
    // The three-colour split at half the bytes never cuts a character.
    EXPECT_EQ(ThreeColorSplit("ABCDE"), 2u);
    EXPECT_EQ(ThreeColorSplit("a\xC3\xA9"), 1u); // half of 3 is a lead byte: kept
    EXPECT_EQ(ThreeColorSplit("\xC3\xA9"
                              "a"),
              2u); // half of 3 falls after the lead byte: moves on
    EXPECT_EQ(CharacterCount("\xC3\xA9"
                             "ab"),
              3);

    const TColor font = clBlack, mid = RGB(0, 0, 200), last = RGB(200, 0, 0);
    using V = std::vector<TColor>;
    EXPECT_EQ(CharacterColors("Hello", tg2Colors, font, mid, RGB(200, 100, 50)),
              (V{font, RGB(50, 25, 13), RGB(100, 50, 25), RGB(150, 75, 38), RGB(200, 100, 50)}));
    // "AB" | "CDE": font -> mid, then mid -> last.
    EXPECT_EQ(CharacterColors("ABCDE", tg3Colors, font, mid, last),
              (V{font, mid, mid, RGB(100, 0, 100), last}));
    EXPECT_EQ(CharacterColors("ABC", tg3Colors, font, mid, last), (V{font, mid, last}));
    EXPECT_EQ(CharacterColors("AB", tg3Colors, font, mid, last), (V{font, last})); // two colours
    // A one-character second part takes the last colour: "abé" (4 bytes) -> "ab" | "é".
    EXPECT_EQ(CharacterColors("ab\xC3\xA9", tg3Colors, font, mid, last), (V{font, mid, last}));
    EXPECT_EQ(CharacterColors("xyz", tgNone, font, mid, last), (V{font, font, font}));
}

TEST(GridGeometry, SizesCutToWholeCells) {
    struct {
        TGridOrdering ordering;
        int w, h, width, height, cw, ch;
    } cases[] = {
        {go4x4, 104, 112, 104, 112, 26, 28}, {go4x4, 103, 110, 100, 108, 25, 27},
        {go16x1, 100, 30, 96, 30, 6, 30},    {go1x16, 30, 100, 30, 96, 30, 6},
        {go8x2, 7, 1, 0, 0, 0, 0}, // less than one cell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.w * 1000 + c.h);
        const GridMetrics m = GridSize(c.ordering, c.w, c.h);
        EXPECT_EQ(std::tuple(m.width, m.height, m.cellWidth, m.cellHeight),
                  std::tuple(c.width, c.height, c.cw, c.ch));
    }
    const GridMetrics m = GridSize(go4x4, 100, 100);
    // Points outside are clamped into the grid.
    for (auto [x, y, cell] :
         {std::tuple{24, 24, 0}, {25, 0, 1}, {0, 25, 4}, {100, 100, 15}, {-40, 250, 12}})
        EXPECT_EQ(CellAt(m, go4x4, x, y), cell) << x << "," << y;
    EXPECT_EQ(CellAt(GridSize(go8x2, 80, 20), go8x2, 75, 15), 15);
    EXPECT_EQ(CellAt(GridSize(go4x4, 0, 0), go4x4, 5, 5), 0); // no cells: no division by zero
}

TEST(GridGeometry, KeyMovesWrapAround) {
    using K = GridKey;
    const struct {
        TGridOrdering ordering;
        int from;
        GridKey key;
        int to;
    } cases[] = {
        // clang-format off
        {go4x4, 5, K::Right, 6}, {go4x4, 15, K::Right, 0}, {go4x4, 0, K::Left, 15},
        {go4x4, 4, K::Left, 3}, {go4x4, 1, K::Down, 5}, {go4x4, 15, K::Down, 0},
        {go4x4, 13, K::Down, 2}, // last row -> top of the next column
        {go4x4, 2, K::Up, 13},   // first row -> bottom of the previous column
        {go4x4, 6, K::Up, 2}, {go4x4, 0, K::Up, 15}, {go8x2, 9, K::Down, 2}, {go8x2, 3, K::Up, 10},
        {go16x1, 4, K::Down, 5}, {go4x4, 9, K::Home, 0}, {go4x4, 9, K::End, 15},
        {go4x4, 16, K::Right, 0}, {go4x4, 16, K::Left, 15}, // from "no colour" into the grid
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(MoveSelection(c.ordering, c.from, c.key), c.to)
            << int(c.ordering) << " from " << c.from << " key " << int(c.key);
}

} // namespace
} // namespace cadenzo
