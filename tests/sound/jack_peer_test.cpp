// Cadenzo's RtMidi output towards a real JACK client, on a private dummy JACK server.
#include "jack_peer.h"

#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/strum.h"
#include "sound/system_midi_out.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The audio libraries keep one-time allocations until exit.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace cadenzo::test {
namespace {

using namespace std::chrono_literals;

bool JackdInstalled() {
    return std::system("command -v jackd >/dev/null 2>&1") == 0;
}

template <typename F> bool WaitFor(F done, std::chrono::seconds limit = 30s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class JackPeer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!JackdInstalled())
            return;
        server_ = new JackServer;
        std::string error;
        const std::string name = "cadenzo-test-" + std::to_string(getpid());
        if (!server_->Start(name, 48000, 256, error, 60, true))
            startError_ = error;
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (!JackdInstalled())
            GTEST_SKIP() << "jackd is not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        std::string error;
        ASSERT_TRUE(capture.Open(server_->name(), "cadenzo-peer", error)) << error;
        guitar.setTuning(standardTuning);
        guitar.setFrets({0, 1, 0, 2, 3, 0});
        guitar.UpdateStringNotes();
    }

    // The capture port's number and name among Cadenzo's devices (0 and "" if it is missing).
    unsigned PeerDevice(std::string& name) {
        const std::string wanted = "JACK: " + capture.portName();
        for (unsigned d = 1; d < out.deviceCount(); ++d)
            if (out.deviceName(d, name) == MidiStatus::Ok && wanted.rfind(name, 0) == 0)
                return d;
        name.clear();
        return 0;
    }
    void OpenPeer() {
        std::string name;
        setup.midiDevice = static_cast<std::uint8_t>(PeerDevice(name));
        ASSERT_NE(setup.midiDevice, 0) << "the capture port is not among the devices";
        ASSERT_EQ(port.MidiOpen(), MidiStatus::Ok);
    }

    // Runs `send` and returns what reached the peer, once `expected` messages have come. A cycle
    // the server could not finish in time (an xrun, on a loaded machine) loses what it carried;
    // only then is the sending repeated, up to five times. Anything lost without an xrun is
    // Cadenzo's and shows in the assertions.
    template <typename F> std::vector<JackCapture::Event> Deliver(F send, std::size_t expected) {
        std::vector<JackCapture::Event> got;
        for (int attempt = 0; attempt < 5; ++attempt) {
            const int xruns = capture.xruns();
            const std::size_t from = capture.count();
            send();
            const bool all = WaitFor([&] { return capture.count() >= from + expected; });
            got = capture.events(from);
            if (all || capture.xruns() == xruns)
                break;
        }
        return got;
    }

    static inline JackServer* server_ = nullptr;
    static inline std::string startError_;

    JackCapture capture;
    Guitar guitar;
    MidiSetup setup;
    SystemMidiOut out;
    MidiPort port{out, setup};
    PeriodicTimer timer;
    Strummer strummer{timer, port, guitar};
};

struct PeerCase {
    const char* name;
    bool down;
    std::uint8_t channel;
    std::uint8_t velocity;
    std::vector<int> notes;
};
class JackPeerStroke : public JackPeer, public ::testing::WithParamInterface<PeerCase> {};

TEST_P(JackPeerStroke, StrokeArrivesInOrderOnTheChannelWithTheVelocity) {
    const PeerCase& c = GetParam();
    OpenPeer();
    setup.midiChannel = c.channel;
    setup.midiVelocity = c.velocity;
    const auto got = Deliver(
        [&] {
            if (c.down)
                strummer.DownStBtnMouseDown(true);
            else
                strummer.UpStBtnMouseDown(true);
            ASSERT_TRUE(WaitFor([&] { return !strummer.running(); }));
            // The release after the stroke silences what the peer was sent.
            strummer.DownStBtnMouseUp();
        },
        128 + 6 + 128);
    ASSERT_EQ(got.size(), 128u + 6 + 128);
    for (int i = 0; i < 6; ++i) { // between the press's and the release's note-offs
        const auto* bytes = got[128 + i].bytes;
        EXPECT_EQ(bytes[0], 0x90 | c.channel) << "string " << i;
        EXPECT_EQ(bytes[1], c.notes[i]) << "string " << i;
        EXPECT_EQ(bytes[2], c.velocity) << "string " << i;
    }
    for (int i : {0, 127, 134, 261}) {
        EXPECT_EQ(got[i].bytes[0], 0x80 | c.channel);
        EXPECT_EQ(got[i].bytes[1], i < 128 ? i : i - 134);
    }
    port.Close();
}

