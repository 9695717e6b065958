// Cost of the editing operations on a full song (2000 events over the 100 bars).
#include "seq/song.h"
#include "seq/undo.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace cadenzo {
namespace {

// 2000 events, one every 80 ticks from 0: the whole editable range up to tick 159920.
void FillSong(Song& song) {
    song.resetSong();
    for (int k = 0; k < MAX_EVENTS; ++k) {
        SongEvent e;
        e.tick = static_cast<std::uint32_t>(k * 80);
        e.frets = {0, 1, 0, 2, 3, SILENT};
        e.velocity = 100;
        e.gate = 240;
        e.strokeTime = 60;
        song.insertEvent(e);
    }
    song.sortEvents();
}

void BM_FindInRangeWholeSong(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    FillSong(*song);
    for (auto _ : state) {
        benchmark::DoNotOptimize(song->findInRange(0, MAX_TICK));
        benchmark::DoNotOptimize(song->findInRange(MAX_TICK, 0));
    }
}
BENCHMARK(BM_FindInRangeWholeSong)->Unit(benchmark::kMicrosecond);

// The walk the look-up is defined by, for comparison (4800 raster ticks x 2001 slots each way).
void BM_FindInRangeByWalkWholeSong(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    FillSong(*song);
    song->clearRange(80, MAX_TICK); // the walk is slowest when it finds little
    song->sortEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(song->findInRangeByWalk(MAX_TICK, 0));
}
BENCHMARK(BM_FindInRangeByWalkWholeSong)->Unit(benchmark::kMicrosecond);

void BM_SortEventsSorted(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    FillSong(*song);
    for (auto _ : state)
        song->sortEvents();
}
BENCHMARK(BM_SortEventsSorted)->Unit(benchmark::kMicrosecond);

// Every other event deleted and put back at the end: compaction and 1000 insertions.
void BM_SortEventsScrambled(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    FillSong(*song);
    for (auto _ : state) {
        state.PauseTiming();
        for (int k = 0; k < MAX_EVENTS; k += 2)
            song->songEvents[k].tick = END_TICK;
        song->sortEvents();
        for (int k = 0; k < MAX_EVENTS; k += 2) {
            SongEvent e = song->songEvents[0];
            e.tick = static_cast<std::uint32_t>(k * 80);
            song->songEvents[song->eventCount++] = e;
        }
        state.ResumeTiming();
        song->sortEvents();
    }
}
BENCHMARK(BM_SortEventsScrambled)->Unit(benchmark::kMicrosecond);

// Copy of the whole song pasted onto itself shifted by one raster step: 2000 replaced or moved
// events and two undo steps' worth of saved records.
void BM_PasteWholeSong(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    auto history = std::make_unique<UndoHistory>();
    FillSong(*song);
    for (auto _ : state) {
        state.PauseTiming();
        FillSong(*song);
        song->edit.anchorTick = 0;
        song->edit.cursorTick = MAX_TICK;
        cutSelection(*song);
        state.ResumeTiming();
        benchmark::DoNotOptimize(pasteAt(*history, *song, 40));
    }
}
BENCHMARK(BM_PasteWholeSong)->Unit(benchmark::kMicrosecond);

// Undo of a step that saved all 2000 events.
void BM_UndoWholeSong(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    auto history = std::make_unique<UndoHistory>();
    FillSong(*song);
    for (auto _ : state) {
        state.PauseTiming();
        pushUndo(*history, *song, 0, MAX_TICK);
        song->edit.cursorTick = 0;
        state.ResumeTiming();
        benchmark::DoNotOptimize(undoLastEdit(*history, *song, 99));
    }
}
BENCHMARK(BM_UndoWholeSong)->Unit(benchmark::kMicrosecond);

// Undo of a small edit (three events) in a full song.
void BM_UndoSmallStepFullSong(benchmark::State& state) {
    auto song = std::make_unique<Song>();
    auto history = std::make_unique<UndoHistory>();
    FillSong(*song);
    for (auto _ : state) {
        state.PauseTiming();
        pushUndo(*history, *song, 80000, 80160);
        state.ResumeTiming();
        benchmark::DoNotOptimize(undoLastEdit(*history, *song, 99));
    }
}
BENCHMARK(BM_UndoSmallStepFullSong)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace cadenzo
