#include "seq/seq_geometry.h"

#include <algorithm>
#include <limits>

namespace cadenzo {

namespace {

// A tick plus a length as the lane draws it; files may hold any 32-bit gate, so the end is kept
// within the signed range instead of wrapping.
std::int32_t endOf(std::int32_t tick, std::int32_t length) {
    const std::int64_t end = std::int64_t{tick} + length;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        end, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

int toPixel(std::int64_t x) {
    return static_cast<int>(std::clamp<std::int64_t>(x, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

ViewGeometry viewOf(const EditState& edit) {
    return ViewGeometry{edit.viewStartTick, edit.zoom};
}

void setZoom(EditState& edit, int zoom) {
    edit.zoom = std::clamp(zoom, MIN_ZOOM, MAX_ZOOM);
}

int seqWidthForWindow(int windowWidth) {
    return windowWidth - SEQ_WIDTH_MARGIN;
}

int tickToX(const MeterTable& meter, const ViewGeometry& view, std::int32_t t) {
    if (t < view.viewStartTick)
        return -1;
    const std::int64_t delta = std::int64_t{t} - view.viewStartTick;
    std::int64_t x = SEQ_LEFT + (view.zoom * delta) / 2 / 10;
    const int b0 = barAtOrAfter(meter, view.viewStartTick);
    std::int64_t s = view.viewStartTick;
    for (int b = b0;; ++b) {
        if (s > t)
            break;
        const std::int32_t length = barLength(meter, b);
        s += length;
        if (b == b0 || (b <= BAR_COUNT && meter[b].changed == 1))
            x += SIGNATURE_SLOT;
        if (length <= 0 && b > BAR_COUNT)
            break; // a table of empty bars: nothing lies further on
    }
    return toPixel(x);
}

int signatureGap(const MeterTable& meter, std::int32_t s, std::int32_t e) {
    int gap = 0;
    for (int k = 1; k <= BAR_COUNT; ++k) {
        const auto first = static_cast<std::int64_t>(meter[k - 1].endTick);
        if (meter[k].changed == 1 && first > s && first < e)
            gap += SIGNATURE_SLOT;
    }
    return gap;
}

std::int32_t XToTick(const MeterTable& meter, const ViewGeometry& view, int tripletGrid, int x) {
    if (x < 56)
        return -1;
    const std::int32_t step = gridStep(tripletGrid);
    std::int32_t t = view.viewStartTick;
    int d = 9999;
    int px = 0;
    for (;;) {
        px = tickToX(meter, view, t);
        if (x < px)
            break;
        // Both candidates already lie past the editor's last tick: the answer is that tick.
        if (t - step >= MAX_TICK)
            return MAX_TICK;
        d = x - px;
        t += step;
    }
    if (d < px - x)
        t -= step;
    return std::min(t, MAX_TICK);
}

SeqRow rowOf(int y) {
    if (y >= 0 && y <= RULER_BOTTOM)
        return SeqRow::Ruler;
    if (y > RULER_BOTTOM && y <= EVENT_ROWS_BOTTOM)
        return SeqRow::Events;
    return SeqRow::Lane;
}

LaneRect velocityItem(const MeterTable& meter, const ViewGeometry& view, const SongEvent& event,
                      int x) {
    const std::int32_t tick = event.signedTick();
    const std::int64_t width = (std::int64_t{view.zoom} * event.gate) / 10 / 2;
    const int xe = toPixel(x + width + signatureGap(meter, tick, endOf(tick, event.gate)));
    return LaneRect{x, LANE_BASE_Y, xe, 120 - event.velocity / 4};
}

LaneRect strokeItem(const MeterTable& meter, const ViewGeometry& view, const SongEvent& event,
                    int x) {
    const std::int32_t tick = event.signedTick();
    const std::int64_t width = std::int64_t{view.zoom} * ((event.strokeTime / 10) / 2);
    const int xe = toPixel(x + width + signatureGap(meter, tick, endOf(tick, event.strokeTime)));
    return LaneRect{x, STROKE_BAR_BOTTOM, xe, STROKE_BAR_TOP};
}

StrokeArrow arrowOf(const SongEvent& event, int x) {
    if (event.strokeDir == 1)
        return StrokeArrow{{x, LANE_BASE_Y}, {x, ARROW_TOP}, {{{x - 4, 98}, {x, 90}, {x + 4, 98}}}};
    return StrokeArrow{{x, ARROW_TOP}, {x, LANE_BASE_Y}, {{{x - 4, 114}, {x, 122}, {x + 4, 114}}}};
}

bool inPendingCut(const EditState& edit, const SongEvent& event) {
    const std::int32_t tick = event.signedTick();
    return edit.clipMode == 1 && tick >= edit.clipStart && tick <= edit.clipEnd;
}

std::array<FretLabel, STRING_COUNT> fretLabels(const SongEvent& event, int x) {
    std::array<FretLabel, STRING_COUNT> labels{};
    bool right = true;
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::uint8_t fret = event.frets[s];
        if (fret == SILENT) {
            right = true;
            continue;
        }
        right = !right;
        FretLabel& label = labels[s];
        label.shown = true;
        label.text = std::to_string(fret);
        label.y = FRET_TEXT_TOP + STRING_LINE_STEP * s;
        if (label.text.size() == 1)
            label.x = x - 6 + (right ? 8 : 0);
        else
            label.x = x - 8 + (right ? 10 : 0);
    }
    return labels;
}

bool ChordNameRun::Next(const SongEvent& event) {
    if (event.root == 0)
        return false;
    if (event.root == lastRoot && event.chordType == lastType)
        return false;
    lastRoot = event.root;
    lastType = event.chordType;
    return true;
}

std::string chordLabel(std::string_view rootItem, std::string_view typeItem, int chordType) {
    std::string text(rootItem.empty() ? rootItem : rootItem.substr(1));
    if (chordType != 0 && !typeItem.empty())
        text.append(typeItem.substr(1));
    return text;
}

LaneRect cursorRect(int xc) {
    return LaneRect{xc - 1, CURSOR_TOP, xc + 1, CURSOR_BOTTOM};
}

SelectionBand selectionOf(int xa, int xc) {
    if (xa == xc)
        return SelectionBand{};
    return SelectionBand{true, std::min(xa, xc), std::max(xa, xc)};
}

} // namespace cadenzo
