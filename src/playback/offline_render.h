#pragma once

#include "playback/playback_schedule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace cadenzo {

// Frames rendered between two looks at the schedule: any size works, since the synthesizer
// places each message at its own frame; this one keeps the loop's overhead out of the figures.
inline constexpr int OFFLINE_BLOCK_FRAMES = 4096;
// The last notes ring out until every voice is silent, but never longer than this.
inline constexpr double MAX_RING_OUT_SECONDS = 30.0;

struct OfflineRender {
    std::int64_t frames = 0;      // frames handed to the sink
    std::int64_t lastMessage = 0; // frame of the schedule's last message
    bool rangOut = true;          // false: the ring-out was cut at its limit
};

// Plays `schedule` into `synth`, a synthesizer that sounds each message at its frame (the
// interface of TimedSynth), as fast as it renders, and hands every block of interleaved stereo
// frames to `sink(const float*, int frames)`. After the last message it renders on until no voice
// sounds and a whole block is silent at 16 bits (the reverb's tail included), or until
// `maxRingOutSeconds` have passed.
template <class Synth, class Sink>
OfflineRender renderOffline(const PlaybackSchedule& schedule, Synth& synth, Sink&& sink,
                            double maxRingOutSeconds = MAX_RING_OUT_SECONDS) {
    const double rate = synth.sampleRate();
    const auto& messages = schedule.messages;
    OfflineRender result;
    result.lastMessage = messages.empty() ? 0 : schedule.frameOf(messages.back(), rate);
    const std::int64_t start = synth.position();
    const std::int64_t limit =
        start + result.lastMessage + 1 + std::llround(maxRingOutSeconds * rate);
    // Below half a step of a 16-bit sample, a frame is written as zero.
    const float silence = 0.5f / 32767.0f;

    std::vector<float> block(2 * static_cast<std::size_t>(OFFLINE_BLOCK_FRAMES));
    std::size_t next = 0;
    for (;;) {
        const std::int64_t position = synth.position();
        const auto frames =
            static_cast<int>(std::min<std::int64_t>(OFFLINE_BLOCK_FRAMES, limit - position));
        if (frames <= 0) {
            result.rangOut = false;
            break;
        }
        // Messages go to the synthesizer one block ahead, so it never holds the whole song.
        for (; next < messages.size(); ++next) {
            const std::int64_t frame = start + schedule.frameOf(messages[next], rate);
            if (frame >= position + frames)
                break;
            synth.schedule(frame, messages[next].message);
        }
        synth.render(block.data(), frames);
        sink(static_cast<const float*>(block.data()), frames);
        result.frames += frames;
        const bool messagesDone = next == messages.size();
        if (messagesDone && synth.activeVoices() == 0 &&
            std::all_of(block.begin(), block.begin() + 2 * frames,
                        [&](float x) { return std::fabs(x) < silence; }))
            break;
    }
    return result;
}

} // namespace cadenzo
