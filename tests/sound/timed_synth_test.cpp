// Notes through TimedSynth start at the frame they were given, found in the rendered audio.
#include "sound/fluidsynth/timed_synth.h"

#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

namespace cadenzo::test {
namespace {

constexpr std::uint32_t NOTE_ON = 0x643C90; // middle C, velocity 100, channel 1
constexpr std::uint32_t SOUND_OFF = 0x0078B0, NYLON_GUITAR = 0x0018C0;

// The first frame at or after `from` whose left sample is audible.
std::int64_t Onset(const std::vector<float>& audio, std::int64_t from) {
    for (auto i = static_cast<std::size_t>(from); i < audio.size() / 2; ++i)
        if (std::fabs(audio[2 * i]) > 1e-4f)
            return static_cast<std::int64_t>(i);
    return -1;
}

// A plain FluidSynth playing the note at frame 0 of a fresh synthesizer (a block boundary).
std::vector<float> PlainNote(const std::string& font, int frames, bool effects = false) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", 48000);
    fluid_settings_setint(settings, "synth.reverb.active", effects);
    fluid_settings_setint(settings, "synth.chorus.active", effects);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, font.c_str(), 1);
    fluid_synth_program_change(synth, 0, NYLON_GUITAR >> 8);
    fluid_synth_noteon(synth, 0, 60, 100);
    std::vector<float> audio(2 * static_cast<std::size_t>(frames));
    fluid_synth_write_float(synth, frames, audio.data(), 0, 2, audio.data(), 1, 2);
    return delete_fluid_synth(synth), delete_fluid_settings(settings), audio;
}

// The energy of 90000 frames from the first audible one at or after `from`.
double Energy(const std::vector<float>& audio, std::int64_t from) {
    const auto first = audio.begin() + 2 * Onset(audio, from);
    return std::inner_product(first, first + 2 * 90000, first, 0.0);
}

// Notes at random frames, rendered in random chunk sizes; each note's onset error in frames.
std::vector<std::int64_t> OnsetErrors(bool staggered, std::int64_t lead) {
    TimedSynth synth({.effects = false});
    if (!staggered)
        synth.useSingleSynth();
    EXPECT_EQ(synth.open(), MidiStatus::Ok);
    synth.schedule(0, NYLON_GUITAR);
    std::mt19937 random(17);
    std::vector<std::int64_t> frames;
    for (std::int64_t window = 4800; window < 60 * 4800; window += 4800) {
        frames.push_back(window + random() % 2400);
        synth.schedule(frames.back(), NOTE_ON), synth.schedule(frames.back() + 1000, SOUND_OFF);
    }
    std::vector<float> audio(2 * 60 * 4800);
    for (std::int64_t done = 0, count = 0; done < 60 * 4800; done += count) {
        count = std::min<std::int64_t>(1 + random() % 700, 60 * 4800 - done);
        synth.render(audio.data() + 2 * done, static_cast<int>(count));
    }
    EXPECT_EQ(synth.position(), 60 * 4800);
    std::vector<std::int64_t> errors;
    for (std::int64_t frame : frames) {
        EXPECT_EQ(Onset(audio, frame - 1200), Onset(audio, frame - 100)) << "noise before note";
        errors.push_back(Onset(audio, frame - 100) - lead - frame);
    }
    return errors;
}

TEST(TimedSynth, NotesStartWithinTwoFramesOfTheirFrame) {
    // How long the note itself takes to become audible.
    const std::int64_t lead = Onset(PlainNote(defaultSoundFonts().front(), 4800), 0);
    ASSERT_GT(lead, 0);
    // Each onset within 2 frames (0.04 ms at 48 kHz) keeps a strum's spacing within 0.1 ms.
    for (std::int64_t error : OnsetErrors(true, lead))
        EXPECT_LE(std::abs(error), 2) << error;
    // One synthesizer alone lands on its 64-frame blocks, so the same measurement spreads.
    const auto single = OnsetErrors(false, lead);
    const auto [low, high] = std::minmax_element(single.begin(), single.end());
    EXPECT_GT(*high - *low, 40);
}

