// Export time of a full song (2000 six-string chords) in each layout: composing the file in
// memory, and the whole export including the write to a temporary folder. Also what the window
// pays for unsaved changes on the same song: the check after an input, and a recovery copy.
#include "files/recovery.h"
#include "files/smf_export.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace cadenzo;

std::unique_ptr<Song> FullSong() {
    auto song = std::make_unique<Song>();
    for (std::uint32_t i = 0; i < MAX_EVENTS; ++i) {
        SongEvent& e = song->songEvents[i];
        e.tick = i * 80;
        e.frets = {0, 1, 0, 2, 3, 0};
        e.velocity = 100;
        e.gate = 80;
        e.strokeTime = 60;
        e.strokeDir = static_cast<std::uint8_t>(i % 2);
    }
    song->eventCount = MAX_EVENTS;
    song->setMeter(50, 3, 4);
    return song;
}

SmfOptions Options(int format, const std::filesystem::path& file) {
    SmfOptions options;
    options.format = format;
    options.init = SMF_INIT_GM;
    options.volumeOn = options.reverbOn = options.chorusOn = true;
    options.fileName = file.string();
    return options;
}

void BM_ComposeSmf(benchmark::State& state) {
    const auto song = FullSong();
    const SmfOptions options = Options(static_cast<int>(state.range(0)), "/tmp/bench.mid");
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        composeSmf(*song, standardTuning, 120, options, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetLabel(smfFormatItems[static_cast<std::size_t>(state.range(0))]);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
// The window's check after each input: the song's bytes made and compared with the saved ones.
void BM_SongChangeCheck(benchmark::State& state) {
    const auto song = FullSong();
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    const SongFileParts parts{*song, tempo, midi, guitar};
    const std::vector<std::uint8_t> clean = songChangeBytes(parts);
    for (auto _ : state)
        benchmark::DoNotOptimize(songChangeBytes(parts) != clean);
    state.counters["bytes"] = static_cast<double>(clean.size());
}
BENCHMARK(BM_SongChangeCheck)->Unit(benchmark::kMicrosecond);

// A recovery copy of the full song handed to the writer thread and waited for (on disk, synced).
void BM_RecoveryCopy(benchmark::State& state) {
    const auto song = FullSong();
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cadenzo_rec_bench";
    RecoverySession session(dir);
    if (!session.open()) {
        state.SkipWithError("no recovery folder");
        return;
    }
    for (auto _ : state) {
        session.keep(encodeSongFile({*song, tempo, midi, guitar}), "/songs/full.cz0");
        session.flush();
    }
    session.forget();
    session.flush();
}
BENCHMARK(BM_RecoveryCopy)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ComposeSmf)->DenseRange(SMF_FORMAT0, SMF_FORMAT1_MULTI)->Unit(benchmark::kMillisecond);

void BM_ExportSmf(benchmark::State& state) {
    const auto song = FullSong();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cadenzo_smf_bench";
    std::filesystem::create_directories(dir);
    const SmfOptions options = Options(static_cast<int>(state.range(0)), dir / "full.mid");
    for (auto _ : state) {
        if (!exportSmf(*song, standardTuning, "120", options)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    state.SetLabel(smfFormatItems[static_cast<std::size_t>(state.range(0))]);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ExportSmf)->DenseRange(SMF_FORMAT0, SMF_FORMAT1_MULTI)->Unit(benchmark::kMillisecond);

} // namespace
