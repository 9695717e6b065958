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

TEST_F(MidiPortTest, OpenSixthStringOnTheTenthChannel) {
    Guitar guitar;
    guitar.setTuning(standardTuning);
    guitar.setFrets({0, 0, 0, 0, 0, 0});
    guitar.UpdateStringNotes();
    setup.midiChannel = 9;
    setup.midiVelocity = 77;
    ASSERT_EQ(port.MidiOpen(), MidiStatus::Ok);
    port.SoundString(guitar, 5);
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{0x002889, PackShortMsg(0x99, 0x28, 77)}));
}

TEST_F(MidiPortTest, AllNoteOffSends128NoteOffsInOrder) {
    setup.midiChannel = 15;
    port.MidiOpen();
    port.AllNoteOff();
    const auto sent = out.sent();
    ASSERT_EQ(sent.size(), 128u);
    for (int note = 0; note < 128; ++note)
        EXPECT_EQ(sent[note].message, PackShortMsg(0x8F, note, 0));
}

// A note number outside 0..127 would put a status byte where a data byte belongs.
TEST_F(MidiPortTest, NoteOutAndProgramChangePackTheirBytesAndSkipNotesOutOfRange) {
    setup.midiChannel = 4;
    setup.midiProgram = 40;
    port.MidiOpen();
    port.NoteOut(1, 2, 60, 127);
    port.NoteOut(0, 2, 60, 0);
    port.NoteOut(1, 0, 0, 1);
    port.NoteOut(1, 0, 128, 100);
    port.NoteOut(1, 0, 291, 100);
    port.NoteOut(0, 0, -1, 0);
    port.ProgramChange();
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{0x7F3C92, 0x003C82, 0x010090, 0x0028C4}));
}

// Every open resets the device first; a failed one leaves it closed, with the code's warning.
TEST_F(MidiPortTest, OpenReportsTheCodeAndWarningClosesOnFailureAndAlwaysResets) {
    struct Case {
        std::uint8_t device;
        std::uint32_t failWith; // 0: the device opens as it can
        std::uint32_t code;
        const char* text;
    };
    const Case cases[] = {{2, 0, 0, ""},
                          {3, 0, 68, "No Midi Device"},
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
        ASSERT_EQ(port.MidiOpen(), MidiStatus::Ok); // a device open before: a failed open closes it
        setup.midiDevice = c.device;
        if (c.failWith != 0)
            out.failNextOpen(MidiStatus{c.failWith});
        const MidiStatus code = port.MidiOpen();
        EXPECT_EQ(code, MidiStatus{c.code});
        EXPECT_STREQ(MidiOpenWarning(code), c.text);
        EXPECT_EQ(out.isOpen(), c.code == 0);
        EXPECT_EQ(out.resetCount(), resets += 2);
        out.clear();
        port.AllNoteOff(); // dropped while closed
        EXPECT_EQ(out.sent().size(), c.code == 0 ? 128u : 0u);
    }
}

} // namespace
} // namespace cadenzo::test
