#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"
#include "sound/rtmidi/rtmidi_out.h"
#include "sound/system_midi_out.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace cadenzo::test {
namespace {

FluidMidiOut::Options Silent() {
    FluidMidiOut::Options options;
    options.drivers.clear();
    options.effects = false; // no reverb tail: silence is exact
    return options;
}

// Peak level of `frames` rendered stereo frames.
float Peak(FluidMidiOut& synth, int frames) {
    std::vector<float> buffer(2 * frames);
    EXPECT_TRUE(synth.Render(buffer.data(), frames));
    float peak = 0;
    for (float v : buffer)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

TEST(FluidMidiOut, PlaysNotesThatNoteOffOrResetEnd) {
    FluidMidiOut synth(Silent());
    std::string name;
    EXPECT_EQ(synth.deviceName(0, name), MidiStatus::Ok);
    EXPECT_EQ(name, "Built-in Synthesizer");
    EXPECT_EQ(synth.open(1), MidiStatus::NoDevice);
    ASSERT_EQ(synth.open(0), MidiStatus::Ok) << FluidMidiOut::LastError();
    EXPECT_FALSE(synth.soundFont().empty());
    EXPECT_EQ(synth.open(0), MidiStatus::Allocated);
    EXPECT_LT(Peak(synth, 4800), 1e-6f);
    synth.shortMsg(PackShortMsg(0xC0, 24, 0));
    synth.shortMsg(PackShortMsg(0x90, 40, 100));
    synth.shortMsg(PackShortMsg(0x90, 64, 100));
    EXPECT_GT(Peak(synth, 4800), 0.01f);
    synth.reset();
    Peak(synth, 480); // the voices' last block
    EXPECT_LT(Peak(synth, 4800), 1e-6f);

    synth.shortMsg(PackShortMsg(0xC0, 0, 0)); // piano: decays, then its release ends it
    synth.shortMsg(PackShortMsg(0x90, 60, 100));
    synth.shortMsg(PackShortMsg(0x90, 67, 100));
    ASSERT_GT(Peak(synth, 2400), 0.01f);
    synth.shortMsg(PackShortMsg(0x80, 60, 0));
    synth.shortMsg(PackShortMsg(0x90, 67, 0));
    Peak(synth, 48000 * 3); // release tails
    EXPECT_LT(Peak(synth, 4800), 1e-4f);
}

TEST(FluidMidiOut, OpenErrorsLeaveItClosedAndQuiet) {
    const std::string notAFont = "/tmp/cadenzo-not-a-font-" + std::to_string(getpid()) + ".sf2";
    std::ofstream(notAFont) << "not a SoundFont";
    struct Case {
        std::vector<std::string> fonts, drivers;
        MidiStatus code;
    };
    const Case cases[] = {
        {{"/nonexistent/a.sf2", "/nonexistent/b.sf2"}, {}, MidiStatus::NoSoundFont},
        {{notAFont}, {}, MidiStatus::NoSoundFont},
        {{}, {"no-such-driver"}, MidiStatus::NoAudio}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        FluidMidiOut::Options options = Silent();
        if (!c.fonts.empty())
            options.soundFonts = c.fonts;
        options.drivers = c.drivers;
        FluidMidiOut synth(options);
        const MidiStatus code = synth.open(0);
        EXPECT_EQ(code, c.code);
        EXPECT_STREQ(MidiOpenWarning(code), "Midi Open Error");
        EXPECT_FALSE(synth.isOpen());
        synth.shortMsg(PackShortMsg(0x90, 60, 100)); // ignored
        synth.reset();
        EXPECT_EQ(synth.open(0), c.code); // and again, cleanly
    }
    std::filesystem::remove(notAFont);
}

// The "file" driver stands in for a sound card: it paces the synthesizer in real time and
// writes what would have been heard.
TEST(FluidMidiOut, AudioDriverPlaysWhatIsSent) {
    const std::string wav = "/tmp/cadenzo-synth-" + std::to_string(getpid()) + ".wav";
    FluidMidiOut::Options options;
    options.drivers = {"file"};
    options.wavFile = wav;
    {
        FluidMidiOut synth(options);
        ASSERT_EQ(synth.open(0), MidiStatus::Ok) << FluidMidiOut::LastError();
        EXPECT_EQ(synth.driver(), "file");
        EXPECT_NEAR(synth.latencyMs(), 1000.0 * 128 * 3 / 48000, 0.01);
        synth.shortMsg(PackShortMsg(0x90, 52, 127));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        synth.close();
    }
    std::ifstream in(wav, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(wav);
    ASSERT_GT(bytes.size(), 1000u);
    bool sound = false;
    for (std::size_t i = 44; i + 1 < bytes.size() && !sound; i += 2)
        sound = bytes[i] != 0 || bytes[i + 1] != 0;
    EXPECT_TRUE(sound);
}

TEST(SystemMidiOut, DeviceZeroIsTheBuiltInSynthesizerAndMissingDevicesFail) {
    SystemMidiOut out(std::make_unique<FluidMidiOut>(Silent()), std::make_unique<RtMidiPorts>());
    ASSERT_GE(out.deviceCount(), 1u);
    std::string name;
    EXPECT_EQ(out.deviceName(0, name), MidiStatus::Ok);
    EXPECT_EQ(name, "Built-in Synthesizer");
    for (unsigned d = 1; d < out.deviceCount(); ++d) {
        EXPECT_EQ(out.deviceName(d, name), MidiStatus::Ok);
        EXPECT_LE(name.size(), 31u);
    }
    EXPECT_EQ(out.deviceName(out.deviceCount(), name), MidiStatus::NoDevice);

    MidiSetup setup;
    setup.midiDevice = 200;
    MidiPort port(out, setup);
    const MidiStatus code = port.MidiOpen();
    EXPECT_EQ(code, MidiStatus::NoDevice);
    EXPECT_STREQ(MidiOpenWarning(code), "No Midi Device");
    EXPECT_EQ(out.openDevice(), -1);
    port.AllNoteOff(); // goes nowhere, harmlessly
}

// Both threads send at once: whole messages reach the synthesizer, nothing crashes.
TEST(SystemMidiOut, SendsFromTwoThreadsAtOnce) {
    SystemMidiOut out(std::make_unique<FluidMidiOut>(Silent()), std::make_unique<RtMidiPorts>());
    MidiSetup setup;
    MidiPort port(out, setup);
    ASSERT_EQ(port.MidiOpen(), MidiStatus::Ok);
    EXPECT_EQ(out.openDevice(), 0);
    EXPECT_NE(out.describe().find("Built-in Synthesizer"), std::string::npos);
    std::thread timerThread([&] {
        for (int i = 0; i < 200; ++i)
            port.NoteOut(1, 0, 40 + i % 24, 100);
    });
    for (int i = 0; i < 20; ++i)
        port.AllNoteOff();
    timerThread.join();
    out.reset();
    out.close();
    EXPECT_EQ(out.openDevice(), -1);
}

} // namespace
} // namespace cadenzo::test