// Reverb and chorus rest while a synthesizer is silent and sound again with its next note.
TEST(TimedSynth, EffectsComeBackForANoteAfterSilence) {
    const std::string font = defaultSoundFonts().front();
    const double wet = Energy(PlainNote(font, 96000, true), 0),
                 dry = Energy(PlainNote(font, 96000), 0);
    TimedSynth synth({});
    ASSERT_EQ(synth.open(), MidiStatus::Ok);
    for (auto [frame, message] :
         {std::pair{0, NYLON_GUITAR}, {100, NOTE_ON}, {4900, SOUND_OFF}, {3 * 48000, NOTE_ON}})
        synth.schedule(frame, message);
    std::vector<float> audio(2 * 5 * 48000);
    synth.render(audio.data(), 5 * 48000);
    EXPECT_NEAR(Energy(audio, 3 * 48000 - 100), wet, std::fabs(wet - dry) / 4);
}

// Silence is skipped, not rendered: random notes with gaps long enough to fall idle, in random
// chunks, sound exactly as through synthesizers that render every frame; the idle gaps cost none.
TEST(TimedSynth, SkippedSilenceSoundsLikeRenderedSilence) {
    for (const bool effects : {false, true}) {
        TimedSynth skipping({.effects = effects}), rendering({.effects = effects});
        rendering.renderSilence();
        ASSERT_EQ(std::pair(skipping.open(), rendering.open()),
                  std::pair(MidiStatus::Ok, MidiStatus::Ok));
        std::mt19937 random(effects ? 5 : 3);
        std::int64_t frame = 0;
        for (int note = 0; note < 24; ++note) {
            frame += random() % 2 ? 100 + random() % 3000 : 4 * 48000 + random() % 48000;
            const auto on = packShortMsg(0x90, static_cast<std::uint8_t>(40 + random() % 40), 100);
            for (TimedSynth* synth : {&skipping, &rendering})
                synth->schedule(0, NYLON_GUITAR), synth->schedule(frame, on),
                    synth->schedule(frame + 2000, on & 0xFFFF);
        }
        const std::int64_t total = frame + 3 * 48000;
        std::vector<float> a(2 * static_cast<std::size_t>(total)), b(a.size());
        for (std::int64_t done = 0, count = 0; done < total; done += count) {
            count = std::min<std::int64_t>(1 + random() % 1500, total - done);
            skipping.render(a.data() + 2 * done, static_cast<int>(count));
            rendering.render(b.data() + 2 * done, static_cast<int>(count));
        }
        float worst = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            worst = std::max(worst, std::fabs(a[i] - b[i]));
        EXPECT_TRUE(worst < 1e-6f && Energy(a, 0) > 0 && skipping.silent()) << worst;
        EXPECT_EQ(rendering.synthesizedFrames(), total);
        EXPECT_LT(skipping.synthesizedFrames(), total / 2) << "effects " << effects;
    }
}

// The frame of every message the audio thread placed, and their count.
struct Placements : FluidMidiOut::Observer {
    std::vector<std::int64_t> frames = std::vector<std::int64_t>(1024);
    std::atomic<std::size_t> count{0};
    void period(std::int64_t, int, std::int64_t) override {}
    void placed(std::uint32_t, std::int64_t, std::int64_t frame, std::int64_t) override {
        frames[count % frames.size()] = frame, ++count;
    }
};

