#pragma once

// Pixel geometry and colour arithmetic of the custom controls, kept free of Qt so that the
// rules can be checked on plain numbers: button layout, frame lines, glyph looks, label text
// placement and gradation, colour grid cells and keys.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/color_number.h"

namespace cadenzo {

// ---- Shine speed button ----

enum class ButtonLayout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };
enum class FrameStyle { Flat, Normal, Enclosed };
enum class ActiveImageStyle {
    Normal,
    XorLight,
    HalfLight,
    QuarterLight,
    AddLight,
    FrameLight,
    FrameLightWide,
    MaskLight
};
enum class DisabledImageStyle { Default, Grayscale, HalfTransparent, QuarterTransparent, Masked };

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
ButtonBlock layoutButton(int w, int h, int gw, int gh, int tw, int th, ButtonLayout layout,
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
std::vector<FrameLine> frameLines(FrameStyle type, bool pressed, int w, int h);

// Face step (0..255) of pixel row (or column) p of a face n pixels long: the first line shows
// step 0 (the set's Color), the last step 255 (its gradColor).
int faceStep(int p, int n);

// A glyph as colour numbers, row by row from the top.
struct GlyphPixels {
    int w = 0, h = 0;
    std::vector<PackedColor> px;
    PackedColor at(int x, int y) const {
        return px[std::size_t(y) * std::size_t(w) + std::size_t(x)];
    }
    PackedColor& at(int x, int y) { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    // The bottom-left pixel names the transparent colour.
    PackedColor transparent() const { return w > 0 && h > 0 ? at(0, h - 1) : clNone; }
};

// Glyph image of the hot looks; pixels equal to the transparent colour stay transparent except
// where a frame mode draws its outline.
GlyphPixels hotGlyph(const GlyphPixels& g, ActiveImageStyle mode, PackedColor shine);

// Glyph image of the disabled look for every mode but DisabledImageStyle::Default; face is the
// Color of Colors.
GlyphPixels disabledGlyph(const GlyphPixels& g, DisabledImageStyle mode, PackedColor face);

// Edge mask of the disabled DisabledImageStyle::Default look: a glyph pixel is set where it differs
// from its lower-right or lower-left neighbour (outside the glyph counts as transparent).
std::vector<bool> edgeMask(const GlyphPixels& g);

// ---- Shadow label ----

enum class TextLayout { Top, Center, Bottom };
enum class GradationStyle { None, TwoColors, ThreeColors };
enum class EllipsisStyle { None, End, Path };

// How far the text rectangle moves down for the label's Layout.
int textTopOffset(TextLayout layout, int height, int textHeight);

// Byte where a GradationStyle::ThreeColors caption splits: half its length, moved on past
// continuation bytes so that no character is cut.
std::size_t threeColorSplit(const std::string& utf8);

// The colour of every character (code point) of a UTF-8 caption.
std::vector<PackedColor> characterColors(const std::string& utf8, GradationStyle mode,
                                         PackedColor font, PackedColor mid, PackedColor last);

// Number of characters (code points) of a UTF-8 text.
int characterCount(const std::string& utf8);

// ---- Colour grid ----

enum class GridOrder { Grid16x1, Grid8x2, Grid4x4, Grid2x8, Grid1x16 };

int gridColumns(GridOrder o);
int gridRows(GridOrder o);

struct GridMetrics {
    int width, height, cellWidth, cellHeight;
};
// The control's size cut down to whole cells.
GridMetrics gridSize(GridOrder o, int width, int height);

// The cell under (x, y), the point clamped into the control.
int cellAt(const GridMetrics& m, GridOrder o, int x, int y);

PixRect cellRect(const GridMetrics& m, GridOrder o, int index);

enum class GridKey { Right, Left, Down, Up, Home, End };
// The keyboard cursor after a move; every move wraps around.
int moveSelection(GridOrder o, int selection, GridKey key);

// ---- A path in a narrow panel ----

// The UTF-8 `path` as it fits `width` units of `textWidth`: whole when it fits, else the folder
// part gives up characters from its left to a leading "…", so the file name shows. A name
// too long on its own is cut in its middle instead.
std::string elideFolder(std::string_view path, int width,
                        const std::function<int(std::string_view)>& textWidth);

} // namespace cadenzo
