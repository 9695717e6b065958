// Stroke timing: how evenly the strings of a stroke are spaced, measured where the messages
// leave Cadenzo (the output device) and where a JACK client receives them, against a bare loop of
// absolute-deadline sleeps with the same period, which is the best this machine can do.
// Reports figures only.
#include "jack_peer.h"

#include "model/guitar.h"
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"
#include "sound/system_midi_out.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <string>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace cadenzo;

namespace {

constexpr int STROKES = 100;
constexpr double PERIOD_MS = STROKE_PERIOD_MS;

std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// Keeps the calling thread (the window thread of the program) busy.
std::atomic<std::uint64_t> sink{0};
void Busy() {
    std::uint64_t x = sink.load(std::memory_order_relaxed);
    for (int i = 0; i < 1000; ++i)
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
    sink.store(x, std::memory_order_relaxed);
}

struct Stats {
    double mean = 0, median = 0, p99 = 0, max = 0;
    std::size_t n = 0;
};

// Deviations |interval - period| in milliseconds.
Stats Summarise(std::vector<double> deviations) {
    Stats s;
    s.n = deviations.size();
    if (deviations.empty())
        return s;
    std::sort(deviations.begin(), deviations.end());
    for (double d : deviations)
        s.mean += d;
    s.mean /= static_cast<double>(deviations.size());
    s.median = deviations[deviations.size() / 2];
    s.p99 = deviations[std::min(deviations.size() - 1,
                                static_cast<std::size_t>(std::ceil(0.99 * deviations.size())) - 1)];
    s.max = deviations.back();
    return s;
}

void Print(const char* what, const Stats& s) {
    std::printf("%-44s n=%4zu  mean %7.3f  median %7.3f  p99 %7.3f  max %7.3f  (ms)\n", what, s.n,
                s.mean, s.median, s.p99, s.max);
}

// The machine's floor: a thread set up like the timer's (least timer slack, and real-time
// priority when `realtime` and the user may have it) sleeping to absolute deadlines, 37 ms apart,
// measuring the interval between wake-ups.
std::vector<double> BareLoop(int intervals, bool realtime) {
    std::vector<double> deviations;
    deviations.reserve(intervals);
    std::atomic<bool> done{false};
    std::thread sleeper([&] {
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        if (realtime) {
            sched_param param{};
            param.sched_priority = sched_get_priority_min(SCHED_FIFO);
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        }
        const std::int64_t period = static_cast<std::int64_t>(PERIOD_MS * 1e6);
        std::int64_t deadline = NowNs() + period;
        std::int64_t last = 0;
        for (int i = 0; i <= intervals; ++i) {
            timespec ts{static_cast<time_t>(deadline / 1'000'000'000),
                        static_cast<long>(deadline % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
            }
            const std::int64_t now = NowNs();
            if (i > 0)
                deviations.push_back(std::fabs((now - last) / 1e6 - PERIOD_MS));
            last = now;
            deadline += period;
        }
        done = true;
    });
    while (!done)
        Busy();
    sleeper.join();
    return deviations;
}

Guitar CMajor() {
    Guitar guitar;
    guitar.setTuning(standardTuning);
    guitar.setFrets({0, 1, 0, 2, 3, 0});
    guitar.updateStringNotes();
    return guitar;
}

// Plays `strokes` down strokes on `port` while this thread stays busy.
void PlayStrokes(MidiPort& port, const Guitar& guitar, int strokes = STROKES) {
    PeriodicTimer timer;
    Strummer strummer(timer, port, guitar);
    for (int i = 0; i < strokes; ++i) {
        strummer.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
        while (strummer.running())
            Busy();
        strummer.release();
    }
}

std::vector<double> AtTheDevice(int strokes) {
    const Guitar guitar = CMajor();
    MidiSetup setup;
    RecordingMidiOut out(1, 1 << 18);
    MidiPort port(out, setup);
    port.midiOpen();
    PlayStrokes(port, guitar, strokes);
    std::vector<double> deviations;
    std::int64_t last = -1;
    for (const auto& m : out.sent()) {
        if (m.status() == 0x80) {
            last = -1; // a new stroke
            continue;
        }
        const std::int64_t at = m.at.time_since_epoch().count();
        if (last >= 0)
            deviations.push_back(std::fabs((at - last) / 1e6 - PERIOD_MS));
        last = at;
    }
    return deviations;
}

bool AtTheJackPeer(Stats& stats, Stats& cycles, int jackPeriod) {
    test::JackServer server;
    std::string error;
    if (!server.Start("cadenzo-bench-" + std::to_string(getpid()), 48000, jackPeriod, error, 60,
                      true)) {
        std::printf("JACK peer: %s\n", error.c_str());
        return false;
    }
    test::JackCapture capture;
    if (!capture.Open(server.name(), "cadenzo-bench-peer", error)) {
        std::printf("JACK peer: %s\n", error.c_str());
        return false;
    }
    const Guitar guitar = CMajor();
    MidiSetup setup;
    SystemMidiOut out;
    MidiPort port(out, setup);
    const unsigned count = out.deviceCount();
    for (unsigned d = 1; d < count; ++d) {
        if (out.deviceName(d, error) == MidiStatus::Ok &&
            error.find("cadenzo-bench-peer") != std::string::npos)
            setup.midiDevice = static_cast<std::uint8_t>(d);
    }
    if (setup.midiDevice == 0 || port.midiOpen() != MidiStatus::Ok) {
        std::printf("JACK peer: cannot open the capture port\n");
        return false;
    }
    PlayStrokes(port, guitar);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    port.close();

    std::vector<double> deviations, cycleDeviations;
    std::int64_t lastFrame = -1, lastNs = -1;
    std::size_t ons = 0, offs = 0;
    for (const auto& e : capture.events())
        ((e.bytes[0] & 0xF0) == 0x90 ? ons : offs) += 1;
    std::printf("JACK peer received %zu note-ons (of %d) and %zu note-offs (of %d)\n", ons,
                STROKES * 6, offs, STROKES * 256);
    for (const auto& e : capture.events()) {
        if ((e.bytes[0] & 0xF0) != 0x90) {
            lastFrame = -1;
            continue;
        }
        if (lastFrame >= 0) {
            deviations.push_back(std::fabs(
                (static_cast<std::int64_t>(e.frame) - lastFrame) * 1000.0 / 48000 - PERIOD_MS));
            cycleDeviations.push_back(std::fabs((e.cycleNs - lastNs) / 1e6 - PERIOD_MS));
        }
        lastFrame = e.frame;
        lastNs = e.cycleNs;
    }
    stats = Summarise(deviations);
    cycles = Summarise(cycleDeviations);
    return true;
}

// The built-in synthesizer as a sound card drives it: a thread renders one period of audio at a
// time on absolute deadlines, and each note-on is heard from the first period rendered after it
// arrived. Reports the configured latency and the spacing of the strings as they enter the audio.
void BuiltInSynthesizer() {
    FluidMidiOut::Options options;
    options.drivers.clear(); // the rendering thread below stands in for the audio driver
    options.effects = false;
    const auto openStart = std::chrono::steady_clock::now();
    FluidMidiOut synth(options);
    const MidiStatus result = synth.open(0);
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart)
            .count();
    if (result != MidiStatus::Ok) {
        std::printf("Built-in synthesizer: open failed (%u)\n", static_cast<unsigned>(result));
        return;
    }
    const double periodNs = 1e9 * options.periodSize / options.sampleRate;
    const double latencyMs = 1000.0 * options.periodSize * options.periods / options.sampleRate;
    std::printf("Built-in synthesizer: %s opened in %.1f ms (samples loaded on demand);\n"
                "  configured latency %.2f ms = %d periods x %d frames at %.0f Hz\n",
                synth.soundFont().c_str(), openMs, latencyMs, options.periods, options.periodSize,
                options.sampleRate);

    std::atomic<bool> stop{false};
    std::vector<std::int64_t> onsets; // period index at which voices were added
    onsets.reserve(STROKES * 6 + 16);
    std::thread audio([&] {
        // An audio driver's thread runs at real-time priority when it may.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        std::vector<float> buffer(2 * options.periodSize);
        const std::int64_t start = NowNs();
        int voices = 0;
        for (std::int64_t period = 1; !stop; ++period) {
            const std::int64_t deadline = start + static_cast<std::int64_t>(period * periodNs);
            timespec ts{static_cast<time_t>(deadline / 1'000'000'000),
                        static_cast<long>(deadline % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
            }
            synth.render(buffer.data(), options.periodSize);
            const int now = synth.activeVoices();
            if (now > voices)
                onsets.push_back(period);
            else if (now == 0 && voices > 0)
                onsets.push_back(-1); // the reset between strokes
            voices = now;
        }
    });

    const Guitar guitar = CMajor();
    MidiSetup setup;
    struct Direct : MidiOut {
        FluidMidiOut& synth;
        std::mutex mutex;
        explicit Direct(FluidMidiOut& s) : synth(s) {}
        MidiStatus open(unsigned) override { return MidiStatus::Ok; }
        void shortMsg(std::uint32_t m) override {
            std::lock_guard lock(mutex);
            synth.shortMsg(m);
        }
        void reset() override {
            std::lock_guard lock(mutex);
            synth.reset();
        }
        void close() override {}
        unsigned deviceCount() const override { return 1; }
        MidiStatus deviceName(unsigned, std::string&) const override { return MidiStatus::Ok; }
    } direct(synth);
    MidiPort port(direct, setup);
    PeriodicTimer timer;
    Strummer strummer(timer, port, guitar);
    for (int i = 0; i < STROKES; ++i) {
        strummer.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
        while (strummer.running())
            Busy();
        strummer.release();
        direct.reset(); // no voice left for the next stroke's count
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop = true;
    audio.join();

    std::vector<double> deviations;
    std::int64_t last = -1;
    for (std::int64_t period : onsets) {
        if (period < 0) {
            last = -1;
            continue;
        }
        if (last >= 0)
            deviations.push_back(std::fabs((period - last) * periodNs / 1e6 - PERIOD_MS));
        last = period;
    }
    char label[80];
    std::snprintf(label, sizeof label, "stroke, into the synthesizer's audio (%d-frame periods)",
                  options.periodSize);
    Print(label, Summarise(deviations));
    synth.close();
}

} // namespace

int main(int argc, char** argv) {
    int jackPeriod = 64;
    if (argc > 1)
        jackPeriod = std::atoi(argv[1]);
    std::printf("Stroke timing, %d strokes of 6 strings (%d intervals), period %.0f ms, the "
                "calling thread busy throughout.\nDeviation = |interval between two strings - "
                "%.0f ms|.\n\n",
                STROKES, STROKES * 5, PERIOD_MS, PERIOD_MS);
    Print("bare deadline loop, ordinary priority", Summarise(BareLoop(STROKES * 5, false)));
    // The floor and the strokes take turns, so that both see the same load on the machine.
    constexpr int ROUNDS = 10;
    std::vector<double> floor, device;
    for (int round = 0; round < ROUNDS; ++round) {
        const auto f = BareLoop(STROKES * 5 / ROUNDS, true);
        floor.insert(floor.end(), f.begin(), f.end());
        const auto d = AtTheDevice(STROKES / ROUNDS);
        device.insert(device.end(), d.begin(), d.end());
    }
    const Stats bare = Summarise(floor);
    Print("bare deadline loop, as the timer thread (floor)", bare);
    const Stats deviceStats = Summarise(device);
    Print("stroke, at the output device", deviceStats);
    Stats peer, cycles;
    if (AtTheJackPeer(peer, cycles, jackPeriod)) {
        char label[80];
        std::snprintf(label, sizeof label, "stroke, at the JACK peer (frames, %d/48k)", jackPeriod);
        Print(label, peer);
        Print("stroke, at the JACK peer (cycle wall clock)", cycles);
    }
    if (bare.median > 0 && bare.p99 > 0)
        std::printf("\ndevice / floor: p50 %.2fx  p99 %.2fx\n", deviceStats.median / bare.median,
                    deviceStats.p99 / bare.p99);
    std::printf("\n");
    BuiltInSynthesizer();
    return 0;
}
