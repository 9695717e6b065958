#include "seq/seq_mouse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

namespace cadenzo {

namespace {

inline constexpr int FIRST_SNAP_X = 55; // a press left of the grid acts as a press here
inline constexpr int HANDLE_REACH = 4;  // pixels either side of a handle's right end
inline constexpr int ARROW_REACH = 6;   // pixels either side of an arrow's shaft
inline constexpr int SCROLL_MARGIN = 50;

std::int32_t snapTick(const Song& song, int x) {
    const std::int32_t t = XToTick(song.meterTable, viewOf(song.edit), song.edit.tripletGrid, x);
    return t < 0 ? 0 : t;
}

int XOf(const Song& song, std::int32_t t) {
    return tickToX(song.meterTable, viewOf(song.edit), t);
}

void RefreshFields(SeqMouseContext& context, MouseResult& result) {
    updateEventFields(context.fields, context.song, context.song.edit.anchorTick,
                      context.song.edit.cursorTick);
    result.fieldsChanged = true;
}

// Moves `seqBar` one step, within its range; true when the view moved.
bool scrollBy(SeqMouseContext& context, int delta) {
    Song& song = context.song;
    const int position = std::clamp(song.edit.viewBar + delta, 0, std::max(context.scrollMax, 0));
    if (position == song.edit.viewBar)
        return false;
    song.scrollView(position);
    return true;
}

// A handle drag's value: start + 20 ticks per zoom step from the press point, at least 20, and
// 20 when the pointer is at or left of the event's own line.
std::int64_t draggedValue(const Song& song, const SeqMouse& mouse, int x, std::int32_t tick) {
    const int zoom = std::max<int>(song.edit.zoom, 1);
    std::int64_t value = std::int64_t{mouse.handleStart} +
                         std::int64_t{(std::int64_t{x} - mouse.dragLine.x1) / zoom} * 20;
    if (value < MIN_GATE || x <= XOf(song, tick))
        value = MIN_GATE;
    return value;
}

std::int32_t toTicks(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void pressInLane(SeqMouseContext& context, int x, int y, MouseResult& result) {
    Song& song = context.song;
    SeqMouse& mouse = context.mouse;
    EditState& edit = song.edit;
    mouse.dragLine = DragLine{x, y, x, y};
    if (mouse.dragMode == DragMode::GateHandle || mouse.dragMode == DragMode::StrokeHandle) {
        if (song.findEvent(mouse.handleTick) >= 0)
            edit.anchorTick = edit.cursorTick = mouse.handleTick;
    } else if (mouse.dragMode == DragMode::StrokeArrow) {
        const int i = song.findEvent(edit.mouseTick);
        if (i >= 0) {
            pushUndo(context.history, song, edit.mouseTick, edit.mouseTick);
            std::lock_guard lock(song.mutex);
            SongEvent& event = song.songEvents[i];
            event.strokeDir = event.strokeDir == 1 ? 0 : 1;
        }
    }
    RefreshFields(context, result);
    result.panel0 = song.positionText(edit.mouseTick);
    result.panel1 = std::string();
    result.redrawEvents = result.redrawLane = true;
}

void dragSelection(SeqMouseContext& context, MouseResult& result) {
    Song& song = context.song;
    EditState& edit = song.edit;
    result.pointer = PointerShape::Default;
    if (XOf(song, edit.cursorTick) > edit.seqWidth - SCROLL_MARGIN && scrollBy(context, 1))
        result.scrolled = true;
    if (edit.cursorTick == edit.viewStartTick && scrollBy(context, -1))
        result.scrolled = true;
    if (edit.mouseTick != context.mouse.lastDragTick) {
        edit.cursorTick = edit.mouseTick;
        result.redrawEvents = true;
        context.mouse.lastDragTick = edit.mouseTick;
        result.panel0 = song.positionText(edit.anchorTick);
        result.panel1 = song.positionText(edit.cursorTick);
    }
}

} // namespace

std::int64_t roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

MouseResult pressSequence(SeqMouseContext& context, MouseButton button, unsigned /*shift*/, int x,
                          int y) {
    Song& song = context.song;
    SeqMouse& mouse = context.mouse;
    EditState& edit = song.edit;
    MouseResult result;
    const int xp = std::max(x, FIRST_SNAP_X);
    edit.mouseTick = snapTick(song, xp);
    // A handle drag changes one event: it can be taken back as one step, recorded when the drag
    // first changes it.
    mouse.handleUndoSteps = -1;
    if (button == MouseButton::Right)
        return result;

    switch (rowOf(y)) {
    case SeqRow::Ruler:
        mouse.dragMode = DragMode::Ruler;
        result.locate = edit.mouseTick;
        mouse.dragLine = DragLine{};
        result.redrawAll = true;
        break;
    case SeqRow::Events: {
        mouse.dragMode = DragMode::Selection;
        const int xm = XOf(song, edit.mouseTick);
        const int reach = 8 * edit.zoom;
        if (xp >= xm - reach && xp < xm + reach) {
            edit.anchorTick = edit.cursorTick = edit.mouseTick;
            mouse.lastDragTick = edit.mouseTick;
            result.panel0 = song.positionText(edit.anchorTick);
            result.panel1 = std::string();
        }
        RefreshFields(context, result);
        result.redrawEvents = true;
        break;
    }
    case SeqRow::Lane:
        pressInLane(context, x, y, result);
        break;
    }
    result.repaint = true;
    return result;
}

MouseResult moveOverSequence(SeqMouseContext& context, unsigned shift, int x, int y) {
    Song& song = context.song;
    SeqMouse& mouse = context.mouse;
    MouseResult result;
    song.edit.mouseTick = snapTick(song, x);

    if (shift == LEFT_HELD) {
        switch (mouse.dragMode) {
        case DragMode::Selection:
            dragSelection(context, result);
            break;
        case DragMode::VelocityLine:
            result.pointer = PointerShape::Default;
            result.rubberBand = true;
            result.erase = mouse.dragLine;
            mouse.dragLine.x2 = x;
            mouse.dragLine.y2 = y;
            result.draw = mouse.dragLine;
            break;
        case DragMode::GateHandle:
            dragGateHandle(song, mouse, context.history, x);
            RefreshFields(context, result);
            result.redrawLane = true;
            break;
        case DragMode::StrokeHandle:
            dragStrokeHandle(song, mouse, context.history, x);
            RefreshFields(context, result);
            result.redrawLane = true;
            break;
        default:
            break;
        }
    } else if (shift == 0) {
        result.pointer = PointerShape::Default;
        if (y > EVENT_ROWS_BOTTOM)
            result.pointer = laneHover(mouse, song, context.lane, x, y);
    }
    result.repaint = true;
    return result;
}

MouseResult releaseSequence(SeqMouseContext& context, MouseButton button, unsigned /*shift*/,
                            int /*x*/, int /*y*/) {
    MouseResult result;
    if (button != MouseButton::Left)
        return result;
    SeqMouse& mouse = context.mouse;
    if (mouse.dragMode == DragMode::VelocityLine)
        applyVelocityLine(context.song, context.history, mouse.dragLine);
    mouse.dragLine = DragLine{};
    RefreshFields(context, result);
    result.playRedraw = true;
    result.redrawLane = result.redrawEvents = result.repaint = true;
    return result;
}

PointerShape laneHover(SeqMouse& mouse, const Song& song, SeqLane lane, int x, int y) {
    const ViewGeometry view = viewOf(song.edit);
    const auto count = static_cast<int>(std::min<std::uint32_t>(song.eventCount, MAX_EVENTS));
    if (lane == SeqLane::Velocity) {
        for (int i = 0; i < count; ++i) {
            const SongEvent& event = song.songEvents[i];
            const int xs = tickToX(song.meterTable, view, event.signedTick());
            if (xs < 1)
                continue; // not drawn: left of the view
            const int xe = velocityItem(song.meterTable, view, event, xs).x2;
            if (xe - HANDLE_REACH < x && x < xe + HANDLE_REACH) {
                mouse.dragMode = DragMode::GateHandle;
                mouse.handleTick = event.signedTick();
                mouse.handleStart = event.gate;
                mouse.handleUndoSteps = -1;
                return PointerShape::HorizontalResize;
            }
        }
        mouse.dragMode = DragMode::VelocityLine;
        return PointerShape::Default;
    }
    mouse.dragMode = DragMode::None;
    for (int i = 0; i < count; ++i) {
        const SongEvent& event = song.songEvents[i];
        const int xs = tickToX(song.meterTable, view, event.signedTick());
        if (xs < 1)
            continue;
        const int xe = strokeItem(song.meterTable, view, event, xs).x2;
        if (xe - HANDLE_REACH < x && x < xe + HANDLE_REACH && STROKE_BAR_TOP - 1 < y &&
            y < STROKE_BAR_BOTTOM + 1) {
            mouse.dragMode = DragMode::StrokeHandle;
            mouse.handleTick = event.signedTick();
            mouse.handleStart = event.strokeTime;
            mouse.handleUndoSteps = -1;
            return PointerShape::HorizontalResize;
        }
        if (xs - ARROW_REACH < x && x < xs + ARROW_REACH) {
            mouse.dragMode = DragMode::StrokeArrow;
            return PointerShape::VerticalResize;
        }
    }
    return PointerShape::Default;
}

namespace {

// Runs edit on a copy of the handle event, found again by its tick (an edit since the hover may
// have moved it), and stores the copy under the song's lock; nothing happens when the event is
// gone. The drag's undo step is recorded at its first change, so a handle pressed and let go
// where it was leaves no step that changes nothing.
template <class Edit>
void editHandleEvent(Song& song, SeqMouse& mouse, UndoHistory& history, Edit edit) {
    const int i = song.findEvent(mouse.handleTick);
    if (i < 0)
        return;
    SongEvent changed = song.songEvents[i];
    edit(i, changed);
    const SongEvent& event = song.songEvents[i];
    if (changed.gate == event.gate && changed.strokeTime == event.strokeTime)
        return;
    // The newest step is this drag's unless an undo or another edit came in between.
    const int n = history.undoCount;
    const UndoEntry& newest = history.undoEntries[std::max(n - 1, 0)];
    if (mouse.handleUndoSteps != n || n == 0 || newest.first != mouse.handleTick ||
        newest.last != mouse.handleTick) {
        pushUndo(history, song, mouse.handleTick, mouse.handleTick);
        mouse.handleUndoSteps = history.undoCount;
    }
    std::lock_guard lock(song.mutex);
    song.songEvents[i] = changed;
}

} // namespace

void dragGateHandle(Song& song, SeqMouse& mouse, UndoHistory& history, int x) {
    editHandleEvent(song, mouse, history, [&](int i, SongEvent& event) {
        std::int64_t gate = draggedValue(song, mouse, x, event.signedTick());
        if (i + 1 < static_cast<int>(song.eventCount)) {
            const std::int64_t room =
                std::int64_t{song.songEvents[i + 1].signedTick()} - event.signedTick();
            if (gate > room - 1)
                gate = room;
        }
        // With no event after it, the gate stops where the gate field does: dragged again and
        // again it would otherwise grow past what the field can show.
        event.gate = toTicks(std::min<std::int64_t>(gate, GATE_FIELD_MAX));
        if (event.strokeTime > event.gate)
            event.strokeTime = event.gate;
    });
}

void dragStrokeHandle(Song& song, SeqMouse& mouse, UndoHistory& history, int x) {
    editHandleEvent(song, mouse, history, [&](int, SongEvent& event) {
        std::int64_t strokeTime = draggedValue(song, mouse, x, event.signedTick());
        if (strokeTime > event.gate)
            strokeTime = event.gate;
        event.strokeTime = toTicks(strokeTime);
    });
}

bool applyVelocityLine(Song& song, UndoHistory& history, DragLine line) {
    if (song.eventCount == 0 || line.x1 == line.x2)
        return false;
    if (line.x2 < line.x1) {
        std::swap(line.x1, line.x2);
        std::swap(line.y1, line.y2);
    }
    const double slope = static_cast<double>(line.y1 - line.y2) / (line.x2 - line.x1);
    const ViewGeometry view = viewOf(song.edit);
    // A line that starts left of the grid begins at the view's first tick: the events before
    // the view are not under it.
    std::int32_t from = XToTick(song.meterTable, view, song.edit.tripletGrid, line.x1);
    if (from < 0)
        from = view.viewStartTick;
    const std::int32_t to = XToTick(song.meterTable, view, song.edit.tripletGrid, line.x2);
    const auto count = static_cast<int>(song.eventCount);
    int first = song.firstEventAtOrAfter(from);
    int last = to < 0 ? -1 : song.firstEventAtOrAfter(to + 1) - 1;
    if (first >= count || last < 0 || last < first)
        return false;

    pushUndo(history, song, song.songEvents[first].signedTick(),
             song.songEvents[last].signedTick());
    if (tickToX(song.meterTable, view, song.songEvents[first].signedTick()) < line.x1)
        ++first;
    if (tickToX(song.meterTable, view, song.songEvents[last].signedTick()) > line.x2)
        --last;
    std::lock_guard lock(song.mutex);
    for (int i = first; i <= last; ++i) {
        SongEvent& event = song.songEvents[i];
        const int x = tickToX(song.meterTable, view, event.signedTick());
        const double rise = std::clamp(slope * (x - line.x1), -1e9, 1e9);
        const std::int64_t h = roundHalfEven(rise) + LANE_BASE_Y - line.y1;
        event.velocity = static_cast<std::uint8_t>(std::clamp<std::int64_t>(4 * h, 0, 127));
    }
    return true;
}

} // namespace cadenzo
