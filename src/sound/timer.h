#pragma once

#include <cstdint>

namespace cadenzo {

// A periodic timer whose callback runs on a thread of its own, in the manner of the multimedia
// timer the strum and playback engines were designed for.
// Thread rules: every member may be called from the window thread; killEvent, endPeriod and the
// caps query may also be called from inside the callback (a tick stops its own timer).
class Timer {
public:
    using Callback = void (*)(void* user);

    struct Caps {
        std::uint32_t periodMin = 0;
        std::uint32_t periodMax = 0;
    };

    virtual ~Timer() = default;

    // Fills the supported period range; false when it cannot be read.
    virtual bool getDevCaps(Caps& caps) = 0;
    // Raise (and later restore) the system resolution for a period of `ms`.
    virtual void beginPeriod(std::uint32_t ms) = 0;
    virtual void endPeriod(std::uint32_t ms) = 0;
    // Starts a periodic timer calling `callback(user)` every `periodMs`, first after `delayMs`;
    // returns its id, or 0 when no timer could be created. Allocation happens here, never per tick.
    virtual std::uint32_t setEvent(std::uint32_t delayMs, std::uint32_t periodMs, Callback callback,
                                   void* user) = 0;
    // Stops timer `id`; after it returns (from outside the callback) no further tick runs. Called
    // from inside the callback it stops the ticks that follow.
    virtual void killEvent(std::uint32_t id) = 0;
};

// The monotonic-clock time, in nanoseconds, at which the PeriodicTimer tick now running on this
// thread was due; 0 on a thread that runs no such tick. A message sent from a tick belongs to
// that moment of the stroke or song, not to whenever the thread got the processor, and an output
// that can place messages in time (the built-in synthesizer) places it there.
std::int64_t runningTickDueNs();

} // namespace cadenzo
