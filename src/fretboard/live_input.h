#pragma once

#include "fretboard/fretboard_controller.h"
#include "model/chords.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

class Strummer;

// What a strum key or a control of a MIDI controller does: the two stroke buttons and "Mute".
enum class LiveAction { DownStroke, UpStroke, Mute };
inline constexpr int LIVE_ACTIONS = 3;
// Notes struck within this time of the first one count as one chord played on a keyboard.
inline constexpr std::int64_t CHORD_GATHER_MS = 50;

// A key or a controller of a MIDI controller, on any channel (a foot switch sends controller 64,
// or a note).
struct LiveControl {
    enum class Kind : std::uint8_t { None, Note, Controller };
    Kind kind = Kind::None;
    std::uint8_t number = 0;

    bool operator==(const LiveControl&) const = default;
};
// The control as the preferences file keeps it: "note 60", "cc 64", "" for none; parseControl
// reads it back and gives Kind::None for anything else.
std::string controlText(LiveControl control);
LiveControl parseControl(std::string_view text);

// The chord that `notes` (MIDI note numbers) name, searched like ChordSearch searches the
// fretboard: root by root from the lowest note's, type by type, each voicing of the chord table
// compared by the pitch classes it sounds in standard tuning. The first chord whose pitch classes
// are exactly those of the notes wins; none when no voicing sounds them.
std::optional<ChordSelection> nameNotes(std::span<const std::uint8_t> notes);

// Strumming without the mouse: the strum keys and a MIDI controller drive the same strummer as
// the stroke buttons (a held key or switch rings like the held button, its release is the
// button's release), a "learn" step binds a control to an action, and the notes of a chord
// played on a keyboard controller set the fretboard to that chord at the current position, as if
// it were chosen in the chord lists.
// Window thread only: the MIDI input's own thread hands its messages over first.
class LiveInput {
public:
    LiveInput(Strummer& strummer, FretboardController& fretboard)
        : strummer_(strummer), fretboard_(fretboard) {}

    // The control bound to each action, indexed by LiveAction.
    std::array<LiveControl, LIVE_ACTIONS> controls;

    // A strum key or a bound control went down or up. Repeated presses of a held action are
    // ignored, so a key's auto-repeat or a pedal's stream of values strikes once.
    void press(LiveAction action);
    void release(LiveAction action);

    // The next note-on or pressed controller is bound to `action` (and taken from any other
    // action it was bound to) instead of acting.
    void learn(LiveAction action) { learning_ = action; }
    std::optional<LiveAction> learning() const { return learning_; }

    // One message from the controller (status | data1 << 8 | data2 << 16) at `nowMs` on a
    // steady clock. A note-on that starts a new chord names the one gathered before it.
    GuitarChange receive(std::uint32_t message, std::int64_t nowMs);
    // The gathering time of the chord being played has passed by `nowMs`: it is named and set.
    GuitarChange flush(std::int64_t nowMs);
    // When flush should run next; none while no notes are gathered.
    std::optional<std::int64_t> flushDue() const;

private:
    GuitarChange setChord();
    void bind(LiveAction action, LiveControl control);

    Strummer& strummer_;
    FretboardController& fretboard_;
    std::optional<LiveAction> learning_;
    std::array<bool, LIVE_ACTIONS> held_{};
    std::vector<std::uint8_t> gathered_;
    std::int64_t gatherStartMs_ = 0;
};

} // namespace cadenzo
