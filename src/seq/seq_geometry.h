#pragma once

#include "seq/song.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cadenzo {

// Pixel geometry of the sequence view that editing and the play line depend on.
inline constexpr int SEQ_LEFT = 30;       // x of the view's time origin before any slot
inline constexpr int SIGNATURE_SLOT = 25; // pixels left for a time signature before a bar
inline constexpr int SEQ_HEIGHT = 129;
inline constexpr int DEFAULT_ZOOM = 2;
inline constexpr int MIN_ZOOM = 1;
inline constexpr int MAX_ZOOM = 4;
// The two off-screen bitmaps of the view (grid layer; event and lane layers).
inline constexpr int SEQ_BITMAP_WIDTH = 1250;
inline constexpr int SEQ_BITMAP_HEIGHT = 129;
// Right part of the window that the view leaves to the buttons beside it.
inline constexpr int SEQ_WIDTH_MARGIN = 95;
// seqBar: created with the range 0..97, every window resize sets its maximum to 99.
inline constexpr int SEQ_BAR_INITIAL_MAX = 97;
inline constexpr int SEQ_BAR_MAX = 99;

// Rows of `seq_screen` (y grows downward).
inline constexpr int RULER_BOTTOM = 30;      // ruler rows 0..30
inline constexpr int EVENT_ROWS_BOTTOM = 80; // event rows 31..80; the lane lies below
inline constexpr int BAR_NUMBER_TOP = 2;
inline constexpr int BAR_LINE_TOP = 15;
inline constexpr int BAR_LINE_BOTTOM = 86;
inline constexpr int CHORD_NAME_TOP = 16;
inline constexpr int SUB_LINE_TOP = 35;
inline constexpr int SUB_LINE_BOTTOM = 76;
inline constexpr int NUMERATOR_TOP = 35;
inline constexpr int DENOMINATOR_TOP = 55;
inline constexpr int STRING_LINE_TOP = 35; // string line s at 35 + 8 s
inline constexpr int STRING_LINE_STEP = 8;
inline constexpr int FRET_TEXT_TOP = 29; // fret numbers of string s at 29 + 8 s
inline constexpr int EVENT_LAYER_BOTTOM = 84;
inline constexpr int LANE_LAYER_TOP = 85;
inline constexpr int SELECTION_TOP = 25;
inline constexpr int SELECTION_HEIGHT = 84;
inline constexpr int CURSOR_TOP = 35;
inline constexpr int CURSOR_BOTTOM = 75;
inline constexpr int PLAY_LINE_BOTTOM = 120;
inline constexpr int LANE_BASE_Y = 122;
inline constexpr int ARROW_TOP = 90;
inline constexpr int STROKE_BAR_TOP = 103;
inline constexpr int STROKE_BAR_BOTTOM = 109;

// What the view shows: the first tick and the horizontal scale (`seq_Grid`, 1..4).
struct ViewGeometry {
    std::int32_t viewStartTick = 0;
    int zoom = DEFAULT_ZOOM;
};

// The view the editing state describes.
ViewGeometry viewOf(const EditState& edit);
// `seq_Grid` moved: the scale is kept within 1..4.
void setZoom(EditState& edit, int zoom);
// Width of `seq_screen` for a main window of the given width.
int seqWidthForWindow(int windowWidth);

// x of tick t in `seq_screen`, or -1 when t lies before the view. A tick distance d covers
// (zoom x d) div 20 pixels, and every signature slot in front of a bar that begins at or before t
// (the first bar shown always has one) shifts t by 25 pixels.
int tickToX(const MeterTable& meter, const ViewGeometry& view, std::int32_t t);
// 25 x the number of bars with a signature slot whose first tick lies strictly between s and e.
int signatureGap(const MeterTable& meter, std::int32_t s, std::int32_t e);

// Ticks between two grid points: sixteenths, or sixteenth triplets.
inline constexpr std::int32_t gridStep(int tripletGrid) {
    return tripletGrid != 0 ? 80 : 120;
}
// The grid tick nearest to pixel x, counted from the view's first tick, or -1 when x < 56 (left
// of the first grid line's right neighbour pixel). A tie between two grid points goes to the
// right one; the walk goes through tickToX, so a pixel inside a signature slot snaps to the
// nearer of the last point before the slot and the bar line after it. Never above 192000.
std::int32_t XToTick(const MeterTable& meter, const ViewGeometry& view, int tripletGrid, int x);

// Which part of the view a row belongs to. Rows above the view count as lane, as the press
// handler treats them.
enum class SeqRow { Ruler, Events, Lane };
SeqRow rowOf(int y);

// --- Grid layer -----------------------------------------------------------------------------

struct GridLine {
    int x = 0;
    int top = 0;
    int bottom = 0;
    bool black = false; // the first line of a bar; every other line is light grey
};

// Where the grid layer puts its signatures, bar numbers and lines, left to right, for a view
// `width` pixels wide. The visitor is called with:
//   signature(x, bar, num, den)  numerator at (x, 35), denominator at (x, 55), 18 pt
//   barNumber(x, bar)            at (x, 2), 10 pt dark green
//   line(GridLine)
// Bars from 100 on are never drawn.
template <typename Visitor>
void layoutGrid(const MeterTable& meter, const ViewGeometry& view, int tripletGrid, int width,
                Visitor&& visit);

