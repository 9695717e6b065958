#pragma once

#include <chrono>

namespace cadenzo::cli {

// While a command sounds notes, Ctrl+C, `kill` and a closed terminal (SIGINT, SIGTERM, SIGHUP)
// only raise a flag: the command stops its timer, silences every note on the device and closes it
// before it ends, so nothing keeps ringing on an external synthesizer. A second signal ends the
// process at once. The previous handlers come back when the watch ends.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const;
    // Sleeps for `time`, or less when a signal comes; true when it slept the whole time.
    bool sleepFor(std::chrono::milliseconds time) const;
};

} // namespace cadenzo::cli
