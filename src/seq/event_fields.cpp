#include "seq/event_fields.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <mutex>

namespace cadenzo {

namespace {

// Within the limits; when a field's limits cross (a foreign song with events closer than the
// shortest gate) the minimum wins, as the up-down keeps its position there.
std::int32_t Limit(std::int64_t value, std::int32_t minimum, std::int32_t maximum) {
    if (value > maximum)
        value = maximum;
    if (value < minimum)
        value = minimum;
    return static_cast<std::int32_t>(value);
}

// The number a field applies: the text's, or the up-down's position when the text holds none.
std::int32_t appliedNumber(NumField& field) {
    const auto number = field.Number();
    return number ? *number : field.Position();
}

template <typename Set> void forSpan(Song& song, EventSpan span, Set set) {
    if (span.empty())
        return;
    std::lock_guard lock(song.mutex);
    for (int i = span.first; i <= span.last; ++i)
        set(song.songEvents[i]);
}

// One tick short of the nearest event that follows one of the span's events; 32767 when none
// follows.
std::int32_t gateLimit(const Song& song, EventSpan span) {
    std::int64_t gateMax = GATE_FIELD_MAX;
    bool followed = false;
    for (int i = span.first; i <= span.last; ++i) {
        if (i + 1 >= static_cast<int>(song.eventCount))
            break;
        const std::int64_t room =
            std::int64_t{song.songEvents[i + 1].signedTick()} - song.songEvents[i].signedTick() - 1;
        gateMax = followed ? std::min(gateMax, room) : room;
        followed = true;
    }
    return Limit(gateMax, std::numeric_limits<std::int32_t>::min(),
                 std::numeric_limits<std::int32_t>::max());
}

EventSpan Selection(const Song& song) {
    return selectedSpan(song, song.edit.anchorTick, song.edit.cursorTick);
}

// Text of a value common to every event of the span, or empty.
template <typename Get> std::string commonText(const Song& song, EventSpan span, Get get) {
    const std::int64_t value = get(song.songEvents[span.first]);
    for (int i = span.first + 1; i <= span.last; ++i) {
        if (get(song.songEvents[i]) != value)
            return std::string();
    }
    return std::to_string(value);
}

void validateOnExit(FieldId id, NumField& field) {
    const auto number = field.Number();
    if (number && *number >= field.minimum)
        return;
    if (id == FieldId::Gate)
        field.setPosition(field.minimum);
    else
        field.text = std::to_string(field.minimum);
}

void apply(FieldId id, EventFields& fields, Song& song) {
    switch (id) {
    case FieldId::Velocity:
        applyVelocity(fields, song);
        break;
    case FieldId::Gate:
        applyGate(fields, song);
        break;
    case FieldId::Stroke:
        applyStroke(fields, song);
        break;
    }
}

} // namespace

std::optional<std::int32_t> NumField::Number() const {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    // A leading plus converts as well; from_chars itself takes only the minus.
    if (begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-')
        ++begin;
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, 10);
    if (begin == end || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

void NumField::Type(const std::string& typed) {
    text = typed.substr(0, static_cast<std::size_t>(std::max(maxLength, 0)));
}

std::int32_t NumField::Position() {
    const auto number = Number();
    if (number && *number >= minimum && *number <= maximum)
        position = *number;
    return position;
}

void NumField::setPosition(std::int32_t value) {
    position = Limit(value, minimum, maximum);
    text = std::to_string(position);
}

NumField& EventFields::Field(FieldId id) {
    switch (id) {
    case FieldId::Velocity:
        return vel;
    case FieldId::Gate:
        return gate;
    case FieldId::Stroke:
        return stroke;
    }
    return vel;
}

EventSpan selectedSpan(const Song& song, std::int32_t a, std::int32_t b) {
    if (a > b)
        std::swap(a, b);
    EventSpan span{song.findInRange(a, b), song.findInRange(b, a)};
    if (span.first < 0 || span.last < 0)
        return EventSpan{};
    if (span.first > span.last)
        std::swap(span.first, span.last);
    return span;
}

void updateEventFields(EventFields& fields, const Song& song, std::int32_t a, std::int32_t b) {
    const EventSpan span = selectedSpan(song, a, b);
    if (span.empty()) {
        fields.vel.enabled = fields.gate.enabled = fields.stroke.enabled = false;
        return;
    }
    fields.vel.text = commonText(song, span, [](const SongEvent& e) { return e.velocity; });
    fields.gate.text = commonText(song, span, [](const SongEvent& e) { return e.gate; });
    fields.stroke.text = commonText(song, span, [](const SongEvent& e) { return e.strokeTime; });
    fields.vel.enabled = fields.gate.enabled = fields.stroke.enabled = true;

    fields.gate.maximum = gateLimit(song, span);
    fields.stroke.minimum = MIN_GATE;
    fields.stroke.maximum = song.songEvents[span.first].gate;
}

void applyVelocity(EventFields& fields, Song& song) {
    NumField& vel = fields.vel;
    const auto number = vel.Number();
    if (number && *number > vel.maximum)
        vel.text = std::to_string(vel.maximum);
    const auto velocity = static_cast<std::uint8_t>(Limit(appliedNumber(vel), 0, 127));
    forSpan(song, Selection(song), [velocity](SongEvent& e) { e.velocity = velocity; });
}

void applyStroke(EventFields& fields, Song& song) {
    NumField& stroke = fields.stroke;
    const auto number = stroke.Number();
    if (number && *number > stroke.maximum)
        stroke.text = std::to_string(stroke.maximum);
    const std::int32_t strokeTime = appliedNumber(stroke);
    forSpan(song, Selection(song), [strokeTime](SongEvent& e) { e.strokeTime = strokeTime; });
}

void applyGate(EventFields& fields, Song& song) {
    const EventSpan span = Selection(song);
    if (span.empty())
        return;
    NumField& gate = fields.gate;
    NumField& stroke = fields.stroke;
    // The limit as the list stands now: a paste does not refresh the fields, and a gate set
    // from a stale limit would reach past an event pasted after the selection.
    gate.maximum = gateLimit(song, span);
    const auto number = gate.Number();
    if (number && *number > gate.maximum)
        gate.setPosition(gate.maximum);
    if (stroke.Position() > gate.Position())
        stroke.setPosition(appliedNumber(gate));
    const std::int32_t newGate = gate.Position();
    forSpan(song, span, [newGate](SongEvent& e) { e.gate = newGate; });
    if (newGate < stroke.maximum && stroke.Position() >= newGate) {
        stroke.text = gate.text;
        forSpan(song, span, [newGate](SongEvent& e) { e.strokeTime = newGate; });
    }
    stroke.maximum = newGate;
}

void commitField(FieldId id, EventFields& fields, Song& song, UndoHistory& history) {
    NumField& field = fields.Field(id);
    if (!field.enabled)
        return; // a disabled field never holds the focus
    validateOnExit(id, field);
    pushUndo(history, song, song.edit.anchorTick, song.edit.cursorTick);
    apply(id, fields, song);
}

void stepField(FieldId id, int delta, EventFields& fields, Song& song, UndoHistory& history) {
    NumField& field = fields.Field(id);
    if (!field.enabled)
        return;
    field.setPosition(Limit(std::int64_t{field.Position()} + delta,
                            std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()));
    pushUndo(history, song, song.edit.anchorTick, song.edit.cursorTick);
    apply(id, fields, song);
}

FieldId nextField(FieldId id) {
    switch (id) {
    case FieldId::Velocity:
        return FieldId::Gate;
    case FieldId::Gate:
        return FieldId::Stroke;
    case FieldId::Stroke:
        return FieldId::Velocity;
    }
    return FieldId::Velocity;
}

} // namespace cadenzo
