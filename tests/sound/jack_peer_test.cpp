// Cadenzo's RtMidi output towards a real JACK client, on a private dummy JACK server.
#include "jack_peer.h"

#include "fretboard/live_input.h"
#include "model/guitar.h"
#include "model/user_chords.h"
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/rtmidi/rtmidi_in.h"
#include "sound/strum.h"
#include "sound/system_midi_out.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

// The audio libraries keep one-time allocations until exit.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace cadenzo::test {
namespace {

using namespace std::chrono_literals;

class JackPeer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = std::make_unique<JackServer>();
        server_->Start("cadenzo-test-" + std::to_string(getpid()), 48000, 256, startError_, 60,
                       true);
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(startError_.empty()) << startError_;
        ASSERT_TRUE(capture.Open(server_->name(), "cadenzo-peer", error)) << error;
        guitar.setTuning(standardTuning), guitar.setFrets({0, 1, 0, 2, 3, 0});
        guitar.updateStringNotes();
    }

    // Chooses the port of `peer` (by default the capture) among Cadenzo's devices; opens it.
    void OpenPeer(bool open = true, const JackCapture* peer = nullptr) {
        setup.midiDevice = DeviceOf(out, peer ? *peer : capture);
        ASSERT_NE(setup.midiDevice, 0) << "the capture port is not among the devices";
        ASSERT_EQ(open ? port.midiOpen() : MidiStatus::Ok, MidiStatus::Ok);
    }

    static inline std::unique_ptr<JackServer> server_;
    static inline std::string startError_;

    std::string error;
    JackCapture capture;
    Guitar guitar;
    MidiSetup setup;
    SystemMidiOut out;
    MidiPort port{out, setup};
    PeriodicTimer timer;
    Strummer strummer{timer, port, guitar};
};

// Fixed fault: switching to another device left the notes sounding on the one switched from.
TEST_F(JackPeer, SwitchingAwayEndsEveryNoteThePeerWasSent) {
    OpenPeer();
    JackCapture other;
    ASSERT_TRUE(other.Open(server_->name(), "cadenzo-other", error)) << error;
    const std::size_t from = capture.count();
    port.noteOut(1, 2, 60, 90), port.noteOut(1, 5, 40, 90), port.noteOut(0, 5, 40, 0);
    port.close();
    OpenPeer(true, &other);
    // Nothing is resent: a message lost on the way is a fault to see.
    WaitFor([&] { return capture.count() >= from + 4; });
    std::this_thread::sleep_for(100ms);
    const auto got = capture.events(from);
    ASSERT_EQ(got.size(), 4u) << "nothing else may follow";
    EXPECT_EQ(got[0].bytes[0], 0x92); // sent right after the open, and not lost
    EXPECT_EQ((std::pair<int, int>(got[3].bytes[0], got[3].bytes[1])), std::pair(0x82, 60))
        << "only the note still sounding is ended";
    port.close();
}

// JACK asks the built-in synthesizer for every period; a stroke reaches it through the queue.
TEST_F(JackPeer, TheBuiltInSynthesizerPlaysAStrokeThroughJack) {
    FluidMidiOut synth({.drivers = {"jack"}});
    MidiPort synthPort{synth, setup};
    ASSERT_EQ(synthPort.midiOpen(), MidiStatus::Ok) << synth.openFailure();
    Strummer stroke{timer, synthPort, guitar};
    stroke.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
    EXPECT_TRUE(WaitFor([&] { return !stroke.running() && synth.activeVoices() >= 6; }));
    stroke.release();
    EXPECT_TRUE(WaitFor([&] { return synth.activeVoices() == 0; }));
    synthPort.close();
}

