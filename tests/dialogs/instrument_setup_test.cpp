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

// The stored number and name -> the number and name the device opens with.
TEST(InstrumentSetup, TheDeviceNumberFollowsTheName) {
    const std::vector<std::string> names{"Built-in", "ALSA: Through", "JACK: a", "JACK: b",
                                         "JACK: a"};
    const std::tuple<int, const char*, int, const char*> cases[] = {
        {1, "JACK: b", 3, "JACK: b"}, // moved
        {4, "JACK: a", 4, "JACK: a"}, // the number held comes first
        {1, "JACK: c", 1, "JACK: c"}, // gone: the number stays, the name waits for it
        {2, "", 2, "JACK: a"},        // no name yet: the one at the number
        {9, "", 9, ""}};
    for (const auto& [device, name, wantDevice, wantName] : cases) {
        MidiSetup setup;
        setup.midiDevice = static_cast<std::uint8_t>(device), setup.midiDeviceName = name;
        followDeviceName(names, setup);
        EXPECT_EQ(std::pair(int(setup.midiDevice), setup.midiDeviceName),
                  std::pair(wantDevice, std::string(wantName)))
            << device << " " << name;
    }
}

} // namespace
} // namespace cadenzo
