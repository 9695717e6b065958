// The built-in synthesizer's audio thread under a whole song: the 2000-event song played at
// tempo 300 (67 s) by the real PlaybackEngine into FluidMidiOut, with a thread standing in for
// the audio driver that asks for 128-frame periods at 48 kHz on absolute deadlines. Every 10 s
// the window thread changes to a program not heard yet (sustained ones: organs, accordion,
// choir, so a note left sounding stays audible), and the audio thread stalls twice, for 50 ms and
// for 300 ms near the end, after which its periods follow on the later time as after a driver's
// restart. Reports the open time and memory, the longest callback and the periods over the 2.67 ms
// budget, and the output level 4 s after the last note-off. Figures only.
#include "playback/playback.h"
#include "sequence_view_song.h"
#include "sound/fluidsynth/fluid_midi_out.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "stand_in_audio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

using namespace cadenzo;

namespace {

constexpr int PERIOD = 128;
constexpr double RATE = 48000;
constexpr double NS_PER_FRAME = 1e9 / RATE;
constexpr double BUDGET_MS = 1000.0 * PERIOD / RATE;
constexpr std::array<std::uint8_t, 7> PROGRAMS{19, 16, 20, 17, 21, 52, 18};
struct Stall {
    double atSeconds;
    std::int64_t ns;
};
// The second stall comes 0.3 s before the song's last note-off (66.7 s): the notes struck
// around it end after it.
constexpr std::array<Stall, 2> STALLS{{{30.0, 50'000'000}, {66.4, 300'000'000}}};

double Db(float level) {
    return level > 0 ? 20 * std::log10(level) : -999;
}

} // namespace

int main() {
    FluidMidiOut::Options options;
    options.drivers.clear(); // the thread below stands in for the audio driver
    options.periodSize = PERIOD;
    options.sampleRate = RATE;
    FluidMidiOut synth(options);
    const long before = bench::ResidentKb();
    const std::int64_t opening = bench::NowNs();
    if (synth.open(0) != MidiStatus::Ok) {
        std::printf("Built-in synthesizer: open failed\n");
        return 1;
    }
    std::printf("open %.1f ms, +%ld kB resident\n", (bench::NowNs() - opening) / 1e6,
                bench::ResidentKb() - before);

    auto song = std::make_unique<Song>();
    FillProgression(*song, MAX_EVENTS, 80);
    Guitar guitar;
    guitar.setTuning(standardTuning);
    MidiSetup setup;
    setup.midiProgram = PROGRAMS[0];
    MidiPort port(synth, setup);
    PeriodicTimer timer;
    PlaybackEngine engine(*song, port, guitar, timer);

    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> periodsDone{0};
    std::vector<double> took; // each callback, ms
    std::vector<double> cpu;  // and the processor time it used (less than took when preempted)
    std::vector<float> peaks; // each period's output peak
    took.reserve(40'000);
    cpu.reserve(40'000);
    peaks.reserve(40'000);
    const std::int64_t start = bench::NowNs() + 50'000'000;
    std::thread audio([&] {
        bench::BecomeAudioThread();
        std::array<float, PERIOD> left{};
        std::array<float, PERIOD> right{};
        std::int64_t shift = 0;
        std::size_t stall = 0;
        for (std::int64_t period = 0; !stop; ++period) {
            if (stall < STALLS.size() &&
                period * PERIOD >= static_cast<std::int64_t>(STALLS[stall].atSeconds * RATE)) {
                shift += STALLS[stall].ns;
                bench::SleepUntil(bench::NowNs() + STALLS[stall++].ns);
            }
            bench::SleepUntil(start + shift +
                              static_cast<std::int64_t>(period * PERIOD * NS_PER_FRAME));
            const std::int64_t called = bench::NowNs();
            const std::int64_t used = bench::NowNs(CLOCK_THREAD_CPUTIME_ID);
            synth.renderPeriod(PERIOD, left.data(), right.data());
            cpu.push_back((bench::NowNs(CLOCK_THREAD_CPUTIME_ID) - used) / 1e6);
            took.push_back((bench::NowNs() - called) / 1e6);
            float peak = 0;
            for (int i = 0; i < PERIOD; ++i)
                peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
            peaks.push_back(peak);
            periodsDone = period + 1;
        }
    });

    bench::SleepUntil(start);
    port.programChange();
    if (engine.start("300") != PlaybackEngine::StartResult::Started) {
        std::printf("playback did not start\n");
        stop = true;
        audio.join();
        return 1;
    }
    const std::int64_t playing = bench::NowNs();
    for (std::size_t next = 1; engine.playIndex() < song->eventCount;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto due = static_cast<std::int64_t>(next) * 10'000'000'000;
        if (next < PROGRAMS.size() && bench::NowNs() - playing >= due) {
            setup.midiProgram = PROGRAMS[next++];
            port.programChange();
        }
    }
    // The last note-off is sent by the tick that ended the song; only the timer stops now, so
    // that no silence sent here covers a note left sounding.
    engine.stopPlayTimer();
    const std::int64_t endPeriod = periodsDone;
    const std::int64_t after = static_cast<std::int64_t>(4.0 * RATE / PERIOD);
    while (periodsDone < endPeriod + after + 40)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop = true;
    audio.join();

    const double longest = *std::max_element(took.begin(), took.end());
    const auto over =
        std::count_if(took.begin(), took.end(), [](double ms) { return ms > BUDGET_MS; });
    std::printf("processor time: longest %.3f ms; %ld periods over the budget\n",
                *std::max_element(cpu.begin(), cpu.end()),
                static_cast<long>(std::count_if(cpu.begin(), cpu.end(),
                                                [](double ms) { return ms > BUDGET_MS; })));
    std::vector<double> sorted = took;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu periods of %d frames (%.1f s), song played in %.1f s\n", took.size(), PERIOD,
                took.size() * PERIOD / RATE, (bench::NowNs() - playing) / 1e9);
    std::printf("callback: p50 %.3f ms, p99 %.3f ms, longest %.3f ms; %ld periods over the %.2f "
                "ms budget\n",
                sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], longest,
                static_cast<long>(over), BUDGET_MS);
    std::vector<std::size_t> order(took.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::partial_sort(order.begin(), order.begin() + 5, order.end(),
                      [&](std::size_t a, std::size_t b) { return took[a] > took[b]; });
    std::printf("longest callbacks:");
    for (std::size_t i = 0; i < 5; ++i)
        std::printf(" %.3f ms (%.3f ms processor) at %.2f s;", took[order[i]], cpu[order[i]],
                    order[i] * PERIOD / RATE);
    std::printf("\n");
    float tail = 0;
    for (std::int64_t p = endPeriod + after; p < endPeriod + after + 40; ++p)
        tail = std::max(tail, peaks[static_cast<std::size_t>(p)]);
    std::printf("output peak 4 s after the last note-off: %.1f dB (%.2e)\n", Db(tail), tail);
    return 0;
}
