#include "dialogs/instrument_setup.h"

#include "files/text_lines.h"

#include <algorithm>

namespace cadenzo {

const std::array<const char*, GUITAR_PROGRAMS> instrumentItems{
    "Nylon-str. Gt", "Steel-str. Gt.", "Jazz Gt.",       "Clean Gt.",
    "Muted Gt.",     "Overdrive Gt.",  "Distortion Gt.", "Gt. Harmonics"};

const char* tuneKindItem(int item) {
    if (item >= 0 && item < TUNE_PRESET_COUNT)
        return tunePreset[static_cast<std::size_t>(item)].name;
    return "";
}

std::string tuningName(int value) {
    value = std::max(value, 0);
    std::string name = noteName[static_cast<std::size_t>(value % 12)];
    if (name.back() == ' ')
        name.pop_back();
    return name + std::to_string(value / 12 + 1);
}

bool applyTuningPreset(Guitar& guitar, int item) {
    if (item < 1 || item >= TUNE_PRESET_COUNT)
        return false;
    guitar.setTuning(tunePreset[static_cast<std::size_t>(item)].values);
    guitar.tuneKind = static_cast<std::uint8_t>(item);
    return true;
}

CheckedNumber checkNumberText(std::string_view text, int minimum, int maximum) {
    std::int32_t parsed = 0;
    if (parseDecimal(text, parsed)) {
        if (parsed < minimum)
            return {minimum, true};
        if (parsed > maximum)
            return {maximum, true};
        return {static_cast<int>(parsed), false}; // in range: the box keeps what was typed
    }
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    const bool allDigits = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    // Digits too many for 32 bits are far above any limit; anything else is no number at all.
    return {allDigits ? maximum : minimum, true};
}

const char* deviceQueryErrorText(std::uint32_t code) {
    switch (code) {
    case MIDI_QUERY_BAD_DEVICE:
    case static_cast<std::uint32_t>(
        MidiStatus::NoDevice): // the backends' word for an index past the last device
        return "The specified device identifier is out of range.";
    case MIDI_QUERY_NO_DRIVER:
        return "The driver is not installed.";
    case MIDI_QUERY_NO_MEMORY:
        return "The system is unable to load mapper string description.";
    case MIDI_QUERY_BAD_POINTER:
        return "The specified pointer or structure is invalid.";
    default:
        return "Error";
    }
}

DeviceList listOutputDevices(const MidiOut& out) {
    DeviceList list;
    const unsigned count = out.deviceCount();
    for (unsigned device = 0; device < count; ++device) {
        std::string name;
        const MidiStatus result = out.deviceName(device, name);
        if (result != MidiStatus::Ok)
            name.clear();
        list.names.push_back(name);
        if (device + 1 == count && result != MidiStatus::Ok)
            list.error = deviceQueryErrorText(static_cast<std::uint32_t>(result));
    }
    return list;
}

void followDeviceName(const std::vector<std::string>& names, MidiSetup& setup) {
    const std::size_t held = setup.midiDevice;
    if (setup.midiDeviceName.empty()) {
        if (held < names.size())
            setup.midiDeviceName = names[held];
        return;
    }
    if (held < names.size() && names[held] == setup.midiDeviceName)
        return;
    const auto found = std::find(names.begin(), names.end(), setup.midiDeviceName);
    if (found != names.end() && found - names.begin() <= 0xFF)
        setup.midiDevice = static_cast<std::uint8_t>(found - names.begin());
}

} // namespace cadenzo
