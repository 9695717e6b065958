#pragma once

#include <cstdint>
#include <limits>

namespace cadenzo {

// Where an audio output's frames lie on the steady clock, seen from the times its audio thread
// asks for periods. A period is asked for when the sound card needs it, or later when the
// thread wakes late, never earlier: so the earliest sighting of frame 0 over the last 64 to 128
// periods (a third of a second) shows the sound card's clock, unmoved by late wake-ups, while
// still following its drift and forgetting the burst of requests a driver makes at start to fill
// its buffer.
// A request that comes later than all the audio buffered could cover is no late wake-up: the
// output has run dry (the thread stalled, the driver restarted) and its frames now lie that much
// later. The clock then starts again from that request at once; holding on to the old sighting
// would place every message late by the stall for a third of a second, and then move them all
// back at once. Should the stall have been only a late wake-up after all, the requests that catch
// up come early against the new sighting and take the clock back within those periods.
// Thread rules: one thread at a time (the audio thread).
class FrameClock {
public:
    // `bufferedFrames`: the audio the output holds between the synthesizer and the sound card.
    FrameClock(double sampleRate, int bufferedFrames);

    // The period that begins at output frame `frame` was asked for at `nowNs`.
    void periodRequested(std::int64_t frame, std::int64_t nowNs);
    // The output frame sounding at steady-clock time `ns` (before a first request: frame 0 at 0).
    double frameAt(std::int64_t ns) const;

private:
    static constexpr int BLOCK_PERIODS = 64;
    double nsPerFrame_;
    double stallNs_; // a request this much later than the clock expects means a stall
    double frameZeroNs_ = 0;
    // The earliest sighting in this block of periods, and in the block before (none yet).
    double blockEarliest_ = std::numeric_limits<double>::infinity();
    double lastBlockEarliest_ = std::numeric_limits<double>::infinity();
    std::int64_t periodsSeen_ = 0;
};

} // namespace cadenzo
