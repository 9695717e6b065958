#pragma once

#include "sound/timer.h"

#include <cstdint>
#include <vector>

namespace cadenzo {

// A timer that ticks only when told to, so tests can step the strum and playback engines one
// callback at a time on their own thread. Supports one running timer, as the engines need.
class ManualTimer : public Timer {
public:
    bool getDevCaps(Caps& caps) override;
    void beginPeriod(std::uint32_t ms) override { begun.push_back(ms); }
    void endPeriod(std::uint32_t ms) override { ended.push_back(ms); }
    std::uint32_t setEvent(std::uint32_t delayMs, std::uint32_t periodMs, Callback callback,
                           void* user) override;
    void killEvent(std::uint32_t id) override;

    // Runs the callback once if a timer is running; returns whether it ran.
    bool fire();
    // Runs up to n callbacks, stopping early when the timer is killed; returns how many ran.
    int fire(int n);
    bool running() const { return id_ != 0; }
    std::uint32_t period() const { return period_; }
    // Callbacks run since the last setEvent.
    int ticks() const { return ticks_; }

    // What the capability query reports; capsFail makes it fail, setEventFails refuses timers.
    Caps caps{1, 1000000};
    bool capsFail = false;
    bool setEventFails = false;
    std::vector<std::uint32_t> begun;
    std::vector<std::uint32_t> ended;

private:
    Callback callback_ = nullptr;
    void* user_ = nullptr;
    std::uint32_t id_ = 0;
    std::uint32_t nextId_ = 1;
    std::uint32_t period_ = 0;
    int ticks_ = 0;
};

} // namespace cadenzo
