#pragma once

#include "sound/timer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace cadenzo {

// The timer the strum and playback ticks run on: each running event has a thread of its own that
// sleeps to absolute deadlines on the monotonic clock, so a late tick does not push the ones after
// it and the 37 ms of a stroke do not drift. The thread asks the kernel for the least timer slack,
// which is what raising the timer resolution means here, so beginPeriod/endPeriod only count.
// Thread rules: setEvent and killEvent from the window thread; killEvent also from inside the
// event's own callback, which then runs no more. Up to MAX_EVENTS events run at once (a stroke and
// playback). Nothing is allocated per tick.
class PeriodicTimer : public Timer {
public:
    static constexpr int MAX_EVENTS = 4;

    PeriodicTimer() = default;
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;
    // Stops every event still running.
    ~PeriodicTimer() override;

    bool getDevCaps(Caps& caps) override;
    void beginPeriod(std::uint32_t ms) override;
    void endPeriod(std::uint32_t ms) override;
    std::uint32_t setEvent(std::uint32_t delayMs, std::uint32_t periodMs, Callback callback,
                           void* user) override;
    void killEvent(std::uint32_t id) override;

    // Periods begun and not yet ended (for tests: every begin has its end).
    int periodsBegun() const { return periods_.load(); }

private:
    struct Slot {
        std::thread thread;
        std::atomic<std::uint32_t> id{0}; // 0 when the slot is free or its event was killed
        std::atomic<bool> finished{true}; // the thread has left its loop
        std::uint32_t delayMs = 0;
        std::uint32_t periodMs = 0;
        Callback callback = nullptr;
        void* user = nullptr;
    };

    static void Run(Slot& slot, std::uint32_t id);

    std::mutex mutex_; // guards slot set-up and joining, never held by a tick
    std::array<Slot, MAX_EVENTS> slots_;
    std::uint32_t nextId_ = 1;
    std::atomic<int> periods_{0};
};

} // namespace cadenzo