// The peer's pedal strums back through RtMidi, the window and the strummer; a chord played on it
// sets the fretboard. Strokes arrive in order, channel 10, velocity 64, framed by the press's and
// the release's note-offs. The latency printed is never asserted.
TEST_F(JackPeer, APedalStrumsOnTheChannelWithTheVelocityAndAPlayedChordSetsTheFretboard) {
    OpenPeer();
    setup.midiChannel = 9, setup.midiVelocity = 64;
    UserChordTable userChords;
    FretboardController fretboard{guitar, userChords, port};
    LiveInput live{strummer, fretboard};
    live.controls[0] = {LiveControl::Kind::Controller, 64};
    RtMidiInput input;
    const std::string controller =
        "JACK: " + capture.portName().replace(capture.portName().size() - 2, 2, "out");
    const auto names = input.portNames();
    ASSERT_NE(std::find(names.begin(), names.end(), controller), names.end());
    ASSERT_TRUE(input.open(controller));
    int taken = 0; // the window thread's part: wait until ready, take, hand over
    const auto pump = [&](auto done, std::chrono::milliseconds limit = 30s) {
        return WaitFor(
            [&] {
                pollfd ready{input.readyFd(), POLLIN, 0};
                poll(&ready, 1, 2);
                for (TimedMessage m; input.take(m); ++taken)
                    live.receive(m.message, m.dueNs / 1000000);
                if (live.flushDue())
                    live.flush(*live.flushDue());
                return done();
            },
            limit);
    };
    // A JACK connection carries messages only once the server has applied it.
    ASSERT_TRUE(pump([&] { return taken > 0 || (capture.Send({0x01B0}), false); }));
    guitar.setFrets({SILENT, SILENT, SILENT, SILENT, SILENT, SILENT});
    capture.Send({0x5A3C90, 0x5A4090, 0x5A4390, 0x5A4890}); // C E G C
    ASSERT_TRUE(pump([&] { return fretboard.shownChord() == ChordSelection{1, 0}; }));
    ASSERT_EQ(guitar.currentFrets(), (Frets{0, 1, 0, 2, 3, 0})) << "C major, low position";
    guitar.updateStringNotes();
    const std::vector chord{40, 48, 52, 55, 60, 64}; // the down stroke's notes
    const std::size_t n = chord.size();
    const int strokes =
        std::getenv("CADENZO_STROKES") ? std::atoi(std::getenv("CADENZO_STROKES")) : 20;
    std::vector<double> toFirst[2]; // ms to the first message, to the first note-on
    int lost = 0; // strokes that lost a message on the way (a JACK cycle the machine missed)
    for (int i = 0; i < strokes; ++i) {
        const std::size_t from = capture.count();
        const std::uint32_t pressed = capture.Send({0x7F40B0});
        pump([&] { return capture.count() >= from + 128 + n; }, 2s);
        capture.Send({0x0040B0});
        pump([&] { return !strummer.running() && capture.count() >= from + 256 + n; }, 2s);
        const auto got = capture.events(from);
        std::vector<int> ons;
        std::uint32_t firstOn = 0;
        for (const auto& e : got)
            if (e.bytes[0] == 0x99 && e.bytes[2] == 64)
                firstOn = ons.empty() ? e.frame : firstOn, ons.push_back(e.bytes[1]);
        if (got.size() != 256 + n || got.back().bytes[1] != 127) {
            ++lost;
            continue;
        }
        EXPECT_EQ(ons, chord) << i;
        for (std::size_t k : {std::size_t{0}, std::size_t{127}, 128 + n, 255 + n})
            EXPECT_EQ((std::vector<int>(got[k].bytes, got[k].bytes + 3)),
                      (std::vector<int>{0x89, static_cast<int>(k < 128 ? k : k - 128 - n), 0}));
        toFirst[0].push_back((got[0].frame - pressed) / 48.0);
        toFirst[1].push_back((firstOn - pressed) / 48.0);
    }
    EXPECT_EQ(lost, 0) << "of " << strokes << " strokes";
    for (auto& ms : toFirst) {
        if (ms.empty())
            break;
        std::sort(ms.begin(), ms.end());
        std::printf("pedal to the first %s over %d strokes: p50 %.2f ms, p99 %.2f ms\n",
                    &ms == toFirst ? "message" : "note-on", int(ms.size()), ms[ms.size() / 2],
                    ms[ms.size() * 99 / 100]);
    }
    input.close();
    port.close();
}

TEST_F(JackPeer, VanishedPortReportsNoMidiDevice) {
    OpenPeer(false);
    capture.close();
    ASSERT_EQ(port.midiOpen(), MidiStatus::NoDevice);
    EXPECT_STREQ(midiOpenWarning(MidiStatus::NoDevice), "No Midi Device");
}
} // namespace
} // namespace cadenzo::test
