#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadenzo::test {
namespace {

std::vector<std::uint32_t> Messages(const RecordingMidiOut& out) {
    std::vector<std::uint32_t> messages;
    for (const auto& m : out.sent())
        messages.push_back(m.message);
    return messages;
}

class MidiPortTest : public ::testing::Test {
protected:
    MidiSetup setup;
    RecordingMidiOut out{3};
    MidiPort port{out, setup};
};

TEST_F(MidiPortTest, SetupDefaults) {
    EXPECT_EQ(setup.midiChannel, 0);
    EXPECT_EQ(setup.midiProgram, 24);
    EXPECT_EQ(setup.midiVelocity, 100);
    EXPECT_EQ(setup.midiDevice, 0);
}

TEST_F(MidiPortTest, OpenSixthStringOnTheTenthChannel) {
    Guitar guitar;
    guitar.setTuning(standardTuning);
    guitar.setFrets({0, 0, 0, 0, 0, 0});
    guitar.UpdateStringNotes();
    setup.midiChannel = 9;
    setup.midiVelocity = 77;
    ASSERT_EQ(port.MidiOpen(), MIDI_OK);
    port.SoundString(guitar, 5);
    EXPECT_EQ(Messages(out), (std::vector<std::uint32_t>{0x002889, PackShortMsg(0x99, 0x28, 77)}));
}

TEST_F(MidiPortTest, AllNoteOffSends128NoteOffsInOrder) {
    setup.midiChannel = 15;
    port.MidiOpen();
    port.AllNoteOff();
    const auto sent = out.sent();
    ASSERT_EQ(sent.size(), 128u);
    for (int note = 0; note < 128; ++note) {
        EXPECT_EQ(sent[note].status(), 0x8F);
        EXPECT_EQ(sent[note].data1(), note);
        EXPECT_EQ(sent[note].data2(), 0);
    }
}

TEST_F(MidiPortTest, NoteOutPacksStatusNoteAndVelocity) {
    port.MidiOpen();
    port.NoteOut(1, 2, 60, 127);
    port.NoteOut(0, 2, 60, 0);
    port.NoteOut(1, 0, 0, 1);
    EXPECT_EQ(Messages(out), (std::vector<std::uint32_t>{0x7F3C92, 0x003C82, 0x010090}));
}

// A note number outside 0..127 would put a status byte where a data byte belongs.
TEST_F(MidiPortTest, NoteOutsideTheMidiRangeIsNeverSent) {
    port.MidiOpen();
    port.NoteOut(1, 0, 128, 100);
    port.NoteOut(1, 0, 291, 100);
    port.NoteOut(0, 0, -1, 0);
    port.NoteOut(1, 0, 127, 100);
    EXPECT_EQ(Messages(out), (std::vector<std::uint32_t>{PackShortMsg(0x90, 127, 100)}));
}

TEST_F(MidiPortTest, ProgramChangeOnTheSetupChannel) {
    setup.midiChannel = 4;
    setup.midiProgram = 40;
    port.MidiOpen();
    port.ProgramChange();
    EXPECT_EQ(Messages(out), (std::vector<std::uint32_t>{PackShortMsg(0xC4, 40, 0)}));
}

TEST_F(MidiPortTest, SuccessfulOpenIsResetAndSends) {
    setup.midiDevice = 2;
    EXPECT_EQ(port.MidiOpen(), MIDI_OK);
    EXPECT_TRUE(out.isOpen());
    EXPECT_EQ(out.resetCount(), 1);
    EXPECT_STREQ(MidiOpenWarning(MIDI_OK), "");
}

TEST_F(MidiPortTest, MissingDeviceFailsClosedAndResetAndLaterSendsAreDropped) {
    setup.midiDevice = 3;
    const std::uint32_t code = port.MidiOpen();
    EXPECT_EQ(code, MIDI_NO_DEVICE);
    EXPECT_STREQ(MidiOpenWarning(code), "No Midi Device");
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.resetCount(), 1);
    port.AllNoteOff();
    EXPECT_TRUE(out.sent().empty());
}

struct FailCase {
    std::uint32_t code;
    const char* text;
};
class MidiOpenFailure : public MidiPortTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(MidiOpenFailure, ShowsTheTextOfTheCodeClosesAndResets) {
    ASSERT_EQ(port.MidiOpen(), MIDI_OK); // a device open before: the failed open closes it
    out.failNextOpen(GetParam().code);
    const std::uint32_t code = port.MidiOpen();
    EXPECT_EQ(code, GetParam().code);
    EXPECT_STREQ(MidiOpenWarning(code), GetParam().text);
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.resetCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Codes, MidiOpenFailure,
                         ::testing::Values(FailCase{4, "Device Already Allocated"},
                                           FailCase{66, "No Map"}, FailCase{68, "No Midi Device"},
                                           FailCase{1, "Midi Open Error"},
                                           FailCase{2, "Midi Open Error"},
                                           FailCase{67, "Midi Open Error"}));

} // namespace
} // namespace cadenzo::test
