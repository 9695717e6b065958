#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"

#include <gtest/gtest.h>

#include <cmath>
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
    EXPECT_TRUE(synth.render(buffer.data(), frames));
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
    ASSERT_EQ(synth.open(0), MidiStatus::Ok) << FluidMidiOut::lastError();
    EXPECT_FALSE(synth.soundFont().empty());
    EXPECT_EQ(synth.open(0), MidiStatus::Allocated);
    EXPECT_LT(Peak(synth, 4800), 1e-6f);
    synth.shortMsg(packShortMsg(0xC0, 24, 0));
    synth.shortMsg(packShortMsg(0x90, 40, 100));
    synth.shortMsg(packShortMsg(0x90, 64, 100));
    EXPECT_GT(Peak(synth, 4800), 0.01f);
    synth.reset();
    Peak(synth, 480); // the voices' last block
    EXPECT_LT(Peak(synth, 4800), 1e-6f);

    synth.shortMsg(packShortMsg(0xC0, 0, 0)); // piano: decays, then its release ends it
    synth.shortMsg(packShortMsg(0x90, 60, 100));
    synth.shortMsg(packShortMsg(0x90, 67, 100));
    ASSERT_GT(Peak(synth, 2400), 0.01f);
    synth.shortMsg(packShortMsg(0x80, 60, 0));
    synth.shortMsg(packShortMsg(0x90, 67, 0));
    Peak(synth, 48000 * 3); // release tails
    EXPECT_LT(Peak(synth, 4800), 1e-4f);
}

} // namespace
} // namespace cadenzo::test
