#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <gtest/gtest.h>

#include <vector>

namespace cadenzo::test {
namespace {

class MidiPortTest : public ::testing::Test {
protected:
    std::vector<std::uint32_t> Messages() const {
        std::vector<std::uint32_t> messages;
        for (const auto& m : out.sent())
            messages.push_back(m.message);
        return messages;
    }

    MidiSetup setup;
    RecordingMidiOut out{3}; // devices 0..2
    MidiPort port{out, setup};
};

TEST_F(MidiPortTest, AllNoteOffSends128NoteOffsInOrder) {
    setup.midiChannel = 15;
    port.MidiOpen();
    port.AllNoteOff();
    const auto sent = out.sent();
    ASSERT_EQ(sent.size(), 128u);
    for (int note = 0; note < 128; ++note)
        EXPECT_EQ(sent[note].message, PackShortMsg(0x8F, note, 0));
}

// Every open resets the device first; a failed one leaves it closed, with the code's warning.
TEST_F(MidiPortTest, OpenReportsTheCodeAndWarningClosesOnFailureAndAlwaysResets) {
    struct Case {
        std::uint8_t device;
        std::uint32_t failWith; // 0: the device opens as it can
        std::uint32_t code;
        const char* text;
    };
    const Case cases[] = {{2, 0, MIDI_OK, ""},
                          {3, 0, MIDI_NO_DEVICE, "No Midi Device"},
                          {0, 4, 4, "Device Already Allocated"},
                          {0, 66, 66, "No Map"},
                          {0, 68, 68, "No Midi Device"},
                          {0, 1, 1, "Midi Open Error"},
                          {0, 2, 2, "Midi Open Error"},
                          {0, 67, 67, "Midi Open Error"}};
    int resets = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        setup.midiDevice = 0;
        ASSERT_EQ(port.MidiOpen(), MIDI_OK); // a device open before: a failed open closes it
        setup.midiDevice = c.device;
        if (c.failWith != 0)
            out.failNextOpen(c.failWith);
        const std::uint32_t code = port.MidiOpen();
        EXPECT_EQ(code, c.code);
        EXPECT_STREQ(MidiOpenWarning(code), c.text);
        EXPECT_EQ(out.isOpen(), c.code == MIDI_OK);
        EXPECT_EQ(out.resetCount(), resets += 2);
        out.clear();
        port.AllNoteOff(); // dropped while closed
        EXPECT_EQ(out.sent().size(), c.code == MIDI_OK ? 128u : 0u);
    }
}

} // namespace
} // namespace cadenzo::test
