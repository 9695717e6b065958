#pragma once

// Pixel geometry and colour arithmetic of the custom controls, kept free of Qt so that the
// rules can be checked on plain numbers: button layout, frame lines, glyph looks, label text
// placement and gradation, colour grid cells and keys.

#include <cstdint>
#include <string>
#include <vector>

#include "controls/color_number.h"

namespace cadenzo {

// ---- Shine speed button ----

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TFrameType { ftFlatFrame, ftNormalFrame, ftEnclosedFrame };
enum TActiveImageType {
    aiNormal,
    aiXorLight,
    aiHalfLight,
    aiQuaterLight,
    aiAddLight,
    aiFrameLight,
    aiFrameLight2,
    aiMaskLight
};
enum TDisabledImageType {
    diDefault,
    diGrayscale,
    diAlphaHalfTrans,
    diAlphaQuaterTrans,
    diMaskTrans
};

struct PixRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PixRect&) const = default;
};

struct ButtonBlock {
    int glyphX = 0, glyphY = 0; // top-left of the glyph
    PixRect text;               // the caption is centred in this rectangle
    bool operator==(const ButtonBlock&) const = default;
};

// Places the glyph (gw x gh, 0 x 0 when empty) and the caption (tw x th, 0 x 0 when empty) in a
// button of w x h. margin -1 centres the block; all halvings truncate.
ButtonBlock LayoutButton(int w, int h, int gw, int gh, int tw, int th, TButtonLayout layout,
                         int margin, int spacing);

// Which colour of the set a frame line takes.
enum class FrameInk { Shadow, DarkShadow, Highlight };

// A line drawn from (x0, y0) towards (x1, y1); the end point itself is not drawn. Every frame
// line is horizontal or vertical.
struct FrameLine {
    FrameInk ink;
    int x0, y0, x1, y1;
};

// The lines of the pressed or the raised frame of a w x h button, in drawing order.
std::vector<FrameLine> FrameLines(TFrameType type, bool pressed, int w, int h);

// Face step (0..255) of pixel row (or column) p of a face n pixels long: the first line shows
// step 0 (the set's Color), the last step 255 (its GradColor).
int FaceStep(int p, int n);

// A glyph as colour numbers, row by row from the top.
struct GlyphPixels {
    int w = 0, h = 0;
    std::vector<TColor> px;
    TColor at(int x, int y) const { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    TColor& at(int x, int y) { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    // The bottom-left pixel names the transparent colour.
    TColor transparent() const { return w > 0 && h > 0 ? at(0, h - 1) : clNone; }
};

// Glyph image of the hot looks; pixels equal to the transparent colour stay transparent except
// where a frame mode draws its outline.
GlyphPixels HotGlyph(const GlyphPixels& g, TActiveImageType mode, TColor shine);

// Glyph image of the disabled look for every mode but diDefault; face is the Color of Colors.
GlyphPixels DisabledGlyph(const GlyphPixels& g, TDisabledImageType mode, TColor face);

// Edge mask of the disabled diDefault look: a glyph pixel is set where it differs from its
// lower-right or lower-left neighbour (outside the glyph counts as transparent).
std::vector<bool> EdgeMask(const GlyphPixels& g);

// ---- Shadow label ----

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TTextGradation { tgNone, tg2Colors, tg3Colors };
enum TEllipsis { elNone, elEnd, elPath };

// How far the text rectangle moves down for the label's Layout.
int TextTopOffset(TTextLayout layout, int height, int textHeight);

// Byte where a tg3Colors caption splits: half its length, moved on past continuation bytes so
// that no character is cut.
std::size_t ThreeColorSplit(const std::string& utf8);

// The colour of every character (code point) of a UTF-8 caption.
std::vector<TColor> CharacterColors(const std::string& utf8, TTextGradation mode, TColor font,
                                    TColor mid, TColor last);

// Number of characters (code points) of a UTF-8 text.
int CharacterCount(const std::string& utf8);

// ---- Colour grid ----

enum TGridOrdering { go16x1, go8x2, go4x4, go2x8, go1x16 };

int GridColumns(TGridOrdering o);
int GridRows(TGridOrdering o);

struct GridMetrics {
    int width, height, cellWidth, cellHeight;
};
// The control's size cut down to whole cells.
GridMetrics GridSize(TGridOrdering o, int width, int height);

// The cell under (x, y), the point clamped into the control.
int CellAt(const GridMetrics& m, TGridOrdering o, int x, int y);

PixRect CellRect(const GridMetrics& m, TGridOrdering o, int index);

enum class GridKey { Right, Left, Down, Up, Home, End };
// The keyboard cursor after a move; every move wraps around.
int MoveSelection(TGridOrdering o, int selection, GridKey key);

} // namespace cadenzo
