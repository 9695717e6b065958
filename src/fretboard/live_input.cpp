#include "fretboard/live_input.h"

#include "model/chord_table.h"
#include "sound/strum.h"

#include <algorithm>
#include <bitset>
#include <charconv>

namespace cadenzo {

namespace {

using PitchClasses = std::bitset<12>;

PitchClasses voicingClasses(const Frets& frets) {
    PitchClasses classes;
    for (int s = 0; s < STRING_COUNT; ++s)
        if (frets[s] != SILENT)
            classes.set(stringMidiNote(frets[s], standardTuning[s]) % 12);
    return classes;
}

constexpr std::string_view NOTE_PREFIX = "note ";
constexpr std::string_view CONTROLLER_PREFIX = "cc ";

} // namespace

std::string controlText(LiveControl control) {
    if (control.kind == LiveControl::Kind::None)
        return {};
    return std::string(control.kind == LiveControl::Kind::Note ? NOTE_PREFIX : CONTROLLER_PREFIX) +
           std::to_string(control.number);
}

LiveControl parseControl(std::string_view text) {
    LiveControl control;
    for (auto [prefix, kind] : {std::pair{NOTE_PREFIX, LiveControl::Kind::Note},
                                std::pair{CONTROLLER_PREFIX, LiveControl::Kind::Controller}}) {
        if (!text.starts_with(prefix))
            continue;
        const std::string_view digits = text.substr(prefix.size());
        int number = -1;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc{} && end == digits.data() + digits.size() && number >= 0 &&
            number < 128)
            control = {kind, static_cast<std::uint8_t>(number)};
    }
    return control;
}

std::optional<ChordSelection> nameNotes(std::span<const std::uint8_t> notes) {
    if (notes.empty())
        return std::nullopt;
    PitchClasses played;
    for (std::uint8_t note : notes)
        played.set(note % 12);
    const int lowest = *std::min_element(notes.begin(), notes.end()) % 12;
    for (int r = 0; r < CHORD_ROOTS; ++r) {
        const int root = (lowest + r) % 12;
        for (int type = 0; type < CHORD_TYPES; ++type)
            for (const Frets& voicing : chordTable[root][type])
                if (voicingClasses(voicing) == played)
                    return ChordSelection{root + 1, type};
    }
    return std::nullopt;
}

void LiveInput::press(LiveAction action) {
    bool& held = held_[static_cast<int>(action)];
    if (held)
        return;
    held = true;
    switch (action) {
    case LiveAction::DownStroke:
        strummer_.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
        break;
    case LiveAction::UpStroke:
        strummer_.strum(Strummer::Direction::Up, Strummer::Release::OnRelease);
        break;
    case LiveAction::Mute:
        strummer_.mute();
        break;
    }
}

void LiveInput::release(LiveAction action) {
    bool& held = held_[static_cast<int>(action)];
    if (!held)
        return;
    held = false;
    if (action != LiveAction::Mute)
        strummer_.release();
}

void LiveInput::bind(LiveAction action, LiveControl control) {
    for (LiveControl& c : controls)
        if (c == control)
            c = {};
    controls[static_cast<int>(action)] = control;
    learning_.reset();
}

GuitarChange LiveInput::receive(std::uint32_t message, std::int64_t nowMs) {
    const std::uint8_t status = message & 0xF0;
    const auto number = static_cast<std::uint8_t>((message >> 8) & 0x7F);
    const auto value = static_cast<std::uint8_t>((message >> 16) & 0x7F);
    LiveControl control;
    bool down = false;
    if (status == 0x90 || status == 0x80) {
        control = {LiveControl::Kind::Note, number};
        down = status == 0x90 && value > 0;
    } else if (status == 0xB0) {
        control = {LiveControl::Kind::Controller, number};
        down = value >= 64; // a switch's on half, as the sustain pedal counts it
    } else {
        return {};
    }
    if (learning_) {
        if (down)
            bind(*learning_, control);
        return {};
    }
    for (int a = 0; a < LIVE_ACTIONS; ++a) {
        if (controls[a] == control) {
            if (down)
                press(static_cast<LiveAction>(a));
            else
                release(static_cast<LiveAction>(a));
            return {};
        }
    }
    if (control.kind != LiveControl::Kind::Note || !down)
        return {};
    GuitarChange change;
    if (!gathered_.empty() && nowMs - gatherStartMs_ > CHORD_GATHER_MS)
        change = setChord();
    if (gathered_.empty())
        gatherStartMs_ = nowMs;
    gathered_.push_back(number);
    return change;
}

GuitarChange LiveInput::flush(std::int64_t nowMs) {
    if (gathered_.empty() || nowMs - gatherStartMs_ < CHORD_GATHER_MS)
        return {};
    return setChord();
}

std::optional<std::int64_t> LiveInput::flushDue() const {
    if (gathered_.empty())
        return std::nullopt;
    return gatherStartMs_ + CHORD_GATHER_MS;
}

GuitarChange LiveInput::setChord() {
    const std::optional<ChordSelection> chord = nameNotes(gathered_);
    gathered_.clear();
    if (!chord)
        return {};
    GuitarChange change = fretboard_.chooseChord(*chord);
    change.chordLists = *chord;
    if (fretboard_.switches.playOnSetting)
        strummer_.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
    return change;
}

} // namespace cadenzo
