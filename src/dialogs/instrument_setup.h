#pragma once

#include "model/guitar.h"
#include "model/midi_setup.h"
#include "sound/midi_out.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// The instrument list offers the eight guitar programs of General MIDI, 24..31, in order.
inline constexpr int FIRST_GUITAR_PROGRAM = 24;
inline constexpr int GUITAR_PROGRAMS = 8;
extern const std::array<const char*, GUITAR_PROGRAMS> instrumentItems;

// The tuning preset list: the names of the preset rows, then two empty items without a row.
inline constexpr int TUNE_KIND_ITEMS = TUNE_PRESET_COUNT + 2;
const char* tuneKindItem(int item);

// The string boxes' up-downs reach 47 (B4); a preset may tune a string above that.
inline constexpr int TUNING_BOX_MAX = 47;

// The name a string box shows for a tuning value: the pitch class without a blank, then the
// octave value div 12 + 1, so 0 is "C1", 28 "E3" and 47 "B4". Preset values beyond 47 are named
// by the same rule ("C5" for 48).
std::string tuningName(int value);

// Copies preset row `item` (1..13) into the tuning and remembers it in tuneKind. "---" and the
// two empty items change nothing and give false.
bool applyTuningPreset(Guitar& guitar, int item);

// A number box with limits (the channel 1..16, the velocity 0..127), checked on every change:
// text that is not a whole number, or is below the minimum, becomes the minimum; a value above
// the maximum becomes the maximum. A run of digits too long for a number is above the maximum.
struct CheckedNumber {
    int value = 0;
    bool changed = false; // the box is to show std::to_string(value); else it keeps its text
};
CheckedNumber checkNumberText(std::string_view text, int minimum, int maximum);

// The query failures of a device name, worded as the device list reports the last one.
inline constexpr std::uint32_t MIDI_QUERY_BAD_DEVICE = 2;
inline constexpr std::uint32_t MIDI_QUERY_NO_DRIVER = 6;
inline constexpr std::uint32_t MIDI_QUERY_NO_MEMORY = 7;
inline constexpr std::uint32_t MIDI_QUERY_BAD_POINTER = 11;
const char* deviceQueryErrorText(std::uint32_t code);

// The output device list, item i for device i. Every device the service counts is listed, also
// when the device chosen at start-up failed to open: that is when the user most needs another.
// A device whose name cannot be read keeps its place with an empty name; when that is the last
// device, `error` holds the text to show.
struct DeviceList {
    std::vector<std::string> names;
    std::string error;
};
DeviceList listOutputDevices(const MidiOut& out);

// Before the device opens, its number follows its name to where `names` (the devices listed now)
// has it, the number held first. A name no longer listed leaves the number as it is and stays
// for when the device comes back; a setup without a name (settings saved before names were
// kept) takes the name listed at its number.
void followDeviceName(const std::vector<std::string>& names, MidiSetup& setup);

} // namespace cadenzo