// The audio callback driven by a stand-in driver: once a note has rung out no period calls the
// synthesizers and each is exact silence; a note sent then sounds at the frame of its due time.
// Sound that begins from silence already overdue starts at once and keeps its spacing.
TEST(FluidMidiOut, AnIdleCallbackRendersNothingAndTheNextNoteLandsOnItsFrame) {
    Placements placements;
    const std::int64_t lead = Onset(PlainNote(defaultSoundFonts().front(), 4800), 0);
    FluidMidiOut synth({.drivers = {}, .effects = false});
    synth.observe(&placements);
    ASSERT_EQ(synth.open(0), MidiStatus::Ok);
    const auto ns = [](std::int64_t frame) { return std::llround(frame * 1e9 / 48000); };
    synth.shortMsgAt(NYLON_GUITAR, 0), synth.shortMsgAt(NOTE_ON, 0);
    synth.shortMsgAt(SOUND_OFF, ns(1000));
    std::vector<float> audio(2 * 400 * 128), left(128), right(128);
    std::int64_t before = 0;
    for (std::int64_t frame = 0; frame < 400 * 128; frame += 128) {
        if (frame == 100 * 128)
            synth.shortMsgAt(NOTE_ON, ns(frame + 77)), synth.shortMsgAt(SOUND_OFF, ns(frame + 999));
        if (frame == 300 * 128) // a strum's first two strings, sent 3000 frames late
            synth.shortMsgAt(NOTE_ON, ns(frame - 3000)),
                synth.shortMsgAt(NOTE_ON + 0x100, ns(frame - 3000 + 1776));
        synth.renderPeriodAt(128, left.data(), right.data(), ns(frame));
        if (frame >= 20 * 128 && frame < 100 * 128) {
            EXPECT_EQ(synth.synthesizedFrames(), before) << "frame " << frame;
            EXPECT_EQ(*std::max_element(left.begin(), left.end()), 0.0f);
        }
        before = synth.synthesizedFrames();
        for (std::size_t i = 0; i < 128; ++i)
            audio[2 * (static_cast<std::size_t>(frame) + i)] = left[i];
    }
    EXPECT_NEAR(Onset(audio, 100 * 128), 100 * 128 + 77 + 256 + lead, 2);
    EXPECT_NEAR(Onset(audio, 300 * 128), 300 * 128 + lead, 2);
    EXPECT_EQ(placements.count, 7u);
    EXPECT_EQ(placements.frames[5], 300 * 128);
    EXPECT_EQ(placements.frames[6] - placements.frames[5], 1776);
}

