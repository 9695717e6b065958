// The range look-up every selection, cut and copy makes: the one-pass search against the
// tick-by-tick walk it replaces, on a full song.
#include "seq/song.h"

#include <benchmark/benchmark.h>

namespace {

cadenzo::Song& FullSong() {
    static cadenzo::Song song;
    if (song.eventCount == 0) {
        for (std::uint32_t i = 0; i < cadenzo::MAX_EVENTS; ++i) {
            cadenzo::SongEvent e;
            e.tick = i * 80 + 40;
            song.insertEvent(e);
        }
    }
    return song;
}

void FindInRangeWholeSong(benchmark::State& state) {
    const cadenzo::Song& song = FullSong();
    for (auto _ : state)
        benchmark::DoNotOptimize(song.findInRange(cadenzo::MAX_TICK, 0));
}
BENCHMARK(FindInRangeWholeSong);

void FindInRangeByWalkWholeSong(benchmark::State& state) {
    const cadenzo::Song& song = FullSong();
    for (auto _ : state)
        benchmark::DoNotOptimize(song.findInRangeByWalk(cadenzo::MAX_TICK, 0));
}
BENCHMARK(FindInRangeByWalkWholeSong);

void FindInRangeEmptySpan(benchmark::State& state) {
    cadenzo::Song song;
    for (auto _ : state)
        benchmark::DoNotOptimize(song.findInRange(0, cadenzo::MAX_TICK));
}
BENCHMARK(FindInRangeEmptySpan);

void FindInRangeByWalkEmptySpan(benchmark::State& state) {
    cadenzo::Song song;
    for (auto _ : state)
        benchmark::DoNotOptimize(song.findInRangeByWalk(0, cadenzo::MAX_TICK));
}
BENCHMARK(FindInRangeByWalkEmptySpan);

} // namespace

BENCHMARK_MAIN();
