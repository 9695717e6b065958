#include "cli/cli_common.h"
#include "cli/interrupt_watch.h"

#include "files/atomic_file.h"
#include "playback/playback_schedule.h"
#ifdef CADENZO_HAVE_BACKENDS
#include "playback/audio_render.h"
#endif

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

namespace cadenzo::cli {

namespace {

namespace fs = std::filesystem;

// The sample rates the built-in synthesizer renders at.
constexpr int MIN_SAMPLE_RATE = 8000;
constexpr int MAX_SAMPLE_RATE = 96000;

struct RenderOptions {
    std::string songPath;
    std::string wavPath;
    long long from = 0;
    int sampleRate = 48000;
    std::string soundFont;
};

// A SoundFont (SF2 or SF3) or a DLS bank is a RIFF file of its own form. Anything else is refused
// here, before the synthesizer's loaders see it and complain on the terminal in their own words.
void checkSoundFont(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RunError("Cannot open the SoundFont " + QuotedName(path) + ".");
    char head[12] = {};
    in.read(head, sizeof head);
    const std::string_view riff(head, sizeof head);
    if (in.gcount() != sizeof head || riff.substr(0, 4) != "RIFF" ||
        (riff.substr(8) != "sfbk" && riff.substr(8) != "DLS "))
        throw RunError(QuotedName(path) + " is not a SoundFont.");
}

void checkOptions(const RenderOptions& options) {
    if (options.from < 0 || options.from > 0x7FFFFFFF)
        throw UsageError("--from must be a tick from 0 to 2147483647");
    if (options.sampleRate < MIN_SAMPLE_RATE || options.sampleRate > MAX_SAMPLE_RATE)
        throw UsageError("--sample-rate must be from " + std::to_string(MIN_SAMPLE_RATE) + " to " +
                         std::to_string(MAX_SAMPLE_RATE));
    std::error_code ec;
    if (fs::equivalent(options.songPath, options.wavPath, ec))
        throw UsageError(QuotedName(options.wavPath) +
                         " is the song file itself; give another name for the audio file");
    // Found out before the render, which may take a while, rather than at the write.
    const fs::path folder = fs::path(options.wavPath).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec))
        throw RunError("Cannot write " + QuotedName(options.wavPath) + ": there is no folder " +
                       QuotedName(folder) + ".");
    if (!options.soundFont.empty())
        checkSoundFont(options.soundFont);
}

#ifdef CADENZO_HAVE_BACKENDS
void render(const RenderOptions& options) {
    checkOptions(options);
    auto loaded = std::make_unique<LoadedSong>(options.songPath);
    loaded->song.playTick = static_cast<std::int32_t>(options.from);
    const PlaybackSchedule schedule =
        schedulePlayback(loaded->song, loaded->midi, loaded->guitar, loaded->tempo);
    throwUnlessComplete(schedule, *loaded);

    AudioRenderOptions renderOptions;
    renderOptions.path = options.wavPath;
    renderOptions.sampleRate = options.sampleRate;
    if (!options.soundFont.empty())
        renderOptions.soundFonts = {options.soundFont};
    // Ctrl+C ends a long render between two blocks, before anything is written; once the file is
    // being written, it is finished first, so no temporary file is left behind.
    const InterruptWatch watch;
    std::atomic<bool> interrupted{false};
    const AudioRenderResult done = renderAudioFile(
        schedule, renderOptions, [&](double) { interrupted = watch.interrupted(); }, interrupted);
    if (done.status == AudioRenderResult::Status::Cancelled)
        throw RunError("interrupted: " + QuotedName(options.wavPath) + " was not written");
    if (done.status == AudioRenderResult::Status::Failed)
        throw RunError(done.message);

    const double seconds = static_cast<double>(done.render.frames) / options.sampleRate;
    const double took = done.renderSeconds;
    std::printf("%s: %.3f s at %d Hz, %zu messages, rendered in %.3f s (%.1f x real time)\n",
                options.wavPath.c_str(), seconds, options.sampleRate, schedule.messages.size(),
                took, took > 0 ? seconds / took : 0.0);
    if (!done.render.rangOut)
        std::printf("The last notes were cut after %.0f s of ring-out.\n", MAX_RING_OUT_SECONDS);
}
#else
void render(const RenderOptions& options) {
    checkOptions(options);
    throw RunError("this cadenzo-cli was built without the built-in synthesizer");
}
#endif

} // namespace

void addRenderCommands(CLI::App& app) {
    auto command = app.add_subcommand(
        "render", "Render a song file (.cz0) to a 16-bit stereo WAV file, or FLAC for a name "
                  "ending in .flac, through the built-in synthesizer, as playback would sound, "
                  "faster than real time");
    auto options = std::make_shared<RenderOptions>();
    command->add_option("SONG", options->songPath, "Song file")->required();
    command->add_option("OUT", options->wavPath, "WAV or FLAC file to write (replaced whole)")
        ->required();
    command->add_option("--from", options->from, "Tick to start from (default 0)");
    command->add_option("--sample-rate", options->sampleRate,
                        "Frames a second, 8000 to 96000 (default 48000)");
    command->add_option("--soundfont", options->soundFont,
                        "SoundFont file (default: the General MIDI SoundFont)");
    command->callback([options] { render(*options); });
}

} // namespace cadenzo::cli
