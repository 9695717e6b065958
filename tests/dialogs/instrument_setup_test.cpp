#include "dialogs/instrument_setup.h"

#include <gtest/gtest.h>

#include <tuple>

namespace cadenzo {
namespace {

// Typed text -> the value the box is held at, and whether the box must show it instead.
TEST(InstrumentSetup, NumberBoxesAreHeldWithinTheirLimits) {
    const std::tuple<const char*, int, int, int, bool> cases[] = {
        {"0", 1, 16, 1, true},           {"x", 1, 16, 1, true},   {"", 1, 16, 1, true},
        {"20", 1, 16, 16, true},         {"7", 1, 16, 7, false},  {"07", 1, 16, 7, false},
        {"200", 0, 127, 127, true},      {"-3", 0, 127, 0, true}, {"12a", 0, 127, 0, true},
        {"99999999999", 1, 16, 16, true}};
    for (const auto& [text, minimum, maximum, value, changed] : cases) {
        const CheckedNumber got = checkNumberText(text, minimum, maximum);
        EXPECT_EQ(std::pair(got.value, got.changed), std::pair(value, changed)) << text;
    }
}

// The stored number and name -> those the device opens with: a moved device is found, the
// number held first; a gone one keeps both; no name yet takes the one at the number.
TEST(InstrumentSetup, TheDeviceNumberFollowsTheName) {
    const std::vector<std::string> names{"synth", "thru", "a", "b", "a"};
    const std::tuple<int, std::string, int, std::string> cases[] = {
        {1, "b", 3, "b"}, {4, "a", 4, "a"}, {1, "c", 1, "c"}, {2, "", 2, "a"}, {9, "", 9, ""}};
    for (const auto& [device, name, wantDevice, wantName] : cases) {
        MidiSetup setup{.midiDevice = static_cast<std::uint8_t>(device), .midiDeviceName = name};
        followDeviceName(names, setup);
        EXPECT_EQ(std::pair(int(setup.midiDevice), setup.midiDeviceName),
                  std::pair(wantDevice, wantName));
    }
}

} // namespace
} // namespace cadenzo
