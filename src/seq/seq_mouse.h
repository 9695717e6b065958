#pragma once

#include "seq/event_fields.h"
#include "seq/seq_geometry.h"
#include "seq/song.h"
#include "seq/undo.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cadenzo {

enum class MouseButton { Left, Right, Middle };

// The shift state of a mouse event: keys and buttons held, as flags.
enum ShiftFlag : unsigned {
    SHIFT_KEY = 1u << 0,
    CTRL_KEY = 1u << 1,
    ALT_KEY = 1u << 2,
    LEFT_HELD = 1u << 3,
    RIGHT_HELD = 1u << 4,
    MIDDLE_HELD = 1u << 5,
};

// What a press in the view drags. A press in the ruler or the event rows sets it; in the lane the
// hover sets it before the press, so the press acts on what the pointer shape showed. It is not
// cleared on release.
enum class DragMode : std::uint8_t {
    None = 0,
    Ruler = 1,        // playback position
    Selection = 2,    // cursor and selection
    VelocityLine = 3, // a line drawn across the velocity bars
    GateHandle = 4,   // right end of a velocity item
    StrokeHandle = 5, // right end of a stroke-time item
    StrokeArrow = 6,  // reverses a stroke direction
};

enum class SeqLane { Velocity = 0, Stroke = 1 }; // the items of `seqData`

// The press point and the current point of a lane drag, in `seq_screen` pixels.
struct DragLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    friend bool operator==(const DragLine&, const DragLine&) = default;
};

// Mouse editing state of the view; window thread only.
struct SeqMouse {
    DragMode dragMode = DragMode::None;
    DragLine dragLine;
    // The event whose gate or stroke handle the hover found, by its tick (so an edit between the
    // hover and the drag cannot make the drag act on another slot), with its gate or stroke time
    // at that moment: the drag computes from these.
    std::int32_t handleTick = -1;
    std::int32_t handleStart = 0;
    // The history's step count right after the drag recorded its undo step; -1 from the press or
    // the choice of a handle until the drag first changes the event.
    int handleUndoSteps = -1;
    // The mouseTick at which the selection was last updated during a drag.
    std::int32_t lastDragTick = 0;
};

enum class PointerShape { Unchanged, Default, HorizontalResize, VerticalResize };

// What the window has to do after a mouse event of the view.
struct MouseResult {
    bool redrawAll = false;     // RedrawAll
    bool redrawEvents = false;  // the event layer
    bool redrawLane = false;    // the lane layer
    bool repaint = false;       // repaint `seq_screen`
    bool fieldsChanged = false; // mirror the property fields into their controls
    bool scrolled = false;      // viewBar moved: set `seqBar` to it (which redraws the view)
    bool playRedraw = false;    // playback draws its play line again at its next callback
    std::optional<std::int32_t> locate; // move the playback position there (locateTo)
    std::optional<std::string> panel0;  // new text of status panel 0
    std::optional<std::string> panel1;  // new text of status panel 1
    PointerShape pointer = PointerShape::Unchanged;
    // The velocity line moved: draw `erase` again in not-xor mode (which removes it), then `draw`,
    // and copy all of `seqBitmap` to the screen.
    bool rubberBand = false;
    DragLine erase;
    DragLine draw;
};

// Everything the view's mouse handlers read and change.
struct SeqMouseContext {
    Song& song;
    UndoHistory& history;
    EventFields& fields;
    SeqMouse& mouse;
    SeqLane lane = SeqLane::Velocity;
    int scrollMax = SEQ_BAR_MAX; // maximum of the `seqBar` scroll bar
};

// A press, a move and a release over the `seq_screen` view: x and y in its pixels, shift the keys
// and buttons held (ShiftFlag). A double click there is sendEventToFretboard.
MouseResult pressSequence(SeqMouseContext& context, MouseButton button, unsigned shift, int x,
                          int y);
MouseResult moveOverSequence(SeqMouseContext& context, unsigned shift, int x, int y);
MouseResult releaseSequence(SeqMouseContext& context, MouseButton button, unsigned shift, int x,
                            int y);

// The lane hover (pointer over the lane, no button held): chooses the drag mode and the handle
// event, and returns the pointer shape to show.
PointerShape laneHover(SeqMouse& mouse, const Song& song, SeqLane lane, int x, int y);

// A drag of the gate (stroke-time) handle to pixel x: the handle's starting value plus 20 ticks
// per zoom step moved from the press point; at least 20 (also when the pointer is at or left of
// the event's own line), the gate never past the next event and the stroke time never past the
// gate. Nothing happens when the handle event no longer stands at its tick. The first change
// after the press records the drag's undo step in history.
void dragGateHandle(Song& song, SeqMouse& mouse, UndoHistory& history, int x);
void dragStrokeHandle(Song& song, SeqMouse& mouse, UndoHistory& history, int x);

// Reshapes the velocities under a line drawn in the lane: each event whose x lies on the line's
// span gets 4 x the line's height above the lane's base line there (0..127). Records an undo
// step for the events in the line's tick span first. Returns true when a step was recorded.
bool applyVelocityLine(Song& song, UndoHistory& history, DragLine line);

// Nearest to the value, halves to the even neighbour (the rounding the velocity line uses).
std::int64_t roundHalfEven(double value);

} // namespace cadenzo
