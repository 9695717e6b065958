#include "playback/audio_render.h"

#include "files/atomic_file.h"
#include "files/audio_file.h"
#include "files/wav_file.h"
#include "sound/fluidsynth/timed_synth.h"

#include <chrono>
#include <cmath>

namespace cadenzo {

namespace {

// Thrown out of the render loop when the cancel flag is seen between two blocks.
struct RenderCancelled {};

AudioRenderResult failed(std::string message) {
    AudioRenderResult result;
    result.status = AudioRenderResult::Status::Failed;
    result.message = std::move(message);
    return result;
}

} // namespace

AudioRenderResult renderAudioFile(const PlaybackSchedule& schedule,
                                  const AudioRenderOptions& options,
                                  const std::function<void(double done)>& progress,
                                  const std::atomic<bool>& cancel) {
    if (schedule.messages.empty())
        return failed("the song has nothing to play");
    // Found out before the render, which may take a while, rather than at the write.
    std::error_code ec;
    const std::filesystem::path folder = options.path.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        return failed("Cannot write " + QuotedName(options.path) + ": there is no folder " +
                      QuotedName(folder) + ".");
    // Refused before rendering: a song from elsewhere may lie far beyond the editor's range. The
    // samples are gathered whole before the write, so FLAC keeps the same limit.
    const double longest = schedule.secondsOf(schedule.messages.back()) + MAX_RING_OUT_SECONDS;
    if (longest * options.sampleRate > static_cast<double>(MAX_WAV_FRAMES))
        return failed("the song lasts up to " + std::to_string(std::lround(longest)) +
                      " s, more than a " +
                      (audioFileFormatOf(options.path) == AudioFileFormat::Flac ? "FLAC" : "WAV") +
                      " file holds at " + std::to_string(options.sampleRate) + " Hz");

    TimedSynth::Options synthOptions;
    synthOptions.sampleRate = options.sampleRate;
    if (!options.soundFonts.empty())
        synthOptions.soundFonts = options.soundFonts;
    TimedSynth synth(synthOptions);
    if (const MidiStatus status = synth.open(); status != MidiStatus::Ok) {
        std::string tried;
        for (const std::string& file : synthOptions.soundFonts)
            tried += (tried.empty() ? "" : ", ") + QuotedName(file);
        return failed(status == MidiStatus::NoSoundFont
                          ? "no SoundFont could be loaded (tried " + tried + ")"
                          : "the built-in synthesizer cannot start (" + fluidLastError() + ")");
    }

    AudioRenderResult result;
    // The ring-out after the last message is not known ahead: the bar holds short of its end
    // until the file is written.
    const double expected =
        static_cast<double>(schedule.frameOf(schedule.messages.back(), options.sampleRate) + 1);
    WavBuffer wav(static_cast<std::uint32_t>(options.sampleRate));
    const auto started = std::chrono::steady_clock::now();
    try {
        if (cancel)
            throw RenderCancelled{};
        result.render = renderOffline(schedule, synth, [&](const float* block, int frames) {
            wav.append(block, static_cast<std::size_t>(frames));
            progress(std::min(0.99, static_cast<double>(wav.frames()) / expected));
            if (cancel)
                throw RenderCancelled{};
        });
    } catch (const RenderCancelled&) {
        result.status = AudioRenderResult::Status::Cancelled;
        return result;
    }
    result.renderSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (cancel) {
        result.status = AudioRenderResult::Status::Cancelled;
        return result;
    }
    if (const FileResult written = writeAudioFile(options.path, wav); !written) {
        result.status = AudioRenderResult::Status::Failed;
        result.message = written.message;
        return result;
    }
    progress(1.0);
    return result;
}

} // namespace cadenzo