// A real audio output (ALSA's null device, as fast as it is fed) closed after each quiet time
// and opened again by the next message, while two threads send strokes at random moments: every
// message is placed, none lost, and each stroke sounds.
TEST(FluidMidiOut, TheOutputClosesWhenQuietAndEveryMessageReopensIt) {
    const auto home =
        std::filesystem::temp_directory_path() / ("cadenzo-alsa-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    std::ofstream(home / ".asoundrc") << "pcm.!default { type null }\n";
    setenv("HOME", home.c_str(), 1); // read by ALSA when the first output opens
    Placements placements;
    FluidMidiOut synth({.drivers = {"alsa"}, .effects = false, .pauseAfterQuietSeconds = 0.05});
    synth.observe(&placements);
    ASSERT_EQ(synth.open(0), MidiStatus::Ok) << synth.openFailure();
    EXPECT_TRUE(WaitFor([&] { return synth.outputPauses() >= 1; }));
    const auto strokes = [&](unsigned seed) {
        std::mt19937 random(seed);
        for (int i = 0; i < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
            synth.shortMsg(NYLON_GUITAR), synth.shortMsg(NOTE_ON), synth.shortMsg(SOUND_OFF);
        }
    };
    std::thread other(strokes, 1);
    strokes(2);
    other.join();
    EXPECT_TRUE(WaitFor([&] { return placements.count == 600; })) << placements.count;
    EXPECT_EQ(std::pair(synth.droppedMessages(), synth.outputPauses() > 2), std::pair(0ul, true));
    EXPECT_TRUE(WaitFor([&] { return synth.outputPaused(); }));
    synth.shortMsg(NOTE_ON);
    EXPECT_TRUE(WaitFor([&] { return synth.activeVoices() > 0; }));
    // Opened afresh, frames count from 0: a note sent at once is taken at once (before the
    // first quiet time is over), not once the frames reach those of the closed output.
    synth.close();
    ASSERT_EQ(synth.open(0), MidiStatus::Ok);
    synth.shortMsg(NOTE_ON);
    EXPECT_TRUE(WaitFor([&] { return placements.count == 602; }));
    EXPECT_LT(placements.frames[601 % 1024], 4800);
    synth.close();
    std::filesystem::remove_all(home);
}

// The built-in synthesizer that cannot play says why and what to do under "Midi Open Error".
TEST(FluidMidiOut, AFailedOpenNamesWhatWasTriedAndTheWayOut) {
    const auto check = [](FluidMidiOut::Options options, MidiStatus wanted, std::string names) {
        FluidMidiOut synth(std::move(options));
        synth.prepare(0); // a load that failed in the background is told like one in open
        MidiSetup setup;
        MidiPort port(synth, setup);
        const MidiStatus status = port.midiOpen();
        const std::string message = port.midiOpenMessage(status);
        EXPECT_EQ(status, wanted) << message;
        EXPECT_EQ(message.rfind("Midi Open Error\n\n", 0), 0u) << message;
        EXPECT_NE(message.find(names), std::string::npos) << message;
        EXPECT_NE(message.find("SetUp \u2192 Instrument"), std::string::npos) << message;
        EXPECT_FALSE(synth.isOpen());
    };
    check({.drivers = {}, .soundFonts = {"/nonexistent/a.sf2", "/nonexistent/b.sf2"}},
          MidiStatus::NoSoundFont, "/nonexistent/a.sf2, /nonexistent/b.sf2");
    check({.drivers = {"warp-drive"}}, MidiStatus::NoAudio, "Drivers tried: warp-drive: ");
}

// Periods of 1536 frames (12x those asked): notes due anywhere in one start at their due frames.
TEST(FluidMidiOut, NotesStartAtTheirFramesInLongerPeriods) {
    FluidMidiOut synth({.drivers = {}, .effects = false});
    synth.prepare(0); // open takes the synthesizers loaded in the background
    ASSERT_EQ(synth.open(0), MidiStatus::Ok);
    synth.shortMsgAt(NYLON_GUITAR, 0);
    std::vector<float> audio(2 * 40 * 4800), left(1536), right(1536);
    std::vector<std::int64_t> notes{4817}, delays;
    for (std::int64_t frame = 0; frame + 1536 <= 40 * 4800; frame += 1536) {
        for (const auto ns = [](double f) { return std::llround(f * 1e9 / 48000); };
             notes.back() <= frame; notes.push_back(notes.back() + 5131))
            synth.shortMsgAt(NOTE_ON, ns(notes.back())),
                synth.shortMsgAt(SOUND_OFF, ns(notes.back() + 1000));
        synth.renderPeriodAt(1536, left.data(), right.data(), std::llround(frame * 1e9 / 48000));
        for (std::size_t i = 0; i < 1536; ++i)
            audio[2 * (static_cast<std::size_t>(frame) + i)] = left[i];
    }
    for (std::size_t n = 0; n + 1 < notes.size(); ++n)
        delays.push_back(Onset(audio, notes[n] - 100) - notes[n]);
    const auto [low, high] = std::minmax_element(delays.begin(), delays.end());
    EXPECT_LE(*high - *low, 4) << *low << " to " << *high << " frames";
}

// Twelve 100 ms organ notes, the audio thread stalled 300 ms at 3, 4.5 or 40 ms after a note-on:
// every note ends, silent 4 s after. The SoundFont is gone by play: samples load on the change.
TEST(FluidMidiOut, EveryNoteEndsAfterAStallOfTheAudioThread) {
    const auto font = std::filesystem::temp_directory_path() /
                      ("cadenzo-font-" + std::to_string(::getpid()) + ".sf2");
    // Message k: note k / 2 on (k even) or off (k odd); note n sounds from 0.2 s + n * 0.1 s.
    const auto due = [](int k) { return std::int64_t{100'000'000} * ((k + 1) / 2 + 2); };
    for (const double afterNoteOn : {3e6, 4.5e6, 40e6}) {
        std::filesystem::create_symlink(defaultSoundFonts().front(), font);
        FluidMidiOut synth({.drivers = {}, .soundFonts = {font.string()}, .effects = false});
        ASSERT_EQ(synth.open(0), MidiStatus::Ok);
        synth.shortMsgAt(0x0013C0, 0); // church organ, whose samples open() did not read
        std::filesystem::remove(font);
        std::array<float, 128> left{}, right{};
        float peak = 0;
        int next = 0;
        for (std::int64_t frame = 0; frame < 6 * 48000; frame += 128) {
            double now = static_cast<double>(frame) * 1e9 / 48000;
            now += now >= 700e6 + afterNoteOn ? 300e6 : 0;
            for (; next < 24 && due(next) <= now; ++next)
                synth.shortMsgAt(packShortMsg(0x90, 48 + next / 2, next % 2 ? 0 : 100), due(next));
            synth.renderPeriodAt(128, left.data(), right.data(), std::llround(now));
            for (std::size_t i = 0; i < 128 && frame >= 6 * 48000 - 4800; ++i)
                peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
        EXPECT_LT(peak, 3e-5f) << "stall " << afterNoteOn / 1e6 << " ms after a note-on"; // -90 dB
    }
}

} // namespace
} // namespace cadenzo::test