// --- Lane layer -----------------------------------------------------------------------------

// An unfilled rectangle between the corners (x1, y1) and (x2, y2), as the view's rectangle
// primitive takes them (in either order; the view leaves out the right and lower edge).
struct LaneRect {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// Velocity item of an event drawn at x: from (x, 122) to (xe, 120 - velocity div 4), with xe the
// right end that the gate handle is found at.
LaneRect velocityItem(const MeterTable& meter, const ViewGeometry& view, const SongEvent& event,
                      int x);
// Stroke-time item of an event drawn at x: from (x, 109) to (xe, 103).
LaneRect strokeItem(const MeterTable& meter, const ViewGeometry& view, const SongEvent& event,
                    int x);

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
// The stroke-direction arrow at x: a shaft and a head of two strokes through the tip.
struct StrokeArrow {
    Point shaftFrom;
    Point shaftTo;
    std::array<Point, 3> head; // drawn as a polyline: wing, tip, wing
};
StrokeArrow arrowOf(const SongEvent& event, int x);

// Colour choice of an event: inside a pending cut it is drawn cyan instead of blue.
bool inPendingCut(const EditState& edit, const SongEvent& event);

// The events the lane and event layers draw: from the first, stopping after the first event
// drawn right of the view (or at the end marker). The visitor gets (index, x) for every event
// with x >= 1; events left of the view are walked but not drawn.
template <typename Visitor>
void forEachShownEvent(const Song& song, const ViewGeometry& view, int width, Visitor&& visit);

// --- Event layer ----------------------------------------------------------------------------

// One fret number of an event's column.
struct FretLabel {
    bool shown = false; // false for a string that is not played
    int x = 0;          // left of the text
    int y = 0;          // top of the text
    std::string text;
};
// Neighbouring sounding strings alternate left and right of the event's line; a silent string
// starts the alternation again on the left.
std::array<FretLabel, STRING_COUNT> fretLabels(const SongEvent& event, int x);

// The chord name of a run of events is shown once: this remembers the last name drawn in one
// pass over the event layer (forgotten at the start of every pass).
struct ChordNameRun {
    std::uint8_t lastRoot = 255;
    std::uint8_t lastType = 255;
    // True when the event's name is to be written; the name then becomes the last one drawn.
    // Events without a root show nothing and do not break the run.
    bool Next(const SongEvent& event);
};
// The text of a chord name from the items of Chord1 and Chord2: each item without its first
// character, the type left out for item 0 (" M"), so " C" and " m7" give "Cm7".
std::string chordLabel(std::string_view rootItem, std::string_view typeItem, int chordType);
inline constexpr int CHORD_NAME_OFFSET = 8; // written at x - 8

// The red cursor rectangle and the inverted selection band.
LaneRect cursorRect(int xc);
struct SelectionBand {
    bool shown = false;
    int left = 0; // the band covers x from left up to, not including, right
    int right = 0;
};
SelectionBand selectionOf(int xa, int xc);

// --- templates ------------------------------------------------------------------------------

template <typename Visitor>
void layoutGrid(const MeterTable& meter, const ViewGeometry& view, int tripletGrid, int width,
                Visitor&& visit) {
    int x = SEQ_LEFT;
    int b = barAtOrAfter(meter, view.viewStartTick);
    const int b0 = b;
    while (x < width && b < BAR_COUNT) {
        const int num = meter[b].num;
        const int den = meter[b].den;
        if (b == b0 || meter[b].changed == 1) {
            visit.signature(x + 4, b, num, den);
            x += SIGNATURE_SLOT;
        }
        visit.barNumber(x + 4, b);
        const int perBeat = den > 0 ? 16 / den : 0;
        const int lines = tripletGrid != 0 ? perBeat * 3 / 2 : perBeat;
        const int step = tripletGrid != 0 ? view.zoom * 8 / 2 : view.zoom * 12 / 2;
        bool first = true;
        for (int beat = 0; beat < num; ++beat) {
            for (int l = 0; l < lines; ++l) {
                GridLine line;
                line.x = x;
                line.top = l == 0 ? BAR_LINE_TOP : SUB_LINE_TOP;
                line.bottom = l == 0 ? BAR_LINE_BOTTOM : SUB_LINE_BOTTOM;
                line.black = first;
                first = false;
                visit.line(line);
                x += step;
            }
        }
        ++b;
    }
}

template <typename Visitor>
void forEachShownEvent(const Song& song, const ViewGeometry& view, int width, Visitor&& visit) {
    for (int i = 0; i < EVENT_SLOTS; ++i) {
        const SongEvent& event = song.songEvents[i];
        if (event.isEnd())
            break;
        const int x = tickToX(song.meterTable, view, event.signedTick());
        if (x >= 1)
            visit(i, x);
        if (x > width)
            break;
    }
}

} // namespace cadenzo
