// A MIDI controller played by a real JACK client: its pedal strums through RtMidi's input, the
// window's hand-over and the strummer, out to the same client's input; a chord played on it sets
// the fretboard. Prints the latency from the pedal to the first note-on (never asserted).
#include "jack_peer.h"

#include "fretboard/live_input.h"
#include "model/user_chords.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/rtmidi/rtmidi_in.h"
#include "sound/strum.h"
#include "sound/system_midi_out.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace cadenzo::test {
namespace {

constexpr int RATE = 48000;

TEST(LiveInputPeer, PedalStrokesReachTheOutputAndAPlayedChordSetsIt) {
    JackServer server;
    std::string error;
    ASSERT_TRUE(server.Start("cadenzo-live-" + std::to_string(getpid()), RATE, 256, error))
        << error;
    JackCapture controller;
    ASSERT_TRUE(controller.Open(server.name(), "cadenzo-controller", error)) << error;
    Guitar guitar;
    guitar.setTuning(standardTuning);
    UserChordTable userChords;
    MidiSetup setup;
    SystemMidiOut out;
    MidiPort port{out, setup};
    PeriodicTimer timer;
    Strummer strummer{timer, port, guitar};
    FretboardController fretboard{guitar, userChords, port};
    LiveInput live{strummer, fretboard};
    live.controls[0] = {LiveControl::Kind::Controller, 64};
    std::string name;
    for (unsigned d = 1; d < out.deviceCount() && setup.midiDevice == 0; ++d)
        if (out.deviceName(d, name) == MidiStatus::Ok &&
            name.find("cadenzo-controller:in") != name.npos)
            setup.midiDevice = static_cast<std::uint8_t>(d);
    ASSERT_EQ(port.midiOpen(), MidiStatus::Ok);
    RtMidiInput input;
    const auto names = input.portNames();
    ASSERT_NE(std::find(names.begin(), names.end(), "JACK: cadenzo-controller:out"), names.end());
    ASSERT_TRUE(input.open("JACK: cadenzo-controller:out"));

    // The window thread's part: wait for the ready descriptor, take, hand to the live input.
    int taken = 0;
    const auto pump = [&](auto done) {
        return WaitFor([&] {
            pollfd ready{input.readyFd(), POLLIN, 0};
            poll(&ready, 1, 2);
            TimedMessage m;
            while (input.take(m))
                live.receive(m.message, m.dueNs / 1000000), ++taken;
            if (live.flushDue())
                live.flush(*live.flushDue());
            return done();
        });
    };
    // A JACK connection carries messages only once the server has applied it.
    ASSERT_TRUE(pump([&] { return taken > 0 || (controller.Send({0xB0 | 1 << 8}), false); }));

    controller.Send({0x90 | 60 << 8 | 90 << 16, 0x90 | 64 << 8 | 90 << 16,
                     0x90 | 67 << 8 | 90 << 16, 0x90 | 72 << 8 | 90 << 16});
    ASSERT_TRUE(pump([&] { return fretboard.shownChord() == ChordSelection{1, 0}; }));
    EXPECT_EQ(guitar.currentFrets(), tunedVoicing(0, 0, 0, standardTuning));
    guitar.updateStringNotes();
    std::vector<int> chord; // the down stroke's notes
    for (int s = STRING_COUNT - 1; s >= 0; --s)
        if (guitar.frets[s] != SILENT)
            chord.push_back(stringMidiNote(guitar.frets[s], guitar.tuning[s]));
    const std::size_t n = chord.size();

    const char* count = std::getenv("CADENZO_STROKES");
    const int strokes = count ? std::atoi(count) : 20;
    std::vector<double> toFirstMessage, toFirstNote;
    for (int i = 0; i < strokes; ++i) {
        const std::size_t from = controller.count();
        const std::uint32_t pressed = controller.Send({0xB0 | 64 << 8 | 127 << 16});
        ASSERT_TRUE(pump([&] { return controller.count() >= from + 128 + n; })) << i;
        controller.Send({0xB0 | 64 << 8 | 0 << 16});
        ASSERT_TRUE(
            pump([&] { return !strummer.running() && controller.count() >= from + 256 + n; }));
        const auto got = controller.events(from);
        ASSERT_EQ(got.size(), 256 + n) << i;
        std::vector<int> ons;
        for (const auto& e : got)
            if (e.bytes[0] == 0x90)
                ons.push_back(e.bytes[1]);
        EXPECT_EQ(ons, chord) << i;
        EXPECT_EQ(got.back().bytes[0] | got.back().bytes[1] << 8, 0x80 | 127 << 8) << i;
        toFirstMessage.push_back((got[0].frame - pressed) * 1000.0 / RATE);
        toFirstNote.push_back((got[128].frame - pressed) * 1000.0 / RATE);
    }
    for (auto* ms : {&toFirstMessage, &toFirstNote}) {
        std::sort(ms->begin(), ms->end());
        std::printf("pedal to first %s over %d strokes: p50 %.2f ms, p99 %.2f ms (stroke period "
                    "%u ms, JACK period %.2f ms)\n",
                    ms == &toFirstNote ? "note-on" : "message", strokes, (*ms)[ms->size() / 2],
                    (*ms)[ms->size() * 99 / 100], STROKE_PERIOD_MS, 256 * 1000.0 / RATE);
    }
    input.close();
    port.close();
}

} // namespace
} // namespace cadenzo::test
