#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <gtest/gtest.h>

namespace cadenzo::test {
namespace {

// Every open resets the device first; a failed one leaves it closed, with the code's warning.
TEST(MidiPort, OpenReportsTheCodeAndWarningClosesOnFailureAndAlwaysResets) {
    MidiSetup setup;
    RecordingMidiOut out{3}; // devices 0..2
    MidiPort port{out, setup};
    struct Case {
        std::uint8_t device;
        std::uint32_t failWith; // 0: the device opens as it can
        std::uint32_t code;
        const char* text;
    };
    const Case cases[] = {{2, 0, 0, ""},
                          {3, 0, 68, "No Midi Device"},
                          {0, 4, 4, "Device Already Allocated"},
                          {0, 67, 67, "Midi Open Error"}};
    int resets = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        setup.midiDevice = 0;
        ASSERT_EQ(port.midiOpen(), MidiStatus::Ok); // a device open before: a failed open closes it
        setup.midiDevice = c.device;
        if (c.failWith != 0)
            out.failNextOpen(MidiStatus{c.failWith});
        const MidiStatus code = port.midiOpen();
        EXPECT_EQ(code, MidiStatus{c.code});
        EXPECT_STREQ(midiOpenWarning(code), c.text);
        EXPECT_EQ(out.isOpen(), c.code == 0);
        EXPECT_EQ(out.resetCount(), resets += 2);
        out.clear();
        port.allNoteOff(); // dropped while closed
        EXPECT_EQ(out.sent().size(), c.code == 0 ? 128u : 0u);
    }
}

} // namespace
} // namespace cadenzo::test