INSTANTIATE_TEST_SUITE_P(CMajor, JackPeerStroke,
                         ::testing::Values(PeerCase{"Down", true, 0, 100, {40, 48, 52, 55, 60, 64}},
                                           PeerCase{"Up", false, 9, 64, {64, 60, 55, 52, 48, 40}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JackPeer, ResetEndsEveryNoteThePeerWasSent) {
    OpenPeer();
    const auto got = Deliver(
        [&] {
            port.NoteOut(1, 2, 60, 90);
            port.NoteOut(1, 5, 40, 90);
            port.NoteOut(0, 5, 40, 0);
            out.reset();
        },
        4);
    std::this_thread::sleep_for(100ms); // nothing else may follow
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(capture.events(capture.count() - 4)[0].bytes[0], 0x92);
    EXPECT_EQ(got[0].bytes[0], 0x92); // sent right after the open, and not lost
    EXPECT_EQ(got[3].bytes[0], 0x82); // the reset: only the note still sounding
    EXPECT_EQ(got[3].bytes[1], 60);
    port.Close();
}

TEST_F(JackPeer, VanishedPortReportsNoMidiDevice) {
    std::string name;
    setup.midiDevice = static_cast<std::uint8_t>(PeerDevice(name));
    ASSERT_NE(setup.midiDevice, 0);
    capture.Close();
    const MidiStatus code = port.MidiOpen();
    EXPECT_EQ(code, MidiStatus::NoDevice);
    EXPECT_STREQ(MidiOpenWarning(code), "No Midi Device");
}

#ifdef CADENZO_CLI_PATH
// Runs a command, returning its exit status and what it printed on stdout and stderr.
int RunCommand(const std::string& command, std::string& output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[256];
    output.clear();
    while (fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// cadenzo-cli lists the peer among its devices and strums one chord to it.
TEST_F(JackPeer, CliListsThePeerAndStrumsToIt) {
    const std::string cli = CADENZO_CLI_PATH;
    std::string output, name;
    ASSERT_EQ(RunCommand(cli + " devices", output), 0) << output;
    EXPECT_EQ(output.rfind("0 Built-in Synthesizer\n", 0), 0u) << output;
    const unsigned device = PeerDevice(name);
    ASSERT_NE(device, 0u);
    EXPECT_NE(output.find(std::to_string(device) + " " + name + "\n"), std::string::npos) << output;

    const auto got = Deliver(
        [&] {
            ASSERT_EQ(RunCommand(cli + " strum C M --up --device " + std::to_string(device) +
                                     " --channel 3 --velocity 90 --program 25 --hold 50",
                                 output),
                      0)
                << output;
        },
        1 + 128 + 6 + 128);
    ASSERT_EQ(got.size(), 1u + 128 + 6 + 128);
    EXPECT_EQ(got[0].bytes[0], 0xC2);
    EXPECT_EQ(got[0].bytes[1], 25);
    const int notes[] = {64, 60, 55, 52, 48, 40};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(got[129 + i].bytes[0], 0x92);
        EXPECT_EQ(got[129 + i].bytes[1], notes[i]);
        EXPECT_EQ(got[129 + i].bytes[2], 90);
    }
    EXPECT_EQ(got.back().bytes[0], 0x82);
    EXPECT_EQ(got.back().bytes[1], 127);

    EXPECT_EQ(RunCommand(cli + " strum C M --device 250", output), 1);
    EXPECT_NE(output.find("No Midi Device"), std::string::npos) << output;
}
#endif

} // namespace
} // namespace cadenzo::test
