#pragma once

#include "seq/song.h"
#include "seq/undo.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cadenzo {

// One numeric property field: an edit with its up-down button bound to it. The window mirrors
// text, position, limits and the enabled state into `e_vel`/`e_velUD` and the others, and hands
// typing and clicks back here.
//
// As with a bound up-down button, the position follows a number typed into the edit only when
// the position is next read (Position()) and only when the whole text is a number within the
// limits; otherwise the last position stands. Setting the position writes it into the text.
struct NumField {
    std::string text;
    std::int32_t position = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    bool enabled = true;
    int maxLength = 5; // characters the edit accepts

    // The whole text as a decimal number (an optional sign, then digits only); nullopt for an
    // empty text, any other character, or a number beyond the 32-bit range.
    std::optional<std::int32_t> Number() const;
    // Text typed by the user; the edit keeps at most maxLength characters.
    void Type(const std::string& typed);
    // The up-down's position, taken over from the text when that holds a number within the
    // limits.
    std::int32_t Position();
    // The up-down is set: the value is kept within the limits and shown as the text.
    void setPosition(std::int32_t value);
};

enum class FieldId { Velocity, Gate, Stroke };

// `e_vel`, `e_gate`, `e_stroke` with their up-down buttons, as at start-up.
struct EventFields {
    NumField vel{"0", 0, 0, 127, true, 3};
    NumField gate{"20", 20, 20, 32767, true, 5};
    NumField stroke{"0", 0, 0, 32767, true, 5};

    NumField& Field(FieldId id);
};

inline constexpr std::int32_t GATE_FIELD_MAX = 32767;
inline constexpr std::int32_t MIN_GATE = 20; // shortest gate and stroke time the editor sets

// The selected events: first and last index of the events between ticks a and b (either
// order), or first = -1 when the span holds none.
struct EventSpan {
    int first = -1;
    int last = -1;
    bool empty() const { return first < 0; }
};
EventSpan selectedSpan(const Song& song, std::int32_t a, std::int32_t b);

// Shows the properties of the events between ticks a and b: a value common to all of them, or
// an empty text; the six controls are disabled (texts kept) when the span holds no event. The
// gate can go up to one tick short of the nearest following event (32767 when none follows);
// the stroke time from 20 up to the gate of the first event.
void updateEventFields(EventFields& fields, const Song& song, std::int32_t a, std::int32_t b);

// Write a field's value into the selected events (anchorTick..cursorTick); a value above the
// field's maximum is first brought down to it. applyGate also keeps the stroke time within the
// new gate and makes the gate the stroke field's maximum.
void applyVelocity(EventFields& fields, Song& song);
void applyGate(EventFields& fields, Song& song);
void applyStroke(EventFields& fields, Song& song);

// The field lost the input focus: an invalid or too small text becomes the minimum, then an
// undo step for the selection is recorded and the value applied (also when it did not change).
// The window then redraws the lane and repaints `seq_screen`.
void commitField(FieldId id, EventFields& fields, Song& song, UndoHistory& history);
// An up-down button was clicked (delta +1 up, -1 down): the position moves within the limits,
// then an undo step is recorded and the value applied.
void stepField(FieldId id, int delta, EventFields& fields, Song& song, UndoHistory& history);
// Enter in a field moves the input focus on: velocity, gate, stroke, and back to velocity. The
// window then runs commitField for the field that lost the focus.
FieldId nextField(FieldId id);

} // namespace cadenzo
