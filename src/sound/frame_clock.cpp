#include "sound/frame_clock.h"

#include <algorithm>
#include <limits>

namespace cadenzo {

namespace {

// Late wake-ups shorter than this never restart the clock, however little audio is buffered:
// a desktop thread without real-time priority wakes this late now and then without a stall.
constexpr double MIN_STALL_NS = 4e6;

} // namespace

FrameClock::FrameClock(double sampleRate, int bufferedFrames)
    : nsPerFrame_(1e9 / sampleRate),
      stallNs_(std::max(MIN_STALL_NS, bufferedFrames * 1e9 / sampleRate)) {}

void FrameClock::periodRequested(std::int64_t frame, std::int64_t nowNs) {
    const double seen = static_cast<double>(nowNs) - static_cast<double>(frame) * nsPerFrame_;
    if (periodsSeen_ > 0 && seen > frameZeroNs_ + stallNs_) {
        blockEarliest_ = lastBlockEarliest_ = std::numeric_limits<double>::infinity();
        periodsSeen_ = 0;
    }
    blockEarliest_ = std::min(blockEarliest_, seen);
    frameZeroNs_ = std::min(lastBlockEarliest_, blockEarliest_);
    if (++periodsSeen_ % BLOCK_PERIODS == 0) {
        lastBlockEarliest_ = blockEarliest_;
        blockEarliest_ = std::numeric_limits<double>::infinity();
    }
}

double FrameClock::frameAt(std::int64_t ns) const {
    return (static_cast<double>(ns) - frameZeroNs_) / nsPerFrame_;
}

} // namespace cadenzo
