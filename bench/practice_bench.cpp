// The cost of practice playback: the engine's callbacks over an eight-bar song, plainly and with
// the loop, count-in and metronome on, reported as CPU time per second of playback.
#include "playback/playback_schedule.h"

#include <benchmark/benchmark.h>

namespace cadenzo {
namespace {

void PlaybackCost(benchmark::State& state) {
    Song song;
    song.setMeter(3, 3, 4);
    song.setMeter(5, 7, 8);
    for (std::uint32_t t = 0; t < song.meterTable[8].endTick; t += 240)
        song.insertEvent({.tick = t,
                          .frets = {0, 2, 2, 1, 0, 0},
                          .velocity = 90,
                          .gate = 240,
                          .strokeTime = 60});
    song.sortEvents();
    MidiSetup midi;
    Guitar guitar;
    const bool practice = state.range(0) != 0;
    const Practice p{.loop = practice,
                     .loopFirstBar = 1,
                     .loopLastBar = 8,
                     .countIn = practice,
                     .metronome = practice,
                     .speedPercent = practice ? 75 : 100};
    double playbackSeconds = 0;
    for (auto _ : state) {
        const PlaybackSchedule s = schedulePractice(song, midi, guitar, "120", p, 3);
        playbackSeconds += static_cast<double>(s.messages.back().callback) * s.periodMs / 1000;
        benchmark::DoNotOptimize(s.messages.data());
    }
    state.counters["playback_s"] = benchmark::Counter(playbackSeconds);
    state.counters["cpu_per_playback_s"] = benchmark::Counter(
        playbackSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(PlaybackCost)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace cadenzo

BENCHMARK_MAIN();
