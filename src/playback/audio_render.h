#pragma once

#include "playback/offline_render.h"
#include "playback/playback_schedule.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace cadenzo {

// Where the built-in synthesizer renders a song to and how.
struct AudioRenderOptions {
    std::filesystem::path path; // FLAC for a name ending in ".flac" (any case), WAV otherwise
    int sampleRate = 48000;
    // SoundFonts tried in order; empty: the General MIDI SoundFonts the synthesizer looks for.
    std::vector<std::string> soundFonts;
};

struct AudioRenderResult {
    enum class Status { Written, Cancelled, Failed };
    Status status = Status::Written;
    std::string message;      // Failed: what failed, in one line
    OfflineRender render;     // what the synthesizer rendered (also when the write then failed)
    double renderSeconds = 0; // the time the rendering took, the file's write aside
};

// Renders `schedule` (a Complete one) through a TimedSynth of its own, as fast as it renders, and
// writes the samples to options.path: the one render path of `cadenzo-cli render` and of the
// window's audio export. Runs on the calling thread, which may be any thread.
// - `progress(done)` is called on that thread after every block with the part done so far, 0..1,
//   never going back; 1 comes exactly once, after the file is written.
// - `cancel` is read before every block and before the write: once it is set, nothing is written,
//   an earlier file at the path stays as it was, and the result is Cancelled.
// - A failure (no SoundFont, a song too long for the file, the write) writes nothing either.
AudioRenderResult renderAudioFile(const PlaybackSchedule& schedule,
                                  const AudioRenderOptions& options,
                                  const std::function<void(double done)>& progress,
                                  const std::atomic<bool>& cancel);

} // namespace cadenzo
