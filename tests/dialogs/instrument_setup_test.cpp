#include "dialogs/instrument_setup.h"
#include "sound/recording_midi_out.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

TEST(InstrumentSetup, NumberBoxesAreHeldWithinTheirLimits) {
    struct Case {
        const char* text;
        int minimum, maximum, value;
        bool changed;
    };
    const Case cases[] = {
        {"0", 1, 16, 1, true},      {"x", 1, 16, 1, true},
        {"", 1, 16, 1, true},       {"20", 1, 16, 16, true},
        {"7", 1, 16, 7, false},     {"07", 1, 16, 7, false},
        {"200", 0, 127, 127, true}, {"", 0, 127, 0, true},
        {"-3", 0, 127, 0, true},    {"99999999999", 1, 16, 16, true},
        {"12a", 0, 127, 0, true},
    };
    for (const Case& c : cases) {
        const CheckedNumber got = checkNumberText(c.text, c.minimum, c.maximum);
        EXPECT_EQ(got.value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(got.changed, c.changed) << '"' << c.text << '"';
    }
}

TEST(InstrumentSetup, TuningNamesAndPresets) {
    const std::pair<int, const char*> names[] = {{0, "C1"},  {1, "C#1"}, {4, "E1"},
                                                 {28, "E3"}, {47, "B4"}, {48, "C5"}};
    for (auto [value, name] : names)
        EXPECT_EQ(tuningName(value), name);

    Guitar guitar;
    guitar.setTuning(standardTuning);
    ASSERT_STREQ(tuneKindItem(7), "Drop D");
    EXPECT_TRUE(applyTuningPreset(guitar, 7));
    EXPECT_EQ(guitar.tunings(), (Frets{28, 23, 19, 14, 9, 2})); // only the sixth string, E1 to D1
    EXPECT_EQ(guitar.tuneKind, 7);
    for (int item : {0, 14, 15}) {
        EXPECT_FALSE(applyTuningPreset(guitar, item));
        EXPECT_STREQ(tuneKindItem(item), item == 0 ? "---" : "");
    }
    EXPECT_EQ(guitar.tunings(), (Frets{28, 23, 19, 14, 9, 2}));
}

// A device service whose last device cannot be named.
class FailingLastName : public RecordingMidiOut {
public:
    FailingLastName() : RecordingMidiOut(3) {}
    MidiStatus deviceName(unsigned device, std::string& name) const override {
        return device == 2 ? static_cast<MidiStatus>(MIDI_QUERY_NO_DRIVER)
                           : RecordingMidiOut::deviceName(device, name);
    }
};

// (That every device is listed after a failed start-up open is the instrument dialog's test.)
TEST(InstrumentSetup, ADeviceWithoutANameKeepsItsPlace) {
    const DeviceList failing = listOutputDevices(FailingLastName());
    EXPECT_EQ(failing.names, (std::vector<std::string>{"Recorder 0", "Recorder 1", ""}));
    EXPECT_EQ(failing.error, "The driver is not installed.");
}

} // namespace
} // namespace cadenzo
